// Reading the application's SQLite files from the outside, as the service or
// a later run would: columns of a table, whole query results as text, and
// the columns a given CREATE statement makes, for comparison.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

using SqlRows = std::vector<std::vector<std::string>>;

// Every row of the query on the file, each value as text ("NULL" for null).
inline SqlRows QueryFile(const std::string& path, const std::string& sql) {
  SqlRows rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
          const unsigned char* text = sqlite3_column_text(stmt, i);
          row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        rows.push_back(row);
      }
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return rows;
}

inline SqlRows TableInfo(const std::string& path, const std::string& table) {
  return QueryFile(path, "PRAGMA table_info(" + table + ");");
}

// The columns (PRAGMA table_info) that `createSql` makes in a new file.
inline SqlRows ReferenceTableInfo(const std::string& scratchPath, const std::string& createSql,
                                  const std::string& table) {
  sqlite3* db = nullptr;
  if (sqlite3_open(scratchPath.c_str(), &db) == SQLITE_OK)
    sqlite3_exec(db, createSql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return TableInfo(scratchPath, table);
}
