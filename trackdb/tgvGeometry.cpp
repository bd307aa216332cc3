#include "trackdb/tgvGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "trackdb/tgvRecord.h"

namespace {

// Central angle in degrees -> nautical miles -> statute miles -> km.
double DegreesToKm(double degrees) { return degrees * 60.0 * 1.1515 * 1.609344; }

const char* EncodeBits(uint32_t v) {
  // 32 bits give at most 7 groups of 5.
  thread_local char text[8];
  int n = 0;
  while (v >= 0x20) {
    text[n++] = static_cast<char>((0x20 | (v & 0x1F)) + 63);
    v >>= 5;
  }
  text[n++] = static_cast<char>(v + 63);
  text[n] = '\0';
  return text;
}

}  // namespace

namespace {

// The haversine form with the latitudes' cosines given.
double Haversine(double lon1, double lat1, double cos1, double lon2, double lat2, double cos2) {
  if (lon1 == lon2 && lat1 == lat2) return 0.0;
  const double a1 = DegToRad(lat1), a2 = DegToRad(lat2);
  const double sLat = std::sin((a2 - a1) / 2.0);
  const double sLon = std::sin(DegToRad(lon2 - lon1) / 2.0);
  const double h = std::clamp(sLat * sLat + cos1 * cos2 * sLon * sLon, 0.0, 1.0);
  return DegreesToKm(RadToDeg(2.0 * std::asin(std::sqrt(h))));
}

}  // namespace

double GreatCircleDistanceKm(double lon1, double lat1, double lon2, double lat2) {
  return Haversine(lon1, lat1, std::cos(DegToRad(lat1)), lon2, lat2, std::cos(DegToRad(lat2)));
}

double GeoPointDistanceKm(const GeoPoint_C& p, const GeoPoint_C& q) {
  if (!p.IsValid() || !q.IsValid()) return 0.0;
  return GreatCircleDistanceKm(p.x, p.y, q.x, q.y);
}

GreatCirclePoint MakeGreatCirclePoint(const GeoPoint_C& p) {
  return GreatCirclePoint{p.x, p.y, std::cos(DegToRad(p.y)), p.IsValid()};
}

double GreatCirclePointDistanceKm(const GreatCirclePoint& p, const GreatCirclePoint& q) {
  if (!p.valid || !q.valid) return 0.0;
  return Haversine(p.lon, p.lat, p.cosLat, q.lon, q.lat, q.cosLat);
}

double GeoPointDistance3D(const GeoPoint_C& p, const GeoPoint_C& q) {
  const double h = GeoPointDistanceKm(p, q);
  const double dz = (p.z - q.z) / 1000.0;
  return std::sqrt(h * h + dz * dz);
}

double InitialBearingDeg(double lon1, double lat1, double lon2, double lat2) {
  if (lon1 == lon2 && lat1 == lat2) return 0.0;
  const double a1 = DegToRad(lat1), a2 = DegToRad(lat2), dLon = DegToRad(lon2 - lon1);
  const double angle = RadToDeg(std::atan2(std::sin(dLon) * std::cos(a2),
                                           std::cos(a1) * std::sin(a2) - std::sin(a1) * std::cos(a2) * std::cos(dLon)));
  if (angle == 0.0) return 0.0;
  return std::fmod(angle + 360.0, 360.0);
}

const char* EncodePolylineValue(int value) {
  uint32_t v = static_cast<uint32_t>(value) << 1;
  if (value < 0) v = ~v;
  return EncodeBits(v);
}

const char* EncodePolylineUnsigned(int value) { return EncodeBits(static_cast<uint32_t>(value)); }
