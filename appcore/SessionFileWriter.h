// The two files posted with each upload, made fresh for every attempt in
// <workspace>/TransferDb:
//   sess_<id>.db  tables POI (empty), WayPoints (every GPS point) and info
//                 ("version" 1.0, "type" kdbSession, "serial", "frequency",
//                 "CreateBy" KRX, "model", later "boundary");
//   sana_<id>.db  tables beacon, condition (empty), info ("version" 1.0,
//                 "C/B_bOfficial", "C/B_id", "C/B_name", "C/B_uDate",
//                 "RaceType", "C/B_type", "LapGearVer" 1573516800), lap and
//                 sector, the rows the lap engine reports.
// <id> is the session's row id in the session list. Both files use the
// UTF-16 text encoding; info values are stored exactly as given.
//
// Call order per session: Create, WriteBeacon per beacon, the lap engine's
// WriteLap / WriteSector / DeleteLapSectors, WriteWayPoints once,
// WriteBoundary once. Every writer returns whether all its rows reached the
// file: a false result means the file is incomplete and must not be posted.
// Each row is committed when its writer returns, so the files can be read
// at any time; the analysis file's connection stays open between writes and
// is closed by the destructor. One writer serves one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "lapgear/LapGear.h"
#include "platform/classlib/CString.h"
#include "platform/win32/sqlitestatement.h"

// The track-map row of the session, for the analysis file's info rows.
struct SessionTrackInfo {
  uint8_t bOfficial = 1;  // "C/B_bOfficial" is "1" when 1, else "0"
  CString id;             // the map's mapId as text
  CString name;           // the session's track name
  CString uDate;          // the map's uDate as text
  CString raceType;       // "Drag" for drag sessions, else "Circuit"
  CString type;           // the map's type
};

// One GPS point, one WayPoints row; each field goes to the column of its name.
struct WayPointRow {
  int32_t id = 0;    // point number
  char rcr[4] = {};  // one letter, NUL-terminated
  int32_t time = 0;  // s
  int32_t ms = 0;
  double lat = 0.0;
  double lon = 0.0;
  double altitude = 0.0;
  double heading = 0.0;
  double speed = 0.0;
  double Gx = 0.0;
  double Gy = 0.0;
  double Gz = 0.0;
  double distance = 0.0;
  double AccDec = 0.0;
  double Inclination = 0.0;
};

class SessionFileWriter {
 public:
  SessionFileWriter();
  ~SessionFileWriter();
  SessionFileWriter(const SessionFileWriter&) = delete;
  SessionFileWriter& operator=(const SessionFileWriter&) = delete;

  // Makes <workspace>/TransferDb when missing, removes the session's old
  // files and creates both with their schemas and info rows. False when an
  // old file cannot be removed (the session must then be skipped: SQLite
  // would open the old file) or a file cannot be written completely.
  bool Create(const std::u16string& workspace, int32_t sessionId, const CString& modelName,
              const SessionTrackInfo& trackInfo);
  const std::u16string& SessPath() const { return m_sessPath; }
  const std::u16string& SanaPath() const { return m_sanaPath; }

  // All points in one transaction; `rcr` is taken as narrow text.
  bool WriteWayPoints(const WayPointRow* rows, int32_t count);
  // The info row "boundary": the JSON object {"LBLat", "LBLon", "RTLat",
  // "RTLon"} of the lower-left (smallest latitude and longitude) and
  // upper-right (largest latitude and longitude) corners of the track area.
  // Note the order of the arguments.
  bool WriteBoundary(double lbLon, double lbLat, double rtLat, double rtLon);
  // Rows of the analysis file; names are narrow text of at most 32 bytes.
  bool WriteBeacon(const BeaconRec& beacon);
  bool WriteLap(const LapRec& lap);
  bool WriteSector(const SectorRec& sector);
  // Removes the sectors of a lap that the lap engine aborted.
  bool DeleteLapSectors(int32_t lapId);
  // Opens the analysis file unless it is open; true when it is.
  bool Reopen();
  // Closes the analysis file's connection (the next write opens it again).
  void Close();

 private:
  SqliteHandle m_sanaDb;
  std::u16string m_sessPath;
  std::u16string m_sanaPath;
};
