// The stored text forms of sport fields. Numbers are written and read with
// '.' whatever the locale; integers read saturate at the int32 range.
//   double    "%f" (six decimals)
//   integer   "%d"
//   duration  "%d" whole milliseconds: duration / 10000.0 + 0.5, truncated
//             toward zero and clamped to the int32 range
//   time      "%d %d": the FILETIME's high half, a blank, its low half, each
//             as a signed 32-bit decimal
//   boolean   "1" or "0"
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

CString DoubleText(double value);
CString IntText(int32_t value);
CString DurationText(int64_t duration);
CString TimeText(uint64_t time);
CString BoolText(bool value);

// The two integers of a time text; false, and 0, unless the text holds two
// integers separated by blanks.
bool ParseTimeText(const CString& text, uint64_t* time);
// The leading integer (0 when none) as milliseconds, in 100-ns units.
int64_t ParseDurationText(const CString& text);
// Up to count leading integers separated by blanks; how many were read.
int ParseIntsText(const CString& text, int32_t* out, int count);
