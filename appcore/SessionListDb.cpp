#include "appcore/SessionListDb.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "appcore/AppSqlite.h"
#include "appcore/EnsureFolder.h"
#include "datafiles/DataFiles.h"
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

// What Sync brings into a stored row that is not uploaded: the session's
// category, names and start. The start changes when the zone it is shown in
// is read differently (another computer zone, an older version's reading).
// The texts are views: of the summary, or of a row until the next step.
struct SyncedValues {
  int32_t raceType, timezone, startTime;
  std::u16string_view mName, desc, startDateTime;

  static SyncedValues Of(const SessionSummary& s) {
    return {s.raceType, s.timezone, s.startTime, s.mName.Str(), s.desc.Str(), s.startDateTime.Str()};
  }
};

// The stored rows as Sync reads them: one array in table order, their texts
// in one pool and their folders in an open-addressing table, so that a list
// of many thousand sessions costs no allocation per row and a look-up
// touches a few cache lines.
class StoredRows {
 public:
  struct Text {
    uint32_t at = 0, size = 0;  // a span of the pool
  };
  struct Row {
    int32_t id, respCode, raceType, timezone, startTime;
    int32_t next = -1;      // the next row of the same folder, or -1
    int32_t unclaimed = 0;  // on a folder's first row: its rows no summary has claimed
    bool seen = false;      // on a folder's first row: a summary has claimed it
    bool gone = false;      // on a folder's first row: its rows are deleted
    size_t hash;            // of the folder
    Text folder, mName, desc, startDateTime;
  };

  // Adds a row; unless it is claimed already, it counts as unclaimed on its
  // folder's first row. The first row of a folder whose rows are gone starts
  // the folder again.
  void Add(int32_t id, int32_t respCode, std::u16string_view folder, const SyncedValues& values, bool claimed) {
    if ((m_rows.size() + 1) * 2 > m_slots.size()) Grow();
    const size_t hash = std::hash<std::u16string_view>()(folder);
    Row added{id, respCode, 0, 0, 0, -1, 0, false, false, hash, Keep(folder), {}, {}, {}};
    Take(added, values);
    m_rows.push_back(added);
    const auto row = static_cast<int32_t>(m_rows.size() - 1);
    int32_t& slot = m_slots[Slot(folder, hash)];
    if (slot < 0 || m_rows[slot].gone) {
      slot = row;
    } else {  // the folder's later rows follow its first
      m_rows[row].next = m_rows[slot].next;
      m_rows[slot].next = row;
    }
    if (!claimed) ++m_rows[slot].unclaimed;
  }

  // The first row of the folder, or -1.
  int32_t Find(std::u16string_view folder) const {
    return m_slots.empty() ? -1 : m_slots[Slot(folder, std::hash<std::u16string_view>()(folder))];
  }

  Row& operator[](int32_t row) { return m_rows[static_cast<size_t>(row)]; }

  // Whether the row needs no update to these values: it holds them, or it is
  // uploaded and keeps its own.
  bool Holds(const Row& row, const SyncedValues& v) const {
    return row.respCode == 0 ||
           (row.raceType == v.raceType && row.timezone == v.timezone && row.startTime == v.startTime &&
            View(row.mName) == v.mName && View(row.desc) == v.desc && View(row.startDateTime) == v.startDateTime);
  }
  // The same for every row of the folder that starts at `first`.
  bool AllHold(int32_t first, const SyncedValues& v) const {
    for (int32_t r = first; r >= 0; r = m_rows[static_cast<size_t>(r)].next)
      if (!Holds(m_rows[static_cast<size_t>(r)], v)) return false;
    return true;
  }
  // The row holds the values from now on.
  void Take(Row& row, const SyncedValues& v) {
    row.raceType = v.raceType, row.timezone = v.timezone, row.startTime = v.startTime;
    row.mName = Keep(v.mName), row.desc = Keep(v.desc), row.startDateTime = Keep(v.startDateTime);
  }
  size_t size() const { return m_rows.size(); }
  std::u16string_view View(Text t) const { return std::u16string_view(m_pool).substr(t.at, t.size); }
  // A copy of the text in the pool.
  Text Keep(std::u16string_view text) {
    if (m_pool.size() + text.size() > UINT32_MAX) {
      m_full = true;
      return Text{};
    }
    const Text t{static_cast<uint32_t>(m_pool.size()), static_cast<uint32_t>(text.size())};
    m_pool.append(text);
    return t;
  }
  // Whether a text did not fit the pool's 32-bit positions (and reads empty).
  bool full() const { return m_full; }

 private:
  // The folder's slot, or the empty one where it would go.
  size_t Slot(std::u16string_view folder, size_t hash) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const int32_t row = m_slots[i];
      if (row < 0) return i;
      const Row& r = m_rows[static_cast<size_t>(row)];
      if (r.hash == hash && View(r.folder) == folder) return i;
    }
  }

  void Grow() {
    std::vector<int32_t> old(std::max<size_t>(m_slots.size() * 2, 64), -1);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (int32_t row : old) {
      if (row < 0) continue;
      size_t i = m_rows[static_cast<size_t>(row)].hash & mask;
      while (m_slots[i] >= 0) i = (i + 1) & mask;
      m_slots[i] = row;
    }
  }

  std::vector<Row> m_rows;
  std::u16string m_pool;
  std::vector<int32_t> m_slots;  // a folder's first row, -1 when empty; a power of two
  bool m_full = false;
};

bool InsertOn(AppStmt& insert, const SessionSummary& s) {
  if (s.folder.IsEmpty()) return false;
  BindSummary(insert, s);
  return insert.Run();
}

}  // namespace

bool SessionListDb::Create(const std::u16string& workspace, const std::u16string& userData) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_userData = userData;
  m_path = SessionListPath(workspace);
  if (!EnsureFolder(WorkspaceTransferFolder(workspace), FolderParents::kMustExist)) return false;
  SqliteHandle db = OpenAppDb(m_path);
  return db && ExecAppSql(db.get(), CreateSql().c_str());
}

bool SessionListDb::Sync(const SessionSummary* summaries, int32_t count) {
  // A bad count must not read as an empty scan, which would delete every row.
  if (count < 0 || (count > 0 && summaries == nullptr)) return false;
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppTransaction transaction(db.get());
  if (!transaction.ok()) return false;
  // Memory that runs out half-way leaves the list as it was (rolled back);
  // a statement that fails leaves the others' work kept.
  try {
    bool ok = true;
    if (!SyncRows(db.get(), summaries, count, ok)) return false;
    return transaction.Commit() && ok;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool SessionListDb::SyncRows(sqlite3* db, const SessionSummary* summaries, int32_t count, bool& ok) {
  // Every stored row, read once: the folder column has no index, so the
  // rows are reached by id from here on.
  StoredRows stored;
  {
    AppStmt rows(
        db, "SELECT id, folder, respCode, raceType, timezone, startTime, mName, desc, startDateTime FROM SessList;");
    while (rows.NextRow()) {
      const SyncedValues values{rows.Int(3),      rows.Int(4),      rows.Int(5),
                                rows.TextView(6), rows.TextView(7), rows.TextView(8)};
      stored.Add(rows.Int(0), rows.Int(2), rows.TextView(1), values, false);
    }
  }

  // Each summary claims one row of its folder, and the first summary of a
  // folder whose rows already hold its values has nothing left to do. A
  // folder with rows that no summary claimed has left the workspace (or
  // holds more rows than sessions): every row of it goes, and a summary of
  // it is inserted anew.
  std::vector<int32_t> firstRow(static_cast<size_t>(count));
  std::vector<bool> unchanged(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const SessionSummary& s = summaries[i];
    const int32_t first = firstRow[static_cast<size_t>(i)] = stored.Find(s.folder.Str());
    if (first < 0) continue;
    StoredRows::Row& head = stored[first];
    if (head.unclaimed > 0) --head.unclaimed;
    unchanged[static_cast<size_t>(i)] = !head.seen && stored.AllHold(first, SyncedValues::Of(s));
    head.seen = true;
  }
  bool anyGone = false;
  AppStmt remove(db, "DELETE FROM SessList WHERE id = ?;");
  for (size_t first = 0; first < stored.size(); ++first) {
    if (stored[static_cast<int32_t>(first)].unclaimed == 0) continue;
    for (int32_t r = static_cast<int32_t>(first); r >= 0; r = stored[r].next)
      ok = remove.Bind(1, stored[r].id).Run() && ok;
    stored[static_cast<int32_t>(first)].gone = anyGone = true;
  }

  // A row that changes keeps its statistics, one already uploaded keeps
  // everything, and a value that is already stored is not written again. A
  // summary without a row is inserted, and a later summary of the same
  // folder finds that row.
  AppStmt insert(db, InsertSql().c_str());
  AppStmt update(db,
                 "UPDATE SessList SET raceType=?, mName=?, desc=?, timezone=?, startDateTime=?, startTime=? "
                 "WHERE respCode!=0 AND id=?;");
  for (int32_t i = 0; i < count; ++i) {
    const SessionSummary& s = summaries[i];
    if (s.folder.IsEmpty() || (unchanged[static_cast<size_t>(i)] && !anyGone)) continue;
    int32_t first = firstRow[static_cast<size_t>(i)];
    if (first < 0 || stored[first].gone) first = stored.Find(s.folder.Str());  // inserted by now?
    if (first < 0 || stored[first].gone) {
      const bool inserted = InsertOn(insert, s);
      ok = inserted && ok;
      if (inserted)
        stored.Add(static_cast<int32_t>(sqlite3_last_insert_rowid(db)), -1, s.folder.Str(), SyncedValues::Of(s), true);
      continue;
    }
    for (int32_t r = first; r >= 0; r = stored[r].next) {
      StoredRows::Row& row = stored[r];
      if (stored.Holds(row, SyncedValues::Of(s))) continue;
      update.Bind(1, s.raceType).Bind(2, s.mName).Bind(3, s.desc);
      ok = update.Bind(4, s.timezone).Bind(5, s.startDateTime).Bind(6, s.startTime).Bind(7, row.id).Run() && ok;
      stored.Take(row, SyncedValues::Of(s));
    }
  }
  // Texts beyond the pool's reach would have compared wrong: nothing is kept.
  return !stored.full();
}

bool SessionListDb::Insert(const SessionSummary& summary) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (summary.folder.IsEmpty()) return false;
  SqliteHandle db = OpenAppDb(m_path);
  if (!db) return false;
  AppStmt insert(db.get(), InsertSql().c_str());
  return InsertOn(insert, summary);
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
  static const std::string kTail = "WHERE mName!='' AND raceType BETWEEN " + std::to_string(kFirstCircuitRace) +
                                   " AND " + std::to_string(kLastCircuitRace) + " ORDER BY startTime DESC;";
  return ReadListable(kTail.c_str(), 0, false, out, capacity);
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
