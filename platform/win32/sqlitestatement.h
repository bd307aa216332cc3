// SQLite connections and statements with one owner each, and a prepared
// statement with binding by position, stepping and column reads: the one
// statement pattern of the databases above this layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// Closes the connection once its last statement is finalized.
struct SqliteCloser {
  void operator()(sqlite3* db) const;
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

struct SqliteFinalizer {
  void operator()(sqlite3_stmt* stmt) const;
};
using SqliteStmtHandle = std::unique_ptr<sqlite3_stmt, SqliteFinalizer>;

// The text of a column of the statement's current row (0-based) in UTF-16,
// taken with the length SQLite gives, valid until the next step or reset. A
// damaged file may hold a text of an odd number of bytes: its last byte is
// left out and its whole units are kept. Units are kept as stored, U+0000
// included. A NULL (or a failed conversion) reads as a view whose data() is
// null; an empty text as an empty view that is not.
std::u16string_view SqliteColumnText16(sqlite3_stmt* stmt, int column);

// One prepared statement (the first of the text), finalized by the
// destructor. A statement that could not be prepared (no connection, bad SQL)
// is not ok(): binding it does nothing, and every step fails.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool ok() const { return m_stmt != nullptr; }
  // The raw statement, for binders and readers of a whole row.
  sqlite3_stmt* get() const { return m_stmt.get(); }

  // Binding by 1-based position; texts and bytes are copied by SQLite. An
  // empty text or blob is bound as such, never as NULL.
  SqliteStatement& Bind(int index, int32_t value);
  SqliteStatement& Bind(int index, int64_t value);
  SqliteStatement& Bind(int index, double value);
  SqliteStatement& Bind(int index, std::u16string_view text);  // UTF-16
  SqliteStatement& Bind(int index, std::string_view text);     // UTF-8
  SqliteStatement& BindBlob(int index, std::string_view bytes);

  // One step of a writer, then a reset whatever its result (the bindings
  // stay); true when the statement ran to its end.
  bool Run();
  // One step of a reader; true while a row is there.
  bool NextRow();
  // Back to the start, for the next rows of a reader (the bindings stay).
  void Reset();

  // Columns of the current row, 0-based; NULL reads as 0 or empty.
  int32_t Int(int column) const;
  int64_t Int64(int column) const;
  double Double(int column) const;
  std::u16string Text16(int column) const;
  // The same text without a copy, valid until the next step or reset.
  std::u16string_view Text16View(int column) const;
  // The column's bytes as they are stored (a text as UTF-8).
  std::string Bytes(int column) const;

 private:
  SqliteStmtHandle m_stmt;
};
