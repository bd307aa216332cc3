#include "appcore/AppSqlite.h"

#include <cstring>
#include <filesystem>

#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"
#include "platform/win32/sqlitevfs.h"
#include "platform/win32/utf.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;

// A file that holds a credential is made before SQLite opens it, so that it
// never exists with wider rights; an empty file is a new database to SQLite.
bool MakePrivateFile(const std::u16string& path) {
  if (!PathFileExistsW(path.c_str())) {
    FileHandle f(path.c_str(), "ab");
    if (!f || !f.Close()) return false;
  }
  std::error_code ec;
  std::filesystem::permissions(PathToNative(path.c_str()),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::replace, ec);
  return !ec;
}

}  // namespace

SqliteHandle OpenAppDb(const std::u16string& path, AppDbMode mode) {
  if (path.empty()) return nullptr;
  if (mode == AppDbMode::kPrivate && !MakePrivateFile(path)) return nullptr;
  sqlite3* raw = nullptr;
  // Each connection lives in one call of one thread (the database objects
  // open one per operation, under their own lock), so SQLite's per-call
  // locking is not needed.
  int rc =
      OpenSqlite(Utf16ToUtf8(path).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
  SqliteHandle db(raw);  // a failed open still hands back a handle to close
  // A new file stores its texts as UTF-16; an existing one keeps its own.
  if (rc != SQLITE_OK || !ExecAppSql(db.get(), "PRAGMA encoding = 'UTF-16';")) return nullptr;
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // The per-session files are rebuilt from scratch on every attempt, so a
  // crash can cost nothing that a retry does not write again.
  if (mode == AppDbMode::kScratch && !ExecAppSql(db.get(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;"))
    return nullptr;
  return db;
}

bool ExecAppSql(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

AppStmt::AppStmt(sqlite3* db, const char* sql) : m_stmt(db, sql ? std::string_view(sql) : std::string_view()) {}

AppStmt& AppStmt::Bind(int index, int32_t value) {
  m_stmt.Bind(index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, int64_t value) {
  m_stmt.Bind(index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, double value) {
  m_stmt.Bind(index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, const std::u16string& text) {
  m_stmt.Bind(index, std::u16string_view(text));
  return *this;
}

AppStmt& AppStmt::Bind(int index, const CString& text) { return Bind(index, text.Str()); }

AppStmt& AppStmt::BindNarrow(int index, const char* text, size_t maxBytes) {
  m_stmt.Bind(index, text ? std::string_view(text, strnlen(text, maxBytes)) : std::string_view());
  return *this;
}

bool AppStmt::Run() { return m_stmt.Run(); }

bool AppStmt::NextRow() { return m_stmt.NextRow(); }

void AppStmt::Reset() { m_stmt.Reset(); }

int32_t AppStmt::Int(int column) const { return m_stmt.Int(column); }

double AppStmt::Double(int column) const { return m_stmt.Double(column); }

CString AppStmt::Text(int column) const { return CString(m_stmt.Text16(column)); }

AppTransaction::AppTransaction(sqlite3* db) : m_db(db) { m_open = ExecAppSql(db, "BEGIN IMMEDIATE;"); }

AppTransaction::~AppTransaction() {
  if (m_open) ExecAppSql(m_db, "ROLLBACK;");
}

bool AppTransaction::Commit() {
  if (!m_open) return false;
  if (!ExecAppSql(m_db, "COMMIT;")) return false;  // still open: the destructor rolls back
  m_open = false;
  return true;
}
