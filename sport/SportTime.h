// Small time helpers of the sport model. Times are FILETIME values (100-ns
// units since 1601-01-01, UTC); durations are signed counts of 100 ns.
#pragma once

#include <cstdint>
#include <string>

struct CalendarTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

struct DurationParts {
  int64_t hours = 0;  // not limited to 24
  int minutes = 0, seconds = 0, milliseconds = 0;
};

struct TIME_ZONE_INFORMATION;

// A start and an end time.
struct TrackTimes {
  uint64_t start = 0;
  uint64_t end = 0;
};

// The UTC calendar fields of a time. False, and all fields 0, for a time at or
// above 2^63, which no calendar date has.
bool SplitFileTime(uint64_t fileTime, CalendarTime* out);
// The duration rounded to whole milliseconds ((d + 5000) / 10000, toward
// zero), then split; a negative duration gives negative parts.
DurationParts SplitDuration(int64_t duration);
// end - start, in 64-bit two's complement (an end before the start gives a
// negative span).
int64_t TimeSpan(const TrackTimes& times);

// Whether a local time lies in the daylight-saving window of the zone rules
// (transition dates in the Windows form: month, occurrence 1..5 of the
// weekday, 5 the last, and the local time of the change), both dates taken
// in the time's year. A rule whose daylight date comes after its standard
// date (a southern summer) saves daylight from the one to the end of the
// year and from the start of the year to the other. False for a zone without
// daylight saving.
bool IsDaylightSavingAt(const CalendarTime& local, const TIME_ZONE_INFORMATION& tzi);

// The computer's zone at a UTC time, as the system's zone database gives it
// for that instant (LocalZoneAt).
struct ComputerZone {
  // Minutes, UTC = local + bias outside summer time: the zone's standard
  // offset then (Berlin -60, Dublin 0, Lord Howe -630).
  int32_t bias = 0;
  bool dst = false;  // the clock runs ahead of its standard then
  // local - UTC in force then, in 100-ns units. Not always -bias plus an hour
  // with dst: Lord Howe's summer time is 30 minutes.
  int64_t offset = 0;
  std::u16string name;  // the zone's abbreviation then
};
// UTC, no summer time, for an instant the platform cannot break down.
ComputerZone ComputerZoneAt(uint64_t utc);
// A UTC time in a zone of that bias: utc - bias minutes, an hour later with
// dst (wrapping as the unsigned FILETIME does).
uint64_t ShiftToZone(uint64_t utc, int32_t bias, bool dst);
