// Files and folders by wide path: the file-status query, the program's own
// location, folder creation and file deletion, and fopen by wide path. Paths
// are UTF-16 here and UTF-8 on the file system; the separator is '/'.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win32/uniquefd.h"
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
// The file in every private temporary folder whose lock (flock, see
// entrylock.h) tells that the folder is in use; the folder's user leaves it
// alone.
constexpr char kPrivateFolderLockName[] = ".lock";

// A private folder for temporary files, made by MakePrivateTempFolder: only
// this user may enter it. While the object lives it holds the lock of the
// folder's lock file, so no sweep takes the folder, whatever process or PID
// namespace it runs in; where the lock cannot be taken, the folder is made
// and used without it, under a name that no sweep takes. The program
// puts only regular files directly in it. The destructor removes them, then
// the lock file, then the folder, and gives the lock back; a folder that
// holds anything else (a sub-folder, a link, a device) stays whole, as a
// sweep leaves it.
class PrivateTempFolder {
 public:
  // No folder: Path() is empty.
  PrivateTempFolder() = default;
  ~PrivateTempFolder();
  PrivateTempFolder(PrivateTempFolder&& other) noexcept;
  // Removes this object's folder first.
  PrivateTempFolder& operator=(PrivateTempFolder&& other) noexcept;
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  // The folder's full path, without a trailing '/'; empty when there is none.
  const std::u16string& Path() const { return m_path; }
  explicit operator bool() const { return !m_path.empty(); }

 private:
  friend PrivateTempFolder MakePrivateTempFolder();
  void Remove();

  std::u16string m_path;
  std::string m_name;  // in m_parent
  UniqueFd m_parent, m_folder, m_lock;
};

// A new private folder in the system's folder for temporary files ($TMPDIR,
// else /tmp), of mode 0700, holding only its lock file; none when it cannot be
// made. Its name is "pelmora-<process id>-<six letters or digits>": the id
// says whose it is, only the lock whether it is in use. Left-overs are
// removed first (RemoveLeftoverTempFolders).
PrivateTempFolder MakePrivateTempFolder();
// Removes the private folders of processes that ended without removing theirs
// (killed half-way): they may hold copies of the user's data. It takes only
// what MakePrivateTempFolder makes: a folder (not a link) of this user named
// "pelmora-<digits>-<six letters or digits>", of mode 0700 exactly, with the
// lock file in it as a regular file, and only when it can take that lock
// itself. The lock, not the id in the name, tells whether the maker runs: a
// process in another PID namespace sharing the folder is invisible to kill(),
// and this process holds its own folders' locks. Holding the lock meanwhile,
// it removes the regular files directly inside, then the lock file, then the
// folder; a folder that holds anything else stays whole, and every other
// entry stays, whatever its name.
void RemoveLeftoverTempFolders();
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
