// Runs an outside program through the shell, for the tests that check our
// output with a real consumer of it or compare with a reference tool.
#pragma once

#include <stdio.h>

#include <string>

enum class CommandOutput { kWithErrors, kStdoutOnly };

// The command's standard output, and its standard error too unless asked for
// kStdoutOnly, in *output; false when it could not be started or ended with a
// non-zero status.
inline bool RunCommand(const std::string& command, std::string* output,
                       CommandOutput what = CommandOutput::kWithErrors) {
  output->clear();
  FILE* p = popen((what == CommandOutput::kWithErrors ? command + " 2>&1" : command).c_str(), "r");
  if (!p) return false;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) output->append(buf, n);
  return pclose(p) == 0;
}
