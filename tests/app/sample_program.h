// The whole program as a user starts it (its application object and
// context, the login dialog of its first tick), and a generated workspace
// for it: the stand-in service with a rider's account and the sample map, a
// sample workspace stored as the program's, the drag type its drag sessions
// were timed with, and the rider's login through the dialog of the first tick.
#pragma once

#include <functional>

#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tools/projgen/SampleWorkspace.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "webclient/ApiClient.h"

// A poll step: once a login dialog is the innermost window, `account` logs
// in through it; true then.
inline bool LogInWhenAsked(const StandinAccount& account) {
  HWND top = UiTestInnermostModal();
  CWnd* login = top != nullptr ? CWnd::FromHandle(top) : nullptr;
  if (login == nullptr || login->GetDlgItem(LoginDlgIds::kIdPassword) == nullptr) return false;
  login->SetDlgItemText(LoginDlgIds::kIdEmail, CString::FromUtf8(account.email));
  login->SetDlgItemText(LoginDlgIds::kIdPassword, CString::FromUtf8(account.password));
  UiTestClick(login->GetDlgItem(LoginDlgIds::kIdLogin));
  return true;
}

// Runs the program as the user starts it, its application object and
// context: `login` is polled until it has answered the login dialog of the
// first tick; once the main window is the innermost and `ready` holds for
// it, `script` runs in it and the window closes.
inline void RunProgram(std::function<bool()> login, std::function<bool(CtessilarDlg&)> ready,
                       std::function<void(CtessilarDlg&)> script) {
  CtessilarApp app;
  UiTestPoll(std::move(login));
  bool ran = false;
  UiTestPoll([&]() {
    auto* main = static_cast<CtessilarDlg*>(app.m_pMainWnd);
    if (main == nullptr || main->GetSafeHwnd() == nullptr || UiTestInnermostModal() != main->m_hWnd || !ready(*main))
      return false;
    script(*main);
    ran = true;
    main->SendMessage(WM_CLOSE);
    return true;
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(ran);
}

class SampleProgramTest : public StandinProgramTest {
 protected:
  static inline const StandinAccount kRider{"rider@example.org", "s3cret pass", "Rin Rider", 1, "JP", "ja", true};

  void SetUp() override {
    StandinProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_GT(m_service->AddAccount(kRider), 0);
    ASSERT_TRUE(m_service->AddTrackMap({12, "O", "Fuji", 100}, MakeBeaconFile({StandinBeacon{}})));
    GetLoginState() = kLoginNone;
  }

  // dir/ws with `sessions` sessions of `seconds` each (cycling through the
  // race types, on the sample map whose track-map folder exists).
  void WriteSample(int sessions, double seconds) {
    projgen::SampleOptions options;
    options.sessions = sessions;
    options.seconds = seconds;
    options.documents = m_dir.WFile("Documents");
    ASSERT_TRUE(projgen::WriteSampleWorkspace(m_dir.WFile("ws"), options));
    SetWorkspaceLocation(CString::FromUtf8(m_dir.File("ws")));
    CRegistry reg(kRegCreateKey);
    ASSERT_TRUE(reg.Open(u"Software\\Morvek Applications\\Pelmora\\OptionsSetting"));
    reg[u"DragRacingTypeNum"].SetDword(1);
    reg[u"DragRacingType_1"].SetString(CString(u"0 0 100 0"));
  }

  // A poll step: once the login dialog is the innermost window, the rider
  // logs in through it; true then.
  static bool LogInWhenAsked() { return ::LogInWhenAsked(kRider); }

  // Runs the program: `login` is polled until it has logged the rider in
  // through the dialog of the first tick; once the rider is in and the main
  // window is the innermost, `script` runs in it and the window closes.
  static void RunLoggedIn(std::function<bool()> login, std::function<void(CtessilarDlg&)> script) {
    RunProgram(
        std::move(login), [](CtessilarDlg&) { return GetLoginState().load() == kLoginVerified; }, std::move(script));
  }
};
