#include "platform/win32/filehandle.h"

#include <sys/stat.h>

bool FileHandle::RegularFileSize(uint64_t* size) const {
  if (size) *size = 0;
  if (!m_file) return false;
  struct stat st;
  if (::fstat(::fileno(m_file.get()), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (size) *size = static_cast<uint64_t>(st.st_size);
  return true;
}
