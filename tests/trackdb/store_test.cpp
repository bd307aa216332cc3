// The record store through its database manager, on real files: create,
// load, change, delete and reuse with the file read again after each step;
// refusals that leave a file's bytes as they were; the upgrade of files of
// every older version; failed writes; many databases and threads at once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "test_db.h"
#include "tests/common/files.h"
#include "trackdb/tgvDatabase.h"
#include "trackdb/tgvSchema.h"

namespace {

class Store : public ::testing::Test {
 protected:
  std::string Path() const { return m_tmp.File("bruser.poi"); }
  // A manager opened on the test file (or another path).
  std::unique_ptr<tgvDatabase_C> Open(const std::string& path = {}) {
    auto db = std::make_unique<tgvDatabase_C>();
    m_path16 = Utf8ToUtf16(path.empty() ? Path() : path);
    db->Open(RecordTypeTable, m_path16.c_str(), nullptr);
    return db;
  }
  std::vector<std::string> Rows(const std::string& sql) { return QueryFileRows(Path(), sql); }
  bool RawExec(const std::string& sql) { return ExecFile(Path(), sql); }
  // Names of the live POIs in id order, as a reopened file gives them.
  std::vector<std::string> ReopenedPOIs() {
    auto db = Open();
    std::vector<std::string> names;
    for (tgvRecord_C* r = db->FirstOfType(tgvUT_POI); r; r = db->NextOfType(r))
      names.push_back(std::to_string(r->GetId()) + ":" + Utf16ToUtf8(r->GetName()));
    return names;
  }
  tgvPOI_C* NewPOI(tgvDatabase_C& db, const char16_t* name) {
    return db.CreatePOI(tgvUT_POI, name, IntPoint_C(1, 2), GeoPoint_C(8.5, 47.25, 420.0), 0, 0, 0);
  }
  // Ids of the links of the type by their ends (an id of 0: that end is not asked).
  static std::vector<uint32_t> LinkIds(tgvDatabase_C& db, uint8_t userType, const tgvRecord_C* start,
                                       const tgvRecord_C* end) {
    PtrList_C list;
    db.SelectLinks(&list, userType, start ? start->GetUserType() : 0, start ? start->GetId() : 0,
                   end ? end->GetUserType() : 0, end ? end->GetId() : 0);
    std::vector<uint32_t> ids;
    for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
      ids.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos))->GetId());
    return ids;
  }

  TempDir m_tmp;
  std::u16string m_path16;
};

TEST_F(Store, CreateLoadChangeDeleteAndReuseSurviveEveryReopen) {
  {
    auto db = Open();
    ASSERT_EQ(db->GetState(), tgvDatabase_C::kOpen);
    for (const char16_t* n : {u"a", u"b", u"c", u"d", u"e", u"f", u"g"}) ASSERT_NE(NewPOI(*db, n), nullptr);
    EXPECT_TRUE(db->Flush());
  }
  EXPECT_EQ(ReopenedPOIs(), (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d", "5:e", "6:f", "7:g"}));

  {
    auto db = Open();
    auto* poi = static_cast<tgvPOI_C*>(db->FindRecord(tgvUT_POI, 2));
    EXPECT_TRUE(poi->SetName(u"B"));
    EXPECT_TRUE(db->DeleteRecord(db->FindRecord(tgvUT_POI, 3), false));
    EXPECT_TRUE(db->DeleteRecord(db->FindRecord(tgvUT_POI, 7), false));
    // A deleted id still finds its (deleted) record; past the highest, nothing.
    EXPECT_TRUE(db->FindRecord(tgvUT_POI, 7)->IsDeleted());
    EXPECT_EQ(db->FindRecord(tgvUT_POI, 8), nullptr);
    EXPECT_EQ(db->FindRecord(tgvUT_POI, 0), nullptr);
    EXPECT_TRUE(db->Flush());
  }
  EXPECT_EQ(ReopenedPOIs(), (std::vector<std::string>{"1:a", "2:B", "4:d", "5:e", "6:f"}));
  EXPECT_EQ(Rows("SELECT fZero, fName FROM POI WHERE fID IN (3, 7);"),
            (std::vector<std::string>{"1|<null>", "1|<null>"}));
  EXPECT_EQ(Rows("SELECT fObjNo, fObjFreeNo FROM BR_TGVLib WHERE fUserType=9;"), std::vector<std::string>{"7|2"});

  {
    // After a reload the last freed id comes first: 7, then 3, then a new 8.
    auto db = Open();
    for (uint32_t want : {7u, 3u, 8u}) {
      tgvRecord_C* r = NewPOI(*db, (u"n" + std::u16string(1, char16_t(u'0' + want))).c_str());
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(r->GetId(), want);
    }
    EXPECT_TRUE(db->Flush());
  }
  EXPECT_EQ(ReopenedPOIs(), (std::vector<std::string>{"1:a", "2:B", "3:n3", "4:d", "5:e", "6:f", "7:n7", "8:n8"}));
  EXPECT_EQ(Rows("SELECT fObjNo, fObjFreeNo FROM BR_TGVLib WHERE fUserType=9;"), std::vector<std::string>{"8|0"});
}

TEST_F(Store, RefusedFilesKeepTheirBytes) {
  {
    auto db = Open();
    for (int i = 0; i < 3; ++i) ASSERT_NE(NewPOI(*db, u"p"), nullptr);
    ASSERT_NE(db->CreateLine(tgvUT_Line, u"l", 0, 0, 0, 0, 0), nullptr);
  }
  const std::string good = ReadBytes(Path());
  struct Case {
    const char* what;
    const char* change;  // SQL run on a copy of the good file; null: raw bytes
    std::string bytes;
  } cases[] = {
      {"version 8", "UPDATE BR_TGVLib SET fDBType=8 WHERE fUserType=0;", {}},
      {"version 17", "UPDATE BR_TGVLib SET fDBType=17 WHERE fUserType=0;", {}},
      {"row out of order", "UPDATE BR_TGVLib SET fUserType=13 WHERE rowid=13;", {}},
      {"second row fID 3", "UPDATE POI SET fID=9 WHERE fID=2;", {}},
      {"fewer rows than fObjNo", "DELETE FROM POI WHERE fID=3;", {}},
      {"summary missing", "DROP TABLE BR_TGVLib;", {}},
      {"empty table missing", "DROP TABLE VStyle;", {}},
      // Version 11 with lines: the step to 12 empties Line, the load fails,
      // and nothing of the upgrade stays.
      {"upgrade that cannot load",
       "UPDATE BR_TGVLib SET fDBType=15 WHERE fUserType=0;"
       "ALTER TABLE WP DROP COLUMN fRPMSpeed;"
       "UPDATE BR_TGVLib SET fDBType=11 WHERE fUserType=0;",
       {}},
      // The step to 16 fails half-way (its column exists already).
      {"failing upgrade step", "UPDATE BR_TGVLib SET fDBType=15 WHERE fUserType=0;", {}},
      {"not a database", nullptr, std::string(4096, 'x')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBytes(Path(), good));
    if (c.change)
      ASSERT_TRUE(RawExec(c.change)) << c.what;
    else
      ASSERT_TRUE(WriteBytes(Path(), c.bytes));
    const std::string before = ReadBytes(Path());
    auto db = Open();
    EXPECT_EQ(db->GetState(), tgvDatabase_C::kOpenFailed) << c.what;
    EXPECT_EQ(db->GetRegSlot(), 0u) << c.what;
    db.reset();
    EXPECT_EQ(ReadBytes(Path()) == before, true) << c.what;
    // The same refusal again: the file was not left half-changed.
    EXPECT_EQ(Open()->GetState(), tgvDatabase_C::kOpenFailed) << c.what;
  }
  // A file left empty (a creation that failed) is made anew.
  ASSERT_TRUE(WriteBytes(Path(), ""));
  EXPECT_EQ(Open()->GetState(), tgvDatabase_C::kOpen);
  EXPECT_EQ(Rows("SELECT count(*) FROM BR_TGVLib;"), std::vector<std::string>{"20"});
}

// A damaged or hand-edited file may hold a text cell of an odd number of
// bytes, which SQLite keeps as it is: no whole zero unit follows its last
// unit. The open keeps the cell's whole units and every other record.
TEST_F(Store, ATextCellOfOddLengthIsReadToItsLastWholeUnit) {
  {
    auto db = Open();
    for (const char16_t* n : {u"a", u"b", u"c"}) ASSERT_NE(NewPOI(*db, n), nullptr);
  }
  const std::string good = ReadBytes(Path());
  // Long enough that SQLite takes its copy of the cell from the heap.
  const std::u16string name(1000, u'n');
  struct Case {
    const char* update;  // the cell, given the text and one stray byte
    std::u16string text;
    std::vector<std::string> pois;
  } cases[] = {{"UPDATE POI SET fName=? WHERE fID=2;", name, {"1:a", "2:" + Utf16ToUtf8(name), "3:c"}},
               {"UPDATE BR_TGVLib SET fTypeName=? WHERE fUserType=9;", u"POI", {"1:a", "2:b", "3:c"}}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBytes(Path(), good));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(Path().c_str(), &raw), SQLITE_OK);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> owner(raw, &sqlite3_close);
    std::vector<uint8_t> bytes = Utf16LeBytes(c.text, false);
    bytes.push_back('x');
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, c.update, -1, &st, nullptr), SQLITE_OK);
    sqlite3_bind_text16(st, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE) << c.update;
    sqlite3_finalize(st);
    owner.reset();
    EXPECT_EQ(ReopenedPOIs(), c.pois) << c.update;
  }
}

// Older formats, made from a current file by the upgrade steps read
// backwards: columns and tables each step added are removed again.
const char* const kDowngrade[] = {
    /* 16 -> 15 */ "ALTER TABLE WP DROP COLUMN fRPMSpeed;",
    /* 15 -> 14 */ "ALTER TABLE WP DROP COLUMN fMBarAlti;",
    /* 14 -> 13 */
    "ALTER TABLE GPSLog DROP COLUMN fGSensorX; ALTER TABLE GPSLog DROP COLUMN fGSensorY;"
    "ALTER TABLE GPSLog DROP COLUMN fGSensorZ;",
    /* 13 -> 12 */
    "ALTER TABLE WP DROP COLUMN fTemperature; ALTER TABLE WP DROP COLUMN fMBar;"
    "ALTER TABLE WP DROP COLUMN fBPM; ALTER TABLE WP DROP COLUMN fRPM;",
    /* 12 -> 11: the old WP and Line held nothing */
    "DROP TABLE VP; DROP TABLE GPSLog; DROP TABLE VStyle; DROP TABLE VSTag;"
    "DELETE FROM BR_TGVLib WHERE fUserType >= 16;"
    "DROP TABLE WP; DROP TABLE Line;"
    "CREATE TABLE WP (fID INT PRIMARY KEY, fZero INT, fParentID INT, fPosX INT, fPosY INT);"
    "CREATE TABLE Line (fID INT PRIMARY KEY, fZero INT, fName VARCHAR(256));"
    "UPDATE BR_TGVLib SET fObjNo=0, fObjFreeNo=0 WHERE fUserType IN (10, 11);"
    "ALTER TABLE POI DROP COLUMN fAltitude; ALTER TABLE TypeD DROP COLUMN fUserFlag;"
    "ALTER TABLE TypeD DROP COLUMN fVStyleID; ALTER TABLE ValD DROP COLUMN fUserFlag;"
    "ALTER TABLE TagD DROP COLUMN fDescription; ALTER TABLE TagD DROP COLUMN fUserText;"
    "ALTER TABLE FileD DROP COLUMN fDescription; ALTER TABLE FileD DROP COLUMN fUserText;",
    /* 11 -> 10 */
    "ALTER TABLE CP DROP COLUMN fName; ALTER TABLE POI DROP COLUMN fRealLong;"
    "ALTER TABLE POI DROP COLUMN fRealLati; ALTER TABLE WP DROP COLUMN fPosX;"
    "ALTER TABLE WP DROP COLUMN fPosY; ALTER TABLE Map DROP COLUMN fMapGlobal;"
    "ALTER TABLE Map DROP COLUMN fMapLBLong; ALTER TABLE Map DROP COLUMN fMapLBLati;"
    "ALTER TABLE Map DROP COLUMN fMapLULong; ALTER TABLE Map DROP COLUMN fMapLULati;"
    "ALTER TABLE Map DROP COLUMN fMapRULong; ALTER TABLE Map DROP COLUMN fMapRULati;"
    "ALTER TABLE Map DROP COLUMN fMapRBLong; ALTER TABLE Map DROP COLUMN fMapRBLati;",
    /* 10 -> 9 */
    "DELETE FROM BR_TGVLib WHERE fUserType IN (13, 14, 15);"
    "DROP TABLE PropInt; DROP TABLE PropDouble; DROP TABLE PropText;"
    "ALTER TABLE TypeD DROP COLUMN fOrder; ALTER TABLE Map DROP COLUMN fOrder;"
    "ALTER TABLE Map DROP COLUMN fMapLevel; ALTER TABLE Map DROP COLUMN fMapGSize;"
    "ALTER TABLE Map DROP COLUMN fMapWidth; ALTER TABLE Map DROP COLUMN fMapHeight;",
};

std::string FieldText(tgvDatabase_C& db, uint8_t userType, const char* column) {
  tgvRecord_C* r = db.FindRecord(userType, 1);
  if (!r) return "<no record>";
  const tgvColValue v = tgvFindColumn(r->GetSchemaKind(), column)->get(r);
  switch (v.cls) {
    case tgvCol_Int:
      return std::to_string(v.i);
    case tgvCol_Double:
      return std::to_string(v.d);
    default:
      return v.s ? Utf16ToUtf8(v.s) : "<null>";
  }
}

TEST_F(Store, EveryOlderVersionIsUpgradedFieldByField) {
  // Each field: the version that brought its column, its value, and what a
  // file older than that reads after the upgrade.
  struct Field {
    uint8_t userType;
    const char* column;
    int since;
    const char* value;
    const char* before;
  } const fields[] = {
      {tgvUT_TypeD, "fName", 9, "Track", ""},
      {tgvUT_TypeD, "fOrder", 10, "2", "0"},
      {tgvUT_TypeD, "fUserFlag", 12, "11", "9"},  // older types classify POIs
      {tgvUT_ValD, "fUserFlag", 12, "128", "0"},
      {tgvUT_TagD, "fDescription", 12, "desc", "<null>"},
      {tgvUT_CP, "fName", 11, "cp", "<null>"},
      {tgvUT_CP, "fLongitude", 9, "7.500000", ""},
      {tgvUT_POI, "fLongitude", 9, "1.000000", ""},
      {tgvUT_POI, "fRealLong", 11, "8.500000", "0.000000"},
      {tgvUT_POI, "fAltitude", 12, "420.000000", "0.000000"},
      {tgvUT_Map, "fMapLevel", 10, "5", "0"},
      {tgvUT_Map, "fMapGlobal", 11, "1", "0"},
      {tgvUT_Map, "fMapLBLong", 11, "7.000000", "0.000000"},
      {tgvUT_PropInt, "fValue", 10, "42", "<no record>"},
      {tgvUT_WP, "fLongitude", 12, "8.100000", "<no record>"},
      {tgvUT_WP, "fRPM", 13, "6000.000000", "0.000000"},
      {tgvUT_WP, "fMBarAlti", 15, "950.000000", "0.000000"},
      {tgvUT_WP, "fRPMSpeed", 16, "88.000000", "0.000000"},
      {tgvUT_GPSLog, "fGPSSpeed", 12, "99.500000", "<no record>"},
      {tgvUT_GPSLog, "fGSensorX", 14, "0.250000", "0.000000"},
  };
  for (int version = 9; version <= 15; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    std::filesystem::remove(Path());
    {
      auto db = Open();
      auto* type = db->CreateType(tgvUT_TypeD, u"Track", u"icon", 11, nullptr);
      type->SetOrder(2, 1);
      db->CreateValueDef(tgvUT_ValD, u"Best", 1, 128, type, nullptr);
      db->CreateTag(tgvUT_TagD, u"tag", u"desc", 9, u"ut");
      db->CreateControlPoint(tgvUT_CP, u"cp", nullptr, IntPoint_C(3, 4), GeoPoint_C(7.5, 46.0));
      NewPOI(*db, u"p");
      auto* map = db->CreateMap(tgvUT_Map, u"GLOBAL", u"f", 0, 1);
      map->SetMapLevel(5, 1);
      map->SetCorner(tgvMap_C::LeftBottom, 7.0, 46.0, 1);
      db->CreatePropInt(tgvUT_PropInt, u"n", type, 42, 0);
      tgvWayPointSensors s;
      s.rpm = 6000;
      s.mbarAlti = 950;
      s.rpmSpeed = 88;
      auto* line = db->CreateLine(tgvUT_Line, u"l", 0, 0, 1, 0, 0);
      db->CreateWayPoint(tgvUT_WP, line, IntPoint_C(0, 0), GeoPoint_C(8.1, 47.0, 400.0), 0, s, 0, 0, 1);
      db->CreateGPSLog(tgvUT_GPSLog, 1, 2, 99.5, 0.25, 0.0, 0.0);
    }
    std::string downgrade;
    for (int v = 16; v > version; --v) downgrade += kDowngrade[16 - v];
    // A stored version of 0 counts as 9.
    downgrade += "UPDATE BR_TGVLib SET fDBType=" + std::to_string(version == 9 ? 0 : version) + " WHERE fUserType=0;";
    ASSERT_TRUE(RawExec("BEGIN;" + downgrade + "COMMIT;"));

    auto db = Open();
    ASSERT_EQ(db->GetState(), tgvDatabase_C::kOpen);
    for (const Field& f : fields) {
      // The step to 12 re-creates WP and GPSLog empty.
      const bool wiped = version < 12 && (f.userType == tgvUT_WP || f.userType == tgvUT_GPSLog);
      EXPECT_EQ(FieldText(*db, f.userType, f.column), wiped                ? "<no record>"
                                                      : version >= f.since ? f.value
                                                                           : f.before)
          << f.column;
    }
    db.reset();
    EXPECT_EQ(Rows("SELECT fUserType, fDBType, fTypeName FROM BR_TGVLib WHERE rowid IN (1, 14, 20);"),
              (std::vector<std::string>{"0|16|<null>", "13|17|PropInt", "19|4|VSTag"}));
  }
}

TEST_F(Store, AFailedInsertLeavesNoTraceAndTheFileLoadable) {
  {
    auto db = Open();
    ASSERT_NE(NewPOI(*db, u"a"), nullptr);
  }
  // A row beyond fObjNo (written by another program) takes the next id.
  ASSERT_TRUE(RawExec("INSERT INTO POI (fID, fZero, fName) VALUES (2, 0, 'stray');"));
  {
    auto db = Open();
    EXPECT_EQ(NewPOI(*db, u"b"), nullptr);
    EXPECT_EQ(db->FindRecord(tgvUT_POI, 2), nullptr);
    EXPECT_EQ(db->GetObjectCount(tgvUT_POI), 1u);
    EXPECT_TRUE(db->Flush());
  }
  // No UPDATE zeroed the stray row, and the counters still match the rows.
  EXPECT_EQ(Rows("SELECT fName FROM POI ORDER BY fID;"), (std::vector<std::string>{"a", "stray"}));
  EXPECT_EQ(Rows("SELECT fObjNo FROM BR_TGVLib WHERE fUserType=9;"), std::vector<std::string>{"1"});
  EXPECT_EQ(ReopenedPOIs(), std::vector<std::string>{"1:a"});
}

TEST_F(Store, AFailedCommitIsReportedAndKeptForTheNextFlush) {
  auto db = Open();
  ASSERT_NE(NewPOI(*db, u"a"), nullptr);
  ASSERT_TRUE(db->Flush());
  ASSERT_NE(NewPOI(*db, u"b"), nullptr);  // pending in the open transaction
  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open(Path().c_str(), &reader), SQLITE_OK);
  ASSERT_TRUE(Exec(reader, "BEGIN; SELECT count(*) FROM POI;"));
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(reader, "SELECT fID FROM POI;", -1, &st, nullptr);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);  // holds a read lock
  EXPECT_FALSE(db->Flush());
  sqlite3_finalize(st);
  Exec(reader, "COMMIT;");
  sqlite3_close(reader);
  EXPECT_TRUE(db->Flush());
  db.reset();
  EXPECT_EQ(ReopenedPOIs(), (std::vector<std::string>{"1:a", "2:b"}));
}

TEST_F(Store, ThreeHundredDatabasesOpenAtOnceEachFindItsRecords) {
  constexpr int kCount = 300;
  std::vector<std::unique_ptr<tgvDatabase_C>> dbs;
  std::vector<std::u16string> paths;
  paths.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    paths.push_back(Utf8ToUtf16(m_tmp.File("t" + std::to_string(i) + ".poi")));
    dbs.push_back(std::make_unique<tgvDatabase_C>());
    ASSERT_TRUE(dbs.back()->Open(RecordTypeTable, paths.back().c_str(), nullptr));
    auto* poi = NewPOI(*dbs.back(), Utf8ToUtf16("db" + std::to_string(i)).c_str());
    ASSERT_NE(poi, nullptr);
  }
  for (int i = 0; i < kCount; ++i) {
    tgvRecord_C* poi = dbs[i]->FindRecord(tgvUT_POI, 1);
    ASSERT_EQ(poi->GetDatabase(), dbs[i].get()) << i;
    EXPECT_TRUE(poi->SetName(Utf8ToUtf16("renamed" + std::to_string(i)).c_str()));
  }
  dbs.clear();
  auto db = Open(m_tmp.File("t299.poi"));
  EXPECT_EQ(std::u16string_view(db->FindRecord(tgvUT_POI, 1)->GetName()), u"renamed299");
}

TEST_F(Store, ThreadsCreateAndChangeRecordsOfOneDatabase) {
  auto db = Open();
  constexpr int kThreads = 3, kEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kEach; ++i) {
        tgvPOI_C* poi = NewPOI(*db, u"x");
        if (poi) poi->SetTypeID(static_cast<uint32_t>(i + 1), 1);
        if (poi && i % 5 == 0) db->DeleteRecord(poi, false);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_TRUE(db->Flush());
  db.reset();
  EXPECT_EQ(ReopenedPOIs().size(), static_cast<size_t>(kThreads * kEach * 4 / 5));
}

TEST_F(Store, SearchesAndOwnerQueriesFindTheRightRecords) {
  auto db = Open();
  tgvType_C* type = db->CreateType(tgvUT_TypeD, u"T", u"i", 9, nullptr);
  tgvMap_C* m1 = db->CreateMap(tgvUT_Map, u"GLOBAL", u"g", 0, 1);
  tgvMap_C* m2 = db->CreateMap(tgvUT_Map, u"sheet", u"s", m1->GetId(), 0);
  m2->SetBeCal(1, 1);
  m1->SetOrder(2, 1);
  m2->SetOrder(1, 1);
  const struct {
    const char16_t* name;
    int x, y;
    double lon;
    uint32_t map;
  } pois[] = {{u"cab", 10, 10, 8.1, 1}, {u"abc", 20, 20, 8.2, 2}, {u"x'y", 30, 30, 8.3, 2}};
  for (const auto& p : pois)
    db->CreatePOI(tgvUT_POI, p.name, IntPoint_C(p.x, p.y), GeoPoint_C(p.lon, 47.0, 0.0), 0, type->GetId(), p.map);
  tgvLine_C* group = db->CreateLine(tgvUT_Line, u"group", 0, 0, type->GetId(), 0, 1);
  tgvLine_C* line = db->CreateLine(tgvUT_Line, u"lap", group->GetId(), 0, type->GetId(), 2, 0);
  for (int32_t order : {3, 1, 2})
    db->CreateWayPoint(tgvUT_WP, line, IntPoint_C(order, order), GeoPoint_C(8.0 + order, 47.0, 0), order,
                       tgvWayPointSensors{}, 2, 0, 0);
  db->CreateLink(tgvUT_NTag, db->FindRecord(tgvUT_POI, 1), m1);
  db->CreateLink(tgvUT_NTag, db->FindRecord(tgvUT_POI, 2), m1);

  auto ids = [](const std::function<uint32_t(PtrList_C*)>& query) {
    PtrList_C list;
    const uint32_t n = query(&list);
    std::vector<uint32_t> out;
    for (PtrListNode_C* pos = list.GetHeadPosition(); pos;)
      out.push_back(static_cast<tgvRecord_C*>(PtrList_C::GetNext(pos))->GetId());
    EXPECT_EQ(n, out.size());
    return out;
  };
  using V = std::vector<uint32_t>;
  const IntRect_C box(15, 15, 35, 35);
  const GeoBox_C geo(GeoPoint_C(8.05, 46.0), GeoPoint_C(8.25, 48.0));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchPOIs(l, tgvUT_POI, nullptr, nullptr, 0, u"ab"); }), (V{1, 2}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchPOIs(l, tgvUT_POI, nullptr, nullptr, 0, u"x'y"); }), (V{3}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchPOIs(l, tgvUT_POI, &box, nullptr, 2, nullptr); }), (V{2, 3}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchPOIs(l, tgvUT_POI, nullptr, &geo, 0, nullptr); }), (V{1, 2}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchPOIs(l, tgvUT_Line, nullptr, nullptr, 0, nullptr); }), V{});
  EXPECT_EQ(
      ids([&](PtrList_C* l) { return db->SearchWayPoints(l, tgvUT_WP, line->GetId(), 0, nullptr, nullptr, 0, -1); }),
      (V{2, 3, 1}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchWayPoints(l, tgvUT_WP, 0, 2, nullptr, nullptr, 2, 3); }),
            (V{3, 1}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchLines(l, tgvUT_Line, 0, 0, true, 0, nullptr); }),
            (V{group->GetId()}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchLines(l, tgvUT_Line, group->GetId(), 0, false, 0, u"la"); }),
            (V{line->GetId()}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchMaps(l, tgvUT_Map, 0, 0, nullptr, 0); }), (V{2, 1}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchMaps(l, tgvUT_Map, 1, 2, nullptr, 0); }), (V{2}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SearchMaps(l, tgvUT_Map, 2, 0, u"GLOB", 0); }), (V{1}));
  EXPECT_EQ(
      ids([&](PtrList_C* l) { return db->SelectByOwner(l, tgvUT_POI, tgvUT_TypeD, type->GetId(), tgvUT_Map, 2); }),
      (V{2, 3}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectByOwner(l, tgvUT_Line, tgvUT_Line, group->GetId()); }),
            (V{line->GetId()}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectByOwner(l, tgvUT_WP, tgvUT_TypeD, 1); }),
            V{});  // no such owner column
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectLinks(l, tgvUT_NTag, 0, 0, tgvUT_Map, m1->GetId()); }), (V{1, 2}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectLinks(l, tgvUT_NTag, tgvUT_POI, 2, tgvUT_Map, m1->GetId()); }),
            (V{2}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectLinksInMemory(l, tgvUT_NTag, tgvUT_POI, 1, 0, 0); }), (V{1}));
  EXPECT_EQ(ids([&](PtrList_C* l) { return db->SelectAll(l, tgvUT_Map); }), (V{2, 1}));
}

TEST_F(Store, ALinkIsFoundByTheEndsItWasMovedTo) {
  using V = std::vector<uint32_t>;
  auto db = Open();
  const uint32_t a = NewPOI(*db, u"a")->GetId(), b = NewPOI(*db, u"b")->GetId();
  const uint32_t red = db->CreateTag(tgvUT_TagD, u"red", nullptr, tgvUT_POI, nullptr)->GetId();
  const uint32_t blue = db->CreateTag(tgvUT_TagD, u"blue", nullptr, tgvUT_POI, nullptr)->GetId();
  auto poi = [](tgvDatabase_C& d, uint32_t id) { return d.FindRecord(tgvUT_POI, id); };
  auto tag = [](tgvDatabase_C& d, uint32_t id) { return d.FindRecord(tgvUT_TagD, id); };
  tgvLink_C* link = db->CreateLink(tgvUT_NTag, poi(*db, a), tag(*db, red));
  ASSERT_NE(link, nullptr);
  const uint32_t id = link->GetId();
  // A look-up first, so that the index holds the link by its first ends.
  EXPECT_EQ(LinkIds(*db, tgvUT_NTag, poi(*db, a), tag(*db, red)), V{id});
  ASSERT_TRUE(link->SetStart(poi(*db, b)));
  ASSERT_TRUE(link->SetEnd(tag(*db, blue)));
  auto moved = [&](tgvDatabase_C& d) {
    EXPECT_EQ(LinkIds(d, tgvUT_NTag, poi(d, b), nullptr), V{id});
    EXPECT_EQ(LinkIds(d, tgvUT_NTag, nullptr, tag(d, blue)), V{id});
    EXPECT_EQ(LinkIds(d, tgvUT_NTag, poi(d, a), nullptr), V{});
    EXPECT_EQ(LinkIds(d, tgvUT_NTag, nullptr, tag(d, red)), V{});
  };
  moved(*db);
  db.reset();
  moved(*Open());  // the file read again agrees
}

// Another program deletes a row by its deleted flag alone: the row keeps its
// ends. The value that takes the row again is found by the next field write,
// which then changes it instead of adding a second value for the field.
TEST_F(Store, AValueReusingARowDeletedWithItsEndsIsFoundByTheNextWrite) {
  uint32_t poiId = 0, defId = 0;
  {
    auto db = Open();
    tgvType_C* type = db->CreateType(tgvUT_TypeD, u"T", u"i", tgvUT_POI, nullptr);
    tgvValueDef_C* def = db->CreateValueDef(tgvUT_ValD, u"Best", 1, 0, type, nullptr);
    tgvPOI_C* poi = NewPOI(*db, u"p");
    ASSERT_NE(db->CreateValue(tgvUT_Val, poi, def, u"61.5"), nullptr);
    poiId = poi->GetId();
    defId = def->GetId();
    ASSERT_TRUE(db->Flush());
  }
  ASSERT_TRUE(RawExec("UPDATE Val SET fZero=1 WHERE fID=1; UPDATE BR_TGVLib SET fObjFreeNo=1 WHERE fUserType=7;"));

  auto db = Open();
  tgvRecord_C* poi = db->FindRecord(tgvUT_POI, poiId);
  tgvRecord_C* def = db->FindRecord(tgvUT_ValD, defId);
  auto write = [&](const char16_t* text) {
    if (tgvVal_C* v = db->FindValue(tgvUT_POI, poiId, tgvUT_ValD, defId)) return v->SetValue(text);
    return db->CreateValue(tgvUT_Val, poi, def, text) != nullptr;
  };
  ASSERT_TRUE(write(u"60.9"));
  const tgvVal_C* found = db->FindValue(tgvUT_POI, poiId, tgvUT_ValD, defId);
  EXPECT_EQ(found ? found->GetId() : 0u, 1u);  // the deleted row, taken again
  ASSERT_TRUE(write(u"59.8"));
  db.reset();
  EXPECT_EQ(Rows("SELECT fID, fValue FROM Val WHERE fZero=0;"), std::vector<std::string>{"1|59.8"});
}

TEST_F(Store, DeletingATypeMovesTheObjectsOfItsChildrenToTheSurvivingAncestor) {
  auto db = Open();
  tgvType_C* root = tgvType_C::Create(db.get(), u"Root", u"i", nullptr, nullptr, tgvUT_POI, false);
  tgvType_C* mid = tgvType_C::Create(db.get(), u"Mid", u"i", root, nullptr, 0, false);
  tgvType_C* leaf = tgvType_C::Create(db.get(), u"Leaf", u"i", mid, nullptr, 0, false);
  tgvPOI_C* a = tgvPOI_C::Create(db.get(), u"a", mid, IntPoint_C(0, 0), GeoPoint_C(8, 47), nullptr, false);
  tgvPOI_C* b = tgvPOI_C::Create(db.get(), u"b", leaf, IntPoint_C(0, 0), GeoPoint_C(8, 47), nullptr, false);
  ASSERT_TRUE(mid->Delete(false));
  EXPECT_TRUE(mid->IsDeleted());
  EXPECT_TRUE(leaf->IsDeleted());
  EXPECT_EQ(a->GetTypeID(), root->GetId());
  EXPECT_EQ(b->GetTypeID(), root->GetId());
}

TEST_F(Store, AnOpenPastTheRegistryLimitFails) {
  struct Host : tgvRecordHost_I {
    bool IsOpen() const override { return false; }
    bool SaveRecord(tgvRecord_C*) override { return false; }
    const char16_t* InternString(const char16_t* t) override { return t; }
  } host;
  std::vector<uint32_t> taken;
  for (uint32_t slot; (slot = tgvDBRegistry_C::Get().Register(&host)) != 0;) taken.push_back(slot);
  auto db = Open();
  EXPECT_EQ(db->GetState(), tgvDatabase_C::kOpenFailed);
  for (uint32_t slot : taken) tgvDBRegistry_C::Get().Unregister(slot);
  EXPECT_EQ(Open()->GetState(), tgvDatabase_C::kOpen);
}

}  // namespace
