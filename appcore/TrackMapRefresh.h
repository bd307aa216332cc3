// The refresh of the track maps after a login, without any window: the
// service's track list is merged into the track-map table, which fetches the
// beacon files (appcore/TrackMapDb.h). A job shaped like the session scan and
// the upload (its sources, the shared fields it reports through, a stop)
// that the window's workers run.
#pragma once

#include <atomic>
#include <cstdint>
#include <stop_token>

#include "appcore/JobStates.h"

class TrackMapDb;

// What the refresh writes besides the shared fields.
struct TrackMapRefreshSources {
  TrackMapDb* trackMaps = nullptr;
};

// The shared fields the refresh writes; each is polled by another thread.
struct TrackMapRefreshProgress {
  std::atomic<int32_t>& state;  // TrackMapState: kTrackMapsDone once the table is in line
  std::atomic<int32_t>& count;  // the track maps the service announces
};

class TrackMapRefresh {
 public:
  // More track maps than any account holds: an announced count beyond it is
  // taken for a broken reply, not allocated.
  static constexpr int32_t kMostTrackMaps = 100000;

  TrackMapRefresh(TrackMapRefreshSources sources, TrackMapRefreshProgress progress);

  // Asks the service for the count of the user's track maps (the count is
  // reported whatever follows), then for the list, and merges the items the
  // reply filled into the table; the state then becomes kTrackMapsDone.
  // Without a table, with a count below 0 or beyond kMostTrackMaps, when
  // memory runs out, or on a stop (honoured after each request) the run ends
  // and the state stays as it was.
  void Run(std::stop_token stop = {});

 private:
  TrackMapRefreshSources m_sources;
  TrackMapRefreshProgress m_progress;
};
