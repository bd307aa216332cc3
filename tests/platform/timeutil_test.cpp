#include "platform/win32/timeutil.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <utility>

#include "tests/common/env.h"

namespace {

SYSTEMTIME St(int y, int mo, int d, int h, int mi, int s, int ms) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

// Year to millisecond, as St takes them.
std::array<int, 7> Fields(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// Seconds and milliseconds since 1970 of a file time.
using SecMs = std::pair<int64_t, int32_t>;
SecMs Unix(uint64_t fileTime) {
  int64_t s = 0;
  int32_t ms = -1;
  FileTime100nsToUnix(fileTime, &s, &ms);
  return {s, ms};
}

}  // namespace

TEST(TimeUtil, FileTimeAndUnixAround1970) {
  FILETIME ft = U64ToFileTime(static_cast<uint64_t>(UnixToFileTime100ns(0, 0)));
  EXPECT_EQ(ft.dwHighDateTime, 0x019DB1DEu);
  EXPECT_EQ(ft.dwLowDateTime, 0xD53E8000u);
  EXPECT_EQ(FileTimeToU64(ft), 116444736000000000ULL);

  EXPECT_EQ(Unix(0), SecMs(-11644473600, 0));  // 1601-01-01
  // One tick before 1970: second -1, 999 ms (rounded down, not towards zero).
  EXPECT_EQ(Unix(kFileTimeUnixEpoch - 1), SecMs(-1, 999));
  EXPECT_EQ(Unix(kFileTimeUnixEpoch - 2500 * kFileTimeTicksPerMs), SecMs(-3, 500));
  EXPECT_EQ(Unix(UnixToFileTime100ns(1586260800, 123)), SecMs(1586260800, 123));
  int64_t s;
  FileTime100nsToUnix(UnixToFileTime100ns(-5, 250), &s, nullptr);
  EXPECT_EQ(s, -5);
  // Milliseconds since 1970, rounded down on both sides of it.
  EXPECT_EQ(FileTimeToUnixMs(UnixToFileTime100ns(1586260800, 123) + 9999), 1586260800123);
  EXPECT_EQ(FileTimeToUnixMs(kFileTimeUnixEpoch - 1), -1);
  EXPECT_EQ(FileTimeToUnixMs(kFileTimeUnixEpoch - 2500 * kFileTimeTicksPerMs), -2500);
}

TEST(TimeUtil, FileTimesWithTheTopBitSetConvertWithoutOverflow) {
  EXPECT_EQ(Unix(0xFFFFFFFFFFFFFFFFULL), SecMs(1833029933770, 955));
  EXPECT_EQ(static_cast<uint64_t>(UnixToFileTime100ns(1000000000000LL)), 0x8C64D4E35F268000ULL);
}

TEST(TimeUtil, SystemTimeConversions) {
  FILETIME ft;
  SYSTEMTIME st = St(2020, 4, 7, 12, 0, 0, 0);
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  EXPECT_EQ(static_cast<int64_t>(FileTimeToU64(ft)), UnixToFileTime100ns(1586260800, 0));

  // Just before 1970 and the first instant of 1601.
  SYSTEMTIME out{};
  FILETIME before = U64ToFileTime(static_cast<uint64_t>(kFileTimeUnixEpoch - kFileTimeTicksPerMs));
  ASSERT_TRUE(FileTimeToSystemTime(&before, &out));
  EXPECT_EQ(Fields(out), Fields(St(1969, 12, 31, 23, 59, 59, 999)));
  EXPECT_EQ(out.wDayOfWeek, 3);  // a Wednesday
  FILETIME zero = U64ToFileTime(0);
  ASSERT_TRUE(FileTimeToSystemTime(&zero, &out));
  EXPECT_EQ(Fields(out), Fields(St(1601, 1, 1, 0, 0, 0, 0)));
  EXPECT_EQ(out.wDayOfWeek, 1);  // a Monday
  FILETIME high = U64ToFileTime(0x8000000000000000ULL);
  EXPECT_FALSE(FileTimeToSystemTime(&high, &out));

  // Round trips, leap day included.
  for (SYSTEMTIME in : {St(2020, 2, 29, 23, 59, 59, 999), St(1601, 1, 1, 0, 0, 0, 0), St(1969, 7, 20, 20, 17, 40, 5),
                        St(3000, 12, 31, 0, 0, 0, 0)}) {
    ASSERT_TRUE(SystemTimeToFileTime(&in, &ft));
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &out));
    EXPECT_EQ(Fields(out), Fields(in));
  }
  // Fields outside the calendar are refused.
  for (SYSTEMTIME bad : {St(2021, 2, 29, 0, 0, 0, 0), St(2020, 13, 1, 0, 0, 0, 0), St(2020, 4, 31, 0, 0, 0, 0),
                         St(2020, 1, 1, 24, 0, 0, 0), St(1600, 12, 31, 0, 0, 0, 0), St(2020, 1, 0, 0, 0, 0, 0),
                         St(2020, 1, 1, 0, 0, 0, 1000)})
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
}

TEST(TimeUtil, BreakdownsInAFixedZone) {
  ScopedTz tz("CET-1CEST,M3.5.0,M10.5.0/3");
  struct tm tm;
  ASSERT_TRUE(UtcBreakdown(1586260800, &tm));  // 2020-04-07 12:00:00 UTC
  EXPECT_EQ(tm.tm_hour, 12);
  ASSERT_TRUE(LocalBreakdown(1586260800, &tm));
  EXPECT_EQ(tm.tm_hour, 14);  // summer time: UTC+2
  EXPECT_EQ(tm.tm_isdst, 1);
  ASSERT_TRUE(LocalBreakdown(UtcToUnix(2020, 1, 15, 12, 0, 0), &tm));
  EXPECT_EQ(tm.tm_hour, 13);
  ASSERT_TRUE(LocalBreakdown(-1, &tm));  // 1969-12-31 23:59:59 UTC
  EXPECT_EQ(tm.tm_year, 70);
  EXPECT_EQ(tm.tm_hour, 0);
  EXPECT_EQ(UtcToUnix(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(UtcToUnix(1969, 12, 31, 23, 59, 59), -1);
  EXPECT_EQ(UtcToUnix(2000, 3, 1, 0, 0, 0), 951868800);
}

TEST(TimeUtil, CurrentTimeAgreesAcrossForms) {
  ScopedTz tz("UTC0");
  SYSTEMTIME st;
  int64_t before = UnixNowSeconds();
  GetSystemTime(&st);
  SYSTEMTIME local;
  GetLocalTime(&local);
  int64_t after = UnixNowSeconds();
  int64_t got = UtcToUnix(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
  EXPECT_GE(got, before);
  EXPECT_LE(got, after);
  EXPECT_EQ(local.wYear, st.wYear);  // UTC zone: local time is UTC
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  int64_t s;
  FileTime100nsToUnix(static_cast<int64_t>(FileTimeToU64(ft)), &s, nullptr);
  EXPECT_GE(s, before);
}

TEST(TimeUtil, TimeZoneRulesNorthSouthAndNone) {
  TIME_ZONE_INFORMATION tzi;
  {
    ScopedTz tz("CET-1CEST,M3.5.0,M10.5.0/3");
    DWORD id = GetTimeZoneRulesForYear(2021, &tzi);
    EXPECT_NE(id, DWORD(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(tzi.Bias, -60);
    EXPECT_EQ(tzi.DaylightBias, -60);
    EXPECT_EQ(tzi.StandardBias, 0);
    EXPECT_EQ(std::u16string(tzi.StandardName), u"CET");
    EXPECT_EQ(std::u16string(tzi.DaylightName), u"CEST");
    // Last Sunday of March at 02:00 standard time; last Sunday of October at 03:00 summer time.
    EXPECT_EQ(tzi.DaylightDate.wMonth, 3);
    EXPECT_EQ(tzi.DaylightDate.wDay, 5);
    EXPECT_EQ(tzi.DaylightDate.wDayOfWeek, 0);
    EXPECT_EQ(tzi.DaylightDate.wHour, 2);
    EXPECT_EQ(tzi.StandardDate.wMonth, 10);
    EXPECT_EQ(tzi.StandardDate.wDay, 5);
    EXPECT_EQ(tzi.StandardDate.wHour, 3);
  }
  {
    ScopedTz tz("EST5EDT,M3.2.0,M11.1.0");  // second Sunday of March, first of November
    GetTimeZoneRulesForYear(2021, &tzi);
    EXPECT_EQ(tzi.Bias, 300);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 3);
    EXPECT_EQ(tzi.DaylightDate.wDay, 2);
    EXPECT_EQ(tzi.StandardDate.wMonth, 11);
    EXPECT_EQ(tzi.StandardDate.wDay, 1);
    EXPECT_EQ(tzi.StandardDate.wHour, 2);
  }
  {
    ScopedTz tz("AEST-10AEDT,M10.1.0,M4.1.0/3");  // southern hemisphere
    GetTimeZoneRulesForYear(2021, &tzi);
    EXPECT_EQ(tzi.Bias, -600);
    EXPECT_EQ(std::u16string(tzi.StandardName), u"AEST");
    EXPECT_EQ(tzi.DaylightDate.wMonth, 10);
    EXPECT_EQ(tzi.StandardDate.wMonth, 4);
  }
  {
    ScopedTz tz("CST-8");  // eight hours east, no daylight saving
    EXPECT_EQ(GetTimeZoneRulesForYear(2021, &tzi), DWORD(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(GetTimeZoneInformation(&tzi), DWORD(TIME_ZONE_ID_UNKNOWN));
    EXPECT_EQ(tzi.Bias, -480);
    EXPECT_EQ(tzi.DaylightDate.wMonth, 0);
  }
  EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
}
