// The upload pipeline without a window, on a generated workspace, against the
// stand-in service: what the service receives, what the session list keeps,
// and how every kind of failure is counted and retried.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "appcore/BeaconFile.h"
#include "appcore/LapTimeText.h"
#include "appcore/SessionListDb.h"
#include "appcore/SessionScan.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UploadPipeline.h"
#include "appcore/UserInfoDb.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/SportUser.h"
#include "tests/appcore/sqlite_probe.h"
#include "tests/common/circuit_beacons.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/standin_user.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/projgen/SampleWorkspace.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

namespace {

const uint64_t kDay = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
constexpr int32_t kMapId = 7;

struct Session {
  const char16_t* name;
  int32_t raceType;
  int hz;
  double seconds;  // 0: a single point
  const char16_t* mName = u"Fuji";
};

class UploadPipelineTest : public StandinUserTest {
 protected:
  void SetUp() override {
    StandinUserTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("ws"));
    m_host.SetWorkspace(m_workspace);
    const StandinAccount rider = {"rider@example.org", "secret", "Rider", 0, "Japan", "ja", true};
    m_uid = static_cast<int32_t>(m_service->AddAccount(rider));
    std::atomic<int32_t> state{kLoginNone};
    ASSERT_TRUE(ApiLogin(state, u"rider@example.org", u"secret"));
    ASSERT_TRUE(m_trackMaps.Create(m_userData));
    TrackListItem map;
    map.mapId = kMapId, map.uDate = 1700000000, map.type = u"Circuit", map.Label = u"Fuji";
    ASSERT_TRUE(m_trackMaps.Update(&map, 1));
    ASSERT_TRUE(m_sessions.Create(m_workspace, m_userData));
  }
  void TearDown() override {
    CSportProjMgr::GetInstance()->CloseWorkspace();
    SetApiUploadTimeLimit(0);
    StandinUserTest::TearDown();
  }

  // The beacon file of the map "Fuji" (or of `map`).
  void PutBeacons(const std::vector<StandinBeacon>& beacons, const std::string& map = "Fuji") {
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TransferDb/bcnx"));
    WriteBytes(m_dir.File("Documents/Pelmora/TransferDb/bcnx/" + map + ".bcnx"), MakeBeaconFile(beacons));
  }
  void PutCircuitBeacons() { PutBeacons({CircuitBeacon(0, 0.3), CircuitBeacon(3, std::numbers::pi)}); }

  // A workspace of the sessions, one SessList row each (ids from 1, in
  // order; track files Track1, Track2, ...).
  // `recorded` replaces the generated samples of the first sessions.
  void MakeWorkspace(const std::vector<Session>& sessions,
                     const std::vector<std::vector<projgen::Sample>>& recorded = {}) {
    projgen::WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
    std::vector<SessionSummary> rows;
    for (size_t i = 0; i < sessions.size(); ++i) {
      const Session& s = sessions[i];
      const uint64_t start = kDay + i * 36000000000ULL;
      std::vector<projgen::Sample> samples =
          i < recorded.size() ? recorded[i] : projgen::CircuitSamples(kCircuit, s.hz, s.seconds, start);
      driver.tracks.push_back({s.name, {{u"SportType", u"Car Racing"}, {u"RacingType", u"Sprint"}}, samples});
      SessionSummary row;
      row.raceType = s.raceType;
      row.mName = s.mName;
      row.folder = Utf8ToUtf16("Track" + std::to_string(i + 1));
      row.startTime = 1717232400 + static_cast<int32_t>(i) * 3600;
      row.duration = s.seconds > 0 ? 999.0 : 0.0;
      rows.push_back(row);
    }
    ASSERT_TRUE(projgen::WriteWorkspace(m_workspace, {driver}, {}));
    ASSERT_EQ(CSportProjMgr::GetInstance()->OpenWorkspace(m_workspace.c_str()), kWorkspaceOk);
    ASSERT_TRUE(m_sessions.Sync(rows.data(), static_cast<int32_t>(rows.size())));
  }

  // Runs the whole pipeline over the rows (all of them when empty).
  std::vector<SessionSummary> Upload(std::vector<int32_t> ids = {}) {
    if (ids.empty())
      for (int32_t id = 1; m_sessions.GetById(id, m_scratch); ++id) ids.push_back(id);
    std::vector<SessionSummary> records = CollectUploadRecords(m_sessions, ids);
    m_state = kUploadTransferring;
    UploadPipeline pipeline({m_workspace, m_userData, &m_sessions, &m_trackMaps, CSportProjMgr::GetInstance()},
                            {m_state, m_done, m_fraction, m_ok, m_fail, m_duplicate, m_cannot},
                            {std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
    pipeline.Run(records.data(), static_cast<int32_t>(records.size()));
    return records;
  }
  SessionSummary Row(int32_t id) {
    SessionSummary r;
    EXPECT_TRUE(m_sessions.GetById(id, r));
    return r;
  }
  std::vector<int32_t> Counters() const { return {m_ok, m_fail, m_duplicate, m_cannot}; }
  bool FilesExist(int32_t id) const {
    return std::filesystem::exists(m_dir.File("ws/TransferDb/sess_" + std::to_string(id) + ".db")) &&
           std::filesystem::exists(m_dir.File("ws/TransferDb/sana_" + std::to_string(id) + ".db"));
  }
  // Queries a file the service received.
  SqlRows Query(const std::string& bytes, const std::string& sql) {
    const std::string path = m_dir.File("received.db");
    WriteBytes(path, bytes);
    return QueryFile(path, sql);
  }

  std::u16string m_workspace = m_dir.WFile("ws");
  ScopedUserFolders m_folders{m_dir.Path()};
  TrackMapDb m_trackMaps;
  SessionListDb m_sessions;
  SessionSummary m_scratch;
  int32_t m_uid = 0;
  std::atomic<int32_t> m_state{0}, m_done{0}, m_ok{0}, m_fail{0}, m_duplicate{0}, m_cannot{0};
  std::atomic<double> m_fraction{0.0};
};

TEST_F(UploadPipelineTest, TheServiceReceivesEverySessionWithItsPointsBeaconsLapsAndSectors) {
  // 240 s at 100 s a lap: two whole laps between three crossings, each cut
  // in two at the split; the lap still open at the end is dropped.
  MakeWorkspace({{u"Sprint", kRaceSprint, 20, 240}, {u"Endurance", kRaceEndurance, 10, 240}});
  PutCircuitBeacons();
  Upload();

  EXPECT_EQ(m_state.load(), kUploadUploading);
  EXPECT_EQ(m_done.load(), 2);
  EXPECT_EQ(Counters(), (std::vector<int32_t>{2, 0, 0, 0}));
  const std::vector<StandinUpload> uploads = m_service->Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  const int points[] = {4801, 2401};
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    const StandinUpload& u = uploads[k];
    EXPECT_EQ(Query(u.qSess, "SELECT COUNT(*), MIN(id), MAX(id), MIN(rcr), SUM(heading = 0.0) FROM WayPoints;"),
              (SqlRows{{std::to_string(points[k]), "1", std::to_string(points[k]), "T", "1"}}));
    // The lower-left corner is the smallest latitude and longitude.
    const SqlRows box = Query(u.qSess, "SELECT value FROM info WHERE name='boundary';");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_LT(box[0][0].find("\"LBLat\" : 35.364"), std::string::npos) << box[0][0];
    EXPECT_LT(box[0][0].find("\"LBLon\" : 138.92"), std::string::npos) << box[0][0];
    EXPECT_LT(box[0][0].find("\"RTLat\" : 35.375"), std::string::npos) << box[0][0];
    EXPECT_LT(box[0][0].find("\"RTLon\" : 138.93"), std::string::npos) << box[0][0];
    EXPECT_EQ(Query(u.qSana, "SELECT name, type, width FROM beacon;"),
              (SqlRows{{"Start/Finish", "0", "40"}, {"S1", "3", "40"}}));
    EXPECT_EQ(Query(u.qSana, "SELECT id, abs(duration - 100.0) < 0.001 FROM lap;"), (SqlRows{{"1", "1"}, {"2", "1"}}));
    EXPECT_EQ(Query(u.qSana, "SELECT lap_id, id FROM sector;"),
              (SqlRows{{"1", "1"}, {"1", "2"}, {"2", "1"}, {"2", "2"}}));
    EXPECT_EQ(Query(u.qSana, "SELECT value FROM info WHERE name='C/B_id';"), (SqlRows{{"7"}}));
    EXPECT_EQ(u.uid, m_uid);

    const SessionSummary row = Row(k + 1);
    EXPECT_EQ(row.respCode, kRespUploaded);
    EXPECT_EQ(row.gid, u.id);
    EXPECT_EQ(row.uid, m_uid);
    EXPECT_EQ(row.mapId, kMapId);
    EXPECT_EQ(row.laps, 2);
    EXPECT_NEAR(row.bestLapTime, 100.0, 1e-3);
    EXPECT_EQ(row.strBestLapTime, u"01:40.000");
    EXPECT_DOUBLE_EQ(row.duration, 240.0);
    EXPECT_NEAR(row.avgAlt, kCircuit.baseAltitude, 2.0);
    EXPECT_FALSE(FilesExist(k + 1));
  }

  // A second upload passes over the uploaded sessions.
  m_service->ClearRequests();
  Upload();
  EXPECT_EQ(m_done.load(), 2);
  EXPECT_EQ(Counters(), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_TRUE(m_service->Requests().empty());
  EXPECT_EQ(m_service->Uploads().size(), 2u);
}

TEST_F(UploadPipelineTest, TheDurationSentIsTheDifferenceOfTheEndTimesInSeconds) {
  // 240.1 s from a whole second: last / 1000.0 - first / 1000.0 is not
  // (last - first) / 1000.0 at epoch times, and the service repeats the former.
  MakeWorkspace({{u"Sprint", kRaceSprint, 10, 240.1}});
  PutCircuitBeacons();
  Upload();
  ASSERT_EQ(m_service->Uploads().size(), 1u);
  const int64_t first = 1717232400000, last = first + 240100;
  char expected[64];
  std::snprintf(expected, sizeof expected, "\"duration\" : %.16f ", last / 1000.0 - first / 1000.0);
  EXPECT_NE(m_service->Uploads()[0].vals.find(expected), std::string::npos) << m_service->Uploads()[0].vals;
  EXPECT_EQ(Row(1).duration, last / 1000.0 - first / 1000.0);
}

TEST_F(UploadPipelineTest, SessionsWithoutTrackMapOrLapsCannotBeAnalysedAndKeepTheirFiles) {
  // Track3 has no point database; "Suzuka" has no track map; "../Fuji" is
  // a map name that is not a plain name (no beacon file is looked for).
  TrackListItem odd;
  odd.mapId = 9, odd.type = u"Circuit", odd.Label = u"../Fuji";
  ASSERT_TRUE(m_trackMaps.Update(&odd, 1));
  MakeWorkspace({{u"NoMap", kRaceSprint, 10, 60, u"Suzuka"},
                 {u"NoBeacons", kRaceQualify, 10, 60, u"Fuji"},
                 {u"OddName", kRaceOther, 10, 60, u"../Fuji"}});
  SessionSummary gone;
  gone.raceType = kRaceSprint, gone.mName = u"Fuji", gone.folder = u"Track99", gone.startTime = 5;
  ASSERT_TRUE(m_sessions.Insert(gone));
  Upload();

  EXPECT_EQ(Counters(), (std::vector<int32_t>{0, 0, 0, 4}));
  EXPECT_EQ(m_done.load(), 4);
  EXPECT_TRUE(m_service->Uploads().empty());
  const struct {
    int32_t id;
    int32_t mapId;
    bool files;
  } kCases[] = {{1, 0, false}, {2, kMapId, true}, {3, 9, true}, {4, 0, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.id);
    const SessionSummary row = Row(c.id);
    EXPECT_EQ(row.respCode, kRespCannotAnalyse);
    EXPECT_EQ(row.mapId, c.mapId);
    EXPECT_EQ(row.laps, 0);
    EXPECT_EQ(FilesExist(c.id), c.files);
  }
}

TEST_F(UploadPipelineTest, AMisbehavingServiceCountsAsFailedAndTheSessionIsUploadedOnceOnTheNextTry) {
  MakeWorkspace({{u"Sprint", kRaceSprint, 10, 240}});
  PutCircuitBeacons();
  SetApiUploadTimeLimit(1);
  const struct {
    const char* what;
    StandinFault kind;
    int delayMs;
    bool refused;
  } kCases[] = {{"html page", StandinFault::Html, 0, false},
                {"empty body", StandinFault::EmptyBody, 0, false},
                {"cut short", StandinFault::CutShort, 0, false},
                {"refused", StandinFault::Code, 0, true},
                {"slow", StandinFault::Delay, 2500, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DeployValues values = BuiltInDeployValues();
    values.serviceBase = c.refused ? "http://127.0.0.1:1" : m_service->BaseUrl();
    ASSERT_TRUE(SetDeployValuesForTest(values));
    StandinFaultSpec fault = OneFault(c.kind, "/API/UploadSession.php", c.kind == StandinFault::Html ? 500 : 200);
    fault.delayMs = c.delayMs;
    if (!c.refused) m_service->AddFault(fault);
    Upload();
    EXPECT_EQ(Counters(), (std::vector<int32_t>{0, 1, 0, 0}));
    EXPECT_EQ(Row(1).respCode, kRespFailed);
  }
  // The service kept the session of the cut-short reply: the next try, under
  // the usual time limit, is its duplicate, still one session.
  SetApiUploadTimeLimit(0);
  ASSERT_EQ(m_service->Uploads().size(), 1u);
  Upload();
  EXPECT_EQ(m_ok.load(), 1);
  EXPECT_EQ(m_fail.load(), 0);
  EXPECT_EQ(m_duplicate.load(), 1);
  EXPECT_EQ(Row(1).respCode, kRespUploaded);
  EXPECT_GT(Row(1).gid, 0);
  EXPECT_EQ(m_service->Uploads().size(), 1u);
  Upload();
  EXPECT_EQ(Counters(), (std::vector<int32_t>{0, 0, 0, 0}));
}

// Another account logs in while the first session's post is held: that
// post went as the rider, the next one goes as the new account, and each row
// keeps the account its session went to.
TEST_F(UploadPipelineTest, EachRowKeepsTheAccountItsSessionWasPostedAs) {
  MakeWorkspace({{u"First", kRaceSprint, 10, 240}, {u"Second", kRaceSprint, 10, 240}});
  PutCircuitBeacons();
  m_service->AddFault(OneFault(StandinFault::Hold, "/API/UploadSession.php"));
  m_service->ClearRequests();
  std::thread upload([this] { Upload(); });
  // The post is recorded as it arrives, before it is held.
  bool held = false;
  for (int i = 0; i < 6000 && !(held = !m_service->Requests().empty()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const int64_t other = m_service->AddAccount({"coach@example.org", "secret", "Coach", 0, "Japan", "ja", true});
  std::atomic<int32_t> state{kLoginNone};
  const bool loggedIn = ApiLogin(state, u"coach@example.org", u"secret");
  m_service->ReleaseHeld();
  upload.join();
  ASSERT_TRUE(held);
  ASSERT_TRUE(loggedIn);
  const std::vector<StandinUpload> uploads = m_service->Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(uploads[0].uid, m_uid);
  EXPECT_EQ(uploads[1].uid, other);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(Row(k + 1).uid, uploads[k].uid) << k;
}

TEST_F(UploadPipelineTest, FaultsOfTheDesignAreMended) {
  // A single point (no duration: no average speed, kept duration); a
  // session whose file cannot be made (an undeletable folder in its place);
  // a beacon file whose header announces more entries than it holds.
  MakeWorkspace({{u"Single", kRaceSprint, 10, 0}, {u"Blocked", kRaceSprint, 10, 240}});
  std::string beacons = MakeBeaconFile({CircuitBeacon(0, 0.3), CircuitBeacon(3, std::numbers::pi)});
  beacons[176] = '\x7f', beacons[177] = beacons[178] = '\0', beacons[179] = '\x7f';
  std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TransferDb/bcnx"));
  WriteBytes(m_dir.File("Documents/Pelmora/TransferDb/bcnx/Fuji.bcnx"), beacons);
  std::filesystem::create_directories(m_dir.File("ws/TransferDb/sess_2.db/keep"));

  // Row 42 does not exist: dropped, not uploaded as a zeroed record.
  const std::vector<SessionSummary> records = Upload({1, 42, 2});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(m_done.load(), 2);
  // The single point: cannot be analysed, no division by its duration 0.
  const SessionSummary single = Row(1);
  EXPECT_EQ(single.respCode, kRespCannotAnalyse);
  EXPECT_EQ(single.mapId, kMapId);
  EXPECT_EQ(single.duration, 0.0);
  EXPECT_EQ(single.avgSpd, 0.0);
  // The blocked session: failed, its statistics untouched, retried later.
  const SessionSummary blocked = Row(2);
  EXPECT_EQ(blocked.respCode, kRespFailed);
  EXPECT_EQ(blocked.mapId, 0);
  EXPECT_EQ(Counters(), (std::vector<int32_t>{0, 1, 0, 1}));
  EXPECT_TRUE(m_service->Uploads().empty());

  std::filesystem::remove_all(m_dir.File("ws/TransferDb/sess_2.db"));
  Upload({2});
  EXPECT_EQ(Counters(), (std::vector<int32_t>{1, 0, 0, 0}));
  ASSERT_EQ(m_service->Uploads().size(), 1u);
  // Only the two entries the file holds are beacons.
  EXPECT_EQ(Query(m_service->Uploads()[0].qSana, "SELECT name FROM beacon;"), (SqlRows{{"Start/Finish"}, {"S1"}}));
}

TEST_F(UploadPipelineTest, TheRealLoggerSessionUploadsWithTheLoggersLapTimes) {
  // Two whole laps of a 20 Hz logger session; the logger's lap boundaries
  // are at 145.982, 266.988 and 393.867 s of its clock (the file starts at
  // 130 s).
  std::vector<projgen::Sample> samples = projgen::ReadLoggerCsv(std::string(PM_TEST_DATA) + "/aim-fuji-sfj/session.csv",
                                                                projgen::FileTimeOf(2025, 12, 16, 2, 51, 10));
  ASSERT_EQ(samples.size(), 5601u);
  // The start/finish line where the car was at the first boundary, between
  // the samples at 145.95 and 146.00 s, square to its travel there.
  const projgen::Sample& a = samples[319];
  const projgen::Sample& b = samples[320];
  const double f = (145.982 - 145.95) / 0.05;
  StandinBeacon line;
  line.type = 0;
  line.latitude = a.lat + f * (b.lat - a.lat);
  line.longitude = a.lon + f * (b.lon - a.lon);
  const double north = b.lat - a.lat, east = (b.lon - a.lon) * std::cos(a.lat * std::numbers::pi / 180.0);
  line.heading = static_cast<float>(std::atan2(east, north) * 180.0 / std::numbers::pi);
  line.width = 40;
  PutBeacons({line});
  MakeWorkspace({{u"Fuji practice", kRaceSprint, 20, 280}}, {samples});
  Upload();

  ASSERT_EQ(m_service->Uploads().size(), 1u);
  const SqlRows laps = Query(m_service->Uploads()[0].qSana, "SELECT duration FROM lap ORDER BY id;");
  ASSERT_EQ(laps.size(), 2u);
  const double logger[] = {121.006, 126.879};
  for (size_t i = 0; i < 2; ++i) {
    const double ours = std::stod(laps[i][0]);
    std::cout << "lap " << i + 1 << ": logger " << logger[i] << " s, uploaded " << ours << " s, difference "
              << (ours - logger[i]) * 1000.0 << " ms\n";
    EXPECT_NEAR(ours, logger[i], 0.010);
  }
  EXPECT_EQ(Row(1).strBestLapTime, BestLapText(std::stod(laps[0][0])));
}

TEST_F(UploadPipelineTest, TheRowStatisticsOfASessionBeingPreparedNeverLoseItsPoints) {
  MakeWorkspace({{u"Sprint", kRaceSprint, 10, 120}});
  PutCircuitBeacons();
  SessionSummary record = Row(1);
  UploadPipeline pipeline({m_workspace, m_userData, &m_sessions, &m_trackMaps, CSportProjMgr::GetInstance()},
                          {m_state, m_done, m_fraction, m_ok, m_fail, m_duplicate, m_cannot});
  CSportProjMgr& manager = *CSportProjMgr::GetInstance();
  // Each open computes the statistics anew; meanwhile the upload prepares
  // the session, letting its points go after each run.
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    manager.CloseWorkspace();
    ASSERT_EQ(manager.OpenWorkspace(m_workspace.c_str()), kWorkspaceOk);
    PtrList_C users, tracks;
    manager.GetUsers(CString(), users);
    ASSERT_FALSE(users.IsEmpty());
    auto* user = static_cast<CSportUser*>(users.GetHeadPosition()->value);
    user->FindTracks(TrackFilter{}, tracks);
    ASSERT_FALSE(tracks.IsEmpty());
    auto* track = static_cast<CSportTrack*>(tracks.GetHeadPosition()->value);
    SessionSummary row;
    std::thread rows([&] { SummariseSession(manager, *user, *track, row); });
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pipeline.Prepare(record), UploadPipeline::Prepared::kWritten);
    rows.join();
    EXPECT_GT(row.distance, 0.0);
    EXPECT_EQ(record.laps, 1);
  }
}

TEST(BestLapText, IsMadeFromTheTimeRoundedToWholeMilliseconds) {
  const struct {
    double seconds;
    const char16_t* text;
  } kCases[] = {{83.456, u"01:23.456"},   {83.9996, u"01:24.000"}, {59.9999, u"01:00.000"},
                {3723.9, u"1:02:03.900"}, {0.0, u"00:00.000"},     {-1.0, u"00:00.000"}};
  for (const auto& c : kCases) EXPECT_EQ(BestLapText(c.seconds), c.text) << c.seconds;
}

}  // namespace
