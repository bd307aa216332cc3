#include "appcore/TrackMapDb.h"

#include <vector>

#include "appcore/AppSqlite.h"
#include "appcore/BeaconFile.h"
#include "appcore/EnsureFolder.h"
#include "datafiles/DataFiles.h"
#include "platform/win32/download.h"
#include "platform/win32/files.h"

namespace {

// A beacon file is a few hundred bytes.
constexpr long kBeaconTimeLimitSeconds = 60;

constexpr const char* kCreateTrackMap =
    "CREATE TABLE IF NOT EXISTS TrackMap (mapId INTEGER, type TEXT, sName TEXT, uDate INTEGER);";

int32_t CountOn(sqlite3* db) {
  AppStmt count(db, "SELECT COUNT(*) AS cnt FROM TrackMap;");
  return count.NextRow() ? count.Int(0) : 0;
}

bool InsertRow(AppStmt& insert, const TrackListItem& row) {
  return insert.Bind(1, row.mapId).Bind(2, row.type).Bind(3, row.Label).Bind(4, row.uDate).Run();
}

}  // namespace

bool TrackMapDb::Create(const std::u16string& userData) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_userData = userData;
  m_path = TransferDbToolPath(userData);
  if (!EnsureFolder(UserTransferFolder(userData), FolderParents::kCreate)) return false;
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  return db && ExecAppSql(db.get(), kCreateTrackMap);
}

int32_t TrackMapDb::Count() {
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  return db ? CountOn(db.get()) : 0;
}

bool TrackMapDb::Update(const TrackListItem* rows, int32_t n) {
  if (rows == nullptr || n < 1) return false;
  std::vector<TrackListItem> fetch, changed;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
    if (!db) return false;
    AppTransaction transaction(db.get());
    if (!transaction.ok()) return false;
    const bool empty = CountOn(db.get()) == 0;
    AppStmt select(db.get(), "SELECT uDate FROM TrackMap WHERE mapId=?;");
    AppStmt insert(db.get(), "INSERT INTO TrackMap(mapId,type,sName,uDate) VALUES(?,?,?,?);");
    bool ok = true;
    for (int32_t i = 0; i < n; ++i) {
      const TrackListItem& row = rows[i];
      if (row.mapId <= 0) continue;
      if (empty) {
        ok = InsertRow(insert, row) && ok;
        fetch.push_back(row);
        continue;
      }
      select.Bind(1, row.mapId);
      const bool stored = select.NextRow();
      const int32_t storedDate = stored ? select.Int(0) : 0;
      select.Reset();
      if (!stored) {
        ok = InsertRow(insert, row) && ok;
        fetch.push_back(row);
      } else if (row.uDate > storedDate) {
        changed.push_back(row);
      } else {
        // A transfer that failed earlier, or a file that is not a beacon
        // file, is fetched again.
        std::u16string target = BeaconFilePath(m_userData, row.Label.Str());
        if (!target.empty() && !IsWholeBeaconFile(target.c_str())) fetch.push_back(row);
      }
    }
    if (!transaction.Commit() || !ok) return false;
  }
  DownloadBeacons(fetch.data(), static_cast<int32_t>(fetch.size()));

  // A changed map takes its new date only once its new beacon file is in
  // place: until then the stored date keeps it changed, and the next list
  // fetches it again.
  const std::u16string userData = UserData();
  std::vector<TrackListItem> renewed;
  for (const TrackListItem& row : changed)
    if (FetchBeacon(userData, row)) renewed.push_back(row);
  if (renewed.empty()) return true;
  std::lock_guard<std::mutex> lock(m_mutex);
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  if (!db) return false;
  AppTransaction transaction(db.get());
  AppStmt update(db.get(), "UPDATE TrackMap SET type=?, sName=?, uDate=? WHERE mapId=?;");
  bool ok = transaction.ok();
  for (const TrackListItem& row : renewed)
    ok = ok && update.Bind(1, row.type).Bind(2, row.Label).Bind(3, row.uDate).Bind(4, row.mapId).Run();
  return transaction.Commit() && ok;
}

int32_t TrackMapDb::DownloadBeacons(const TrackListItem* rows, int32_t n) {
  if (rows == nullptr || n < 1) return 0;
  const std::u16string userData = UserData();
  int32_t fetched = 0;
  for (int32_t i = 0; i < n; ++i)
    if (FetchBeacon(userData, rows[i])) ++fetched;
  return fetched;
}

std::u16string TrackMapDb::UserData() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_userData;
}

bool TrackMapDb::FetchBeacon(const std::u16string& userData, const TrackListItem& row) {
  const std::u16string target = BeaconFilePath(userData, row.Label.Str());
  // The download takes the address up to its first zero: one that goes on
  // after a zero is not the address the service gave.
  if (target.empty() || row.BCNXFile.Find(u'\0') >= 0 || !EnsureFolder(BeaconFolder(userData), FolderParents::kCreate))
    return false;
  DownloadRules rules;
  rules.timeLimitSeconds = kBeaconTimeLimitSeconds;
  rules.accept = &IsWholeBeaconFile;
  // The download itself refuses any address but http:// and https://.
  return DownloadToFile(row.BCNXFile, target.c_str(), rules) == S_OK;
}

TrackListItem TrackMapDb::FindByName(const CString& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  TrackListItem found;
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  if (!db || CountOn(db.get()) == 0) return found;
  AppStmt select(db.get(), "SELECT mapId,type,sName,uDate FROM TrackMap WHERE sName=? ORDER BY mapId DESC LIMIT 1;");
  select.Bind(1, name);
  if (select.NextRow()) {
    found.mapId = select.Int(0);
    found.type = select.Text(1);
    found.Label = select.Text(2);
    found.uDate = select.Int(3);
  }
  return found;
}
