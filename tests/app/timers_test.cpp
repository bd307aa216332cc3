// The main window's timers in a real window against the stand-in service:
// the login on the first tick while the session list is prepared, the track
// maps after a login, the upload's progress and result, and the software
// update the update store offers. The user's folders and the workspace are
// the suite's, made once for all its cases; each case's window works on the
// program's context.
#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "appcore/AppContext.h"
#include "appcore/RegistrySettings.h"
#include "tests/app/scripted_main_dlg.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tools/projgen/SampleWorkspace.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgLogin.h"
#include "uploader/DlgResult.h"
#include "uploader/DlgSelfUpgrade.h"
#include "webclient/ApiClient.h"
#include "webclient/LoginCipher.h"

namespace {

using namespace MainDlgIds;

namespace fs = std::filesystem;

const StandinAccount kRider{"rider@example.org", "s3cret pass", "Rin Rider", 1, "JP", "ja", true};

// The count the software update shows; -1 for none.
int ShownCountdown(CDlgSelfUpgrade& upgrade) {
  CString shown;
  upgrade.GetDlgItemText(SelfUpgradeDlgIds::kIdCountdown, shown);
  for (int count = 0; count <= CDlgSelfUpgrade::kCountdownSeconds; ++count) {
    CString text;
    text.Format(AfxLoadText(kStrCountdown), count);
    if (text == shown) return count;
  }
  return -1;
}

// The dialog's own timer ticks first, then the test ticks by hand: the
// installer starts on the tick after the count shows 0 and not before, and
// a tick already queued and a press of Execute after it start nothing more.
void RunCountdownOut(CDlgSelfUpgrade& upgrade) {
  ASSERT_TRUE(UiTestPumpUntil([&] { return ShownCountdown(upgrade) < CDlgSelfUpgrade::kCountdownSeconds; }, 30000));
  const int shown = ShownCountdown(upgrade);
  ASSERT_GE(shown, 0);
  for (int left = shown; left >= 0; --left) {
    EXPECT_FALSE(AfxIsQuitPending()) << "started with " << left << " s left";
    upgrade.SendMessage(WM_TIMER, CDlgSelfUpgrade::kCountdownTimer);
  }
  EXPECT_TRUE(AfxIsQuitPending());
  EXPECT_EQ(ShownCountdown(upgrade), 0);
  upgrade.SendMessage(WM_TIMER, CDlgSelfUpgrade::kCountdownTimer);
  UiTestClick(upgrade.GetDlgItem(IDOK));
}

class MainWindowTimersTest : public StandinClientTest {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    s_folders = new ScopedUserFolders(s_dir->Path());
    projgen::SampleOptions options;
    options.sessions = 3;  // Endurance, Sprint, Qualify
    options.seconds = 60;
    options.documents = s_dir->WFile("Documents");
    ASSERT_TRUE(projgen::WriteSampleWorkspace(s_dir->WFile("ws"), options));
    SetWorkspaceLocation(CString::FromUtf8(s_dir->File("ws")));
  }
  static void TearDownTestSuite() {
    delete s_folders;
    delete s_dir;
  }
  void SetUp() override {
    StandinClientTest::SetUp();
    if (HasFatalFailure()) return;
    GetLoginState() = kLoginNone;
  }
  static std::string UserData(const std::string& name) { return s_dir->File("Documents/Pelmora/" + name); }

  static inline TempDir* s_dir = nullptr;
  static inline ScopedUserFolders* s_folders = nullptr;
  CtessilarApp m_app;
};

TEST_F(MainWindowTimersTest, TheFirstTickOpensTheLoginWhileTheListIsPreparedAndALoginFetchesTheTrackMaps) {
  REQUIRE_UI();
  ASSERT_GT(m_service->AddAccount(kRider), 0);
  auto beaconFile = [](int32_t width) {
    StandinBeacon line;
    line.width = width;
    return MakeBeaconFile({line});
  };
  ASSERT_TRUE(m_service->AddTrackMap({1, "O", "Fuji", 100}, beaconFile(10)));
  ASSERT_TRUE(m_service->AddTrackMap({2, "O", "Suzuka", 100}, beaconFile(20)));
  // A slow track list, so that its retrieval can be seen.
  StandinFaultSpec slow;
  slow.path = "/API/TrackList.php";
  slow.kind = StandinFault::Delay;
  slow.delayMs = 700;
  m_service->AddFault(slow);

  bool retrievalSeen = false;
  CString loggedInLink;
  ScriptedMainDlg dlg(m_app.Context(), ScriptedMainDlg::kStartupLogin, [&](ScriptedMainDlg& d) {
    UiTestPoll([&]() {
      CDlgLogin* login = Innermost<CDlgLogin>();
      if (login == nullptr) return false;
      // Behind the open login the session list is made.
      EXPECT_TRUE(UiTestPumpUntil([&]() { return d.Text(kIdStatus) == CString(u"Database is ready"); }));
      EXPECT_EQ(d.Text(kIdCircuit).Str(), u"    Circuit Racing (3/3)");
      EXPECT_TRUE(UiTestSaveScreenshot(login, ScreenshotPath("startup_login")));

      login->SetDlgItemText(LoginDlgIds::kIdEmail, CString(kRider.email.c_str()));
      login->SetDlgItemText(LoginDlgIds::kIdPassword, CString(u"wrong"));
      const auto message = AnswerNextMessageBox();
      UiTestClick(login->GetDlgItem(LoginDlgIds::kIdLogin));
      EXPECT_TRUE(UiTestPumpUntil([&]() { return !message->text.IsEmpty(); }));
      EXPECT_EQ(message->text.Str(), u"Login Failed!");
      login->SetDlgItemText(LoginDlgIds::kIdPassword, CString(kRider.password.c_str()));
      UiTestClick(login->GetDlgItem(LoginDlgIds::kIdLogin));
      return true;
    });
    UiTestPoll([&]() {
      if (d.Text(kIdStatus).Find(u"Retrieve 2 track map") == 0) {
        retrievalSeen = true;
        EXPECT_FALSE(d.GetDlgItem(kIdUpload)->IsWindowEnabled());
        EXPECT_FALSE(d.GetDlgItem(kIdSetting)->IsWindowEnabled());
        EXPECT_TRUE(UiTestWaitCursorShown());
      }
      if (d.m_nTrackMapState.load() != kTrackMapsDone || !d.GetDlgItem(kIdUpload)->IsWindowEnabled()) return false;
      loggedInLink = d.Text(kIdLogin);
      EXPECT_FALSE(UiTestWaitCursorShown());
      ShootThenEnd(d, "main_window_logged_in", IDCANCEL);
      return true;
    });
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(loggedInLink.Str(), u"Rin Rider");
  EXPECT_TRUE(retrievalSeen);
  EXPECT_EQ(m_app.Context().TrackMaps().Count(), 2);
  EXPECT_EQ(ReadBytes(UserData("TransferDb/bcnx/Fuji.bcnx")), beaconFile(10));
  EXPECT_EQ(ReadBytes(UserData("TransferDb/bcnx/Suzuka.bcnx")), beaconFile(20));
}

// A worker's report that comes as the first tick ends, before the login
// that tick opens has opened, waits for it and shows over it, as one that
// came earlier does: the login never opens over the report.
TEST_F(MainWindowTimersTest, AReportThatComesAsTheFirstTickEndsShowsOverItsLogin) {
  REQUIRE_UI();
  bool loginOpenUnderBox = false;
  CString shown;
  ScriptedMainDlg dlg(m_app.Context(), ScriptedMainDlg::kStartupLogin, [&](ScriptedMainDlg& d) {
    UiTestPoll([&]() {
      HWND top = UiTestInnermostModal();
      if (!UiTestIsMessageBox(top)) return false;
      shown = UiTestMessageBoxText(top);
      loginOpenUnderBox = d.LoginOpen();
      return AnswerMessageBox(top, IDOK);
    });
    // The login goes once the report is answered; a report held under it
    // would never come, so it goes after a minute regardless.
    const auto since = std::chrono::steady_clock::now();
    UiTestPoll([&, since]() {
      CDlgLogin* login = Innermost<CDlgLogin>();
      if (login == nullptr || (shown.IsEmpty() && std::chrono::steady_clock::now() - since < std::chrono::minutes(1)))
        return false;
      login->EndDialog(IDCANCEL);
      return true;
    });
    UiTestPoll([&]() {
      if (shown.IsEmpty() || d.LoginOpen() || UiTestInnermostModal() != d.GetSafeHwnd()) return false;
      d.EndDialog(IDCANCEL);
      return true;
    });
    // The report is queued first; the tick then ends the countdown and
    // queues the login behind it.
    d.m_nStartupCountdown = 1;
    CtessilarDlg::ReportToUser(d.GetSafeHwnd(), CString(u"The workspace cannot be read."));
    d.Tick(CtessilarDlg::kTimerPrepareDb);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(shown.Str(), u"The workspace cannot be read.");
  EXPECT_TRUE(loginOpenUnderBox);
}

// A click on the login link just before the first tick opens the one login
// dialog; the tick's own login does not open a second over it.
TEST_F(MainWindowTimersTest, ALoginLinkClickedBeforeTheFirstTickOpensOneLoginDialog) {
  REQUIRE_UI();
  std::set<HWND> logins;
  ScriptedMainDlg dlg(m_app.Context(), ScriptedMainDlg::kStartupLogin, [&](ScriptedMainDlg& d) {
    auto polls = std::make_shared<int>(0);
    UiTestPoll([&, polls]() {
      if (CDlgLogin* login = Innermost<CDlgLogin>()) logins.insert(login->GetSafeHwnd());
      // The first tick and the next have passed: the tick's login had its chance.
      if (d.m_nStartupCountdown.load() >= 0 || ++*polls < 20) return false;
      PostQuitMessage(0);
      return true;
    });
    UiTestClick(d.GetDlgItem(kIdLogin));
  });
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_EQ(logins.size(), 1u);
}

// Timer 2 ends (the track maps came in just before) while the terms box of
// an Upload press is open: the upload that the box lets start runs with
// Upload and Setting taken away.
TEST_F(MainWindowTimersTest, AJobThatEndsWhileTheTermsBoxIsOpenOffersNothingToTheUploadItLetsStart) {
  REQUIRE_UI();
  bool offeredDuringUpload = true;
  ScriptedMainDlg dlg(m_app.Context(), [&](ScriptedMainDlg& d) {
    ASSERT_TRUE(UiTestPumpUntil([&]() { return d.m_nDbState.load() == kDbListReady && d.Enabled(kIdUpload); }, 30000));
    ASSERT_GT(d.List().GetItemCount(), 0);
    UiTestToggleCheck(&d.List(), 0);
    d.m_nTrackMapState = kTrackMapsDone;
    UiTestPoll([&d]() {
      HWND box = UiTestInnermostModal();
      if (!UiTestIsMessageBox(box)) return false;
      d.Tick(CtessilarDlg::kTimerTrackMaps);
      return AnswerMessageBox(box, IDOK);
    });
    UiTestClick(d.GetDlgItem(kIdUpload));
    offeredDuringUpload =
        d.m_nUploadState.load() == kUploadTransferring && (d.Enabled(kIdUpload) || d.Enabled(kIdSetting));
    d.StopWorkers();
    d.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_FALSE(offeredDuringUpload);
}

// The upload thread's fields drive timer 3; the ticks are sent.
TEST_F(MainWindowTimersTest, TheUploadProgressStaysWithinTheBarAndTheResultShowsTheCounts) {
  REQUIRE_UI();
  const struct {
    int32_t state, total, done;
    double fraction;
    int progress;
    const char16_t* status;
  } ticks[] = {
      {kUploadTransferring, 2, 6, 0.0, 100, u"Transferring\u2026\n6/2"},  // the count of a larger earlier upload
      {kUploadTransferring, 4, 1, 0.5, 37, u"Transferring\u2026\n1/4"},
      {kUploadTransferring, 0, 0, 0.5, 0, u"Transferring\u2026\n0/0"},
      {kUploadUploading, 4, 3, 0.9, 75, u"Uploading\u2026\n3/4"},
      {kUploadUploading, 4, 4, 0.0, 100, u"Uploading\u2026\n4/4"},  // all counted: the upload ends
  };
  CString counts[3];
  ScriptedMainDlg dlg(m_app.Context(), [&](ScriptedMainDlg& d) {
    // An upload starts only from a ready list.
    ASSERT_TRUE(UiTestPumpUntil([&]() { return d.m_nDbState.load() == kDbListReady; }, 30000));
    d.GetDlgItem(kIdUpload)->EnableWindow(FALSE);
    for (const auto& t : ticks) {
      d.m_nItemTotal = t.total;
      d.m_nItemDone = t.done;
      d.m_dItemFraction = t.fraction;
      d.m_nUploadState = t.state;
      d.Tick(CtessilarDlg::kTimerUpload);
      EXPECT_EQ(d.Progress(), t.progress) << t.state << " " << t.done << "/" << t.total;
      EXPECT_EQ(d.Text(kIdStatus).Str(), t.status);
      EXPECT_TRUE(UiTestWaitCursorShown());
    }
    EXPECT_EQ(d.m_nUploadState.load(), kUploadDone);
    EXPECT_EQ(d.m_dItemFraction.load(), 0.0);

    d.m_nUploadOk = 2;  // one of them a duplicate
    d.m_nUploadDuplicate = 1;
    d.m_nUploadFail = 1;
    d.m_nCannotAnalyze = 3;
    ReadResultCountsOnceShown(counts);
    d.Tick(CtessilarDlg::kTimerUpload);
    EXPECT_EQ(d.Text(kIdStatus).Str(), u"Upload to Pelmora Web completed");
    EXPECT_TRUE(d.GetDlgItem(kIdUpload)->IsWindowEnabled());
    EXPECT_FALSE(UiTestWaitCursorShown());
    ASSERT_TRUE(UiTestPumpUntil([&]() { return !counts[0].IsEmpty(); }));
    d.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(counts[0].Str(), u"2");
  EXPECT_EQ(counts[1].Str(), u"1");
  EXPECT_EQ(counts[2].Str(), u"3");
}

// The update store offers a newer version; the update check fetches it and
// timer 4 opens the software update over the main window.
TEST_F(MainWindowTimersTest, AnOfferedUpdateIsShownAndStartedOrTheProgramGoesOn) {
  REQUIRE_UI();
  const std::string marker = m_dir.File("installer-ran");
  const std::string script = "#!/bin/sh\necho run >> '" + marker + "'\n";
  const std::string windowsProgram("MZ\x90\x00\x03\x00 a Windows program", 24);
  const std::string notes = "EN\nFaster uploads.\nINFOEND\nJA\n\xE9\xAB\x98\xE9\x80\x9F\xE5\x8C\x96\nINFOEND\n";
  const struct {
    const char* what;
    LANGID language;
    const std::string& installer;
    bool overLogin;  // the update comes while the first tick's login is open
    bool countdown;  // else Execute
    const char16_t* notes;
    INT_PTR mainResult;
  } cases[] = {
      {"Execute over the login", 1033, script, true, false, u"Faster uploads.\n", -1},
      {"countdown", 1041, script, false, true, u"\u9AD8\u901F\u5316\n", -1},
      {"an installer that cannot start", 1033, windowsProgram, false, false, u"Faster uploads.\n", IDCANCEL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UiTestResetQuit();
    fs::remove(marker);
    SetDisplayLanguage(c.language);
    const std::string md5 = Md5Hex(c.installer.data(), c.installer.size());
    ASSERT_TRUE(m_service->PublishUpdate("version\n101\nchksum\n" + md5 + "\n" + notes, c.installer));
    if (c.overLogin) {
      StandinFaultSpec late = OneFault(StandinFault::Delay, "/public/PelmoraUploader/auto_update.txt");
      late.delayMs = 800;  // the login opens first
      m_service->AddFault(late);
    }
    CString shownNotes;
    bool opened = false, overLogin = false, goesOn = false;
    HWND loginWindow = nullptr;
    auto over = std::make_shared<bool>(false);  // ends the watchers with the case
    const unsigned flags = c.overLogin ? ScriptedMainDlg::kStartupLogin : ScriptedMainDlg::kWindowOnly;
    ScriptedMainDlg dlg(m_app.Context(), flags, [&, over](ScriptedMainDlg& d) {
      UiTestPoll([&, over]() {
        if (*over) return true;
        CDlgSelfUpgrade* upgrade = Innermost<CDlgSelfUpgrade>();
        if (upgrade == nullptr) return false;
        opened = true;
        overLogin = loginWindow != nullptr && CWnd::FromHandlePermanent(loginWindow) != nullptr;
        upgrade->GetDlgItemText(SelfUpgradeDlgIds::kIdNotes, shownNotes);
        if (c.language == 1041) {
          UiTestSaveScreenshot(upgrade, ScreenshotPath("main_window_upgrade_ja"));
          // The whole screen: the dialog over the main window, as a capture program sees it.
          EXPECT_TRUE(UiTestSaveWholeScreen(ScreenshotPath("screen_upgrade_ja"), upgrade));
        }
        if (!c.countdown) {
          UiTestClick(upgrade->GetDlgItem(IDOK));
          return true;
        }
        RunCountdownOut(*upgrade);
        return true;
      });
      UiTestPoll([&, over]() {
        if (CDlgLogin* login = Innermost<CDlgLogin>()) loginWindow = login->GetSafeHwnd();
        return *over || loginWindow != nullptr;
      });
      // A failed start closes the dialog and leaves the window running.
      UiTestPoll([&, over]() {
        if (*over) return true;
        if (!opened || UiTestInnermostModal() != d.GetSafeHwnd() || AfxIsQuitPending()) return false;
        goesOn = true;
        d.EndDialog(IDCANCEL);
        return true;
      });
    });
    // A quit from the nested dialog ends every open loop.
    EXPECT_EQ(dlg.DoModal(), c.mainResult);
    *over = true;
    EXPECT_EQ(overLogin, c.overLogin);
    EXPECT_EQ(shownNotes.Str(), std::u16string(c.notes));
    EXPECT_EQ(goesOn, c.mainResult == IDCANCEL);
    if (c.mainResult == -1) {
      // The shell makes the file before it writes the line into it.
      ASSERT_TRUE(UiTestPumpUntil([&]() { return ReadBytes(marker).find('\n') != std::string::npos; }));
      EXPECT_EQ(ReadBytes(marker), "run\n");
    } else {
      EXPECT_FALSE(fs::exists(marker));
    }
  }
  SetDisplayLanguage(1033);
  UiTestResetQuit();
}

}  // namespace
