#include "sport/SportLapMeasure.h"

#include <cmath>

#include "lapgear/CircuitLapGear.h"
#include "lapgear/LapGear.h"
#include "sport/SportLapPoint.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvRecord.h"

namespace {

// t + trunc(offset) when that is a finite time; t otherwise.
uint64_t Shifted(uint64_t t, double offset) {
  if (!std::isfinite(offset) || std::fabs(offset) >= 9.0e18) return t;
  return t + static_cast<uint64_t>(static_cast<int64_t>(std::trunc(offset)));
}

// num / den when finite, else nothing (NaN).
double Ratio(double num, double den) { return den == 0.0 ? NAN : num / den; }

double Chord(const MeasurePoint& a, const MeasurePoint& b) { return LapGear::calcDistance(a.ecef, b.ecef); }

double Elapsed(uint64_t later, uint64_t earlier) { return static_cast<double>(static_cast<int64_t>(later - earlier)); }

}  // namespace

double CalcChordDistance(double lon1, double lat1, double lon2, double lat2) {
  return LapGear::calcDistance(lat1, lon1, lat2, lon2);
}

double PathDistance(const tgvWayPoint_C* from, const tgvWayPoint_C* to) {
  if (!from || !to || from == to) return 0.0;
  double sum = 0.0;
  LapGear::Ecef at = LapGear::getEcef(from->GetLatitude(), from->GetLongitude());
  for (const tgvWayPoint_C* p = from; p != to;) {
    const tgvWayPoint_C* next = p->GetNext();
    if (!next) break;
    const LapGear::Ecef following = LapGear::getEcef(next->GetLatitude(), next->GetLongitude());
    sum += LapGear::calcDistance(at, following);
    at = following;
    p = next;
  }
  return sum;
}

TrackPath::TrackPath(const TrackPointEntry* entries, int32_t count) {
  if (!entries || count <= 0) return;
  m_points.resize(count);
  m_along.resize(count);
  for (int32_t i = 0; i < count; ++i) {
    MeasurePoint& p = m_points[i];
    p.wp = entries[i].point;
    p.lat = p.wp->GetLatitude();
    p.lon = p.wp->GetLongitude();
    p.ecef = LapGear::getEcef(p.lat, p.lon);
    uint32_t t1 = 0, t2 = 0;
    p.logged = p.wp->GetLogTimeSpeed(&t1, &t2, &p.speed);
    if (!p.logged) p.speed = 0.0;
    p.time = p.logged ? (static_cast<uint64_t>(t1) << 32 | t2) : 0;
    m_along[i] = i == 0 ? 0.0 : m_along[i - 1] + Chord(m_points[i - 1], p);
  }
}

double TrackPath::PathDistance(int32_t from, int32_t to) const {
  if (from < 0 || to < 0 || from >= Count() || to >= Count() || from == to) return 0.0;
  return (to > from ? m_along[to] : m_along.back()) - m_along[from];
}

double TrackPath::PathDistanceFrom(double lat, double lon, int32_t i, int32_t end, double endLat, double endLon) const {
  if (i < 0 || i + 1 >= Count() || end <= i || end >= Count()) return 0.0;
  const MeasurePoint& last = m_points[end - 1];
  double lastSegment = Chord(last, m_points[end]);
  const double toEnd = CalcChordDistance(last.lon, last.lat, endLon, endLat);
  if (toEnd < lastSegment) lastSegment = toEnd;
  if (i + 1 == end) return lastSegment;
  const MeasurePoint& next = m_points[i + 1];
  return CalcChordDistance(lon, lat, next.lon, next.lat) + (m_along[end - 1] - m_along[i + 1]) + lastSegment;
}

bool TrackPath::SegmentCrosses(int32_t i, double lat1, double lon1, double lat2, double lon2, double* lat,
                               double* lon) const {
  if (i < 0 || i + 1 >= Count()) return false;
  const MeasurePoint& a = m_points[i];
  const MeasurePoint& b = m_points[i + 1];
  CircuitLapGear::GeoPoint c{};
  if (!CircuitLapGear::getIntersection({a.lat, a.lon}, {b.lat, b.lon}, {lat1, lon1}, {lat2, lon2}, &c)) return false;
  if (lat) *lat = c.lat;
  if (lon) *lon = c.lon;
  return true;
}

uint64_t TrackPath::CrossingTime(int32_t i, const CSportLapPoint& lapPoint, double diffLat, double diffLon) const {
  const MeasurePoint& p = m_points[i];
  double cLat = 0.0, cLon = 0.0;
  if (!SegmentCrosses(i, lapPoint.m_dLat1 - diffLat, lapPoint.m_dLon1 - diffLon, lapPoint.m_dLat2 - diffLat,
                      lapPoint.m_dLon2 - diffLon, &cLat, &cLon))
    return p.time;
  const MeasurePoint& q = m_points[i + 1];
  const double d1 = CalcChordDistance(cLon, cLat, p.lon, p.lat);
  const double d2 = CalcChordDistance(cLon, cLat, q.lon, q.lat);
  const double d = Chord(p, q);
  const double dt = Elapsed(q.time, p.time);
  if (!(dt > 0.0) || !(d1 + d2 > 0.0)) return p.time;
  return d1 > d2 ? Shifted(p.time, Ratio(d1, d) * dt) : Shifted(q.time, -(Ratio(d2, d) * dt));
}

uint64_t TrackPath::AcceleratingTime(int32_t i, int kind, double v) const {
  const MeasurePoint& p = m_points[i];
  const MeasurePoint* prev = i > 0 ? &m_points[i - 1] : nullptr;
  const MeasurePoint* next = i + 1 < Count() ? &m_points[i + 1] : nullptr;
  if (v != 0.0) {
    const MeasurePoint* n = p.speed > v ? prev : next;
    if (!n) return p.time;
    if (prev && p.speed >= v && v >= prev->speed && prev->time <= p.time)
      return Shifted(p.time, -(Elapsed(p.time, n->time) * Ratio(p.speed - v, p.speed - n->speed)));
    if (next && v >= p.speed && next->speed >= v && next->time >= p.time)
      return Shifted(p.time, Elapsed(n->time, p.time) * Ratio(v - p.speed, n->speed - p.speed));
    return p.time;
  }
  if (kind == 1 || kind == 2 || !(p.speed < 0.5) || i + 2 >= Count()) return p.time;
  const MeasurePoint& a = m_points[i + 1];
  const MeasurePoint& b = m_points[i + 2];
  if (!(b.speed > a.speed && a.speed > p.speed)) return p.time;
  return Shifted(a.time, -(Elapsed(b.time, a.time) * Ratio(a.speed, b.speed - a.speed)));
}

uint64_t TrackPath::SlowingTime(int32_t i, double v) const {
  if (v == 0.0) v = 1.5;
  const MeasurePoint& p = m_points[i];
  const MeasurePoint* prev = i > 0 ? &m_points[i - 1] : nullptr;
  const MeasurePoint* next = i + 1 < Count() ? &m_points[i + 1] : nullptr;
  if (next && p.speed >= v && v >= next->speed && next->time >= p.time)
    return Shifted(p.time, Elapsed(next->time, p.time) * Ratio(v - p.speed, next->speed - p.speed));
  if (prev && v >= p.speed && prev->speed >= v && prev->time <= p.time)
    return Shifted(p.time, -(Elapsed(p.time, prev->time) * Ratio(p.speed - v, p.speed - prev->speed)));
  return p.time;
}

void TrackPath::SpeedPosition(int32_t i, double v, double* lat, double* lon) const {
  const MeasurePoint& p = m_points[i];
  *lat = p.lat;
  *lon = p.lon;
  if (!p.logged || !(v >= 0.0)) return;
  const int32_t k = p.speed > v ? i - 1 : i + 1;
  if (k < 0 || k >= Count()) return;
  const MeasurePoint& n = m_points[k];
  const bool between = (p.speed >= v && v >= n.speed) || (n.speed >= v && v >= p.speed);
  const double f = Ratio(v - p.speed, n.speed - p.speed);
  if (!between || !std::isfinite(f)) return;
  *lat = p.lat + (n.lat - p.lat) * f;
  *lon = p.lon + (n.lon - p.lon) * f;
}

TrackTimes TrackPath::DistanceTimes(int32_t start, int32_t end, double d) const {
  TrackTimes out;
  if (start < 0 || end < 1 || start >= Count() || end >= Count()) return out;
  const double dPrev = PathDistance(start, end - 1);
  const double dEnd = PathDistance(start, end);
  if (!(dPrev <= d && d <= dEnd)) return out;
  const MeasurePoint& e = m_points[end];
  out.end = Shifted(e.time, -(Elapsed(e.time, m_points[end - 1].time) * Ratio(dEnd - d, dEnd - dPrev)));
  out.start = AcceleratingTime(start, 0, 0.0);
  return out;
}
