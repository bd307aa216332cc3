// The program's start and its main window in a real window: the workspace
// settled on a first run, the controls and texts of dialog 102 in the stored
// UI language, the key filter, the about box, and the layout through resizing.
#include <filesystem>
#include <map>
#include <vector>

#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "appcore/WorkspaceLocation.h"
#include "tests/app/scripted_main_dlg.h"
#include "tests/common/env.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tests/common/temp_dir.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

namespace {

using namespace MainDlgIds;

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";
const int kStacked[] = {kIdUpload, kIdSetting, kIdGoWeb, kIdTerms};  // Upload, Setting, web, terms

// A user's folders in a temporary home: settings, documents, workspace.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { std::filesystem::create_directories(m_dir.File("Documents/Pelmora_Workspace")); }

  static void StoreLanguage(DWORD lang) {
    CRegistry reg(kRegCreateKey);
    ASSERT_TRUE(reg.Open(kSettingsKey));
    reg[u"DisplayLanguage"].SetDword(lang);
  }
  static CRect Place(CWnd& dlg, int id) {
    CRect r;
    dlg.GetDlgItem(id)->GetWindowRect(&r);
    dlg.ScreenToClient(&r);
    return r;
  }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
};

TEST_F(MainWindowTest, AFirstRunSettlesTheWorkspaceBeforeTheSessionListIsMade) {
  REQUIRE_UI();
  const std::string workspace = m_dir.File("Documents/Pelmora_Workspace");
  ASSERT_TRUE(GetWorkspaceLocation().IsEmpty());
  CtessilarApp app;
  app.Context();
  EXPECT_EQ(GetWorkspaceLocation().ToUtf8(), workspace);  // the default, written back
  // A workspace stored since (a restart onto it that did not start) is the
  // next run's; the window shows the one it works on.
  SetWorkspaceLocation(CString(u"/nowhere/Next"));
  CString shown;
  UiTestPoll([&]() {
    CWnd* main = app.m_pMainWnd;
    if (main == nullptr || main->GetSafeHwnd() == nullptr) return false;
    shown = ItemText(*main, kIdWorkspace);
    main->SendMessage(WM_CLOSE);  // the close box
    return true;
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(shown.ToUtf8(), workspace);
  EXPECT_TRUE(std::filesystem::is_regular_file(workspace + "/TransferDb/SessionList.db"));
  EXPECT_FALSE(std::filesystem::exists("/TransferDb/SessionList.db"));
  EXPECT_TRUE(std::filesystem::is_regular_file(m_dir.File("Documents/Pelmora/TransferDb/transferDbTool.db")));

  // A stored location is used as it is, also when the folder does not exist.
  SetWorkspaceLocation(CString(u"/nowhere/Workspace"));
  EXPECT_EQ(LocateWorkspace(), CString(u"/nowhere/Workspace"));
}

TEST_F(MainWindowTest, TheWindowShowsDialog102AndOnlyItsCloseBoxEndsIt) {
  REQUIRE_UI();
  bool saved = false, aboutSeen = false;
  CtessilarApp app;
  ScriptedMainDlg dlg(app.Context(), [&](ScriptedMainDlg& d) {
    CString title;
    d.GetWindowText(title);
    EXPECT_EQ(title, CString(u"Morvek Pelmora Uploader"));
    const std::map<int, const char16_t*> texts = {
        {kIdUpload, u"Upload"},
        {kIdSetting, u"Setting"},
        {kIdGoWeb, u"Go Pelmora Web"},
        {kIdTerms, u"Terms of Use"},
        {kIdLogin, u"Login"},
        {kIdCircuit, u"    Circuit Racing (0/0)"},
        {kIdQualify, u"        Qualify (0/0)"},
        {kIdDrag, u"    Drag Racing (0/0)"},
        {kIdRally, u"    Rally Racing (0/0)"},
        {kIdStatus, u"Open database\nPlease wait\u2026"},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(ItemText(d, id), CString(text)) << id;
    EXPECT_FALSE(d.GetDlgItem(kIdProgress)->IsWindowVisible());  // progress
    EXPECT_EQ(static_cast<CListCtrl*>(d.GetDlgItem(kIdList))->GetHeaderCtrl()->GetItemCount(), 8);
    COLORREF text = 0, bk = 0;
    ASSERT_TRUE(UiTestCtlColors(d.GetDlgItem(kIdTerms), &text, &bk));
    EXPECT_EQ(text, 0xFFFFFFu);
    EXPECT_EQ(bk, 0x000000u);

    UiTestKey(&d, VK_ESCAPE);
    UiTestKey(&d, VK_RETURN);
    UiTestPoll([&]() {
      HWND top = UiTestInnermostModal();
      if (top == nullptr || top == d.GetSafeHwnd()) return false;
      CString version;
      CWnd::FromHandle(top)->GetDlgItemText(AboutDlgIds::kIdVersion, version);
      aboutSeen = version == CString(u"V1.0");
      UiTestEndModal(top, IDOK);
      return true;
    });
    d.SendMessage(WM_SYSCOMMAND, CtessilarDlg::kIdmAboutBox);
    ShootThenEnd(d, "main_window", IDCANCEL, &saved);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(aboutSeen);
  EXPECT_TRUE(saved);
}

TEST_F(MainWindowTest, TheStoredUiLanguageGivesJapaneseTextsAndAnUnknownOneEnglish) {
  REQUIRE_UI();
  const struct {
    DWORD stored;
    LANGID expected;
    const char16_t* upload;
    const char16_t* circuit;
    const char16_t* terms;
    const char* picture;
  } cases[] = {
      {1041, 1041, u"アップロード", u"    サーキット走行 (0/0)", u"利用規約", "main_window_ja"},
      {2052, 1033, u"Upload", u"    Circuit Racing (0/0)", u"Terms of Use", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    SetThreadUILanguage(1033);
    StoreLanguage(c.stored);
    CtessilarApp app;
    ScriptedMainDlg dlg(app.Context(), [&](ScriptedMainDlg& d) {
      EXPECT_EQ(d.GetLanguage(), c.expected);
      EXPECT_EQ(ItemText(d, kIdUpload), CString(c.upload));
      EXPECT_EQ(ItemText(d, kIdCircuit), CString(c.circuit));
      EXPECT_EQ(ItemText(d, kIdTerms), CString(c.terms));
      if (c.picture)
        ShootThenEnd(d, c.picture, IDCANCEL);
      else
        d.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  }
}

// Resizing back and forth, as a maximise and a restore do, puts every control
// back where the same size put it before, inside the window; a window too
// short for the buttons hides them until it grows again.
TEST_F(MainWindowTest, TheLayoutStaysInsideTheWindowAndNeverDrifts) {
  REQUIRE_UI();
  CtessilarApp app;
  ScriptedMainDlg dlg(app.Context(), [&](ScriptedMainDlg& d) {
    CRect start;
    d.GetWindowRect(&start);
    auto resize = [&d](int width, int height) {
      d.MoveWindow(0, 0, width, height);
      CRect client;
      ASSERT_TRUE(UiTestPumpUntil([&]() {
        d.GetClientRect(&client);
        return client.Width() > 0 && Place(d, kIdList).right == client.right &&
               Place(d, kIdList).bottom == client.bottom;
      })) << width
          << "x" << height;
    };
    auto places = [&d]() {
      std::map<int, CRect> out;
      for (CWnd* c = d.GetWindow(GW_CHILD); c != nullptr; c = c->GetNextWindow())
        out[c->GetDlgCtrlID()] = Place(d, c->GetDlgCtrlID());
      return out;
    };
    auto expectInside = [&d]() {
      CRect client;
      d.GetClientRect(&client);
      for (CWnd* c = d.GetWindow(GW_CHILD); c != nullptr; c = c->GetNextWindow()) {
        if (!c->IsWindowVisible()) continue;
        const CRect r = Place(d, c->GetDlgCtrlID());
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << "control " << c->GetDlgCtrlID() << " at " << r.left << "," << r.top << "-" << r.right << "," << r.bottom
            << " in " << client.right << "x" << client.bottom;
      }
    };
    const int w = start.Width() + 40, h = start.Height() + 30;
    resize(w, h);
    const std::map<int, CRect> reference = places();
    expectInside();
    for (int id : kStacked) EXPECT_TRUE(d.GetDlgItem(id)->IsWindowVisible()) << id;

    const struct {
      int width, height;
      bool buttonsShown;
    } steps[] = {{1260, 980, true}, {w, h, true}, {w + 300, h, true}, {w, h / 2, false}, {w, h, true}};
    for (const auto& s : steps) {
      resize(s.width, s.height);
      if (s.buttonsShown) expectInside();  // a window this short cuts the selectors off
      for (int id : kStacked) EXPECT_EQ(d.GetDlgItem(id)->IsWindowVisible() != FALSE, s.buttonsShown) << id;
    }
    const std::map<int, CRect> after = places();
    for (const auto& [id, r] : reference) {
      const CRect& a = after.at(id);
      EXPECT_TRUE(a.left == r.left && a.top == r.top && a.right == r.right && a.bottom == r.bottom) << "control " << id;
    }
    ShootThenEnd(d, "main_window_resized", IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

// The program against the stand-in service, with a user who logged in on an
// earlier run (a token is stored).
class MainWindowServiceTest : public StandinProgramTest {
 protected:
  void SetUp() override {
    StandinProgramTest::SetUp();
    if (HasFatalFailure()) return;
    StandinAccount rider;
    rider.email = "rider@example.com";
    rider.password = "secret";
    m_uid = m_service->AddAccount(rider);
    {
      CtessilarApp earlierRun;
      earlierRun.Context();
      ASSERT_TRUE(ApiLogin(GetLoginState(), CString(rider.email.c_str()), CString(rider.password.c_str())));
    }
    GetLoginState() = kLoginNone;  // a new run starts logged out
  }
  bool LogoutSent() const {
    for (const StandinRequest& r : m_service->Requests())
      if (r.path == "/API/logout.php") return true;
    return false;
  }

  int64_t m_uid = 0;
};

TEST_F(MainWindowServiceTest, ClosingTheWindowLogsOutAndAQuitDoesNot) {
  REQUIRE_UI();
  const struct {
    const char* how;
    bool quit;
    bool logout;
  } cases[] = {{"quit", true, false}, {"close box", false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    UiTestResetQuit();
    m_service->ClearRequests();
    CtessilarApp app;
    UiTestPoll([&]() {
      CWnd* main = app.m_pMainWnd;
      if (main == nullptr || main->GetSafeHwnd() == nullptr) return false;
      if (c.quit)
        PostQuitMessage(0);
      else
        main->SendMessage(WM_CLOSE);
      return true;
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(LogoutSent(), c.logout);
    EXPECT_EQ(m_service->TokenOf(m_uid).empty(), c.logout);
  }
  UiTestResetQuit();
}

}  // namespace
