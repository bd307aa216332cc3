// Every record kind written into a new file, closed, reopened and read back;
// the refusals of an open; the search conditions run against real rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "test_db.h"
#include "trackdb/tgvSchema.h"

namespace {

const char16_t kPairText[] = u"Ring \U0001F3C1 \u00e9t\u00e9 \u540d 'q' \"d\" %_\\";

// Fills every column of a record with a value that depends on the column's
// position, so that a column read into the wrong field shows up.
void FillAllColumns(tgvRecord_C* r, TestDb& db, uint32_t seed) {
  const tgvSchema* s = tgvGetSchema(r->GetSchemaKind());
  for (uint32_t i = 0; i < s->columnCount; ++i) {
    const tgvColumn& c = s->columns[i];
    tgvColValue v{};
    v.cls = c.cls;
    const uint32_t n = seed * 100 + i + 1;
    switch (c.cls) {
      case tgvCol_Int:
        // Words at and above 2^31 in alternate columns.
        v.i = static_cast<int32_t>((i % 2) ? 0x80000000u + n : n);
        break;
      case tgvCol_Double:
        v.d = (i % 2) ? -1.0 / 3.0 * n : 1e-300 * n + 123.456789012345678;
        break;
      case tgvCol_Text:
        // Null, empty and a text with a surrogate pair, by turns.
        v.s = (n % 3 == 0) ? nullptr : db.InternString((n % 3 == 1) ? kPairText : u"");
        break;
    }
    c.set(r, v);
  }
}

::testing::AssertionResult SameFields(const tgvRecord_C* a, const tgvRecord_C* b) {
  if (a->GetUserType() != b->GetUserType() || a->GetId() != b->GetId() || a->IsDeleted() != b->IsDeleted())
    return ::testing::AssertionFailure() << "header differs";
  const tgvSchema* s = tgvGetSchema(a->GetSchemaKind());
  for (uint32_t i = 0; i < s->columnCount; ++i) {
    const tgvColumn& c = s->columns[i];
    const tgvColValue x = c.get(a);
    const tgvColValue y = c.get(b);
    bool same = false;
    switch (c.cls) {
      case tgvCol_Int:
        same = x.i == y.i;
        break;
      case tgvCol_Double:
        same = std::memcmp(&x.d, &y.d, sizeof(double)) == 0;
        break;
      case tgvCol_Text:
        same = (!x.s && !y.s) || (x.s && y.s && std::u16string_view(x.s) == y.s);
        break;
    }
    if (!same)
      return ::testing::AssertionFailure()
             << Utf16ToUtf8(tgvFindRecordType(a->GetUserType())->tableName) << "." << c.name << " differs";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

class TrackDbFile : public ::testing::Test {
 protected:
  std::string Path() const { return m_tmp.File("bruser.poi"); }
  TempDir m_tmp;
};

TEST_F(TrackDbFile, EveryKindSurvivesCreateCloseReopen) {
  // Expected field values, kept in plain memory outside any database.
  std::vector<std::vector<char>> expected;
  std::vector<std::u16string> keepTexts;
  {
    TestDb db;
    ASSERT_TRUE(db.Open(Path()));
    for (uint8_t ut = 1; ut <= tgvRecordTypeCount; ++ut) {
      for (uint32_t k = 0; k < 3; ++k) {
        tgvRecord_C* r = db.New(ut);
        FillAllColumns(r, db, ut * 3 + k);
        if (k == 2) r->SetDeletedFlag(1);  // a deleted row keeps its place
        ASSERT_TRUE(db.Insert(r)) << int(ut);
      }
    }
    // Time words at and above 2^31 through the typed setters.
    auto* log = db.Find<tgvGPSLog_C>(tgvUT_GPSLog, 1);
    ASSERT_TRUE(log->SetGPSTime(IntPair_C{0x01D9FFFFu, 0xFFFFFFFEu}, 1));
    auto* style = db.Find<tgvStyle_C>(tgvUT_VStyle, 1);
    ASSERT_TRUE(style->SetVSFColor(0x00FFEEDDu, 1));
    ASSERT_TRUE(style->SetVSStyleType(65535, 1));
    auto* poi = db.Find<tgvPOI_C>(tgvUT_POI, 1);
    ASSERT_TRUE(poi->SetName(kPairText));
    ASSERT_TRUE(poi->SetMapPoint(-2147483647 - 1, 2147483647, 1));
  }

  TestDb again;
  bool isNew = true;
  ASSERT_TRUE(again.Open(Path(), &isNew));
  EXPECT_FALSE(isNew);
  ASSERT_EQ(again.Load(), tgvSummary_Current);

  // Build the same records a second time, without a file, and compare.
  TestDb mirror;
  ASSERT_TRUE(mirror.Open(m_tmp.File("mirror.poi")));
  for (uint8_t ut = 1; ut <= tgvRecordTypeCount; ++ut) {
    for (uint32_t k = 0; k < 3; ++k) {
      tgvRecord_C* want = mirror.New(ut);
      FillAllColumns(want, mirror, ut * 3 + k);
      if (k == 2) want->SetDeletedFlag(1);
      if (ut == tgvUT_GPSLog && k == 0)
        static_cast<tgvGPSLog_C*>(want)->SetGPSTime(IntPair_C{0x01D9FFFFu, 0xFFFFFFFEu}, 0);
      if (ut == tgvUT_VStyle && k == 0) {
        static_cast<tgvStyle_C*>(want)->SetVSFColor(0x00FFEEDDu, 0);
        static_cast<tgvStyle_C*>(want)->SetVSStyleType(65535, 0);
      }
      if (ut == tgvUT_POI && k == 0) {
        want->SetName(kPairText, 0);
        static_cast<tgvPOI_C*>(want)->SetMapPoint(-2147483647 - 1, 2147483647, 0);
      }
      tgvRecord_C* got = again.Find(ut, k + 1);
      ASSERT_NE(got, nullptr);
      EXPECT_TRUE(SameFields(want, got));
    }
  }

  auto* log = again.Find<tgvGPSLog_C>(tgvUT_GPSLog, 1);
  EXPECT_EQ(log->GetGPSTime1(), 0x01D9FFFFu);
  EXPECT_EQ(log->GetGPSTime2(), 0xFFFFFFFEu);
  auto* style = again.Find<tgvStyle_C>(tgvUT_VStyle, 1);
  EXPECT_EQ(style->GetVSFColor(), 0x00FFEEDDu);
  EXPECT_EQ(style->GetVSStyleType(), 65535);
  auto* poi = again.Find<tgvPOI_C>(tgvUT_POI, 1);
  EXPECT_EQ(std::u16string_view(poi->GetName()), kPairText);
  EXPECT_EQ(poi->GetMapLongitude(), INT32_MIN);
  EXPECT_EQ(poi->GetMapLatitude(), INT32_MAX);
  // Texts come back pooled: equal texts are one pointer.
  EXPECT_EQ(poi->GetName(), again.InternString(kPairText));

  // Null texts stay NULL in the file, empty texts stay empty.
  EXPECT_EQ(QueryRows(again.Db(), "SELECT count(*) FROM Val WHERE fValue IS NULL;"), std::vector<std::string>{"1"});
  EXPECT_EQ(QueryRows(again.Db(), "SELECT count(*) FROM Val WHERE fValue = '';"), std::vector<std::string>{"1"});
  // The deleted rows are there with fZero = 1 and read as deleted.
  EXPECT_EQ(QueryRows(again.Db(), "SELECT fID, fZero FROM WP;"), (std::vector<std::string>{"1|0", "2|0", "3|1"}));
  EXPECT_TRUE(again.Find(tgvUT_WP, 3)->IsDeleted());
  // A 32-bit word at or above 2^31 is kept as a signed integer.
  EXPECT_EQ(QueryRows(again.Db(), "SELECT fGPSTime2 FROM GPSLog WHERE fID=1;"), std::vector<std::string>{"-2"});
  // Counters written after each insert.
  EXPECT_EQ(QueryRows(again.Db(), "SELECT fObjNo, fObjFreeNo FROM BR_TGVLib WHERE fUserType=18;"),
            std::vector<std::string>{"3|0"});
}

TEST_F(TrackDbFile, POIMapPointIsReadTruncatedAndWrittenBackWhole) {
  {
    TestDb db;
    ASSERT_TRUE(db.Open(Path()));
    auto* poi = db.New<tgvPOI_C>(tgvUT_POI);
    poi->SetUserFlag(0x80, 1);  // a system POI: the flag has no column
    ASSERT_TRUE(db.Insert(poi));
    ASSERT_TRUE(Exec(db.Db(), "UPDATE POI SET fLongitude=127.9, fLatitude=-33.99 WHERE fID=1;"));
  }
  TestDb db;
  ASSERT_TRUE(db.Open(Path()));
  ASSERT_EQ(db.Load(), tgvSummary_Current);
  auto* poi = db.Find<tgvPOI_C>(tgvUT_POI, 1);
  EXPECT_EQ(poi->GetMapLongitude(), 127);
  EXPECT_EQ(poi->GetMapLatitude(), -33);
  EXPECT_EQ(poi->GetUserFlag(), 0);
  ASSERT_TRUE(poi->Save());
  EXPECT_EQ(QueryRows(db.Db(), "SELECT fLongitude, fLatitude, typeof(fLongitude) FROM POI;"),
            std::vector<std::string>{"127.0|-33.0|real"});
}

TEST_F(TrackDbFile, OpenRefusals) {
  {
    TestDb db;
    ASSERT_TRUE(db.Open(Path()));
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(db.Insert(db.New(tgvUT_Line)));
  }
  auto reopen = [&](const std::string& change) {
    EXPECT_TRUE(ExecFile(Path(), "BEGIN;" + change + "COMMIT;")) << change;
    TestDb db;
    EXPECT_TRUE(db.Open(Path()));
    tgvSummary summary;
    const tgvSummaryCheck read = tgvReadSummary(db.Db(), RecordTypeTable, &summary);
    const tgvSummaryCheck load = db.Load();
    // Undo the change for the next case by rebuilding the file.
    db.Close();
    std::filesystem::remove(Path());
    TestDb fresh;
    EXPECT_TRUE(fresh.Open(Path()));
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(fresh.Insert(fresh.New(tgvUT_Line)));
    return std::make_pair(read == tgvSummary_Upgrade ? summary.version : -1, load);
  };

  EXPECT_EQ(reopen(""), std::make_pair(-1, tgvSummary_Current));
  // Versions below 9 and from 17 on are refused; 0 counts as 9.
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=8 WHERE fUserType=0;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=1 WHERE fUserType=0;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=17 WHERE fUserType=0;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=0 WHERE fUserType=0;"), std::make_pair(9, tgvSummary_Upgrade));
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=15 WHERE fUserType=0;"), std::make_pair(15, tgvSummary_Upgrade));
  // A summary row out of order (PropInt before Map).
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fUserType=13, fDBType=17, fTypeName='PropInt' "
                   "WHERE rowid=13;"
                   "UPDATE BR_TGVLib SET fUserType=12, fDBType=16, fTypeName='Map' "
                   "WHERE rowid=14;")
                .second,
            tgvSummary_Refused);
  // A row whose schema kind or table name does not match.
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fDBType=4 WHERE fUserType=7;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fTypeName='Poi' WHERE fUserType=9;").second, tgvSummary_Refused);
  // Fewer record-type rows than record types; no version row at all.
  EXPECT_EQ(reopen("DELETE FROM BR_TGVLib WHERE fUserType=19;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("DELETE FROM BR_TGVLib;").second, tgvSummary_Refused);
  // Counters that cannot be right.
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fObjNo=-5 WHERE fUserType=11;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fObjFreeNo=3 WHERE fUserType=11;").second, tgvSummary_Refused);
  // A table whose second row carries fID 3; a table with fewer rows than fObjNo.
  EXPECT_EQ(reopen("UPDATE Line SET fID=3 WHERE fID=2;").second, tgvSummary_Refused);
  EXPECT_EQ(reopen("DELETE FROM Line WHERE fID=2;").second, tgvSummary_Refused);
  // Rows beyond fObjNo are not read.
  EXPECT_EQ(reopen("UPDATE BR_TGVLib SET fObjNo=1 WHERE fUserType=11;").second, tgvSummary_Current);
}

TEST_F(TrackDbFile, SummaryMessages) {
  TestDb db;
  ASSERT_TRUE(db.Open(Path()));
  std::u16string err;
  // The summary table exists already: creating it again fails.
  EXPECT_FALSE(tgvCreateSummaryTable(db.Db(), RecordTypeTable, u"/x/bruser.poi", &err));
  EXPECT_EQ(err, u"insert data to summary table failed.");
  ASSERT_TRUE(Exec(db.Db(), "DROP TABLE BR_TGVLib;"));
  EXPECT_FALSE(tgvWriteTableCounters(db.Db(), RecordTypeTable[8], 1, 0, &err));
  EXPECT_EQ(err, u"update row data(POI) to summary table failed.");
}

// Runs a search condition against the POI table and returns the ids found.
std::vector<std::string> Search(sqlite3* db, const tgvCondition_C& cond) {
  const std::string sql = cond.BuildSelect("POI");
  sqlite3_stmt* st = nullptr;
  std::vector<std::string> ids;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ids.push_back("<prepare failed>");
    return ids;
  }
  if (!tgvBindConditionParams(st, cond)) ids.push_back("<bind failed>");
  while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(std::to_string(sqlite3_column_int(st, 0)));
  sqlite3_finalize(st);
  return ids;
}

TEST_F(TrackDbFile, SearchConditionsBindNamesAndLimits) {
  TestDb db;
  ASSERT_TRUE(db.Open(Path()));
  const char16_t* names[] = {u"cab", u"abc", u"xyz", u"O'Brien", u"100% sure", u"a_b", u"back\\slash"};
  for (uint32_t i = 0; i < 7; ++i) {
    auto* poi = db.New<tgvPOI_C>(tgvUT_POI);
    poi->SetName(names[i], 0);
    poi->SetRealPoint(10.0 + i * 1e-7, 50.0, 0.0, 0);
    poi->SetMapID(i < 3 ? 1 : 2, 0);
    ASSERT_TRUE(db.Insert(poi));
  }
  auto contains = [&](const char16_t* text) {
    tgvCondition_C c;
    c.AddContains("fName", text);
    return Search(db.Db(), c);
  };
  EXPECT_EQ(contains(u"ab"), (std::vector<std::string>{"1", "2"}));
  // Quotes, wildcards and the escape character match only themselves.
  EXPECT_EQ(contains(u"O'B"), std::vector<std::string>{"4"});
  EXPECT_EQ(contains(u"0%"), std::vector<std::string>{"5"});
  EXPECT_EQ(contains(u"%"), std::vector<std::string>{"5"});
  EXPECT_EQ(contains(u"_"), std::vector<std::string>{"6"});
  EXPECT_EQ(contains(u"\\"), std::vector<std::string>{"7"});
  EXPECT_EQ(contains(u"'; DROP TABLE POI; --"), std::vector<std::string>{});
  EXPECT_EQ(contains(nullptr).size(), 7u);  // no name: no condition

  // Lon/lat limits keep their full precision: 10.0000003 .. 10.0000005.
  tgvCondition_C box;
  box.AddEquals("fMapID", 2);
  box.AddGeoBox("fRealLong", "fRealLati", 10.00000025, 10.00000055, 49.9, 50.1);
  EXPECT_EQ(Search(db.Db(), box), (std::vector<std::string>{"4", "5", "6"}));

  // The ordered form with its closing ";" prepares and runs.
  tgvCondition_C ordered;
  ordered.AddEquals("fMapID", 1);
  const std::string sql = ordered.BuildSelect("POI", tgvCondition_C::OrderSemicolon, "fRealLong");
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db.Db(), sql.c_str(), -1, &st, nullptr), SQLITE_OK);
  ASSERT_TRUE(tgvBindConditionParams(st, ordered));
  int rows = 0;
  while (sqlite3_step(st) == SQLITE_ROW) ++rows;
  sqlite3_finalize(st);
  EXPECT_EQ(rows, 3);
}
