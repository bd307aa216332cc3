// Message boxes, the folder picker, opening web pages and running programs.
#pragma once

#include "platform/classlib/ui/afxtypes.h"

// A message box over the innermost open dialog; from a worker thread it is
// shown by the UI thread and the caller waits for the answer. Returns IDOK,
// IDCANCEL, IDYES or IDNO; 0 when it cannot be shown.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// The folder picker. The returned list is freed with CoTaskMemFree.
LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path);  // path holds MAX_PATH units
// The same for a path of `capacity` units (terminator included); FALSE when
// the path does not fit. A folder path of this system fits in 4096 units.
BOOL SHGetPathFromIDListEx(LPCITEMIDLIST list, LPWSTR path, DWORD capacity, DWORD flags = 0);
void CoTaskMemFree(void* p);

// http and https addresses open in the desktop's browser; anything else is
// a program, run with the parameters (split at spaces, quotes kept together)
// and not waited for. Returns a value above 32 when the page was handed to the
// browser or the program started; a program that cannot be run (missing, not
// executable, not a program for this machine) is a failure.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int showCmd);
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
