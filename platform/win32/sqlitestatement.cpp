#include "platform/win32/sqlitestatement.h"

#include <sqlite3.h>

#include <climits>

namespace {

// SQLite keeps statistics of its memory under a lock that every allocation
// takes; nothing here reads them. They are turned off before SQLite starts,
// while the program is still one thread (at load, before main).
const bool kNoMemoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;

}  // namespace

std::u16string_view SqliteColumnText16(sqlite3_stmt* stmt, int column) {
  // The text first, then its length: the length is that of the text as
  // converted, which the call for the text may have done.
  const void* text = sqlite3_column_text16(stmt, column);
  if (text == nullptr) return {};
  const int bytes = sqlite3_column_bytes16(stmt, column);
  return {static_cast<const char16_t*>(text), static_cast<size_t>(bytes < 0 ? 0 : bytes) / sizeof(char16_t)};
}

void SqliteCloser::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void SqliteFinalizer::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
  if (db == nullptr || sql.size() > static_cast<size_t>(INT_MAX)) return;
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
  m_stmt.reset(raw);  // a failed prepare may still hand back a statement to finalize
  if (rc != SQLITE_OK) m_stmt.reset();
}

SqliteStatement& SqliteStatement::Bind(int index, int32_t value) {
  if (m_stmt) sqlite3_bind_int(m_stmt.get(), index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
  if (m_stmt) sqlite3_bind_int64(m_stmt.get(), index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
  if (m_stmt) sqlite3_bind_double(m_stmt.get(), index, value);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::u16string_view text) {
  if (m_stmt)
    sqlite3_bind_text64(m_stmt.get(), index, reinterpret_cast<const char*>(text.data() ? text.data() : u""),
                        text.size() * sizeof(char16_t), SQLITE_TRANSIENT, SQLITE_UTF16);
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text) {
  if (m_stmt)
    sqlite3_bind_text64(m_stmt.get(), index, text.data() ? text.data() : "", text.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
  return *this;
}

SqliteStatement& SqliteStatement::BindBlob(int index, std::string_view bytes) {
  if (m_stmt)
    sqlite3_bind_blob64(m_stmt.get(), index, bytes.data() ? bytes.data() : "", bytes.size(), SQLITE_TRANSIENT);
  return *this;
}

bool SqliteStatement::Run() {
  if (!m_stmt) return false;
  const int rc = sqlite3_step(m_stmt.get());
  sqlite3_reset(m_stmt.get());
  return rc == SQLITE_DONE;
}

bool SqliteStatement::NextRow() { return m_stmt && sqlite3_step(m_stmt.get()) == SQLITE_ROW; }

void SqliteStatement::Reset() {
  if (m_stmt) sqlite3_reset(m_stmt.get());
}

int32_t SqliteStatement::Int(int column) const { return sqlite3_column_int(m_stmt.get(), column); }

int64_t SqliteStatement::Int64(int column) const { return sqlite3_column_int64(m_stmt.get(), column); }

double SqliteStatement::Double(int column) const { return sqlite3_column_double(m_stmt.get(), column); }

std::u16string SqliteStatement::Text16(int column) const { return std::u16string(Text16View(column)); }

std::u16string_view SqliteStatement::Text16View(int column) const { return SqliteColumnText16(m_stmt.get(), column); }

std::string SqliteStatement::Bytes(int column) const {
  const void* bytes = sqlite3_column_blob(m_stmt.get(), column);
  if (bytes == nullptr) return std::string();
  return std::string(static_cast<const char*>(bytes), static_cast<size_t>(sqlite3_column_bytes(m_stmt.get(), column)));
}
