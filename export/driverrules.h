// The rules every export driver shares: the time order of lines and POIs,
// the walk over a line's points, the GPS-log values of a point, style
// references and the KML position rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "icbase/src/icutil/times.h"

class PtrList_C;
class tgvLine_C;
class tgvPOI_C;
class tgvStyle_C;
class tgvVP_C;
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

// The first attachment (VP) of each point of a line, as
// tgvWayPoint_C::GetFirstVP gives it, from one walk of the line's
// attachments instead of one walk per point. A point of another line (a
// damaged chain) is asked itself.
class FirstAttachments_C {
 public:
  explicit FirstAttachments_C(const tgvLine_C* line);
  const tgvVP_C* Of(const tgvWayPoint_C* point) const;

 private:
  uint32_t m_lineId = 0;
  std::unordered_map<uint32_t, const tgvVP_C*> m_byPoint;  // by point id
};

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
