#include "platform/classlib/CStdioFileEx.h"

#include <string>

#include "platform/win32/utf.h"

namespace {

constexpr unsigned char kMark[2] = {0xFF, 0xFE};

bool StartsWithMark(const char16_t* path) {
  FileHandle file(path, "rb");
  unsigned char head[2];
  return file && std::fread(head, 1, 2, file.get()) == 2 && head[0] == kMark[0] && head[1] == kMark[1];
}

}  // namespace

BOOL CStdioFileEx::IsFileUnicode(const char16_t* path, UINT& flags) {
  m_bIsUnicodeText = 0;
  const bool forReading = (flags & typeText) && !(flags & (modeCreate | modeWrite));
  if (forReading && path && StartsWithMark(path)) {
    m_bIsUnicodeText = 1;
    flags = (flags & ~static_cast<UINT>(typeText)) | typeBinary;
  }
  m_nFlags = flags;
  return IsUnicodeText();
}

BOOL CStdioFileEx::Open(const char16_t* path, UINT flags, CFileException* error) {
  IsFileUnicode(path, flags);
  return CStdioFile::Open(path, flags, error);
}

BOOL CStdioFileEx::ReadString(CString& line) {
  std::u16string text;
  if (m_bIsUnicodeText) {
    if (GetPosition() == 0) {
      unsigned char mark[2];
      if (Read(mark, 2) != 2) {
        line.Empty();
        return FALSE;
      }
    }
    if (!ReadUtf16Line(text)) {
      line.Empty();
      return FALSE;
    }
  } else {
    std::string bytes;
    if (!ReadByteLine(bytes, kMaxBytePiece)) {
      line.Empty();
      return FALSE;
    }
    text = Utf8ToUtf16(bytes);
  }
  TrimLineEnd(text);
  line = CString(std::move(text));
  return TRUE;
}

BOOL CStdioFileEx::WriteString(const char16_t* text) {
  if (!(m_nFlags & modeWriteUnicode)) return CStdioFile::WriteString(text);
  if (GetPosition() == 0 && !Write(kMark, 2)) return FALSE;
  std::string bytes;
  for (const char16_t* p = text; p && *p; ++p) {
    bytes.push_back(static_cast<char>(*p & 0xFF));
    bytes.push_back(static_cast<char>(*p >> 8));
  }
  return Write(bytes.data(), static_cast<UINT>(bytes.size()));
}
