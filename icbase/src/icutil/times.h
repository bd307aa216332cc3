// Record times: a FILETIME (100 ns since 1601-01-01 UTC) kept as two 32-bit
// words, the high half in `first` and the low half in `second`, and its
// conversions to Unix time and calendar fields. The arithmetic on the 64-bit
// value is unsigned: stored times come from records written by another
// program, and any bit pattern must convert without overflow.
#pragma once

#include <cstdint>

struct IntPair_C {
  uint32_t first = 0;
  uint32_t second = 0;
};

IntPair_C UnixToFileTime(int64_t seconds, int32_t ms);
// The current time in whole seconds.
IntPair_C NowFileTime();
// Seconds since 1970 (floor) and the milliseconds within that second (0-999,
// also before 1970, so that seconds + ms / 1000 gives back the time).
void FileTimeToUnix(IntPair_C time, int64_t* seconds, int32_t* ms);
// UTC calendar fields of the time plus offsetSeconds. False when the result
// lies before 1970-01-01 or after the year 3000 (an unset time of 0 reads as
// "no time"). Any out pointer may be null.
bool TimeToFields(IntPair_C time, int* year, int* month, int* day, int* hour, int* minute, int* second,
                  int32_t offsetSeconds, int* ms);
// The same in the local time zone, without offset and milliseconds.
bool TimeToLocalFields(IntPair_C time, int* year, int* month, int* day, int* hour, int* minute, int* second);
// 1, -1 or 0 comparing the high words, then the low words, as unsigned numbers.
int CompareTime64(uint32_t aFirst, uint32_t aSecond, uint32_t bFirst, uint32_t bSecond);
// The current time in seconds since 1970, truncated to 32 bits.
uint32_t GetTimeSeconds();
