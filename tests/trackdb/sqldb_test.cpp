// The connection wrapper's statement rule and the upgrade's refusals.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "tests/common/files.h"
#include "tests/common/temp_dir.h"
#include "tests/trackdb/test_db.h"
#include "trackdb/tgvDBUpgrade.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvSqlDB.h"

TEST(TrackDbSql, StatementRuleAndColumnsBeforeAStep) {
  TempDir tmp;
  const std::u16string path = tmp.WFile("x.db");
  tgvSqlDB_C db;
  bool isNew = false;
  ASSERT_TRUE(db.Open(path.c_str(), &isNew));
  EXPECT_TRUE(isNew);
  EXPECT_EQ(db.GetState(), tgvSqlDB_C::kOpen);
  ASSERT_TRUE(db.Exec(u"CREATE TABLE t (a INT, b TEXT);"));
  ASSERT_TRUE(db.Exec(u"INSERT INTO t VALUES (7, 'x');"));
  ASSERT_TRUE(db.Prepare(u"SELECT a, b FROM t;"));
  EXPECT_EQ(db.ColumnInt(1), 0);  // not stepped yet
  EXPECT_EQ(db.ColumnText(2).data(), nullptr);
  EXPECT_FALSE(db.Prepare(u"SELECT 1;"));  // the first was never stepped
  bool hasRow = false;
  ASSERT_TRUE(db.Step(&hasRow));
  EXPECT_TRUE(hasRow);
  EXPECT_EQ(db.ColumnInt(1), 7);
  EXPECT_EQ(db.ColumnText(2), u"x");
  EXPECT_TRUE(db.Prepare(u"SELECT 2;"));  // the stepped one is finalized first
  ASSERT_TRUE(db.Step(&hasRow));
  EXPECT_EQ(db.ColumnInt(1), 2);
  // A failed step leaves the statement to the next prepare, never leaked:
  // the connection still closes.
  ASSERT_TRUE(db.Prepare(u"SELECT abs(-9223372036854775808);"));
  EXPECT_FALSE(db.Step(&hasRow));
  EXPECT_EQ(db.GetStatementState(), tgvSqlDB_C::kNone);
  EXPECT_TRUE(db.Prepare(u"SELECT 3;"));
  EXPECT_FALSE(db.BindInt(1, 1));  // nothing to bind
  EXPECT_TRUE(db.Close());
  EXPECT_EQ(db.GetState(), tgvSqlDB_C::kClosed);

  // A path in a missing folder cannot be opened: state 2.
  const std::u16string missing = tmp.WFile("no/such/x.db");
  EXPECT_FALSE(db.Open(missing.c_str(), &isNew));
  EXPECT_EQ(db.GetState(), tgvSqlDB_C::kOpenFailed);
  EXPECT_EQ(db.GetHandle(), nullptr);
}

// A read-only open reads the file in place and leaves no lock behind its
// transactions, so that the other program keeps writing; the first write
// here moves to a private copy, which is refused once the file has changed
// under what was read.
TEST(TrackDbSql, ReadOnlyOpenReadsInPlaceAndCopiesOnTheFirstWrite) {
  TempDir tmp;
  const std::string file = tmp.File("x.db");
  ASSERT_TRUE(ExecFile(file, "CREATE TABLE t (a INT); INSERT INTO t VALUES (1);"));
  for (bool changed : {false, true}) {
    tgvSqlDB_C db;
    bool isNew = true, hasRow = false;
    const std::u16string path = tmp.WFile("x.db");
    ASSERT_TRUE(db.Open(path.c_str(), &isNew, tgvOpen_ReadOnly));
    EXPECT_FALSE(isNew);
    EXPECT_TRUE(db.IsInPlace());
    ASSERT_TRUE(db.Transaction(true));
    ASSERT_TRUE(db.Prepare(u"SELECT count(*) FROM t;") && db.Step(&hasRow) && hasRow);
    const int rows = db.ColumnInt(1);
    ASSERT_TRUE(db.Transaction(false));
    if (changed) {
      EXPECT_TRUE(ExecFile(file, "INSERT INTO t VALUES (2);"));  // its commit meets no lock
    }
    const std::string before = ReadBytes(file);
    EXPECT_EQ(db.MakePrivate(), !changed);
    EXPECT_EQ(db.IsInPlace(), changed);
    EXPECT_EQ(db.Exec(u"INSERT INTO t VALUES (3);"), !changed);
    ASSERT_TRUE(db.Prepare(u"SELECT count(*) FROM t;") && db.Step(&hasRow) && hasRow);
    EXPECT_EQ(db.ColumnInt(1), rows + 1) << changed;  // the other program's row, or this copy's
    EXPECT_EQ(ReadBytes(file), before);
  }
}

TEST(TrackDbSql, UpgradeRefusesVersionsOutsideNineToFifteen) {
  TempDir tmp;
  const std::u16string path = tmp.WFile("bruser.poi");
  {
    tgvDatabase_C db;
    ASSERT_TRUE(db.Open(RecordTypeTable, path.c_str(), nullptr));
  }
  const std::string before = ReadBytes(tmp.File("bruser.poi"));
  tgvSqlDB_C sql;
  ASSERT_TRUE(sql.Open(path.c_str(), nullptr));
  tgvDBUpgrade_C upgrade(&sql);
  for (int version : {8, 16, 0, -1, 17}) EXPECT_FALSE(upgrade.Upgrade(version)) << version;
  EXPECT_TRUE(sql.Close());
  EXPECT_EQ(ReadBytes(tmp.File("bruser.poi")) == before, true);
  // A manager whose file cannot be made fails with state 2 and no slot.
  tgvDatabase_C db;
  const std::u16string missing = tmp.WFile("no/such/bruser.poi");
  EXPECT_FALSE(db.Open(RecordTypeTable, missing.c_str(), nullptr));
  EXPECT_EQ(db.GetState(), tgvDatabase_C::kOpenFailed);
  EXPECT_EQ(db.GetRegSlot(), 0u);
}

// What a writer that died mid-write leaves: the file with some pages of the
// unfinished change and the hot journal that undoes them. The read-only open
// reads the data as it was before the change and leaves both files alone.
TEST(TrackDbSql, AReadOnlyOpenRollsAHotJournalBackInItsCopyAlone) {
  TempDir tmp;
  const std::string live = tmp.File("live.db"), hot = tmp.File("hot.db");
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(live.c_str(), &raw), SQLITE_OK);
  SqliteHandle writer(raw);
  const char* steps[] = {"CREATE TABLE t (a TEXT);",
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                         "INSERT INTO t SELECT printf('%.500c', 'x') FROM n;",
                         "PRAGMA cache_size = 2;", "BEGIN;", "UPDATE t SET a = 'changed';"};
  for (const char* sql : steps) ASSERT_EQ(sqlite3_exec(writer.get(), sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  // The files as the dead writer left them, under names no live lock covers.
  std::filesystem::copy_file(live, hot);
  std::filesystem::copy_file(live + "-journal", hot + "-journal");
  writer.reset();
  const std::string before = ReadBytes(hot), journal = ReadBytes(hot + "-journal");
  ASSERT_FALSE(journal.empty());

  tgvSqlDB_C db;
  const std::u16string path = tmp.WFile("hot.db");
  ASSERT_TRUE(db.Open(path.c_str(), nullptr, tgvOpen_ReadOnly));
  bool hasRow = false;
  ASSERT_TRUE(db.Prepare(u"SELECT count(*), sum(a = 'changed') FROM t;"));
  ASSERT_TRUE(db.Step(&hasRow));
  EXPECT_EQ(db.ColumnInt(1), 300);
  EXPECT_EQ(db.ColumnInt(2), 0);
  EXPECT_TRUE(db.Close());
  EXPECT_EQ(ReadBytes(hot), before);
  EXPECT_EQ(ReadBytes(hot + "-journal"), journal);
}
