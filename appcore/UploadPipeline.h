// The upload of the sessions the user checked, without any window: phase 1
// prepares each session (its track and track map, the two per-session files
// with every point, the beacons and the laps and sectors the lap engine finds
// at the beacon lines, and its statistics in the session list), phase 2 posts
// each prepared session to the web service and keeps the reply code in the
// session list.
//
// Reply codes stored per session: 0 uploaded (also a duplicate the service
// answers with its id), 301 failed (also a success the service answers
// without an id), 304 duplicate without an id, 305 cannot be analysed (no
// track map or no lap: no request is made and the two files stay). Sessions
// already uploaded are passed over by both phases. A session whose files
// could not be written completely is never posted: it counts as failed, its
// statistics are not stored, its files are removed, and the next upload
// prepares it again.
//
// The pipeline reports through the atomics of UploadProgress, which the
// window's timer (or a test) polls; it runs on one thread, which also runs
// the lap engine and its callbacks.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

#include "appcore/JobStates.h"
#include "platform/classlib/CString.h"
#include "webclient/SessionSummary.h"

class CSportProjMgr;
class CSportTrack;
class SessionListDb;
class TrackMapDb;

// The shared fields the pipeline writes; every one is polled by another
// thread.
struct UploadProgress {
  std::atomic<int32_t>& state;          // UploadState: kUploadUploading when phase 1 ends
  std::atomic<int32_t>& itemDone;       // sessions passed in the current phase
  std::atomic<double>& itemFraction;    // share of the current session's points handled, 0.0 to 1.0
  std::atomic<int32_t>& ok;             // uploaded (0, or 304 with an id)
  std::atomic<int32_t>& fail;           // failed (301)
  std::atomic<int32_t>& duplicate;      // 304
  std::atomic<int32_t>& cannotAnalyze;  // 305
};

// What the pipeline reads and writes besides the shared fields.
struct UploadSources {
  std::u16string workspace;  // its TransferDb folder receives sess_<id>.db and sana_<id>.db
  std::u16string userData;   // its TransferDb/bcnx folder holds the beacon files
  SessionListDb* sessionList = nullptr;
  TrackMapDb* trackMaps = nullptr;
  CSportProjMgr* projects = nullptr;
};

struct UploadPauses {
  std::chrono::milliseconds afterPrepare{1000};  // after each prepared session
  std::chrono::milliseconds afterRequest{300};   // after each request to the service
};

// The records of the session-list rows `ids`, in that order; ids the list
// does not hold are dropped.
std::vector<SessionSummary> CollectUploadRecords(SessionListDb& sessionList, const std::vector<int32_t>& ids);

class UploadPipeline {
 public:
  UploadPipeline(UploadSources sources, UploadProgress progress, UploadPauses pauses = {});

  // Phase 1, then kUploadUploading, then phase 2, over `records` (updated in place
  // with their statistics and reply codes). A stop is honoured between
  // sessions: the run then ends where it is, without kUploadUploading.
  void Run(SessionSummary* records, int32_t count, std::stop_token stop = {});

  enum class Prepared {
    kUploaded,    // already uploaded: passed over
    kNotFound,    // no track of that folder, or no track map of that name: nothing written
    kNoPoints,    // the track has no points: nothing written
    kWritten,     // both files written whole, statistics stored
    kIncomplete,  // a file could not be written whole: it must not be posted
  };
  // Phase 1 of one session.
  Prepared Prepare(SessionSummary& record);
  // Phase 2 of one session, which phase 1 left `prepared`: the request, the
  // counters and the stored reply code.
  void Upload(SessionSummary& record, Prepared prepared, const std::stop_token& stop);

 private:
  void Pause(std::chrono::milliseconds pause, const std::stop_token& stop) const;
  // The track whose file key is the folder; null when none.
  CSportTrack* TrackOf(const CString& folder);

  UploadSources m_sources;
  UploadProgress m_progress;
  UploadPauses m_pauses;
  std::unordered_map<std::u16string, CSportTrack*> m_tracks;
  // The project's load count when they were read; none at first.
  uint64_t m_tracksLoad = UINT64_MAX;
};
