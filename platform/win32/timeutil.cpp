#include "platform/win32/timeutil.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeap(y)) ? 29 : kDays[m - 1];
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

void FillSystemTime(const struct tm& tm, int ms, SYSTEMTIME* st) {
  st->wYear = static_cast<WORD>(tm.tm_year + 1900);
  st->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st->wDay = static_cast<WORD>(tm.tm_mday);
  st->wHour = static_cast<WORD>(tm.tm_hour);
  st->wMinute = static_cast<WORD>(tm.tm_min);
  st->wSecond = static_cast<WORD>(tm.tm_sec);
  st->wMilliseconds = static_cast<WORD>(ms);
}

int IsDstAt(int64_t t) {
  struct tm tm;
  if (!LocalBreakdown(t, &tm)) return -1;
  return tm.tm_isdst > 0 ? 1 : 0;
}

// The first second at or after `lo` at which the daylight flag differs from
// its value at `lo`, knowing that it differs at `hi`.
int64_t FindChange(int64_t lo, int64_t hi) {
  int at = IsDstAt(lo);
  while (hi - lo > 1) {
    int64_t mid = lo + (hi - lo) / 2;
    if (IsDstAt(mid) == at)
      lo = mid;
    else
      hi = mid;
  }
  return hi;
}

// The transition at `t` in the "day of the month" form, on the clock in force
// before it (UTC offset `offsetBefore`).
SYSTEMTIME TransitionRule(int64_t t, long offsetBefore) {
  struct tm tm;
  SYSTEMTIME st{};
  if (!UtcBreakdown(t + offsetBefore, &tm)) return st;
  int year = tm.tm_year + 1900, month = tm.tm_mon + 1;
  st.wYear = 0;
  st.wMonth = static_cast<WORD>(month);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday + 7 > DaysInMonth(year, month) ? 5 : (tm.tm_mday - 1) / 7 + 1);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  return st;
}

void CopyName(WCHAR* dst, const char* name) {
  size_t i = 0;
  for (; name && name[i] && i < 31; ++i) dst[i] = static_cast<unsigned char>(name[i]);
  dst[i] = 0;
}

}  // namespace

int64_t UnixToFileTime100ns(int64_t seconds, int64_t ms) {
  // Modulo 2^64, as the two stored words hold it: no signed overflow.
  uint64_t v = static_cast<uint64_t>(seconds) * static_cast<uint64_t>(kFileTimeTicksPerSecond) +
               static_cast<uint64_t>(ms) * static_cast<uint64_t>(kFileTimeTicksPerMs) +
               static_cast<uint64_t>(kFileTimeUnixEpoch);
  return static_cast<int64_t>(v);
}

void FileTime100nsToUnix(uint64_t fileTime, int64_t* seconds, int32_t* ms) {
  constexpr auto kEpoch = static_cast<uint64_t>(kFileTimeUnixEpoch);
  constexpr auto kPerSecond = static_cast<uint64_t>(kFileTimeTicksPerSecond);
  constexpr auto kPerMs = static_cast<uint64_t>(kFileTimeTicksPerMs);
  int64_t s;
  uint64_t within;  // ticks from the start of second s
  if (fileTime >= kEpoch) {
    uint64_t rel = fileTime - kEpoch;
    s = static_cast<int64_t>(rel / kPerSecond);
    within = rel % kPerSecond;
  } else {
    uint64_t before = kEpoch - fileTime;
    uint64_t whole = (before + kPerSecond - 1) / kPerSecond;  // rounded up: s is the floor
    s = -static_cast<int64_t>(whole);
    within = whole * kPerSecond - before;
  }
  if (seconds) *seconds = s;
  if (ms) *ms = static_cast<int32_t>(within / kPerMs);
}

int64_t FileTimeToUnixMs(uint64_t fileTime) {
  int64_t seconds = 0;
  int32_t ms = 0;
  FileTime100nsToUnix(fileTime, &seconds, &ms);
  return seconds * 1000 + ms;
}

int64_t UnixNowSeconds() { return FloorDiv(UnixNowMs(), 1000); }

int64_t UnixNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int64_t FileTimeNow100ns() {
  using namespace std::chrono;
  auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return us * 10 + kFileTimeUnixEpoch;
}

void GetSystemTimeAsFileTime(FILETIME* ft) {
  if (ft) *ft = U64ToFileTime(static_cast<uint64_t>(FileTimeNow100ns()));
}

bool UtcBreakdown(int64_t unixSeconds, struct tm* out) {
  if (!out) return false;
  time_t t = static_cast<time_t>(unixSeconds);
  if (static_cast<int64_t>(t) != unixSeconds) return false;
  return gmtime_r(&t, out) != nullptr;
}

bool LocalBreakdown(int64_t unixSeconds, struct tm* out) {
  if (!out) return false;
  time_t t = static_cast<time_t>(unixSeconds);
  if (static_cast<int64_t>(t) != unixSeconds) return false;
  return localtime_r(&t, out) != nullptr;
}

bool LocalZoneAt(int64_t unixSeconds, LocalZone* out) {
  if (!out) return false;
  tzset();
  struct tm at;
  if (!LocalBreakdown(unixSeconds, &at)) return false;
  // Weekly probes find every stretch of a zone's year longer than a week
  // (Dublin's winter, a summer time suspended for a month).
  constexpr int64_t kWeek = 7 * 86400;
  constexpr int kWeeks = 26;
  bool unmarkedFound = at.tm_isdst <= 0;
  long standard = at.tm_gmtoff;
  long lowestMarked = at.tm_isdst > 0 ? at.tm_gmtoff : LONG_MAX;
  for (int week = 1; week <= kWeeks; ++week) {
    for (const int64_t side : {-1, 1}) {
      struct tm probe;
      if (!LocalBreakdown(unixSeconds + side * week * kWeek, &probe)) continue;
      if (probe.tm_isdst > 0) {
        lowestMarked = std::min(lowestMarked, probe.tm_gmtoff);
      } else if (!unmarkedFound) {
        standard = probe.tm_gmtoff;
        unmarkedFound = true;
      }
    }
  }
  standard = std::min(standard, lowestMarked);
  out->offset = static_cast<int32_t>(at.tm_gmtoff);
  out->standard = static_cast<int32_t>(standard);
  out->summer = at.tm_gmtoff > standard;
  out->name = at.tm_zone ? at.tm_zone : "";
  return true;
}

int64_t UtcToUnix(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + int64_t(hour) * 3600 +
         int64_t(minute) * 60 + second;
}

void GetSystemTime(SYSTEMTIME* st) {
  if (!st) return;
  int64_t ms = UnixNowMs();
  struct tm tm;
  if (UtcBreakdown(FloorDiv(ms, 1000), &tm)) FillSystemTime(tm, static_cast<int>(ms - FloorDiv(ms, 1000) * 1000), st);
}

void GetLocalTime(SYSTEMTIME* st) {
  if (!st) return;
  int64_t ms = UnixNowMs();
  struct tm tm;
  if (LocalBreakdown(FloorDiv(ms, 1000), &tm)) FillSystemTime(tm, static_cast<int>(ms - FloorDiv(ms, 1000) * 1000), st);
}

BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st) {
  if (!ft || !st) return FALSE;
  uint64_t v = FileTimeToU64(*ft);
  if (v > 0x7FFFFFFFFFFFFFFFULL) return FALSE;
  int64_t seconds;
  int32_t ms;
  FileTime100nsToUnix(v, &seconds, &ms);
  struct tm tm;
  if (!UtcBreakdown(seconds, &tm)) return FALSE;
  FillSystemTime(tm, ms, st);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft) {
  if (!st || !ft) return FALSE;
  if (st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
      st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 ||
      st->wMilliseconds > 999)
    return FALSE;
  int64_t s = UtcToUnix(st->wYear, st->wMonth, st->wDay, st->wHour, st->wMinute, st->wSecond);
  *ft = U64ToFileTime(static_cast<uint64_t>(UnixToFileTime100ns(s, st->wMilliseconds)));
  return TRUE;
}

ULONGLONG GetTickCount64() {
  using namespace std::chrono;
  return static_cast<ULONGLONG>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

namespace {

bool ReadTimeZoneRules(int year, TIME_ZONE_INFORMATION* tzi) {
  std::memset(tzi, 0, sizeof *tzi);
  // Sample the year day by day (from 14 hours before its first UTC midnight so
  // that every zone's whole local year is covered), then pin each change of
  // the daylight flag to the second.
  const int64_t start = UtcToUnix(year, 1, 1, 0, 0, 0) - 14 * 3600;
  const int64_t end = UtcToUnix(year + 1, 1, 1, 0, 0, 0) + 14 * 3600;
  int64_t toDst = 0, toStd = 0;
  bool haveToDst = false, haveToStd = false;
  struct tm stdTm {};
  struct tm dstTm {};
  bool haveStd = false, haveDst = false;
  int prev = IsDstAt(start);
  for (int64_t t = start; t < end;) {
    int64_t next = t + 86400 < end ? t + 86400 : end;
    int cur = IsDstAt(next);
    struct tm probe;
    if (LocalBreakdown(t, &probe)) {
      if (probe.tm_isdst > 0 && !haveDst) dstTm = probe, haveDst = true;
      if (probe.tm_isdst <= 0 && !haveStd) stdTm = probe, haveStd = true;
    }
    if (cur != prev && cur >= 0 && prev >= 0) {
      int64_t change = FindChange(t, next);
      if (cur == 1 && !haveToDst) toDst = change, haveToDst = true;
      if (cur == 0 && !haveToStd) toStd = change, haveToStd = true;
    }
    prev = cur;
    t = next;
  }
  if (!haveStd) {  // a zone in daylight time all year: treat that as its standard time
    stdTm = dstTm;
    haveStd = true;
  }
  tzi->Bias = static_cast<LONG>(-stdTm.tm_gmtoff / 60);
  CopyName(tzi->StandardName, stdTm.tm_zone);
  if (!haveDst || !haveToDst || !haveToStd) {
    CopyName(tzi->DaylightName, stdTm.tm_zone);
    return false;
  }
  tzi->DaylightBias = static_cast<LONG>(-(dstTm.tm_gmtoff - stdTm.tm_gmtoff) / 60);
  CopyName(tzi->DaylightName, dstTm.tm_zone);
  tzi->DaylightDate = TransitionRule(toDst, stdTm.tm_gmtoff);
  tzi->StandardDate = TransitionRule(toStd, dstTm.tm_gmtoff);
  return true;
}

// The rules of the last year asked for, by the zone setting they were read
// under: sampling a year is costly, and every track's statistics ask.
struct ZoneRulesCache {
  std::mutex lock;
  bool valid = false;
  int year = 0;
  std::optional<std::string> zone;
  TIME_ZONE_INFORMATION rules{};
  bool knownRules = false;
};

ZoneRulesCache& RulesCache() {
  static ZoneRulesCache cache;
  return cache;
}

std::optional<std::string> ZoneSetting() {
  const char* tz = std::getenv("TZ");
  return tz ? std::optional<std::string>(tz) : std::nullopt;
}

}  // namespace

DWORD GetTimeZoneRulesForYear(int year, TIME_ZONE_INFORMATION* tzi) {
  if (!tzi) return TIME_ZONE_ID_INVALID;
  tzset();
  ZoneRulesCache& cache = RulesCache();
  std::optional<std::string> zone = ZoneSetting();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (!cache.valid || cache.year != year || cache.zone != zone) {
    cache.knownRules = ReadTimeZoneRules(year, &cache.rules);
    cache.year = year;
    cache.zone = std::move(zone);
    cache.valid = true;
  }
  *tzi = cache.rules;
  if (!cache.knownRules) return TIME_ZONE_ID_UNKNOWN;
  return IsDstAt(UnixNowSeconds()) == 1 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* tzi) {
  struct tm now;
  int year = LocalBreakdown(UnixNowSeconds(), &now) ? now.tm_year + 1900 : 2000;
  return GetTimeZoneRulesForYear(year, tzi);
}
