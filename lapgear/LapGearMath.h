// Constants shared by the parts of the lap engine.
#pragma once

namespace lapgear {

inline constexpr double kPi = 3.141592654;
inline constexpr double kEarthRadiusKm = 6371.0;          // spherical beacon lines
inline constexpr double kWgs84A = 6378137.0;              // semi-major axis, m
inline constexpr double kWgs84F = 0.0033528106647474805;  // flattening
inline constexpr double kWgs84E2 = 2.0 * kWgs84F - kWgs84F * kWgs84F;
inline constexpr double kDegreeFactor = 0.017453292522222223;  // direction test
inline constexpr double kFixedScale = 1e12;                    // intersection range checks
inline constexpr double kSecondsPerHour = 3600.0;
inline constexpr double kMetresPerKm = 1000.0;
inline constexpr double kMovingSpeed = 2.5;       // km/h
inline constexpr double kShortestFirstLap = 5.0;  // s

}  // namespace lapgear
