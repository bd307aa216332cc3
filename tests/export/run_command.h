// Runs an outside reader of the export files through the shell.
#pragma once

#include <stdio.h>

#include <string>

// The command's standard output and error together; false when it could not
// be started or ended with a non-zero status.
inline bool RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return false;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) output->append(buf, n);
  return pclose(p) == 0;
}
