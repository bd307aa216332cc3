// The text of a lap time as the session list shows it and the service
// receives it: "%02d:%02d.%03d" (minutes, seconds, milliseconds), with "%d:"
// hours in front from one hour on.
#pragma once

#include "platform/classlib/CString.h"
#include "sport/SportTime.h"

// The text of the parts as they are (SplitDuration gives them; negative
// parts print as negative numbers).
CString LapTimeText(const DurationParts& d);
// The text of the time rounded to whole milliseconds (83.9996 s gives
// "01:24.000"). Negative times read as 0.
CString BestLapText(double seconds);
