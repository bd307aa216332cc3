#include "platform/win32/files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/entrylock.h"
#include "platform/win32/utf.h"
#include "platform/win32/wstr.h"

std::string PathToNative(const char16_t* path) {
  if (!path) return std::string();
  return Utf16ToUtf8(std::u16string_view(path, WStrLen(path)));
}

std::u16string PathFromNative(const std::string& path) { return Utf8ToUtf16(path); }

bool GetFileStatus(const char16_t* path, DWORD* attributes, uint64_t* size) {
  if (attributes) *attributes = INVALID_FILE_ATTRIBUTES;
  if (size) *size = 0;
  if (!path || !*path) return false;
  struct stat st;
  if (::stat(PathToNative(path).c_str(), &st) != 0) return false;
  const bool dir = S_ISDIR(st.st_mode);
  if (attributes) *attributes = FileAttributesFromMode(static_cast<uint32_t>(st.st_mode));
  if (size) *size = dir ? 0 : static_cast<uint64_t>(st.st_size);
  return true;
}

bool IsReadableFile(const char16_t* path) {
  if (!path || !*path) return false;
  const int fd = ::open(PathToNative(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

namespace {

constexpr char kTempFolderPrefix[] = "pelmora-";
// What mkdtemp puts in place of "XXXXXX": letters and digits.
constexpr size_t kUniqueChars = 6;
constexpr mode_t kPrivateMode = 0700;
// Each try fails only when a sweep took the new folder before its lock.
constexpr int kMakeAttempts = 100;

std::string TempBase() {
  const char* base = std::getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether the name has the form MakePrivateTempFolder gives it: the prefix,
// digits, '-' and six letters or digits.
bool IsPrivateFolderName(std::string_view name) {
  if (!name.starts_with(kTempFolderPrefix)) return false;
  name.remove_prefix(sizeof kTempFolderPrefix - 1);
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos) return false;
  const std::string_view id = name.substr(0, dash), unique = name.substr(dash + 1);
  return std::all_of(id.begin(), id.end(), IsAsciiDigit) && unique.size() == kUniqueChars &&
         std::all_of(unique.begin(), unique.end(), IsAsciiAlnum);
}

// Whether the open folder is as MakePrivateTempFolder makes it: this user's,
// and only this user's to enter.
bool IsPrivateFolder(int folder) {
  struct stat st;
  return ::fstat(folder, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 07777) == kPrivateMode &&
         st.st_uid == ::geteuid();
}

// Removes the folder `name` of `parent`, open as `folder`, whose lock the
// caller holds: the regular files directly in it, then the lock file, then
// the folder. The program puts nothing else there, so a folder that holds
// anything else is not as the program left it and stays whole.
void RemoveHeldFolder(int parent, const std::string& name, int folder) {
  if (!IsStillNamed(folder, parent, name)) return;
  const std::vector<std::string> entries = EntryNames(folder);
  // The lock file is always there: no entries is a listing that failed.
  if (entries.empty()) return;
  for (const std::string& entry : entries) {
    struct stat st;
    if (::fstatat(folder, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return;
  }
  for (const std::string& entry : entries)
    if (entry != kPrivateFolderLockName) ::unlinkat(folder, entry.c_str(), 0);
  ::unlinkat(folder, kPrivateFolderLockName, 0);
  ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

// Removes the entry `name` of `parent` when it is a private folder whose
// maker ended: its lock is free. The lock is held until the folder is gone.
void RemoveIfLeftover(int parent, const std::string& name) {
  if (!IsPrivateFolderName(name)) return;
  const UniqueFd folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder || !IsPrivateFolder(folder.get())) return;
  const UniqueFd lock(::openat(folder.get(), kPrivateFolderLockName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (!lock || ::fstat(lock.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  if (TryLockEntry(lock.get()) != EntryLock::kHeld || !IsStillNamed(lock.get(), folder.get(), kPrivateFolderLockName))
    return;
  RemoveHeldFolder(parent, name, folder.get());
}

}  // namespace

PrivateTempFolder::~PrivateTempFolder() { Remove(); }

PrivateTempFolder::PrivateTempFolder(PrivateTempFolder&& other) noexcept
    : m_path(std::exchange(other.m_path, {})),
      m_name(std::exchange(other.m_name, {})),
      m_parent(std::move(other.m_parent)),
      m_folder(std::move(other.m_folder)),
      m_lock(std::move(other.m_lock)) {}

PrivateTempFolder& PrivateTempFolder::operator=(PrivateTempFolder&& other) noexcept {
  if (this == &other) return *this;
  Remove();
  m_path = std::exchange(other.m_path, {});
  m_name = std::exchange(other.m_name, {});
  m_parent = std::move(other.m_parent);
  m_folder = std::move(other.m_folder);
  m_lock = std::move(other.m_lock);
  return *this;
}

void PrivateTempFolder::Remove() {
  if (m_lock) RemoveHeldFolder(m_parent.get(), m_name, m_folder.get());
  m_lock.reset();
  m_folder.reset();
  m_parent.reset();
  m_path.clear();
  m_name.clear();
}

PrivateTempFolder MakePrivateTempFolder() {
  RemoveLeftoverTempFolders();
  const std::string base = TempBase();
  UniqueFd parent(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent) return PrivateTempFolder();
  for (int attempt = 0; attempt < kMakeAttempts; ++attempt) {
    std::string path = base + "/" + kTempFolderPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(path.data())) break;
    std::string name = path.substr(base.size() + 1);
    UniqueFd folder(::openat(parent.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) break;
    // mkdtemp's mode is 0700 less the umask; the sweep knows the folder by 0700 exactly.
    UniqueFd lock;
    if (::fchmod(folder.get(), kPrivateMode) == 0)
      lock.reset(
          ::openat(folder.get(), kPrivateFolderLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock) {
      ::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR);
      break;
    }
    if (!LockOrMoveToUnlockedName(lock.get(), folder.get(), parent.get(), name, sizeof kTempFolderPrefix - 1)) {
      ::unlinkat(folder.get(), kPrivateFolderLockName, 0);
      ::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR);
      continue;
    }
    // A sweep may have taken the folder between its making and the lock.
    if (!IsStillNamed(lock.get(), folder.get(), kPrivateFolderLockName) ||
        !IsStillNamed(folder.get(), parent.get(), name))
      continue;
    PrivateTempFolder made;
    made.m_path = PathFromNative(base + "/" + name);
    made.m_name = name;
    made.m_parent = std::move(parent);
    made.m_folder = std::move(folder);
    made.m_lock = std::move(lock);
    return made;
  }
  return PrivateTempFolder();
}

void RemoveLeftoverTempFolders() {
  const UniqueFd base(::open(TempBase().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!base) return;
  for (const std::string& name : EntryNames(base.get())) RemoveIfLeftover(base.get(), name);
}

bool PathFitsSystem(const char16_t* path) {
  if (!path) return false;
  const std::string native = PathToNative(path);
  if (native.size() >= PATH_MAX) return false;
  size_t part = 0;
  for (const char c : native) {
    part = c == '/' ? 0 : part + 1;
    if (part > NAME_MAX) return false;
  }
  return true;
}

DWORD FileAttributesFromMode(uint32_t mode) {
  DWORD a = 0;
  if (S_ISDIR(mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  return a ? a : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetFileAttributesW(const char16_t* path) {
  DWORD a;
  GetFileStatus(path, &a, nullptr);
  return a;
}

bool PathFileExistsW(const char16_t* path) { return GetFileStatus(path, nullptr, nullptr); }

bool GetFileSize64(const char16_t* path, uint64_t* size) { return GetFileStatus(path, nullptr, size); }

std::u16string GetProgramPath() {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return std::u16string();
    if (static_cast<size_t>(n) < buf.size()) return Utf8ToUtf16(std::string_view(buf.data(), static_cast<size_t>(n)));
    if (buf.size() >= (1u << 20)) return std::u16string();
    buf.resize(buf.size() * 2);
  }
}

std::u16string GetProgramFolderPath() {
  std::u16string p = GetProgramPath();
  size_t slash = p.rfind(PATH_SEP);
  if (slash == std::u16string::npos) return std::u16string();
  return p.substr(0, slash + 1);
}

DWORD GetModuleFileNameW(void* module, char16_t* buf, DWORD cap) {
  if (module || !buf || cap == 0) return 0;
  std::u16string p = GetProgramPath();
  if (p.empty()) {
    buf[0] = 0;
    return 0;
  }
  if (p.size() >= cap) {
    std::memcpy(buf, p.data(), (cap - 1) * sizeof(char16_t));
    buf[cap - 1] = 0;
    return cap;
  }
  std::memcpy(buf, p.data(), p.size() * sizeof(char16_t));
  buf[p.size()] = 0;
  return static_cast<DWORD>(p.size());
}

BOOL CreateDirectoryW(const char16_t* path, void*) {
  if (!path || !*path) return FALSE;
  return ::mkdir(PathToNative(path).c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL DeleteFileW(const char16_t* path) {
  if (!path || !*path) return FALSE;
  std::string p = PathToNative(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return FALSE;
  return ::unlink(p.c_str()) == 0 ? TRUE : FALSE;
}

BOOL RemoveDirectoryW(const char16_t* path) {
  if (!path || !*path) return FALSE;
  return ::rmdir(PathToNative(path).c_str()) == 0 ? TRUE : FALSE;
}

BOOL SetFileExecutable(const char16_t* path) {
  if (!path || !*path) return FALSE;
  std::string p = PathToNative(path);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FALSE;
  return ::chmod(p.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0 ? TRUE : FALSE;
}

FILE* WFopen(const char16_t* path, const char* mode) {
  if (!path || !*path || !mode) return nullptr;
  return std::fopen(PathToNative(path).c_str(), mode);
}
