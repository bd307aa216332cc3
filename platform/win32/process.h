// Starting another program, as CreateProcessW does without a command line to
// parse: the program's full path and its arguments are passed whole, so a
// path of any length, with spaces or quotes, arrives as it is.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/wintypes.h"

// Starts `program` with `arguments` (after the program's own name), the
// environment and the current folder of this process; the new program runs on
// by itself. FALSE when it cannot be started (missing, not executable).
BOOL StartProgram(const std::u16string& program, const std::vector<std::u16string>& arguments);
