// CStdioFileEx: one line reader for UTF-16LE text files that start with the
// byte-order mark FF FE and for 8-bit text files (UTF-8 on this platform),
// and a writer of either form.
//
// Reading: Open with typeText (and neither modeCreate nor modeWrite) tests
// the first two bytes; a file that starts with FF FE is read as UTF-16LE
// (the mark is skipped), any other as 8-bit text in pieces of at most 4095
// bytes per line. ReadString takes the line end off: CR LF, else one final
// CR or LF. A file opened for writing is never taken for UTF-16.
// Writing: with modeWriteUnicode, WriteString puts the mark at the start of
// the file and then the text's UTF-16LE units; without it, the UTF-8 bytes.
// No line end is added either way.
#pragma once

#include "platform/classlib/CStdioFile.h"

class CStdioFileEx : public CStdioFile {
 public:
  static constexpr UINT modeWriteUnicode = 0x20000;
  // The longest piece of an 8-bit line that one ReadString returns.
  static constexpr size_t kMaxBytePiece = 4095;

  CStdioFileEx() = default;

  // Tests the file as described above and stores the result; a UTF-16 file
  // has typeText changed to typeBinary in `flags`. A file that cannot be
  // opened is not UTF-16. Returns whether the file is UTF-16.
  BOOL IsFileUnicode(const char16_t* path, UINT& flags);
  // IsFileUnicode, then the open with the adjusted flags.
  BOOL Open(const char16_t* path, UINT flags, CFileException* error = nullptr) override;
  BOOL ReadString(CString& line) override;
  BOOL WriteString(const char16_t* text) override;

  BOOL IsUnicodeText() const { return m_bIsUnicodeText ? TRUE : FALSE; }

 private:
  BYTE m_bIsUnicodeText = 0;
  UINT m_nFlags = 0;
};
