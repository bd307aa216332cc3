// The statistics of a stored track, computed from its point entries
// (TrackPoints.h) and stored by the sport track as fields, each under the key
// its table gives (CSportTrack::ComputeStatistics). Every value starts at 0;
// a ratio whose denominator is 0 is 0, never NaN or infinite.
#pragma once

#include <cstdint>

class PtrList_C;
class tgvLine_C;
struct TrackPointEntry;

struct TrackStatistics {
  double totalDistance = 0.0;            // km
  uint64_t startTime = 0;                // FILETIME
  uint64_t endTime = 0;                  // FILETIME
  int64_t totalTime = 0;                 // 100 ns
  double averageSpeed = 0.0;             // km/h
  double averageMovingSpeed = 0.0;       // km/h
  double maxSpeed = 0.0;                 // km/h
  double totalAscent = 0.0;              // m
  double totalDescent = 0.0;             // m
  int64_t totalMovingTime = 0;           // 100 ns
  int64_t totalStoppedTime = 0;          // 100 ns
  double ascentDist = 0.0;               // km
  double descentDist = 0.0;              // km
  double flatDist = 0.0;                 // km
  int64_t ascentTime = 0;                // 100 ns
  int64_t descentTime = 0;               // 100 ns
  int64_t flatTime = 0;                  // 100 ns
  double ascentSpeed = 0.0;              // km/h
  double descentSpeed = 0.0;             // km/h
  double flatSpeed = 0.0;                // km/h
  double avgAscentVerticalSpeed = 0.0;   // m/min
  double avgDescentVerticalSpeed = 0.0;  // m/min
  double maxAscentVerticalSpeed = 0.0;   // m/min
  double maxDescentVerticalSpeed = 0.0;  // m/min
  double overallGrade = 0.0;             // %
  double avgAscentGrade = 0.0;           // %
  double avgDescentGrade = 0.0;          // %
  double startElevation = 0.0;           // m
  double endElevation = 0.0;             // m
  double maxElevation = 0.0;             // m
  double minElevation = 0.0;             // m
  double maxAscentGrade = 0.0;           // %
  double maxDescentGrade = 0.0;          // %
};

// A stretch moving less than this (km/h) counts as stopped.
constexpr double kMovingSpeed = 1.0;
// A step between points longer than this (100 ns: 120 s) counts as stopped.
constexpr uint64_t kMaxMovingStep = 1200000000;
// A stretch steeper than this (%) climbs or descends; flatter is flat.
constexpr double kClimbGrade = 3.5;

// The statistics of the waypoints of the list, given the track's length (km)
// and its start and end times. A total time with the end before the start
// (unsigned) is one hour. False, and nothing written, for an empty list.
bool ComputeStatisticsOfPoints(const PtrList_C& points, double length, uint64_t start, uint64_t end,
                               TrackStatistics* out);

// The statistics of a line: its length, its start time ("t1"/"t2"; without
// them the first point's log time) and its end time (the last point's log
// time; 0 without one). False, and nothing written, for a null line or one
// without points.
bool ComputeTrackStatistics(tgvLine_C* line, TrackStatistics* out);
// The same from the line's point entries built already (BuildTrackPoints),
// so that a caller that holds them does not build them again.
bool ComputeTrackStatistics(tgvLine_C* line, const TrackPointEntry* entries, int32_t count, TrackStatistics* out);
