// The project descriptor reader: any bytes as "bruser.brx" of a project
// folder without a database, opened read-only: the descriptor is parsed and
// checked, and an accepted one opens an empty project in memory. Nothing is
// written to the folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_file.h"
#include "platform/win32/utf.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvProject.h"

namespace {

struct Folder {
  Folder() {
    const char* dir = std::getenv("PM_FUZZ_TMP");
    if (!dir || !*dir) dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path = std::string(dir) + "/pm_fuzz_project_" + std::to_string(getpid());
    std::filesystem::create_directories(path);
    path16 = Utf8ToUtf16(path);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
  std::u16string path16;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Folder folder;
  const std::u16string descriptor = folder.path16 + u"/bruser.brx";
  FileHandle f(descriptor.c_str(), "wb");
  if (!f || (size && std::fwrite(data, 1, size, f.get()) != size) || !f.Close()) std::abort();

  tgvProject_C project;
  tgvDocument_C* doc = project.Open(folder.path16.c_str(), tgvOpen_ReadOnly);
  if ((doc != nullptr) != (project.GetState() == tgvProject_C::kOpen)) std::abort();
  (void)project.GetLog().GetText();
  (void)project.GetLanguageName();
  project.Reset();

  // Read-only: the folder holds the descriptor and nothing else.
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder.path)) {
    (void)e;
    ++entries;
  }
  if (entries != 1) std::abort();
  return 0;
}
