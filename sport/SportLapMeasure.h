// Measurements of laps and drag runs on the stored points of a session: the
// straight-line distance, distances along the track, and the moments at
// which a lap-point line is crossed, a speed is reached or a distance is
// covered. Positions are degrees, distances km, speeds km/h and times
// FILETIME values of the points' GPS logs.
//
// Every interpolation keeps its default (the point's own time or position)
// when its denominator is 0 or its result is not a finite time.
#pragma once

#include <cstdint>
#include <vector>

#include "lapgear/LapGear.h"
#include "sport/SportTime.h"

class CSportLapPoint;
class tgvWayPoint_C;
struct TrackPointEntry;

// The straight-line (chord) distance of the lap engine, in km: the two
// agree to the bit.
double CalcChordDistance(double lon1, double lat1, double lon2, double lat2);

// The sum of the chord distances of consecutive points from `from` to `to`
// (its last segment included), walking the line; the rest of the line when
// `to` does not follow `from`. 0.0 for a missing point or the same point.
double PathDistance(const tgvWayPoint_C* from, const tgvWayPoint_C* to);

// A stored point as the measurements read it.
struct MeasurePoint {
  double lat = 0.0, lon = 0.0;
  LapGear::Ecef ecef;  // of lat, lon: each point's chords reuse it
  double speed = 0.0;  // km/h; 0.0 without a GPS log
  uint64_t time = 0;   // FILETIME; 0 without a GPS log
  bool logged = false;
  tgvWayPoint_C* wp = nullptr;
};

// The points of a session in line order, indexed from 0; a missing neighbour
// (before the first, after the last) is simply absent.
class TrackPath {
 public:
  TrackPath(const TrackPointEntry* entries, int32_t count);

  int32_t Count() const { return static_cast<int32_t>(m_points.size()); }
  const MeasurePoint& At(int32_t i) const { return m_points[i]; }

  // PathDistance over the indices (0.0 for from == to; the rest of the
  // line when to lies before from).
  double PathDistance(int32_t from, int32_t to) const;
  // From a position just after point i: the chord to i's successor, then
  // the segments on to end, the last one shortened to the end position when
  // that is shorter.
  double PathDistanceFrom(double lat, double lon, int32_t i, int32_t end, double endLat, double endLon) const;
  // When the segment from i to its successor crosses the lap point's line
  // (shifted by the map offset: position minus the offset): the time at the
  // crossing, by chord distances. Otherwise point i's time.
  uint64_t CrossingTime(int32_t i, const CSportLapPoint& lapPoint, double diffLat, double diffLon) const;
  // The moment speed v is reached while accelerating near point i; v = 0.0
  // is the launch (kind other than 1 and 2, from a point below 0.5 km/h),
  // extrapolated from the two following points when their speeds rise.
  uint64_t AcceleratingTime(int32_t i, int kind, double v) const;
  // The moment speed v (0.0 taken as 1.5) is reached while slowing near i.
  uint64_t SlowingTime(int32_t i, double v) const;
  // The position where speed v is reached near point i.
  void SpeedPosition(int32_t i, double v, double* lat, double* lon) const;
  // The moment distance d is covered from start, interpolated on the segment
  // into end, and the launch moment of start; both 0 when end is the first
  // point or d lies outside that segment's distances.
  TrackTimes DistanceTimes(int32_t start, int32_t end, double d) const;

  // Whether the segment from i to i + 1 crosses the line from (lat1, lon1)
  // to (lat2, lon2); the crossing when it does.
  bool SegmentCrosses(int32_t i, double lat1, double lon1, double lat2, double lon2, double* lat, double* lon) const;

 private:
  std::vector<MeasurePoint> m_points;
  std::vector<double> m_along;  // chord distance from the first point
};
