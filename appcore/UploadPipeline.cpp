#include "appcore/UploadPipeline.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

#include "appcore/BeaconFile.h"
#include "appcore/LapTimeText.h"
#include "appcore/SessionFileWriter.h"
#include "appcore/SessionListDb.h"
#include "appcore/SessionScan.h"
#include "appcore/TrackMapDb.h"
#include "appcore/TryGrow.h"
#include "datafiles/DataFiles.h"
#include "lapgear/CircuitLapGear.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "platform/win32/timeutil.h"
#include "sport/SportLapMeasure.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/SportUser.h"
#include "sport/TrackPoints.h"
#include "trackdb/tgvGeometry.h"
#include "trackdb/tgvRecord.h"
#include "webclient/ApiClient.h"

namespace {

// The lap engine's context: the session's writer and what its callbacks saw.
struct LapSink {
  SessionFileWriter* writer = nullptr;
  bool complete = true;  // every row reached the file
  int32_t laps = 0;
  int32_t bestLap = 0;
  double bestLapTime = 0.0;
};

void OnLapRecord(LapRec lap, void* context) {
  LapSink& sink = *static_cast<LapSink*>(context);
  if (!sink.writer->WriteLap(lap)) {
    sink.complete = false;
    return;
  }
  ++sink.laps;
  if (sink.laps == 1 || lap.duration < sink.bestLapTime) {
    sink.bestLap = lap.id;
    sink.bestLapTime = lap.duration;
  }
}

void OnSectorRecord(SectorRec sector, void* context) {
  LapSink& sink = *static_cast<LapSink*>(context);
  if (!sink.writer->WriteSector(sector)) sink.complete = false;
}

// The sectors already written for a lap the engine could not finish go.
void OnLapAborted(int32_t lapCounter, void* context) {
  LapSink& sink = *static_cast<LapSink*>(context);
  if (!sink.writer->DeleteLapSectors(lapCounter)) sink.complete = false;
}

CString ModelName(int32_t deviceModel) {
  static const char16_t* const kModels[] = {u"KT-200", u"KT-700", u"KT-700S", u"VX-5500RS"};
  return deviceModel >= 0 && deviceModel < 4 ? CString(kModels[deviceModel]) : CString();
}

// Every user's tracks by their file key (exact case); where two share a key,
// the first in the order of the users and their tracks.
std::unordered_map<std::u16string, CSportTrack*> TracksByFile(CSportProjMgr& projects) {
  std::unordered_map<std::u16string, CSportTrack*> byFile;
  ForEachSession(projects, [&](CSportUser&, CSportTrack& track) {
    byFile.try_emplace(track.GetTrackFile().Str(), &track);
    return true;
  });
  return byFile;
}

// Running statistics of the session's points.
struct PointStats {
  int32_t handled = 0;
  double maxSpd = 0.0, minSpd = 0.0;
  double maxAlt = 0.0, minAlt = 0.0, altSum = 0.0;
  double maxG = 0.0, minG = 0.0, gSum = 0.0;
  double minLat = 0.0, maxLat = 0.0, minLon = 0.0, maxLon = 0.0;
  int64_t firstMs = 0, lastMs = 0;  // since 1970

  void Take(double speed, double alt, double g, double lat, double lon, int64_t ms) {
    if (handled++ == 0) {
      maxSpd = minSpd = speed;
      maxAlt = minAlt = alt;
      maxG = minG = g;
      minLat = maxLat = lat;
      minLon = maxLon = lon;
      firstMs = ms;
    } else {
      maxSpd = std::max(maxSpd, speed), minSpd = std::min(minSpd, speed);
      maxAlt = std::max(maxAlt, alt), minAlt = std::min(minAlt, alt);
      maxG = std::max(maxG, g), minG = std::min(minG, g);
      minLat = std::min(minLat, lat), maxLat = std::max(maxLat, lat);
      minLon = std::min(minLon, lon), maxLon = std::max(maxLon, lon);
    }
    altSum += alt;
    gSum += g;
    lastMs = ms;
  }
};

// Turns the point entries into rows and feeds each point to the engine. An
// entry without its point, or whose point has no GPS sample (no time), is
// passed over: it has no time to place it in the stream.
void ConvertPoints(const TrackPointEntry* entries, int32_t n, std::vector<WayPointRow>& rows, CircuitLapGear& gear,
                   PointStats& stats, std::atomic<double>& fraction) {
  double running = 0.0;
  bool havePrev = false;
  LapGear::Ecef prevEcef;
  for (int32_t i = 0; i < n; ++i) {
    const tgvWayPoint_C* point = entries[i].point;
    uint32_t high = 0, low = 0;
    double speed = 0.0;
    if (point != nullptr && point->GetLogTimeSpeed(&high, &low, &speed)) {
      double gx = 0.0, gy = 0.0, gz = 0.0;
      point->GetGSensor(&gx, &gy, &gz);
      const double lat = point->GetLatitude(), lon = point->GetLongitude(), alt = point->GetAltitude();
      const double g = std::sqrt(gx * gx + gy * gy + gz * gz);
      const uint64_t time = (static_cast<uint64_t>(high) << 32) | low;
      int64_t seconds = 0;
      int32_t ms = 0;
      FileTime100nsToUnix(time, &seconds, &ms);
      stats.Take(speed, alt, g, lat, lon, FileTimeToUnixMs(time));

      const tgvWayPoint_C* next = i + 1 < n ? entries[i + 1].point : nullptr;
      const double heading = next ? InitialBearingDeg(lon, lat, next->GetLongitude(), next->GetLatitude()) : 0.0;
      const LapGear::Ecef ecef = LapGear::getEcef(lat, lon);
      const double d = havePrev ? LapGear::calcDistance(prevEcef, ecef) : 0.0;
      running += d;
      prevEcef = ecef;
      havePrev = true;

      WayPointRow row;
      row.id = i + 1;
      row.rcr[0] = entries[i].dragStart ? 'R' : 'T';
      row.time = static_cast<int32_t>(seconds);
      row.ms = ms;
      row.lat = lat, row.lon = lon, row.altitude = alt, row.heading = heading, row.speed = speed;
      row.Gx = gx, row.Gy = gy, row.Gz = gz, row.distance = running;
      rows.push_back(row);

      const LogRec log{i + 1, lat, lon, alt, heading, speed, static_cast<double>(seconds) + ms / 1000.0, gx, gy, gz, d};
      gear.feedLog(&log);
    }
    fraction = static_cast<double>(i + 1) / n;
  }
}

// What the analysis file says of the session's track map.
SessionTrackInfo TrackInfoOf(const SessionSummary& record, const TrackListItem& map) {
  SessionTrackInfo info;
  info.bOfficial = 1;
  info.id.Format(u"%d", map.mapId);
  info.name = record.mName;
  info.uDate.Format(u"%d", map.uDate);
  info.raceType = record.raceType == kRaceDrag ? u"Drag" : u"Circuit";
  info.type = map.type;
  return info;
}

// Reads the beacons of the map's beacon file into `beacons` and writes them;
// only the beacons the reader filled reach the file and the engine. A map
// name that is not a plain name (an empty path) has no beacon file. False
// when a beacon could not be written.
bool WriteBeacons(SessionFileWriter& writer, const std::u16string& path, std::vector<BeaconRec>& beacons) {
  if (path.empty()) return true;
  beacons.resize(static_cast<size_t>(ReadBeaconCount(path.c_str())));
  beacons.resize(
      static_cast<size_t>(ReadBeaconFile(path.c_str(), beacons.data(), static_cast<int32_t>(beacons.size()))));
  bool complete = true;
  for (const BeaconRec& b : beacons) complete = writer.WriteBeacon(b) && complete;
  return complete;
}

// Runs the lap engine over the points at the beacon lines; its laps and
// sectors, then the points and the boundary, go to the files of the sink's
// writer. False when a row could not be written.
bool AnalysePoints(const TrackPointEntry* entries, int32_t n, std::vector<BeaconRec>& beacons,
                   std::vector<WayPointRow>& rows, LapSink& sink, PointStats& stats, std::atomic<double>& fraction) {
  CircuitLapGear gear(beacons.data(), static_cast<int32_t>(beacons.size()), &sink);
  gear.setCallbacks(LapGearCallbacks{OnLapRecord, OnSectorRecord, nullptr, OnLapAborted});
  gear.start();
  ConvertPoints(entries, n, rows, gear, stats, fraction);
  gear.stop();
  bool complete = sink.complete && sink.writer->WriteWayPoints(rows.data(), static_cast<int32_t>(rows.size()));
  if (complete && stats.handled > 0)
    complete = sink.writer->WriteBoundary(stats.minLon, stats.minLat, stats.maxLat, stats.maxLon);
  return complete;
}

// The session's statistics from its points and laps. `distance` is the
// track's in km; a single point keeps the duration the list already had.
void TakeStatistics(SessionSummary& record, int32_t mapId, const PointStats& stats, const LapSink& sink,
                    double distance) {
  if (stats.handled > 1) record.duration = stats.lastMs / 1000.0 - stats.firstMs / 1000.0;
  record.mapId = mapId;
  if (stats.handled > 0) {
    record.maxSpd = stats.maxSpd, record.minSpd = stats.minSpd;
    record.maxAlt = stats.maxAlt, record.minAlt = stats.minAlt, record.avgAlt = stats.altSum / stats.handled;
    record.maxG = stats.maxG, record.minG = stats.minG, record.avgG = stats.gSum / stats.handled;
  }
  record.avgSpd = record.duration > 0.0 ? distance / (record.duration / 3600.0) : 0.0;
  record.laps = sink.laps;
  record.bestLap = sink.bestLap;
  record.bestLapTime = sink.bestLapTime;
  record.strBestLapTime = BestLapText(sink.bestLapTime);
}

SessionStatsUpdate StatsUpdateOf(const SessionSummary& record) {
  SessionStatsUpdate update;
  update.mapId = record.mapId;
  update.duration = record.duration;
  update.maxSpd = record.maxSpd, update.minSpd = record.minSpd, update.avgSpd = record.avgSpd;
  update.maxAlt = record.maxAlt, update.minAlt = record.minAlt, update.avgAlt = record.avgAlt;
  update.maxG = record.maxG, update.minG = record.minG, update.avgG = record.avgG;
  update.laps = record.laps;
  update.bestLap = record.bestLap;
  update.bestLapTime = record.bestLapTime;
  update.strBestLapTime = record.strBestLapTime;
  return update;
}

}  // namespace

std::vector<SessionSummary> CollectUploadRecords(SessionListDb& sessionList, const std::vector<int32_t>& ids) {
  std::vector<SessionSummary> records;
  records.reserve(ids.size());
  for (int32_t id : ids) {
    SessionSummary record;
    if (sessionList.GetById(id, record)) records.push_back(std::move(record));
  }
  return records;
}

UploadPipeline::UploadPipeline(UploadSources sources, UploadProgress progress, UploadPauses pauses)
    : m_sources(std::move(sources)), m_progress(progress), m_pauses(pauses) {}

void UploadPipeline::Pause(std::chrono::milliseconds pause, const std::stop_token& stop) const {
  // In short steps, so that a stop at exit is not held up.
  const auto end = std::chrono::steady_clock::now() + pause;
  while (!stop.stop_requested()) {
    const auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) break;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(50)));
  }
}

void UploadPipeline::Run(SessionSummary* records, int32_t count, std::stop_token stop) {
  if (records == nullptr || count <= 0) count = 0;
  std::vector<Prepared> prepared(static_cast<size_t>(count), Prepared::kNotFound);
  m_progress.itemDone = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (stop.stop_requested()) return;
    prepared[i] = Prepare(records[i]);
    switch (prepared[i]) {
      case Prepared::kUploaded:
        ++m_progress.itemDone;
        break;
      case Prepared::kNotFound:
        break;
      case Prepared::kNoPoints:
      case Prepared::kWritten:
      case Prepared::kIncomplete:
        ++m_progress.itemDone;
        m_progress.itemFraction = 0.0;
        Pause(m_pauses.afterPrepare, stop);
        break;
    }
  }
  if (stop.stop_requested()) return;

  m_progress.ok = 0;
  m_progress.fail = 0;
  m_progress.duplicate = 0;
  m_progress.cannotAnalyze = 0;
  m_progress.itemDone = 0;
  m_progress.state = kUploadUploading;
  for (int32_t i = 0; i < count; ++i) {
    if (stop.stop_requested()) return;
    Upload(records[i], prepared[i], stop);
    ++m_progress.itemDone;
  }
}

CSportTrack* UploadPipeline::TrackOf(const CString& folder) {
  if (m_sources.projects == nullptr) return nullptr;
  // Reading a track's file key is a look-up of its own: the keys are read
  // again only when the loaded tracks changed, not once per session and track.
  const uint64_t loads = m_sources.projects->GetLoadCount();
  if (loads != m_tracksLoad) {
    m_tracks = TracksByFile(*m_sources.projects);
    m_tracksLoad = loads;
  }
  const auto it = m_tracks.find(folder.Str());
  return it == m_tracks.end() ? nullptr : it->second;
}

UploadPipeline::Prepared UploadPipeline::Prepare(SessionSummary& record) {
  if (record.respCode == kRespUploaded) return Prepared::kUploaded;
  CSportTrack* track = TrackOf(record.folder);
  if (track == nullptr || m_sources.trackMaps == nullptr) return Prepared::kNotFound;
  const TrackListItem map = m_sources.trackMaps->FindByName(record.mName);
  if (map.mapId <= 0) return Prepared::kNotFound;

  // One analysis at a time works on a track's points; the points go again
  // at the end, so that memory does not grow with the number of sessions.
  std::lock_guard<std::recursive_mutex> analysis(m_sources.projects->AnalysisLock());
  struct Release {
    CSportTrack* track;
    ~Release() { track->ReleaseTrackPoints(); }
  } release{track};

  int32_t n = 0;
  const TrackPointEntry* entries = track->GetTrackPoints(n);
  if (entries == nullptr || n <= 0) return Prepared::kNoPoints;
  std::vector<WayPointRow> rows;
  if (!TryReserve(rows, n)) return Prepared::kNoPoints;

  SessionFileWriter writer;
  std::vector<BeaconRec> beacons;
  LapSink sink;
  sink.writer = &writer;
  PointStats stats;
  const bool complete =
      writer.Create(m_sources.workspace, record.id, ModelName(track->m_nDeviceModel), TrackInfoOf(record, map)) &&
      WriteBeacons(writer, BeaconFilePath(m_sources.userData, record.mName.Str()), beacons) &&
      AnalysePoints(entries, n, beacons, rows, sink, stats, m_progress.itemFraction);
  writer.Close();
  if (!complete) return Prepared::kIncomplete;

  TakeStatistics(record, map.mapId, stats, sink, track->GetTotalDistance());
  if (m_sources.sessionList) m_sources.sessionList->UpdateStats(record.id, StatsUpdateOf(record));
  return Prepared::kWritten;
}

void UploadPipeline::Upload(SessionSummary& record, Prepared prepared, const std::stop_token& stop) {
  if (record.respCode == kRespUploaded) return;
  const std::u16string sess = SessionFilePath(m_sources.workspace, SessionFile::kSess, record.id);
  const std::u16string sana = SessionFilePath(m_sources.workspace, SessionFile::kSana, record.id);
  int32_t code = kRespFailed;
  if (prepared == Prepared::kIncomplete) {
    ++m_progress.fail;
    DeleteFileW(sess.c_str());
    DeleteFileW(sana.c_str());
  } else if (record.mapId <= 0 || record.laps <= 0) {
    code = kRespCannotAnalyse;
    ++m_progress.cannotAnalyze;
  } else {
    // The row keeps the account the session was posted as: a login during
    // the upload changes the stored user between two sessions.
    int32_t uid = 0;
    const int32_t gid = ApiUploadSession(record, code, &uid);
    // A success without the service's id is not taken as an upload: the next
    // try asks again, and a service that holds the session answers 304 with
    // its id.
    if (gid <= 0 && code == kRespUploaded) code = kRespFailed;
    if (gid > 0) {
      if (m_sources.sessionList) m_sources.sessionList->SetUploadIds(record.id, gid, uid);
      record.gid = gid;
      record.uid = uid;
      if (code == kRespUploaded) {
        ++m_progress.ok;
      } else if (code == kRespDuplicate) {
        ++m_progress.duplicate;
        ++m_progress.ok;
        code = kRespUploaded;
      }
    } else if (code == kRespFailed) {
      ++m_progress.fail;
    } else if (code == kRespDuplicate) {
      ++m_progress.duplicate;
    } else if (code == kRespCannotAnalyse) {
      ++m_progress.cannotAnalyze;
    }
    // A file that is already gone is no reason to stop.
    DeleteFileW(sess.c_str());
    DeleteFileW(sana.c_str());
    Pause(m_pauses.afterRequest, stop);
  }
  record.respCode = code;
  if (m_sources.sessionList) m_sources.sessionList->SetRespCode(record.id, code);
}
