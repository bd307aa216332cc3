// The program's dialogs in real windows: the software update (release notes
// of the UI language, the countdown, the installer started or not as a
// program), the result of an upload and the about box.
#include <filesystem>
#include <string>

#include "tests/common/files.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/temp_dir.h"
#include "uploader/AboutDlg.h"
#include "uploader/DlgResult.h"
#include "uploader/DlgSelfUpgrade.h"

namespace {

namespace fs = std::filesystem;

CString Countdown(int seconds) {
  CString text;
  text.Format(ResourceText(kStrCountdown), seconds);
  return text;
}

// Runs `script` inside the dialog's modal loop.
INT_PTR RunModal(CDialog& dlg, std::function<void()> script) {
  AfxPostToUiThread(std::move(script));
  return dlg.DoModal();
}

class UpgradeDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m_dir.File("userdata/TransferDb")); }
  std::u16string UserData() const { return m_dir.WFile("userdata"); }
  std::string Local(const std::string& name) const { return m_dir.File("userdata/TransferDb/" + name); }
  std::string Marker() const { return m_dir.File("installer-ran"); }
  // An installer that notes each run in the marker file.
  void PutInstaller(const std::string& bytes, fs::perms perms) {
    ASSERT_TRUE(WriteBytes(Local("Pelmora_Uploader_installer.exe"), bytes));
    fs::permissions(Local("Pelmora_Uploader_installer.exe"), perms);
  }
  void PutScriptInstaller() { PutInstaller("#!/bin/sh\necho run >> '" + Marker() + "'\n", fs::perms::owner_all); }
  // The runs noted by the installer, once it has noted one.
  std::string Runs() const { return ReadOnceALineEnds(Marker()); }

  TempDir m_dir;
};

TEST_F(UpgradeDialogTest, ShowsTheNotesOfTheUiLanguageAndIgnoresEscape) {
  REQUIRE_UI();
  ASSERT_TRUE(WriteBytes(Local("auto_update.txt"),
                         "version\n101\nchksum\n0123\n"
                         "EN\nFaster uploads.\nFixed the lap list.\nINFOEND\n"
                         "DE\nSchnellere Uploads.\nINFOEND trailing\nnot shown\n"
                         "JA\n\xE9\xAB\x98\xE9\x80\x9F\xE5\x8C\x96\n\nlast line without an end mark\n"));
  struct Case {
    LANGID lang;
    const char16_t* notes;
  } cases[] = {
      {1033, u"Faster uploads.\nFixed the lap list.\n"},
      {1031, u"Schnellere Uploads.\n"},
      {1041, u"\u9AD8\u901F\u5316\n\nlast line without an end mark\n"},
      {1028, u""},  // no block for this language
  };
  for (const Case& c : cases) {
    SetThreadUILanguage(c.lang);
    CDlgSelfUpgrade dlg(UserData());
    INT_PTR result = RunModal(dlg, [&]() {
      EXPECT_EQ(ItemText(dlg, SelfUpgradeDlgIds::kIdNotes).Str(), c.notes) << c.lang;
      CString title;
      dlg.GetWindowText(title);
      EXPECT_EQ(title, ResourceText(kStrSoftwareUpdate)) << c.lang;
      EXPECT_EQ(ItemText(dlg, SelfUpgradeDlgIds::kIdCountdown), Countdown(20)) << c.lang;
      EXPECT_EQ(ItemText(dlg, IDOK), ResourceText(kStrExecute)) << c.lang;
      UiTestKey(&dlg, VK_ESCAPE);
      dlg.SendMessage(WM_CLOSE);
      EXPECT_NE(dlg.m_hWnd, nullptr);
      ShootThenEnd(dlg, c.lang == 1041 ? "upgrade_dialog_ja" : "upgrade_dialog", IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL) << c.lang;
  }
  EXPECT_FALSE(fs::exists(Marker()));
}

TEST_F(UpgradeDialogTest, TheCountdownStartsTheInstallerAndQuitsOnce) {
  REQUIRE_UI();
  PutScriptInstaller();
  CDlgSelfUpgrade dlg(UserData());
  INT_PTR result = RunModal(dlg, [&]() {
    // The real timer ticks once a second, once or more on a busy machine;
    // the rest of the ticks are sent.
    auto shown = [&]() {
      int left = CDlgSelfUpgrade::kCountdownSeconds;
      while (left >= 0 && ItemText(dlg, SelfUpgradeDlgIds::kIdCountdown) != Countdown(left)) --left;
      return left;
    };
    ASSERT_TRUE(UiTestPumpUntil([&]() { return shown() < CDlgSelfUpgrade::kCountdownSeconds; }));
    ASSERT_GT(shown(), 0);
    for (int left = shown() - 1; left >= 0; --left) {
      dlg.SendMessage(WM_TIMER, CDlgSelfUpgrade::kCountdownTimer);
      EXPECT_EQ(ItemText(dlg, SelfUpgradeDlgIds::kIdCountdown), Countdown(left));
    }
    EXPECT_FALSE(fs::exists(Marker()));
    dlg.SendMessage(WM_TIMER, CDlgSelfUpgrade::kCountdownTimer);  // the tick after 0
  });
  EXPECT_EQ(result, -1);  // the quit ended the loop
  EXPECT_TRUE(AfxIsQuitPending());
  EXPECT_EQ(Runs(), "run\n");
}

TEST_F(UpgradeDialogTest, ExecuteStartsTheInstallerAtOnce) {
  REQUIRE_UI();
  PutScriptInstaller();
  CDlgSelfUpgrade dlg(UserData());
  EXPECT_EQ(RunModal(dlg, [&]() { UiTestClick(dlg.GetDlgItem(IDOK)); }), -1);
  EXPECT_TRUE(AfxIsQuitPending());
  EXPECT_EQ(Runs(), "run\n");
}

TEST_F(UpgradeDialogTest, AnInstallerThatCannotStartClosesTheDialogAndTheProgramGoesOn) {
  REQUIRE_UI();
  struct Case {
    const char* what;
    bool present;
    std::string bytes;
    fs::perms perms;
  } cases[] = {
      {"missing", false, "", fs::perms::none},
      {"not executable", true, "#!/bin/sh\necho run >> '" + Marker() + "'\n",
       fs::perms::owner_read | fs::perms::owner_write},
      {"not a program for this machine", true, std::string("MZ\x90\x00\x03\x00 a Windows program", 24),
       fs::perms::owner_all},
  };
  for (const Case& c : cases) {
    fs::remove(Local("Pelmora_Uploader_installer.exe"));
    if (c.present) PutInstaller(c.bytes, c.perms);
    CDlgSelfUpgrade dlg(UserData());
    EXPECT_EQ(RunModal(dlg, [&]() { UiTestClick(dlg.GetDlgItem(IDOK)); }), IDABORT) << c.what;
    EXPECT_FALSE(AfxIsQuitPending()) << c.what;
  }
  EXPECT_FALSE(fs::exists(Marker()));
}

TEST(ResultDialog, ShowsTheThreeCountsUnderTheirLabels) {
  REQUIRE_UI();
  CDlgResult dlg(3, 1, 2);
  INT_PTR result = RunModal(dlg, [&]() {
    CString title;
    dlg.GetWindowText(title);
    EXPECT_EQ(title.Str(), u"Result");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdOkLabel).Str(), u"Upload success :");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdFailLabel).Str(), u"Upload fail :");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdCannotAnalyzeLabel).Str(), u"Can't analyze :");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdOkCount).Str(), u"3");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdFailCount).Str(), u"1");
    EXPECT_EQ(ItemText(dlg, ResultDlgIds::kIdCannotAnalyzeCount).Str(), u"2");
    ShootThenEnd(dlg, "result_dialog", IDOK);
  });
  EXPECT_EQ(result, IDOK);
}

TEST(AboutDialog, ShowsThePictureAndTheVersionWhiteOnBlack) {
  REQUIRE_UI();
  CAboutDlg dlg;
  INT_PTR result = RunModal(dlg, [&]() {
    EXPECT_EQ(ItemText(dlg, AboutDlgIds::kIdBuildDate).Str(), u"2020/04/07");
    COLORREF text = 0, background = 0;
    ASSERT_TRUE(UiTestCtlColors(dlg.GetDlgItem(AboutDlgIds::kIdVersion), &text, &background));
    EXPECT_EQ(text, 0xFFFFFFu);
    EXPECT_EQ(background, 0x000000u);
    ShootThenEnd(dlg, "about_dialog", IDOK);
  });
  EXPECT_EQ(result, IDOK);
}

}  // namespace
