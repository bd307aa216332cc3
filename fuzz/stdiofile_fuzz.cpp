// The 8-bit/UTF-16 line reader of the program's text files, as the update
// description check uses it: any bytes as a file, read line by line to its
// end, the "version" and "chksum" values taken, and the checksum compared
// with the file's own MD5. Every line read is a proper text, and the
// reader ends after at most one line per byte.
#include <cstdint>
#include <cstdlib>

#include "appcore/SelfUpdate.h"
#include "fuzz/fuzz_file.h"
#include "platform/classlib/CStdioFileEx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file(".txt");
  file.Put(data, size);

  CStdioFileEx reader;
  if (!reader.Open(file.Path(), CFile::typeText | CFile::modeNoTruncate)) return 0;
  CString line, version, checksum;
  size_t lines = 0;
  while (reader.ReadString(line)) {
    if (++lines > size + 1) std::abort();
    if (line.Str() == u"version")
      reader.ReadString(version);
    else if (line.Str() == u"chksum")
      reader.ReadString(checksum);
  }
  reader.Close();
  if (!checksum.IsEmpty()) (void)VerifyFileMd5(file.Path(), checksum);
  return 0;
}
