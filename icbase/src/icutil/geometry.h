// Small value types of the track library: integer points and rectangles for
// map pixels and tiles, geographic points and boxes for positions and track
// areas, and the offset correction applied to positions inside China before
// they are drawn on a map.
//
// An unset coordinate is a sentinel: -1 for pixels, -5000.0 for degrees and metres.
#pragma once

#include <cstdint>

constexpr int32_t kIntUnset = -1;
constexpr double kGeoUnset = -5000.0;

class IntPoint_C {
 public:
  IntPoint_C() = default;
  IntPoint_C(int32_t x_, int32_t y_) : x(x_), y(y_) {}
  int32_t GetX() const { return x; }
  int32_t GetY() const { return y; }
  void SetX(int32_t v) { x = v; }
  void SetY(int32_t v) { y = v; }
  bool IsValid() const { return x != kIntUnset && y != kIntUnset; }
  bool operator==(const IntPoint_C& o) const { return x == o.x && y == o.y; }
  bool operator!=(const IntPoint_C& o) const { return !(*this == o); }

  int32_t x = kIntUnset;
  int32_t y = kIntUnset;
};

class IntRect_C {
 public:
  IntRect_C() = default;
  IntRect_C(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { Set(x1, y1, x2, y2); }
  IntRect_C(const IntPoint_C& a, const IntPoint_C& b) { Set(a, b); }

  // Stores the corners normalised, whatever the order given.
  void Set(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void Set(const IntPoint_C& a, const IntPoint_C& b) { Set(a.x, a.y, b.x, b.y); }

  int32_t GetLeft() const { return min.x; }
  int32_t GetTop() const { return min.y; }
  int32_t GetRight() const { return max.x; }
  int32_t GetBottom() const { return max.y; }
  const IntPoint_C& GetMin() const { return min; }
  const IntPoint_C& GetMax() const { return max; }

  // Midpoint with integer division (toward zero).
  IntPoint_C Center() const;
  bool IsSinglePoint() const { return min.IsValid() && max.IsValid() && min == max; }
  bool HasArea() const { return min.x != max.x && min.y != max.y; }
  bool Contains(int32_t x, int32_t y) const { return min.x <= x && x <= max.x && min.y <= y && y <= max.y; }
  bool Contains(const IntPoint_C& p) const { return Contains(p.x, p.y); }
  // Closed intervals: touching edges intersect. False unless both have area.
  bool Intersects(const IntRect_C& other) const;
  // True when the rectangle changed.
  bool ExtendToPoint(int32_t x, int32_t y);
  bool ExtendToRect(const IntRect_C& other);

 private:
  IntPoint_C min;
  IntPoint_C max;
};

class GeoPoint_C {
 public:
  GeoPoint_C() = default;
  GeoPoint_C(double x_, double y_, double z_ = kGeoUnset) : x(x_), y(y_), z(z_) {}
  double GetX() const { return x; }
  double GetY() const { return y; }
  double GetZ() const { return z; }
  void SetX(double v) { x = v; }
  void SetY(double v) { y = v; }
  void SetZ(double v) { z = v; }
  // -180 <= x <= 180 and -90 <= y <= 90; z is not checked.
  bool IsValid() const { return x >= -180.0 && x <= 180.0 && y >= -90.0 && y <= 90.0; }

  double x = kGeoUnset;  // longitude, degrees
  double y = kGeoUnset;  // latitude, degrees
  double z = kGeoUnset;  // altitude, metres
};

inline double DegToRad(double d) { return d * 3.141592653589793 / 180.0; }
inline double RadToDeg(double r) { return r * 180.0 / 3.141592653589793; }

class GeoBox_C {
 public:
  enum { LeftBottom = 0, LeftTop = 1, RightTop = 2, RightBottom = 3 };

  GeoBox_C() = default;
  GeoBox_C(double lon1, double lat1, double lon2, double lat2, double lon3, double lat3, double lon4, double lat4) {
    SetCorners(lon1, lat1, lon2, lat2, lon3, lat3, lon4, lat4);
  }
  GeoBox_C(const GeoPoint_C& c0, const GeoPoint_C& c1, const GeoPoint_C& c2, const GeoPoint_C& c3) {
    SetCorners(c0.x, c0.y, c1.x, c1.y, c2.x, c2.y, c3.x, c3.y);
  }
  GeoBox_C(const GeoPoint_C& a, const GeoPoint_C& b) { SetLimits(a.x, a.y, b.x, b.y); }

  // The four corners as given (left-bottom, left-top, right-top,
  // right-bottom); min and max from their extremes.
  void SetCorners(double lon1, double lat1, double lon2, double lat2, double lon3, double lat3, double lon4,
                  double lat4);
  // An axis-aligned box spanned by two points.
  void SetLimits(double lonA, double latA, double lonB, double latB);

  const GeoPoint_C& GetCorner(int i) const { return corner[i & 3]; }
  const GeoPoint_C& GetMin() const { return min; }
  const GeoPoint_C& GetMax() const { return max; }

  bool IsValid() const;
  bool IsSinglePoint() const;
  // exact false: within min/max, bounds included; exact true: CornersContain.
  bool ContainsPoint(double lon, double lat, bool exact) const;
  bool ContainsPoint(const GeoPoint_C& p, bool exact) const { return ContainsPoint(p.x, p.y, exact); }
  // Crossing-number test over the quadrilateral of the four corners; points
  // on a bottom edge are outside, on a top edge inside.
  bool CornersContain(const GeoPoint_C& p) const;
  bool Intersects(const GeoBox_C& other) const;
  bool ExtendToPoint(double lon, double lat);
  bool ExtendToBox(const GeoBox_C& other);

 private:
  GeoPoint_C corner[4];
  GeoPoint_C min;
  GeoPoint_C max;
};

// Great-circle distance in km; 0 when either point is not valid.
double GeoDistanceChecked(double lon1, double lat1, double lon2, double lat2);

// Map offset correction for positions inside China.
struct ChinaRefPoint_C {
  double lon;
  double lat;
  double dLat;
  double dLon;
};
// The reference table (kChinaRefCount records, compiled in).
extern const ChinaRefPoint_C kChinaRefTable[];
extern const int kChinaRefCount;

// Index of the record nearest (Chebyshev distance in degrees) and closer than
// 2 degrees; the earlier record wins on equal distances; -1 when none.
int FindChinaRefPoint(double lon, double lat);
// The point moved by the offsets of its reference record (unchanged when none).
GeoPoint_C ChinaMapShift(const GeoPoint_C& p);
GeoPoint_C ChinaMapUnshift(const GeoPoint_C& p);
