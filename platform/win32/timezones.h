// The system's time-zone list in the shape Windows keeps it: one record per
// Windows zone, synthesised from the time-zone database through ICU's
// mapping of Windows zone names to time-zone ids (the zone of territory
// "001" stands for each Windows zone). Rules are those of the current year.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WindowsTimeZone {
  std::u16string keyName;       // the Windows zone name, e.g. "China Standard Time"
  std::u16string display;       // e.g. "(UTC+08:00) Shanghai"
  std::u16string standardName;  // "Std": the Windows standard name (the key name)
  // "TZI", 44 bytes little-endian: Bias, StandardBias, DaylightBias (signed
  // 32-bit minutes, UTC = local + Bias), then StandardDate and DaylightDate
  // (SYSTEMTIME, "day of the month" form: wYear 0, wDay = occurrence 1-4 or
  // 5 for the last, the local time of the change on the clock before it;
  // both zero for a zone without daylight saving). A zone without daylight
  // saving has DaylightBias -60, as Windows keeps it.
  uint8_t tzi[44] = {};
};

// Every Windows zone, sorted by key name; built on first use (safe from any
// thread) and kept for the life of the process. Empty when ICU has no data.
const std::vector<WindowsTimeZone>& GetWindowsTimeZones();

// The Windows standard name of the process's time zone (TZ when it names a
// zone, else the system's zone); empty when it maps to no Windows zone.
// Read at every call.
std::u16string GetCurrentTimeZoneStandardName();

// Bias and DaylightBias out of a TZI value.
int32_t TziBias(const uint8_t* tzi);
int32_t TziDaylightBias(const uint8_t* tzi);
