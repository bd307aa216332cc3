// The point entries of a stored track: per point of the line, the distance
// along the track, the time since the first point, the logged speed, the
// altitude smoothed over grade stretches, the grade, and the climb and descent
// so far. The sport model and the upload pipeline work on these entries.
//
// Distances are great-circle distances of the track library (km); the lap
// engine's straight-line distance is for the upload rows only.
#pragma once

#include <cstdint>
#include <memory>

class CSportLapPoint;
class PtrList_C;
class tgvLine_C;
class tgvWayPoint_C;

struct TrackPointEntry {
  tgvWayPoint_C* point = nullptr;             // not owned
  double distance = 0.0;                      // km from the first point, along the track
  double speed = 0.0;                         // km/h, of the point's GPS-log record
  bool stretchEnd = false;                    // a grade stretch ends here (never the first point)
  double altitude = 0.0;                      // m, negative values as 0.0
  double smoothedAltitude = 0.0;              // m, mean altitude of the point's grade stretch
  double grade = 0.0;                         // %, of that stretch
  double ascent = 0.0;                        // m, climb of the smoothed altitude so far
  double descent = 0.0;                       // m, descent so far, positive
  int64_t time = 0;                           // 100 ns since the first point's log time
  CSportLapPoint* crossedLapPoint = nullptr;  // set by the lap analysis
  bool dragStart = false;                     // set for points that start a drag run
};

// Grade stretches close when the straight distance from their first point
// exceeds this (km), so on a circuit they end by distance from their start.
constexpr double kGradeStretchKm = 0.2;
// A stretch grade beyond this (%, either sign) is taken as 0.0.
constexpr double kGradeLimit = 20.0;

// The entries of the waypoints of the list, in list order. A point without a
// GPS-log record has time and speed 0; the first point's log time (0 without
// one) is the origin of the times. A stretch that covers no distance has grade
// 0.0. Null with count 0 for an empty list.
std::unique_ptr<TrackPointEntry[]> BuildTrackPointEntries(const PtrList_C& points, int32_t* count);
// The entries of every point of the line (no level filter, any map). Null
// with count 0 for a null line or one without points.
std::unique_ptr<TrackPointEntry[]> BuildTrackPoints(tgvLine_C* line, int32_t* count);
