// What a writer of a database file leaves when it dies half-way through a
// change: some pages of the change in the file, and beside it the hot journal
// that undoes them. Link SQLite.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

// Runs `change` in a transaction on the file at `db` whose pages reach the
// file before the end, and leaves the file and its journal as the writer's
// death would: the change half-written, not committed. Fails unless a copy of
// the file without its journal shows the change (`probe` gives a non-zero
// number).
inline ::testing::AssertionResult LeaveChangeHalfWritten(const std::string& db, const std::string& change,
                                                         const std::string& probe) {
  namespace fs = std::filesystem;
  const std::string dead = db + ".dead", journal = "-journal", seen = db + ".seen";
  sqlite3* writer = nullptr;
  if (sqlite3_open(db.c_str(), &writer) != SQLITE_OK) return ::testing::AssertionFailure() << "no writer";
  // A cache of two pages spills the change into the file long before its
  // commit, as every row of every table is written again after it.
  std::string steps = "PRAGMA cache_size = 2; BEGIN; " + change + ";";
  sqlite3_stmt* tables = nullptr;
  sqlite3_prepare_v2(writer, "SELECT name FROM sqlite_master WHERE type = 'table';", -1, &tables, nullptr);
  while (tables && sqlite3_step(tables) == SQLITE_ROW)
    steps += std::string(" UPDATE \"") + reinterpret_cast<const char*>(sqlite3_column_text(tables, 0)) +
             "\" SET rowid = rowid;";
  sqlite3_finalize(tables);
  const bool ran = sqlite3_exec(writer, steps.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  std::error_code ec;
  // Copies under names that no lock of the live writer covers.
  if (ran) fs::copy_file(db, dead, fs::copy_options::overwrite_existing, ec);
  if (ran && !ec) fs::copy_file(db + journal, dead + journal, fs::copy_options::overwrite_existing, ec);
  sqlite3_close(writer);  // rolls the live file back
  if (!ran || ec) return ::testing::AssertionFailure() << "the change did not run: " << ec.message();
  fs::rename(dead, db, ec);
  if (!ec) fs::rename(dead + journal, db + journal, ec);
  if (ec) return ::testing::AssertionFailure() << ec.message();

  fs::copy_file(db, seen, fs::copy_options::overwrite_existing, ec);
  sqlite3* reader = nullptr;
  sqlite3_stmt* stmt = nullptr;
  bool shown = false;
  if (!ec && sqlite3_open(seen.c_str(), &reader) == SQLITE_OK &&
      sqlite3_prepare_v2(reader, probe.c_str(), -1, &stmt, nullptr) == SQLITE_OK)
    shown = sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_int(stmt, 0) != 0;
  sqlite3_finalize(stmt);
  sqlite3_close(reader);
  fs::remove(seen, ec);
  if (!shown) return ::testing::AssertionFailure() << "the file alone does not show the change";
  return ::testing::AssertionSuccess();
}
