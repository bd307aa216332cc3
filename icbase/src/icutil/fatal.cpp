#include "icbase/src/icutil/fatal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/format.h"

void AssertFail(const char* file, int line) {
  if (file)
    FatalPrintf("Assertion failed in file %s, line %d.\n", file, line);
  else
    FatalPrintf("Assertion failed.\n");
}

void FatalPrintf(const char* format, ...) {
  std::string text;
  if (format) {
    va_list ap;
    va_start(ap, format);
    text = FormatAV(format, ap);
    va_end(ap);
  }
  if (text.empty() || text.back() != '\n') text.push_back('\n');
  std::fflush(stdout);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  std::abort();
}
