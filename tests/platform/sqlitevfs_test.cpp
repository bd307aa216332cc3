// The program's SQLite connections in folders deeper than SQLite's own file
// layer takes (512 bytes): a database with its journal and its write-ahead
// log works at any depth the system takes, and its journal and log are no
// more readable than it.
#include "platform/win32/sqlitevfs.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <string>

#include "platform/win32/sqlitestatement.h"
#include "tests/common/temp_dir.h"

namespace {

SqliteHandle Open(const std::string& path, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
  sqlite3* raw = nullptr;
  const int rc = OpenSqlite(path.c_str(), &raw, flags);
  SqliteHandle db(raw);
  return rc == SQLITE_OK ? std::move(db) : nullptr;
}

bool Exec(const SqliteHandle& db, const char* sql) {
  return sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

TEST(SqliteFileLayer, ADatabaseWithItsJournalAndLogWorksAtAnyDepthTheSystemTakes) {
  TempDir tmp;
  for (const size_t depth : {600u, 3000u}) {
    SCOPED_TRACE(depth);
    const std::string db = tmp.Deep(depth) + "/list.db";
    {
      SqliteHandle made = Open(db);
      ASSERT_TRUE(made);
      ASSERT_TRUE(Exec(made, "CREATE TABLE t (a);"));
    }
    ASSERT_EQ(::chmod(db.c_str(), 0600), 0);
    {
      // A journal kept after its commit, then a log kept while the
      // connection lives: each made as the database is.
      SqliteHandle writer = Open(db);
      ASSERT_TRUE(writer);
      ASSERT_TRUE(Exec(writer, "PRAGMA journal_mode = PERSIST; BEGIN; INSERT INTO t VALUES (1); COMMIT;"));
      EXPECT_EQ(ModeOf(db + "-journal"), 0600);
      ASSERT_TRUE(Exec(writer, "PRAGMA journal_mode = WAL; INSERT INTO t VALUES (2);"));
      EXPECT_EQ(ModeOf(db + "-wal"), 0600);
    }
    SqliteHandle reader = Open(db, SQLITE_OPEN_READONLY);
    ASSERT_TRUE(reader);
    SqliteStatement sum(reader.get(), "SELECT sum(a) FROM t;");
    ASSERT_TRUE(sum.NextRow());
    EXPECT_EQ(sum.Int(0), 3);
  }
  // Beyond what the system takes, the open fails as any other.
  EXPECT_FALSE(Open(tmp.Deep(PATH_MAX, false) + "/list.db"));
}

}  // namespace
