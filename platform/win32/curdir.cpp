#include "platform/win32/curdir.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/win32/files.h"

BOOL SetCurrentDirectoryW(const char16_t* path) {
  if (!path || !*path) return FALSE;
  return ::chdir(PathToNative(path).c_str()) == 0 ? TRUE : FALSE;
}

std::u16string GetCurrentDirectoryPath() {
  std::vector<char> buf(4096);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() >= (1u << 20)) return std::u16string();
    buf.resize(buf.size() * 2);
  }
  return PathFromNative(buf.data());
}

DWORD GetCurrentDirectoryW(DWORD cap, char16_t* buf) {
  const std::u16string path = GetCurrentDirectoryPath();
  if (path.empty()) return 0;
  if (!buf || path.size() >= cap) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buf, path.data(), path.size() * sizeof(char16_t));
  buf[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}
