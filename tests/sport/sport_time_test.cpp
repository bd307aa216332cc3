#include <gtest/gtest.h>

#include <cstdint>

#include "sport/SportTime.h"

namespace {

TEST(SportTime, FileTimesSplitIntoCalendarFields) {
  struct Case {
    uint64_t ft;
    bool ok;
    CalendarTime want;
  } cases[] = {
      {0, true, {1601, 1, 1, 0, 0, 0}},
      {116444736000000000ULL, true, {1970, 1, 1, 0, 0, 0}},
      // High half 30819912, low half 3060399406.
      {132370517165997358ULL, true, {2020, 6, 19, 14, 48, 36}},
      {133485408000000000ULL, true, {2024, 1, 1, 0, 0, 0}},
      {133537247990000000ULL, true, {2024, 2, 29, 23, 59, 59}},
      {0x7FFFFFFFFFFFFFFFULL, true, {30828, 9, 14, 2, 48, 5}},
      // At or above 2^63 there is no date: zeros.
      {0x8000000000000000ULL, false, {}},
      {UINT64_MAX, false, {}},
  };
  for (const Case& c : cases) {
    CalendarTime got{9, 9, 9, 9, 9, 9};
    EXPECT_EQ(SplitFileTime(c.ft, &got), c.ok) << c.ft;
    EXPECT_EQ(got.year, c.want.year) << c.ft;
    EXPECT_EQ(got.month, c.want.month) << c.ft;
    EXPECT_EQ(got.day, c.want.day) << c.ft;
    EXPECT_EQ(got.hour, c.want.hour) << c.ft;
    EXPECT_EQ(got.minute, c.want.minute) << c.ft;
    EXPECT_EQ(got.second, c.want.second) << c.ft;
  }
}

TEST(SportTime, DurationsRoundToWholeMilliseconds) {
  struct Case {
    int64_t d;
    int64_t hours;
    int minutes, seconds, ms;
  } cases[] = {
      {0, 0, 0, 0, 0},
      {4999, 0, 0, 0, 0},
      {5000, 0, 0, 0, 1},
      {15000000, 0, 0, 1, 500},
      {(25 * 3600 + 61) * 10000000LL, 25, 1, 1, 0},
      {-15000000, 0, 0, -1, -499},
      {INT64_MAX, 256204778, 48, 5, 478},
      {INT64_MIN, -256204778, -48, -5, -477},
  };
  for (const Case& c : cases) {
    const DurationParts p = SplitDuration(c.d);
    EXPECT_EQ(p.hours, c.hours) << c.d;
    EXPECT_EQ(p.minutes, c.minutes) << c.d;
    EXPECT_EQ(p.seconds, c.seconds) << c.d;
    EXPECT_EQ(p.milliseconds, c.ms) << c.d;
  }
  EXPECT_EQ(TimeSpan({100, 250}), 150);
  EXPECT_EQ(TimeSpan({250, 100}), -150);
  EXPECT_EQ(TimeSpan({0, UINT64_MAX}), -1);
}

}  // namespace
