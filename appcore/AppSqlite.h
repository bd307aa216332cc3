// How the application's own SQLite files are reached: the owned connection
// and statement handles, the open that every database object uses, and a
// statement with position binding and column reads. Only the sources of the
// uploader's database objects include this header.
//
// Every connection reaches its file through the program's file layer (any
// path the system takes, platform/win32/sqlitevfs.h), gives a new file the
// text encoding UTF-16, serves one thread (without SQLite's per-call
// locking), and waits up to 5 s for a lock held by another connection
// instead of failing with SQLITE_BUSY. SQL is narrow text; values are always
// bound.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classlib/CString.h"
#include "platform/win32/sqlitestatement.h"  // SqliteHandle

enum class AppDbMode {
  kShared,   // the application's list files: durable commits
  kScratch,  // per-session files rebuilt on every attempt: no sync, journal in memory
  kPrivate,  // holds a credential: a new file is made readable by its owner alone
};

// Opens (or creates) the file; null when it cannot be opened.
SqliteHandle OpenAppDb(const std::u16string& path, AppDbMode mode = AppDbMode::kShared);

// Runs statements without parameters; true when all of them succeeded.
bool ExecAppSql(sqlite3* db, const char* sql);

// One prepared statement, finalized by the destructor, with the program's
// string type. A statement that could not be prepared fails every step.
class AppStmt {
 public:
  AppStmt(sqlite3* db, const char* sql);
  AppStmt(const AppStmt&) = delete;
  AppStmt& operator=(const AppStmt&) = delete;

  bool ok() const { return m_stmt.ok(); }

  // Binding by 1-based position. Texts are copied by SQLite.
  AppStmt& Bind(int index, int32_t value);
  AppStmt& Bind(int index, int64_t value);
  AppStmt& Bind(int index, double value);
  AppStmt& Bind(int index, const CString& text);                      // UTF-16
  AppStmt& Bind(int index, const std::u16string& text);               // UTF-16
  AppStmt& BindNarrow(int index, const char* text, size_t maxBytes);  // UTF-8, stops at the first 0

  // One step of a writer, then a reset whatever its result (the bindings
  // stay); true when the statement ran to its end.
  bool Run();
  // One step of a reader; true while a row is there.
  bool NextRow();
  // Back to the start, for the next rows of a reader (the bindings stay).
  void Reset();

  int32_t Int(int column) const;
  double Double(int column) const;
  CString Text(int column) const;  // NULL reads as empty
  // The same text without a copy, valid until the next step or reset.
  std::u16string_view TextView(int column) const { return m_stmt.Text16View(column); }

 private:
  SqliteStatement m_stmt;
};

// "BEGIN IMMEDIATE;" ... "COMMIT;" around a bulk write. The write lock is
// taken at the start, so a second connection waits its turn under the busy
// time-out instead of failing half-way. Rolled back unless Commit succeeded.
class AppTransaction {
 public:
  explicit AppTransaction(sqlite3* db);
  ~AppTransaction();
  AppTransaction(const AppTransaction&) = delete;
  AppTransaction& operator=(const AppTransaction&) = delete;

  bool ok() const { return m_open; }
  bool Commit();

 private:
  sqlite3* m_db;
  bool m_open = false;
};
