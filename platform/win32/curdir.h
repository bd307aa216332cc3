// The process's current directory, shared by every thread of the process.
#pragma once

#include <string>

#include "platform/win32/wintypes.h"

// FALSE when the folder does not exist or cannot be entered.
BOOL SetCurrentDirectoryW(const char16_t* path);
// Win32 meaning: copies the current directory (no trailing '/') into buf and
// returns its length; when cap is too small, returns the size needed with the
// terminator and leaves buf alone; 0 on failure.
DWORD GetCurrentDirectoryW(DWORD cap, char16_t* buf);
// The current directory; empty when it cannot be read (e.g. it was deleted).
std::u16string GetCurrentDirectoryPath();
