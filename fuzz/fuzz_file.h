// The readers under test take a path: each fuzz input is written to one file
// of this process (in a memory-backed folder when there is one) and the
// reader opens it like any other file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/filehandle.h"
#include "platform/win32/utf.h"

// The folder the targets keep their files in: PM_FUZZ_TMP when set, else
// /dev/shm when it can be written, else /tmp.
inline std::string FuzzTempFolder() {
  const char* dir = std::getenv("PM_FUZZ_TMP");
  if (!dir || !*dir) dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return dir;
}

class FuzzFile {
 public:
  // A file of this process in FuzzTempFolder(), its name ending in suffix.
  explicit FuzzFile(const char* suffix)
      : FuzzFile(FuzzTempFolder() + "/pm_fuzz_" + std::to_string(getpid()) + suffix) {}
  // The file at a native path whose folder exists.
  explicit FuzzFile(const std::string& path) : m_path(path), m_path16(Utf8ToUtf16(path)) {}
  ~FuzzFile() { std::remove(m_path.c_str()); }
  FuzzFile(const FuzzFile&) = delete;
  FuzzFile& operator=(const FuzzFile&) = delete;

  // Replaces the file's bytes; aborts when they cannot be written, since a
  // short file would test something else than the input.
  void Put(const uint8_t* data, size_t size) {
    FileHandle f(m_path16.c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f.get()) != size) || !f.Close()) std::abort();
  }
  void Remove() { std::remove(m_path.c_str()); }
  // Whether the file still holds exactly these bytes.
  bool Holds(const uint8_t* data, size_t size) const {
    FileHandle f(m_path16.c_str(), "rb");
    std::string bytes(size + 1, '\0');
    return f && std::fread(bytes.data(), 1, size + 1, f.get()) == size &&
           (size == 0 || std::memcmp(bytes.data(), data, size) == 0);
  }
  // The file's bytes; aborts when it cannot be read.
  std::string Bytes() const {
    FileHandle f(m_path16.c_str(), "rb");
    if (!f) std::abort();
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0;) bytes.append(chunk, n);
    if (std::ferror(f.get())) std::abort();
    return bytes;
  }

  const char16_t* Path() const { return m_path16.c_str(); }

 private:
  std::string m_path;
  std::u16string m_path16;
};
