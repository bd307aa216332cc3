#include <gtest/gtest.h>

#include "sport/FieldForms.h"

namespace {

TEST(FieldForms, TimeTextsNeedTwoIntegersAndSaturate) {
  struct Case {
    const char16_t* text;
    bool ok;
    uint64_t time;
  } cases[] = {
      {u"30819912 -1234567890", true, 132370517165997358ULL},
      {u"  -1\t-1 trailing", true, UINT64_MAX},
      {u"0 0", true, 0},
      {u"99999999999 -99999999999", true, 0x7FFFFFFF80000000ULL},
      {u"30819912", false, 0},
      {u"30819912, 5", false, 0},
      {u"", false, 0},
      {u"x 1", false, 0},
  };
  for (const Case& c : cases) {
    uint64_t t = 7;
    EXPECT_EQ(ParseTimeText(c.text, &t), c.ok) << CString(c.text).ToUtf8();
    EXPECT_EQ(t, c.time) << CString(c.text).ToUtf8();
  }
  EXPECT_EQ(TimeText(UINT64_MAX), u"-1 -1");
  EXPECT_EQ(ParseDurationText(u"-1500ms"), -15000000);
  int32_t birth[3] = {};
  EXPECT_EQ(ParseIntsText(u"1990 7 31", birth, 3), 3);
  EXPECT_EQ(birth[2], 31);
}

}  // namespace
