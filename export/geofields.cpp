#include "export/geofields.h"

#include <cmath>

DegMin_C SplitDegMin(double value, int decimals) {
  DegMin_C out;
  if (!std::isfinite(value)) return out;
  double a = std::fmin(std::fabs(value), 1e6);
  double scale = std::pow(10.0, decimals);
  int64_t whole = static_cast<int64_t>(a);
  int64_t units = std::llround((a - static_cast<double>(whole)) * 60.0 * scale);
  int64_t perDegree = std::llround(60.0 * scale);
  if (units >= perDegree) {
    ++whole;
    units -= perDegree;
  }
  out.degrees = static_cast<int32_t>(whole);
  out.minutes = static_cast<double>(units) / scale;
  return out;
}

TimeFields_C BreakDownTime(IntPair_C time, int32_t offsetSeconds) {
  TimeFields_C f;
  if (!TimeToFields(time, &f.year, &f.month, &f.day, &f.hour, &f.minute, &f.second, offsetSeconds, &f.ms)) {
    return TimeFields_C{};
  }
  f.valid = true;
  return f;
}

bool FinitePosition(double latitude, double longitude) { return std::isfinite(latitude) && std::isfinite(longitude); }

int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}
