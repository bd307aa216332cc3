// The one owner of a C stdio stream. Every FILE* the program opens lives in a
// FileHandle: the destructor closes it on every path, and Close() closes it
// early and reports whether the buffered writes reached the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/win32/files.h"

class FileHandle {
 public:
  FileHandle() = default;
  // Takes ownership of f (null gives an empty handle).
  explicit FileHandle(FILE* f) : m_file(f) {}
  // Opens a wide path as WFopen does; the handle is empty on failure.
  FileHandle(const char16_t* path, const char* mode) : m_file(WFopen(path, mode)) {}

  FILE* get() const { return m_file.get(); }
  explicit operator bool() const { return m_file != nullptr; }

  // Closes the stream now; true when there was one and fclose succeeded.
  // The handle is empty afterwards whatever the result.
  bool Close() { return m_file && std::fclose(m_file.release()) == 0; }
  // Gives the stream up without closing it.
  FILE* release() { return m_file.release(); }
  // Closes the current stream (its result is lost) and takes f.
  void reset(FILE* f = nullptr) { m_file.reset(f); }

  // The size in bytes of the open stream when it is a regular file; false
  // for anything else (a folder, a pipe, a device) and for an empty handle,
  // whose size is then 0. Files whose size a seek cannot tell (a folder
  // reports a huge end) are refused here rather than read for ever.
  bool RegularFileSize(uint64_t* size) const;

 private:
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> m_file;
};
