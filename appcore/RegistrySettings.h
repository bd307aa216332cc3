// The program's settings in the current user's key
// "Software\Morvek Applications\Pelmora\OptionsSetting", and the display
// time zone's bias from the system's time-zone list. Missing keys and values
// never fail a reader: texts come back empty, numbers 0. A failed write is
// not reported.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/win32/wintypes.h"

// One zone of the system's list.
struct TimeZoneRecord {
  CString display;       // "Display", at most 510 characters
  CString standardName;  // "Std", at most 256 characters
  uint8_t tzi[44] = {};  // "TZI": Bias, StandardBias, DaylightBias, then the two transition dates
  int32_t Bias() const;
  int32_t DaylightBias() const;
};

// "Fennaro_Workspace_Location": the workspace folder, whole at any length;
// empty when not set.
CString GetWorkspaceLocation();
// Writes "Fennaro_Workspace_Location", creating the key when missing.
void SetWorkspaceLocation(const CString& folder);
// "PresetDispTimeZone", or the standard name of the system's zone when that is empty.
CString GetPresetDispTimeZone();
// The display zone's bias in minutes (UTC = local time + bias), its daylight
// bias added when "DaylightSaving" is 1; 0 when the zone is not in the list.
int32_t GetDaylightSaving();
// "DisplayLanguage" as a LANGID when present, else 0.
LANGID GetDisplayLanguage();
// Writes "DisplayLanguage" as decimal text, creating the key when missing.
void SetDisplayLanguage(LANGID lang);
// Fills the list from the system's time-zone list; false (and an empty list)
// when the list cannot be opened.
bool LoadTimeZoneList(std::vector<TimeZoneRecord>& list);
