// Files and folders by wide path: the file-status query, the program's own
// location, folder creation and file deletion, and fopen by wide path. Paths
// are UTF-16 here and UTF-8 on the file system; the separator is '/'.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win32/wintypes.h"

constexpr char16_t PATH_SEP = u'/';
constexpr const char16_t* PATH_SEP_STR = u"/";

#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(0xFFFFFFFF))
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

// The UTF-8 form of a wide path, for fopen/open/stat; "" for null.
std::string PathToNative(const char16_t* path);
// The wide form of a file-system path (invalid UTF-8 becomes U+FFFD).
std::u16string PathFromNative(const std::string& path);
// Whether the system takes the path whole: its native form, with its
// terminating zero, fits PATH_MAX bytes and no part of it is longer than
// NAME_MAX bytes. Null is refused.
bool PathFitsSystem(const char16_t* path);

// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_READONLY when the owner
// may not write; FILE_ATTRIBUTE_NORMAL when neither applies;
// INVALID_FILE_ATTRIBUTES when the path does not exist (or is null/empty).
DWORD GetFileAttributesW(const char16_t* path);
// The attributes above for a file-system mode (st_mode).
DWORD FileAttributesFromMode(uint32_t mode);
bool PathFileExistsW(const char16_t* path);
// Whether this process may open the path for reading now.
bool IsReadableFile(const char16_t* path);
// A new folder that only this user may enter, in the system's folder for
// temporary files ($TMPDIR, else /tmp); empty when none can be made. The
// caller removes it. Its name, "pelmora-<process id>-...", tells whose it is;
// those of processes that ended are removed first (RemoveLeftoverTempFolders).
std::u16string MakePrivateTempFolder();
// Removes the private temporary folders of processes that ended without
// removing theirs (killed half-way): they may hold copies of the user's data.
void RemoveLeftoverTempFolders();
// Removes from `folder` what processes that no longer run left there: every
// entry of this user named <prefix><process id>-<more>, a folder with all it
// holds. The entries of this process and of processes that run, and every
// other name, stay.
void RemoveLeftoversOfEndedProcesses(const std::u16string& folder, const std::string& prefix);
// Attributes (as above) and size of a path in one query; false when the path
// does not exist. The size of a folder is 0. Either out pointer may be null.
bool GetFileStatus(const char16_t* path, DWORD* attributes, uint64_t* size);
// Size of a path (0 for a folder); false when it does not exist.
bool GetFileSize64(const char16_t* path, uint64_t* size);

// The running program's full path (from /proc/self/exe) and its folder with
// the trailing '/'; empty when unknown.
std::u16string GetProgramPath();
std::u16string GetProgramFolderPath();
// Win32 meaning: copies the program path (module must be null) into buf,
// terminated; returns its length, or cap when it was cut (then buf holds the
// first cap - 1 units), or 0 on failure.
DWORD GetModuleFileNameW(void* module, char16_t* buf, DWORD cap);

// Creates one folder (mode 0777 less the umask); FALSE when it exists already
// or its parent is missing. The security argument is ignored.
BOOL CreateDirectoryW(const char16_t* path, void* security = nullptr);
// Deletes a file (not a folder); FALSE on failure.
BOOL DeleteFileW(const char16_t* path);
// Removes an empty folder; FALSE on failure.
BOOL RemoveDirectoryW(const char16_t* path);
// Lets the file's owner run it (adds the owner's execute permission, keeps
// the rest of its mode). FALSE when the path is not a regular file (a link is
// not followed) or its mode cannot be changed.
BOOL SetFileExecutable(const char16_t* path);

// fopen of a wide path; mode as for fopen ("b" is accepted and has no effect).
FILE* WFopen(const char16_t* path, const char* mode);
