#include "platform/classlib/CStdioFile.h"

#include "platform/win32/utf.h"

void TrimLineEnd(std::u16string& line) {
  if (line.size() >= 2 && line[line.size() - 2] == u'\r' && line.back() == u'\n')
    line.resize(line.size() - 2);
  else if (!line.empty() && (line.back() == u'\r' || line.back() == u'\n'))
    line.pop_back();
}

bool CStdioFile::ReadByteLine(std::string& line, size_t maxBytes) {
  line.clear();
  FILE* f = Stream();
  if (!f) return false;
  while (line.size() < maxBytes) {
    const int c = std::getc(f);
    if (c == EOF) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

bool CStdioFile::ReadUtf16Line(std::u16string& line) {
  line.clear();
  FILE* f = Stream();
  if (!f) return false;
  for (;;) {
    const int lo = std::getc(f);
    if (lo == EOF) break;
    const int hi = std::getc(f);
    if (hi == EOF) break;
    const char16_t unit = static_cast<char16_t>(lo | (hi << 8));
    line.push_back(unit);
    if (unit == u'\n') break;
  }
  return !line.empty();
}

BOOL CStdioFile::ReadString(CString& line) {
  std::string bytes;
  if (!ReadByteLine(bytes, bytes.max_size())) {
    line.Empty();
    return FALSE;
  }
  std::u16string text = Utf8ToUtf16(bytes);
  TrimLineEnd(text);
  line = CString(std::move(text));
  return TRUE;
}

BOOL CStdioFile::WriteString(const char16_t* text) {
  const std::string bytes = Utf16ToUtf8(text);
  return Write(bytes.data(), static_cast<UINT>(bytes.size()));
}
