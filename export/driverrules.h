// The rules every export driver shares: the time order of lines and POIs,
// the walk over a line's points, the GPS-log values of a point, style
// references and the KML position rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "icbase/src/icutil/times.h"

class PtrList_C;
class tgvLine_C;
class tgvPOI_C;
class tgvStyle_C;
class tgvWayPoint_C;

// A line with its start time, read once (tgvLine_C::GetTime, which may write
// the time back).
struct TimedLine_C {
  tgvLine_C* line = nullptr;
  std::optional<IntPair_C> start;
};

// A copy of the list in time order: timed lines first by start time, then
// the lines without a time; equal times keep the list's order. Null: empty.
std::vector<TimedLine_C> LinesInTimeOrder(const PtrList_C* lines);
// The same for POIs (ComparePOIsByTime).
std::vector<tgvPOI_C*> POIsInTimeOrder(const PtrList_C* pois);

// The points of a line from its first point along the chain, without level
// filter; with levelFilter only those whose level is not negative (points
// the simplification never picked are left out). The walk ends after as
// many steps as the database has points, so a cycle in a file ends it.
std::vector<tgvWayPoint_C*> LinePoints(const tgvLine_C* line, bool levelFilter);

// The GPS-log values of a point; all zero (and logged false) without a log
// record.
struct PointLog_C {
  bool logged = false;
  IntPair_C time;
  double speed = 0.0;  // km/h
};
PointLog_C ReadPointLog(const tgvWayPoint_C* point);
struct GSensor_C {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};
GSensor_C ReadGSensor(const tgvWayPoint_C* point);
// A POI's time; (0, 0) without one.
IntPair_C ReadPOITime(const tgvPOI_C* poi);
// Seconds since 1970 of a stored time.
int64_t UnixSeconds(IntPair_C time);

// "<name>_<id>" of a style, and the reference "#<name>_<id>" (empty
// without a style).
std::u16string StyleId(const tgvStyle_C* style);
std::u16string StyleRef(const tgvStyle_C* style);

// KML positions: an altitude at or below -3000 m, or NaN or infinite, is
// written as 0.
double KmlAltitude(double altitude);
bool ValidPosition(double longitude, double latitude);
