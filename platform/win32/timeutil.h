// The one time module: FILETIME (100-ns intervals since 1601-01-01 UTC) <->
// Unix time, the current time, UTC and local calendar breakdowns (64-bit,
// reentrant), the SYSTEMTIME conversions and the time-zone rules of the
// process's zone (TZ).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/win32/wintypes.h"

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;
constexpr int64_t kFileTimeTicksPerSecond = 10000000LL;
constexpr int64_t kFileTimeTicksPerMs = 10000LL;

inline uint64_t FileTimeToU64(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME U64ToFileTime(uint64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

// seconds * 10^7 + ms * 10^4 + kFileTimeUnixEpoch, computed modulo 2^64 (the
// bits of the two FILETIME words; read them back as uint64_t).
int64_t UnixToFileTime100ns(int64_t seconds, int64_t ms = 0);
// Whole seconds since 1970 (rounded down, also before 1970) and the
// milliseconds within that second (0-999), so that seconds + ms/1000 gives the
// time back. A FILETIME is unsigned: every value, the top bit set included,
// converts. Either out pointer may be null.
void FileTime100nsToUnix(uint64_t fileTime, int64_t* seconds, int32_t* ms);
// Whole milliseconds since 1970 (rounded down, also before 1970) of every
// FILETIME: seconds * 1000 + ms of FileTime100nsToUnix.
int64_t FileTimeToUnixMs(uint64_t fileTime);

int64_t UnixNowSeconds();
int64_t UnixNowMs();
int64_t FileTimeNow100ns();
void GetSystemTimeAsFileTime(FILETIME* ft);

// Calendar breakdown of Unix seconds, as UTC or in the process's time zone
// (TZ; a program that changes TZ calls tzset() before the next local
// breakdown); false when the platform cannot represent the result.
bool UtcBreakdown(int64_t unixSeconds, struct tm* out);
bool LocalBreakdown(int64_t unixSeconds, struct tm* out);
// The process's zone (TZ, read again at every call) at an instant, as the
// system's zone database gives it.
struct LocalZone {
  int32_t offset = 0;  // seconds east of UTC in force at the instant: local = UTC + offset
  // Seconds east of UTC of the zone's time outside summer time around the
  // instant: the offset then when the database does not mark it as daylight
  // saving, else that of the nearest unmarked time within half a year; and
  // never above an offset that a marked time of that half year keeps (the
  // database marks Dublin's winter, not its summer, as the exception, so its
  // standard is 0 all year).
  int32_t standard = 0;
  bool summer = false;  // offset > standard
  std::string name;     // the zone's abbreviation at the instant ("CEST", "GMT", "+1030")
};
// False, `out` untouched, when the platform cannot break the instant down.
bool LocalZoneAt(int64_t unixSeconds, LocalZone* out);
// Unix seconds of a UTC calendar date and time (proleptic Gregorian; the
// fields are not normalised, callers pass valid ones).
int64_t UtcToUnix(int year, int month, int day, int hour, int minute, int second);

// Win32 meanings.
void GetSystemTime(SYSTEMTIME* st);  // now, UTC
void GetLocalTime(SYSTEMTIME* st);   // now, local
// FALSE for a FILETIME at or above 2^63 (as on Windows).
BOOL FileTimeToSystemTime(const FILETIME* ft, SYSTEMTIME* st);
// FALSE for fields outside the calendar (month 13, 30 February, hour 24, year
// before 1601 or after 30827, ...). wDayOfWeek is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* ft);
// Milliseconds of a monotonic clock (since an unspecified start).
DWORD GetTickCount();
ULONGLONG GetTickCount64();

// Time-zone rules of the process's zone for the current year, in the Win32
// layout: Bias in minutes with UTC = local + Bias; the transition dates in the
// "day of the month" form (wYear 0, wMonth, wDayOfWeek, wDay = occurrence 1-4
// or 5 for the last, and the local time of the change, on the clock in force
// before it). DaylightDate.wMonth is 0 when the zone has no daylight saving.
struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;

#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2
#define TIME_ZONE_ID_INVALID (static_cast<DWORD>(0xFFFFFFFF))

// TIME_ZONE_ID_UNKNOWN when the zone has no daylight saving, otherwise
// STANDARD or DAYLIGHT for the present moment; TIME_ZONE_ID_INVALID for null.
DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* tzi);
// The same rules for a given year.
DWORD GetTimeZoneRulesForYear(int year, TIME_ZONE_INFORMATION* tzi);
