#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "appcore/SessionFileWriter.h"
#include "platform/win32/utf.h"
#include "tests/appcore/sqlite_probe.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/temp_dir.h"

namespace {

// The tables as the service expects them.
struct TableCase {
  const char* file;
  const char* table;
  const char* create;
};
const TableCase kTables[] = {
    {"sess", "POI", "CREATE TABLE POI (id integer PRIMARY KEY AUTOINCREMENT, name text, wp_id int);"},
    {"sess", "WayPoints",
     "CREATE TABLE WayPoints(id INTEGER PRIMARY KEY AUTOINCREMENT,rcr char(1),time INTEGER,ms INTEGER,lat REAL,lon "
     "REAL,altitude REAL,heading REAL,speed REAL,Gx REAL,Gy REAL,Gz REAL,distance REAL,AccDec REAL,Inclination "
     "REAL);"},
    {"sess", "info", "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);"},
    {"sana", "beacon",
     "CREATE TABLE beacon(name TEXT, type INTEGER, lat REAL, lon REAL, heading REAL, width INTEGER, color INTEGER);"},
    {"sana", "condition",
     "CREATE TABLE condition(name TEXT, type INTEGER, unit INTEGER, bOfficial INTEGER, condi_1 REAL, condi_2 REAL, "
     "condi_3 REAL);"},
    {"sana", "info", "CREATE TABLE info (name text PRIMARY KEY NOT NULL, value text);"},
    {"sana", "lap",
     "CREATE TABLE lap(id INTEGER PRIMARY KEY AUTOINCREMENT,name TEXT,bFailed boolean,start_wp "
     "INTEGER,start_inter_lat REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon "
     "REAL,duration REAL,distance REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);"},
    {"sana", "sector",
     "CREATE TABLE sector(id INTEGER,lap_id INTEGER,name TEXT,bFailed boolean,start_wp INTEGER,start_inter_lat "
     "REAL,start_inter_lon REAL,finish_wp INTEGER,finish_inter_lat REAL,finish_inter_lon REAL,duration "
     "REAL,distance REAL,MaxSpd REAL,MinSpd REAL,AvgSpd REAL,MaxG REAL,MinG REAL,AvgG REAL);"},
};

const char* kTrackName = "Fuji's \"Rennstrecke\" Ünter 富士 🏁";

SessionTrackInfo Track() {
  SessionTrackInfo t;
  t.bOfficial = 1;
  t.id = u"12";
  t.name = CString(kTrackName);
  t.uDate = u"1701234567";
  t.raceType = u"Circuit";
  t.type = u"O'Brien";
  return t;
}

LapRec Lap(int32_t id) {
  LapRec l{};
  l.id = id;
  l.start_wp = 5000000000LL + id;  // beyond 32 bits
  l.finish_wp = 5000000100LL + id;
  l.start_inter_lat = 35.5, l.finish_inter_lon = 138.75, l.duration = 98.125, l.AvgG = 0.5;
  return l;
}

SectorRec Sector(int32_t id, int32_t lapId) {
  SectorRec s{};
  s.id = id;
  s.lap_id = lapId;
  s.start_wp = 7, s.finish_wp = 9, s.duration = 31.25;
  return s;
}

class SessionFileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(m_dir.File("ws")); }
  std::string FileOf(const std::string& kind, int id = 7) {
    return m_dir.File("ws/TransferDb/" + kind + "_" + std::to_string(id) + ".db");
  }
  SqlRows Query(const std::string& kind, const std::string& sql) { return QueryFile(FileOf(kind), sql); }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
  SessionFileWriter m_writer;
};

TEST_F(SessionFileWriterTest, BothFilesHaveExactlyTheirTablesAndInfoRows) {
  ASSERT_TRUE(m_writer.Create(m_dir.WFile("ws"), 7, CString("GPS-10 «Pro»"), Track()));
  EXPECT_EQ(Utf16ToUtf8(m_writer.SessPath()), FileOf("sess"));
  EXPECT_EQ(Utf16ToUtf8(m_writer.SanaPath()), FileOf("sana"));

  for (const TableCase& t : kTables)
    EXPECT_EQ(TableInfo(FileOf(t.file), t.table),
              ReferenceTableInfo(m_dir.File(std::string("ref_") + t.file + t.table), t.create, t.table))
        << t.file << " " << t.table;
  const char* tables = "SELECT name FROM sqlite_master WHERE type='table' AND name!='sqlite_sequence' ORDER BY 1;";
  EXPECT_EQ(Query("sess", tables), (SqlRows{{"POI"}, {"WayPoints"}, {"info"}}));
  EXPECT_EQ(Query("sana", tables), (SqlRows{{"beacon"}, {"condition"}, {"info"}, {"lap"}, {"sector"}}));
  for (const char* kind : {"sess", "sana"}) EXPECT_EQ(Query(kind, "PRAGMA encoding;"), SqlRows{{"UTF-16le"}});

  const char* info = "SELECT name, value FROM info ORDER BY rowid;";
  EXPECT_EQ(Query("sess", info), (SqlRows{{"version", "1.0"},
                                          {"type", "kdbSession"},
                                          {"serial", ""},
                                          {"frequency", ""},
                                          {"CreateBy", "KRX"},
                                          {"model", "GPS-10 «Pro»"}}));
  EXPECT_EQ(Query("sana", info), (SqlRows{{"version", "1.0"},
                                          {"C/B_bOfficial", "1"},
                                          {"C/B_id", "12"},
                                          {"C/B_name", kTrackName},
                                          {"C/B_uDate", "1701234567"},
                                          {"RaceType", "Circuit"},
                                          {"C/B_type", "O'Brien"},
                                          {"LapGearVer", "1573516800"}}));
  for (const char* empty : {"SELECT * FROM POI;", "SELECT * FROM WayPoints;"})
    EXPECT_TRUE(Query("sess", empty).empty()) << empty;
  EXPECT_TRUE(Query("sana", "SELECT * FROM condition;").empty());
}

TEST_F(SessionFileWriterTest, EveryRowReachesItsColumnsAndAnAbortedLapLeavesNoSectors) {
  ASSERT_TRUE(m_writer.Create(m_dir.WFile("ws"), 7, u"", Track()));
  BeaconRec beacon{};
  beacon.type = kBeaconSplit;
  std::memset(beacon.name, 'S', sizeof beacon.name);  // all 32 bytes used, no terminator
  beacon.lat = 35.25, beacon.lon = 138.5, beacon.heading = 359.5, beacon.width = 30, beacon.color = 0xFF00;
  EXPECT_TRUE(m_writer.WriteBeacon(beacon));
  EXPECT_TRUE(m_writer.WriteLap(Lap(1)));
  EXPECT_TRUE(m_writer.WriteSector(Sector(1, 1)) && m_writer.WriteSector(Sector(2, 1)));
  EXPECT_TRUE(m_writer.WriteSector(Sector(1, 2)));
  EXPECT_FALSE(m_writer.WriteLap(Lap(1))) << "a lap id written twice is a failed write";
  EXPECT_TRUE(m_writer.WriteLap(Lap(2))) << "a failed write does not spoil the next";

  std::vector<WayPointRow> points(3);
  for (int i = 0; i < 3; ++i) {
    points[i].id = i + 1;
    std::strcpy(points[i].rcr, i == 1 ? "B" : "A");
    points[i].time = 1000 + i, points[i].ms = 250 * i, points[i].lat = 35.0 + i, points[i].Inclination = -1.5;
  }
  EXPECT_TRUE(m_writer.WriteWayPoints(points.data(), 3));
  EXPECT_TRUE(m_writer.WriteBoundary(138.5, 35.25, 35.75, 139.0));  // lbLon, lbLat, rtLat, rtLon
  EXPECT_TRUE(m_writer.DeleteLapSectors(3)) << "the engine aborts a lap that has no sectors";
  EXPECT_TRUE(m_writer.DeleteLapSectors(2));
  m_writer.Close();

  EXPECT_EQ(Query("sana", "SELECT * FROM beacon;"),
            (SqlRows{{std::string(32, 'S'), "3", "35.25", "138.5", "359.5", "30", "65280"}}));
  EXPECT_EQ(Query("sana",
                  "SELECT id, bFailed, start_wp, start_inter_lat, finish_wp, finish_inter_lon, duration, "
                  "AvgG, typeof(name), name FROM lap ORDER BY id;"),
            (SqlRows{{"1", "0", "5000000001", "35.5", "5000000101", "138.75", "98.125", "0.5", "text", ""},
                     {"2", "0", "5000000002", "35.5", "5000000102", "138.75", "98.125", "0.5", "text", ""}}));
  EXPECT_EQ(Query("sana", "SELECT id, lap_id, start_wp, finish_wp, duration FROM sector ORDER BY rowid;"),
            (SqlRows{{"1", "1", "7", "9", "31.25"}, {"2", "1", "7", "9", "31.25"}}));
  EXPECT_EQ(Query("sess", "SELECT id, rcr, time, ms, lat, Inclination FROM WayPoints ORDER BY id;"),
            (SqlRows{{"1", "A", "1000", "0", "35.0", "-1.5"},
                     {"2", "B", "1001", "250", "36.0", "-1.5"},
                     {"3", "A", "1002", "500", "37.0", "-1.5"}}));
  EXPECT_EQ(Query("sess", "SELECT value FROM info WHERE name='boundary';"),
            SqlRows{{" { \"LBLat\" : 35.2500000000000000 , \"LBLon\" : 138.5000000000000000 , \"RTLat\" : "
                     "35.7500000000000000 , \"RTLon\" : 139.0000000000000000 } "}});
}

TEST_F(SessionFileWriterTest, FailedWritesAreReportedAndLeaveNoPartialPoints) {
  ASSERT_TRUE(m_writer.Create(m_dir.WFile("ws"), 7, u"", Track()));
  EXPECT_TRUE(m_writer.WriteWayPoints(nullptr, 0)) << "a session without points still has its files";
  std::vector<WayPointRow> points(4);
  for (int i = 0; i < 4; ++i) points[i].id = i == 2 ? 1 : i + 1;  // the third repeats the first id
  EXPECT_FALSE(m_writer.WriteWayPoints(points.data(), 4));
  EXPECT_TRUE(Query("sess", "SELECT id FROM WayPoints;").empty());
  EXPECT_TRUE(m_writer.WriteBoundary(1, 2, 3, 4));
  EXPECT_FALSE(m_writer.WriteBoundary(1, 2, 3, 4)) << "a second boundary row cannot be stored";

  SessionFileWriter unused;
  EXPECT_FALSE(unused.WriteLap(Lap(1))) << "a writer without files writes nothing";
  EXPECT_FALSE(unused.WriteWayPoints(points.data(), 1));
}

TEST_F(SessionFileWriterTest, ANewAttemptStartsFromEmptyFilesOrIsRefused) {
  ASSERT_TRUE(m_writer.Create(m_dir.WFile("ws"), 7, u"", Track()));
  ASSERT_TRUE(m_writer.WriteLap(Lap(1)));
  m_writer.Close();
  // A journal left by a crash would be rolled back into the new file.
  ASSERT_TRUE(WriteBytes(FileOf("sana") + "-journal", std::string(4096, '\x5a')));

  ASSERT_TRUE(m_writer.Create(m_dir.WFile("ws"), 7, u"", Track()));
  EXPECT_TRUE(Query("sana", "SELECT * FROM lap;").empty());
  EXPECT_EQ(Query("sana", "SELECT COUNT(*) FROM info;"), SqlRows{{"8"}});
  EXPECT_FALSE(std::filesystem::exists(FileOf("sana") + "-journal"));

  // An old file that cannot be removed: the session must be skipped.
  std::filesystem::create_directories(FileOf("sess", 8) + "/stuck");
  EXPECT_FALSE(m_writer.Create(m_dir.WFile("ws"), 8, u"", Track()));
}

}  // namespace
