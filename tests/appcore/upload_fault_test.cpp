// Fault injection on the upload: the pipeline runs as a program of its own
// (upload_harness) against the stand-in service while the service misbehaves,
// the disk fills up, or the program is killed at random points. After each
// run no session row is lost, the session list is intact, a row is marked
// uploaded only when the service holds that session, the service holds each
// session once and whole, no session is counted twice, and a run with the
// service healthy completes every session.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "appcore/SessionListDb.h"
#include "appcore/TrackMapDb.h"
#include "appcore/UserInfoDb.h"
#include "tests/appcore/sqlite_probe.h"
#include "tests/common/circuit_beacons.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/standin_user.h"
#include "webclient/ApiClient.h"

namespace {

constexpr int32_t kSessions = 3;
constexpr int kHz = 5;
constexpr double kSeconds = 240;  // two whole laps
constexpr int kPoints = static_cast<int>(kHz * kSeconds) + 1;

// A run of the harness: how it ended (waitpid status) and its counters
// (ok, fail, duplicate, cannot analyse; empty when it printed none).
struct HarnessRun {
  int status = -1;
  std::vector<int32_t> counters;
  bool Completed() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0 && counters.size() == 4; }
};

class UploadFaultTest : public StandinUserTest {
 protected:
  void SetUp() override {
    StandinUserTest::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TransferDb/bcnx"));
    WriteBytes(m_dir.File("Documents/Pelmora/TransferDb/bcnx/Fuji.bcnx"),
               MakeBeaconFile({CircuitBeacon(0, 0.3), CircuitBeacon(3, std::numbers::pi)}));
    ASSERT_TRUE(m_trackMaps.Create(m_userData));
    TrackListItem map;
    map.mapId = 7, map.uDate = 1700000000, map.type = u"Circuit", map.Label = u"Fuji";
    ASSERT_TRUE(m_trackMaps.Update(&map, 1));

    projgen::WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
    std::vector<SessionSummary> rows(kSessions);
    for (int32_t i = 0; i < kSessions; ++i) {
      const uint64_t start = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0) + i * 36000000000ULL;
      driver.tracks.push_back({u"Sprint",
                               {{u"SportType", u"Car Racing"}, {u"RacingType", u"Sprint"}},
                               projgen::CircuitSamples(kCircuit, kHz, kSeconds, start)});
      rows[i].raceType = kRaceSprint;
      rows[i].mName = u"Fuji";
      rows[i].folder = Utf8ToUtf16("Track" + std::to_string(i + 1));
      rows[i].startTime = 1717232400 + i * 3600;
    }
    ASSERT_TRUE(projgen::WriteWorkspace(m_dir.WFile("ws"), {driver}, {}));
    ASSERT_TRUE(m_sessions.Create(m_dir.WFile("ws"), m_userData));
    ASSERT_TRUE(m_sessions.Sync(rows.data(), kSessions));
  }
  // A fresh start for the sessions: a new account, logged in, to which the
  // service holds none of them, and no row marked as tried. Returns the
  // account's user id.
  int64_t NewRound() {
    const std::string email = "rider" + std::to_string(++m_round) + "@example.org";
    const int64_t uid = m_service->AddAccount({email, "secret", "Rider", 0, "Japan", "ja", true});
    std::atomic<int32_t> state{kLoginNone};
    EXPECT_TRUE(ApiLogin(state, Utf8ToUtf16(email), u"secret"));
    for (int32_t id = 1; id <= kSessions; ++id) EXPECT_TRUE(m_sessions.SetRespCode(id, kRespNeverTried));
    return uid;
  }

  // Starts the harness with its output in harness.out; `fileLimit` bytes
  // (0: none) is the largest file it may write while it uploads.
  pid_t StartHarness(long timeLimit = 0, size_t fileLimit = 0) {
    std::vector<std::string> args = {PM_UPLOAD_HARNESS, m_dir.File("ws"), m_dir.File("Documents/Pelmora"),
                                     m_service->BaseUrl(), std::to_string(timeLimit)};
    if (fileLimit > 0) args.push_back(std::to_string(fileLimit));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = m_dir.File("harness.out");
    const pid_t pid = fork();
    if (pid == 0) {
      const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
      if (fd >= 0 && dup2(fd, STDOUT_FILENO) >= 0) execv(argv[0], argv.data());
      _exit(127);
    }
    EXPECT_GT(pid, 0);
    return pid;
  }
  // Waits for the harness to end; kills it at `killAt` if it is still running.
  HarnessRun Wait(pid_t pid,
                  std::chrono::steady_clock::time_point killAt = std::chrono::steady_clock::time_point::max()) {
    HarnessRun run;
    for (pid_t ended = 0; ended != pid;) {
      ended = waitpid(pid, &run.status, WNOHANG);
      if (ended < 0 && errno != EINTR) break;
      if (ended == 0 && std::chrono::steady_clock::now() >= killAt) {
        ::kill(pid, SIGKILL);
        killAt = std::chrono::steady_clock::time_point::max();
      } else if (ended == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
    }
    std::istringstream out(ReadBytes(m_dir.File("harness.out")));
    for (int32_t n = 0; out >> n;) run.counters.push_back(n);
    return run;
  }
  HarnessRun Run(long timeLimit = 0, size_t fileLimit = 0) { return Wait(StartHarness(timeLimit, fileLimit)); }

  // The sessions the service holds for the account, by their id.
  std::map<int64_t, StandinUpload> Held(int64_t uid) const {
    std::map<int64_t, StandinUpload> held;
    for (const StandinUpload& u : m_service->Uploads())
      if (u.uid == uid) held[u.id] = u;
    return held;
  }
  int32_t RowsUploaded() {
    int32_t n = 0;
    SessionSummary row;
    for (int32_t id = 1; id <= kSessions; ++id) n += m_sessions.GetById(id, row) && row.respCode == kRespUploaded;
    return n;
  }

  // The names in the workspace's transfer folder.
  std::set<std::string> TransferFiles() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.File("ws/TransferDb")))
      names.insert(entry.path().filename().string());
    return names;
  }

  // What must hold after any run, however it ended.
  void ExpectSound(int64_t uid) {
    const std::map<int64_t, StandinUpload> held = Held(uid);
    std::set<int64_t> starts;
    for (const auto& [id, u] : held) {
      EXPECT_TRUE(starts.insert(u.start).second) << "session accepted twice, start " << u.start;
      WriteBytes(m_dir.File("received.db"), u.qSess);
      EXPECT_EQ(QueryFile(m_dir.File("received.db"), "SELECT COUNT(*) FROM WayPoints;"),
                SqlRows{{std::to_string(kPoints)}})
          << "session file held incomplete, start " << u.start;
    }
    std::set<int32_t> gids;
    for (int32_t id = 1; id <= kSessions; ++id) {
      SessionSummary row;
      ASSERT_TRUE(m_sessions.GetById(id, row)) << "row " << id << " lost";
      if (row.respCode != kRespUploaded) continue;
      const auto it = held.find(row.gid);
      ASSERT_NE(it, held.end()) << "row " << id << " marked uploaded, the service does not hold it";
      EXPECT_EQ(it->second.start, row.startTime);
      EXPECT_TRUE(gids.insert(row.gid).second) << "rows share the service's id " << row.gid;
    }
    // Read after the rows, so that a journal a killed run left is rolled back.
    EXPECT_EQ(QueryFile(Utf16ToUtf8(m_sessions.Path()), "PRAGMA integrity_check;"), SqlRows{{"ok"}});
  }

  // What is left to upload before a run: sessions not marked, and of them
  // those the service already holds.
  struct Left {
    int32_t unmarked = 0;
    int32_t held = 0;
  };
  Left LeftToUpload(int64_t uid) {
    const int32_t unmarked = kSessions - RowsUploaded();
    return {unmarked, static_cast<int32_t>(Held(uid).size()) - (kSessions - unmarked)};
  }

  // A run that ended with the service healthy uploaded what was left, each
  // session once; sessions the service already held came back as duplicates
  // with its id (a killed run's last request may still have been arriving).
  void ExpectCompleted(int64_t uid, const Left& left, const HarnessRun& run) {
    ASSERT_TRUE(run.Completed()) << run.status;
    EXPECT_EQ(run.counters[0], left.unmarked);
    EXPECT_EQ(run.counters[1] + run.counters[3], 0);
    EXPECT_GE(run.counters[2], left.held);
    EXPECT_LE(run.counters[2], left.unmarked);
    EXPECT_EQ(RowsUploaded(), kSessions);
    EXPECT_EQ(Held(uid).size(), static_cast<size_t>(kSessions));
    // What runs that were cut short left behind is gone.
    EXPECT_EQ(TransferFiles(), std::set<std::string>{"SessionList.db"});
    ExpectSound(uid);
  }
  void ExpectHealthyRunCompletes(int64_t uid) {
    const Left left = LeftToUpload(uid);
    ExpectCompleted(uid, left, Run());
  }

  ScopedUserFolders m_folders{m_dir.Path()};
  TrackMapDb m_trackMaps;
  SessionListDb m_sessions;
  int m_round = 0;
};

TEST_F(UploadFaultTest, AMisbehavingServiceLosesNoSessionAndCountsEachOnce) {
  // The fault hits the first session's request; the others go through.
  // `lost`: the service keeps the session but its reply does not arrive.
  const struct {
    const char* what;
    bool down;
    StandinFault kind;
    int code;  // reply code or HTTP status
    const char* body;
    std::vector<int32_t> counters;
    bool lost;
    int32_t respCode;  // of the first row
  } kCases[] = {
      {"down", true, StandinFault::Code, 0, "", {0, 3, 0, 0}, false, kRespFailed},
      {"slower than the time limit", false, StandinFault::Delay, 200, "", {2, 1, 0, 0}, true, kRespFailed},
      {"html page", false, StandinFault::Html, 500, "", {2, 1, 0, 0}, false, kRespFailed},
      {"empty body", false, StandinFault::EmptyBody, 200, "", {2, 1, 0, 0}, false, kRespFailed},
      {"body cut short", false, StandinFault::CutShort, 200, "", {2, 1, 0, 0}, true, kRespFailed},
      {"wrong reply code", false, StandinFault::Code, 500, "", {2, 0, 0, 0}, false, 500},
      {"wrong HTTP status", false, StandinFault::Raw, 503, "Service Unavailable", {2, 1, 0, 0}, false, kRespFailed},
      {"done without an id", false, StandinFault::Raw, 200, R"({"code":0})", {2, 1, 0, 0}, false, kRespFailed},
      {"reset while the files arrive", false, StandinFault::Reset, 200, "", {2, 1, 0, 0}, false, kRespFailed},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const int64_t uid = NewRound();
    StandinFaultSpec fault = OneFault(c.kind, "/API/UploadSession.php", c.code, c.body);
    fault.code = c.code;
    fault.delayMs = 4000;
    if (c.down)
      m_service->Stop();
    else
      m_service->AddFault(fault);
    // Only the slow case has a time limit, which the others need not fear.
    const HarnessRun run = Run(c.kind == StandinFault::Delay ? 2 : 0);
    ASSERT_TRUE(run.Completed()) << run.status;
    EXPECT_EQ(run.counters, c.counters);
    SessionSummary first;
    ASSERT_TRUE(m_sessions.GetById(1, first));
    EXPECT_EQ(first.respCode, c.respCode);
    if (c.down) {
      ASSERT_TRUE(m_service->Start());
      DeployValues values = BuiltInDeployValues();
      values.serviceBase = m_service->BaseUrl();
      ASSERT_TRUE(SetDeployValuesForTest(values));
    }
    // The slow request ends in the service after the client gave up.
    const size_t expectHeld = static_cast<size_t>(c.counters[0] + (c.lost ? 1 : 0));
    for (int i = 0; i < 200 && Held(uid).size() < expectHeld; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Held(uid).size(), expectHeld);
    ExpectSound(uid);
    ExpectHealthyRunCompletes(uid);
  }
}

TEST_F(UploadFaultTest, ADiskFullWhileTheSessionFilesAreWrittenLosesNothing) {
  // The largest file the run may write: from less than the session list
  // already takes (its updates fail too) to about half of a point file.
  for (const size_t limit : {4096, 16384, 65536}) {
    SCOPED_TRACE(limit);
    const int64_t uid = NewRound();
    const HarnessRun run = Run(0, limit);
    ASSERT_TRUE(run.Completed()) << run.status;
    EXPECT_EQ(run.counters, (std::vector<int32_t>{0, kSessions, 0, 0}));
    // The files that could not be written whole are gone, journals too.
    EXPECT_EQ(TransferFiles(), std::set<std::string>{"SessionList.db"});
    ExpectSound(uid);
    ExpectHealthyRunCompletes(uid);
  }
}

TEST_F(UploadFaultTest, KilledAtRandomPointsAndStartedAgainEachSessionIsUploadedOnce) {
  // The slower of two whole runs sets the spread of the kill points.
  int64_t uid = 0;
  auto runTime = std::chrono::microseconds::zero();
  for (int i = 0; i < 2; ++i) {
    uid = NewRound();
    const auto begin = std::chrono::steady_clock::now();
    const HarnessRun whole = Run();
    runTime = std::max(runTime,
                       std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin));
    ASSERT_TRUE(whole.Completed()) << whole.status;
    ASSERT_EQ(whole.counters, (std::vector<int32_t>{kSessions, 0, 0, 0}));
  }

  const unsigned seed = std::random_device()();
  std::cout << "seed " << seed << ", whole run " << runTime.count() / 1000 << " ms\n";
  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> pick(0, runTime.count());
  // Each round starts afresh and ends with a run that completes before its
  // kill; only kills that cut a run short count.
  constexpr int kKills = 50;
  // `unmarked`: kills after which the service holds a session that the list does not mark.
  int kills = 0, rounds = 0, unmarked = 0;
  uid = NewRound();
  bool fresh = true;
  for (int runs = 0; kills < kKills && runs < 4 * kKills; ++runs) {
    const std::chrono::microseconds delay(pick(random));
    SCOPED_TRACE("kill " + std::to_string(kills) + " after " + std::to_string(delay.count()) + " us");
    const Left left = LeftToUpload(uid);
    const auto begin = std::chrono::steady_clock::now();
    const HarnessRun run = Wait(StartHarness(), begin + delay);
    if (!WIFSIGNALED(run.status)) {
      // A fresh round that ended before its kill shows how long a whole run
      // takes now: on a machine that got busier or quieter the spread follows.
      if (fresh)
        pick.param(decltype(pick)::param_type(
            0,
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin).count()));
      ExpectCompleted(uid, left, run);
      uid = NewRound();
      fresh = true;
      ++rounds;
      continue;
    }
    ++kills;
    fresh = false;
    unmarked += Held(uid).size() > static_cast<size_t>(RowsUploaded());
    ExpectSound(uid);
  }
  EXPECT_EQ(kills, kKills) << "the runs ended before their kill too often";
  ExpectHealthyRunCompletes(uid);
  std::cout << kills << " kills in " << rounds + 1 << " rounds, " << unmarked
            << " of them leaving a session that the service holds and the list does not mark\n";
}

}  // namespace
