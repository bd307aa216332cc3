// The whole program on a workspace whose sessions were all uploaded, started
// on a spoiled project file or on a workspace it may not write: the user is
// told which file or folder and why while the login dialog is still open,
// the window goes on with the stored session list, and no row or upload
// state is lost.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appcore/RegistrySettings.h"
#include "appcore/SessionListDb.h"
#include "appcore/SessionScan.h"
#include "sport/SportProjMgr.h"
#include "sport/SportTrack.h"
#include "sport/SportUser.h"
#include "tests/app/sample_program.h"
#include "tests/common/dead_writer.h"
#include "tests/common/files.h"
#include "tests/common/no_file_override.h"
#include "tests/common/program_ui_env.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "webclient/ApiClient.h"

namespace fs = std::filesystem;

namespace {

// How long the test waits for the message, and behind it the stored list,
// over the login dialog before the login goes on regardless: it keeps a lost
// message from hanging the test, and a busy machine under the thread checks
// never reaches it.
constexpr auto kMessageBound = std::chrono::seconds(60);

class DamagedWorkspaceTest : public SampleProgramTest {
 protected:
  void SetUp() override {
    SampleProgramTest::SetUp();
    if (HasFatalFailure()) return;
    WriteSample(7, 60);
    SeedUploadedRows();
  }

  // Every session of the workspace stored in SessionList.db as uploaded, as
  // a run that uploaded them all leaves it.
  void SeedUploadedRows() {
    CSportProjMgr* manager = CSportProjMgr::GetInstance();
    ASSERT_EQ(manager->OpenWorkspace(m_dir.WFile("ws").c_str()), kWorkspaceOk);
    manager->AddDragType(0, 0.0f, 100.0f, 0);
    std::vector<SessionSummary> rows;
    for (CSportTrack* track : manager->GetTracks()) {
      SessionSummary row;
      if (track->m_pUser && SummariseTrack(*manager, *track->m_pUser, *track, row)) rows.push_back(row);
    }
    manager->CloseWorkspace();
    SessionListDb list;
    ASSERT_TRUE(list.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora")));
    ASSERT_TRUE(list.Sync(rows.data(), static_cast<int32_t>(rows.size())));
    for (int32_t id = 1; id <= static_cast<int32_t>(rows.size()); ++id)
      ASSERT_TRUE(list.SetRespCode(id, kRespUploaded));
    m_stored = StoredRows();
    ASSERT_EQ(m_stored.size(), 7u);
  }

  // "folder:respCode" of every stored row, by id.
  std::vector<std::string> StoredRows() {
    SessionListDb list;
    std::vector<std::string> out;
    if (!list.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora"))) return out;
    SessionSummary row;
    for (int32_t id = 1; list.GetById(id, row); ++id)
      out.push_back(row.folder.ToUtf8() + ":" + std::to_string(row.respCode));
    return out;
  }

  // What a message over the first tick's login dialog showed.
  struct Shown {
    CString text;               // empty when no message came over the login
    bool listedBehind = false;  // the stored list and Setting were there behind it
    std::string behind;         // what the window behind it showed last
  };

  // The window's states, rows and Setting, for a failure to name.
  static std::string Behind(CtessilarDlg& main) {
    auto& list = *static_cast<CListCtrl*>(main.GetDlgItem(MainDlgIds::kIdList));
    return "list state " + std::to_string(main.m_nDbState.load()) + ", map state " +
           std::to_string(main.m_nTrackMapState.load()) + ", " + std::to_string(list.GetItemCount()) +
           " rows, Setting " + (main.GetDlgItem(MainDlgIds::kIdSetting)->IsWindowEnabled() ? "on" : "off");
  }

  // Runs the program as the user starts it. A message box over the login
  // dialog of the first tick is read, and answered only once the window
  // behind it lists the stored rows and offers Setting (a worker that waited
  // for the answer would hold that up), or once kMessageBound has passed.
  // Without a message to wait for, the login goes on as soon as the window
  // behind it lists the stored rows. Then the user logs in, and once the
  // window is ready it closes. A box that shows only later is answered too,
  // so that the program can end.
  enum class Expect { kMessage, kNoMessage };
  Shown RunProgram(Expect expect = Expect::kMessage) {
    UiTestResetQuit();
    GetLoginState() = kLoginNone;
    auto shown = std::make_shared<Shown>();
    auto answered = std::make_shared<bool>(false);
    auto over = std::make_shared<bool>(false);
    const auto start = std::chrono::steady_clock::now();
    auto late = [start]() { return std::chrono::steady_clock::now() - start > kMessageBound; };
    auto listedBehind = [shown]() {
      auto* main = static_cast<CtessilarDlg*>(AfxGetApp()->m_pMainWnd);
      if (main == nullptr) return false;
      shown->behind = Behind(*main);
      return ShowsStoredListAndSetting(*main);
    };
    UiTestPoll([shown, answered, over, late, listedBehind]() {
      HWND top = UiTestInnermostModal();
      if (*over) return true;
      if (top == nullptr || !UiTestIsMessageBox(top)) return false;
      if (!late()) {
        shown->text = UiTestMessageBoxText(top);
        shown->listedBehind = listedBehind();
        if (!shown->listedBehind) return false;
      }
      *answered = AnswerMessageBox(top, IDOK);
      return *answered;
    });
    auto logIn = [expect, shown, answered, late, listedBehind]() {
      if (expect == Expect::kNoMessage && !shown->listedBehind) shown->listedBehind = listedBehind();
      const bool goOn = *answered || late() || (expect == Expect::kNoMessage && shown->listedBehind);
      return goOn && LogInWhenAsked();
    };
    RunLoggedIn(logIn, [&](CtessilarDlg& main) {
      // The preparation marks the Circuit category once the list is filled;
      // Setting comes back once the track maps are in.
      auto* circuit = static_cast<CStaticExtension*>(main.GetDlgItem(MainDlgIds::kIdCircuit));
      EXPECT_TRUE(UiTestPumpUntil(
          [&] {
            return circuit->IsSelected() && main.m_nTrackMapState.load() == kTrackMapsDone &&
                   ShowsStoredListAndSetting(main);
          },
          60000));
    });
    *over = true;
    return *shown;
  }

  // The window with the stored list (the four uploaded circuit sessions) and
  // Setting free to choose another workspace.
  static bool ShowsStoredListAndSetting(CtessilarDlg& main) {
    auto& list = *static_cast<CListCtrl*>(main.GetDlgItem(MainDlgIds::kIdList));
    if (list.GetItemCount() != 4 || !main.GetDlgItem(MainDlgIds::kIdSetting)->IsWindowEnabled()) return false;
    for (int row = 0; row < list.GetItemCount(); ++row)
      if (list.GetItemText(row, 1) != ResourceText(146)) return false;
    return true;
  }

  // The message named `where` and gave `reason` over the login, the stored
  // list was there behind it, and every stored row stays as it was.
  void ExpectToldWhyAndKept(const Shown& shown, const std::string& where, UINT reason) {
    EXPECT_GE(shown.text.Find(CString::FromUtf8(where)), 0) << shown.text.ToUtf8();
    EXPECT_GE(shown.text.Find(ResourceText(reason)), 0) << shown.text.ToUtf8();
    EXPECT_TRUE(shown.listedBehind) << shown.behind;
    EXPECT_EQ(StoredRows(), m_stored);
  }

  std::vector<std::string> m_stored;
};

TEST_F(DamagedWorkspaceTest, ASpoiledProjectFileKeepsEveryUploadedRowAndTheUserIsToldWhichFileAndWhy) {
  REQUIRE_UI();
  const std::string poi = m_dir.File("ws/db.v5/SportProjIndex/bruser.poi");
  const std::string whole = ReadBytes(poi);
  const struct {
    const char* name;
    std::function<void()> spoil;
    UINT reason;
    bool unreadable;
  } cases[] = {
      {"empty", [&] { WriteBytes(poi, ""); }, 159, false},
      {"missing", [&] { fs::remove(poi); }, 158, false},
      {"unreadable", [&] { fs::permissions(poi, fs::perms::none); }, 160, true},
      {"cut short", [&] { WriteBytes(poi, whole.substr(0, whole.size() / 2)); }, 161, false},
      {"not SQLite", [&] { WriteBytes(poi, std::string(whole.size(), 'z')); }, 161, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(poi);
    WriteBytes(poi, whole);
    c.spoil();
    Shown shown;
    {
      std::unique_ptr<ScopedNoFileOverride> noOverride(c.unreadable ? new ScopedNoFileOverride : nullptr);
      shown = RunProgram();
    }
    ExpectToldWhyAndKept(shown, poi, c.reason);
  }
}

// The workspace's database folder may not be written (as on a read-only
// mount): the message names it and the reason at once, and the window stays
// usable with the stored list.
TEST_F(DamagedWorkspaceTest, AWorkspaceThatCannotBeWrittenIsReportedAtOnceAndTheWindowStaysUsable) {
  REQUIRE_UI();
  const std::string db = m_dir.File("ws/db.v5");
  fs::remove(db + "/single");
  fs::permissions(db, fs::perms::owner_read | fs::perms::owner_exec);
  Shown shown;
  {
    ScopedNoFileOverride noOverride;
    shown = RunProgram();
  }
  fs::permissions(db, fs::perms::owner_all);
  ExpectToldWhyAndKept(shown, db, kStrFolderNoPermission);
}

// The lock file is there to be opened, yet the working copy of the project
// cannot be made: the message names the workspace folder at fault and why,
// and the window stays usable with the stored list.
TEST_F(DamagedWorkspaceTest, AWorkspaceThatCannotHoldTheWorkingCopyIsReportedByItsFolder) {
  REQUIRE_UI();
  const std::string ws = m_dir.File("ws"), transfer = ws + "/TransferDb";
  // Deep enough that the working copy's journal is beyond the system's
  // limit, while the project's own is not.
  const std::string deep = m_dir.Deep(4054, false);
  const struct {
    const char* name;
    std::function<void()> spoil, mend;
    std::string folder;
    UINT reason;
  } cases[] = {
      {"folders read-only",
       [&] {
         fs::permissions(transfer, fs::perms::owner_read | fs::perms::owner_exec);
         fs::permissions(ws, fs::perms::owner_read | fs::perms::owner_exec);
       },
       [&] {
         fs::permissions(ws, fs::perms::owner_all);
         fs::permissions(transfer, fs::perms::owner_all);
       },
       transfer, kStrFolderNoPermission},
      {"too deep",
       [&] {
         fs::create_directories(fs::path(deep).parent_path());
         fs::rename(ws, deep);
         SetWorkspaceLocation(CString::FromUtf8(deep));
       },
       [&] {
         fs::rename(deep, ws);
         SetWorkspaceLocation(CString::FromUtf8(ws));
       },
       deep, kStrPathTooLong},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.spoil();
    Shown shown;
    {
      ScopedNoFileOverride noOverride;
      shown = RunProgram();
    }
    c.mend();
    ExpectToldWhyAndKept(shown, c.folder, c.reason);
  }
}

// The logger program died half-way through removing a session: the project
// is read as last committed, so every session is found, no uploaded row is
// deleted and nothing is reported; the logger program's files stay as they are.
TEST_F(DamagedWorkspaceTest, AProjectFileLeftMidChangeKeepsEverySessionAndEveryRow) {
  REQUIRE_UI();
  const std::string poi = m_dir.File("ws/db.v5/SportProjIndex/bruser.poi");
  ASSERT_TRUE(LeaveChangeHalfWritten(poi, "UPDATE Line SET fName = '___Deleted_Track___' WHERE fName = 'Session 1'",
                                     "SELECT count(*) FROM Line WHERE fName = '___Deleted_Track___'"));
  const std::string file = ReadBytes(poi), journal = ReadBytes(poi + "-journal");
  const Shown shown = RunProgram(Expect::kNoMessage);
  EXPECT_TRUE(shown.text.IsEmpty()) << shown.text.ToUtf8();
  EXPECT_TRUE(shown.listedBehind) << shown.behind;
  EXPECT_EQ(StoredRows(), m_stored);
  EXPECT_EQ(ReadBytes(poi), file);
  EXPECT_EQ(ReadBytes(poi + "-journal"), journal);
}

}  // namespace
