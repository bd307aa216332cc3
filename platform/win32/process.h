// Starting another program, as CreateProcessW does without a command line to
// parse: the program's full path and its arguments are passed whole, so a
// path of any length, with spaces or quotes, arrives as it is.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/wintypes.h"

// Where a program given by name alone (no '/') is looked for.
enum class ProgramLookup {
  kAsGiven,     // the path as it stands, relative to the current folder
  kSearchPath,  // the folders of PATH, as a shell does
};

// Starts `program` with `arguments` (after the program's own name) and the
// environment of this process, in `folder` when one is given and in the
// current folder otherwise; the new program runs on by itself and is reaped
// when it ends. FALSE when it cannot be started (missing, not executable, not
// a program for this machine, a folder that cannot be entered).
BOOL StartProgram(const std::u16string& program, const std::vector<std::u16string>& arguments,
                  const std::u16string& folder = std::u16string(), ProgramLookup lookup = ProgramLookup::kAsGiven);
