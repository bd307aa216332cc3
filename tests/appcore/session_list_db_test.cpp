#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "appcore/SessionListDb.h"
#include "platform/win32/utf.h"
#include "tests/appcore/sqlite_probe.h"
#include "tests/common/env.h"
#include "tests/common/sqlite_work.h"
#include "tests/common/temp_dir.h"

namespace {

constexpr const char* kPartCreateSessList =
    "CREATE TABLE SessList (id INTEGER PRIMARY KEY AUTOINCREMENT, gid INTEGER, uid INTEGER, respCode INTEGER DEFAULT "
    "-1, nickName TEXT, raceType INTEGER, mapId INTEGER, mName TEXT, folder TEXT, unit INTEGER, timezone INTEGER, "
    "startDateTime TEXT, startTime INTEGER, duration DOUBLE, distance DOUBLE, maxSpd DOUBLE, minSpd DOUBLE, avgSpd "
    "DOUBLE, maxAlt DOUBLE, minAlt DOUBLE, avgAlt DOUBLE, maxG DOUBLE, minG DOUBLE, avgG DOUBLE, laps INTEGER, "
    "bestLap INTEGER, strBestLapTime TEXT, bestLapTime DOUBLE, desc TEXT);";

SessionSummary Session(const char* folder, const char16_t* mName, int32_t raceType, int32_t startTime) {
  SessionSummary s;
  s.folder = folder;
  s.mName = mName;
  s.raceType = raceType;
  s.startTime = startTime;
  return s;
}

class SessionListDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TrackMap"));
    std::filesystem::create_directories(m_dir.File("ws"));
    ASSERT_TRUE(m_db.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora")));
  }
  void AddTrackFolder(const std::string& name) {
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TrackMap/" + name));
  }
  // Row id of the session with that folder, 0 when there is none.
  int32_t IdOf(const std::string& folder) {
    SqlRows rows = QueryFile(Utf16ToUtf8(m_db.Path()), "SELECT id FROM SessList WHERE folder='" + folder + "';");
    return rows.empty() ? 0 : std::stoi(rows[0][0]);
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
  SessionListDb m_db;
};

TEST_F(SessionListDbTest, TableIsTheOneOfTheCreateStatementAndSurvivesASecondCreate) {
  const std::string path = Utf16ToUtf8(m_db.Path());
  EXPECT_EQ(path, m_dir.File("ws/TransferDb/SessionList.db"));
  EXPECT_EQ(TableInfo(path, "SessList"), ReferenceTableInfo(m_dir.File("ref.db"), kPartCreateSessList, "SessList"));
  EXPECT_EQ(QueryFile(path, "PRAGMA encoding;"), SqlRows{{"UTF-16le"}});

  ASSERT_TRUE(m_db.Insert(Session("t1", u"Fuji", kRaceSprint, 10)));
  ASSERT_TRUE(m_db.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora")));
  EXPECT_EQ(m_db.CountByRaceType(kRaceSprint), 1);
}

TEST_F(SessionListDbTest, ARowReadsBackFieldByFieldAndStartsNeverTried) {
  SessionSummary in = Session("2026/track 7", u"Fuji 富士 'West'", kRaceQualify, 1700000000);
  in.gid = 5, in.uid = 6, in.mapId = 7, in.unit = 1, in.timezone = -540, in.laps = 12, in.bestLap = 4;
  in.duration = 1.5, in.distance = 2.5, in.maxSpd = 3.5, in.minSpd = 4.5, in.avgSpd = 5.5, in.maxAlt = 6.5;
  in.minAlt = 7.5, in.avgAlt = 8.5, in.maxG = 9.5, in.minG = 10.5, in.avgG = 11.5, in.bestLapTime = 98.25;
  in.nickName = u"Jürgen", in.startDateTime = u"2026/12/07  10:05", in.strBestLapTime = u"01:38.250";
  in.desc = u"line one\nline \"two\"";
  in.respCode = 0;  // not stored: a new row is never tried
  ASSERT_TRUE(m_db.Insert(in));
  EXPECT_FALSE(m_db.Insert(Session("", u"Fuji", kRaceSprint, 1))) << "a session without folder is not stored";

  SessionSummary out;
  ASSERT_TRUE(m_db.GetById(IdOf("2026/track 7"), out));
  EXPECT_EQ(out.respCode, kRespNeverTried);
  EXPECT_EQ(std::make_tuple(out.gid, out.uid, out.raceType, out.mapId, out.unit, out.timezone, out.startTime),
            std::make_tuple(5, 6, kRaceQualify, 7, 1, -540, 1700000000));
  EXPECT_EQ(std::make_tuple(out.laps, out.bestLap, out.bestLapTime), std::make_tuple(12, 4, 98.25));
  EXPECT_EQ((std::vector<double>{out.duration, out.distance, out.maxSpd, out.minSpd, out.avgSpd, out.maxAlt, out.minAlt,
                                 out.avgAlt, out.maxG, out.minG, out.avgG}),
            (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5}));
  for (auto field : {&SessionSummary::mName, &SessionSummary::nickName, &SessionSummary::folder,
                     &SessionSummary::startDateTime, &SessionSummary::strBestLapTime, &SessionSummary::desc})
    EXPECT_EQ((out.*field).Str(), (in.*field).Str());

  SessionSummary untouched;
  untouched.laps = 77;
  EXPECT_FALSE(m_db.GetById(9999, untouched));
  EXPECT_EQ(untouched.laps, 77);
  EXPECT_EQ(untouched.respCode, kRespNeverTried);
  EXPECT_EQ(untouched.maxSpd, 0.0);
}

TEST_F(SessionListDbTest, SyncFollowsTheScanAndKeepsWhatIsUploaded) {
  std::vector<SessionSummary> scan = {Session("a", u"Fuji", kRaceSprint, 1), Session("b", u"Fuji", kRaceSprint, 2),
                                      Session("c", u"Fuji", kRaceSprint, 3), Session("", u"Fuji", kRaceSprint, 4)};
  ASSERT_TRUE(m_db.Sync(scan.data(), 4));
  const int32_t a = IdOf("a"), b = IdOf("b"), c = IdOf("c");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(m_db.CountByRaceType(kRaceSprint), 3);
  EXPECT_FALSE(m_db.Sync(scan.data(), -1));
  EXPECT_FALSE(m_db.Sync(nullptr, 2));
  EXPECT_EQ(m_db.CountByRaceType(kRaceSprint), 3) << "a bad scan deletes nothing";

  SessionStatsUpdate stats;
  stats.laps = 9;
  stats.strBestLapTime = u"01:02.003";
  ASSERT_TRUE(m_db.UpdateStats(a, stats) && m_db.UpdateStats(b, stats));
  ASSERT_TRUE(m_db.SetUploadIds(a, 501, 42) && m_db.SetRespCode(a, kRespUploaded));
  ASSERT_TRUE(m_db.SetRespCode(b, kRespFailed));

  // The next scan: a and b renamed and recategorised, c gone.
  scan = {Session("a", u"Suzuka", kRaceEndurance, 1), Session("b", u"Suzuka", kRaceEndurance, 2)};
  scan[1].laps = 1;  // statistics of the scan never replace stored ones
  ASSERT_TRUE(m_db.Sync(scan.data(), 2));
  SessionSummary rowA, rowB, rowC;
  ASSERT_TRUE(m_db.GetById(a, rowA) && m_db.GetById(b, rowB));
  EXPECT_FALSE(m_db.GetById(c, rowC));
  EXPECT_EQ(std::make_tuple(rowA.mName.Str(), rowA.raceType, rowA.gid, rowA.uid, rowA.laps),
            std::make_tuple(std::u16string(u"Fuji"), int32_t(kRaceSprint), 501, 42, 9));
  EXPECT_EQ(std::make_tuple(rowB.mName.Str(), rowB.raceType, rowB.respCode, rowB.laps, rowB.strBestLapTime.Str()),
            std::make_tuple(std::u16string(u"Suzuka"), int32_t(kRaceEndurance), int32_t(kRespFailed), 9,
                            std::u16string(u"01:02.003")));
  EXPECT_TRUE(m_db.IsUploaded(a));
  EXPECT_FALSE(m_db.IsUploaded(b));
  EXPECT_FALSE(m_db.IsUploaded(9999));

  // c comes back: a new row, never tried.
  scan.push_back(Session("c", u"Fuji", kRaceSprint, 3));
  ASSERT_TRUE(m_db.Sync(scan.data(), 3));
  EXPECT_GT(IdOf("c"), c);
  ASSERT_TRUE(m_db.GetById(IdOf("c"), rowC));
  EXPECT_EQ(rowC.respCode, kRespNeverTried);
}

// A start stored by an earlier reading (another version, another computer
// zone) is what an upload would send: a row not uploaded takes the scan's,
// an uploaded one keeps what the service holds.
TEST_F(SessionListDbTest, SyncRewritesTheStartOfARowNotUploadedAndKeepsAnUploadedOne) {
  auto started = [](const char* folder, int32_t startTime, const char16_t* shown, int32_t timezone) {
    SessionSummary s = Session(folder, u"Fuji", kRaceSprint, startTime);
    s.startDateTime = shown, s.timezone = timezone;
    return s;
  };
  std::vector<SessionSummary> scan = {started("up", 1715346780, u"2024/05/10  09:13", 0),
                                      started("failed", 1715346780, u"2024/05/10  09:13", 0),
                                      started("new", 1715346780, u"2024/05/10  09:13", 0)};
  ASSERT_TRUE(m_db.Sync(scan.data(), 3));
  ASSERT_TRUE(m_db.SetRespCode(IdOf("up"), kRespUploaded) && m_db.SetRespCode(IdOf("failed"), kRespFailed));

  for (SessionSummary& s : scan)
    s = started(Utf16ToUtf8(s.folder.Str()).c_str(), 1715343180, u"2024/05/10  10:13", -300);
  ASSERT_TRUE(m_db.Sync(scan.data(), 3));
  EXPECT_EQ(QueryFile(Utf16ToUtf8(m_db.Path()),
                      "SELECT folder, startTime, startDateTime, timezone FROM SessList ORDER BY id;"),
            (SqlRows{{"up", "1715346780", "2024/05/10  09:13", "0"},
                     {"failed", "1715343180", "2024/05/10  10:13", "-300"},
                     {"new", "1715343180", "2024/05/10  10:13", "-300"}}));
}

// A folder may hold several rows (written by hand, or by an older list) and a
// scan may name a folder twice: each summary claims one row, a folder with a
// row left unclaimed loses all of them (and its summary makes a new row), and
// a folder new in this scan is inserted once, then updated by its second
// summary.
TEST_F(SessionListDbTest, SyncCountsTheRowsOfAFolderAgainstItsSummaries) {
  for (const char* folder : {"d", "d", "f", "f"}) ASSERT_TRUE(m_db.Insert(Session(folder, u"Fuji", kRaceSprint, 1)));
  std::vector<SessionSummary> scan = {Session("f", u"Suzuka", kRaceSprint, 1), Session("e", u"Fuji", kRaceSprint, 2),
                                      Session("d", u"Fuji", kRaceSprint, 3), Session("f", u"Suzuka", kRaceSprint, 1),
                                      Session("e", u"Motegi", kRaceSprint, 2)};
  ASSERT_TRUE(m_db.Sync(scan.data(), static_cast<int32_t>(scan.size())));
  EXPECT_EQ(QueryFile(Utf16ToUtf8(m_db.Path()), "SELECT folder, mName FROM SessList ORDER BY id;"),
            (SqlRows{{"f", "Suzuka"}, {"f", "Suzuka"}, {"e", "Motegi"}, {"d", "Fuji"}}));
}

// Sync of a scan whose rows are all stored, at two sizes ten times apart:
// the work per session stays the same (a look-up of each folder in the file
// would make it grow with the rows).
TEST(SessionListDbCost, ASecondSyncCostsTheSameWorkPerSessionAtTenTimesTheSessions) {
  SqliteWork work;
  double perSession[2] = {};
  const int32_t sizes[2] = {150, 1500};
  for (int k = 0; k < 2; ++k) {
    TempDir dir;
    ScopedUserFolders folders{dir.Path()};
    std::filesystem::create_directories(dir.File("ws"));
    SessionListDb db;
    ASSERT_TRUE(db.Create(dir.WFile("ws"), dir.WFile("Documents/Pelmora")));
    std::vector<SessionSummary> scan;
    for (int32_t i = 0; i < sizes[k]; ++i)
      scan.push_back(Session(("t" + std::to_string(i)).c_str(), u"Fuji", i % 4, i));
    ASSERT_TRUE(db.Sync(scan.data(), sizes[k]));
    for (SessionSummary& s : scan) s.mName = u"Suzuka";
    SqliteWork::Take();
    ASSERT_TRUE(db.Sync(scan.data(), sizes[k]));
    perSession[k] = static_cast<double>(SqliteWork::Take()) / sizes[k];
    EXPECT_EQ(db.CountByRaceType(0), (sizes[k] + 3) / 4);
  }
  EXPECT_LT(perSession[1], perSession[0] * 1.5) << perSession[0] << " steps per session at " << sizes[0];
}

TEST_F(SessionListDbTest, OnlyRowsWithATrackFolderAreListedNewestFirstWithoutGaps) {
  AddTrackFolder("Fuji");
  AddTrackFolder("evil");  // reachable only through a name with a separator
  std::vector<SessionSummary> scan = {
      Session("f1", u"Fuji", kRaceSprint, 100),    Session("f2", u"Fuji", kRaceSprint, 300),
      Session("s1", u"Suzuka", kRaceSprint, 200),  Session("x1", u"../Pelmora/TrackMap/evil", kRaceSprint, 250),
      Session("x2", u"..", kRaceSprint, 260),      Session("e1", u"", kRaceSprint, 400),
      Session("f3", u"Fuji", kRaceEndurance, 150), Session("d1", u"Fuji", kRaceDrag, 500),
  };
  ASSERT_TRUE(m_db.Sync(scan.data(), static_cast<int32_t>(scan.size())));

  struct Case {
    int32_t raceType;  // -1: the circuit group
    int32_t capacity;
    std::vector<std::string> folders;
  };
  const Case cases[] = {
      {kRaceSprint, 10, {"f2", "f1"}}, {kRaceSprint, 1, {"f2"}},     {kRaceSprint, 0, {}},
      {kRaceDrag, 10, {"d1"}},         {-1, 10, {"f2", "f3", "f1"}}, {kRaceRally, 10, {}},
  };
  for (const Case& c : cases) {
    std::vector<SessionSummary> out(12);
    out[c.folders.size()].laps = 77;  // the first slot past the filled ones
    int32_t n = c.raceType < 0 ? m_db.GetCircuitSessions(out.data(), c.capacity)
                               : m_db.GetSessionsByRaceType(c.raceType, out.data(), c.capacity);
    std::vector<std::string> got;
    for (int32_t i = 0; i < n; ++i) got.push_back(Utf16ToUtf8(out[i].folder.Str()));
    EXPECT_EQ(got, c.folders) << "race type " << c.raceType << ", capacity " << c.capacity;
    EXPECT_EQ(out[c.folders.size()].laps, 77) << "a slot past the filled ones was written";
    if (c.raceType >= 0 && c.capacity >= 10) {
      EXPECT_EQ(m_db.CountTracksWithFolder(c.raceType), n) << "race type " << c.raceType;
    }
  }
}

TEST_F(SessionListDbTest, ThreadsAndASecondConnectionWritingAtOnceLoseNothing) {
  SessionListDb other;  // a second object: its own connection to the same file
  ASSERT_TRUE(other.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora")));
  constexpr int kRows = 30;
  auto writer = [&](SessionListDb* db, char tag) {
    for (int i = 0; i < kRows; ++i) {
      std::string folder = std::string(1, tag) + std::to_string(i);
      SessionSummary s = Session(folder.c_str(), u"Fuji", kRaceSprint, i);
      if (!db->Insert(s)) ADD_FAILURE() << "insert " << folder;
      if (!db->SetRespCode(IdOf(folder), 300 + tag)) ADD_FAILURE() << "code " << folder;
    }
  };
  std::thread t1(writer, &m_db, 'a'), t2(writer, &m_db, 'b'), t3(writer, &other, 'c');
  t1.join(), t2.join(), t3.join();

  SqlRows codes =
      QueryFile(Utf16ToUtf8(m_db.Path()),
                "SELECT substr(folder,1,1), COUNT(*), MIN(respCode), MAX(respCode) FROM SessList GROUP BY 1;");
  const std::string n = std::to_string(kRows);
  EXPECT_EQ(codes, (SqlRows{{"a", n, "397", "397"}, {"b", n, "398", "398"}, {"c", n, "399", "399"}}));
}

}  // namespace
