// Distances and courses between points, in degrees of longitude and
// latitude. A planar measure uses plain differences of the degrees; the
// great-circle measures use one sphere (nautical-mile constants) in km.
#pragma once

#include "icbase/src/icutil/geometry.h"

// A position as the planar measures take it: x the longitude, y the latitude.
struct PlanarPoint {
  double x = 0.0, y = 0.0;
};
// (dLatitude)^2 + (dLongitude)^2 of two positions.
inline double PlanarDistanceSq(const PlanarPoint& a, const PlanarPoint& b) {
  const double dLat = a.y - b.y;
  const double dLon = a.x - b.x;
  return dLat * dLat + dLon * dLon;
}
// The offset (dLongitude, dLatitude) from the point of segment a-b nearest
// to p to p, lengthSq being the segment's squared planar length; a
// degenerate segment measures to a. Its hypot is p's distance to the segment.
struct PlanarOffset {
  double dx = 0.0, dy = 0.0;
};
// Inline: the level pass of a long line takes it for every point on every
// stretch.
inline PlanarOffset PlanarPointSegmentOffset(const PlanarPoint& p, const PlanarPoint& a, const PlanarPoint& b,
                                             double lengthSq) {
  if ((a.x == b.x && a.y == b.y) || lengthSq == 0.0) return PlanarOffset{p.x - a.x, p.y - a.y};
  const double t = ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / lengthSq;
  if (t <= 0.0) return PlanarOffset{p.x - a.x, p.y - a.y};
  if (t >= 1.0) return PlanarOffset{p.x - b.x, p.y - b.y};
  return PlanarOffset{p.x - (a.x + t * (b.x - a.x)), p.y - (a.y + t * (b.y - a.y))};
}
// Great-circle distance in km; 0 for equal points. The haversine form keeps
// its precision for steps of centimetres, where the law of cosines gives 0.
double GreatCircleDistanceKm(double lon1, double lat1, double lon2, double lat2);
// The same for two points; 0 when either is not valid.
double GeoPointDistanceKm(const GeoPoint_C& p, const GeoPoint_C& q);
// A position made ready for many great-circle measures: its latitude's
// cosine is taken once.
struct GreatCirclePoint {
  double lon = 0.0, lat = 0.0, cosLat = 1.0;
  bool valid = false;  // GeoPoint_C::IsValid
};
GreatCirclePoint MakeGreatCirclePoint(const GeoPoint_C& p);
// GeoPointDistanceKm of the two positions: the same value to the bit.
double GreatCirclePointDistanceKm(const GreatCirclePoint& p, const GreatCirclePoint& q);
// The straight-line distance in km: the horizontal distance (km) and the
// altitude difference (metres, converted to km) combined.
double GeoPointDistance3D(const GeoPoint_C& p, const GeoPoint_C& q);
// The initial course from the first point to the second, 0 <= deg < 360;
// 0 for equal points.
double InitialBearingDeg(double lon1, double lat1, double lon2, double lat2);

// One value in the encoding of the published Encoded Polyline Algorithm
// Format (signed, and without the sign step). The text is the calling
// thread's own and is overwritten by its next call.
const char* EncodePolylineValue(int value);
const char* EncodePolylineUnsigned(int value);
