#include "appcore/LapTimeText.h"

#include <cmath>
#include <cstdint>

CString LapTimeText(const DurationParts& d) {
  CString text;
  if (d.hours <= 0)
    text.Format(u"%02d:%02d.%03d", d.minutes, d.seconds, d.milliseconds);
  else
    text.Format(u"%d:%02d:%02d.%03d", static_cast<int>(d.hours), d.minutes, d.seconds, d.milliseconds);
  return text;
}

CString BestLapText(double seconds) {
  const int64_t total = seconds > 0.0 ? std::llround(seconds * 1000.0) : 0;
  DurationParts d;
  d.hours = total / 3600000;
  d.minutes = static_cast<int>(total / 60000 % 60);
  d.seconds = static_cast<int>(total / 1000 % 60);
  d.milliseconds = static_cast<int>(total % 1000);
  return LapTimeText(d);
}
