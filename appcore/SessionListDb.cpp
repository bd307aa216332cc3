#include "appcore/SessionListDb.h"

#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "appcore/AppSqlite.h"
#include "appcore/RegistrySettings.h"
#include "appcore/TransferFolders.h"
#include "platform/win32/files.h"

namespace {

using IntField = int32_t SessionSummary::*;
using DoubleField = double SessionSummary::*;
using TextField = CString SessionSummary::*;

struct Column {
  const char* name;
  std::variant<IntField, DoubleField, TextField> field;
  const char* type;  // as the table declares it
};

// The columns of SessList in table order, each with the record field it
// holds and its declaration; every statement is made from this table.
const Column kColumns[] = {
    {"id", &SessionSummary::id, "INTEGER PRIMARY KEY AUTOINCREMENT"},
    {"gid", &SessionSummary::gid, "INTEGER"},
    {"uid", &SessionSummary::uid, "INTEGER"},
    {"respCode", &SessionSummary::respCode, "INTEGER DEFAULT -1"},
    {"nickName", &SessionSummary::nickName, "TEXT"},
    {"raceType", &SessionSummary::raceType, "INTEGER"},
    {"mapId", &SessionSummary::mapId, "INTEGER"},
    {"mName", &SessionSummary::mName, "TEXT"},
    {"folder", &SessionSummary::folder, "TEXT"},
    {"unit", &SessionSummary::unit, "INTEGER"},
    {"timezone", &SessionSummary::timezone, "INTEGER"},
    {"startDateTime", &SessionSummary::startDateTime, "TEXT"},
    {"startTime", &SessionSummary::startTime, "INTEGER"},
    {"duration", &SessionSummary::duration, "DOUBLE"},
    {"distance", &SessionSummary::distance, "DOUBLE"},
    {"maxSpd", &SessionSummary::maxSpd, "DOUBLE"},
    {"minSpd", &SessionSummary::minSpd, "DOUBLE"},
    {"avgSpd", &SessionSummary::avgSpd, "DOUBLE"},
    {"maxAlt", &SessionSummary::maxAlt, "DOUBLE"},
    {"minAlt", &SessionSummary::minAlt, "DOUBLE"},
    {"avgAlt", &SessionSummary::avgAlt, "DOUBLE"},
    {"maxG", &SessionSummary::maxG, "DOUBLE"},
    {"minG", &SessionSummary::minG, "DOUBLE"},
    {"avgG", &SessionSummary::avgG, "DOUBLE"},
    {"laps", &SessionSummary::laps, "INTEGER"},
    {"bestLap", &SessionSummary::bestLap, "INTEGER"},
    {"strBestLapTime", &SessionSummary::strBestLapTime, "TEXT"},
    {"bestLapTime", &SessionSummary::bestLapTime, "DOUBLE"},
    {"desc", &SessionSummary::desc, "TEXT"},
};

// The row id and the upload result are the table's own: an insert leaves them
// to the autoincrement and the column default.
bool IsInsertColumn(const Column& c) {
  return std::get_if<IntField>(&c.field) == nullptr || (std::get<IntField>(c.field) != &SessionSummary::id &&
                                                        std::get<IntField>(c.field) != &SessionSummary::respCode);
}

const std::string& InsertSql() {
  static const std::string sql = [] {
    std::string names, marks;
    for (const Column& c : kColumns) {
      if (!IsInsertColumn(c)) continue;
      if (!names.empty()) {
        names += ",";
        marks += ",";
      }
      names += c.name;
      marks += "?";
    }
    return "INSERT INTO SessList(" + names + ") VALUES(" + marks + ");";
  }();
  return sql;
}

const std::string& CreateSql() {
  static const std::string sql = [] {
    std::string columns;
    for (const Column& c : kColumns) {
      if (!columns.empty()) columns += ", ";
      columns += std::string(c.name) + " " + c.type;
    }
    return "CREATE TABLE IF NOT EXISTS SessList (" + columns + ");";
  }();
  return sql;
}

// "SELECT <every column> FROM SessList <tail>"
std::string SelectRowsSql(const char* tail) {
  std::string names;
  for (const Column& c : kColumns) {
    if (!names.empty()) names += ",";
    names += c.name;
  }
  return "SELECT " + names + " FROM SessList " + tail;
}

void BindSummary(AppStmt& stmt, const SessionSummary& s) {
  int index = 0;
  for (const Column& c : kColumns) {
    if (!IsInsertColumn(c)) continue;
    ++index;
    std::visit([&](auto field) { stmt.Bind(index, s.*field); }, c.field);
  }
}

void ReadSummary(const AppStmt& stmt, SessionSummary& s) {
  int column = 0;
  for (const Column& c : kColumns) {
    if (auto f = std::get_if<IntField>(&c.field))
      s.** f = stmt.Int(column);
    else if (auto d = std::get_if<DoubleField>(&c.field))
      s.** d = stmt.Double(column);
    else
      s.*std::get<TextField>(c.field) = stmt.Text(column);
    ++column;
  }
}

// What Sync needs of a stored row.
struct StoredRow {
  int32_t id;
  int32_t respCode;
  int32_t raceType;
  CString mName;
  CString desc;
};

bool InsertOn(sqlite3* db, const SessionSummary& s) {
  if (s.folder.IsEmpty()) return false;
  AppStmt insert(db, InsertSql().c_str());
  BindSummary(insert, s);
  return insert.Run();
}

}  // namespace

bool SessionListDb::Create(const std::u16string& workspace, const std::u16string& userData) {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::u16string folder = WorkspaceTransferFolder(workspace);
  m_userData = userData;
  m_path = folder + PATH_SEP_STR + u"SessionList.db";
  if (!EnsureFolder(folder, FolderParents::kMustExist)) return false;
  SqliteHandle db = OpenAppDb(m_path);
  return db && ExecAppSql(db.get(), CreateSql().c_str());
}

bool SessionListDb::Create() { return Create(GetWorkspaceLocation().Str(), UserDataFolder()); }

bool SessionListDb::Sync(const SessionSummary* summaries, int32_t count) {
  // A bad count must not read as an empty scan, which would delete every row.
  if (count < 0 || (count > 0 && summaries == nullptr)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppTransaction transaction(db.get());
  if (!transaction.ok()) return false;

  // Every stored row by its folder, read once: the folder column has no
  // index, so the rows are reached by id from here on. Each folder keeps
  // the count of its rows that no summary has claimed yet.
  struct Folder {
    std::vector<StoredRow> rows;
    size_t unclaimed = 0;
  };
  std::unordered_map<std::u16string, Folder> stored;
  stored.reserve(static_cast<size_t>(count));
  {
    AppStmt rows(db.get(), "SELECT id, folder, respCode, raceType, mName, desc FROM SessList;");
    while (rows.NextRow()) {
      Folder& folder = stored[rows.Text(1).Str()];
      folder.rows.push_back({rows.Int(0), rows.Int(2), rows.Int(3), rows.Text(4), rows.Text(5)});
      ++folder.unclaimed;
    }
  }
  for (int32_t i = 0; i < count; ++i) {
    auto it = stored.find(summaries[i].folder.Str());
    if (it != stored.end() && it->second.unclaimed > 0) --it->second.unclaimed;
  }
  // What no summary claimed whole has left the workspace: every row of it goes.
  bool ok = true;
  AppStmt remove(db.get(), "DELETE FROM SessList WHERE id = ?;");
  for (auto it = stored.begin(); it != stored.end();) {
    if (it->second.unclaimed == 0) {
      ++it;
      continue;
    }
    for (const StoredRow& row : it->second.rows) ok = remove.Bind(1, row.id).Run() && ok;
    it = stored.erase(it);
  }

  // A row that changes keeps its statistics; one already uploaded keeps
  // everything. A value that is already stored is not written again.
  AppStmt update(db.get(), "UPDATE SessList SET raceType=?, mName=?, desc=? WHERE respCode!=0 AND id=?;");
  for (int32_t i = 0; i < count; ++i) {
    const SessionSummary& s = summaries[i];
    if (s.folder.IsEmpty()) continue;
    auto it = stored.find(s.folder.Str());
    if (it == stored.end()) {
      const bool inserted = InsertOn(db.get(), s);
      ok = inserted && ok;
      if (inserted)
        stored[s.folder.Str()].rows.push_back(
            {static_cast<int32_t>(sqlite3_last_insert_rowid(db.get())), -1, s.raceType, s.mName, s.desc});
      continue;
    }
    for (StoredRow& row : it->second.rows) {
      if (row.respCode == 0 || (row.raceType == s.raceType && row.mName == s.mName && row.desc == s.desc)) continue;
      ok = update.Bind(1, s.raceType).Bind(2, s.mName).Bind(3, s.desc).Bind(4, row.id).Run() && ok;
      row.raceType = s.raceType, row.mName = s.mName, row.desc = s.desc;
    }
  }
  return transaction.Commit() && ok;
}

bool SessionListDb::Insert(const SessionSummary& summary) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (summary.folder.IsEmpty()) return false;
  SqliteHandle db = OpenAppDb(m_path);
  return db && InsertOn(db.get(), summary);
}

bool SessionListDb::UpdateStats(int32_t id, const SessionStatsUpdate& st) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt update(db.get(),
                 "UPDATE SessList SET mapId=?, duration=?, maxSpd=?, minSpd=?, avgSpd=?, maxAlt=?, minAlt=?, "
                 "avgAlt=?, maxG=?, minG=?, avgG=?, laps=?, bestLap=?, bestLapTime=?, strBestLapTime=? WHERE id=?;");
  update.Bind(1, st.mapId).Bind(2, st.duration).Bind(3, st.maxSpd).Bind(4, st.minSpd).Bind(5, st.avgSpd);
  update.Bind(6, st.maxAlt).Bind(7, st.minAlt).Bind(8, st.avgAlt).Bind(9, st.maxG).Bind(10, st.minG);
  update.Bind(11, st.avgG).Bind(12, st.laps).Bind(13, st.bestLap).Bind(14, st.bestLapTime);
  update.Bind(15, st.strBestLapTime).Bind(16, id);
  return update.Run() && sqlite3_changes(db.get()) > 0;
}

bool SessionListDb::SetUploadIds(int32_t id, int32_t gid, int32_t uid) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt update(db.get(), "UPDATE SessList SET gid=?, uid=? WHERE id=?;");
  return update.Bind(1, gid).Bind(2, uid).Bind(3, id).Run() && sqlite3_changes(db.get()) > 0;
}

bool SessionListDb::SetRespCode(int32_t id, int32_t respCode) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt update(db.get(), "UPDATE SessList SET respCode=? WHERE id=?;");
  return update.Bind(1, respCode).Bind(2, id).Run() && sqlite3_changes(db.get()) > 0;
}

bool SessionListDb::IsListable(const CString& mName) const {
  std::u16string folder = TrackMapFolder(m_userData, mName.Str());
  return !folder.empty() && PathFileExistsW(folder.c_str());
}

int32_t SessionListDb::CountTracksWithFolder(int32_t raceType) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return 0;
  AppStmt select(db.get(), "SELECT mName FROM SessList WHERE mName!='' AND raceType=?;");
  select.Bind(1, raceType);
  int32_t n = 0;
  while (select.NextRow())
    if (IsListable(select.Text(0))) ++n;
  return n;
}

int32_t SessionListDb::ReadListable(const char* tail, int32_t raceType, bool bindRaceType, SessionSummary* out,
                                    int32_t capacity) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (out == nullptr || capacity < 1) return 0;
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return 0;
  AppStmt select(db.get(), SelectRowsSql(tail).c_str());
  if (bindRaceType) select.Bind(1, raceType);
  int32_t filled = 0;
  while (filled < capacity && select.NextRow()) {
    SessionSummary row;
    ReadSummary(select, row);
    if (IsListable(row.mName)) out[filled++] = std::move(row);
  }
  return filled;
}

int32_t SessionListDb::GetSessionsByRaceType(int32_t raceType, SessionSummary* out, int32_t capacity) {
  return ReadListable("WHERE mName!='' AND raceType=? ORDER BY startTime DESC;", raceType, true, out, capacity);
}

int32_t SessionListDb::GetCircuitSessions(SessionSummary* out, int32_t capacity) {
  return ReadListable("WHERE mName!='' AND raceType BETWEEN 0 AND 3 ORDER BY startTime DESC;", 0, false, out, capacity);
}

int32_t SessionListDb::CountByRaceType(int32_t raceType) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return 0;
  AppStmt select(db.get(), "SELECT COUNT(*) AS cnt FROM SessList WHERE raceType=?;");
  select.Bind(1, raceType);
  return select.NextRow() ? select.Int(0) : 0;
}

bool SessionListDb::GetById(int32_t id, SessionSummary& out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt select(db.get(), SelectRowsSql("WHERE id = ?;").c_str());
  select.Bind(1, id);
  if (!select.NextRow()) return false;
  ReadSummary(select, out);
  return true;
}

bool SessionListDb::IsUploaded(int32_t id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt select(db.get(), "SELECT respCode FROM SessList WHERE id = ?;");
  select.Bind(1, id);
  return select.NextRow() && select.Int(0) == kRespUploaded;
}
