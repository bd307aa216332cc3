// The states of the window's jobs as their workers report them through the
// window's atomic fields and its timers read them. The values are the ones
// the fields hold; each job only moves forward through its states, and a new
// job starts again from the first.
#pragma once

#include <cstdint>

// The workspace and the session list (the window's m_nDbState).
enum DbState : int32_t {
  kDbStart = 0,          // the workspace thread runs
  kDbWorkspaceOpen = 1,  // the workspace is read; the session scan is due
  kDbScanning = 2,       // the session-row scan runs
  kDbListReady = 3,      // the session list is filled
};

// The track maps after a login (m_nTrackMapState).
enum TrackMapState : int32_t {
  kTrackMapsIdle = 0,
  kTrackMapsRetrieving = 1,
  kTrackMapsDone = 2,
};

// One upload (m_nUploadState and the pipeline's progress).
enum UploadState : int32_t {
  kUploadIdle = 0,
  kUploadTransferring = 1,  // phase 1: the per-session files
  kUploadUploading = 2,     // phase 2: the requests
  kUploadDone = 3,          // the window has taken the result
};
