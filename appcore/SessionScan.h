// How the recorded sessions of the sport model become session-list records:
// the walk over them, the texts and numbers taken from each track, the count
// of the sessions,
// and the scan that builds one record per session and brings SessionList.db
// in line with them, a job shaped like the upload (its sources, the shared
// fields it reports through, a stop) that the window's row thread runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>

#include "appcore/JobStates.h"
#include "platform/classlib/CString.h"
#include "sport/SportProjMgr.h"
#include "webclient/SessionSummary.h"

class CSportTrack;
class CSportUser;

// Calls visit(user, track) for every track of every user, in the order of
// the users and their tracks' start times, until it returns false.
using SessionVisit = std::function<bool(CSportUser& user, CSportTrack& track)>;
void ForEachSession(const CSportProjMgr& manager, const SessionVisit& visit);

// The condition of a drag band as the list shows it: by unit 0 (metric)
// "%d m", "%d-%d km/h", "%.f secs"; by unit 1 (imperial) "1/4 mile" and the
// other binary fractions of a mile from 1/32 to 1 (an exact match), else
// "%.2f mile", then "%d-%d mph", "%.f secs". Empty for any other unit or
// kind: the session keeps its track-map name.
CString DragConditionText(const CSportProjMgr::DragType& type);

// Fills `out` (a fresh record) from the track of `user`. A drag session needs
// a matching drag type of `manager`: false, and nothing to list, without one.
// The track-map name must be one plain name, else it is left empty (the
// session is counted but not listable).
bool SummariseTrack(const CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out);
// SummariseTrack as the row thread runs it: under the manager's analysis
// lock, so that an upload of the same session on another thread never lets
// the points or the analysis go under it; the points are let go at the end,
// having been loaded for this summary only.
bool SummariseSession(CSportProjMgr& manager, const CSportUser& user, CSportTrack& track, SessionSummary& out);

// Every session of the workspace, and those of each race type.
struct SessionCounts {
  int32_t total = 0;
  int32_t byType[kRaceTypeCount] = {};
};
SessionCounts CountSessions(const CSportProjMgr& manager);

class SessionListDb;

// What the scan reads and writes besides the shared fields.
struct SessionScanSources {
  CSportProjMgr* projects = nullptr;
  SessionListDb* sessionList = nullptr;
};

// The shared fields the scan writes; each is polled by another thread.
struct SessionScanProgress {
  std::atomic<int32_t>& state;     // DbState: kDbListReady once the list is in line
  std::atomic<int32_t>& itemDone;  // records built so far
};

class SessionRowScan {
 public:
  SessionRowScan(SessionScanSources sources, SessionScanProgress progress);

  // Builds one record per session, at most `capacity` (the count the window
  // showed), once the drag types are loaded, and syncs the session list with
  // them. A walk that finds more sessions than `capacity`, or a project
  // that is not loaded, leaves the stored rows as they are. A stop
  // ends the scan where it is, the list unchanged and the state not moved.
  void Run(int32_t capacity, std::stop_token stop = {});

 private:
  SessionScanSources m_sources;
  SessionScanProgress m_progress;
};
