// Reading and writing the project database format on an SQLite connection:
// the summary table, the record tables, and one record's row bound or read
// by the column table of its schema kind. The record store does all its row
// work through these functions.
//
// A new file stores its text as UTF-16 (see tgvSqlDB_C::Open).
// Texts are bound as UTF-16 with their length in bytes; a null text is not
// bound and stays NULL.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/sqlitestatement.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvSchema.h"

class tgvRecord_C;
class tgvRecordHost_I;

// --- binding and reading ---

// Binds one value at a 1-based parameter index; a null text binds nothing.
bool tgvBindColumnValue(sqlite3_stmt* stmt, int index, const tgvColValue& value);
// Binds a search condition's parameters from firstIndex on.
bool tgvBindConditionParams(sqlite3_stmt* stmt, const tgvCondition_C& cond, int firstIndex = 1);
// Binds a record for the INSERT text of its kind: fID, fZero, then the columns.
bool tgvBindInsertRow(sqlite3_stmt* stmt, const tgvRecord_C* record);
// Binds a record for the UPDATE text of its kind: fZero, the columns, fID last.
bool tgvBindUpdateRow(sqlite3_stmt* stmt, const tgvRecord_C* record);
// Reads columns 3 onward of the current row ("SELECT * FROM t ;") into the
// record's fields, without writing anything back. Texts are pooled through
// the host (NULL stays null); a POI's map point is truncated toward zero.
// Without sensors: the row holds no sensor column (tgvSqlSelectWithoutSensors)
// and the record's sensor fields are left as they are.
bool tgvReadRowFields(sqlite3_stmt* stmt, tgvRecord_C* record, tgvRecordHost_I* pool, bool withSensors = true);

// One statement: prepare, bind the record, step once, finalize.
bool tgvInsertRecordRow(sqlite3* db, const tgvRecord_C* record);
bool tgvUpdateRecordRow(sqlite3* db, const tgvRecord_C* record);

// Runs a statement without parameters to its end.
bool tgvExecSql(sqlite3* db, const std::string& sql);

// --- creating a new file ---

// The summary table with its version row (format version 16) and one row per
// record type of the table, counters 0. On failure the last-error text says
// "create table <path> failed." or "insert data to summary table failed.".
bool tgvCreateSummaryTable(sqlite3* db, const tgvRecordTypeEntry* types, const char16_t* path,
                           std::u16string* lastError);
// One record table per record type, in table order; stops at the first failure.
bool tgvCreateRecordTables(sqlite3* db, const tgvRecordTypeEntry* types);

// --- opening an existing file ---

struct tgvSummaryRow {
  uint8_t userType;
  uint8_t schemaKind;
  uint32_t objNo;   // highest id ever given
  uint32_t freeNo;  // ids of deleted rows waiting for reuse
};

struct tgvSummary {
  int version = 0;                  // 0 in the file counts as 9
  std::vector<tgvSummaryRow> rows;  // one per record type, in table order
};

enum tgvSummaryCheck {
  tgvSummary_Current,  // version 16, rows match the record types
  tgvSummary_Upgrade,  // version 9..15: upgrade, then read again
  tgvSummary_Refused,  // anything else: the open fails
};

// Reads the summary. The first row is the version row; the following rows
// must match the record types in order (user type, schema kind, table name)
// and carry sane counters. With version 9..15 only the version is filled in.
tgvSummaryCheck tgvReadSummary(sqlite3* db, const tgvRecordTypeEntry* types, tgvSummary* out);

// A statement kept prepared on its connection, so that a write made again
// and again is compiled once. Each run binds it, steps it and resets it.
class tgvCachedStatement {
 public:
  // The statement of the text on the connection, prepared on first use;
  // null when it cannot be prepared.
  sqlite3_stmt* Get(sqlite3* db, const std::string& sql);
  // Finalizes it (a connection closes only once its statements are gone).
  void Release() { m_stmt.reset(); }

 private:
  SqliteStmtHandle m_stmt;
};

// Steps a statement that returns no row when its binding succeeded (bound),
// then resets it and clears its bindings whatever happened; true when the
// step ran to its end.
bool tgvRunAndReset(sqlite3_stmt* stmt, bool bound);

// Writes one record type's counters; on failure the last-error text says
// "update row data(<table>) to summary table failed.". With a cache the
// statement is kept prepared there.
bool tgvWriteTableCounters(sqlite3* db, const tgvRecordTypeEntry& type, uint32_t objNo, uint32_t freeNo,
                           std::u16string* lastError, tgvCachedStatement* cache = nullptr);

// Whether the file's schema holds a table of that name (any case); a view
// of the name is not one.
bool tgvHasTable(sqlite3* db, const char* table);

// Makes the record for row id (deleted when fZero is not 0); null fails the load.
using tgvMakeRecordFn = std::function<tgvRecord_C*(uint32_t id, bool deleted)>;

// Loads a record table: "SELECT * FROM t ;" (without sensors: the select
// without the sensor columns) stepped objNo times; row k must carry fID k.
// Each row's record comes from make and is filled by tgvReadRowFields.
// Fails on a missing row or a wrong id.
bool tgvLoadRecordTable(sqlite3* db, const tgvRecordTypeEntry& type, uint32_t objNo, const tgvMakeRecordFn& make,
                        tgvRecordHost_I* pool, bool withSensors = true);

// The narrow form of a table name; empty unless it is a plain identifier.
std::string tgvTableIdent(const char16_t* tableName);
