// The project database's connection over SQLite's UTF-16 interface: one
// connection, one current statement, and a rule that says which statement
// operation may follow which. The record store does all its SQL through it,
// one statement at a time.
//
// Statement rule: Prepare is allowed with no statement, after Finalize, and
// after Step (the stepped statement is finalized first); it is refused while
// a statement is prepared but not yet stepped. Binding needs a prepared
// statement, reading columns a stepped one. A statement whose step failed is
// finalized by the next Prepare, never leaked.
//
// Files are reached through the program's file layer, which takes any path
// the system takes (platform/win32/sqlitevfs.h).
//
// Used by one thread at a time; the database manager holds the lock.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win32/sqlitestatement.h"

// How a database file is opened. A read-only open never creates, locks for
// writing or changes the file: what the library writes on open or later
// (rows, counters, an upgrade) reaches a private copy held in memory only.
// A database file in the classic journal mode is read in place, by a
// connection that holds no lock between its reads; the copy is taken at the
// first write. Any other file (a write-ahead log, a hot journal to roll
// back) is copied at once.
// tgvOpen_ReadPoints reads a track's points for their summary and upload:
// read-only as above, and the waypoints' sensor values (temperature,
// pressure, heart rate, engine speed, barometric altitude, wheel speed) are
// not read; they are 0 in memory, and so are a line's sensor flags.
enum tgvOpenMode : uint8_t { tgvOpen_ReadWrite = 0, tgvOpen_ReadOnly = 1, tgvOpen_ReadPoints = 2 };

class tgvSqlDB_C {
 public:
  enum State : uint8_t { kClosed = 0, kOpen = 1, kOpenFailed = 2 };
  enum StatementState : uint8_t { kNone = 0, kPrepared = 1, kStepped = 2, kFinalized = 3 };

  tgvSqlDB_C();
  ~tgvSqlDB_C();
  tgvSqlDB_C(const tgvSqlDB_C&) = delete;
  tgvSqlDB_C& operator=(const tgvSqlDB_C&) = delete;

  // Closes a connection that is still open first (false when that close
  // fails); isNew = the path names no existing file; opens the file, a new
  // one with UTF-16 texts (a handle of a failed open is closed: state
  // kOpenFailed).
  // Then "PRAGMA synchronous = OFF;" and "PRAGMA count_changes = 0;". The
  // path is the caller's text and must outlive the connection.
  // Read-only modes: a file that exists is read in place or copied into
  // memory (false when it cannot be read as a database); a missing one
  // gives an empty database in memory with isNew true.
  bool Open(const char16_t* path, bool* isNew, tgvOpenMode mode = tgvOpen_ReadWrite);
  // A read-only open that reads its file in place moves to a private copy
  // in memory, taken while the file is as this connection last read it
  // inside a transaction (or within the open transaction itself); true when
  // the connection already writes into memory. False, still in place, when
  // the file changed since or cannot be copied. The current statement is
  // finalized first.
  bool MakePrivate();
  // Finalizes the current statement and closes; false (still open) when
  // SQLite reports the connection busy.
  bool Close();

  // The whole wide text (length in bytes); state kNone on failure.
  bool Prepare(const char16_t* sql);
  // hasRow says whether a row came; false (state kNone) for any code other
  // than a row or the end. The statement stays until it is finalized.
  bool Step(bool* hasRow);
  // False when there is no statement; otherwise the result of finalizing,
  // which carries the last step's error.
  bool Finalize();
  // Prepares and steps a statement remembered under a non-zero tag.
  bool Query(uint32_t tag, const char16_t* sql);

  // Fixed statements: prepare, step, finalize; true only when all three work.
  bool SetSynchronous(bool on);  // "PRAGMA synchronous = FULL;" / "... OFF;"
  bool SetCountChangesOff();     // "PRAGMA count_changes = 0;"
  bool Transaction(bool begin);  // "BEGIN TRANSACTION;" / "COMMIT TRANSACTION;"
  bool Rollback();               // "ROLLBACK TRANSACTION;"
  // Runs one statement (the first of the text) without parameters to its end.
  bool Exec(const char16_t* sql);

  // 1-based parameter index. BindText binds UTF-16 with its byte length and
  // refuses a null text (the parameter stays NULL). The text must stay until
  // the statement is finalized.
  bool BindInt(int index, int32_t value);
  bool BindDouble(int index, double value);
  bool BindText(int index, const char16_t* text);
  bool BindBlob(int index, const void* bytes, int size);

  // 1-based columns; 0, 0.0, null and 0 unless a row was stepped.
  // ColumnText is the text with its length (a NULL, or no row: data() is
  // null), valid until the next step or finalize; the odd last byte of a
  // damaged cell is left out.
  int32_t ColumnInt(int column) const;
  double ColumnDouble(int column) const;
  std::u16string_view ColumnText(int column) const;
  int ColumnType(int column) const;

  uint8_t GetState() const { return m_state; }
  bool IsReadOnly() const { return m_readOnly; }
  bool IsInPlace() const { return m_inPlace; }
  uint8_t GetStatementState() const { return m_stmtState; }
  const char16_t* GetPath() const { return m_path; }
  uint32_t GetQueryTag() const { return m_queryTag; }
  // The raw handles, for the row binders and readers of the file format.
  sqlite3* GetHandle() const { return m_db.get(); }
  sqlite3_stmt* GetStatement() const { return m_stmt.get(); }

 private:
  bool CanBind() const { return m_state == kOpen && m_stmtState == kPrepared && m_stmt; }
  bool CanRead() const { return m_state == kOpen && m_stmtState == kStepped && m_stmt; }

  // The connection on a file's copy and the file copied into it.
  bool OpenCopy(const char16_t* path, bool exists);
  // The file itself, read-only, when it can be read in place.
  bool OpenInPlace(const char16_t* path);
  // A connection in memory on a file image (taken over, freed on failure).
  bool AdoptImage(unsigned char* image, int64_t size);

  uint8_t m_state;
  uint8_t m_stmtState;
  bool m_readOnly = false;
  bool m_inPlace = false;
  // In place: the file's data version when the last transaction ended,
  // -1 before one has.
  int64_t m_readVersion = -1;
  const char16_t* m_path;
  SqliteHandle m_db;
  SqliteStmtHandle m_stmt;
  uint32_t m_queryTag;
};
