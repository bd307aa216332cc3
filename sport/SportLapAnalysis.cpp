#include "sport/SportLapAnalysis.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>

#include "icbase/src/icutil/geometry.h"
#include "platform/win32/wstr.h"
#include "sport/SportLapMeasure.h"
#include "sport/SportLapPoint.h"
#include "sport/SportLapValue.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvGeometry.h"

const double kStandardDragSplitsKm[5] = {0.018288005657870036, 0.1005840311182852, 0.2011680622365704,
                                         0.30480009429783395, 0.4023361244731408};
const char16_t* const kStandardDragSplitLabels[5] = {u"60'", u"330'", u"1/8 mile", u"1000'", u"1/4 mile"};

namespace {

bool ByAddress(const std::pair<const tgvWayPoint_C*, int32_t>& a, const std::pair<const tgvWayPoint_C*, int32_t>& b) {
  return std::less<const tgvWayPoint_C*>()(a.first, b.first);
}

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kLaunchSpeed = 20.0;  // km/h: a run or a lap stretch starts above it
constexpr double kStandstill = 0.5;    // km/h
constexpr double kDragMoving = 0.8;    // km/h
constexpr double kShortestLap = 0.02;  // km
constexpr double kSlowingEnd = 1.5;    // km/h
constexpr double kMilesPerKm = 0.621371;

bool IsDragDevice(const CSportTrack& t) { return t.m_nDeviceModel == 1 || t.m_nDeviceModel == 2; }

double Wrap360(double deg) { return deg > 360.0 ? deg - 360.0 : deg < 0.0 ? deg + 360.0 : deg; }

CString Label(const char16_t* format, int k) {
  CString text;
  text.Format(format, k);
  return text;
}

// The number before the first ',' of the drag-start text.
int32_t FirstDragStart(const CString& text) {
  const int comma = text.Find(u',');
  return WStrToInt(comma < 0 ? text : text.Left(comma));
}

// A lap's splits, appended one after another: each runs from where the last
// one ended (the lap's start for the first).
class SplitChain {
 public:
  SplitChain(const TrackPath& path, CSportLapValue& lap, int32_t start) : m_path(path), m_lap(lap), m_from(start) {}

  // The next split, up to point k, for the target `at` (a speed or a distance).
  void Cut(int32_t k, double at, const CString& name) {
    const auto& from = m_path.At(m_from);
    const auto& to = m_path.At(k);
    m_last = new CSportSplitValue(&m_lap, m_last, from.wp, to.wp, static_cast<int64_t>(from.time),
                                  static_cast<int64_t>(to.time), name);
    m_last->m_dTarget = at;
    m_lap.m_lstSplits.AddTail(m_last);
    m_from = k;
  }

 private:
  const TrackPath& m_path;
  CSportLapValue& m_lap;
  int32_t m_from;
  CSportSplitValue* m_last = nullptr;
};

}  // namespace

CSportLapAnalysis::CSportLapAnalysis(CSportTrack* track) : m_pTrack(track) {}
CSportLapAnalysis::~CSportLapAnalysis() = default;

CSportLapAnalysis::DragSettings CSportLapAnalysis::ReadDragSettings() const {
  DragSettings s;
  const CSportTrack& t = *m_pTrack;
  if (t.m_nDeviceModel == 2 || t.m_nDeviceModel == 3) {
    int32_t kind = 0;
    t.GetDragSettingsByType(kind, s.start, s.end);
    s.isDistance = kind == 1;
  } else {
    t.GetDragSettings(s.isDistance, s.start, s.end);
  }
  return s;
}

bool CSportLapAnalysis::NeedsRun(const DragSettings& drag) const {
  const CSportTrack& t = *m_pTrack;
  if (m_nState != 3 || m_bDirty || t.m_nRacingType != m_nAnalysedRacingType) return true;
  if (t.m_dTrackMapDiffLat != 0.0 && t.m_dTrackMapDiffLon != 0.0) return true;
  return t.m_nRacingType == CSportTrack::kDragRacing && (m_nDragIsDistance != static_cast<int32_t>(drag.isDistance) ||
                                                         m_dDragStart != drag.start || m_dDragEnd != drag.end);
}

int32_t CSportLapAnalysis::Analyze() {
  CSportProjMgr* mgr = CSportProjMgr::GetInstance();
  std::lock_guard<std::recursive_mutex> guard(mgr->AnalysisLock());
  const bool drag = m_pTrack->m_nRacingType == CSportTrack::kDragRacing;
  const DragSettings settings = drag ? ReadDragSettings() : DragSettings{};
  if (!NeedsRun(settings)) return static_cast<int32_t>(m_laps.size());
  m_laps.clear();
  m_nLapCount = 0;
  int32_t count = 0;
  TrackPointEntry* entries = m_pTrack->GetTrackPoints(count);
  if (!entries || count <= 0) return 0;
  m_path = std::make_unique<TrackPath>(entries, count);
  const TrackPath& path = *m_path;
  m_index.clear();
  m_index.reserve(count);
  for (int32_t i = 0; i < count; ++i) m_index.emplace_back(path.At(i).wp, i);
  if (!std::is_sorted(m_index.begin(), m_index.end(), ByAddress))
    std::stable_sort(m_index.begin(), m_index.end(), ByAddress);
  m_pFirstPoint = path.At(0).wp;
  m_pLastPoint = path.At(count - 1).wp;
  m_nState = 3;
  if (drag) {
    m_nDragIsDistance = settings.isDistance;
    m_dDragStart = settings.start;
    m_dDragEnd = settings.end;
    CollectLapPoints(path);
    if (IsDragDevice(*m_pTrack) && !m_pTrack->m_strDragStartWp.IsEmpty())
      AnalyzeDragByMarks(path, settings);
    else
      AnalyzeDragBySpeed(path, settings);
  } else {
    AnalyzeCircuit(path);
  }
  NumberLaps();
  m_pTrack->ApplyIgnoredLaps();
  m_pTrack->UpdateLapSummary();
  m_bDirty = false;
  m_nAnalysedRacingType = m_pTrack->m_nRacingType;
  return static_cast<int32_t>(m_laps.size());
}

void CSportLapAnalysis::CollectLapPoints(const TrackPath& path) {
  m_lapPoints.clear();
  if (path.Count() == 0) return;
  GeoBox_C box;
  box.SetLimits(path.At(0).lon, path.At(0).lat, path.At(0).lon, path.At(0).lat);
  for (int32_t i = 1; i < path.Count(); ++i) box.ExtendToPoint(path.At(i).lon, path.At(i).lat);
  for (CSportLapPoint* lp : CSportProjMgr::GetInstance()->GetLapPoints()) {
    const double midLat = (lp->m_dLat1 + lp->m_dLat2) / 2.0, midLon = (lp->m_dLon1 + lp->m_dLon2) / 2.0;
    if (box.ContainsPoint(lp->m_dLon1, lp->m_dLat1, false) || box.ContainsPoint(lp->m_dLon2, lp->m_dLat2, false) ||
        box.ContainsPoint(midLon, midLat, false))
      m_lapPoints.push_back(lp);
  }
}

int32_t CSportLapAnalysis::IndexOf(const tgvWayPoint_C* point) const {
  if (!point) return -1;
  const auto it = std::lower_bound(m_index.begin(), m_index.end(), std::make_pair(point, 0), ByAddress);
  return it == m_index.end() || it->first != point ? -1 : it->second;
}

void CSportLapAnalysis::AnalyzeCircuit(const TrackPath& path) {
  const CSportTrack& t = *m_pTrack;
  const int32_t n = path.Count();
  int32_t first = 0, last = n - 1;
  if (IsDragDevice(t)) {
    const int32_t k = FirstDragStart(t.m_strDragStartWp);
    if (k >= 2 && k < n) first = k - 2;
  } else {
    int32_t fast = 0;
    while (fast < n && !(path.At(fast).speed > kLaunchSpeed)) ++fast;
    for (int32_t i = 0; i < fast && fast < n; ++i)
      if (path.At(i).speed <= kStandstill) first = i;
    int32_t lastFast = n - 1;
    while (lastFast >= 0 && !(path.At(lastFast).speed > kLaunchSpeed)) --lastFast;
    if (lastFast >= 0)
      for (int32_t i = lastFast + 1; i < n; ++i)
        if (path.At(i).speed <= kStandstill) {
          last = i;
          break;
        }
  }
  m_pFirstPoint = path.At(first).wp;
  m_pLastPoint = path.At(last).wp;

  int32_t count = 0;
  TrackPointEntry* entries = m_pTrack->GetTrackPoints(count);
  for (int32_t i = 0; i < count; ++i) entries[i].crossedLapPoint = nullptr;
  CollectLapPoints(path);

  const double dLat = t.m_dTrackMapDiffLat, dLon = t.m_dTrackMapDiffLon;
  for (CSportLapPoint* lp : m_lapPoints) {
    const double lat1 = lp->m_dLat1 - dLat, lon1 = lp->m_dLon1 - dLon;
    const double lat2 = lp->m_dLat2 - dLat, lon2 = lp->m_dLon2 - dLon;
    const double lineBearing = InitialBearingDeg(lon1, lat1, lon2, lat2);
    int32_t sides[2] = {0, 0};  // positive, negative
    double lastTravel[2] = {0.0, 0.0};
    for (int32_t k = first; k < last; ++k) {
      double cLat = 0.0, cLon = 0.0;
      if (!path.SegmentCrosses(k, lat1, lon1, lat2, lon2, &cLat, &cLon)) continue;
      lp->m_dCrossing[0] = cLat;
      lp->m_dCrossing[1] = cLon;
      lp->m_bCrossed = true;
      const MeasurePoint& a = path.At(k);
      const MeasurePoint& b = path.At(k + 1);
      const double travel = InitialBearingDeg(a.lon, a.lat, b.lon, b.lat);
      const int side = std::sin((travel - lineBearing) * kRadiansPerDegree) >= 0.0 ? 0 : 1;
      ++sides[side];
      lastTravel[side] = travel;
      if (lp->m_nLapType != CSportLapPoint::kSector) entries[k].crossedLapPoint = lp;
    }
    if (lp->m_dHeading <= 0.0 && sides[0] + sides[1] > 0) {
      const double travel = lastTravel[sides[0] >= sides[1] ? 0 : 1];
      const double right = Wrap360(lineBearing + 90.0), left = Wrap360(lineBearing - 90.0);
      lp->SetHeading(std::cos((travel - right) * kRadiansPerDegree) >= 0.0 ? right : left);
    }
  }

  bool open = false;
  int32_t start = 0;
  CSportLapPoint* startLp = nullptr;
  for (int32_t k = first; k <= last; ++k) {
    CSportLapPoint* lp = entries[k].crossedLapPoint;
    if (!lp) continue;
    const int32_t type = lp->m_nLapType;
    if (!open) {
      if (type == CSportLapPoint::kStart || type == CSportLapPoint::kStartFinish) {
        open = true;
        start = k;
        startLp = lp;
      }
      continue;
    }
    if (type != CSportLapPoint::kFinish && type != CSportLapPoint::kStartFinish) continue;
    auto lap = std::make_unique<CSportLapValue>(this, path.At(start).wp, path.At(k).wp, startLp, lp);
    const double length = entries[k].distance - entries[start].distance;
    lap->m_dDragDistance = length;
    if (length < kShortestLap) continue;
    BuildSplits(path, *lap, start, k);
    m_laps.push_back(std::move(lap));
    open = type == CSportLapPoint::kStartFinish;
    start = k;
    startLp = lp;
  }
}

void CSportLapAnalysis::RecordRun(const TrackPath& path, int32_t start, int32_t end, const DragSettings& drag) {
  bool hasLine = false, crossed = false;
  for (const CSportLapPoint* lp : m_lapPoints) {
    if (lp->m_nLapType != CSportLapPoint::kDrag) continue;
    hasLine = true;
    for (int32_t k = start; k < end && !crossed; ++k)
      crossed = path.SegmentCrosses(k, lp->m_dLat1, lp->m_dLon1, lp->m_dLat2, lp->m_dLon2, nullptr, nullptr);
  }
  if (hasLine && !crossed) return;
  auto run = drag.isDistance
                 ? std::make_unique<CSportLapValue>(this, path.At(start).wp, path.At(end).wp, drag.end)
                 : std::make_unique<CSportLapValue>(this, path.At(start).wp, path.At(end).wp, drag.start, drag.end);
  BuildSplits(path, *run, start, end);
  m_laps.push_back(std::move(run));
}

void CSportLapAnalysis::AnalyzeDragBySpeed(const TrackPath& path, const DragSettings& drag) {
  const double threshold = drag.isDistance ? kDragMoving : std::max(kDragMoving, drag.start);
  int32_t stationary = -1;  // the last stationary point not yet used by a run
  int32_t start = -1;       // the open run
  for (int32_t k = 0; k < path.Count(); ++k) {
    const double speed = path.At(k).speed;
    if (!(speed > threshold)) {
      stationary = k;
      start = -1;
      continue;
    }
    if (start < 0) {
      if (stationary >= 0 && speed > kLaunchSpeed) start = stationary;
      continue;
    }
    const bool ends = drag.isDistance
                          ? path.PathDistance(start, k) >= drag.end && path.PathDistance(start, k - 1) < drag.end
                          : speed >= drag.end;
    if (!ends) continue;
    RecordRun(path, start, k, drag);
    // One launch gives one run: the next opens only after a new stop.
    start = -1;
    stationary = -1;
  }
}

void CSportLapAnalysis::AnalyzeDragByMarks(const TrackPath& path, const DragSettings& drag) {
  int32_t count = 0;
  const TrackPointEntry* entries = m_pTrack->GetTrackPoints(count);
  const bool falling = m_pTrack->m_nDeviceModel == 2 && !drag.isDistance && drag.end < drag.start;
  const double fallTo = drag.end <= 0.0 ? kSlowingEnd : drag.end;
  int32_t start = -1;
  bool armed = false;
  for (int32_t k = 0; k < path.Count() && k < count; ++k) {
    const double speed = path.At(k).speed;
    if (start < 0) {
      if (drag.isDistance || drag.start <= 0.0) {
        if (entries[k].dragStart) start = k;
      } else {
        if (entries[k].dragStart) armed = true;
        // A falling run opens where the speed comes down through the start
        // speed, as a rising one opens where it has come up to it: a mark
        // while standing waits for the stop that follows the next launch.
        const bool reached =
            falling ? k > 0 && path.At(k - 1).speed > drag.start && speed <= drag.start : speed >= drag.start;
        if (armed && reached) {
          start = k;
          armed = false;
        }
      }
      continue;
    }
    bool ends;
    if (drag.isDistance)
      ends = path.PathDistance(start, k) >= drag.end && path.PathDistance(start, k - 1) < drag.end;
    else if (falling)
      ends = speed <= fallTo;
    else
      ends = drag.end >= drag.start && speed >= drag.end;
    if (!ends) continue;
    RecordRun(path, start, k, drag);
    start = -1;
  }
}

void CSportLapAnalysis::NumberLaps() {
  int32_t number = 0;
  CSportLapValue* fastest = nullptr;
  int64_t best = 0;
  for (auto& lap : m_laps) {
    lap->m_nLapNo = ++number;
    lap->m_bFastest = false;
    if (lap->m_bIgnored || lap->m_nLapNo - lap->m_nIgnoredBefore <= 0) continue;
    const int64_t duration = TimeSpan(GetLapTimes(*lap));
    if (!fastest || duration < best) fastest = lap.get(), best = duration;
    m_nLapCount = lap->m_nLapNo - lap->m_nIgnoredBefore;
  }
  if (fastest) fastest->m_bFastest = true;
}

TrackTimes CSportLapAnalysis::GetLapTimes(const CSportLapValue& lap) const {
  TrackTimes out;
  const int32_t s = IndexOf(lap.m_pStartPoint), e = IndexOf(lap.m_pEndPoint);
  if (s < 0 || e < 0) return out;
  const TrackPath& path = *m_path;
  const CSportTrack& t = *m_pTrack;
  const bool toDistance = lap.m_dDragDistance >= 0.0001;
  if (IsDragDevice(t) && t.m_nRacingType == CSportTrack::kDragRacing) {
    if (toDistance) return path.DistanceTimes(s, e, lap.m_dDragDistance);
    if (lap.m_dStartSpeed > lap.m_dEndSpeed) {
      out.start = path.SlowingTime(s, lap.m_dStartSpeed);
      out.end = path.SlowingTime(e, std::max(kSlowingEnd, lap.m_dEndSpeed));
    } else {
      out.start = path.AcceleratingTime(s, 1, lap.m_dStartSpeed);
      out.end = path.AcceleratingTime(e, 1, lap.m_dEndSpeed);
    }
    return out;
  }
  if (!lap.m_bDrag) {
    if (lap.m_pStartLapPoint && lap.m_pEndLapPoint) {
      out.start = path.CrossingTime(s, *lap.m_pStartLapPoint, t.m_dTrackMapDiffLat, t.m_dTrackMapDiffLon);
      out.end = path.CrossingTime(e, *lap.m_pEndLapPoint, t.m_dTrackMapDiffLat, t.m_dTrackMapDiffLon);
    } else {
      out.start = path.At(s).time;
      out.end = path.At(e).time;
    }
    return out;
  }
  if (toDistance) return path.DistanceTimes(s, e, lap.m_dDragDistance);
  out.start = path.AcceleratingTime(s, 0, lap.m_dStartSpeed);
  out.end = path.AcceleratingTime(e, 0, lap.m_dEndSpeed);
  return out;
}

double CSportLapAnalysis::GetLapDistance(CSportLapValue& lap) const {
  if (lap.m_dDragDistance < 0.0) {
    // A circuit lap: its length along the line, stored once.
    const int32_t s = IndexOf(lap.m_pStartPoint), e = IndexOf(lap.m_pEndPoint);
    int32_t count = 0;
    const TrackPointEntry* entries = m_pTrack->GetTrackPoints(count);
    lap.m_dDragDistance =
        s >= 0 && e >= 0 && entries && s < count && e < count ? entries[e].distance - entries[s].distance : 0.0;
  }
  if (lap.m_dDragDistance != 0.0) return lap.m_dDragDistance;
  const int32_t s = IndexOf(lap.m_pStartPoint), e = IndexOf(lap.m_pEndPoint);
  if (s < 0 || e < 0) return 0.0;
  double v1 = lap.m_dStartSpeed, v2 = lap.m_dEndSpeed;
  if (v1 > v2) v1 = std::max(v1, kSlowingEnd), v2 = std::max(v2, kSlowingEnd);
  double lat1, lon1, lat2, lon2;
  m_path->SpeedPosition(s, v1, &lat1, &lon1);
  m_path->SpeedPosition(e, v2, &lat2, &lon2);
  return m_path->PathDistanceFrom(lat1, lon1, s, e, lat2, lon2);
}

double CSportLapAnalysis::GetDragFigure(const CSportLapValue& lap) const {
  // A time band compares how far a run got: its distance.
  return lap.m_dDragDistance > 0.0
             ? lap.m_dDragDistance
             : const_cast<CSportLapAnalysis*>(this)->GetLapDistance(const_cast<CSportLapValue&>(lap));
}

void CSportLapAnalysis::BuildSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end) {
  while (!lap.m_lstSplits.IsEmpty()) delete lap.m_lstSplits.RemoveHead();
  if (!lap.m_bDrag) {
    const CSportTrack& t = *m_pTrack;
    CSportSplitValue* prev = nullptr;
    for (int32_t k = start; k < end; ++k) {
      for (CSportLapPoint* lp : m_lapPoints) {
        if (lp->m_nLapType != CSportLapPoint::kSector) continue;
        double cLat, cLon;
        if (!path.SegmentCrosses(k, lp->m_dLat1 - t.m_dTrackMapDiffLat, lp->m_dLon1 - t.m_dTrackMapDiffLon,
                                 lp->m_dLat2 - t.m_dTrackMapDiffLat, lp->m_dLon2 - t.m_dTrackMapDiffLon, &cLat, &cLon))
          continue;
        lp->m_dCrossing[0] = cLat;
        lp->m_dCrossing[1] = cLon;
        lp->m_bCrossed = true;
        prev = new CSportSplitValue(&lap, prev, path.At(k).wp, lp);
        lap.m_lstSplits.AddTail(prev);
      }
    }
    lap.m_lstSplits.AddTail(new CSportSplitValue(&lap, prev, path.At(end).wp, nullptr));
    return;
  }
  if (lap.m_dDragDistance >= 0.0001)
    BuildDistanceSplits(path, lap, start, end);
  else
    BuildSpeedSplits(path, lap, start, end);
}

void CSportLapAnalysis::BuildSpeedSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end) {
  const bool slowing = lap.m_dStartSpeed > lap.m_dEndSpeed;
  const double speed = slowing ? lap.m_dStartSpeed : lap.m_dEndSpeed;
  double step = 10.0;
  for (int i = 10; i <= 500 && i * 0.621504 < speed; i += 10)
    if (std::fabs(speed - i * 0.621504) <= 0.01) step = 6.215039999999999;
  if (slowing) step = -step;
  int index = 0;
  const CSportProjMgr::DragType* type =
      CSportProjMgr::GetInstance()->FindDragType(1, index, lap.m_dStartSpeed, lap.m_dEndSpeed);
  const bool imperial = type && type->imperial != 0;
  if (imperial) step /= kMilesPerKm;
  SplitChain splits(path, lap, start);
  double target = lap.m_dStartSpeed + step;
  // Named by the speed reached, in the drag type's unit.
  auto cut = [&](int32_t k, double at) {
    splits.Cut(k, at, Label(u"%d", static_cast<int>(std::lround(imperial ? at * kMilesPerKm : at))));
  };
  for (int32_t k = start + 1; k < end; ++k) {
    const double v = path.At(k).speed;
    if (slowing ? v <= target : v >= target) {
      cut(k, target);
      while (slowing ? v <= target : v >= target) target += step;
    }
  }
  cut(end, lap.m_dEndSpeed);
}

void CSportLapAnalysis::BuildDistanceSplits(const TrackPath& path, CSportLapValue& lap, int32_t start, int32_t end) {
  const double total = lap.m_dDragDistance;
  std::vector<double> cuts;
  std::vector<CString> labels;
  switch (m_nSplitKind) {
    case kTenths:
      for (int k = 1; k <= 10; ++k) cuts.push_back(total * k / 10.0), labels.push_back(Label(u"%d/10", k));
      break;
    case kStandard:
      for (int k = 0; k < 4; ++k)
        cuts.push_back(kStandardDragSplitsKm[k]), labels.emplace_back(kStandardDragSplitLabels[k]);
      cuts.push_back(total), labels.emplace_back(kStandardDragSplitLabels[4]);
      break;
    case kSeconds:
      break;
    default:
      for (int k = 1; k <= 4; ++k) cuts.push_back(total * k / 4.0), labels.push_back(Label(u"%d/4", k));
      break;
  }
  SplitChain splits(path, lap, start);
  size_t next = 0;
  int seconds = 0;
  for (int32_t k = start + 1; k < end; ++k) {
    if (m_nSplitKind == kSeconds) {
      // Whole seconds from the run's start.
      const double elapsed = static_cast<double>(static_cast<int64_t>(path.At(k).time - path.At(start).time)) / 1e7;
      if (elapsed >= seconds + 1) {
        ++seconds;
        splits.Cut(k, seconds, Label(seconds == 1 ? u"%d second" : u"%d seconds", seconds));
      }
      continue;
    }
    const double d = path.PathDistance(start, k);
    while (next + 1 < cuts.size() && d >= cuts[next]) {
      splits.Cut(k, cuts[next], labels[next]);
      ++next;
    }
  }
  if (m_nSplitKind == kSeconds) {
    splits.Cut(end, total, Label(seconds == 0 ? u"%d second" : u"%d seconds", seconds + 1));
  } else {
    while (next + 1 < cuts.size()) splits.Cut(end, cuts[next], labels[next]), ++next;
    splits.Cut(end, total, labels.back());
  }
}
