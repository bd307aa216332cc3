// The whole program on a generated workspace, as a user starts it: the login
// asked on the first tick, the workspace opened and scanned behind it, the
// ready state with every category's sessions, the category links, a second
// copy that waits at the workspace lock, and the stored UI language.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "sport/SportProjMgr.h"
#include "tests/app/sample_program.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/lock_holder.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tools/projgen/SampleWorkspace.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgSetting.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

namespace {

namespace fs = std::filesystem;
const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";
using namespace MainDlgIds;

// A user's folders in a temporary home, a workspace of 14 sessions (two of
// each race type, on the sample map whose track-map folder exists), the drag
// type those drag sessions were timed with, and the stand-in service with
// the user's account and the map.
class ReadyWindowTest : public SampleProgramTest {
 protected:
  void SetUp() override {
    SampleProgramTest::SetUp();
    if (HasFatalFailure()) return;
    WriteSample(14, 120);
  }

  // Runs the program; `script` runs in the main window once the user has
  // logged in through the dialog of the first tick, then the window closes.
  void RunProgram(std::function<void(CtessilarDlg&)> script) { RunLoggedIn(LogInWhenAsked, std::move(script)); }

  // Until the session list is ready and shown (the preparation marks the
  // Circuit category when it ends) and the service's maps are in.
  static bool WaitUntilReady(CtessilarDlg& main, LANGID lang) {
    auto* circuit = static_cast<CStaticExtension*>(main.GetDlgItem(kIdCircuit));
    return UiTestPumpUntil(
        [&] {
          return main.m_nDbState.load() == kDbListReady && circuit->IsSelected() &&
                 main.m_nTrackMapState.load() == kTrackMapsDone &&
                 ItemText(main, kIdStatus) == ResourceText(kStrDatabaseReady, lang);
        },
        60000);
  }

  // Presses Setting until its dialog has shown (`shown`, set by the test's
  // watcher of the dialog): a press that comes just as the waiting open tries
  // the lock finds nothing to hold and is not taken. Fails when a minute of
  // presses shows no dialog.
  static ::testing::AssertionResult PressSettingUntilShown(CtessilarDlg& main, const bool& shown) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!shown && main.m_nDbState.load() == kDbStart) {
      if (std::chrono::steady_clock::now() >= until) return ::testing::AssertionFailure() << "no settings dialog";
      UiTestClick(main.GetDlgItem(kIdSetting));
      if (!shown) UiTestPumpUntil([] { return false; }, 20);
    }
    return ::testing::AssertionSuccess();
  }

  static void Shoot(CWnd& main, const std::string& name) {
    UiTestPumpUntil([] { return false; }, 300);
    EXPECT_TRUE(UiTestSaveScreenshot(&main, ScreenshotPath(name))) << name;
  }
};

TEST_F(ReadyWindowTest, TheProgramReachesTheReadyStateAndEachCategoryListsItsSessions) {
  REQUIRE_UI();
  RunProgram([&](CtessilarDlg& main) {
    ASSERT_TRUE(WaitUntilReady(main, 1033));
    EXPECT_EQ(main.m_nSessionTotal.load(), 14);
    auto& list = *static_cast<CListCtrl*>(main.GetDlgItem(kIdList));
    // The newest circuit session on top: the eleventh, 02:30 UTC, 11:30 at the
    // track; one 100 s lap of the sample circuit; its points span 120 s.
    ASSERT_EQ(list.GetItemCount(), 8);
    const char16_t* const top[] = {
        u"   1 ",         u"", u"  Driver  ", u"  2024/06/01  11:30  ", u"  01:40.000 (01/01)  ", u"  00 : 02 : 00  ",
        u"Fuji Speedway", u""};
    for (int column = 0; column < 8; ++column) EXPECT_EQ(list.GetItemText(0, column), CString(top[column])) << column;
    Shoot(main, "ready_circuit");

    const struct {
      int id;
      const char16_t* caption;
      int rows;
      const char* shot;
    } links[] = {
        {kIdEndurance, u"        Endurance (2/2)", 2, "ready_endurance"},
        {kIdSprint, u"        Sprint (2/2)", 2, "ready_sprint"},
        {kIdQualify, u"        Qualify (2/2)", 2, "ready_qualify"},
        {kIdOther, u"        Other (2/2)", 2, "ready_other"},
        {kIdDrag, u"    Drag Racing (0/2)", 0, "ready_drag"},
        {kIdDataLog, u"    Data Log (0/2)", 0, "ready_datalog"},
        {kIdRally, u"    Rally Racing (0/2)", 0, "ready_rally"},
        {kIdCircuit, u"    Circuit Racing (8/8)", 8, "ready_circuit_again"},
    };
    // Drag, Data Log and Rally say that they cannot be uploaded.
    auto boxes = std::make_shared<int>(0);
    auto watching = std::make_shared<bool>(true);
    UiTestPoll([boxes, watching]() {
      if (*watching && AnswerMessageBox(UiTestInnermostModal(), IDOK)) ++*boxes;
      return !*watching;
    });
    for (const auto& link : links) {
      EXPECT_EQ(ItemText(main, link.id), CString(link.caption)) << link.shot;
      const int before = *boxes;
      UiTestClick(main.GetDlgItem(link.id));
      UiTestPumpUntil([&] { return link.rows > 0 || *boxes > before; }, 3000);
      EXPECT_EQ(list.GetItemCount(), link.rows) << link.shot;
      Shoot(main, link.shot);
    }
    EXPECT_EQ(*boxes, 3);
    *watching = false;
  });
}

// The first copy holds the workspace; this one shows "Open database" until
// that copy exits, then goes on. Meanwhile Setting, the way to another
// workspace, can be pressed, and Upload cannot; while the settings dialog is
// open the workspace is not taken, and from the moment it is taken until the
// list is ready Setting is not offered.
TEST_F(ReadyWindowTest, ASecondCopyWaitsAtTheWorkspaceLockUntilTheFirstExitsAndOffersSetting) {
  REQUIRE_UI();
  LockHolder first(m_dir.File("ws/db.v5/single"));
  ASSERT_TRUE(first.Held());
  RunProgram([&](CtessilarDlg& main) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    UiTestPumpUntil([&] {
      EXPECT_EQ(main.m_nDbState.load(), kDbStart);
      return std::chrono::steady_clock::now() > until;
    });
    EXPECT_EQ(ItemText(main, kIdStatus), ResourceText(kStrOpenDatabase, 1033));
    EXPECT_FALSE(main.GetDlgItem(kIdUpload)->IsWindowEnabled());
    EXPECT_TRUE(main.GetDlgItem(kIdSetting)->IsWindowEnabled());
    // The first copy exits while the dialog is open: two lock pauses pass
    // and the workspace is still not opened.
    std::optional<std::chrono::steady_clock::time_point> released;
    bool shown = false;
    UiTestPoll([&]() {
      CDlgSetting* setting = Innermost<CDlgSetting>();
      if (setting == nullptr) return false;
      if (!released) {
        shown = true;
        EXPECT_TRUE(first.Release());
        released = std::chrono::steady_clock::now();
      }
      EXPECT_EQ(main.m_nDbState.load(), kDbStart);
      if (std::chrono::steady_clock::now() - *released < std::chrono::milliseconds(2500)) return false;
      setting->EndDialog(IDCANCEL);
      return true;
    });
    ASSERT_TRUE(PressSettingUntilShown(main, shown));
    ASSERT_TRUE(UiTestPumpUntil([&] { return released && Innermost<CDlgSetting>() == nullptr; }, 10000));
    bool offeredWhileRead = false;
    EXPECT_TRUE(UiTestPumpUntil(
        [&] {
          if (main.m_nDbState.load() == kDbScanning && main.GetDlgItem(kIdSetting)->IsWindowEnabled())
            offeredWhileRead = true;
          return main.m_nDbState.load() == kDbListReady;
        },
        60000));
    EXPECT_FALSE(offeredWhileRead);
    EXPECT_TRUE(WaitUntilReady(main, 1033));
    EXPECT_EQ(static_cast<CListCtrl*>(main.GetDlgItem(kIdList))->GetItemCount(), 8);
  });
}

// A copy that waits at the lock and is sent to another workspace from the
// settings dialog is leaving: the first copy exits meanwhile, and this one
// still never takes the old workspace, through two lock pauses, before its
// workers stop.
TEST_F(ReadyWindowTest, ACopyLeavingForAnotherWorkspaceNeverTakesTheOneItWaitedFor) {
  REQUIRE_UI();
  LockHolder first(m_dir.File("ws/db.v5/single"));
  ASSERT_TRUE(first.Held());
  const std::string restarted = m_dir.File("restarted");
  const std::string program = m_dir.File("restart-program");
  WriteBytes(program, "#!/bin/sh\necho run >> '" + restarted + "'\n");
  fs::permissions(program, fs::perms::owner_all);
  RunProgram([&](CtessilarDlg& main) {
    ASSERT_TRUE(UiTestPumpUntil([&] { return main.GetDlgItem(kIdSetting)->IsWindowEnabled(); }, 30000));
    ASSERT_EQ(main.m_nDbState.load(), kDbStart);
    bool shown = false;
    UiTestPoll([&]() {
      CDlgSetting* setting = Innermost<CDlgSetting>();
      if (setting == nullptr) return false;
      shown = true;
      EXPECT_TRUE(first.Release());
      setting->SetRestartProgram(std::u16string(CString::FromUtf8(program).GetString()));
      setting->SetDlgItemText(SettingDlgIds::kIdWorkspace, CString::FromUtf8(m_dir.File("other")));
      AnswerNextMessageBox();  // the restart is needed
      UiTestClick(setting->GetDlgItem(IDOK));
      return true;
    });
    ASSERT_TRUE(PressSettingUntilShown(main, shown));
    ASSERT_TRUE(AfxIsQuitPending());
    // The window has not yet let its workers go.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    while (std::chrono::steady_clock::now() < until) {
      ASSERT_TRUE(CSportProjMgr::GetInstance()->IsWaitingForLock());
      ASSERT_EQ(main.m_nDbState.load(), kDbStart);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  UiTestResetQuit();
  EXPECT_TRUE(UiTestPumpUntil([&] { return ReadBytes(restarted) == "run\n"; }, 10000));
}

TEST_F(ReadyWindowTest, TheStoredUiLanguageShowsTheWindowInJapanese) {
  REQUIRE_UI();
  {
    CRegistry reg(kRegCreateKey);
    ASSERT_TRUE(reg.Open(kSettingsKey));
    reg[u"DisplayLanguage"].SetDword(1041);
  }
  RunProgram([&](CtessilarDlg& main) {
    ASSERT_TRUE(WaitUntilReady(main, 1041));
    EXPECT_EQ(ItemText(main, kIdStatus), CString(u"データベースの準備ができました"));
    EXPECT_EQ(ItemText(main, kIdCircuit), CString(u"    サーキット走行 (8/8)"));
    EXPECT_EQ(ItemText(main, kIdUpload), ResourceText(kStrUpload, 1041));
    EXPECT_NE(ResourceText(kStrUpload, 1041), ResourceText(kStrUpload, 1033));
    Shoot(main, "ready_japanese");
  });
}

}  // namespace
