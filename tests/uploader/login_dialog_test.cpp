// The login dialog in a real window against the stand-in service.
#include <filesystem>
#include <string>

#include "appcore/UserInfoDb.h"
#include "appcore/WorkerThreads.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin_user.h"
#include "uploader/DlgLogin.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

namespace {

using namespace LoginDlgIds;

const StandinAccount kRider{"rider@example.org", "s3cret pass", "Rin Rider", 1, "JP", "ja", true};

StandinFaultSpec Fault(const char* path, StandinFault kind, int delayMs = 0) {
  StandinFaultSpec f;
  f.path = path;
  f.kind = kind;
  f.delayMs = delayMs;
  return f;
}

class LoginDialogTest : public StandinUserTest {
 protected:
  void SetUp() override {
    StandinUserTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_GT(m_service->AddAccount(kRider), 0);
  }
  // The login jobs end before the service does.
  void TearDown() override {
    m_workers.StopAndJoin();
    StandinUserTest::TearDown();
  }

  // Runs `script` inside the login dialog's modal loop.
  INT_PTR Run(std::function<void(CDlgLogin&)> script) {
    CDlgLogin dlg(&m_users, m_workers);
    AfxPostToUiThread([&dlg, script]() { script(dlg); });
    return dlg.DoModal();
  }

  WorkerThreads m_workers;
};

void Type(CDlgLogin& dlg, const char* email, const char* password) {
  dlg.SetDlgItemText(kIdEmail, CString(email));
  dlg.SetDlgItemText(kIdPassword, CString(password));
}

TEST_F(LoginDialogTest, ARefusedLoginShowsItsMessageAndKeepsTheDialogOpen) {
  REQUIRE_UI();
  struct Case {
    const char* what;
    const char* email;
    const char* password;
    bool infoFails;
    UINT message;
    size_t requests;
  } cases[] = {
      {"wrong password", kRider.email.c_str(), "wrong", false, 121, 1},
      {"no password", kRider.email.c_str(), "", false, 121, 0},
      {"no e-mail", "", "s3cret pass", false, 121, 0},
      {"account information unavailable", kRider.email.c_str(), kRider.password.c_str(), true, 122, 2},
  };
  for (const Case& c : cases) {
    m_service->ClearRequests();
    m_service->ClearFaults();
    if (c.infoFails) m_service->AddFault(Fault("/API/Info.php", StandinFault::Html));
    INT_PTR result = Run([&](CDlgLogin& dlg) {
      Type(dlg, c.email, c.password);
      const auto seen = AnswerNextMessageBox(IDOK);
      UiTestClick(dlg.GetDlgItem(kIdLogin));
      ASSERT_TRUE(UiTestPumpUntil([&]() { return !seen->text.IsEmpty(); })) << c.what;
      EXPECT_EQ(seen->text, ResourceText(c.message)) << c.what;
      EXPECT_EQ(seen->caption.Str(), u"Morvek Pelmora Uploader") << c.what;
      // The texts stay for another try, and the dialog takes it.
      CString email;
      dlg.GetDlgItemText(kIdEmail, email);
      EXPECT_EQ(email, CString(c.email)) << c.what;
      EXPECT_TRUE(dlg.GetDlgItem(kIdLogin)->IsWindowEnabled()) << c.what;
      dlg.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL) << c.what;
    EXPECT_EQ(m_service->Requests().size(), c.requests) << c.what;
    // The service accepted the login itself only when the account information failed.
    EXPECT_EQ(GetLoginState().load() == kLoginVerified, c.infoFails) << c.what;
    GetLoginState() = kLoginNone;
  }
}

TEST_F(LoginDialogTest, EnterInThePasswordLogsInWhileTheWindowKeepsRunningAndTheUserIsStored) {
  REQUIRE_UI();
  // A slow service, which answers the login once the window has handled
  // more than ten ticks of a timer while it waits.
  m_service->AddFault(Fault("/API/login.php", StandinFault::Hold, 60000));
  auto ticksWhileWaiting = std::make_shared<int>(0);
  auto waiting = std::make_shared<bool>(true);
  StandinService* service = m_service.get();
  INT_PTR result = Run([&](CDlgLogin& dlg) {
    Type(dlg, kRider.email.c_str(), kRider.password.c_str());
    dlg.GetDlgItem(kIdPassword)->SetFocus();
    UiTestKey(&dlg, VK_RETURN);
    EXPECT_FALSE(dlg.GetDlgItem(kIdLogin)->IsWindowEnabled());  // one login at a time
    UiTestPoll([ticksWhileWaiting, waiting, service]() {
      if (*waiting && ++*ticksWhileWaiting == 11) service->ReleaseHeld();
      return !*waiting;
    });
  });
  *waiting = false;
  EXPECT_EQ(result, IDOK);
  EXPECT_GT(*ticksWhileWaiting, 10);
  EXPECT_EQ(GetLoginState().load(), kLoginVerified);
  UserInfoRecord user;
  m_users.GetLastUser(user);
  EXPECT_GT(user.uid, 0);
  EXPECT_FALSE(user.token.IsEmpty());
  EXPECT_EQ(user.name.Str(), u"Rin Rider");
  EXPECT_EQ(user.email.Str(), u"rider@example.org");

  // The next opening offers the stored address and waits for the password.
  result = Run([&](CDlgLogin& dlg) {
    CString email;
    dlg.GetDlgItemText(kIdEmail, email);
    EXPECT_EQ(email.Str(), u"rider@example.org");
    CWnd* focus = CWnd::GetFocus();
    EXPECT_EQ(focus ? focus->m_hWnd : nullptr, dlg.GetDlgItem(kIdPassword)->m_hWnd);
    ShootThenEnd(dlg, "login_dialog", IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(LoginDialogTest, EscapeAndTheCloseBoxAskBeforeLeavingTheProgram) {
  REQUIRE_UI();
  INT_PTR result = Run([&](CDlgLogin& dlg) {
    COLORREF text = 0, background = 0;
    ASSERT_TRUE(UiTestCtlColors(dlg.GetDlgItem(kIdRegister), &text, &background));
    EXPECT_EQ(text, 0x00FFFFu);
    EXPECT_EQ(background, 0x404040u);
    ASSERT_TRUE(UiTestCtlColors(dlg.GetDlgItem(kIdEmailLabel), &text, &background));
    EXPECT_EQ(text, 0xFFFFFFu);
    // Each link is as wide as its text: the first keeps its left edge, the
    // second its right edge.
    for (int id : {kIdRegister, kIdForgotPassword}) {
      CWnd* link = dlg.GetDlgItem(id);
      CRect place, templ;
      link->GetWindowRect(&place);
      dlg.ScreenToClient(&place);
      ASSERT_TRUE(dlg.GetTemplateItemRect(id, &templ));
      CString caption;
      link->GetWindowText(caption);
      CClientDC dc(link);
      EXPECT_EQ(place.Width(), dc.GetTextExtent(caption).cx) << id;
      EXPECT_EQ(id == kIdRegister ? place.left : place.right, id == kIdRegister ? templ.left : templ.right) << id;
    }

    // Enter on the Cancel button does nothing.
    dlg.GetDlgItem(IDCANCEL)->SetFocus();
    UiTestKey(&dlg, VK_RETURN);
    EXPECT_EQ(UiTestInnermostModal(), dlg.m_hWnd);

    auto seen = AnswerNextMessageBox(IDCANCEL);
    UiTestKey(&dlg, VK_ESCAPE);
    EXPECT_EQ(seen->text, ResourceText(kStrLeaveProgram));
    EXPECT_FALSE(AfxIsQuitPending());  // Cancel: stay

    seen = AnswerNextMessageBox(IDOK);
    dlg.SendMessage(WM_CLOSE);
    EXPECT_EQ(seen->text, ResourceText(kStrLeaveProgram));
  });
  EXPECT_EQ(result, -1);  // OK: the quit ends the loop
  EXPECT_TRUE(AfxIsQuitPending());
  EXPECT_TRUE(m_service->Requests().empty());
}

}  // namespace
