// The file format of a new project database, checked against the format as
// written down (not against the column tables that build it).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "test_db.h"
#include "trackdb/tgvRecordTypes.h"
#include "trackdb/tgvSchema.h"

namespace {

const char kLink[] = "fStartType INT, fStartID INT, fEndType INT, fEndID INT";
const char kTag[] = "fName VARCHAR(256), fObjType INT, fDescription VARCHAR(256), fUserText TEXT";
const char kPropHead[] = "fName VARCHAR(256), fObjType INT, fObjID INT, fUserFlag INT, ";

// Columns after fID and fZero, table by table, in order, with declared types.
const std::map<std::string, std::string> kColumns = {
    {"TypeD",
     "fName VARCHAR(256), fIcon VARCHAR(256), fParentID INT, fValID INT, fOrder INT, "
     "fUserFlag INT, fVStyleID INT"},
    {"TagD", kTag},
    {"FileD", kTag},
    {"ValD", "fName VARCHAR(256), fParentID INT, fObjType INT, fNextID INT, fPrevID INT, fUserFlag INT"},
    {"NTag", kLink},
    {"FTag", kLink},
    {"VSTag", kLink},
    {"Val", std::string(kLink) + ", fValue TEXT"},
    {"CP", "fParentID INT, fPosX INT, fPosY INT, fLongitude DOUBLE, fLatitude DOUBLE, fName TEXT"},
    {"POI",
     "fName VARCHAR(128), fTypeID INT, fMapID INT, fLongitude DOUBLE, fLatitude DOUBLE, "
     "fRealLong DOUBLE, fRealLati DOUBLE, fAltitude DOUBLE"},
    {"WP",
     "fParentID INT, fNextID INT, fGPSLogID INT, fMapID INT, fPosX INT, fPosY INT, "
     "fLongitude DOUBLE, fLatitude DOUBLE, fAltitude DOUBLE, fOrder INT, fTemperature DOUBLE, "
     "fMBar DOUBLE, fBPM DOUBLE, fRPM DOUBLE, fMBarAlti DOUBLE, fRPMSpeed DOUBLE"},
    {"Line",
     "fName VARCHAR(256), fTypeID INT, fIsGroup INT, fParentID INT, fVPID INT, fStartID INT, "
     "fEndID INT, f1stWPID INT, fLstWPID INT, fMapID INT"},
    {"Map",
     "fName VARCHAR(256), fFile VARCHAR(256), fParentID INT, fBeCal INT, fOrder INT, "
     "fMapLevel INT, fMapGSize INT, fMapWidth INT, fMapHeight INT, fMapGlobal INT, "
     "fMapLBLong DOUBLE, fMapLBLati DOUBLE, fMapLULong DOUBLE, fMapLULati DOUBLE, "
     "fMapRULong DOUBLE, fMapRULati DOUBLE, fMapRBLong DOUBLE, fMapRBLati DOUBLE"},
    {"PropInt", std::string(kPropHead) + "fValue INT"},
    {"PropDouble", std::string(kPropHead) + "fValue DOUBLE"},
    {"PropText", std::string(kPropHead) + "fValue TEXT"},
    {"VP",
     "fName VARCHAR(128), fTypeID INT, fParentID INT, fPOIID INT, fWPID INT, fVPID INT, "
     "fOrder INT"},
    {"GPSLog",
     "fGPSTime1 INT, fGPSTime2 INT, fGPSSpeed DOUBLE, fGSensorX DOUBLE, fGSensorY DOUBLE, "
     "fGSensorZ DOUBLE"},
    {"VStyle",
     "fName VARCHAR(256), fVSDefineType INT, fVSStyleType INT, fVSPattern INT, fVSWidth INT, "
     "fVSHeight INT, fVSFColor INT, fVSBColor INT, fVSOColor INT, fVSFontSize INT, "
     "fVSFontName VARCHAR(128), fVSPatternName VARCHAR(128), fVSIconName VARCHAR(128)"},
};

// "name type, ..." of a table as the file declares it.
std::string DeclaredColumns(sqlite3* db, const std::string& table) {
  std::string out;
  for (const std::string& row : QueryRows(db, "PRAGMA table_info(" + table + ");")) {
    // cid|name|type|notnull|dflt_value|pk
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t bar; (bar = row.find('|', start)) != std::string::npos; start = bar + 1)
      f.push_back(row.substr(start, bar - start));
    f.push_back(row.substr(start));
    if (!out.empty()) out += ", ";
    out += f[1] + " " + f[2] + (f[5] != "0" ? " PK" : "");
  }
  return out;
}

}  // namespace

TEST(TrackDbFormat, RecordTypeTableNamesKindsAndOrder) {
  const char* names[] = {"TypeD", "TagD", "FileD",   "ValD",       "NTag",     "FTag", "Val",    "CP",     "POI",  "WP",
                         "Line",  "Map",  "PropInt", "PropDouble", "PropText", "VP",   "GPSLog", "VStyle", "VSTag"};
  const uint8_t kinds[] = {1, 2, 2, 3, 4, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 20, 21, 22, 4};
  for (uint32_t i = 0; i < tgvRecordTypeCount; ++i) {
    const tgvRecordTypeEntry& e = RecordTypeTable[i];
    EXPECT_EQ(e.userType, i + 1);
    EXPECT_EQ(e.schemaKind, kinds[i]) << names[i];
    EXPECT_EQ(e.zero, 0);
    EXPECT_EQ(Utf16ToUtf8(e.tableName), names[i]);
    EXPECT_STREQ(tgvTableNameA(e.userType), names[i]);
    EXPECT_GE(e.recordSize, 24u);
  }
  const tgvRecordTypeEntry& end = RecordTypeTable[tgvRecordTypeCount];
  EXPECT_EQ(end.userType, 0);
  EXPECT_EQ(end.schemaKind, 0);
  EXPECT_EQ(end.recordSize, 0u);
  EXPECT_EQ(end.tableName, nullptr);
  EXPECT_EQ(tgvFindRecordType(0), nullptr);
  EXPECT_EQ(tgvFindRecordType(20), nullptr);
  // Kinds 10..15 have no columns.
  for (uint8_t k = 10; k <= 15; ++k) EXPECT_EQ(tgvGetSchema(k), nullptr);
  EXPECT_EQ(tgvSqlCreateTable(12, "X"), "");
}

TEST(TrackDbFormat, NewFileHasExactTablesColumnsAndSummaryRows) {
  TempDir tmp;
  const std::string path = tmp.File("bruser.poi");
  {
    TestDb db;
    bool isNew = false;
    ASSERT_TRUE(db.Open(path, &isNew));
    EXPECT_TRUE(isNew);
  }
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);

  // Text is stored as UTF-16 (the file was created through the UTF-16 interface).
  EXPECT_EQ(QueryRows(raw, "PRAGMA encoding;"), std::vector<std::string>{"UTF-16le"});

  // Exactly the summary table and the 19 record tables.
  std::vector<std::string> tables = QueryRows(raw, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name;");
  std::vector<std::string> expectedTables = {"BR_TGVLib"};
  for (const auto& [name, cols] : kColumns) expectedTables.push_back(name);
  std::sort(expectedTables.begin(), expectedTables.end());
  EXPECT_EQ(tables, expectedTables);

  EXPECT_EQ(DeclaredColumns(raw, "BR_TGVLib"),
            "fUserType INT, fDBType INT, fObjNo INT, fObjFreeNo INT, fTypeName VARCHAR(128)");
  for (const auto& [name, cols] : kColumns) {
    EXPECT_EQ(DeclaredColumns(raw, name), "fID INT PK, fZero INT, " + cols) << name;
    EXPECT_TRUE(QueryRows(raw, "SELECT * FROM " + name + ";").empty()) << name;
  }

  // Version row first, then one row per record type in user-type order.
  std::vector<std::string> expectedRows = {"0|16|0|0|<null>"};
  for (uint32_t i = 0; i < tgvRecordTypeCount; ++i) {
    expectedRows.push_back(std::to_string(i + 1) + "|" + std::to_string(RecordTypeTable[i].schemaKind) + "|0|0|" +
                           Utf16ToUtf8(RecordTypeTable[i].tableName));
  }
  EXPECT_EQ(QueryRows(raw, "SELECT * FROM BR_TGVLib;"), expectedRows);
  EXPECT_EQ(QueryRows(raw, "SELECT typeof(fTypeName) FROM BR_TGVLib WHERE fUserType=9;"),
            std::vector<std::string>{"text"});
  sqlite3_close(raw);
}

TEST(TrackDbFormat, StatementTexts) {
  EXPECT_EQ(tgvSqlCreateSummary(),
            "CREATE TABLE BR_TGVLib (fUserType INT, fDBType INT, fObjNo INT, fObjFreeNo INT, "
            "fTypeName VARCHAR(128));");
  EXPECT_EQ(tgvSqlInsertSummary(), "INSERT INTO BR_TGVLib VALUES(?, ?, ?, ?, ?);");
  EXPECT_EQ(tgvSqlUpdateCounters(), "UPDATE BR_TGVLib SET fObjNo=?, fObjFreeNo=? WHERE fUserType=? ;");
  EXPECT_EQ(tgvSqlCreateTable(tgvSK_Link, "NTag"),
            "CREATE TABLE NTag (fID INT PRIMARY KEY, fZero INT, fStartType INT, fStartID INT, "
            "fEndType INT, fEndID INT);");
  EXPECT_EQ(tgvSqlInsert(tgvSK_Link, "VSTag"), "INSERT INTO VSTag VALUES (?, ?, ?, ?, ?, ?);");
  EXPECT_EQ(tgvSqlUpdate(tgvSK_GPSLog, "GPSLog"),
            "UPDATE GPSLog SET fZero=?, fGPSTime1=?, fGPSTime2=?, fGPSSpeed=?, fGSensorX=?, "
            "fGSensorY=?, fGSensorZ=? WHERE fID=? ;");
  // Kinds 17..19 share one UPDATE text.
  EXPECT_EQ(tgvSqlUpdate(tgvSK_PropInt, "T"), tgvSqlUpdate(tgvSK_PropText, "T"));
  EXPECT_EQ(tgvSqlUpdate(tgvSK_PropInt, "T"), tgvSqlUpdate(tgvSK_PropDouble, "T"));

  // One "?" per column: 6 for the link kind up to 20 for the map.
  auto marks = [](const std::string& s) { return std::count(s.begin(), s.end(), '?'); };
  EXPECT_EQ(marks(tgvSqlInsert(tgvSK_Map, "Map")), 20);
  EXPECT_EQ(marks(tgvSqlUpdate(tgvSK_Map, "Map")), 20);
  EXPECT_EQ(marks(tgvSqlInsert(tgvSK_WP, "WP")), 18);

  EXPECT_EQ(tgvSqlSelectAll("POI"), "SELECT * FROM POI ;");
  EXPECT_EQ(tgvSqlSelectLiveIds(tgvSK_Type, "TypeD"), "SELECT fID FROM TypeD WHERE fZero=0 ORDER BY fOrder;");
  EXPECT_EQ(tgvSqlSelectLiveIds(tgvSK_Map, "Map"), "SELECT fID FROM Map WHERE fZero=0 ORDER BY fOrder;");
  EXPECT_EQ(tgvSqlSelectLiveIds(tgvSK_POI, "POI"), "SELECT fID FROM POI WHERE fZero=0 ;");
  EXPECT_EQ(tgvSqlSelectByOwner(tgvSK_POI, "POI", "fMapID"), "SELECT fID FROM POI WHERE fZero=0 AND fMapID=? ;");
  EXPECT_EQ(tgvSqlSelectByOwners(tgvSK_Type, "TypeD", "fParentID", "fValID"),
            "SELECT fID FROM TypeD WHERE fZero=0 AND fParentID=? AND fValID=? ORDER BY fOrder;");

  tgvCondition_C cond;
  cond.AddEquals("fParentID", 4);
  cond.AddRange("fOrder", 1, 9);
  EXPECT_EQ(cond.BuildSelect("WP", tgvCondition_C::OrderSemicolon, "fOrder"),
            "SELECT fID FROM WP WHERE fZero=0 AND fParentID = ? AND ( fOrder BETWEEN ? AND ? ) "
            "ORDER BY fOrder ;;");
  EXPECT_EQ(cond.GetParams().size(), 3u);
  tgvCondition_C plain;
  EXPECT_EQ(plain.BuildSelect("Line"), "SELECT fID FROM Line WHERE fZero=0 ;");
  EXPECT_EQ(plain.BuildSelect("Map", tgvCondition_C::Order, "fOrder"),
            "SELECT fID FROM Map WHERE fZero=0 ORDER BY fOrder ;");
}
