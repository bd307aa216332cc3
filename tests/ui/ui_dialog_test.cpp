// Dialogs in real windows: templates, clicks, keys, timers, quit requests,
// message boxes from workers, the string table, colours.
#include <atomic>
#include <iterator>
#include <memory>
#include <thread>

#include "tests/ui/ui_test_env.h"

namespace {

// The tables of these tests: a login form (129), a choice with OK and Cancel
// (133), a small result box (140) and two strings.
const ResControl kLoginControls[] = {
    {1000, ResControlKind::Static, u"Email :", 10, 24, 70, 10, kResRight | kResNoWrap},
    {1001, ResControlKind::Edit, u"", 84, 22, 200, 14, 0},
    {1002, ResControlKind::Static, u"Password :", 10, 46, 70, 10, kResRight | kResNoWrap},
    {1003, ResControlKind::Edit, u"", 84, 44, 200, 14, kResPassword},
    {1005, ResControlKind::Static, u"Create account", 84, 66, 80, 10, kResNotify | kResNoWrap},
    {1008, ResControlKind::Button, u"Login", 84, 100, 90, 16, kResDefault},
    {IDCANCEL, ResControlKind::Button, u"Cancel", 194, 100, 90, 16, 0},
};
const ResControl kChoiceControls[] = {
    {1023, ResControlKind::Static, u"Language :", 6, 14, 66, 10, kResRight | kResNoWrap},
    {1025, ResControlKind::ComboBox, u"", 76, 11, 130, 60, 0},
    {IDOK, ResControlKind::Button, u"OK", 150, 62, 64, 16, kResDefault},
    {IDCANCEL, ResControlKind::Button, u"Cancel", 218, 62, 64, 16, 0},
};
const ResControl kResultControls[] = {
    {1035, ResControlKind::Static, u"Done :", 6, 5, 100, 10, kResRight | kResNoWrap},
    {1039, ResControlKind::Static, u"0", 110, 5, 30, 10, kResNoWrap},
    {IDOK, ResControlKind::Button, u"OK", 150, 16, 54, 16, kResDefault},
};
const ResDialog kDialogs[] = {
    {129, u"Login", 302, 133, 9, u"Sans", 0, kLoginControls, std::size(kLoginControls)},
    {133, u"Setting", 289, 85, 9, u"Sans", 0, kChoiceControls, std::size(kChoiceControls)},
    {140, u"Result", 211, 48, 9, u"Sans", 0, kResultControls, std::size(kResultControls)},
};
const ResString kStrings[] = {
    {102, u"Email", u"メールアドレス", u"E-Mail", u"電子郵件"},
    {106, u"Login", u"ログイン", u"Anmelden", u"登入"},
};
const AfxResourceTables kTables = {kStrings, std::size(kStrings), kDialogs, std::size(kDialogs), nullptr, 0};

class TablesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { AfxSetResources(&kTables); }
};

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new UiEnvironment);
[[maybe_unused]] auto* const g_tables = ::testing::AddGlobalTestEnvironment(new TablesEnvironment);

// The login template with handlers for its button, a link, Enter and Escape.
class LoginLikeDialog : public CDialog {
 public:
  LoginLikeDialog() : CDialog(129) {}
  std::function<void(LoginLikeDialog&)> script;
  int loginClicks = 0, linkClicks = 0, okCalls = 0, cancelClicks = 0;
  bool swallowEscape = false;
  CEdit m_email;
  CStatic m_link;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_email.SetWindowText(u"driver@example.com");
    AfxPostToUiThread([this]() { script(*this); });
    return FALSE;
  }
  void DoDataExchange(CDataExchange* dx) override {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, 1001, m_email);
    DDX_Control(dx, 1005, m_link);
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (swallowEscape && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return TRUE;
    return CDialog::PreTranslateMessage(msg);
  }
  void OnOK() override { ++okCalls; }
  void OnLogin() { ++loginClicks; }
  void OnLink() { ++linkClicks; }
  void OnCancelClicked() { ++cancelClicks; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LoginLikeDialog, CDialog)
ON_BN_CLICKED(1008, &LoginLikeDialog::OnLogin)
ON_BN_CLICKED(1005, &LoginLikeDialog::OnLink)
ON_BN_CLICKED(IDCANCEL, &LoginLikeDialog::OnCancelClicked)
END_MESSAGE_MAP()

TEST(UiDialog, TemplateControlsSitAtTheirPlacesAndAPictureIsSaved) {
  REQUIRE_UI();
  LoginLikeDialog dlg;
  bool saved = false;
  dlg.script = [&saved](LoginLikeDialog& d) {
    const ResDialog* t = AfxFindDialog(129);
    ASSERT_NE(t, nullptr);
    CRect client;
    d.GetClientRect(&client);
    CRect expectSize(0, 0, t->cx, t->cy);
    d.MapDialogRect(&expectSize);
    EXPECT_EQ(client.Width(), expectSize.Width());
    EXPECT_EQ(client.Height(), expectSize.Height());
    for (size_t i = 0; i < t->controlCount; ++i) {
      const ResControl& c = t->controls[i];
      CWnd* item = d.GetDlgItem(c.id);
      ASSERT_NE(item, nullptr) << "control " << c.id;
      CRect r;
      item->GetWindowRect(&r);
      d.ScreenToClient(&r);
      CRect origin(c.x, c.y, c.x, c.y), size(0, 0, c.cx, c.cy);
      d.MapDialogRect(&origin);
      d.MapDialogRect(&size);
      EXPECT_EQ(r.left, origin.left) << "control " << c.id;
      EXPECT_EQ(r.top, origin.top) << "control " << c.id;
      EXPECT_EQ(r.Width(), size.Width()) << "control " << c.id;
    }
    // Children in template order.
    CWnd* first = d.GetWindow(GW_CHILD);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetDlgCtrlID(), 1000);
    EXPECT_EQ(first->GetNextWindow()->GetDlgCtrlID(), 1001);
    // Text set in OnInitDialog and read back through a bound member.
    CString email;
    d.m_email.GetWindowText(email);
    EXPECT_EQ(email, CString(u"driver@example.com"));
    ShootThenEnd(d, "login_dialog", IDOK, &saved);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(saved);
  EXPECT_EQ(dlg.m_email.GetSafeHwnd(), nullptr);  // unbound once the window went
}

TEST(UiDialog, ButtonsLinksAndKeysReachTheirHandlers) {
  REQUIRE_UI();
  LoginLikeDialog dlg;
  dlg.script = [](LoginLikeDialog& d) {
    UiTestClick(d.GetDlgItem(1008));
    UiTestClick(d.GetDlgItem(1008));
    UiTestClick(&d.m_link);
    UiTestKey(&d, VK_RETURN);  // Enter asks OnOK
    d.swallowEscape = true;
    UiTestKey(&d, VK_ESCAPE);  // swallowed by PreTranslateMessage
    d.swallowEscape = false;
    UiTestKey(&d, VK_ESCAPE);  // the IDCANCEL handler of the map
    d.EndDialog(IDCANCEL);
  };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.loginClicks, 2);
  EXPECT_EQ(dlg.linkClicks, 1);
  EXPECT_EQ(dlg.okCalls, 1);
  EXPECT_EQ(dlg.cancelClicks, 1);
}

TEST(UiDialog, EscapeWithoutHandlerCancelsAndCloseBoxToo) {
  REQUIRE_UI();
  ScriptedDialog a(140, [](ScriptedDialog& d) { UiTestKey(&d, VK_ESCAPE); });
  EXPECT_EQ(a.DoModal(), IDCANCEL);
  ScriptedDialog b(140, [](ScriptedDialog& d) { d.SendMessage(WM_CLOSE); });
  EXPECT_EQ(b.DoModal(), IDCANCEL);
  ScriptedDialog c(140, [](ScriptedDialog& d) { UiTestClick(d.GetDlgItem(IDOK)); });
  EXPECT_EQ(c.DoModal(), IDOK);
}

// Counts its own timer; at the first tick of timer 1 it runs a nested dialog
// from inside the handler, which stays open until timer 1 ticked 5 more times.
class TickingDialog : public CDialog {
 public:
  TickingDialog() : CDialog(140) {}
  int ticks = 0;
  int ticksWhenNestedOpened = -1;
  int ticksWhenNestedClosed = -1;
  INT_PTR nestedResult = 0;
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    SetTimer(1, 10);
    return TRUE;
  }
  void OnTimer(UINT_PTR id) {
    if (id != 1) return;
    ++ticks;
    if (ticks == 1) {
      ticksWhenNestedOpened = ticks;
      ScriptedDialog nested(
          140,
          [this](ScriptedDialog& n) {
            UiTestPumpUntil([this]() { return ticks >= 6; });
            ticksWhenNestedClosed = ticks;
            n.EndDialog(IDOK);
          },
          this);
      nestedResult = nested.DoModal();
      KillTimer(1);
      EndDialog(IDOK);
    }
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TickingDialog, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(UiDialog, TimersKeepTickingUnderAModalDialogOpenedFromATimer) {
  REQUIRE_UI();
  TickingDialog dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.nestedResult, IDOK);
  EXPECT_EQ(dlg.ticksWhenNestedOpened, 1);
  EXPECT_GE(dlg.ticksWhenNestedClosed, 6);
}

TEST(UiDialog, QuitFromANestedDialogEndsBothLoopsWithMinusOne) {
  REQUIRE_UI();
  INT_PTR inner = 0;
  bool afterInnerRan = false;
  ScriptedDialog outer(140, [&](ScriptedDialog& o) {
    ScriptedDialog nested(
        129, [](ScriptedDialog&) { PostQuitMessage(0); }, &o);
    inner = nested.DoModal();
    afterInnerRan = true;
  });
  EXPECT_EQ(outer.DoModal(), -1);
  EXPECT_EQ(inner, -1);
  EXPECT_TRUE(afterInnerRan);
  EXPECT_TRUE(AfxIsQuitPending());
  // Until the process ends no dialog runs.
  ScriptedDialog later(140, [](ScriptedDialog& d) { d.EndDialog(IDOK); });
  EXPECT_EQ(later.DoModal(), -1);
}

TEST(UiDialog, AMessageBoxAskedByAWorkerAppearsAndAnswers) {
  REQUIRE_UI();
  std::atomic<int> answer{-5};
  std::thread worker;
  auto seen = std::make_shared<MessageBoxSeen>();
  ScriptedDialog dlg(140, [&](ScriptedDialog& d) {
    worker = std::thread([&]() {
      answer = MessageBoxW(nullptr, u"Upload to Pelmora Web completed", u"Morvek Pelmora Uploader",
                           MB_OKCANCEL | MB_ICONEXCLAMATION);
    });
    // The box runs a modal loop of its own; these steps run inside it.
    seen = AnswerNextMessageBox(IDCANCEL);
    UiTestPoll([&]() {
      if (answer.load() == -5) return false;
      d.EndDialog(IDOK);
      return true;
    });
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  worker.join();
  EXPECT_EQ(answer.load(), IDCANCEL);
  EXPECT_EQ(seen->text, CString(u"Upload to Pelmora Web completed"));
  EXPECT_EQ(seen->caption, CString(u"Morvek Pelmora Uploader"));
}

class WorkerTimerDialog : public CDialog {
 public:
  WorkerTimerDialog() : CDialog(140) {}
  std::thread::id tickThread;
  std::thread worker;
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    worker = std::thread([this]() { SetTimer(4, 10); });
    return TRUE;
  }
  void OnTimer(UINT_PTR id) {
    if (id != 4) return;
    tickThread = std::this_thread::get_id();
    KillTimer(4);
    EndDialog(IDOK);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WorkerTimerDialog, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(UiDialog, ATimerArmedFromAWorkerTicksOnTheUiThread) {
  REQUIRE_UI();
  WorkerTimerDialog dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  dlg.worker.join();
  EXPECT_EQ(dlg.tickThread, std::this_thread::get_id());
}

TEST(UiDialog, TextsFollowTheUiLanguageAndJapaneseIsDrawn) {
  REQUIRE_UI();
  SetThreadUILanguage(1041);
  ScriptedDialog dlg(129, [](ScriptedDialog& d) {
    CString login, email;
    ASSERT_TRUE(login.LoadString(106));
    ASSERT_TRUE(email.LoadString(102));
    d.SetDlgItemText(1008, login);
    d.SetDlgItemText(1000, email + u" :");
    CString shown;
    d.GetDlgItemText(1008, shown);
    EXPECT_EQ(shown, CString(u"ログイン"));
    ShootThenEnd(d, "login_dialog_ja", IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  SetThreadUILanguage(1033);
}

// Colours from OnCtlColor: a dark grey dialog with white labels.
class ColourDialog : public CDialog {
 public:
  ColourDialog() : CDialog(129) {}
  std::function<void(ColourDialog&)> script;
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    AfxPostToUiThread([this]() { script(*this); });
    return TRUE;
  }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
    int id = wnd->GetDlgCtrlID();
    dc->SetBkMode(TRANSPARENT);
    if (id == 1000 || id == 1002) dc->SetTextColor(0xFFFFFF);
    if (id == 1005) dc->SetTextColor(0x00FFFF);
    if (id == 1001 || id == 1003) return CDialog::OnCtlColor(dc, wnd, type);
    return static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ColourDialog, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(UiDialog, ColoursComeFromTheParentsCtlColorHandler) {
  REQUIRE_UI();
  ColourDialog dlg;
  dlg.script = [](ColourDialog& d) {
    COLORREF text = 1, bk = 1;
    ASSERT_TRUE(UiTestCtlColors(d.GetDlgItem(1000), &text, &bk));
    EXPECT_EQ(text, 0xFFFFFFu);
    EXPECT_EQ(bk, 0x404040u);
    ASSERT_TRUE(UiTestCtlColors(d.GetDlgItem(1005), &text, &bk));
    EXPECT_EQ(text, 0x00FFFFu);                                     // yellow in 0x00BBGGRR
    EXPECT_FALSE(UiTestCtlColors(d.GetDlgItem(1001), &text, &bk));  // the edit keeps its look
    ShootThenEnd(d, "login_dialog_colours", IDOK);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

class SettingsLike : public CDialog {
 public:
  SettingsLike() : CDialog(133) {}
  CComboBox m_combo;
  int changes = 0;
  LANGID chosen = 0;
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1025, m_combo); }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    const char16_t* names[] = {u"English", u"日本語", u"Deutsch", u"繁體中文"};
    const LANGID ids[] = {1033, 1041, 1031, 1028};
    for (int i = 0; i < 4; ++i) m_combo.SetItemData(m_combo.AddString(names[i]), ids[i]);
    m_combo.SetCurSel(0);
    AfxPostToUiThread([this]() {
      EXPECT_EQ(m_combo.GetCount(), 4);
      EXPECT_EQ(m_combo.GetItemData(2), 1031u);
      CString text;
      m_combo.GetLBText(1, text);
      EXPECT_EQ(text, CString(u"日本語"));
      m_combo.SetCurSel(2);
      SendMessage(WM_COMMAND, MAKEWPARAM(1025, CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_combo.m_hWnd));
      ShootThenEnd(*this, "settings_dialog", IDOK);
    });
    return TRUE;
  }
  void OnSelChange() {
    ++changes;
    chosen = static_cast<LANGID>(m_combo.GetItemData(m_combo.GetCurSel()));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SettingsLike, CDialog)
ON_CBN_SELCHANGE(1025, &SettingsLike::OnSelChange)
END_MESSAGE_MAP()

TEST(UiDialog, ComboItemsCarryDataAndReportSelectionChanges) {
  REQUIRE_UI();
  SettingsLike dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.changes, 1);
  EXPECT_EQ(dlg.chosen, 1031);
}

}  // namespace
