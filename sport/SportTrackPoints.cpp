// The members of CSportTrack that reach beyond the project database: the
// point database of the track, its point entries, its lap analysis and lap
// summary, and its statistics (declared in SportTrack.h).
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <variant>

#include "platform/win32/timeutil.h"
#include "platform/win32/wstr.h"
#include "sport/SportLapAnalysis.h"
#include "sport/SportLapValue.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/TrackPoints.h"
#include "sport/TrackStatistics.h"
#include "trackdb/tgvDocument.h"
#include "trackdb/tgvProject.h"
#include "trackdb/tgvRecord.h"

namespace {

constexpr int kMaxDragStarts = 100;

// The statistics kept as fields of the track, in the order they are
// written: doubles, durations (100 ns) and the two times, which only a track
// with points has.
using DoubleStatistic = double TrackStatistics::*;
using DurationStatistic = int64_t TrackStatistics::*;
using TimeStatistic = uint64_t TrackStatistics::*;

struct StatisticField {
  const char16_t* key;
  std::variant<DoubleStatistic, DurationStatistic, TimeStatistic> value;
};

const StatisticField kStatisticFields[] = {
    {u"FieldTotalDistance", &TrackStatistics::totalDistance},
    {u"FieldStartTime", &TrackStatistics::startTime},
    {u"FieldEndTime", &TrackStatistics::endTime},
    {u"FieldAverageSpeed", &TrackStatistics::averageSpeed},
    {u"FieldAverageMovingSpeed", &TrackStatistics::averageMovingSpeed},
    {u"FieldMaxSpeed", &TrackStatistics::maxSpeed},
    {u"TotalAscent", &TrackStatistics::totalAscent},
    {u"TotalDescent", &TrackStatistics::totalDescent},
    {u"TotalMovingTime", &TrackStatistics::totalMovingTime},
    {u"TotalStoppedTime", &TrackStatistics::totalStoppedTime},
    {u"AscentDist", &TrackStatistics::ascentDist},
    {u"DescentDist", &TrackStatistics::descentDist},
    {u"FlatDist", &TrackStatistics::flatDist},
    {u"AscentTime", &TrackStatistics::ascentTime},
    {u"DescentTime", &TrackStatistics::descentTime},
    {u"FlatTime", &TrackStatistics::flatTime},
    {u"AscentSpeed", &TrackStatistics::ascentSpeed},
    {u"DescentSpeed", &TrackStatistics::descentSpeed},
    {u"FlatSpeed", &TrackStatistics::flatSpeed},
    {u"AverageAscentVerticalSpeed", &TrackStatistics::avgAscentVerticalSpeed},
    {u"AverageDescentVerticalSpeed", &TrackStatistics::avgDescentVerticalSpeed},
    {u"MaxAscentVerticalSpeed", &TrackStatistics::maxAscentVerticalSpeed},
    {u"MaxDescentVerticalSpeed", &TrackStatistics::maxDescentVerticalSpeed},
    {u"OverallGrade", &TrackStatistics::overallGrade},
    {u"AverageAscentGrade", &TrackStatistics::avgAscentGrade},
    {u"AverageDescentGrade", &TrackStatistics::avgDescentGrade},
    {u"StartElevation", &TrackStatistics::startElevation},
    {u"EndElevation", &TrackStatistics::endElevation},
    {u"MaxElevation", &TrackStatistics::maxElevation},
    {u"MinElevation", &TrackStatistics::minElevation},
    {u"MaxAscentGrade", &TrackStatistics::maxAscentGrade},
    {u"MaxDescentGrade", &TrackStatistics::maxDescentGrade},
};

// Up to 100 indices of "12,345,": the leading digits of each entry (0
// without); an empty text gives the single index 0.
int ParseDragStarts(const CString& text, int32_t* out) {
  const char16_t* s = text.GetString();
  int n = 0;
  while (n < kMaxDragStarts) {
    out[n++] = WStrToInt(s);
    const char16_t* comma = WStrChr(s, u',');
    if (!comma || comma[1] == 0) break;
    s = comma + 1;
  }
  return n;
}

}  // namespace

tgvLine_C* CSportTrack::LoadTrackPoints() {
  std::lock_guard<std::recursive_mutex> guard(m_pointsLock);
  if (m_pPointLine) return m_pPointLine;
  if (!m_pLine) return nullptr;
  m_pPointDoc = CSportProjMgr::GetInstance()->OpenPointDatabase(GetTrackFile());
  if (!m_pPointDoc) return nullptr;
  const uint8_t kinds[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};  // lines (user type 11)
  PtrList_C found;
  m_pPointDoc->FindObjects(&found, nullptr, GeoBox_C(), kinds, nullptr, -1);
  m_pPointLine = found.IsEmpty() ? nullptr : static_cast<tgvLine_C*>(found.GetHeadPosition()->value);
  return m_pPointLine;
}

TrackPointEntry* CSportTrack::GetTrackPoints(int32_t& count) {
  std::lock_guard<std::recursive_mutex> guard(m_pointsLock);
  count = 0;
  if (!LoadTrackPoints()) return nullptr;
  if (!m_points) {
    m_points = BuildTrackPoints(m_pPointLine, &m_nPointCount);
    m_pPoints = m_points.get();
  }
  if (m_nRacingType == kDragRacing && (m_nDeviceModel == 1 || m_nDeviceModel == 2) && m_nPointCount >= 1) {
    int32_t starts[kMaxDragStarts] = {};
    ParseDragStarts(m_strDragStartWp, starts);
    for (int k = 0; k < kMaxDragStarts; ++k) {
      const int32_t v = starts[k];
      if (v < 1 && k != 0) break;
      if (v >= 0 && v < m_nPointCount) m_pPoints[v].dragStart = true;
    }
  }
  count = m_nPointCount;
  return m_pPoints;
}

void CSportTrack::ReleaseTrackPoints() {
  // Nothing may go while another thread analyses or reads it.
  std::lock_guard<std::recursive_mutex> analysis(CSportProjMgr::GetInstance()->AnalysisLock());
  std::lock_guard<std::recursive_mutex> guard(m_pointsLock);
  // The laps point at the database's waypoints: they go with it.
  m_lapAnalysis.reset();
  m_pLapAnalysis = nullptr;
  m_points.reset();
  m_pPoints = nullptr;
  m_nPointCount = 0;
  m_pPointLine = nullptr;
  if (m_pPointDoc) CSportProjMgr::GetInstance()->ClosePointDatabase(m_pPointDoc);
  m_pPointDoc = nullptr;
}

CSportLapAnalysis* CSportTrack::GetLapAnalysis() {
  std::lock_guard<std::recursive_mutex> guard(m_pointsLock);
  if (!m_lapAnalysis) {
    m_lapAnalysis = std::make_unique<CSportLapAnalysis>(this);
    m_pLapAnalysis = m_lapAnalysis.get();
  }
  return m_pLapAnalysis;
}

void CSportTrack::UpdateLapSummary() {
  CSportLapAnalysis* a = GetLapAnalysis();
  int32_t n = a->m_nLapCount, bestNo = 0;
  TrackTimes best;
  int64_t total = 0;
  for (const auto& lap : a->Laps()) {
    const TrackTimes times = a->GetLapTimes(*lap);
    if (lap->m_bFastest) {
      bestNo = lap->m_bIgnored ? 0 : lap->m_nLapNo - lap->m_nIgnoredBefore;
      best = times;
    }
    if (lap->m_bIgnored)
      --n;
    else
      total += TimeSpan(times);
  }
  SetFieldInt(u"TotalLapNumField", n);
  SetFieldInt(u"FastestLapNoField", bestNo);
  SetFieldDuration(u"FastestLapTime", TimeSpan(best));
  SetFieldDuration(u"FieldTotalTime", total);
  SetFieldDuration(u"TotalMovingTime", total);
}

void CSportTrack::ApplyIgnoredLaps() {
  CSportLapAnalysis* a = GetLapAnalysis();
  if (a->m_nState != 3) return;
  int32_t mode = 0;
  if ((m_nDeviceModel == 2 || m_nDeviceModel == 3) && m_nRacingType == kDragRacing) {
    double start = 0.0, end = 0.0;
    GetDragSettingsByType(mode, start, end);
  }
  int32_t position = 0, ignored = 0;
  CSportLapValue* best = nullptr;
  int64_t bestSpan = 0;
  double bestFigure = 0.0;
  for (const auto& lap : a->Laps()) {
    CString key;
    key.Format(u"%s%d", u"IgnoreLap", ++position);
    lap->m_bIgnored = WStrToInt(GetFieldText(key)) == 1;
    lap->m_bFastest = false;
    if (lap->m_bIgnored) {
      ++ignored;
      continue;
    }
    lap->m_nIgnoredBefore = ignored;
    const int64_t span = TimeSpan(a->GetLapTimes(*lap));
    const double figure = mode == 2 ? a->GetDragFigure(*lap) : 0.0;
    if (!best || (mode == 2 ? figure > bestFigure : span < bestSpan)) {
      best = lap.get();
      bestSpan = span;
      bestFigure = figure;
    }
  }
  if (best) best->m_bFastest = true;
  UpdateLapSummary();
}

void CSportTrack::ComputeStatistics() {
  tgvLine_C* line = LoadTrackPoints();
  if (!line) return;
  CSportLapAnalysis* analysis = GetLapAnalysis();
  if (m_nRacingType >= kEndurance && m_nRacingType <= kCircuitOther) {
    analysis->Analyze();
    UpdateLapSummary();
  }
  int32_t count = 0;
  const TrackPointEntry* entries = GetTrackPoints(count);
  TrackStatistics st;
  const bool hasPoints = ComputeTrackStatistics(line, entries, count, &st);
  analysis->Analyze();

  double maxLat = -180.0, minLat = 180.0, maxLon = -180.0, minLon = 180.0;
  entries = GetTrackPoints(count);
  int32_t first = 0;
  while (first < count && entries[first].point != analysis->m_pFirstPoint) ++first;
  if (first == count) first = 0;
  for (int32_t i = first; i < count; ++i) {
    const tgvWayPoint_C* p = entries[i].point;
    maxLat = std::max(maxLat, p->GetLatitude());
    minLat = std::min(minLat, p->GetLatitude());
    maxLon = std::max(maxLon, p->GetLongitude());
    minLon = std::min(minLon, p->GetLongitude());
  }
  const double centerLat = count > 0 ? (minLat + maxLat) * 0.5 : 0.0;
  const double centerLon = count > 0 ? (minLon + maxLon) * 0.5 : 0.0;

  SetFieldDouble(u"CenterLat", centerLat);
  SetFieldDouble(u"CenterLon", centerLon);
  for (const StatisticField& f : kStatisticFields) {
    if (const auto* d = std::get_if<DoubleStatistic>(&f.value))
      SetFieldDouble(f.key, st.**d);
    else if (const auto* t = std::get_if<DurationStatistic>(&f.value))
      SetFieldDuration(f.key, st.**t);
    else if (hasPoints)
      SetFieldTime(f.key, st.*std::get<TimeStatistic>(f.value));
  }
  SetFieldDouble(u"DBVersion", 0.108);
  if (hasPoints) {
    m_ftStart = st.startTime;
    m_ftEnd = st.endTime;
  }

  // A track without a zone takes the computer's, as the session list shows it.
  int32_t minutes = 0;
  bool storedDst = false;
  CString storedName;
  if (!ReadStoredZone(minutes, storedDst, storedName)) {
    const ComputerZone computer = ComputerZoneAt(m_ftStart);
    SetTimeZone(computer.bias, computer.dst, CString(computer.name.c_str()));
    return;
  }
  TIME_ZONE_INFORMATION tzi;
  const DWORD status = GetTimeZoneInformation(&tzi);
  TrackTimes local;
  CalendarTime start;
  SplitFileTime(GetLocalTime(local, true).start, &start);
  const bool dst = status != TIME_ZONE_ID_UNKNOWN && status != TIME_ZONE_ID_INVALID && IsDaylightSavingAt(start, tzi);
  SetTimeZone(minutes, dst, CString(dst ? tzi.DaylightName : tzi.StandardName));
}

int32_t CSportTrack::GetTotalLapNum() {
  if (GetFieldText(u"TotalLapNumField").IsEmpty()) ComputeStatistics();
  return WStrToInt(GetFieldText(u"TotalLapNumField"));
}

int64_t& CSportTrack::GetFastestLap(int64_t& time, int32_t& lapNo) {
  if (GetFieldText(u"FastestLapNoField").IsEmpty()) ComputeStatistics();
  lapNo = WStrToInt(GetFieldText(u"FastestLapNoField"));
  time = 0;
  return GetFieldDuration(u"FastestLapTime", time);
}
