#include "appcore/SessionScan.h"

#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "appcore/LapTimeText.h"
#include "appcore/SessionListDb.h"
#include "appcore/TryGrow.h"
#include "icbase/src/icutil/mempool.h"
#include "icbase/src/icutil/paths.h"
#include "platform/win32/timeutil.h"
#include "sport/SportTime.h"
#include "sport/SportTrack.h"
#include "sport/SportUser.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvRecord.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kSecondsTo1970 = kFileTimeUnixEpoch / kFileTimeTicksPerSecond;

// A drag value from the settings as a whole number; one beyond int (or not a
// number) shows as its nearest bound or 0 rather than as garbage.
int Truncated(float value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<float>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

double Seconds(const DurationParts& d) {
  return static_cast<double>((d.hours * 60 + d.minutes) * 60 + d.seconds) + d.milliseconds / 1000.0;
}

// Milliseconds since 1970 of the point's GPS time; false for a point without
// a GPS-log record.
bool GpsMilliseconds(const TrackPointEntry& entry, int64_t& ms) {
  uint32_t high = 0, low = 0;
  if (entry.point == nullptr || !entry.point->GetLogTimeSpeed(&high, &low, nullptr)) return false;
  ms = FileTimeToUnixMs((static_cast<uint64_t>(high) << 32) | low);
  return true;
}

// The span from the first to the last logged point, in seconds with the
// milliseconds of both ends; 0.0 without points or for a negative span.
double DurationFromPoints(CSportTrack& track) {
  int32_t count = 0;
  const TrackPointEntry* points = track.GetTrackPoints(count);
  int64_t first = 0, last = 0;
  if (points == nullptr || count < 1 || !GpsMilliseconds(points[0], first) || !GpsMilliseconds(points[count - 1], last))
    return 0.0;
  const double span = last / 1000.0 - first / 1000.0;
  return span > 0.0 ? span : 0.0;
}

// The drag band of a drag session: device model 2 stores its kind (0 speed,
// 1 distance, others as they are), the other models a distance flag.
const CSportProjMgr::DragType* FindDragTypeOf(const CSportProjMgr& manager, const CSportTrack& track) {
  int32_t kind = 0;
  double start = 0.0, end = 0.0;
  if (track.m_nDeviceModel == 2) {
    int32_t stored = 0;
    track.GetDragSettingsByType(stored, start, end);
    kind = stored == 0 ? 1 : stored == 1 ? 0 : stored;
  } else {
    bool isDistance = true;
    track.GetDragSettings(isDistance, start, end);
    kind = isDistance ? 0 : 1;
  }
  int index = 0;
  return manager.FindDragType(kind, index, start, end);
}

// The UTC start as seconds since 1970 when it fits the record's 32 bits; a
// track without a start time gives 0, not a wrapped date.
int32_t StartSeconds(uint64_t start) {
  const int64_t seconds = static_cast<int64_t>(start / static_cast<uint64_t>(kFileTimeTicksPerSecond)) - kSecondsTo1970;
  if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(seconds);
}

}  // namespace

void ForEachSession(const CSportProjMgr& manager, const SessionVisit& visit) {
  PtrList_C users;
  manager.GetUsers(CString(), users);
  for (PtrListNode_C* u = users.GetHeadPosition(); u != nullptr;) {
    auto* user = static_cast<CSportUser*>(PtrList_C::GetNext(u));
    PtrList_C tracks;
    {
      // The listing sorts the tracks by their start times, which an analysis
      // of another thread may be writing.
      std::lock_guard<std::recursive_mutex> analysis(manager.AnalysisLock());
      user->FindTracks(TrackFilter{}, tracks);
    }
    for (PtrListNode_C* t = tracks.GetHeadPosition(); t != nullptr;) {
      if (!visit(*user, *static_cast<CSportTrack*>(PtrList_C::GetNext(t)))) return;
    }
  }
}

CString DragConditionText(const CSportProjMgr::DragType& type) {
  const int a = Truncated(type.first), b = Truncated(type.second);
  CString text;
  if (type.kind == 2 && (type.imperial == 0 || type.imperial == 1)) {
    text.Format(u"%.f secs", static_cast<double>(type.second));
  } else if (type.imperial == 0) {
    if (type.kind == 0) text.Format(u"%d m", b);
    if (type.kind == 1) text.Format(u"%d-%d km/h", a, b);
  } else if (type.imperial == 1) {
    static const struct {
      float miles;
      const char16_t* text;
    } kFractions[] = {{0.03125f, u"1/32 mile"}, {0.0625f, u"1/16 mile"}, {0.125f, u"1/8 mile"},
                      {0.25f, u"1/4 mile"},     {0.5f, u"1/2 mile"},     {1.0f, u"1 mile"}};
    if (type.kind == 0) {
      text.Format(u"%.2f mile", static_cast<double>(type.second));
      for (const auto& f : kFractions)
        if (type.second == f.miles) text = f.text;
    }
    if (type.kind == 1) text.Format(u"%d-%d mph", a, b);
  }
  return text;
}

bool SummariseTrack(const CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out) {
  int64_t total = 0;
  out.duration = Seconds(SplitDuration(track.GetTotalTime(total)));

  int64_t fastest = 0;
  int32_t fastestNo = 0;
  const DurationParts lap = SplitDuration(track.GetFastestLap(fastest, fastestNo));
  out.bestLap = fastestNo;
  out.bestLapTime = Seconds(lap);
  out.strBestLapTime = LapTimeText(lap);

  // The name becomes a folder and a file name under TrackMap.
  out.mName = IsPlainDataName(track.m_strUsedBcn.Str()) ? track.m_strUsedBcn : CString();
  out.unit = 0;
  if (track.m_nRacingType == CSportTrack::kDragRacing) {
    const CSportProjMgr::DragType* type = FindDragTypeOf(manager, track);
    if (type == nullptr) return false;
    out.unit = type->imperial;
    const CString condition = DragConditionText(*type);
    if (!condition.IsEmpty()) out.mName = condition;
  }

  // Read after the statistics, which the fastest lap above may have
  // computed, giving the track its start: the start shown in one zone, that
  // zone's offset, and startTime the true UTC start.
  const CSportTrack::ShownStart shown = track.GetShownStart();
  CalendarTime start;
  SplitFileTime(shown.local, &start);
  out.startDateTime.Format(u"%d/%02d/%02d  %02d:%02d", start.year, start.month, start.day, start.hour, start.minute);
  out.timezone = -shown.bias;
  out.raceType = track.m_nRacingType;
  out.gid = 0;
  out.uid = 0;
  out.startTime = StartSeconds(track.m_ftStart);

  out.laps = track.GetTotalLapNum();
  out.distance = track.GetTotalDistance();
  if (out.duration <= 0.0) out.duration = DurationFromPoints(track);

  out.nickName = user.m_strName;
  out.folder = track.GetTrackFile();
  out.desc = track.m_strNote;
  return true;
}

bool SummariseSession(CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out) {
  std::lock_guard<std::recursive_mutex> analysis(manager.AnalysisLock());
  const bool summarised = SummariseTrack(manager, user, track, out);
  // Kept, every session's point database would stay in memory for the rest
  // of the run.
  track.ReleaseTrackPoints();
  return summarised;
}

SessionCounts CountSessions(const CSportProjMgr& manager) {
  SessionCounts counts;
  ForEachSession(manager, [&](CSportUser&, CSportTrack& track) {
    ++counts.total;
    if (track.m_nRacingType >= 0 && track.m_nRacingType < kRaceTypeCount) ++counts.byType[track.m_nRacingType];
    return true;
  });
  return counts;
}

SessionRowScan::SessionRowScan(SessionScanSources sources, SessionScanProgress progress)
    : m_sources(sources), m_progress(progress) {}

void SessionRowScan::Run(int32_t capacity, std::stop_token stop) {
  std::vector<SessionSummary> records;
  if (!TryResize(records, capacity)) return;
  if (m_sources.sessionList == nullptr || m_sources.projects == nullptr) return;
  m_progress.itemDone = 0;

  CSportProjMgr& manager = *m_sources.projects;
  // A drag session is matched against the whole list of drag types: one not
  // yet loaded would drop the session, and Sync would delete its row.
  manager.WaitForDragTypes();
  int32_t visited = 0, built = 0;
  bool stopped = false, beyondCount = false;
  ForEachSession(manager, [&](CSportUser& user, CSportTrack& track) {
    if (stop.stop_requested()) {
      stopped = true;
      return false;
    }
    if (++visited > capacity) {
      beyondCount = true;
      return false;
    }
    SessionSummary record;
    if (!SummariseSession(manager, user, track, record)) return true;
    records[static_cast<size_t>(built++)] = std::move(record);
    m_progress.itemDone = built;
    return true;
  });
  if (stopped) return;
  // Sync reads a session missing from the records as gone and deletes its
  // row: a walk that found more sessions than counted (the workspace changed
  // meanwhile) is incomplete, and a project that could not be opened and
  // read whole shows nothing of the workspace; each leaves the stored rows
  // as they are. A project read whole without any session is the truth: its
  // rows go.
  if (!beyondCount && manager.IsProjectLoaded()) m_sources.sessionList->Sync(records.data(), built);
  m_progress.state = kDbListReady;
}
