#include "appcore/SessionFileWriter.h"

#include <cstdint>

#include "appcore/AppSqlite.h"
#include "appcore/EnsureFolder.h"
#include "datafiles/DataFiles.h"
#include "platform/win32/files.h"
#include "platform/win32/format.h"
#include "webclient/JsonValue.h"

namespace {

constexpr const char* kSessSchema =
    "CREATE TABLE POI (id integer PRIMARY KEY AUTOINCREMENT, name text, wp_id int);"
    "CREATE TABLE WayPoints(id INTEGER PRIMARY KEY AUTOINCREMENT,rcr char(1),time INTEGER,ms INTEGER,lat REAL,lon "
    "REAL,altitude REAL,heading REAL,speed REAL,Gx REAL,Gy REAL,Gz REAL,distance REAL,AccDec REAL,Inclination REAL);"
    "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);";

constexpr const char* kSanaSchema =
    "CREATE TABLE beacon(name TEXT, type INTEGER, lat REAL, lon REAL, heading REAL, width INTEGER, color INTEGER);"
    "CREATE TABLE condition(name TEXT, type INTEGER, unit INTEGER, bOfficial INTEGER, condi_1 REAL, condi_2 REAL, "
    "condi_3 REAL);"
    "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);"
    "CREATE TABLE lap(id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,bFailed boolean,start_wp INTEGER,"
    "start_inter_lat REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon REAL,"
    "duration REAL,distance REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);"
    "CREATE TABLE sector(id INTEGER,lap_id INTEGER,name TEXT,bFailed boolean,start_wp INTEGER,start_inter_lat "
    "REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon REAL,duration REAL,distance "
    "REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);";

constexpr int32_t kLapGearVersion = 1573516800;

struct InfoRow {
  const char* name;
  CString value;
};

// Every info value is bound, so quotes and any letters are stored as given.
bool InsertInfoRows(sqlite3* db, std::initializer_list<InfoRow> rows) {
  AppStmt insert(db, "INSERT INTO info (name, value) VALUES (?, ?);");
  bool ok = insert.ok();
  for (const InfoRow& row : rows) ok = insert.BindNarrow(1, row.name, SIZE_MAX).Bind(2, row.value).Run() && ok;
  return ok;
}

// A leftover journal would be rolled back into the new file of that name.
bool RemoveOldFile(const std::u16string& path) {
  for (const char16_t* suffix : {u"", u"-journal", u"-wal", u"-shm"}) {
    std::u16string name = path + suffix;
    if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    DeleteFileW(name.c_str());
    if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  }
  return true;
}

bool CreateDbFile(const std::u16string& path, const char* schema, std::initializer_list<InfoRow> info) {
  SqliteHandle db = OpenAppDb(path, AppDbMode::kScratch);
  if (!db) return false;
  AppTransaction transaction(db.get());
  return transaction.ok() && ExecAppSql(db.get(), schema) && InsertInfoRows(db.get(), info) && transaction.Commit();
}

}  // namespace

SessionFileWriter::SessionFileWriter() = default;
SessionFileWriter::~SessionFileWriter() = default;

bool SessionFileWriter::Create(const std::u16string& workspace, int32_t sessionId, const CString& modelName,
                               const SessionTrackInfo& track) {
  Close();
  m_sessPath = SessionFilePath(workspace, SessionFile::kSess, sessionId);
  m_sanaPath = SessionFilePath(workspace, SessionFile::kSana, sessionId);
  if (!EnsureFolder(WorkspaceTransferFolder(workspace), FolderParents::kMustExist) || !RemoveOldFile(m_sessPath) ||
      !RemoveOldFile(m_sanaPath))
    return false;

  const bool sess = CreateDbFile(m_sessPath, kSessSchema,
                                 {{"version", u"1.0"},
                                  {"type", u"kdbSession"},
                                  {"serial", u""},
                                  {"frequency", u""},
                                  {"CreateBy", u"KRX"},
                                  {"model", modelName}});
  const bool sana = CreateDbFile(m_sanaPath, kSanaSchema,
                                 {{"version", u"1.0"},
                                  {"C/B_bOfficial", track.bOfficial == 1 ? u"1" : u"0"},
                                  {"C/B_id", track.id},
                                  {"C/B_name", track.name},
                                  {"C/B_uDate", track.uDate},
                                  {"RaceType", track.raceType},
                                  {"C/B_type", track.type},
                                  {"LapGearVer", FormatW(u"%d", kLapGearVersion)}});
  return sess && sana;
}

bool SessionFileWriter::Reopen() {
  if (!m_sanaDb) m_sanaDb = OpenAppDb(m_sanaPath, AppDbMode::kScratch);
  return m_sanaDb != nullptr;
}

void SessionFileWriter::Close() { m_sanaDb.reset(); }

bool SessionFileWriter::WriteWayPoints(const WayPointRow* rows, int32_t count) {
  if (count < 0 || (count > 0 && rows == nullptr)) return false;
  SqliteHandle db = OpenAppDb(m_sessPath, AppDbMode::kScratch);
  if (!db) return false;
  AppStmt insert(db.get(),
                 "INSERT INTO WayPoints(id,rcr,time,ms,lat,lon,altitude,heading,speed,Gx,Gy,Gz,distance,AccDec,"
                 "Inclination) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
  AppTransaction transaction(db.get());
  bool ok = insert.ok() && transaction.ok();
  for (int32_t i = 0; ok && i < count; ++i) {
    const WayPointRow& r = rows[i];
    insert.Bind(1, r.id).BindNarrow(2, r.rcr, sizeof r.rcr).Bind(3, r.time).Bind(4, r.ms).Bind(5, r.lat);
    insert.Bind(6, r.lon).Bind(7, r.altitude).Bind(8, r.heading).Bind(9, r.speed).Bind(10, r.Gx).Bind(11, r.Gy);
    insert.Bind(12, r.Gz).Bind(13, r.distance).Bind(14, r.AccDec).Bind(15, r.Inclination);
    ok = insert.Run();
  }
  return ok && transaction.Commit();
}

bool SessionFileWriter::WriteBoundary(double lbLon, double lbLat, double rtLat, double rtLon) {
  CJsonValue box(JSON_OBJECT);
  box.AddMember(u"LBLat", CJsonValue(lbLat));
  box.AddMember(u"LBLon", CJsonValue(lbLon));
  box.AddMember(u"RTLat", CJsonValue(rtLat));
  box.AddMember(u"RTLon", CJsonValue(rtLon));
  SqliteHandle db = OpenAppDb(m_sessPath, AppDbMode::kScratch);
  AppStmt insert(db.get(), "INSERT INTO info(name, value) VALUES ('boundary', ?);");
  return insert.Bind(1, box.Stringify(u"", true)).Run();
}

bool SessionFileWriter::WriteBeacon(const BeaconRec& b) {
  if (!Reopen()) return false;
  AppStmt insert(m_sanaDb.get(), "INSERT INTO beacon(name,type,lat,lon,heading,width,color) VALUES(?,?,?,?,?,?,?);");
  insert.BindNarrow(1, b.name, sizeof b.name).Bind(2, b.type).Bind(3, b.lat).Bind(4, b.lon).Bind(5, b.heading);
  return insert.Bind(6, b.width).Bind(7, b.color).Run();
}

bool SessionFileWriter::WriteLap(const LapRec& l) {
  if (!Reopen()) return false;
  AppStmt insert(m_sanaDb.get(),
                 "INSERT INTO lap(id,name,bFailed,start_wp,start_inter_lat,start_inter_lon,finish_wp,finish_inter_lat,"
                 "finish_inter_lon,duration,distance,MaxSpd,MinSpd,AvgSpd,MaxG,MinG,AvgG) "
                 "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
  insert.Bind(1, l.id).BindNarrow(2, l.name, sizeof l.name).Bind(3, l.bFailed).Bind(4, l.start_wp);
  insert.Bind(5, l.start_inter_lat).Bind(6, l.start_inter_lon).Bind(7, l.finish_wp).Bind(8, l.finish_inter_lat);
  insert.Bind(9, l.finish_inter_lon).Bind(10, l.duration).Bind(11, l.distance).Bind(12, l.MaxSpd);
  insert.Bind(13, l.MinSpd).Bind(14, l.AvgSpd).Bind(15, l.MaxG).Bind(16, l.MinG).Bind(17, l.AvgG);
  return insert.Run();
}

bool SessionFileWriter::WriteSector(const SectorRec& s) {
  if (!Reopen()) return false;
  AppStmt insert(m_sanaDb.get(),
                 "INSERT INTO sector(id,lap_id,name,bFailed,start_wp,start_inter_lat,start_inter_lon,finish_wp,"
                 "finish_inter_lat,finish_inter_lon,duration,distance,MaxSpd,MinSpd,AvgSpd,MaxG,MinG,AvgG) "
                 "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);");
  insert.Bind(1, s.id).Bind(2, s.lap_id).BindNarrow(3, s.name, sizeof s.name).Bind(4, s.bFailed);
  insert.Bind(5, s.start_wp).Bind(6, s.start_inter_lat).Bind(7, s.start_inter_lon).Bind(8, s.finish_wp);
  insert.Bind(9, s.finish_inter_lat).Bind(10, s.finish_inter_lon).Bind(11, s.duration).Bind(12, s.distance);
  insert.Bind(13, s.MaxSpd).Bind(14, s.MinSpd).Bind(15, s.AvgSpd).Bind(16, s.MaxG).Bind(17, s.MinG);
  return insert.Bind(18, s.AvgG).Run();
}

bool SessionFileWriter::DeleteLapSectors(int32_t lapId) {
  if (!Reopen()) return false;
  AppStmt remove(m_sanaDb.get(), "DELETE FROM sector WHERE lap_id=?;");
  return remove.Bind(1, lapId).Run();
}
