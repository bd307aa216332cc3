// The scan of a generated workspace into SessionList.db: the counts per race
// type, the record of each session, drag sessions matched to the drag types
// of the settings, and a scan that never writes a partial list.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "appcore/SessionListDb.h"
#include "appcore/SessionScan.h"
#include "appcore/WorkerThreads.h"
#include "platform/win32/utf.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/SportUser.h"
#include "tests/common/env.h"
#include "tests/common/temp_dir.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/projgen/SampleWorkspace.h"

namespace {

const uint64_t kDay = projgen::FileTimeOf(2024, 6, 1, 0, 0, 0);
const uint64_t kHalfSecond = 5000000;
const uint64_t kQuarterHour = 9000000000ULL;

// One session of the workspace and the record it must give. Sessions start
// a quarter hour apart from 00:00:00.5 UTC; "Track9" has no start and no zone:
// its statistics give it the start of its points, shown in the computer's
// zone (UTC here).
struct Session {
  const char16_t* file;
  const char16_t* racing;
  projgen::Fields extra;
  bool listed;
  int32_t raceType;
  const char16_t* mName;
  int32_t unit;
  const char16_t* startDateTime;
  int32_t startTime;
  int32_t timezone;
};

const Session kSessions[] = {
    {u"Track1", u"Endurance", {{u"UsedBcn", u"Fuji"}}, true, 0, u"Fuji", 0, u"2024/06/01  09:00", 1717200000, 540},
    {u"Track2", u"Sprint", {{u"UsedBcn", u"../Fuji"}}, true, 1, u"", 0, u"2024/06/01  09:15", 1717200900, 540},
    {u"Track3", u"Qualify", {{u"UsedBcn", u"Suzuka"}}, true, 2, u"Suzuka", 0, u"2024/06/01  09:30", 1717201800, 540},
    {u"Track4", u"CircuitOhter", {}, true, 3, u"", 0, u"2024/06/01  09:45", 1717202700, 540},
    {u"Track5",
     u"DragRacing",
     {{u"UsedBcn", u"Fuji"}, {u"FieldDragIsDistance", u"1"}, {u"FieldDragDistance", u"0.100000"}},
     true,
     4,
     u"100 m",
     0,
     u"2024/06/01  10:00",
     1717203600,
     540},
    // Device model 2 stores its kind: 0 is a speed band.
    {u"Track6",
     u"DragRacing",
     {{u"DeviceModel", u"2"}, {u"FieldDragType", u"0"}, {u"FieldDragDistance", u"96.560640"}},
     true,
     4,
     u"0-60 mph",
     1,
     u"2024/06/01  10:15",
     1717204500,
     540},
    // No drag type of the settings matches.
    {u"Track7",
     u"DragRacing",
     {{u"FieldDragIsDistance", u"1"}, {u"FieldDragDistance", u"0.333"}},
     false,
     4,
     u"",
     0,
     u"",
     0,
     0},
    {u"Track8", u"RallyRacing", {{u"UsedBcn", u"Fuji"}}, true, 6, u"Fuji", 0, u"2024/06/01  10:45", 1717206300, 540},
    {u"Track9", u"DataLog", {}, true, 5, u"", 0, u"2024/06/01  02:00", 1717207200, 0},
};

// Closes whatever workspace the manager has open and forgets its drag types
// when the test ends, however it ends.
struct ManagerLeftAsFound {
  ~ManagerLeftAsFound() {
    CSportProjMgr::GetInstance()->CloseWorkspace();
    CSportProjMgr::GetInstance()->ResetDragTypes();
  }
};

class SessionScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<projgen::WorkspaceTrack> tracks;
    for (size_t i = 0; i < std::size(kSessions); ++i) {
      const Session& s = kSessions[i];
      const uint64_t start = kDay + kHalfSecond + i * kQuarterHour;
      projgen::WorkspaceTrack t{s.file, {{u"SportType", u"Car Racing"}, {u"RacingType", s.racing}}, {}};
      t.fields.insert(t.fields.end(), s.extra.begin(), s.extra.end());
      t.fields.push_back({u"FieldTrackFile", s.file});
      if (s.file != std::u16string(u"Track9"))
        t.fields.insert(t.fields.end(), {{u"FieldStartTime", projgen::TimeHalves(start)}, {u"FieldTimeZone", u"-540"}});
      t.samples = projgen::CircuitSamples(projgen::Circuit{}, 10, 30, start);
      tracks.push_back(std::move(t));
    }
    ASSERT_TRUE(projgen::WriteWorkspace(m_dir.WFile("ws"), {{u"Aki", {}, std::move(tracks)}, {u"Ben", {}, {}}}, {}));
    CSportProjMgr* manager = CSportProjMgr::GetInstance();
    ASSERT_EQ(manager->OpenWorkspace(m_dir.WFile("ws").c_str()), kWorkspaceOk);
    ASSERT_TRUE(m_list.Create(m_dir.WFile("ws"), m_dir.WFile("userdata")));
  }
  void TearDown() override {
    // A scan still waiting for the drag types goes on to see the stop.
    CSportProjMgr::GetInstance()->DragTypesLoaded();
    m_workers.StopAndJoin();
    CSportProjMgr::GetInstance()->CloseWorkspace();
    CSportProjMgr::GetInstance()->ResetDragTypes();
  }

  // The drag types of the settings, as the drag-type thread loads them.
  static void LoadDragTypes() {
    CSportProjMgr* manager = CSportProjMgr::GetInstance();
    manager->AddDragType(0, 0.0f, 100.0f, 0);
    manager->AddDragType(1, 0.0f, 60.0f, 1);
    manager->DragTypesLoaded();
  }

  // Runs the scan as the window does once the drag types load, and waits for it.
  void Scan() {
    LoadDragTypes();
    StartScan();
    WaitForRows();
  }
  // Counts the sessions and starts the scan of up to that many on a worker.
  void StartScan() {
    m_counts = CountSessions(*CSportProjMgr::GetInstance());
    m_state = kDbScanning;
    ASSERT_TRUE(m_workers.Start([this, total = m_counts.total](std::stop_token stop) { RunScan(total, stop); }));
  }
  void WaitForRows() {
    for (int i = 0; i < 3000 && m_state.load() != kDbListReady; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(m_state.load(), kDbListReady);
  }
  // The scan of up to `capacity` sessions on the calling thread.
  void RunScan(int32_t capacity, std::stop_token stop = {}) {
    SessionRowScan({CSportProjMgr::GetInstance(), &m_list}, {m_state, m_done}).Run(capacity, stop);
  }

  // The stored rows by folder.
  std::map<std::u16string, SessionSummary> Rows() {
    std::map<std::u16string, SessionSummary> rows;
    SessionSummary row;
    for (int32_t id = 1; id < 100; ++id)
      if (m_list.GetById(id, row)) rows[row.folder.Str()] = row;
    return rows;
  }

  ScopedTz m_tz{"UTC"};
  TempDir m_dir;
  SessionListDb m_list;
  SessionCounts m_counts;
  std::atomic<int32_t> m_state{kDbScanning}, m_done{0};
  WorkerThreads m_workers;  // last: stopped before what the scan uses goes
};

TEST_F(SessionScanTest, EverySessionIsCountedAndEachMatchedOneBecomesARow) {
  Scan();
  EXPECT_EQ(m_counts.total, 9);
  EXPECT_EQ(std::vector<int32_t>(m_counts.byType, m_counts.byType + 7), (std::vector<int32_t>{1, 1, 1, 1, 3, 1, 1}));
  EXPECT_EQ(m_done.load(), 8);

  const auto rows = Rows();
  EXPECT_EQ(rows.size(), 8u);
  for (const Session& s : kSessions) {
    auto found = rows.find(s.file);
    ASSERT_EQ(found != rows.end(), s.listed) << Utf16ToUtf8(s.file);
    if (!s.listed) continue;
    const SessionSummary& r = found->second;
    EXPECT_EQ(r.raceType, s.raceType) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.mName, CString(s.mName)) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.unit, s.unit) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.startDateTime, CString(s.startDateTime)) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.startTime, s.startTime) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.timezone, s.timezone) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.nickName, CString(u"Aki")) << Utf16ToUtf8(s.file);
    EXPECT_EQ(r.respCode, kRespNeverTried) << Utf16ToUtf8(s.file);
    // No stored total time: the span of the points, from .5 s past the start
    // to 30 s later (not from the whole second).
    EXPECT_NEAR(r.duration, 30.0, 1e-9) << Utf16ToUtf8(s.file);
  }
}

// Drag types that load after the scan has begun still match their sessions,
// which therefore keep their rows.
TEST_F(SessionScanTest, TheRowsWaitForTheDragTypes) {
  StartScan();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(m_state.load(), kDbScanning);
  LoadDragTypes();
  WaitForRows();
  EXPECT_EQ(m_list.CountByRaceType(kRaceDrag), 2);
}

TEST_F(SessionScanTest, AStoppedOrOverfullWalkOrAnUnopenedProjectLeavesTheStoredRowsAsTheyAre) {
  Scan();
  const size_t stored = Rows().size();

  // Fewer counted than found: two records, no deletion of the others.
  m_state = kDbScanning;
  RunScan(2);
  EXPECT_EQ(m_done.load(), 2);
  EXPECT_EQ(m_state.load(), kDbListReady);
  EXPECT_EQ(Rows().size(), stored);

  m_state = kDbScanning;
  std::stop_source stop;
  stop.request_stop();
  RunScan(9, stop.get_token());
  EXPECT_EQ(m_state.load(), kDbScanning);
  EXPECT_EQ(Rows().size(), stored);

  // No project open: no session is found, and none of the rows is deleted.
  CSportProjMgr::GetInstance()->CloseWorkspace();
  RunScan(0);
  EXPECT_EQ(m_state.load(), kDbListReady);
  EXPECT_EQ(Rows().size(), stored);
}

// The user removed every session: the project is read whole and holds none,
// so no stored row stands for a session any more.
TEST_F(SessionScanTest, AProjectReadWholeWithoutAnySessionEmptiesTheList) {
  Scan();
  ASSERT_EQ(Rows().size(), 8u);
  CSportProjMgr::GetInstance()->CloseWorkspace();
  ASSERT_TRUE(projgen::WriteWorkspace(m_dir.WFile("bare"), {{u"Aki", {}, {}}}, {}));
  ASSERT_EQ(CSportProjMgr::GetInstance()->OpenWorkspace(m_dir.WFile("bare").c_str()), kWorkspaceOk);
  ASSERT_TRUE(CSportProjMgr::GetInstance()->IsProjectLoaded());
  StartScan();
  WaitForRows();
  EXPECT_EQ(m_counts.total, 0);
  EXPECT_TRUE(Rows().empty());
}

// A workspace deeper than SQLite's own file layer takes: its project, the
// points of its sessions and its session list are read and written as
// anywhere else.
TEST_F(SessionScanTest, AWorkspaceAsDeepAsTheSystemTakesIsListedWhole) {
  CSportProjMgr* manager = CSportProjMgr::GetInstance();
  for (const size_t depth : {600u, 3000u}) {
    SCOPED_TRACE(depth);
    manager->CloseWorkspace();
    manager->ResetDragTypes();
    const std::u16string ws = Utf8ToUtf16(m_dir.Deep(depth));
    projgen::SampleOptions sample;
    sample.sessions = 7;
    ASSERT_TRUE(projgen::WriteSampleWorkspace(ws, sample));
    ASSERT_EQ(manager->OpenWorkspace(ws.c_str()), kWorkspaceOk);
    EXPECT_TRUE(manager->IsProjectLoaded());
    ASSERT_TRUE(m_list.Create(ws, m_dir.WFile("userdata")));
    Scan();
    EXPECT_EQ(m_counts.total, 7);
    EXPECT_EQ(Rows().size(), 7u);
  }
}

// Run on the calling thread instead of a worker, the scan counts and lists
// the same sessions.
TEST_F(SessionScanTest, TheScanRunsAsWellOnTheCallingThread) {
  LoadDragTypes();
  const SessionCounts counts = CountSessions(*CSportProjMgr::GetInstance());
  std::atomic<int32_t> state{kDbScanning}, done{0};
  SessionRowScan({CSportProjMgr::GetInstance(), &m_list}, {state, done}).Run(counts.total);
  EXPECT_EQ(counts.total, 9);
  EXPECT_EQ(std::vector<int32_t>(counts.byType, counts.byType + 7), (std::vector<int32_t>{1, 1, 1, 1, 3, 1, 1}));
  EXPECT_EQ(state.load(), kDbListReady);
  EXPECT_EQ(done.load(), 8);
  EXPECT_EQ(Rows().size(), 8u);
}

// A sprint logged for 30 s from `start` into the point database `file`, with
// `fields` besides.
projgen::WorkspaceTrack LoggedSprint(const char16_t* file, uint64_t start, const projgen::Fields& fields = {}) {
  projgen::WorkspaceTrack t{file,
                            {{u"SportType", u"Car Racing"},
                             {u"RacingType", u"Sprint"},
                             {u"FieldTrackFile", file},
                             {u"FieldStartTime", projgen::TimeHalves(start)}},
                            projgen::CircuitSamples(projgen::Circuit{}, 10, 30, start)};
  t.fields.insert(t.fields.end(), fields.begin(), fields.end());
  return t;
}

// The row's startTime of a start: seconds since 1970.
int32_t UnixStart(uint64_t start) { return static_cast<int32_t>(start / 10000000 - 11644473600LL); }

// A track without a stored zone, whose statistics the row computes: shown at
// the computer's true local time of its start as the system's zone database
// gives it (the hour after the clocks go back, other years' rules, a winter
// the database marks as the exception, half an hour of summer time); the
// zone column and the zone written into the track are the computer's offset
// outside summer time then, with the summer flag beside it; startTime is the
// true UTC start.
TEST(SessionRowZone, ATrackWithoutAZoneIsShownAtTheComputersTrueLocalTimeWithItsUtcStart) {
  using projgen::FileTimeOf;
  const struct {
    const char* tz;
    uint64_t start;
    const char16_t* shown;
    int32_t timezone;
    const char16_t* dst;  // FieldDST written
  } cases[] = {
      {"Asia/Tokyo", FileTimeOf(2024, 6, 1, 0, 0, 0), u"2024/06/01  09:00", 540, u"0"},
      {"Europe/Berlin", FileTimeOf(2024, 6, 1, 0, 0, 0), u"2024/06/01  02:00", 60, u"1"},
      {"Europe/Berlin", FileTimeOf(2024, 1, 15, 12, 0, 0), u"2024/01/15  13:00", 60, u"0"},
      {"Europe/Berlin", FileTimeOf(2024, 10, 27, 0, 30, 0), u"2024/10/27  02:30", 60, u"1"},
      {"Europe/Berlin", FileTimeOf(2024, 10, 27, 1, 30, 0), u"2024/10/27  02:30", 60, u"0"},
      {"Australia/Sydney", FileTimeOf(2024, 4, 6, 16, 30, 0), u"2024/04/07  02:30", 600, u"0"},
      {"Australia/Sydney", FileTimeOf(2024, 1, 15, 0, 0, 0), u"2024/01/15  11:00", 600, u"1"},
      {"America/Los_Angeles", FileTimeOf(2024, 6, 1, 0, 0, 0), u"2024/05/31  17:00", -480, u"1"},
      {"America/Los_Angeles", FileTimeOf(2024, 11, 3, 9, 30, 0), u"2024/11/03  01:30", -480, u"0"},
      {"America/Los_Angeles", FileTimeOf(2006, 10, 30, 20, 0, 0), u"2006/10/30  12:00", -480, u"0"},
      {"America/Mexico_City", FileTimeOf(2021, 6, 1, 18, 0, 0), u"2021/06/01  13:00", -360, u"1"},
      {"America/Sao_Paulo", FileTimeOf(2018, 12, 1, 15, 0, 0), u"2018/12/01  13:00", -180, u"1"},
      {"Europe/Dublin", FileTimeOf(2024, 1, 15, 12, 0, 0), u"2024/01/15  12:00", 0, u"0"},
      {"Europe/Dublin", FileTimeOf(2024, 7, 15, 12, 0, 0), u"2024/07/15  13:00", 0, u"1"},
      // Lord Howe's summer is 30 minutes ahead of its 10:30: the shown start
      // follows the system; the zone sent says 630 and summer time.
      {"Australia/Lord_Howe", FileTimeOf(2024, 1, 15, 12, 0, 0), u"2024/01/15  23:00", 630, u"1"},
      {"Australia/Lord_Howe", FileTimeOf(2024, 7, 15, 12, 0, 0), u"2024/07/15  22:30", 630, u"0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.tz) + " " + Utf16ToUtf8(c.shown));
    ScopedTz tz(c.tz);
    TempDir dir;
    ManagerLeftAsFound closes;
    ASSERT_TRUE(projgen::WriteWorkspace(dir.WFile("ws"), {{u"Aki", {}, {LoggedSprint(u"Run", c.start)}}}, {}));
    CSportProjMgr* manager = CSportProjMgr::GetInstance();
    ASSERT_EQ(manager->OpenWorkspace(dir.WFile("ws").c_str()), kWorkspaceOk);
    ASSERT_EQ(manager->GetTracks().size(), 1u);
    CSportTrack& track = *manager->GetTracks()[0];
    SessionSummary row;
    ASSERT_TRUE(SummariseTrack(*manager, *track.m_pUser, track, row));
    EXPECT_EQ(row.startDateTime.ToUtf8(), Utf16ToUtf8(c.shown));
    EXPECT_EQ(row.timezone, c.timezone);
    EXPECT_EQ(row.startTime, UnixStart(c.start));
    EXPECT_EQ(track.GetFieldText(u"FieldTimeZone").ToUtf8(), std::to_string(-c.timezone));
    EXPECT_EQ(track.GetFieldText(u"FieldDST").ToUtf8(), Utf16ToUtf8(c.dst));
  }
}

// Logger sessions that carry the zone they were recorded in are listed at
// their local start there, summer and winter, in both hemispheres, whatever
// the computer's zone: the statistics rewrite FieldDST by the computer's
// rules, but the list keeps the FieldDST stored with the session.
TEST(SessionRowZone, ASessionWithAStoredZoneIsListedAtItsLocalStartOnAnyComputer) {
  using projgen::FileTimeOf;
  const struct {
    const char16_t* file;
    uint64_t start;
    const char16_t* zone;  // FieldTimeZone: the bias, UTC = local + bias
    const char16_t* dst;
    const char16_t* shown;
    int32_t timezone;
  } sessions[] = {
      {u"FloridaMay", FileTimeOf(2024, 5, 10, 14, 13, 0), u"300", u"1", u"2024/05/10  10:13", -300},
      {u"FloridaJan", FileTimeOf(2024, 1, 10, 15, 13, 0), u"300", u"0", u"2024/01/10  10:13", -300},
      {u"SydneyJan", FileTimeOf(2024, 1, 10, 0, 13, 0), u"-600", u"1", u"2024/01/10  11:13", 600},
      {u"SydneyJul", FileTimeOf(2024, 7, 10, 0, 13, 0), u"-600", u"0", u"2024/07/10  10:13", 600},
  };
  TempDir dir;
  std::vector<projgen::WorkspaceTrack> tracks;
  for (const auto& s : sessions)
    tracks.push_back(LoggedSprint(s.file, s.start, {{u"FieldTimeZone", s.zone}, {u"FieldDST", s.dst}}));
  ASSERT_TRUE(projgen::WriteWorkspace(dir.WFile("ws"), {{u"Aki", {}, std::move(tracks)}}, {}));
  CSportProjMgr* manager = CSportProjMgr::GetInstance();
  ManagerLeftAsFound closes;
  manager->DragTypesLoaded();
  for (const char* computer : {"UTC", "Asia/Tokyo", "Europe/Berlin"}) {
    SCOPED_TRACE(computer);
    ScopedTz tz(computer);
    TempDir run;
    ASSERT_EQ(manager->OpenWorkspace(dir.WFile("ws").c_str()), kWorkspaceOk);
    SessionListDb list;
    ASSERT_TRUE(list.Create(Utf8ToUtf16(run.Path()), run.WFile("userdata")));
    std::atomic<int32_t> state{kDbScanning}, done{0};
    SessionRowScan({manager, &list}, {state, done}).Run(CountSessions(*manager).total);
    std::map<std::u16string, SessionSummary> rows;
    for (int32_t id = 1; id <= static_cast<int32_t>(std::size(sessions)); ++id) {
      SessionSummary row;
      if (list.GetById(id, row)) rows[row.folder.Str()] = row;
    }
    for (const auto& s : sessions) {
      SCOPED_TRACE(Utf16ToUtf8(s.file));
      ASSERT_EQ(rows.count(s.file), 1u);
      const SessionSummary& row = rows[s.file];
      EXPECT_EQ(row.startDateTime.ToUtf8(), Utf16ToUtf8(s.shown));
      EXPECT_EQ(row.timezone, s.timezone);
      EXPECT_EQ(row.startTime, UnixStart(s.start));
    }
    manager->CloseWorkspace();
  }
}

TEST(DragConditionText, FollowsTheKindAndUnitOfTheDragType) {
  const struct {
    int32_t kind;
    float first, second;
    int32_t imperial;
    const char16_t* text;
  } cases[] = {
      {0, 0.0f, 402.34f, 0, u"402 m"},
      {1, 0.0f, 100.9f, 0, u"0-100 km/h"},
      {2, 0.0f, 10.4f, 0, u"10 secs"},
      {0, 0.0f, 0.25f, 1, u"1/4 mile"},
      {0, 0.0f, 0.03125f, 1, u"1/32 mile"},
      {0, 0.0f, 1.0f, 1, u"1 mile"},
      {0, 0.0f, 0.3f, 1, u"0.30 mile"},
      {1, 30.0f, 60.0f, 1, u"30-60 mph"},
      {2, 0.0f, 4.0f, 1, u"4 secs"},
      {0, 0.0f, 400.0f, 2, u""},
      {3, 0.0f, 400.0f, 0, u""},
      {0, 0.0f, 3e38f, 0, u"2147483647 m"},
  };
  for (const auto& c : cases) {
    CSportProjMgr::DragType type;
    type.kind = c.kind, type.first = c.first, type.second = c.second, type.imperial = c.imperial;
    EXPECT_EQ(DragConditionText(type), CString(c.text)) << Utf16ToUtf8(c.text);
  }
}

}  // namespace
