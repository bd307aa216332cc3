#include "platform/win32/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win32/utf.h"
#include "tests/common/locale.h"

namespace {

// glibc's snprintf in the C locale is the reference wherever the Windows and C
// meanings agree.
std::string CRef(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string CRef(const char* fmt, ...) {
  va_list ap, ap2;
  va_start(ap, fmt);
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  std::string s(static_cast<size_t>(n), '\0');
  std::vsnprintf(s.data(), s.size() + 1, fmt, ap2);
  va_end(ap2);
  va_end(ap);
  return s;
}

#define EXPECT_LIKE_C(fmt, ...) EXPECT_EQ(FormatA(fmt, __VA_ARGS__), CRef(fmt, __VA_ARGS__)) << fmt

}  // namespace

TEST(Format, IntegersFlagsWidthPrecisionLikeC) {
  EXPECT_LIKE_C("%d|%i|%u|%o|%x|%X", -12, 34, 4000000000u, 8, 255, 255);
  EXPECT_LIKE_C("[%5d][%-5d][%05d][%+d][% d][%+05d]", 42, 42, -42, 42, 42, 7);
  EXPECT_LIKE_C("[%.3d][%8.3d][%-8.3x][%.0d][%#o][%#x][%#X][%#x]", 5, -5, 10, 0, 8, 255, 255, 0);
  EXPECT_LIKE_C("[%hd][%hu][%hhd][%hhx]", 70000, 70000, 300, 0x1ff);
  EXPECT_LIKE_C("[%lld][%llu][%llx]", -9000000000LL, 18446744073709551615ULL, 0x123456789abcULL);
  EXPECT_LIKE_C("[%*d][%-*d][%.*d][%*.*d]", 6, 1, 6, 2, 4, 3, 7, 3, 9);
  EXPECT_LIKE_C("[%*d]", -6, 1);  // negative '*' width: left aligned
  EXPECT_LIKE_C("[%d][%d]", INT32_MIN, INT32_MAX);
}

TEST(Format, WindowsSizePrefixes) {
  EXPECT_EQ(FormatA("%I64d %I64u %I64x %I64X", int64_t(-5000000000), uint64_t(18000000000000000000ULL),
                    uint64_t(0xdeadbeefcafeULL), uint64_t(0xABCULL)),
            "-5000000000 18000000000000000000 deadbeefcafe ABC");
  // long is 32 bits on Windows: %lu and %ld read DWORD and LONG.
  DWORD d = 4000000000u;
  LONG l = -7;
  EXPECT_EQ(FormatA("%lu %ld %lx", d, l, d), "4000000000 -7 ee6b2800");
  EXPECT_EQ(FormatA("%Iu %zu %I32d", size_t(1) << 40, size_t(3), -3), "1099511627776 3 -3");
  EXPECT_EQ(FormatW(u"%I64d|%lld|%lu", int64_t(-1), -2LL, DWORD(3)), u"-1|-2|3");
}

TEST(Format, FloatsLikeCInTheCLocale) {
  EXPECT_LIKE_C("%f|%.2f|%10.3f|%-10.1f|%010.2f|%+f|% f", 3.14159, 2.675, -1.5, 2.25, -3.5, 1.0, 1.0);
  EXPECT_LIKE_C("%e|%E|%.0e|%#.0e|%12.4e", 12345.678, 0.00012, 5.0, 5.0, -1e-300);
  EXPECT_LIKE_C("%g|%g|%g|%g|%G|%g|%.3g|%#g|%g", 100000.0, 1000000.0, 0.0001, 0.00001, 1e-10, 0.0, 3.14159, 1.5,
                123456789.0);
  EXPECT_LIKE_C("%.0f|%#.0f|%.1f|%.1f|%f", 0.5, 2.0, 0.05, 0.25, -0.0);
  EXPECT_LIKE_C("%*.*f|%.*f", 9, 2, 3.14159, 0, 2.5);
  EXPECT_LIKE_C("%f|%F|%5f|%e|%g", HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL, HUGE_VAL);
  EXPECT_LIKE_C("%.17g|%.20f", 0.1, 0.1);
  EXPECT_LIKE_C("%a|%A", 1.0, 0.5);
}

TEST(Format, HugeValuesArePrintedWhole) {
  std::string s = FormatA("%f", 1e200);
  EXPECT_EQ(s, CRef("%f", 1e200));
  // The double nearest 1e200 lies just below it: 200 digits, the point, 6 decimals.
  EXPECT_EQ(s.size(), 200u + 7u);
  EXPECT_EQ(s.substr(0, 17), "99999999999999996");
  std::u16string w = FormatW(u"%f", 1e200);
  EXPECT_EQ(w, Utf8ToUtf16(s));
  EXPECT_EQ(FormatA("%.0f", 1.7976931348623157e308).size(), 309u);
  EXPECT_EQ(FormatA("%.300f", 1.0).size(), 302u);
  std::string longText(5000, 'x');
  EXPECT_EQ(FormatA("<%s>", longText.c_str()).size(), 5002u);
  EXPECT_EQ(FormatA("%3000d", 1).size(), 3000u);
}

TEST(Format, DecimalPointIsADotWhateverTheLocale) {
  CommaLocale loc;
  if (!loc.ok()) GTEST_SKIP() << "no locale with a decimal comma can be set here";
  char probe[32];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");  // the locale really is in force
  EXPECT_EQ(FormatA("%.2f %g %e", 1.25, 0.5, 2.0), "1.25 0.5 2.000000e+00");
  EXPECT_EQ(FormatW(u"%.3f", -3.5), u"-3.500");
}

TEST(Format, WideAndNarrowStringsWithWindowsMeaning) {
  const char16_t* w = u"w\u00E9";  // "wé"
  const char* n = "n\xC3\xA9";     // "né" in UTF-8
  // In a wide format %s is wide and %S narrow.
  EXPECT_EQ(FormatW(u"[%s][%S][%hs][%ls][%ws]", w, n, n, w, w), u"[w\u00E9][n\u00E9][n\u00E9][w\u00E9][w\u00E9]");
  // In a narrow format the reverse.
  EXPECT_EQ(FormatA("[%s][%S][%hs][%ls]", n, w, n, w), "[n\xC3\xA9][w\xC3\xA9][n\xC3\xA9][w\xC3\xA9]");
  // Characters: %c natural, %C the other width, %hc / %lc explicit.
  EXPECT_EQ(FormatW(u"%c%C%hc%lc", u'\u65E5', 'a', 'b', u'c'), u"\u65E5abc");
  EXPECT_EQ(FormatA("%c%C%lc", 'x', u'\u00E9', u'y'), "x\xC3\xA9y");
  // Surrogate pairs stay whole across the conversion.
  EXPECT_EQ(FormatA("%S", u"\U0001D11E"), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(FormatW(u"%S", "\xF0\x9D\x84\x9E"), u"\U0001D11E");
}

TEST(Format, StringWidthPrecisionAndNull) {
  EXPECT_EQ(FormatW(u"[%5s][%-5s][%.2s][%5.1s]", u"ab", u"ab", u"abcdef", u"xyz"), u"[   ab][ab   ][ab][    x]");
  EXPECT_EQ(FormatA("[%.*s]", 3, "abcdef"), "[abc]");
  // %.*s on a buffer that is not terminated reads no further than the precision.
  char raw[3] = {'a', 'b', 'c'};
  EXPECT_EQ(FormatA("%.*s", 3, raw), "abc");
  const char16_t wraw[2] = {u'x', u'y'};
  EXPECT_EQ(FormatW(u"%.*s", 2, wraw), u"xy");
  EXPECT_EQ(FormatW(u"%.*S", 3, raw), u"abc");
  // A null string prints as empty, in every form.
  const char16_t* nw = nullptr;
  const char* nn = nullptr;
  EXPECT_EQ(FormatW(u"[%s][%S][%3s]", nw, nn, nw), u"[][][   ]");
  EXPECT_EQ(FormatA("[%s][%S]", nn, nw), "[][]");
  // A precision never splits a character of converted text.
  EXPECT_EQ(FormatA("[%.2S]", u"a\u00E9"), "[a]");
  EXPECT_EQ(FormatW(u"[%.2S]", "a\xC3\xA9"), u"[a]");
  EXPECT_EQ(FormatW(u"[%.3S]", "a\xC3\xA9"), u"[a\u00E9]");
}

TEST(Format, OddFormsAndNulls) {
  EXPECT_EQ(FormatA(nullptr), "");
  EXPECT_EQ(FormatW(nullptr), u"");
  EXPECT_EQ(FormatA("100%%"), "100%");
  EXPECT_EQ(FormatA("%"), "%");
  EXPECT_EQ(FormatA("abc%5"), "abc%5");
  EXPECT_EQ(FormatA("%y"), "%y");
  int count = 99;
  EXPECT_EQ(FormatA("a%nb%d", &count, 5), "ab5");
  EXPECT_EQ(count, 99);  // %n writes nothing
  EXPECT_EQ(FormatA("%p", reinterpret_cast<void*>(0xABCDEF)), "0000000000ABCDEF");
}

TEST(Format, BufferFormsTerminateAndReportTheFullLength) {
  char small[4];
  EXPECT_EQ(FormatBufA(small, sizeof small, "%d", 123456), 6u);
  EXPECT_STREQ(small, "123");
  char16_t wide[8];
  EXPECT_EQ(FormatBufW(wide, 8, u"%s-%d", u"ab", 7), 4u);
  EXPECT_EQ(std::u16string(wide), u"ab-7");
  EXPECT_EQ(FormatBufA(nullptr, 0, "%s", "xyz"), 3u);
}
