#include "platform/classlib/CFile.h"

#include <sys/types.h>

namespace {

// The stdio mode of a set of open flags. Every file is opened as bytes: on
// this platform text mode translates nothing, and the line readers take the
// Windows line ends off themselves.
const char* StdioMode(UINT flags, bool exists) {
  const bool writeOnly = (flags & CFile::modeWrite) != 0;
  if (flags & CFile::modeCreate) {
    if ((flags & CFile::modeNoTruncate) && exists) return "r+b";
    return writeOnly ? "wb" : "w+b";
  }
  return flags & (CFile::modeWrite | CFile::modeReadWrite) ? "r+b" : "rb";
}

}  // namespace

BOOL CFile::Open(const char16_t* path, UINT flags, CFileException*) {
  Close();
  if (!path || !*path) return FALSE;
  m_file.reset(WFopen(path, StdioMode(flags, PathFileExistsW(path))));
  return IsOpen();
}

void CFile::Close() { m_file.Close(); }

UINT CFile::Read(void* buffer, UINT count) {
  if (!m_file || !buffer || count == 0) return 0;
  return static_cast<UINT>(std::fread(buffer, 1, count, m_file.get()));
}

BOOL CFile::Write(const void* buffer, UINT count) {
  if (!m_file) return FALSE;
  if (count == 0) return TRUE;
  if (!buffer) return FALSE;
  return std::fwrite(buffer, 1, count, m_file.get()) == count ? TRUE : FALSE;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  if (!m_file || from > end) return static_cast<ULONGLONG>(-1);
  const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
  if (fseeko(m_file.get(), static_cast<off_t>(offset), whence) != 0) return static_cast<ULONGLONG>(-1);
  return GetPosition();
}

ULONGLONG CFile::GetPosition() const {
  if (!m_file) return 0;
  const off_t pos = ftello(m_file.get());
  return pos < 0 ? 0 : static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
  if (!m_file) return 0;
  FILE* f = m_file.get();
  const off_t pos = ftello(f);
  if (pos < 0 || fseeko(f, 0, SEEK_END) != 0) return 0;
  const off_t size = ftello(f);
  fseeko(f, pos, SEEK_SET);
  return size < 0 ? 0 : static_cast<ULONGLONG>(size);
}

BOOL CFile::Flush() { return m_file && std::fflush(m_file.get()) == 0 ? TRUE : FALSE; }
