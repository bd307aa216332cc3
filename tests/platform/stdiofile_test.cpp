#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classlib/CStdioFileEx.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

std::string Utf16File(std::u16string_view text) {
  std::vector<uint8_t> b = Utf16LeBytes(text, true);
  return std::string(b.begin(), b.end());
}

// Every line ReadString gives, after an Open for reading as text.
std::vector<std::u16string> ReadLines(const TempDir& dir, const std::string& bytes, bool* unicode = nullptr) {
  const std::string path = dir.File("lines.txt");
  EXPECT_TRUE(WriteBytes(path, bytes));
  CStdioFileEx f;
  std::vector<std::u16string> lines;
  if (!f.Open(Utf8ToUtf16(path).c_str(), CFile::typeText | CFile::modeNoTruncate)) return lines;
  if (unicode) *unicode = f.IsUnicodeText();
  CString line;
  while (f.ReadString(line)) lines.push_back(line.Str());
  return lines;
}

TEST(StdioFileEx, ReadsUtf16WithMarkAndEightBitTextAsTheSameLines) {
  TempDir dir;
  const std::string longLine(5000, 'x');
  struct Case {
    const char* what;
    std::string bytes;
    bool unicode;
    std::vector<std::u16string> lines;
  } cases[] = {
      {"UTF-16LE with mark", Utf16File(u"version\r\n101\r\n"), true, {u"version", u"101"}},
      {"UTF-16LE, last line open", Utf16File(u"chksum\n\u6771\u4eac"), true, {u"chksum", u"\u6771\u4eac"}},
      {"UTF-16LE, mark only", Utf16File(u""), true, {}},
      {"UTF-16LE, odd last byte", Utf16File(u"ab") + "c", true, {u"ab"}},
      {"8-bit CR LF", "version\r\n101\r\n", false, {u"version", u"101"}},
      {"8-bit LF, last line open", "version\n101", false, {u"version", u"101"}},
      {"8-bit final CR", "a\nb\r", false, {u"a", u"b"}},
      {"8-bit empty lines", "\n\r\n", false, {u"", u""}},
      {"UTF-8 text", "S\xC3\xBC\x64\n", false, {u"S\u00fcd"}},
      {"mark reversed is 8-bit", "\xFE\xFFx", false, {u"\uFFFD\uFFFDx"}},
      {"empty file", "", false, {}},
      {"long 8-bit line in pieces", longLine + "\n", false, {std::u16string(4095, u'x'), std::u16string(905, u'x')}},
  };
  for (const Case& c : cases) {
    bool unicode = !c.unicode;
    EXPECT_EQ(ReadLines(dir, c.bytes, &unicode), c.lines) << c.what;
    EXPECT_EQ(unicode, c.unicode) << c.what;
  }
}

TEST(StdioFileEx, AFileOpenedForWritingIsNeverTakenForUtf16) {
  TempDir dir;
  const std::string path = dir.File("w.txt");
  ASSERT_TRUE(WriteBytes(path, Utf16File(u"x")));
  for (UINT flags : {CFile::typeText | CFile::modeWrite, CFile::typeText | CFile::modeCreate | CFile::modeNoTruncate}) {
    CStdioFileEx f;
    UINT adjusted = flags;
    EXPECT_FALSE(f.IsFileUnicode(Utf8ToUtf16(path).c_str(), adjusted));
    EXPECT_EQ(adjusted, flags);
  }
}

TEST(StdioFileEx, WritesUtf16WithOneMarkOrUtf8Bytes) {
  TempDir dir;
  const std::u16string wide = dir.WFile("u.txt"), narrow = dir.WFile("n.txt");
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(wide.c_str(), CFile::modeCreate | CFile::modeWrite | CStdioFileEx::modeWriteUnicode));
    EXPECT_TRUE(f.WriteString(u"abc"));
    EXPECT_TRUE(f.WriteString(u"\u00e9"));
  }
  EXPECT_EQ(ReadBytes(Utf16ToUtf8(wide)), std::string("\xFF\xFE"
                                                      "a\0b\0c\0\xE9\0",
                                                      10));
  {
    CStdioFileEx f;
    ASSERT_TRUE(f.Open(narrow.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    EXPECT_TRUE(f.WriteString(u"S\u00fcd\n"));
  }
  EXPECT_EQ(ReadBytes(Utf16ToUtf8(narrow)),
            "S\xC3\xBC"
            "d\n");
}

TEST(StdioFileEx, AMissingFileDoesNotOpen) {
  TempDir dir;
  CStdioFileEx f;
  CString line;
  EXPECT_FALSE(f.Open(dir.WFile("missing.txt").c_str(), CFile::typeText | CFile::modeNoTruncate));
  EXPECT_FALSE(f.IsUnicodeText());
  EXPECT_FALSE(f.ReadString(line));
}

}  // namespace
