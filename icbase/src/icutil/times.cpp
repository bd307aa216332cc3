#include "icbase/src/icutil/times.h"

#include <ctime>

#include "platform/win32/timeutil.h"

namespace {

// The calendar breakdown covers 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC.
constexpr int64_t kLastBrokenDownSecond = 32535215999LL;

uint64_t ToFileTime(IntPair_C t) { return (uint64_t(t.first) << 32) | t.second; }

void Put(int* out, int value) {
  if (out) *out = value;
}

void PutFields(const struct tm& tm, int* year, int* month, int* day, int* hour, int* minute, int* second) {
  Put(year, tm.tm_year + 1900);
  Put(month, tm.tm_mon + 1);
  Put(day, tm.tm_mday);
  Put(hour, tm.tm_hour);
  Put(minute, tm.tm_min);
  Put(second, tm.tm_sec);
}

}  // namespace

IntPair_C UnixToFileTime(int64_t seconds, int32_t ms) {
  auto v = static_cast<uint64_t>(UnixToFileTime100ns(seconds, ms));
  IntPair_C t;
  t.first = static_cast<uint32_t>(v >> 32);
  t.second = static_cast<uint32_t>(v & 0xFFFFFFFFu);
  return t;
}

IntPair_C NowFileTime() { return UnixToFileTime(UnixNowSeconds(), 0); }

void FileTimeToUnix(IntPair_C time, int64_t* seconds, int32_t* ms) {
  FileTime100nsToUnix(ToFileTime(time), seconds, ms);
}

bool TimeToFields(IntPair_C time, int* year, int* month, int* day, int* hour, int* minute, int* second,
                  int32_t offsetSeconds, int* ms) {
  int64_t t = 0;
  int32_t milli = 0;
  FileTimeToUnix(time, &t, &milli);
  t += offsetSeconds;
  struct tm tm {};
  if (t < 0 || t > kLastBrokenDownSecond || !UtcBreakdown(t, &tm)) return false;
  PutFields(tm, year, month, day, hour, minute, second);
  Put(ms, milli);
  return true;
}

bool TimeToLocalFields(IntPair_C time, int* year, int* month, int* day, int* hour, int* minute, int* second) {
  int64_t t = 0;
  FileTimeToUnix(time, &t, nullptr);
  struct tm tm {};
  if (t < 0 || t > kLastBrokenDownSecond || !LocalBreakdown(t, &tm)) return false;
  PutFields(tm, year, month, day, hour, minute, second);
  return true;
}

int CompareTime64(uint32_t aFirst, uint32_t aSecond, uint32_t bFirst, uint32_t bSecond) {
  if (aFirst != bFirst) return aFirst > bFirst ? 1 : -1;
  if (aSecond != bSecond) return aSecond > bSecond ? 1 : -1;
  return 0;
}

uint32_t GetTimeSeconds() { return static_cast<uint32_t>(UnixNowSeconds()); }
