#include "platform/win32/files.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

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

std::string TempBase() {
  const char* base = std::getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

// The process id of a name <prefix><digits>-<more>; 0 for any other name.
pid_t ProcessOfLeftover(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  pid_t pid = 0;
  const char* const end = name.data() + name.size();
  const char* digits = name.data() + prefix.size();
  const auto [after, error] = std::from_chars(digits, end, pid);
  if (error != std::errc() || after == digits || after + 1 >= end || *after != '-') return 0;
  return pid;
}

// A process of another user may run under the id too: it counts as running.
bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::u16string MakePrivateTempFolder() {
  RemoveLeftoverTempFolders();
  std::string pattern = TempBase() + "/" + kTempFolderPrefix + std::to_string(::getpid()) + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) return std::u16string();
  return PathFromNative(pattern);
}

void RemoveLeftoverTempFolders() { RemoveLeftoversOfEndedProcesses(PathFromNative(TempBase()), kTempFolderPrefix); }

void RemoveLeftoversOfEndedProcesses(const std::u16string& folder, const std::string& prefix) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(PathToNative(folder.c_str()), ec), end; !ec && it != end;
       it.increment(ec)) {
    const pid_t pid = ProcessOfLeftover(it->path().filename().string(), prefix);
    if (pid <= 0 || pid == ::getpid() || ProcessRuns(pid)) continue;
    // Only this user's: a shared folder for temporary files holds others' too.
    struct stat st;
    if (::lstat(it->path().c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
    std::error_code removed;
    std::filesystem::remove_all(it->path(), removed);
  }
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
