#include "lapgear/CircuitLapGear.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "lapgear/LapGearMath.h"

using namespace lapgear;

namespace {

// The error lines carry the engine's source file name and a fixed line number.
constexpr const char* kSourceFile = "CircuitLapGear.cpp";
constexpr int kLineAllocFail = 36;
constexpr int kLineWrongState = 168;
constexpr int kLineTooManySectors = 707;

// How far beyond its bounds a range check still accepts a crossing: about
// 3 mm of latitude (less of longitude away from the equator), far above the
// rounding of the intersection and far below a track's width.
constexpr double kRangeToleranceDegrees = 3e-8;
constexpr uint64_t kRangeToleranceFixed = static_cast<uint64_t>(kRangeToleranceDegrees * kFixedScale);

// Scales a coordinate by 1e12 and truncates it toward zero. A value that has
// no 64-bit fixed-point form (non-finite or out of range) is refused.
bool ToFixed(double value, int64_t* out) {
  const double scaled = value * kFixedScale;
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0)) return false;
  *out = static_cast<int64_t>(scaled);
  return true;
}

// Whether value lies between end1 and end2 (both included, and the tolerance
// beyond them) in fixed point; a pair whose ends are equal does not limit the
// value. Differences are taken unsigned: they cannot overflow.
bool WithinFixed(double end1, double end2, double value) {
  int64_t s1 = 0, s2 = 0, v = 0;
  if (!ToFixed(end1, &s1) || !ToFixed(end2, &s2) || !ToFixed(value, &v)) return false;
  if (s1 == s2) return true;
  const int64_t lo = std::min(s1, s2);
  const int64_t hi = std::max(s1, s2);
  if (v < lo) return static_cast<uint64_t>(lo) - static_cast<uint64_t>(v) <= kRangeToleranceFixed;
  if (v > hi) return static_cast<uint64_t>(v) - static_cast<uint64_t>(hi) <= kRangeToleranceFixed;
  return true;
}

// No crossing when both ends of the line lie beyond one end of the segment by
// more than the tolerance.
bool RangesApart(double a, double b, double e, double f) {
  const double lo = std::min(a, b) - kRangeToleranceDegrees;
  const double hi = std::max(a, b) + kRangeToleranceDegrees;
  return (e > hi && f > hi) || (lo > e && lo > f);
}

bool SameLine(const CircuitLapGear::BeaconLine& l, const CircuitLapGear::BeaconLine& m) {
  return l.first.lat == m.first.lat && l.first.lon == m.first.lon && l.second.lat == m.second.lat &&
         l.second.lon == m.second.lon;
}

// Whether p lies within twice the range tolerance of the line through the
// ends of line: as near as a crossing that the range checks accept at a
// segment's end lies to that end.
bool NearLine(const CircuitLapGear::BeaconLine& line, CircuitLapGear::GeoPoint p) {
  const double dLat = line.second.lat - line.first.lat;
  const double dLon = line.second.lon - line.first.lon;
  const double cross = dLat * (p.lon - line.first.lon) - dLon * (p.lat - line.first.lat);
  return std::fabs(cross) <= 2.0 * kRangeToleranceDegrees * std::hypot(dLat, dLon);
}

// Latitude of the segment a-b at longitude lon (a.lon != b.lon).
double SegmentLatAt(CircuitLapGear::GeoPoint a, CircuitLapGear::GeoPoint b, double lon) {
  return (a.lat - b.lat) * (lon - b.lon) / (a.lon - b.lon) + b.lat;
}

}  // namespace

CircuitLapGear::CircuitLapGear(const BeaconRec* beacons, int32_t count, void* context) : LapGear(context) {
  if (beacons == nullptr || count < 0) count = 0;
  try {
    int32_t splitCount = 0;
    for (int32_t i = 0; i < count; ++i)
      if (beacons[i].type == kBeaconSplit) ++splitCount;

    std::vector<Beacon> splits;
    splits.reserve(static_cast<size_t>(splitCount));
    BeaconRec start{};
    BeaconRec finish{};
    for (int32_t i = 0; i < count; ++i) {
      const BeaconRec& b = beacons[i];
      switch (b.type) {
        case kBeaconStartFinish:
          start = b;
          finish = b;
          break;
        case kBeaconStart:
          start = b;
          break;
        case kBeaconFinish:
          finish = b;
          break;
        case kBeaconSplit:
          splits.push_back(Beacon{b, getBeaconLine(b)});
          break;
        default:
          break;
      }
    }
    std::vector<SectorRec> sectors(static_cast<size_t>(count));
    std::vector<HeldLine> held;
    held.reserve(splits.size() + 2);

    m_splits = std::move(splits);
    m_startBeacon = Beacon{start, getBeaconLine(start)};
    m_finishBeacon = Beacon{finish, getBeaconLine(finish)};
    m_sectors = std::move(sectors);
    m_sectorCapacity = count;
    m_heldLines = std::move(held);
  } catch (const std::bad_alloc&) {
    // No beacons and no sector table: no lap is ever started.
    printError(kSourceFile, kLineAllocFail, "Allocate memory fail...");
  }
  m_state = kStateIdle;
}

CircuitLapGear::CircuitLapGear(AutoLine, void* context) : LapGear(context) {
  try {
    m_heldLines.reserve(1);
    m_sectors.assign(1, SectorRec{});
    m_sectorCapacity = 1;
    m_autoMode = true;
  } catch (const std::bad_alloc&) {
    printError(kSourceFile, kLineAllocFail, "Allocate memory fail...");
  }
  m_state = kStateIdle;
}

CircuitLapGear::~CircuitLapGear() {
  m_splits.clear();
  release();
}

void CircuitLapGear::feedLog(const LogRec* point) {
  if (!m_running || point == nullptr) return;
  const LogRec current = *point;
  stateTransfer(current);
  m_lastLog = current;
  if (!m_heldLines.empty()) releaseLines(GeoPoint{current.lat, current.lon});
}

void CircuitLapGear::stop() {
  m_running = false;
  if (m_state == kStateInLap && m_onAbort) m_onAbort(m_startedLaps, m_context);
}

void CircuitLapGear::stateTransfer(const LogRec& point) {
  switch (m_state) {
    case kStateIdle:
      onIdle(point);
      break;
    case kStateArmed:
      onArmed(point);
      break;
    case kStateInLap:
      onLapRunning(point);
      break;
    default:
      printError(kSourceFile, kLineWrongState, "stateTransfer: state is wrong...");
      break;
  }
}

void CircuitLapGear::onIdle(const LogRec& point) {
  if (point.speed > kMovingSpeed) m_state = kStateArmed;
}

void CircuitLapGear::onArmed(const LogRec& point) {
  if (m_autoMode) {
    if (point.speed > m_autoStartSpeed) {
      startLap(point, GeoPoint{point.lat, point.lon});
      return;
    }
  } else {
    GeoPoint crossing{};
    if (isCrossed(m_startBeacon, point, &crossing)) {
      startLap(point, crossing);
      return;
    }
  }
  if (m_startedLaps == 0 && point.speed < kMovingSpeed) m_state = kStateIdle;
}

void CircuitLapGear::onLapRunning(const LogRec& point) {
  m_lapDuration += point.time - m_lastLog.time;
  m_lapDistance += point.distance;
  updateLapStats(point);
  checkSplits(point);

  // The self-made line runs through the lap's first point: the segment that
  // leaves it touches the line and is not a finish.
  if (m_autoMode && m_lapStartId != std::numeric_limits<int64_t>::max() && point.id == m_lapStartId + 1) return;

  GeoPoint crossing{};
  if (!isCrossed(m_finishBeacon, point, &crossing)) return;

  const int32_t splitCount = static_cast<int32_t>(m_splits.size());
  if (m_completedLaps == 0) {
    // A finish before any split, or within the first seconds without
    // splits, is the car rolling back over the line: the lap is dropped.
    const bool falseStart = splitCount > 0 ? m_sectorCount == 0 : m_lapDuration < kShortestFirstLap;
    if (falseStart) {
      m_startedLaps = 0;
      m_state = kStateArmed;
      return;
    }
  }

  if (m_sectorCount > splitCount) {
    printError(kSourceFile, kLineTooManySectors, "sectors count > split-type beacon count... Wait ! What !?");
  } else {
    for (int32_t k = m_sectorCount; k < splitCount; ++k) addBlankSector();
  }
  closeSector(point, crossing);
  closeLap(point, crossing);

  if (!m_autoMode && m_finishBeacon.rec.type == kBeaconFinish)
    m_state = kStateArmed;  // the next lap waits for the start line
  else
    startLap(point, crossing);
}

bool CircuitLapGear::isCrossed(const Beacon& beacon, const LogRec& point, GeoPoint* crossing) {
  if (!getIntersection(GeoPoint{m_lastLog.lat, m_lastLog.lon}, GeoPoint{point.lat, point.lon}, beacon.line.first,
                       beacon.line.second, crossing))
    return false;
  return isSameDirection(m_lastLog, point, beacon.rec.heading) && holdLine(beacon.line);
}

bool CircuitLapGear::holdLine(const BeaconLine& line) {
  const auto heldBefore = [&](const HeldLine& h) { return !h.thisSegment && SameLine(h.line, line); };
  if (std::any_of(m_heldLines.begin(), m_heldLines.end(), heldBefore)) return false;
  if (m_heldLines.size() < m_heldLines.capacity()) m_heldLines.push_back(HeldLine{line, true});
  return true;
}

void CircuitLapGear::releaseLines(GeoPoint point) {
  std::erase_if(m_heldLines, [&](const HeldLine& h) { return !NearLine(h.line, point); });
  for (HeldLine& h : m_heldLines) h.thisSegment = false;
}

void CircuitLapGear::startLap(const LogRec& point, GeoPoint crossing) {
  resetLapStats();
  // Points of a dropped lap must not reach the first sector of this one.
  resetSectorStats();
  updateLapStats(point);
  m_lapStartId = point.id;
  m_lapStartLat = crossing.lat;
  m_lapStartLon = crossing.lon;
  const ToPoint rest = fromCrossing(m_lastLog, point, crossing);
  m_lapDistance = rest.km;
  m_lapDuration = rest.seconds;

  if (m_autoMode && !m_autoLineMade) {
    BeaconRec line{};
    line.type = kBeaconStartFinish;
    std::memcpy(line.name, "SF", 3);
    line.lat = m_lapStartLat;
    line.lon = m_lapStartLon;
    line.heading = point.heading;
    line.width = m_autoLineWidth;
    line.color = 0;
    m_finishBeacon = Beacon{line, getBeaconLine(line)};
    if (m_onBeacon) m_onBeacon(line, m_context);
    m_autoLineMade = true;
  }

  ++m_startedLaps;
  std::fill(m_sectors.begin(), m_sectors.end(), SectorRec{});
  m_sectorCount = 0;
  m_state = kStateInLap;
}

namespace {

double AverageSpeed(double distance, double duration) {
  const double hours = duration / kSecondsPerHour;
  return hours != 0.0 ? distance / hours : 0.0;
}

double AverageOf(double sum, int64_t count) { return count != 0 ? sum / static_cast<double>(count) : 0.0; }

}  // namespace

void CircuitLapGear::closeSector(const LogRec& point, GeoPoint crossing) {
  SectorRec s{};
  s.id = m_sectorCount + 1;
  s.lap_id = m_startedLaps;
  s.bFailed = 0;
  if (m_sectorCount == 0) {
    s.start_wp = m_lapStartId;
    s.start_inter_lat = m_lapStartLat;
    s.start_inter_lon = m_lapStartLon;
  } else {
    const SectorRec& last = m_sectors[static_cast<size_t>(m_sectorCount - 1)];
    s.start_wp = last.finish_wp;
    s.start_inter_lat = last.finish_inter_lat;
    s.start_inter_lon = last.finish_inter_lon;
  }
  s.finish_wp = point.id;
  s.finish_inter_lat = crossing.lat;
  s.finish_inter_lon = crossing.lon;

  double storedDuration = 0.0;
  double storedDistance = 0.0;
  for (int32_t i = 0; i < m_sectorCount; ++i) {
    storedDuration += m_sectors[static_cast<size_t>(i)].duration;
    storedDistance += m_sectors[static_cast<size_t>(i)].distance;
  }
  const ToPoint rest = fromCrossing(m_lastLog, point, crossing);
  s.distance = m_lapDistance - rest.km - storedDistance;
  s.duration = m_lapDuration - rest.seconds - storedDuration;

  s.MaxSpd = m_sectorStats.maxSpeed;
  s.MinSpd = m_sectorStats.minSpeed;
  s.MaxG = m_sectorStats.maxG;
  s.MinG = m_sectorStats.minG;
  s.AvgSpd = AverageSpeed(s.distance, s.duration);
  s.AvgG = AverageOf(m_sectorStats.gSum, m_sectorStats.count);

  if (m_sectorCount < m_sectorCapacity) m_sectors[static_cast<size_t>(m_sectorCount++)] = s;
  resetSectorStats();
  if (m_onSector) m_onSector(s, m_context);
}

void CircuitLapGear::addBlankSector() {
  SectorRec s{};
  s.id = m_sectorCount + 1;
  s.lap_id = m_startedLaps;
  if (m_sectorCount < m_sectorCapacity) m_sectors[static_cast<size_t>(m_sectorCount++)] = s;
  if (m_onSector) m_onSector(s, m_context);
}

void CircuitLapGear::checkSplits(const LogRec& point) {
  updateSectorStats(point);
  const int32_t splitCount = static_cast<int32_t>(m_splits.size());
  for (int32_t j = 0; j < splitCount; ++j) {
    GeoPoint crossing{};
    if (!isCrossed(m_splits[static_cast<size_t>(j)], point, &crossing)) continue;
    if (m_sectorCount > j) return;  // passed already in this lap
    for (int32_t k = m_sectorCount; k < j; ++k) addBlankSector();
    closeSector(point, crossing);
    return;
  }
}

void CircuitLapGear::closeLap(const LogRec& point, GeoPoint crossing) {
  ++m_completedLaps;
  const ToPoint rest = fromCrossing(m_lastLog, point, crossing);
  m_lapDistance -= rest.km;
  m_lapDuration -= rest.seconds;
  if (!m_onLap) return;

  LapRec lap{};
  lap.id = m_completedLaps;
  lap.bFailed = 0;
  lap.start_wp = m_lapStartId;
  lap.start_inter_lat = m_lapStartLat;
  lap.start_inter_lon = m_lapStartLon;
  lap.finish_wp = point.id;
  lap.finish_inter_lat = crossing.lat;
  lap.finish_inter_lon = crossing.lon;
  lap.duration = m_lapDuration;
  lap.distance = m_lapDistance;
  lap.MaxSpd = m_lapStats.maxSpeed;
  lap.MinSpd = m_lapStats.minSpeed;
  lap.AvgSpd = AverageSpeed(m_lapDistance, m_lapDuration);
  lap.MaxG = m_lapStats.maxG;
  lap.MinG = m_lapStats.minG;
  lap.AvgG = AverageOf(m_lapStats.gSum, m_lapStats.count);
  m_onLap(lap, m_context);
}

CircuitLapGear::BeaconLine CircuitLapGear::getBeaconLine(const BeaconRec& beacon) {
  const double lat1 = beacon.lat * kPi / 180.0;
  const double lon1 = beacon.lon * kPi / 180.0;
  const double delta = (static_cast<double>(beacon.width) / 2.0 / kMetresPerKm) / kEarthRadiusKm;
  const auto end = [&](double thetaDegrees) {
    const double theta = thetaDegrees * kPi / 180.0;
    const double lat2 =
        std::asin(std::sin(lat1) * std::cos(delta) + std::cos(lat1) * std::sin(delta) * std::cos(theta));
    const double lon2 = lon1 + std::atan2(std::sin(theta) * std::sin(delta) * std::cos(lat1),
                                          std::cos(delta) - std::sin(lat1) * std::sin(lat2));
    return GeoPoint{lat2 * 180.0 / kPi, lon2 * 180.0 / kPi};
  };
  const GeoPoint first = end(beacon.heading + 90.0);
  const GeoPoint second = end(beacon.heading - 90.0);
  return BeaconLine{first, second};
}

bool CircuitLapGear::getIntersection(GeoPoint a, GeoPoint b, GeoPoint e, GeoPoint f, GeoPoint* crossing) {
  GeoPoint c{0.0, 0.0};
  if (crossing) *crossing = c;

  if (RangesApart(a.lon, b.lon, e.lon, f.lon)) return false;
  if (RangesApart(a.lat, b.lat, e.lat, f.lat)) return false;

  const double dLat1 = b.lat - a.lat;
  const double dLon1 = b.lon - a.lon;
  const double dLat2 = f.lat - e.lat;
  const double dLon2 = f.lon - e.lon;
  const double den = dLat1 * dLon2 - dLat2 * dLon1;
  if (den == 0.0) return false;

  if (dLon2 == 0.0) {
    // A line along a meridian.
    if (dLon1 == 0.0) return false;
    c.lon = e.lon;
    c.lat = SegmentLatAt(a, b, e.lon);
  } else {
    c.lon = (e.lat * dLon2 * dLon1 - a.lat * dLon2 * dLon1 + a.lon * dLat1 * dLon2 - e.lon * dLat2 * dLon1) / den;
    // The latitude follows from the longitude along the less steep of the two:
    // the slope of a steep line (one facing nearly east or west) would turn the
    // rounding of the longitude into more latitude than a short segment spans.
    const bool steepLine = std::fabs(dLon2) < std::fabs(dLat2);
    if (steepLine && std::fabs(dLat1 * dLon2) <= std::fabs(dLat2 * dLon1))
      c.lat = SegmentLatAt(a, b, c.lon);
    else
      c.lat = (c.lon - e.lon) * dLat2 / dLon2 + e.lat;
  }

  // Range checks in fixed point, bounds included.
  if (!WithinFixed(a.lon, b.lon, c.lon)) return false;
  if (!WithinFixed(a.lat, b.lat, c.lat)) return false;
  if (!WithinFixed(e.lon, f.lon, c.lon)) return false;
  if (!WithinFixed(e.lat, f.lat, c.lat)) return false;

  if (crossing) *crossing = c;
  return true;
}

CircuitLapGear::ToPoint CircuitLapGear::fromCrossing(const LogRec& prev, const LogRec& point, GeoPoint crossing) {
  double km = calcDistance(point.lat, point.lon, crossing.lat, crossing.lon);
  // Past point when the crossing lies ahead of it in the direction of travel.
  const double ahead =
      (crossing.lat - point.lat) * (point.lat - prev.lat) + (crossing.lon - point.lon) * (point.lon - prev.lon);
  if (ahead > 0.0) km = -km;
  return ToPoint{km, timeByDistance(km, prev, point)};
}

int32_t CircuitLapGear::travelBearing(const LogRec& prev, const LogRec& cur) {
  if (prev.lat == cur.lat && prev.lon == cur.lon) return 0;
  const double lat1 = prev.lat * kPi / 180.0;
  const double lat2 = cur.lat * kPi / 180.0;
  const double dlon = (cur.lon - prev.lon) * kPi / 180.0;
  const double b = std::atan2(std::sin(dlon) * std::cos(lat2),
                              std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dlon));
  if (b == 0.0 || !std::isfinite(b)) return 0;
  return (static_cast<int32_t>(b * 180.0 / kPi) + 360) % 360;
}

bool CircuitLapGear::isSameDirection(const LogRec& prev, const LogRec& cur, double heading) {
  const int32_t bearing = travelBearing(prev, cur);
  return std::cos((bearing - heading) * kDegreeFactor) > 0.0;
}
