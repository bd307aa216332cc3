#include "appcore/UserInfoDb.h"

#include "appcore/AppSqlite.h"
#include "appcore/EnsureFolder.h"
#include "datafiles/DataFiles.h"
#include "platform/win32/format.h"
#include "platform/win32/timeutil.h"

namespace {

constexpr const char* kCreateUserInfo =
    "CREATE TABLE IF NOT EXISTS UserInfo (id INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER, gender INTEGER, token "
    "TEXT, email TEXT, name TEXT, country TEXT, language TEXT, lastTime TEXT);";

// The save's time in UTC: a change of the computer's zone between two saves
// does not reorder them.
std::u16string UtcTimeText() {
  SYSTEMTIME t{};
  GetSystemTime(&t);
  return FormatW(u"%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

}  // namespace

bool UserInfoDb::Create(const std::u16string& userData) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_path = TransferDbToolPath(userData);
  if (!EnsureFolder(UserTransferFolder(userData), FolderParents::kCreate)) return false;
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  return db && ExecAppSql(db.get(), kCreateUserInfo);
}

void UserInfoDb::GetLastUser(UserInfoRecord& out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_cache.uid < 1) {
    SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
    AppStmt select(db.get(),
                   "SELECT uid,gender,token,email,name,country,language FROM UserInfo ORDER BY lastTime DESC, id DESC "
                   "LIMIT 1;");
    if (select.NextRow()) {
      m_cache.uid = select.Int(0);
      m_cache.gender = select.Int(1);
      m_cache.token = select.Text(2);
      // The request fields end the token at its first zero: a token that
      // holds one would go out as another. It is no token; the user logs in
      // again.
      if (m_cache.token.Find(u'\0') >= 0) m_cache.token.Empty();
      m_cache.email = select.Text(3);
      m_cache.name = select.Text(4);
      m_cache.country = select.Text(5);
      m_cache.language = select.Text(6);
    }
  }
  out = m_cache;
}

bool UserInfoDb::Save(const UserInfoRecord& r) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_cache = r;
  const std::u16string lastTime = UtcTimeText();
  SqliteHandle db = OpenAppDb(m_path, AppDbMode::kPrivate);
  if (!db) return false;
  AppTransaction transaction(db.get());
  if (!transaction.ok()) return false;
  AppStmt count(db.get(), "SELECT COUNT(*) AS cnt FROM UserInfo WHERE uid = ?;");
  count.Bind(1, r.uid);
  const bool stored = count.NextRow() && count.Int(0) > 0;
  count.Reset();
  bool ok;
  if (stored) {
    // The saved row takes the highest id, which orders the saves made within
    // one second of the time text.
    AppStmt update(db.get(),
                   "UPDATE UserInfo SET id=(SELECT MAX(id) FROM UserInfo)+1, gender=?, token=?, email=?, name=?, "
                   "country=?, language=?, lastTime=? WHERE uid=?;");
    update.Bind(1, r.gender).Bind(2, r.token).Bind(3, r.email).Bind(4, r.name).Bind(5, r.country);
    ok = update.Bind(6, r.language).Bind(7, lastTime).Bind(8, r.uid).Run();
  } else {
    AppStmt insert(db.get(),
                   "INSERT INTO UserInfo(uid,gender,token,email,name,country,language,lastTime) "
                   "VALUES(?,?,?,?,?,?,?,?);");
    insert.Bind(1, r.uid).Bind(2, r.gender).Bind(3, r.token).Bind(4, r.email).Bind(5, r.name);
    ok = insert.Bind(6, r.country).Bind(7, r.language).Bind(8, lastTime).Run();
  }
  return ok && transaction.Commit();
}
