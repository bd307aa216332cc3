// The session list file <workspace>/TransferDb/SessionList.db, table
// SessList: one row per session found in the workspace, with its statistics,
// its track-map name and its upload result.
//
// Every operation opens the file, works and closes it again, holding the
// object's lock throughout, so the list-building thread, the upload worker
// and the UI thread may call any operation at any time. A connection waits
// up to 5 s for another's lock. Failures are results: false, 0 or no rows.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "webclient/SessionSummary.h"

struct sqlite3;

// The statistics that the upload writes back into a row.
struct SessionStatsUpdate {
  int32_t mapId = 0;
  double duration = 0.0;
  double maxSpd = 0.0;
  double minSpd = 0.0;
  double avgSpd = 0.0;
  double maxAlt = 0.0;
  double minAlt = 0.0;
  double avgAlt = 0.0;
  double maxG = 0.0;
  double minG = 0.0;
  double avgG = 0.0;
  int32_t laps = 0;
  int32_t bestLap = 0;
  double bestLapTime = 0.0;
  CString strBestLapTime;
};

class SessionListDb {
 public:
  SessionListDb() = default;
  SessionListDb(const SessionListDb&) = delete;
  SessionListDb& operator=(const SessionListDb&) = delete;

  // Makes <workspace>/TransferDb when missing and the file with its table
  // (an existing table is kept as it is). `userData` is the per-user data
  // folder whose TrackMap/<mName> folders decide which rows are listable.
  // Must run before any other operation.
  bool Create(const std::u16string& workspace, const std::u16string& userData);
  const std::u16string& Path() const { return m_path; }

  // Brings the table in line with a fresh scan: rows whose folder is no
  // longer among the summaries are deleted; a summary without a row is
  // inserted; an existing row that is not uploaded (respCode != 0) takes the
  // summary's raceType, mName, desc and its start (timezone, startDateTime,
  // startTime), its statistics stay; an uploaded row keeps what the service
  // was sent. Summaries with an empty folder are skipped. A negative count,
  // or a count without summaries, changes nothing and gives false.
  bool Sync(const SessionSummary* summaries, int32_t count);
  // Inserts one row (id from the autoincrement, respCode -1); nothing for an
  // empty folder.
  bool Insert(const SessionSummary& summary);
  // The three writers of one row by id; false when there is no such row.
  // UpdateStats writes every column of the stats (distance is not among them).
  bool UpdateStats(int32_t id, const SessionStatsUpdate& stats);
  bool SetUploadIds(int32_t id, int32_t gid, int32_t uid);
  bool SetRespCode(int32_t id, int32_t respCode);

  // Rows with a track name and this race type whose TrackMap/<mName> folder
  // exists.
  int32_t CountTracksWithFolder(int32_t raceType);
  // The listable rows (as counted above), newest start first, into out[0 ..
  // capacity); returns how many were filled. Slots beyond stay untouched.
  int32_t GetSessionsByRaceType(int32_t raceType, SessionSummary* out, int32_t capacity);
  // The same for the circuit group (IsCircuitRace).
  int32_t GetCircuitSessions(SessionSummary* out, int32_t capacity);
  // Rows of the race type, listable or not.
  int32_t CountByRaceType(int32_t raceType);
  // Fills `out` from the row; false (out untouched) when there is none.
  bool GetById(int32_t id, SessionSummary& out);
  // True when the row exists and its respCode is 0.
  bool IsUploaded(int32_t id);

 private:
  // Sync's work inside its transaction; false when it must be rolled back,
  // `ok` false when a statement failed.
  bool SyncRows(sqlite3* db, const SessionSummary* summaries, int32_t count, bool& ok);
  int32_t ReadListable(const char* sql, int32_t raceType, bool bindRaceType, SessionSummary* out, int32_t capacity);
  bool IsListable(const CString& mName) const;

  std::mutex m_mutex;
  std::u16string m_path;
  std::u16string m_userData;
};
