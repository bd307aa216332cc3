// Long texts through the whole-string converters: ASCII runs of every length
// next to every kind of character, and bad input inside long texts. The
// converters copy ASCII without the decoder and write into strings sized in
// advance; these tests pin the exact text and size that must come out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/utf.h"

namespace {

// UTF-8 and UTF-16 forms of one scalar value, written out by the encoding rules.
std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::u16string Utf16Of(char32_t cp) {
  if (cp < 0x10000) return std::u16string(1, static_cast<char16_t>(cp));
  const char32_t v = cp - 0x10000;
  return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

std::string AsciiRun(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

std::u16string WideAsciiRun(size_t n) {
  std::u16string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char16_t>(u'a' + i % 26);
  return s;
}

const std::string kFffd8 = "\xEF\xBF\xBD";

}  // namespace

TEST(UtfLongText, AsciiRunsOfEveryLengthBetweenEveryKindOfCharacter) {
  const char32_t kinds[] = {0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x65E5, 0xFFFD, 0xFFFF, 0x10000, 0x1D11E, 0x10FFFF};
  for (char32_t cp : kinds) {
    std::string narrow;
    std::u16string wide;
    for (size_t run = 0; run <= 40; ++run) {
      narrow += AsciiRun(run) + Utf8Of(cp);
      wide += WideAsciiRun(run) + Utf16Of(cp);
    }
    SCOPED_TRACE(static_cast<uint32_t>(cp));
    EXPECT_EQ(Utf8ToUtf16(narrow), wide);
    EXPECT_EQ(Utf16ToUtf8(wide), narrow);
    std::u16string strictWide;
    std::string strictNarrow;
    EXPECT_TRUE(Utf8ToUtf16Strict(narrow, strictWide));
    EXPECT_EQ(strictWide, wide);
    EXPECT_TRUE(Utf16ToUtf8Strict(wide, strictNarrow));
    EXPECT_EQ(strictNarrow, narrow);
    // The size queries of the code-page stand-ins agree with the texts.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0),
              static_cast<int>(wide.size()));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr),
              static_cast<int>(narrow.size()));
  }
}

TEST(UtfLongText, BadBytesInsideLongTextsBecomeOneFffdEach) {
  const std::string ascii = AsciiRun(1000);
  struct Case {
    std::string bad;
    size_t replacements;
  };
  // A lone continuation byte, a cut three-byte character, an overlong form
  // (two subparts), a byte that never occurs, an encoded surrogate.
  const Case cases[] = {{"\x80", 1}, {"\xE6\x97", 1}, {"\xC0\xAF", 2}, {"\xFF", 1}, {"\xED\xA0\x80", 3}};
  for (const Case& c : cases) {
    for (const std::string& text : {c.bad + ascii, ascii + c.bad + ascii, ascii + c.bad}) {
      SCOPED_TRACE(text.size());
      std::u16string wide = Utf8ToUtf16(text);
      EXPECT_EQ(wide.size(), text.size() - c.bad.size() + c.replacements);
      std::u16string expected;
      for (size_t i = 0; i < text.size();) {
        if (text.compare(i, c.bad.size(), c.bad) == 0) {
          expected.append(c.replacements, u'\uFFFD');
          i += c.bad.size();
        } else {
          expected += static_cast<char16_t>(text[i++]);
        }
      }
      EXPECT_EQ(wide, expected);
      std::u16string strict = u"old";
      EXPECT_FALSE(Utf8ToUtf16Strict(text, strict));
      EXPECT_TRUE(strict.empty());
      EXPECT_EQ(
          MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0),
          0);
    }
  }
}

TEST(UtfLongText, UnpairedSurrogatesInsideLongTextsTakeThreeBytes) {
  const std::u16string ascii = WideAsciiRun(500);
  const std::u16string pair = Utf16Of(0x1F3C1);
  const char16_t high = 0xD83C, low = 0xDFC1;
  struct Case {
    std::u16string units;
    std::string utf8;
  };
  const Case cases[] = {
      {std::u16string(1, low), kFffd8},
      {std::u16string(1, high), kFffd8},
      {std::u16string{high, high, low}, kFffd8 + Utf8Of(0x1F3C1)},
      {std::u16string{low, high}, kFffd8 + kFffd8},
      {pair + pair, Utf8Of(0x1F3C1) + Utf8Of(0x1F3C1)},
  };
  const std::string asciiNarrow = AsciiRun(500);
  for (const Case& c : cases) {
    // In the middle, at the start, and at the very end of the text.
    EXPECT_EQ(Utf16ToUtf8(ascii + c.units + ascii), asciiNarrow + c.utf8 + asciiNarrow);
    EXPECT_EQ(Utf16ToUtf8(c.units + ascii), c.utf8 + asciiNarrow);
    EXPECT_EQ(Utf16ToUtf8(ascii + c.units), asciiNarrow + c.utf8);
  }
  // The size query counts a replaced unit as three bytes; a buffer of exactly
  // that size takes the text, one byte less takes nothing.
  const std::u16string text = ascii + std::u16string{high, u'x', low} + ascii;
  const std::string expected = asciiNarrow + kFffd8 + "x" + kFffd8 + asciiNarrow;
  BOOL usedDefault = FALSE;
  const int need =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
  EXPECT_EQ(need, static_cast<int>(expected.size()));
  EXPECT_TRUE(usedDefault);
  std::vector<char> out(static_cast<size_t>(need));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), need - 1, nullptr,
                                nullptr),
            0);
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), need, nullptr, nullptr),
      need);
  EXPECT_EQ(std::string(out.begin(), out.end()), expected);
  std::string strict = "old";
  EXPECT_FALSE(Utf16ToUtf8Strict(text, strict));
  EXPECT_TRUE(strict.empty());
}

TEST(UtfLongText, RangeConverterStopsAtTheSameCharacterAfterLongAsciiRuns) {
  // The range converter decodes each character once; where it stops and what
  // it reports must not depend on what came before.
  const std::string ascii = AsciiRun(300);
  struct Case {
    std::string tail;
    ConversionResult result;
  };
  const Case cases[] = {{"\xE6\x97", sourceExhausted},
                        {"\xF0\x9F\x8F", sourceExhausted},
                        {"\xE6"
                         "a",
                         sourceIllegal},
                        {"\x80", sourceIllegal},
                        {"\xC0\xAF", sourceIllegal}};
  for (const Case& c : cases) {
    const std::string text = ascii + c.tail;
    const UTF8* s = reinterpret_cast<const UTF8*>(text.data());
    std::vector<UTF16> out(text.size());
    UTF16* t = out.data();
    EXPECT_EQ(ConvertUTF8toUTF16(&s, s + text.size(), &t, t + out.size(), strictConversion), c.result);
    EXPECT_EQ(s, reinterpret_cast<const UTF8*>(text.data()) + ascii.size());
    EXPECT_EQ(static_cast<size_t>(t - out.data()), ascii.size());
  }
}
