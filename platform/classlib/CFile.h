// CFile: a file opened by wide path with the class library's open flags,
// read and written as bytes. Failures are results (FALSE, 0), never
// exceptions. The stream is a FileHandle, the one owner of the FILE*, which
// CStdioFile reads line by line.
#pragma once

#include <cstdio>

#include "platform/win32/filehandle.h"
#include "platform/win32/wintypes.h"

class CFileException;  // never filled here: failures show in the results

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  CFile() = default;
  virtual ~CFile() = default;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens `path`; an open file is closed first. modeCreate makes the file
  // (emptying an existing one unless modeNoTruncate is given); without it the
  // file must exist. The position starts at 0. `error` is not filled.
  virtual BOOL Open(const char16_t* path, UINT flags, CFileException* error = nullptr);
  // Closes the file; a file that is not open is left as it is.
  virtual void Close();
  BOOL IsOpen() const { return m_file ? TRUE : FALSE; }

  // The number of bytes read, 0 at the end of the file or on failure.
  virtual UINT Read(void* buffer, UINT count);
  // TRUE when all `count` bytes were written.
  virtual BOOL Write(const void* buffer, UINT count);
  // The new position, or (ULONGLONG)-1 when the seek failed.
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  // The current position; 0 when the file is not open.
  virtual ULONGLONG GetPosition() const;
  // The length in bytes; 0 when the file is not open.
  virtual ULONGLONG GetLength() const;
  virtual BOOL Flush();

 protected:
  FILE* Stream() const { return m_file.get(); }

 private:
  FileHandle m_file;
};
