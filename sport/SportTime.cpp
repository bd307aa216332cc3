#include "sport/SportTime.h"

#include "platform/win32/timeutil.h"
#include "platform/win32/utf.h"

bool SplitFileTime(uint64_t fileTime, CalendarTime* out) {
  if (!out) return false;
  *out = CalendarTime();
  const FILETIME ft = U64ToFileTime(fileTime);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return false;
  out->year = st.wYear;
  out->month = st.wMonth;
  out->day = st.wDay;
  out->hour = st.wHour;
  out->minute = st.wMinute;
  out->second = st.wSecond;
  return true;
}

DurationParts SplitDuration(int64_t duration) {
  // Near the top of the range d + 5000 would overflow; there d is positive and
  // the rounding of its remainder gives the same result.
  const int64_t ms =
      duration > INT64_MAX - 5000 ? duration / 10000 + (duration % 10000 + 5000) / 10000 : (duration + 5000) / 10000;
  DurationParts parts;
  parts.milliseconds = static_cast<int>(ms % 1000);
  parts.seconds = static_cast<int>(ms / 1000 % 60);
  parts.minutes = static_cast<int>(ms / 60000 % 60);
  parts.hours = ms / 3600000;
  return parts;
}

int64_t TimeSpan(const TrackTimes& times) { return static_cast<int64_t>(times.end - times.start); }

namespace {

constexpr uint64_t kTicksPerDay = 864000000000ULL;

// The day of the month of the rule's occurrence (1..4, 5 the last) of its
// weekday in the month of the year.
int RuleDay(int year, const SYSTEMTIME& rule) {
  SYSTEMTIME first{};
  first.wYear = static_cast<WORD>(year);
  first.wMonth = rule.wMonth;
  first.wDay = 1;
  FILETIME ft;
  if (!SystemTimeToFileTime(&first, &ft)) return 1;
  const uint64_t days = ((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / kTicksPerDay;
  const int firstDow = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  int day = 1 + (rule.wDayOfWeek - firstDow + 7) % 7 + (rule.wDay - 1) * 7;
  SYSTEMTIME probe = first;
  probe.wDay = static_cast<WORD>(day);
  while (day > 28 && !SystemTimeToFileTime(&probe, &ft)) probe.wDay = static_cast<WORD>(day -= 7);
  return day;
}

// Month, day, hour, minute, second as one comparable number.
int64_t CalendarKey(int month, int day, int hour, int minute, int second) {
  return ((((static_cast<int64_t>(month) * 32 + day) * 24 + hour) * 60 + minute) * 60) + second;
}

int64_t RuleKey(int year, const SYSTEMTIME& rule) {
  return CalendarKey(rule.wMonth, RuleDay(year, rule), rule.wHour, rule.wMinute, rule.wSecond);
}

}  // namespace

bool IsDaylightSavingAt(const CalendarTime& local, const TIME_ZONE_INFORMATION& tzi) {
  if (tzi.DaylightDate.wMonth == 0 || tzi.StandardDate.wMonth == 0) return false;
  const int64_t t = CalendarKey(local.month, local.day, local.hour, local.minute, local.second);
  const int64_t start = RuleKey(local.year, tzi.DaylightDate);
  const int64_t end = RuleKey(local.year, tzi.StandardDate);
  // A zone whose summer spans the new year (the southern hemisphere) saves
  // daylight outside [end, start).
  return start < end ? t >= start && t < end : t >= start || t < end;
}

uint64_t ShiftToZone(uint64_t utc, int32_t bias, bool dst) {
  constexpr int64_t kTicksPerMinute = 600000000;
  const int64_t offset = (-static_cast<int64_t>(bias) + (dst ? 60 : 0)) * kTicksPerMinute;
  return utc + static_cast<uint64_t>(offset);
}

ComputerZone ComputerZoneAt(uint64_t utc) {
  int64_t seconds = 0;
  FileTime100nsToUnix(utc, &seconds, nullptr);
  ComputerZone zone;
  LocalZone local;
  if (!LocalZoneAt(seconds, &local)) return zone;
  // Minutes, as the zone is stored; zones of whole minutes lose nothing.
  zone.bias = -(local.standard / 60);
  zone.dst = local.summer;
  zone.offset = static_cast<int64_t>(local.offset) * kFileTimeTicksPerSecond;
  zone.name = Utf8ToUtf16(local.name);
  return zone;
}
