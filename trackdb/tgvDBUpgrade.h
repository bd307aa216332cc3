// Brings a project database of format version 9..15 up to version 16 by a
// fixed chain of steps, each a list of SQL statements. The caller runs it
// inside an open transaction and rolls back when it fails, so a failed
// upgrade leaves the file as it was.
#pragma once

class tgvSqlDB_C;

class tgvDBUpgrade_C {
 public:
  explicit tgvDBUpgrade_C(tgvSqlDB_C* db) : m_db(db) {}

  // False for a version outside 9..15 (nothing is run); otherwise runs the
  // steps from version + 1 up to 16 in order, stopping at the first failure.
  bool Upgrade(int version);

 private:
  bool StepTo10();
  bool StepTo11();
  bool StepTo12();
  // Steps 13..16: new DOUBLE columns, then the version.
  bool AddDoublesThenVersion(const char* table, const char* const* columns, int version);

  // One statement with no parameters, run to its end.
  bool Run(const char* sql);
  bool RunF(const char* format, ...);
  bool InsertSummaryRow(int userType, int kind, const char16_t* table);
  bool CreateCurrent(const char* table, int kind);

  tgvSqlDB_C* m_db;
};
