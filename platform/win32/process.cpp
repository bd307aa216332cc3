#include "platform/win32/process.h"

#include <spawn.h>

#include "platform/win32/utf.h"

extern char** environ;

BOOL StartProgram(const std::u16string& program, const std::vector<std::u16string>& arguments) {
  if (program.empty()) return FALSE;
  std::vector<std::string> texts;
  texts.push_back(Utf16ToUtf8(program));
  for (const std::u16string& a : arguments) texts.push_back(Utf16ToUtf8(a));
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  // posix_spawn reports a program that cannot be run as its result, so a
  // start that fails is never taken for one that worked.
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? TRUE : FALSE;
}
