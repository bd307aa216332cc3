#include "platform/win32/sqlitestatement.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

SqliteHandle OpenMemory() {
  sqlite3* raw = nullptr;
  sqlite3_open(":memory:", &raw);
  return SqliteHandle(raw);
}

TEST(SqliteStatement, ValuesComeBackAsBoundAndEmptyStaysEmpty) {
  SqliteHandle db = OpenMemory();
  ASSERT_TRUE(SqliteStatement(db.get(), "CREATE TABLE t(i, big, d, w, n, b);").Run());
  SqliteStatement insert(db.get(), "INSERT INTO t VALUES(?,?,?,?,?,?);");
  const std::string blob("a\0b", 3);
  insert.Bind(1, int32_t{-7}).Bind(2, int64_t{1} << 40).Bind(3, 2.5).Bind(4, std::u16string_view(u"Suzuka 鈴鹿"));
  ASSERT_TRUE(insert.Bind(5, std::string_view("Fuji")).BindBlob(6, blob).Run());
  ASSERT_TRUE(insert.Bind(4, std::u16string_view()).Bind(5, std::string_view()).BindBlob(6, {}).Run())
      << "a writer is reset after its step, its bindings kept";

  SqliteStatement select(db.get(), "SELECT i, big, d, w, n, b, typeof(w), typeof(b) FROM t;");
  ASSERT_TRUE(select.NextRow());
  EXPECT_EQ(select.Int(0), -7);
  EXPECT_EQ(select.Int64(1), int64_t{1} << 40);
  EXPECT_EQ(select.Double(2), 2.5);
  EXPECT_EQ(select.Text16(3), u"Suzuka 鈴鹿");
  EXPECT_EQ(select.Bytes(4), "Fuji");
  EXPECT_EQ(select.Bytes(5), blob);
  ASSERT_TRUE(select.NextRow());
  EXPECT_EQ(select.Text16(3), u"");
  EXPECT_EQ(select.Bytes(6), "text") << "an empty text is not NULL";
  EXPECT_EQ(select.Bytes(7), "blob");
  EXPECT_FALSE(select.NextRow());
  select.Reset();
  EXPECT_TRUE(select.NextRow()) << "a reset reader starts again";
}

TEST(SqliteStatement, AStatementThatCouldNotBePreparedFailsEveryStep) {
  SqliteHandle db = OpenMemory();
  const struct {
    sqlite3* db;
    const char* sql;
  } cases[] = {{db.get(), "SELEC 1;"}, {nullptr, "SELECT 1;"}, {db.get(), ""}, {db.get(), "-- a comment alone"}};
  for (const auto& c : cases) {
    SqliteStatement s(c.db, c.sql);
    EXPECT_FALSE(s.ok()) << c.sql;
    s.Bind(1, int32_t{1}).Bind(2, std::string_view("x"));
    EXPECT_FALSE(s.NextRow()) << c.sql;
    EXPECT_FALSE(s.Run()) << c.sql;
    EXPECT_EQ(s.Text16(0), u"") << c.sql;
  }
}

}  // namespace
