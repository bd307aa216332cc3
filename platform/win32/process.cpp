#include "platform/win32/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

#include "platform/win32/utf.h"

extern char** environ;

namespace {

// The spawn settings with their one owner.
class SpawnActions {
 public:
  SpawnActions() { m_ok = posix_spawn_file_actions_init(&m_actions) == 0; }
  ~SpawnActions() {
    if (m_ok) posix_spawn_file_actions_destroy(&m_actions);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  bool ok() const { return m_ok; }
  posix_spawn_file_actions_t* get() { return &m_actions; }

 private:
  posix_spawn_file_actions_t m_actions;
  bool m_ok = false;
};

}  // namespace

BOOL StartProgram(const std::u16string& program, const std::vector<std::u16string>& arguments,
                  const std::u16string& folder, ProgramLookup lookup) {
  if (program.empty()) return FALSE;
  std::vector<std::string> texts;
  texts.push_back(Utf16ToUtf8(program));
  for (const std::u16string& a : arguments) texts.push_back(Utf16ToUtf8(a));
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);

  SpawnActions actions;
  if (!actions.ok()) return FALSE;
  const std::string cwd = Utf16ToUtf8(folder);
  if (!cwd.empty() && posix_spawn_file_actions_addchdir_np(actions.get(), cwd.c_str()) != 0) return FALSE;
  // posix_spawn reports a program that cannot be run as its result (unlike a
  // fork followed by exec), so a start that fails is never taken for one
  // that worked.
  const bool inPath = lookup == ProgramLookup::kSearchPath && texts[0].find('/') == std::string::npos;
  pid_t pid = -1;
  const int rc = inPath ? posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ)
                        : posix_spawn(&pid, argv[0], actions.get(), nullptr, argv.data(), environ);
  if (rc != 0 || pid <= 0) return FALSE;
  std::thread([pid]() {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return TRUE;
}
