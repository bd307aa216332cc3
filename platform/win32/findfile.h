// Folder scans in the Win32 shape: FindFirstFileW / FindNextFileW / FindClose
// over the entries of one folder whose names match a mask, and the mask
// matcher itself.
//
// The pattern is a folder and a mask: "/data/db.v5/*.bin". A mask with '*'
// (any run of characters) or '?' (exactly one character) matches names as
// Windows does, ignoring case ("X.BIN" matches "*.bin"; "*.*" matches every
// name, also one without a dot). A last part without wildcards names one
// entry exactly: names are case-sensitive on this platform. "." and ".." are
// never reported. Entries come in ordinal order of their UTF-16 names. The
// folder is read once, by FindFirstFileW: later changes are not seen.
#pragma once

#include <string_view>

#include "platform/win32/files.h"
#include "platform/win32/wintypes.h"

// Set, beside the attributes of what it points to, for a symbolic link.
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;   // FILE_ATTRIBUTE_* as GetFileAttributesW gives them
  FILETIME ftCreationTime;  // the last change of the entry (no birth time is kept here)
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;  // 0 for a folder
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];     // the entry's name, terminated
  WCHAR cAlternateFileName[14];  // always empty
};
typedef WIN32_FIND_DATAW WIN32_FIND_DATA;
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;

// The first matching entry, and a handle for the others; INVALID_HANDLE_VALUE
// when nothing matches or the folder cannot be read (last error
// ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND). A symbolic link is reported
// as what it points to with FILE_ATTRIBUTE_REPARSE_POINT added; a dangling one
// as a file of size 0.
HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data);
// The next entry; FALSE with last error ERROR_NO_MORE_FILES after the last.
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
// Frees the handle; FALSE for a handle that FindFirstFileW did not give.
BOOL FindClose(HANDLE find);

// True when the name matches the mask (rules above; an empty mask matches
// nothing). Case is folded by full Unicode case folding, code point by code point.
bool MatchFileMask(std::u16string_view name, std::u16string_view mask);
// True when the text holds '*' or '?'.
bool HasWildcards(std::u16string_view text);
