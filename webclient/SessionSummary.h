// One recorded session as the application holds it: one row of the session
// list table (SessionListDb), the record that the session list fills, the
// upload pipeline updates and the web-service client posts.
//
// Every number starts at zero and respCode at -1 ("never tried", the
// column's default), so that a record a reader did not fill reads as an
// empty session, never as garbage.
#pragma once

#include <cstdint>

#include "platform/classlib/CString.h"

// Race types.
enum : int32_t {
  kRaceEndurance = 0,
  kRaceSprint = 1,
  kRaceQualify = 2,
  kRaceOther = 3,
  kRaceDrag = 4,
  kRaceDataLog = 5,
  kRaceRally = 6,
};
inline constexpr int32_t kRaceTypeCount = kRaceRally + 1;

// The circuit group: the race types whose sessions are listed and uploaded.
// Sessions of the other types are counted only.
inline constexpr int32_t kFirstCircuitRace = kRaceEndurance;
inline constexpr int32_t kLastCircuitRace = kRaceOther;
constexpr bool IsCircuitRace(int32_t raceType) { return raceType >= kFirstCircuitRace && raceType <= kLastCircuitRace; }

// Reply codes kept per session.
enum : int32_t {
  kRespNeverTried = -1,
  kRespUploaded = 0,
  kRespFailed = 301,
  kRespDuplicate = 304,
  kRespCannotAnalyse = 305,
};

struct SessionSummary {
  int32_t id = 0;   // SessList row id; names the per-session files
  int32_t gid = 0;  // the service's id of the uploaded session; 0 until uploaded
  int32_t uid = 0;  // the service's user id of the uploader; 0 until uploaded
  int32_t respCode = kRespNeverTried;
  int32_t raceType = 0;   // kRace...
  int32_t mapId = 0;      // track map; 0 until the upload has found one
  int32_t unit = 0;       // drag sessions: 0 metric, 1 imperial
  int32_t timezone = 0;   // minus the track's time-zone offset, minutes
  int32_t startTime = 0;  // seconds since 1970
  int32_t laps = 0;
  int32_t bestLap = 0;    // number of the fastest lap (after an upload its id in the analysis file)
  double duration = 0.0;  // s
  double distance = 0.0;  // km
  double maxSpd = 0.0;    // km/h
  double minSpd = 0.0;
  double avgSpd = 0.0;
  double maxAlt = 0.0;  // m
  double minAlt = 0.0;
  double avgAlt = 0.0;
  double maxG = 0.0;  // g
  double minG = 0.0;
  double avgG = 0.0;
  double bestLapTime = 0.0;  // s
  CString mName;             // track-map name (drag sessions: the drag condition text)
  CString nickName;          // owner of the session
  CString folder;            // the track's file key, the link back to the sport model
  CString startDateTime;     // local start, "%d/%02d/%02d  %02d:%02d"
  CString strBestLapTime;    // "%02d:%02d.%03d", or "%d:%02d:%02d.%03d" with hours
  CString desc;              // the track's note
};
