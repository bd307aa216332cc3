#include "uploader/AppSqlite.h"

#include <cstring>
#include <filesystem>

#include "platform/win32/filehandle.h"
#include "platform/win32/files.h"

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
  int rc = sqlite3_open16(path.c_str(), &raw);
  SqliteHandle db(raw);  // a failed open still hands back a handle to close
  if (rc != SQLITE_OK) return nullptr;
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  // The per-session files are rebuilt from scratch on every attempt, so a
  // crash can cost nothing that a retry does not write again.
  if (mode == AppDbMode::kScratch && !ExecAppSql(db.get(), "PRAGMA synchronous=OFF; PRAGMA journal_mode=MEMORY;"))
    return nullptr;
  return db;
}

bool ExecAppSql(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

AppStmt::AppStmt(sqlite3* db, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  if (db != nullptr && sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) == SQLITE_OK)
    m_stmt.reset(raw);
  else
    sqlite3_finalize(raw);
}

AppStmt& AppStmt::Bind(int index, int32_t value) {
  if (m_stmt) sqlite3_bind_int(m_stmt.get(), index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, int64_t value) {
  if (m_stmt) sqlite3_bind_int64(m_stmt.get(), index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, double value) {
  if (m_stmt) sqlite3_bind_double(m_stmt.get(), index, value);
  return *this;
}

AppStmt& AppStmt::Bind(int index, const std::u16string& text) {
  if (m_stmt)
    sqlite3_bind_text16(m_stmt.get(), index, text.data(), static_cast<int>(text.size() * sizeof(char16_t)),
                        SQLITE_TRANSIENT);
  return *this;
}

AppStmt& AppStmt::Bind(int index, const CString& text) { return Bind(index, text.Str()); }

AppStmt& AppStmt::BindNarrow(int index, const char* text, size_t maxBytes) {
  if (m_stmt) {
    size_t n = text ? strnlen(text, maxBytes) : 0;
    sqlite3_bind_text(m_stmt.get(), index, text ? text : "", static_cast<int>(n), SQLITE_TRANSIENT);
  }
  return *this;
}

bool AppStmt::Run() {
  if (!m_stmt) return false;
  int rc = sqlite3_step(m_stmt.get());
  sqlite3_reset(m_stmt.get());
  return rc == SQLITE_DONE;
}

bool AppStmt::NextRow() { return m_stmt && sqlite3_step(m_stmt.get()) == SQLITE_ROW; }

void AppStmt::Reset() {
  if (m_stmt) sqlite3_reset(m_stmt.get());
}

int32_t AppStmt::Int(int column) const { return sqlite3_column_int(m_stmt.get(), column); }

double AppStmt::Double(int column) const { return sqlite3_column_double(m_stmt.get(), column); }

CString AppStmt::Text(int column) const {
  const void* text = sqlite3_column_text16(m_stmt.get(), column);
  if (text == nullptr) return CString();
  int bytes = sqlite3_column_bytes16(m_stmt.get(), column);
  return CString(std::u16string(static_cast<const char16_t*>(text), static_cast<size_t>(bytes) / sizeof(char16_t)));
}

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
