#include "platform/win32/utf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
const char kEAcute[] = "\xC3\xA9";         // U+00E9
const char kGClef[] = "\xF0\x9D\x84\x9E";  // U+1D11E
}  // namespace

TEST(Utf, RoundTripKeepsSurrogatePairsWhole) {
  std::string s = std::string("a") + kEAcute + kGClef + "\xE6\x97\xA5";
  std::u16string w = Utf8ToUtf16(s);
  ASSERT_EQ(w.size(), 5u);
  EXPECT_EQ(w[1], 0x00E9);
  EXPECT_EQ(w[2], 0xD834);
  EXPECT_EQ(w[3], 0xDD1E);
  EXPECT_EQ(w[4], 0x65E5);
  EXPECT_EQ(Utf16ToUtf8(w), s);
  std::string back;
  EXPECT_TRUE(Utf16ToUtf8Strict(w, back));
  EXPECT_EQ(back, s);
}

TEST(Utf, ReplacingModeTurnsBadInputIntoFffd) {
  // Lone continuation byte, overlong form, encoded surrogate, truncated sequence.
  EXPECT_EQ(Utf8ToUtf16("a\x80"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("x\xE6\x97"), u"x\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
  // Lone surrogates in UTF-16 become U+FFFD; a pair split by the end too.
  std::u16string lone = u"a";
  lone.push_back(char16_t(0xDC00));
  lone.push_back(u'b');
  lone.push_back(char16_t(0xD800));
  EXPECT_EQ(Utf16ToUtf8(lone),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

TEST(Utf, StrictModeRefusesBadInput) {
  std::u16string w = u"keep";
  EXPECT_FALSE(Utf8ToUtf16Strict("ok\xFF", w));
  EXPECT_TRUE(w.empty());
  EXPECT_TRUE(Utf8ToUtf16Strict(kEAcute, w));
  EXPECT_EQ(w, u"\u00E9");
  std::string s;
  std::u16string lone(1, char16_t(0xD800));
  EXPECT_FALSE(Utf16ToUtf8Strict(lone, s));
}

TEST(Utf, RangeConvertersReportAndAdvance) {
  // Target too small: stops before the character that does not fit.
  const char16_t src[] = u"a\u00E9";
  const UTF16* sp = reinterpret_cast<const UTF16*>(src);
  UTF8 out[2];
  UTF8* tp = out;
  EXPECT_EQ(ConvertUTF16toUTF8(&sp, sp + 2, &tp, out + 2, strictConversion), targetExhausted);
  EXPECT_EQ(tp - out, 1);
  EXPECT_EQ(sp - reinterpret_cast<const UTF16*>(src), 1);

  // A high surrogate at the end of the input: source exhausted.
  const UTF16 half[] = {u'x', 0xD834};
  sp = half;
  UTF8 big[16];
  tp = big;
  EXPECT_EQ(ConvertUTF16toUTF8(&sp, half + 2, &tp, big + 16, strictConversion), sourceExhausted);
  EXPECT_EQ(sp, half + 1);

  // Unpaired low surrogate: illegal when strict, U+FFFD when lenient.
  const UTF16 low[] = {0xDC00, u'y'};
  sp = low;
  tp = big;
  EXPECT_EQ(ConvertUTF16toUTF8(&sp, low + 2, &tp, big + 16, strictConversion), sourceIllegal);
  EXPECT_EQ(sp, low);
  sp = low;
  tp = big;
  EXPECT_EQ(ConvertUTF16toUTF8(&sp, low + 2, &tp, big + 16, lenientConversion), conversionOK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(big), tp - big), "\xEF\xBF\xBDy");

  // UTF-8 truncated at the end versus malformed.
  const UTF8 trunc[] = {'a', 0xE6, 0x97};
  const UTF8* s8 = trunc;
  UTF16 w[8];
  UTF16* wp = w;
  EXPECT_EQ(ConvertUTF8toUTF16(&s8, trunc + 3, &wp, w + 8, strictConversion), sourceExhausted);
  EXPECT_EQ(s8, trunc + 1);
  const UTF8 bad[] = {'a', 0xC0, 0x80};
  s8 = bad;
  wp = w;
  EXPECT_EQ(ConvertUTF8toUTF16(&s8, bad + 3, &wp, w + 8, strictConversion), sourceIllegal);
  EXPECT_EQ(s8, bad + 1);

  // A supplementary character needs two target units.
  const UTF8* g = reinterpret_cast<const UTF8*>(kGClef);
  wp = w;
  EXPECT_EQ(ConvertUTF8toUTF16(&g, g + 4, &wp, w + 1, strictConversion), targetExhausted);
  EXPECT_EQ(wp, w);
}

TEST(Utf, Utf32Routines) {
  const UTF32 src[] = {0x41, 0x1D11E, 0x110000, 0xD800};
  const UTF32* sp = src;
  UTF16 w[8];
  UTF16* wp = w;
  EXPECT_EQ(ConvertUTF32toUTF16(&sp, src + 4, &wp, w + 8, strictConversion), sourceIllegal);
  EXPECT_EQ(sp, src + 2);
  sp = src;
  wp = w;
  EXPECT_EQ(ConvertUTF32toUTF16(&sp, src + 4, &wp, w + 8, lenientConversion), conversionOK);
  EXPECT_EQ(wp - w, 5);
  EXPECT_EQ(w[3], 0xFFFD);
  EXPECT_EQ(w[4], 0xFFFD);

  const UTF16* rp = w;
  UTF32 back[8];
  UTF32* bp = back;
  EXPECT_EQ(ConvertUTF16toUTF32(&rp, w + 3, &bp, back + 8, strictConversion), conversionOK);
  EXPECT_EQ(bp - back, 2);
  EXPECT_EQ(back[1], 0x1D11Eu);

  UTF8 u8[8];
  UTF8* up = u8;
  const UTF32* one = src + 1;
  EXPECT_EQ(ConvertUTF32toUTF8(&one, src + 2, &up, u8 + 8, strictConversion), conversionOK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(u8), up - u8), kGClef);
  const UTF8* in8 = u8;
  bp = back;
  EXPECT_EQ(ConvertUTF8toUTF32(&in8, up, &bp, back + 8, strictConversion), conversionOK);
  EXPECT_EQ(back[0], 0x1D11Eu);

  const UTF8 legal[] = {0xE6, 0x97, 0xA5};
  EXPECT_TRUE(isLegalUTF8Sequence(legal, legal + 3));
  EXPECT_FALSE(isLegalUTF8Sequence(legal, legal + 2));
  const UTF8 over[] = {0xE0, 0x80, 0x80};
  EXPECT_FALSE(isLegalUTF8Sequence(over, over + 3));
}

TEST(Utf, WholeStringUtf32KeepsPairsWholeAndReplacesWhatIsNoCharacter) {
  struct Case {
    std::u16string utf16;
    std::u32string utf32;
  };
  const Case both[] = {
      {u"", U""},
      {u"a\u00E9\U0001D11E\u65E5", U"a\u00E9\U0001D11E\u65E5"},
  };
  for (const Case& c : both) {
    EXPECT_EQ(Utf16ToUtf32(c.utf16), c.utf32);
    EXPECT_EQ(Utf32ToUtf16(c.utf32), c.utf16);
  }
  // Unpaired surrogates, also one cut off at the end.
  EXPECT_EQ(Utf16ToUtf32(std::u16string{u'a', 0xDC00, u'b', 0xD834}), U"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf32ToUtf16(std::u32string{0x41, 0xD800, 0x110000, 0x42}), u"A\uFFFD\uFFFDB");
}

TEST(Utf, WindowsCodePageStandIns) {
  // Size query with -1 counts the terminator.
  int n = MultiByteToWideChar(CP_ACP, 0, "h\xC3\xA9", -1, nullptr, 0);
  EXPECT_EQ(n, 3);
  std::vector<char16_t> buf(n);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "h\xC3\xA9", -1, buf.data(), n), 3);
  EXPECT_EQ(std::u16string(buf.data()), u"h\u00E9");
  // Output too small fails rather than truncating.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "hello", 5, buf.data(), 2), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xFF", 2, nullptr, 0), 2);

  const char16_t* w = u"\u65E5x";
  int m = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  EXPECT_EQ(m, 5);
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, w, 2, out, 8, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(out, 4), "\xE6\x97\xA5x");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, w, 2, out, 3, nullptr, nullptr), 0);
  const char16_t lone[] = {0xD800, 0};
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 1, out, 8, nullptr, &used), 3);
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, out, 8, nullptr, nullptr), 0);
}
