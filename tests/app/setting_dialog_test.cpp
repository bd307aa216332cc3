// The settings dialog in a real window: a language chosen there shows at once
// and is stored, with the main window following, only by OK; a changed
// workspace is stored and starts the program again, once, under the restart
// lock.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "appcore/Restart.h"
#include "platform/win32/namedmutex.h"
#include "tests/common/env.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/temp_dir.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgSetting.h"

namespace {

const char16_t kSettingsKey[] = u"Software\\Morvek Applications\\Pelmora\\OptionsSetting";
using namespace SettingDlgIds;

template <class Base>
class Scripted : public Base {
 public:
  explicit Scripted(std::function<void(Scripted&)> script) : m_script(std::move(script)) {}
  // The main window on the program's context.
  Scripted(AppContext& context, std::function<void(Scripted&)> script) : Base(context), m_script(std::move(script)) {}
  BOOL OnInitDialog() override {
    BOOL r = Base::OnInitDialog();
    AfxPostToUiThread([this]() { m_script(*this); });
    return r;
  }

 private:
  std::function<void(Scripted&)> m_script;
};

// The stored "DisplayLanguage" as text; empty when absent.
CString StoredLanguageText() {
  CRegistry reg(0);
  if (!reg.Open(kSettingsKey)) return CString();
  return reg[u"DisplayLanguage"].GetString();
}

class SettingDialogTest : public ::testing::Test {
 protected:
  SettingDialogTest() { std::filesystem::create_directories(m_dir.File("Documents/Pelmora_Workspace")); }

  TempDir m_dir;
  ScopedUserFolders m_folders{m_dir.Path()};
};

TEST_F(SettingDialogTest, AChosenLanguageShowsAtOnceAndOnlyOkStoresItForTheMainWindow) {
  REQUIRE_UI();
  const struct {
    int row;
    int button;
    const char16_t* label;    // the language label once the row is chosen
    const char16_t* stored;   // "DisplayLanguage" afterwards
    const char16_t* setting;  // the main window's Setting button afterwards
    LANGID uiLanguage;
    const char* picture;
  } cases[] = {
      // A cancelled choice first: nothing is stored yet.
      {1, IDCANCEL, u"言語 :", u"", u"Setting", 1033, "setting_dialog_ja"},
      {2, IDOK, u"Sprache :", u"1031", u"Einstellungen", 1031, "setting_dialog_de"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    SetThreadUILanguage(1033);
    CString openLabel, chosenLabel, setting;
    CtessilarApp app;
    Scripted<CtessilarDlg> main(app.Context(), [&](Scripted<CtessilarDlg>& m) {
      auto ticks = std::make_shared<int>(0);
      UiTestPoll([&, ticks]() {
        HWND top = UiTestInnermostModal();
        if (top == nullptr || top == m.GetSafeHwnd() || UiTestIsMessageBox(top)) return false;
        CWnd* dlg = CWnd::FromHandlePermanent(top);
        ++*ticks;
        if (*ticks == 1) {
          openLabel = ItemText(*dlg, kIdLanguageLabel);
          UiTestSelect(dlg->GetDlgItem(kIdLanguage), c.row);
          chosenLabel = ItemText(*dlg, kIdLanguageLabel);
          return false;
        }
        if (*ticks < 15) return false;
        if (c.picture) UiTestSaveScreenshot(dlg, ScreenshotPath(c.picture));
        UiTestClick(dlg->GetDlgItem(c.button));
        return true;
      });
      // Setting is offered once the session list is ready.
      EXPECT_TRUE(UiTestPumpUntil([&] { return m.GetDlgItem(MainDlgIds::kIdSetting)->IsWindowEnabled(); }, 60000));
      UiTestClick(m.GetDlgItem(MainDlgIds::kIdSetting));
      setting = ItemText(m, MainDlgIds::kIdSetting);
      m.EndDialog(IDCANCEL);
    });
    main.m_nStartupCountdown = -1;  // no login on the first tick
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(openLabel, CString(u"Language :"));
    EXPECT_EQ(chosenLabel, CString(c.label));
    EXPECT_EQ(StoredLanguageText(), CString(c.stored));
    EXPECT_EQ(setting, CString(c.setting));
    EXPECT_EQ(GetThreadUILanguage(), c.uiLanguage);
  }
}

// A stand-in for the program: it appends its arguments, one line per start,
// to args.txt beside itself. Its folder name has spaces and the whole path is
// far beyond 260 characters.
std::string WriteRecorder(const std::string& root) {
  std::string folder = root + "/Program Files";
  while (folder.size() < 300) folder += "/a long folder name";
  std::filesystem::create_directories(folder);
  const std::string program = folder + "/pelmora uploader";
  std::ofstream(program) << "#!/bin/sh\nprintf '%s|' \"$@\" >> \"$(dirname \"$0\")/args.txt\"\necho >> \"$(dirname "
                            "\"$0\")/args.txt\"\n";
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  return program;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Answers the next `count` message boxes with OK, one after the other,
// keeping what each showed.
std::shared_ptr<std::vector<MessageBoxSeen>> AnswerMessageBoxes(size_t count) {
  auto seen = std::make_shared<std::vector<MessageBoxSeen>>();
  UiTestPoll([seen, count]() {
    MessageBoxSeen box;
    if (!AnswerMessageBox(UiTestInnermostModal(), IDOK, &box)) return false;
    seen->push_back(box);
    return seen->size() == count;
  });
  return seen;
}

TEST_F(SettingDialogTest, AChangedWorkspaceIsStoredAndRestartsTheProgramOnceUnderTheLock) {
  REQUIRE_UI();
  const std::string program = WriteRecorder(m_dir.Path());
  const std::string args = std::filesystem::path(program).parent_path().string() + "/args.txt";
  SetWorkspaceLocation(CString(u"/ws/Pelmora"));
  const struct {
    const char16_t* workspace;
    std::string program;
    INT_PTR result;      // -1: ended by the quit that follows a restart
    const char* starts;  // what the recorder holds afterwards
  } cases[] = {
      // A program that cannot be started: the dialog stays, nothing is held.
      // The names differ only in case, which is a change.
      {u"/ws/pelmora", m_dir.File("missing program"), IDCANCEL, ""},
      {u"/ws/Other", program, -1, "--Restart|\n"},
      // This copy holds the lock from its restart: it takes it again at once
      // and starts nothing further.
      {u"/ws/Third", program, IDCANCEL, "--Restart|\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(CString(c.workspace).ToUtf8());
    UiTestResetQuit();
    const CString before = GetWorkspaceLocation();
    const bool restarted = c.result == -1;
    CString shown;
    auto boxes = std::make_shared<std::vector<MessageBoxSeen>>();
    Scripted<CDlgSetting> dlg([&](Scripted<CDlgSetting>& d) {
      shown = ItemText(d, kIdWorkspace);
      d.SetDlgItemText(kIdWorkspace, c.workspace);
      boxes = AnswerMessageBoxes(restarted ? 1 : 2);
      UiTestClick(d.GetDlgItem(IDOK));
      if (d.GetSafeHwnd() != nullptr && !AfxIsQuitPending()) UiTestClick(d.GetDlgItem(IDCANCEL));
    });
    dlg.SetRestartProgram(std::u16string(CString(c.program.c_str()).GetString()));
    EXPECT_EQ(dlg.DoModal(), c.result);
    EXPECT_EQ(shown, before);
    ASSERT_EQ(boxes->size(), restarted ? 1u : 2u);
    EXPECT_EQ(boxes->front().text, CString(u"You changed workspace path. Program need to be restarted now."));
    EXPECT_EQ(boxes->front().caption, CString(u"Morvek Pelmora Uploader"));
    // A restart that did not happen is told: the window goes on with the
    // workspace it opened.
    if (!restarted) {
      EXPECT_EQ(boxes->back().text, CString(u"The program could not restart. It goes on with the workspace it opened; "
                                            u"the new workspace is used from the next start."));
    }
    EXPECT_EQ(GetWorkspaceLocation(), CString(c.workspace));
    UiTestPumpUntil([&]() { return ReadAll(args) == c.starts; }, 30000);
    EXPECT_EQ(ReadAll(args), c.starts);
  }
  UiTestResetQuit();

  // The lock stays with this copy until it ends; its owner takes it again at
  // once.
  HANDLE again = CreateMutexW(nullptr, TRUE, kRestartMutexName);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForMutex(again, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(again));
  EXPECT_TRUE(CloseMutexHandle(again));
  // As the program ends it lets the lock go: a later run restarts again.
  ReleaseRestartLock();
  EXPECT_EQ(RestartProgram(std::u16string(CString(program.c_str()).GetString())), RestartResult::kStarted);
  ReleaseRestartLock();
}

}  // namespace
