#include "platform/win32/wstr.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>

#include "platform/win32/wintypes.h"
#include "tests/common/locale.h"

TEST(WinTypes, WidthsAndColours) {
  EXPECT_EQ(sizeof(DWORD), 4u);
  EXPECT_EQ(sizeof(LONG), 4u);
  EXPECT_EQ(sizeof(WPARAM), sizeof(void*));
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), 0x00332211u);
  EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
  EXPECT_EQ(MAX_PATH, 260);
}

TEST(WStr, NullIsEmpty) {
  EXPECT_EQ(WStrLen(nullptr), 0u);
  EXPECT_EQ(WStrCmp(nullptr, u""), 0);
  EXPECT_LT(WStrCmp(nullptr, u"a"), 0);
  EXPECT_EQ(WStrICmp(u"", nullptr), 0);
  EXPECT_EQ(WStrFind(nullptr, u"a"), nullptr);
  EXPECT_EQ(WStrChr(nullptr, u'a'), nullptr);
  EXPECT_EQ(WStrToInt(nullptr), 0);
  EXPECT_EQ(WStrToDouble(nullptr), 0.0);
}

TEST(WStr, CompareOrdersUnitsUnsigned) {
  EXPECT_LT(WStrCmp(u"abc", u"abd"), 0);
  EXPECT_GT(WStrCmp(u"abc", u"ab"), 0);
  // U+FF21 sorts after ASCII (no sign trouble with high units).
  EXPECT_GT(WStrCmp(u"\uFF21", u"z"), 0);
  EXPECT_EQ(WStrICmp(u"HeLLo", u"hello"), 0);
  EXPECT_NE(WStrICmp(u"\u00C9", u"\u00E9"), 0);  // only ASCII folds
  EXPECT_EQ(WStrNCmp(u"abcX", u"abcY", 3), 0);
  EXPECT_EQ(WStrNICmp(u"ABcX", u"abCY", 3), 0);
  // '_' (0x5F) lies between 'Z' and 'a': case-insensitive order folds to lower.
  EXPECT_LT(WStrICmp(u"_", u"A"), 0);
}

TEST(WStr, CopyAlwaysTerminatesAndReportsTruncation) {
  char16_t buf[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_TRUE(WStrCopy(buf, 4, u"abc"));
  EXPECT_EQ(WStrCmp(buf, u"abc"), 0);
  EXPECT_FALSE(WStrCopy(buf, 4, u"abcdef"));
  EXPECT_EQ(WStrCmp(buf, u"abc"), 0);
  EXPECT_FALSE(WStrCopy(buf, 0, u"a"));
  EXPECT_TRUE(WStrCopy(buf, 4, nullptr));
  EXPECT_EQ(buf[0], 0);
  char16_t cat[6] = u"ab";
  EXPECT_TRUE(WStrCat(cat, 6, u"cd"));
  EXPECT_FALSE(WStrCat(cat, 6, u"efg"));
  EXPECT_EQ(WStrCmp(cat, u"abcde"), 0);
}

TEST(WStr, SearchesStayInsideTheText) {
  const char16_t* t = u"xxab";
  EXPECT_EQ(WStrFind(t, u"ab"), t + 2);
  EXPECT_EQ(WStrFind(u"aaa", u"b"), nullptr);
  // A needle whose first unit matches near the end must not read past the end.
  EXPECT_EQ(WStrFind(u"xxa", u"abc"), nullptr);
  const char16_t* abc = u"abc";
  EXPECT_EQ(WStrFind(abc, u""), abc);
  const char16_t* s = u"a/b/c";
  EXPECT_EQ(WStrChr(s, u'/'), s + 1);
  EXPECT_EQ(WStrRChr(s, u'/'), s + 3);
  EXPECT_EQ(WStrRChr(s, u'z'), nullptr);
  EXPECT_EQ(WStrChr(s, 0), s + 5);
}

TEST(WStr, NumbersReadLikeAtoiAndAtofWhateverTheLocale) {
  EXPECT_EQ(WStrToInt(u"  -42xyz"), -42);
  EXPECT_EQ(WStrToInt(u"+7"), 7);
  EXPECT_EQ(WStrToInt(u"abc"), 0);
  EXPECT_EQ(WStrToInt(u"99999999999"), INT_MAX);
  EXPECT_EQ(WStrToInt(u"-99999999999"), INT_MIN);
  EXPECT_EQ(StrToIntC("-2147483648"), INT_MIN);
  CommaLocale loc;
  (void)loc.ok();  // without such a locale this reads in the C locale only
  EXPECT_DOUBLE_EQ(WStrToDouble(u" 3.25abc"), 3.25);
  EXPECT_DOUBLE_EQ(WStrToDouble(u"-1e3"), -1000.0);
  EXPECT_DOUBLE_EQ(WStrToDouble(u"2.5e"), 2.5);
  EXPECT_DOUBLE_EQ(WStrToDouble(u".5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToDoubleC("12.5,7"), 12.5);
  EXPECT_EQ(WStrToDouble(u"x1"), 0.0);
}
