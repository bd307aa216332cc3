#include "icbase/src/icutil/times.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/common/env.h"

namespace {

IntPair_C FT(uint64_t v) {
  IntPair_C t;
  t.first = uint32_t(v >> 32);
  t.second = uint32_t(v);
  return t;
}

constexpr uint64_t kEpoch = 116444736000000000ULL;

}  // namespace

TEST(RecordTimes, UnixAndFileTimeHalves) {
  IntPair_C t = UnixToFileTime(0, 0);
  EXPECT_EQ(t.first, 27111902u);
  EXPECT_EQ(t.second, 3577643008u);
  t = UnixToFileTime(1, 500);
  EXPECT_EQ((uint64_t(t.first) << 32 | t.second), kEpoch + 15000000ULL);

  int64_t s = 0;
  int32_t ms = -1;
  FileTimeToUnix(IntPair_C(), &s, &ms);
  EXPECT_EQ(s, -11644473600LL);
  EXPECT_EQ(ms, 0);
  FileTimeToUnix(FT(kEpoch + 12345678ULL), &s, &ms);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(ms, 234);
  FileTimeToUnix(FT(kEpoch), &s, nullptr);
  EXPECT_EQ(s, 0);
}

TEST(RecordTimes, StoredTimesWithTheTopBitSetConvertWithoutOverflow) {
  // Records written by another program may hold any two words.
  struct Case {
    uint64_t fileTime;
    int64_t seconds;
    int32_t ms;
  };
  const Case cases[] = {
      {0x8000000000000000ULL, 910692730085LL, 477},
      {0xFFFFFFFFFFFFFFFFULL, 1833029933770LL, 955},
  };
  for (const Case& c : cases) {
    int64_t s = 0;
    int32_t ms = -1;
    FileTimeToUnix(FT(c.fileTime), &s, &ms);
    EXPECT_EQ(s, c.seconds) << std::hex << c.fileTime;
    EXPECT_EQ(ms, c.ms) << std::hex << c.fileTime;
    int year = 0;
    EXPECT_FALSE(TimeToFields(FT(c.fileTime), &year, nullptr, nullptr, nullptr, nullptr, nullptr, 3600, nullptr));
    EXPECT_FALSE(TimeToLocalFields(FT(c.fileTime), &year, nullptr, nullptr, nullptr, nullptr, nullptr));
  }
  // And back: a time far enough ahead sets the top bit.
  IntPair_C far = UnixToFileTime(1000000000000LL, 0);
  EXPECT_EQ(far.first, 0x8C64D4E3u);
  EXPECT_EQ(far.second, 0x5F268000u);
  int64_t s = 0;
  FileTimeToUnix(far, &s, nullptr);
  EXPECT_EQ(s, 1000000000000LL);
}

TEST(RecordTimes, MillisecondsBefore1970CountForwardFromTheWholeSecond) {
  int64_t s = 0;
  int32_t ms = 0;
  // 1969-12-31 23:59:59.250
  FileTimeToUnix(FT(kEpoch - 7500000ULL), &s, &ms);
  EXPECT_EQ(s, -1);
  EXPECT_EQ(ms, 250);
  FileTimeToUnix(FT(kEpoch - 1ULL), &s, &ms);  // 100 ns before the epoch
  EXPECT_EQ(s, -1);
  EXPECT_EQ(ms, 999);
}

TEST(RecordTimes, FieldsInUtcWithOffset) {
  int y, mo, d, h, mi, se, ms;
  // 2020-04-07 12:00:00.125 UTC
  IntPair_C t = UnixToFileTime(1586260800, 125);
  ASSERT_TRUE(TimeToFields(t, &y, &mo, &d, &h, &mi, &se, 3600, &ms));
  EXPECT_EQ(y, 2020);
  EXPECT_EQ(mo, 4);
  EXPECT_EQ(d, 7);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(mi, 0);
  EXPECT_EQ(se, 0);
  EXPECT_EQ(ms, 125);
  ASSERT_TRUE(TimeToFields(t, nullptr, nullptr, &d, &h, nullptr, nullptr, -13 * 3600, nullptr));
  EXPECT_EQ(d, 6);
  EXPECT_EQ(h, 23);
}

TEST(RecordTimes, FieldsKeepTheRange1970To3000) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
  EXPECT_FALSE(TimeToFields(IntPair_C(), &y, &mo, &d, &h, &mi, &se, 0, nullptr));  // unset time
  EXPECT_FALSE(TimeToFields(UnixToFileTime(-1, 0), &y, &mo, &d, &h, &mi, &se, 0, nullptr));
  EXPECT_FALSE(TimeToFields(UnixToFileTime(10, 0), &y, &mo, &d, &h, &mi, &se, -11, nullptr));
  ASSERT_TRUE(TimeToFields(UnixToFileTime(0, 0), &y, &mo, &d, &h, &mi, &se, 0, nullptr));
  EXPECT_EQ(y, 1970);
  EXPECT_EQ(mo, 1);
  EXPECT_EQ(d, 1);
  ASSERT_TRUE(TimeToFields(UnixToFileTime(32535215999LL, 0), &y, &mo, &d, &h, &mi, &se, 0, nullptr));
  EXPECT_EQ(y, 3000);
  EXPECT_EQ(mo, 12);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(se, 59);
  EXPECT_FALSE(TimeToFields(UnixToFileTime(32535216000LL, 0), &y, &mo, &d, &h, &mi, &se, 0, nullptr));
  EXPECT_FALSE(TimeToLocalFields(IntPair_C(), &y, &mo, &d, &h, &mi, &se));
}

TEST(RecordTimes, LocalFieldsFollowTheZone) {
  int y, mo, d, h, mi, se;
  IntPair_C t = UnixToFileTime(1586260800, 0);  // 2020-04-07 12:00 UTC
  {
    ScopedTz zone("JST-9");
    ASSERT_TRUE(TimeToLocalFields(t, &y, &mo, &d, &h, &mi, &se));
    EXPECT_EQ(d, 7);
    EXPECT_EQ(h, 21);
  }
  {
    ScopedTz zone("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(TimeToLocalFields(t, &y, &mo, &d, &h, &mi, &se));
    EXPECT_EQ(h, 14);                                                                          // summer time
    ASSERT_TRUE(TimeToLocalFields(UnixToFileTime(1578398400, 0), &y, &mo, &d, &h, &mi, &se));  // 2020-01-07 12:00 UTC
    EXPECT_EQ(h, 13);
  }
  {
    ScopedTz zone("EST5");
    ASSERT_TRUE(TimeToLocalFields(UnixToFileTime(3600, 0), &y, &mo, &d, &h, &mi, &se));
    EXPECT_EQ(y, 1969);  // 1970-01-01 01:00 UTC is still 1969 locally
    EXPECT_EQ(h, 20);
  }
}

TEST(RecordTimes, CompareAsUnsignedHalves) {
  EXPECT_EQ(CompareTime64(1, 0, 0, 0xFFFFFFFFu), 1);
  EXPECT_EQ(CompareTime64(0, 0xFFFFFFFFu, 1, 0), -1);
  EXPECT_EQ(CompareTime64(5, 0x80000000u, 5, 1), 1);
  EXPECT_EQ(CompareTime64(5, 7, 5, 7), 0);
  EXPECT_EQ(CompareTime64(0x80000000u, 0, 1, 0), 1);
}

TEST(RecordTimes, NowIsAPlausibleRecordTime) {
  IntPair_C now = NowFileTime();
  int y = 0;
  ASSERT_TRUE(TimeToFields(now, &y, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr));
  EXPECT_GE(y, 2024);
  EXPECT_GT(GetTimeSeconds(), 1700000000u);
}
