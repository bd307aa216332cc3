#include "icbase/src/icutil/utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace {

// A heap copy of exactly the text and its terminator, so that the sanitizer
// catches any read past the end.
std::unique_ptr<char16_t[]> exact(const std::u16string& s) {
  std::unique_ptr<char16_t[]> p(new char16_t[s.size() + 1]);
  std::memcpy(p.get(), s.c_str(), (s.size() + 1) * sizeof(char16_t));
  return p;
}

}  // namespace

TEST(IcMemory, AllocReallocAndNullTolerance) {
  EXPECT_EQ(MemAlloc(0, true), nullptr);
  auto* p = static_cast<uint8_t*>(MemRealloc(nullptr, 16, true));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  p[15] = 7;
  p = static_cast<uint8_t*>(MemRealloc(p, 32, false));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 7);
  EXPECT_EQ(MemRealloc(p, 0, false), nullptr);  // freed (the sanitizer checks)
  MemSetSafe(nullptr, 0, 10);
  MemCopySafe(nullptr, "x", 1);
  MemFree(nullptr);
}

TEST(IcNumbers, NullGivesZero) {
  EXPECT_EQ(AtoiSafe(nullptr), 0);
  EXPECT_EQ(WtoiSafe(nullptr), 0);
  EXPECT_EQ(WtofSafe(nullptr), 0.0);
  EXPECT_EQ(WtoiSafe(u" -42x"), -42);
  EXPECT_DOUBLE_EQ(WtofSafe(u"3.25"), 3.25);
  EXPECT_DOUBLE_EQ(AtofSafe("1.5e2"), 150.0);
  EXPECT_EQ(SafeWcsLen(nullptr), 0u);
  EXPECT_EQ(StrLenSafe(nullptr), 0u);
  EXPECT_EQ(SafeWcsLen(u"abc"), 3u);
}

TEST(IcNumbers, TruncateToInt32ClampsAndTruncatesTowardZero) {
  const struct {
    double in;
    int32_t out;
  } cases[] = {{2.9, 2}, {-2.9, -2}, {1e10, INT32_MAX}, {-1e10, INT32_MIN}, {std::nan(""), 0}, {-0.5, 0}};
  for (const auto& c : cases) EXPECT_EQ(TruncateToInt32(c.in), c.out) << c.in;
}

TEST(IcCopies, NeverWritePastTheDestinationAndAlwaysTerminate) {
  char16_t buf[6];
  std::memset(buf, 0x55, sizeof buf);
  EXPECT_FALSE(SafeWcsCpy(buf, 4, u"abcdef"));
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(buf[4], 0x5555);  // untouched past the capacity
  EXPECT_TRUE(SafeWcsCpy(buf, 6, u"ab"));
  EXPECT_TRUE(SafeWcsCat(buf, 6, u"cd"));
  EXPECT_EQ(std::u16string(buf), u"abcd");
  EXPECT_FALSE(SafeWcsCat(buf, 6, u"efgh"));
  EXPECT_EQ(std::u16string(buf), u"abcde");
  EXPECT_TRUE(SafeWcsCpy(buf, 6, nullptr));
  EXPECT_EQ(buf[0], 0);
  // The counted copy terminates where wcsncpy would not.
  std::memset(buf, 0x55, sizeof buf);
  EXPECT_TRUE(SafeWcsNCpy(buf, 6, u"abcdef", 3));
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_TRUE(SafeWcsNCpy(buf, 6, u"xyz", 0));
  EXPECT_EQ(buf[0], 0);
  SafeWcsCpy(buf, 6, u"ab");
  EXPECT_TRUE(SafeWcsNCat(buf, 6, u"cdef", 2));
  EXPECT_EQ(std::u16string(buf), u"abcd");
  // An unterminated destination is terminated, never overrun.
  for (auto& c : buf) c = u'z';
  EXPECT_FALSE(SafeWcsCat(buf, 6, u"q"));
  EXPECT_EQ(buf[5], 0);
  EXPECT_FALSE(SafeWcsCpy(nullptr, 6, u"x"));
  EXPECT_FALSE(SafeWcsCpy(buf, 0, u"x"));

  char nb[4];
  EXPECT_FALSE(StrCpySafe(nb, 4, "hello"));
  EXPECT_STREQ(nb, "hel");
  char* d = StrDupSafe("dup");
  EXPECT_STREQ(d, "dup");
  MemFree(d);
  char16_t* w = SafeWcsDup(u"wide");
  EXPECT_EQ(std::u16string(w), u"wide");
  MemFree(w);
  EXPECT_EQ(SafeWcsDup(nullptr), nullptr);
}

TEST(IcSearches, ForwardSubstringStopsAtTheEnd) {
  auto t = exact(u"xxab");
  EXPECT_EQ(WcsFindSub(t.get(), u"ab"), t.get() + 2);
  auto a = exact(u"aaa");
  EXPECT_EQ(WcsFindSub(a.get(), u"b"), nullptr);
  // Candidates near the end must not look past the terminator.
  auto e = exact(u"xya");
  EXPECT_EQ(WcsFindSub(e.get(), u"abc"), nullptr);
  EXPECT_EQ(WcsFindSub(e.get(), u"ya"), e.get() + 1);
  auto s = exact(u"a");
  EXPECT_EQ(WcsFindSub(s.get(), u"aaaaaaaa"), nullptr);
  EXPECT_EQ(WcsFindSub(nullptr, u"a"), nullptr);
  EXPECT_EQ(WcsFindSub(u"abc", u""), nullptr);
  const char* h = "hello";
  EXPECT_EQ(StrFindSub(h, "ll"), h + 2);
  EXPECT_EQ(StrFindSub(h, "lo!"), nullptr);
}

TEST(IcSearches, BackwardSearchesClampTheirPosition) {
  auto t = exact(u"a/b/c");
  EXPECT_EQ(WcsFindCharBack(t.get(), u'/', 100), t.get() + 3);
  EXPECT_EQ(WcsFindCharBack(t.get(), u'/', 2), t.get() + 1);
  EXPECT_EQ(WcsFindCharBack(t.get(), u'/', 1), t.get() + 1);
  EXPECT_EQ(WcsFindCharBack(t.get(), u'/', 0), nullptr);
  EXPECT_EQ(WcsFindCharBack(t.get(), u'/', -1), nullptr);
  EXPECT_EQ(WcsFindChar(t.get(), u'/'), t.get() + 1);
  EXPECT_EQ(WcsFindChar(t.get(), u'x'), nullptr);
  auto r = exact(u"abcabc");
  EXPECT_EQ(WcsFindLastSub(r.get(), u"bc"), r.get() + 4);
  EXPECT_EQ(WcsFindLastSub(r.get(), u"abcabcx"), nullptr);
  EXPECT_EQ(WcsFindLastSub(r.get(), u"abcabc"), r.get());
  const char* n = "x.y.z";
  EXPECT_EQ(StrFindCharBack(n, '.', 50), n + 3);
  EXPECT_EQ(StrFindLastSub(n, ".y"), n + 1);
}

TEST(IcSearches, EqualityAndBlanks) {
  EXPECT_TRUE(WcsEqual(u"Abc", u"aBC", true));
  EXPECT_FALSE(WcsEqual(u"Abc", u"aBC", false));
  EXPECT_FALSE(WcsEqual(u"abc", u"abcd", true));
  EXPECT_FALSE(WcsEqual(nullptr, u"", false));
  EXPECT_FALSE(WcsEqual(u"\u00C9", u"\u00E9", true));  // only A-Z fold
  EXPECT_TRUE(StrEqual("a", "a"));
  EXPECT_FALSE(StrEqual("a", nullptr));
  const char* t = " \t\xC3\xA9x y";
  EXPECT_EQ(SkipBlanks(t, 1), t + 2);  // UTF-8 bytes are text, not blanks
  EXPECT_EQ(SkipBlanks(t + 2, 0), t + 5);
  EXPECT_EQ(*SkipBlanks("   ", 1), '\0');
}

TEST(IcCharMaps, AccentFoldingAndKeyLetters) {
  EXPECT_EQ(FoldAccent(0x00E0), u'a');
  EXPECT_EQ(FoldAccent(0x00C0), u'A');
  EXPECT_EQ(FoldAccent(0x00F8), 0x00F8);
  EXPECT_EQ(FoldAccent(0x00FF), u'y');
  EXPECT_EQ(FoldAccent(0x00FE), 0x00FE);
  EXPECT_EQ(FoldAccent(0x00D7), 0x00D7);
  EXPECT_EQ(CharToKeyLetter(0x00C9), u'e');
  EXPECT_EQ(CharToKeyLetter(u'5'), u' ');
  EXPECT_EQ(CharToKeyLetter(0x00C6), u' ');
  EXPECT_EQ(CharToKeyLetter(u'Q'), u'q');
  EXPECT_EQ(WideToNarrowChar(0x00E9), 'e');
  EXPECT_EQ(static_cast<unsigned char>(WideToNarrowChar(0x4E2D)), 0x2D);
  EXPECT_EQ(ToLowerAscii(u'Z'), u'z');
  EXPECT_EQ(WCharToUInt(0xFFFF), 0xFFFFu);
}

TEST(IcCharMaps, WholeTextConvertersZeroExtendAndHaveNoLengthLimit) {
  EXPECT_EQ(StrToWideStatic("caf\xE9"), std::u16string(u"caf\u00E9"));
  EXPECT_EQ(StrToWideStatic(nullptr), u"");
  std::string longText(5000, 'k');
  EXPECT_EQ(StrToWideStatic(longText.c_str()).size(), 5000u);
  EXPECT_EQ(FoldAccentsStatic(u"\u00C0\u00E7x"), u"Acx");
  EXPECT_EQ(WideToNarrowStatic(u"\u00E9t\u00E9"), "ete");
  EXPECT_EQ(WideToNarrowStatic(std::u16string(3000, u'n').c_str()).size(), 3000u);
}

TEST(IcColours, PackAndShift) {
  uint32_t c = PackColor(0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(c, 0x44332211u);
  EXPECT_EQ(ByteOf(ColorShift16(c)), 0x33);
  EXPECT_EQ(ByteOf(ColorShift8(c)), 0x22);
}

TEST(IcUtf, TextWriterConversionKeepsPairsWholeAndRefusesLoneSurrogates) {
  const UTF16 text[] = {u'a', 0xD83D, 0xDE00, u'\u00E9'};  // a, U+1F600, e-acute
  UTF8 out[16];
  const UTF16* src = text;
  UTF8* dst = out;
  ASSERT_EQ(ConvertUTF16toUTF8(&src, text + 4, &dst, out + sizeof out, strictConversion), conversionOK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), size_t(dst - out)), "a\xF0\x9F\x98\x80\xC3\xA9");

  const UTF16 lone[] = {u'x', 0xDC00, u'y'};
  src = lone;
  dst = out;
  EXPECT_EQ(ConvertUTF16toUTF8(&src, lone + 3, &dst, out + sizeof out, strictConversion), sourceIllegal);
  EXPECT_EQ(src, lone + 1);  // stops before the bad unit

  // A pair cut by the end of the source is not split.
  const UTF16 cut[] = {u'z', 0xD83D};
  src = cut;
  dst = out;
  EXPECT_EQ(ConvertUTF16toUTF8(&src, cut + 2, &dst, out + sizeof out, strictConversion), sourceExhausted);
  EXPECT_EQ(dst - out, 1);

  // No room for the whole character: nothing of it is written.
  src = text + 1;
  dst = out;
  EXPECT_EQ(ConvertUTF16toUTF8(&src, text + 3, &dst, out + 3, strictConversion), targetExhausted);
  EXPECT_EQ(dst, out);
}

TEST(IcUtf, OutOfRangeCodePointsAndBadUtf8) {
  const UTF32 big[] = {0x110000};
  UTF16 out[4];
  const UTF32* s32 = big;
  UTF16* d16 = out;
  EXPECT_EQ(ConvertUTF32toUTF16(&s32, big + 1, &d16, out + 4, lenientConversion), conversionOK);
  EXPECT_EQ(out[0], 0xFFFD);
  s32 = big;
  d16 = out;
  EXPECT_EQ(ConvertUTF32toUTF16(&s32, big + 1, &d16, out + 4, strictConversion), sourceIllegal);

  const UTF8 bad[] = {0xC0, 0xAF};  // overlong '/'
  EXPECT_FALSE(isLegalUTF8Sequence(bad, bad + 2));
  std::u16string wide;
  EXPECT_FALSE(Utf8ToUtf16Strict("a\xC0\xAF", wide));
  EXPECT_EQ(Utf8ToUtf16("a\xF0\x9F\x98\x80"), std::u16string(u"a\U0001F600"));
}
