// Shared pieces of the line formats (NMEA, PCX5, track-point file, CSV):
// degrees-and-minutes fields and the calendar fields of a stored time.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/icutil.h"

// |value| as whole degrees and minutes, the minutes already rounded to
// `decimals` places with the carry into the degrees, so that a field never
// reads "60.0000" or "010.0000". A value that is not finite gives 0 degrees
// and 0 minutes; magnitudes are capped at 1e6 degrees.
struct DegMin_C {
  int32_t degrees = 0;
  double minutes = 0.0;
};
DegMin_C SplitDegMin(double value, int decimals);

// The UTC calendar fields of a stored time moved by offsetSeconds; all zero
// when the time cannot be broken down (before 1970, after the year 3000).
struct TimeFields_C {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int ms = 0;
  bool valid = false;
};
TimeFields_C BreakDownTime(IntPair_C time, int32_t offsetSeconds);

// A double truncated toward zero into int32, saturating at the ends; NaN gives 0.
int32_t TruncToInt32(double value);

// False when the latitude or the longitude is NaN or infinite: no reader can
// place such a point, so the writers leave it out.
bool FinitePosition(double latitude, double longitude);
