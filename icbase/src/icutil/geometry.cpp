#include "icbase/src/icutil/geometry.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------
// IntRect_C

void IntRect_C::Set(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  min = IntPoint_C(std::min(x1, x2), std::min(y1, y2));
  max = IntPoint_C(std::max(x1, x2), std::max(y1, y2));
}

IntPoint_C IntRect_C::Center() const {
  return IntPoint_C(static_cast<int32_t>((int64_t(min.x) + max.x) / 2),
                    static_cast<int32_t>((int64_t(min.y) + max.y) / 2));
}

bool IntRect_C::Intersects(const IntRect_C& o) const {
  if (!HasArea() || !o.HasArea()) return false;
  return std::max(min.x, o.min.x) <= std::min(max.x, o.max.x) && std::max(min.y, o.min.y) <= std::min(max.y, o.max.y);
}

bool IntRect_C::ExtendToPoint(int32_t x, int32_t y) {
  if (!max.IsValid()) {
    Set(x, y, x, y);
    return true;
  }
  if (!min.IsValid()) {
    Set(x, y, max.x, max.y);
    return true;
  }
  bool changed = false;
  if (x < min.x) {
    min.x = x;
    changed = true;
  } else if (x > max.x) {
    max.x = x;
    changed = true;
  }
  if (y < min.y) {
    min.y = y;
    changed = true;
  } else if (y > max.y) {
    max.y = y;
    changed = true;
  }
  return changed;
}

bool IntRect_C::ExtendToRect(const IntRect_C& other) {
  if (!other.HasArea()) return false;
  bool a = ExtendToPoint(other.min.x, other.min.y);
  bool b = ExtendToPoint(other.max.x, other.max.y);
  return a || b;
}

// ---------------------------------------------------------------------------
// GeoBox_C

void GeoBox_C::SetCorners(double lon1, double lat1, double lon2, double lat2, double lon3, double lat3, double lon4,
                          double lat4) {
  corner[0] = GeoPoint_C(lon1, lat1, kGeoUnset);
  corner[1] = GeoPoint_C(lon2, lat2, kGeoUnset);
  corner[2] = GeoPoint_C(lon3, lat3, kGeoUnset);
  corner[3] = GeoPoint_C(lon4, lat4, kGeoUnset);
  min = GeoPoint_C(std::min({lon1, lon2, lon3, lon4}), std::min({lat1, lat2, lat3, lat4}), kGeoUnset);
  max = GeoPoint_C(std::max({lon1, lon2, lon3, lon4}), std::max({lat1, lat2, lat3, lat4}), kGeoUnset);
}

void GeoBox_C::SetLimits(double lonA, double latA, double lonB, double latB) {
  double x0 = std::min(lonA, lonB), x1 = std::max(lonA, lonB);
  double y0 = std::min(latA, latB), y1 = std::max(latA, latB);
  SetCorners(x0, y0, x0, y1, x1, y1, x1, y0);
}

bool GeoBox_C::IsValid() const { return min.IsValid() && max.IsValid() && min.x != max.x && min.y != max.y; }

bool GeoBox_C::IsSinglePoint() const { return min.IsValid() && max.IsValid() && min.x == max.x && min.y == max.y; }

bool GeoBox_C::ContainsPoint(double lon, double lat, bool exact) const {
  if (exact) return CornersContain(GeoPoint_C(lon, lat, kGeoUnset));
  return min.x <= lon && lon <= max.x && min.y <= lat && lat <= max.y;
}

bool GeoBox_C::CornersContain(const GeoPoint_C& p) const {
  int count = 0;
  const GeoPoint_C* prev = &corner[0];
  for (int i = 1; i <= 4; ++i) {
    const GeoPoint_C* cur = &corner[i % 4];
    double x1 = prev->x, y1 = prev->y, x2 = cur->x, y2 = cur->y;
    if (p.y > std::min(y1, y2) && p.y <= std::max(y1, y2) && p.x <= std::max(x1, x2) && y1 != y2 &&
        (x1 == x2 || p.x <= (p.y - y1) * (x2 - x1) / (y2 - y1) + x1))
      ++count;
    prev = cur;
  }
  return (count & 1) != 0;
}

bool GeoBox_C::Intersects(const GeoBox_C& o) const {
  if (!IsValid() || !o.IsValid()) return false;
  return std::max(min.x, o.min.x) <= std::min(max.x, o.max.x) && std::max(min.y, o.min.y) <= std::min(max.y, o.max.y);
}

bool GeoBox_C::ExtendToPoint(double lon, double lat) {
  if (!max.IsValid()) {
    SetLimits(lon, lat, lon, lat);
    return true;
  }
  if (!min.IsValid()) {
    SetLimits(lon, lat, max.x, max.y);
    return true;
  }
  bool changed = false;
  if (lon < min.x) {
    min.x = corner[LeftBottom].x = corner[LeftTop].x = lon;
    changed = true;
  } else if (lon > max.x) {
    max.x = corner[RightTop].x = corner[RightBottom].x = lon;
    changed = true;
  }
  if (lat < min.y) {
    min.y = corner[LeftBottom].y = corner[RightBottom].y = lat;
    changed = true;
  } else if (lat > max.y) {
    max.y = corner[LeftTop].y = corner[RightTop].y = lat;
    changed = true;
  }
  return changed;
}

bool GeoBox_C::ExtendToBox(const GeoBox_C& other) {
  if (!other.IsValid()) return false;
  bool a = ExtendToPoint(other.min.x, other.min.y);
  bool b = ExtendToPoint(other.max.x, other.max.y);
  return a || b;
}

// ---------------------------------------------------------------------------
// Distance

double GeoDistanceChecked(double lon1, double lat1, double lon2, double lat2) {
  if (!GeoPoint_C(lon1, lat1).IsValid() || !GeoPoint_C(lon2, lat2).IsValid()) return 0.0;
  if (lon1 == lon2 && lat1 == lat2) return 0.0;
  double a1 = DegToRad(lat1), a2 = DegToRad(lat2);
  double c = std::sin(a1) * std::sin(a2) + std::cos(a1) * std::cos(a2) * std::cos(DegToRad(lon1 - lon2));
  c = std::clamp(c, -1.0, 1.0);
  // Central angle in degrees -> nautical miles -> statute miles -> km.
  return RadToDeg(std::acos(c)) * 60.0 * 1.1515 * 1.609344;
}

// ---------------------------------------------------------------------------
// Map offset correction

int FindChinaRefPoint(double lon, double lat) {
  double best = 2.0;
  int found = -1;
  for (int i = 0; i < kChinaRefCount; ++i) {
    const ChinaRefPoint_C& r = kChinaRefTable[i];
    double d = std::max(std::fabs(lon - r.lon), std::fabs(lat - r.lat));
    if (d < best) {
      best = d;
      found = i;
    }
  }
  return found;
}

GeoPoint_C ChinaMapShift(const GeoPoint_C& p) {
  int i = FindChinaRefPoint(p.x, p.y);
  if (i < 0) return p;
  return GeoPoint_C(p.x + kChinaRefTable[i].dLon, p.y + kChinaRefTable[i].dLat, p.z);
}

GeoPoint_C ChinaMapUnshift(const GeoPoint_C& p) {
  int i = FindChinaRefPoint(p.x, p.y);
  if (i < 0) return p;
  return GeoPoint_C(p.x - kChinaRefTable[i].dLon, p.y - kChinaRefTable[i].dLat, p.z);
}
