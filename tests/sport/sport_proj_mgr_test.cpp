// The sport project manager on generated workspaces: the database folder,
// the workspace lock against another process, and what a load brings in.
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

#include "platform/win32/sqlitestatement.h"
#include "sport/ProjectDbMgr.h"
#include "sport/SportLapPoint.h"
#include "sport/SportUser.h"
#include "tests/common/dead_writer.h"
#include "tests/common/lock_holder.h"
#include "tests/common/no_file_override.h"
#include "tests/sport/sport_workspace.h"

namespace {

using sportws::SportWorkspaceTest;
namespace fs = std::filesystem;

// Every file below the folder with its bytes, the lock file aside.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file() || e.path().filename() == "single") continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    out[fs::relative(e.path(), folder).string()] = bytes.str();
  }
  return out;
}

// The last failure of an open that the project manager reported, while alive.
struct CaughtReport {
  CaughtReport() {
    ProjectDbMgr::GetInstance()->SetOpenFailureReport([this](ProjectFault f, const CString& path) {
      fault = f;
      file = path.ToUtf8();
    });
  }
  ~CaughtReport() { ProjectDbMgr::GetInstance()->SetOpenFailureReport(nullptr); }
  ProjectFault fault = ProjectFault::kNone;
  std::string file;
};

void Touch(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << text;
}

TEST_F(SportWorkspaceTest, DatabaseFolderComesFromDbV4OrFromTheTopLevelAndNeverCopiesIntoItself) {
  struct Case {
    const char* name;
    std::vector<std::string> files;   // made below the workspace before
    std::string suffix;               // appended to the workspace path
    std::vector<std::string> expect;  // below db.v5 afterwards
    std::vector<std::string> absent;
  };
  const std::vector<Case> cases = {
      {"from db.v4",
       {"db.v4/SportProjIndex/bruser.poi", "db.v4/Track1/bruser.poi"},
       "",
       {"SportProjIndex/bruser.poi", "Track1/bruser.poi"},
       {"db.v4"}},
      {"from the top level",
       {"SportProjIndex/bruser.poi", "notes.txt"},
       "",
       {"SportProjIndex/bruser.poi", "notes.txt"},
       {"db.v5"}},
      {"with trailing separators", {"a.txt"}, "//", {"a.txt"}, {"db.v5", "db.v5/db.v5"}},
      {"already there", {"db.v5/keep.txt", "other.txt"}, "", {"keep.txt"}, {"other.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string ws = m_dir.File(std::string("prep_") + std::to_string(&c - cases.data()));
    for (const std::string& f : c.files) Touch(ws + "/" + f, f);
    const CString db = m_mgr->PrepareDatabaseFolder(CString::FromUtf8(ws + c.suffix));
    EXPECT_EQ(db.ToUtf8(), ws + "/db.v5");
    for (const std::string& f : c.expect) EXPECT_TRUE(fs::is_regular_file(ws + "/db.v5/" + f)) << f;
    for (const std::string& f : c.absent) EXPECT_FALSE(fs::exists(ws + "/db.v5/" + f)) << f;
  }
  // The old folder stays as it was; a workspace that does not exist is made.
  EXPECT_TRUE(fs::is_regular_file(m_dir.File("prep_0/db.v4/Track1/bruser.poi")));
  EXPECT_EQ(m_mgr->PrepareDatabaseFolder(CString::FromUtf8(m_dir.File("new"))).ToUtf8(), m_dir.File("new/db.v5"));
  EXPECT_TRUE(fs::is_directory(m_dir.File("new")));
  // No workspace names no folder: nothing is made at the root.
  EXPECT_TRUE(m_mgr->PrepareDatabaseFolder(CString()).IsEmpty());
}

TEST_F(SportWorkspaceTest, OpenRefusesNoWorkspaceAndADatabaseFolderThatIsAFile) {
  EXPECT_EQ(m_mgr->OpenWorkspace(nullptr), kWorkspaceBadFolder);
  Touch(m_dir.File("filews/db.v5"), "x");
  EXPECT_EQ(m_mgr->OpenWorkspace(CString::FromUtf8(m_dir.File("filews"))), kWorkspaceBadFolder);
  EXPECT_EQ(m_mgr->GetWorkspaceFault().folder.ToUtf8(), m_dir.File("filews/db.v5"));
  EXPECT_EQ(m_mgr->GetWorkspaceFault().error, ENOTDIR);
}

// A lock file that cannot be made (no permission here, a read-only mount
// alike) ends the open at once with the folder and the reason: only a lock
// that another program holds is waited for.
TEST_F(SportWorkspaceTest, AWorkspaceThatCannotBeWrittenEndsTheOpenAtOnceWithItsReason) {
  ASSERT_TRUE(sportws::WriteSample(Root()));
  const std::string db = m_dir.File("ws/db.v5");
  fs::remove(db + "/single");
  fs::permissions(db, fs::perms::owner_read | fs::perms::owner_exec);
  int pauses = 0;
  m_mgr->SetLockPause([&] { return ++pauses < 3; });
  {
    ScopedNoFileOverride noOverride;
    EXPECT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceNotWritable);
  }
  fs::permissions(db, fs::perms::owner_all);
  EXPECT_EQ(pauses, 0);
  EXPECT_EQ(m_mgr->GetWorkspaceFault().folder.ToUtf8(), db);
  EXPECT_EQ(m_mgr->GetWorkspaceFault().error, EACCES);
  EXPECT_FALSE(m_mgr->IsProjectLoaded());
}

// A project file that is empty, missing, unreadable, a folder, cut short or
// not a database, or whose journal cannot be copied with it, is not loaded:
// nothing is known of the sessions, the file and the reason are reported,
// and no working copy stays behind.
TEST_F(SportWorkspaceTest, ADamagedProjectFileIsNotLoadedAndItsFileAndReasonAreReported) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> spoil;
    ProjectFault fault;
    const char* file = "";  // after the project file's path
  } cases[] = {
      {"empty", [](const std::string& p) { Touch(p, ""); }, ProjectFault::kEmpty},
      {"missing", [](const std::string& p) { fs::remove(p); }, ProjectFault::kMissing},
      {"unreadable", [](const std::string& p) { fs::permissions(p, fs::perms::none); }, ProjectFault::kUnreadable},
      {"a folder", [](const std::string& p) { fs::remove(p), fs::create_directory(p); }, ProjectFault::kUnreadable},
      {"cut short", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) / 2); }, ProjectFault::kNotAProject},
      {"not SQLite", [](const std::string& p) { Touch(p, std::string(8192, 'z')); }, ProjectFault::kNotAProject},
      {"journal unreadable",
       [](const std::string& p) {
         Touch(p + "-journal", std::string(512, 'j'));
         fs::permissions(p + "-journal", fs::perms::none);
       },
       ProjectFault::kNotCopied, "-journal"},
  };
  CaughtReport reported;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string ws = m_dir.File(std::string("ws_") + c.name);
    ASSERT_TRUE(sportws::WriteSample(Utf8ToUtf16(ws)));
    const std::string poi = ws + "/db.v5/SportProjIndex/bruser.poi";
    c.spoil(poi);
    reported.fault = ProjectFault::kNone;
    {
      ScopedNoFileOverride noOverride;
      EXPECT_EQ(m_mgr->OpenWorkspace(Utf8ToUtf16(ws).c_str()), kWorkspaceOk);
    }
    EXPECT_FALSE(m_mgr->IsProjectLoaded());
    EXPECT_TRUE(m_mgr->GetTracks().empty());
    EXPECT_EQ(reported.fault, c.fault);
    EXPECT_EQ(reported.file, poi + c.file);
    EXPECT_FALSE(fs::exists(ws + "/TransferDb/SportProjIndex"));
    m_mgr->CloseWorkspace();
  }
}

// The lock file is there to be opened, but the working copy cannot be made
// beside the project: the project is not loaded and the workspace folder at
// fault is reported, the one that may not be written or the one too deep.
TEST_F(SportWorkspaceTest, AWorkspaceThatCannotHoldTheWorkingCopyIsReportedByItsFolder) {
  const auto readOnly = [](const std::string& folder) {
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  };
  const struct {
    const char* name;
    std::string ws;
    std::function<void(const std::string&)> spoil;
    ProjectFault fault;
    const char* folder;  // after the workspace's path
  } cases[] = {
      {"no transfer folder, the workspace read-only", m_dir.File("ro_new"),
       [&](const std::string& ws) {
         readOnly(ws + "/db.v5");
         readOnly(ws);
       },
       ProjectFault::kFolderNotWritable, ""},
      {"the transfer folder read-only", m_dir.File("ro_old"),
       [&](const std::string& ws) {
         fs::create_directory(ws + "/TransferDb");
         readOnly(ws + "/TransferDb");
       },
       ProjectFault::kFolderNotWritable, "/TransferDb"},
      // The project's journal fits the system's limit, the working copy's not.
      {"too deep", m_dir.Deep(4054), [](const std::string&) {}, ProjectFault::kPathTooLong, ""},
  };
  CaughtReport reported;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(sportws::WriteSample(Utf8ToUtf16(c.ws)));
    Touch(c.ws + "/db.v5/single", "");
    c.spoil(c.ws);
    reported.fault = ProjectFault::kNone;
    {
      ScopedNoFileOverride noOverride;
      EXPECT_EQ(m_mgr->OpenWorkspace(Utf8ToUtf16(c.ws).c_str()), kWorkspaceOk);
      EXPECT_FALSE(m_mgr->IsProjectLoaded());
      m_mgr->CloseWorkspace();
    }
    std::error_code none;
    for (const char* folder : {"", "/db.v5", "/TransferDb"}) fs::permissions(c.ws + folder, fs::perms::owner_all, none);
    EXPECT_EQ(reported.fault, c.fault);
    EXPECT_EQ(reported.file, c.ws + c.folder);
  }
}

TEST_F(SportWorkspaceTest, ASecondProgramWaitsAtTheLockAndGoesOnWhenTheFirstExits) {
  ASSERT_TRUE(sportws::WriteSample(Root()));
  LockHolder first(Utf16ToUtf8(Root() + u"/db.v5/single"));
  ASSERT_TRUE(first.Held());
  int pauses = 0;
  m_mgr->SetLockPause([&] {
    if (++pauses == 3) first.Release();
    return pauses < 100;
  });
  EXPECT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceOk);
  EXPECT_EQ(pauses, 3);
  EXPECT_EQ(m_mgr->GetTracks().size(), 8u);
  // Held now: another open of the lock file, even in this process, is refused.
  WorkspaceLock again;
  EXPECT_FALSE(again.TryLock(Root() + u"/db.v5/single"));
}

TEST_F(SportWorkspaceTest, LoadBringsUsersTracksOfEveryKindAndLapPoints) {
  Open();
  EXPECT_TRUE(m_mgr->IsProjectLoaded());
  PtrList_C users;
  ASSERT_EQ(m_mgr->GetUsers(CString(), users), 2);
  CSportUser* driver = static_cast<CSportUser*>(users.GetHeadPosition()->value);
  EXPECT_EQ(m_mgr->GetActiveUser(), driver);
  EXPECT_EQ(driver->m_strNickName, u"driver");
  EXPECT_EQ(driver->m_nGender, 1);
  EXPECT_EQ(driver->m_dWeight, 72.0);
  EXPECT_EQ(driver->m_nBirth[0], 1990);
  EXPECT_EQ(driver->m_nBirth[2], 17);

  TrackFilter all;
  PtrList_C tracks;
  ASSERT_EQ(driver->FindTracks(all, tracks), 7);
  std::vector<int32_t> racing;
  uint64_t previous = 0;
  for (PtrListNode_C* pos = tracks.GetHeadPosition(); pos;) {
    auto* t = static_cast<CSportTrack*>(PtrList_C::GetNext(pos));
    EXPECT_LE(previous, t->m_ftStart);
    previous = t->m_ftStart;
    EXPECT_EQ(t->m_pUser, driver);
    racing.push_back(t->m_nRacingType);
  }
  std::sort(racing.begin(), racing.end());
  EXPECT_EQ(racing, (std::vector<int32_t>{0, 1, 2, 3, 4, 4, 5}));
  PtrList_C byName;
  EXPECT_EQ(m_mgr->GetUsers(u"Sec", byName), 1);

  ASSERT_EQ(m_mgr->GetLapPoints().size(), 2u);
  EXPECT_EQ(m_mgr->GetLapPoints()[0]->m_nLapType, CSportLapPoint::kStartFinish);
  EXPECT_EQ(m_mgr->GetLapPoints()[1]->m_nLapType, CSportLapPoint::kSector);
}

TEST_F(SportWorkspaceTest, TheLoggerProgramsFilesAreUnchangedAfterAFullLoadAndAnalysis) {
  ASSERT_TRUE(sportws::WriteSample(Root()));
  const auto before = Snapshot(m_dir.File("ws/db.v5"));
  ASSERT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceOk);
  for (CSportTrack* t : m_mgr->GetTracks()) t->ComputeStatistics();
  EXPECT_GT(FindTrack(u"Sprint")->GetTotalDistance(), 0.0);
  for (CSportTrack* t : m_mgr->GetTracks()) t->ReleaseTrackPoints();
  EXPECT_EQ(Snapshot(m_dir.File("ws/db.v5")), before);
}

// The project as the logger program leaves it beside bruser.poi: half-way
// through removing a session when it died (pages of the change in the file,
// its hot journal holding the pages before), or with the removal committed
// to its write-ahead log alone. The open reads the project as last
// committed, and the logger program's files stay as they are.
TEST_F(SportWorkspaceTest, AProjectIsReadAsLastCommittedWhateverItsWriterLeftBesideIt) {
  const char* const removal = "UPDATE Line SET fName = '___Deleted_Track___' WHERE fName = 'Sprint'";
  const struct {
    const char* name;
    std::function<void(const std::string& poi)> leave;
    size_t tracks;
  } cases[] = {
      {"a change cut short",
       [&](const std::string& poi) {
         ASSERT_TRUE(
             LeaveChangeHalfWritten(poi, removal, "SELECT count(*) FROM Line WHERE fName = '___Deleted_Track___'"));
       },
       8},
      {"a change in the log",
       [&](const std::string& poi) {
         const std::string live = poi + ".live";
         fs::copy_file(poi, live);
         sqlite3* raw = nullptr;
         ASSERT_EQ(sqlite3_open(live.c_str(), &raw), SQLITE_OK);
         SqliteHandle writer(raw);
         const std::string sql = std::string("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; ") + removal;
         ASSERT_EQ(sqlite3_exec(writer.get(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
         // The files while the writer has them open: the commit is in the log alone.
         for (const char* suffix : {"", "-wal", "-shm"})
           fs::copy_file(live + suffix, poi + suffix, fs::copy_options::overwrite_existing);
         writer.reset();
         fs::remove(live);
       },
       7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string ws = m_dir.File(std::string("ws_") + c.name);
    ASSERT_TRUE(sportws::WriteSample(Utf8ToUtf16(ws)));
    c.leave(ws + "/db.v5/SportProjIndex/bruser.poi");
    if (HasFatalFailure()) return;
    const auto before = Snapshot(ws + "/db.v5");
    ASSERT_EQ(m_mgr->OpenWorkspace(Utf8ToUtf16(ws).c_str()), kWorkspaceOk);
    EXPECT_TRUE(m_mgr->IsProjectLoaded());
    EXPECT_EQ(m_mgr->GetTracks().size(), c.tracks);
    EXPECT_EQ(FindTrack(u"Sprint") != nullptr, c.tracks == 8);
    m_mgr->CloseWorkspace();
    EXPECT_EQ(Snapshot(ws + "/db.v5"), before);
  }
}

TEST(DragTypes, FindMatchesToFourDecimalsWhateverTheUnitOrPrecision) {
  CSportProjMgr* mgr = CSportProjMgr::GetInstance();
  mgr->AddDragType(0, 0.0f, 700.0f, 0);    // 0: 700 m
  mgr->AddDragType(0, 0.0f, 60.0f, 0);     // 1: 60 m
  mgr->AddDragType(0, 0.0f, 900.0f, 0);    // 2: 900 m
  mgr->AddDragType(1, 0.0f, 100.0f, 0);    // 3: 0-100 km/h
  mgr->AddDragType(0, 0.0f, 0.25f, 1);     // 4: quarter mile
  mgr->AddDragType(2, 0.0f, 0.40001f, 0);  // 5: seconds, as configured
  mgr->AddDragType(2, 0.0f, 0.40009f, 0);  // 6: the same to four decimals
  // Values from a damaged settings file: 7: not a number, 8: beyond the scale.
  mgr->AddDragType(1, 0.0f, std::numeric_limits<float>::quiet_NaN(), 0);
  mgr->AddDragType(2, 0.0f, 1e30f, 0);
  mgr->DragTypesLoaded();
  mgr->WaitForDragTypes();
  const struct {
    int kind;
    double start, end;
    int index;  // -1: none
  } cases[] = {
      {0, 0.0, 0.700000, 0},        {0, 0.0, 0.7f, 0},    {0, 0.0, 0.06, 1},    {0, 0.0, 0.9, 2},  {1, 0.0, 100.0, 3},
      {0, 0.0, 0.25 / 0.621371, 4}, {2, 0.0, 0.40001, 5}, {2, 0.0, 0.40009, 5}, {1, 0.0, 0.7, -1}, {0, 0.0, 0.71, -1},
      {1, 0.0, std::nan(""), -1},   {2, 0.0, 1e30, -1},   {2, 0.0, -1e30, -1},
  };
  for (const auto& c : cases) {
    int index = -7;
    const CSportProjMgr::DragType* t = mgr->FindDragType(c.kind, index, c.start, c.end);
    EXPECT_EQ(t != nullptr, c.index >= 0) << c.kind << " " << c.end;
    EXPECT_EQ(index, c.index >= 0 ? c.index : -7) << c.kind << " " << c.end;
  }
}

}  // namespace
