#include "sport/SportTime.h"

#include "platform/win32/timeutil.h"

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
