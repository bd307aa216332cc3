// The demo as a newcomer meets it: the sample workspace made by the project
// generator and the stand-in started from the setup file the generator wrote
// with it, both as scripts/run makes them. Logged in with the demo account,
// the sessions on the service's circuits are uploaded with the laps and
// sectors the generator drove; the session on a circuit the service does not
// have cannot be analysed. The dialogs are taken in whole-screen pictures
// over the main window.
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "appcore/AppContext.h"
#include "appcore/SessionListDb.h"
#include "platform/win32/sqlitestatement.h"
#include "platform/win32/utf.h"
#include "tests/app/program_window_test.h"
#include "tests/app/scripted_main_dlg.h"
#include "tests/common/files.h"
#include "tests/common/program_ui_env.h"
#include "tools/projgen/DemoSample.h"
#include "tools/standin-service/StandinSetup.h"
#include "uploader/DlgLogin.h"
#include "uploader/DlgSetting.h"

namespace {

using namespace MainDlgIds;

constexpr int kColumnStatus = 1;

class DemoUploadTest : public ProgramWindowTest {
 protected:
  void SetUp() override {
    StandinClientTest::SetUp();
    if (HasFatalFailure()) return;
    const std::string pelmora = m_dir.File("Documents/Pelmora");
    std::filesystem::create_directories(pelmora + "/SampleWorkspace");
    ASSERT_TRUE(projgen::WriteDemoSample({Utf8ToUtf16(pelmora + "/SampleWorkspace"), m_dir.WFile("Documents"),
                                          Utf8ToUtf16(pelmora + "/SampleService")}));
    std::string error;
    ASSERT_TRUE(ReadStandinSetup(pelmora + "/SampleService/" + projgen::kDemoSetupFile, m_setup, error)) << error;
    ASSERT_TRUE(ApplyStandinSetup(*m_service, m_setup).empty());
    ASSERT_FALSE(m_setup.accounts.empty());
    UseWorkspace(pelmora + "/SampleWorkspace");
  }

  // The session of a row of the list, as SessList holds it.
  SessionSummary RowSession(ScriptedMainDlg& d, int row) {
    SessionSummary s;
    EXPECT_TRUE(m_app.Context().SessionList().GetById(static_cast<int32_t>(d.List().GetItemData(row)), s));
    return s;
  }

  // Checks the rows whose session is recorded on a map that `onService`
  // says; returns how many were checked.
  int CheckRows(ScriptedMainDlg& d, const std::map<std::u16string, bool>& onService, bool wanted) {
    int checked = 0;
    for (int row = 0; row < d.List().GetItemCount(); ++row) {
      if (onService.at(RowSession(d, row).mName.Str()) != wanted) continue;
      UiTestToggleCheck(&d.List(), row);
      ++checked;
    }
    return checked;
  }

  // Presses Upload, accepts the terms and waits for the result dialog, which
  // is pictured with the whole screen; its three counts come back.
  static std::vector<std::u16string> Upload(ScriptedMainDlg& d, const std::string& picture) {
    std::vector<std::u16string> counts;
    UiTestPoll([&counts, picture]() {
      CDlgResult* result = Innermost<CDlgResult>();
      if (result == nullptr) return false;
      EXPECT_TRUE(UiTestSaveWholeScreen(ScreenshotPath(picture), result));
      for (int id : {ResultDlgIds::kIdOkCount, ResultDlgIds::kIdFailCount, ResultDlgIds::kIdCannotAnalyzeCount})
        counts.push_back(ItemText(*result, id).Str());
      result->EndDialog(IDOK);
      return true;
    });
    AnswerNextMessageBox(IDOK);
    UiTestClick(d.GetDlgItem(kIdUpload));
    EXPECT_TRUE(UiTestPumpUntil([&]() { return !counts.empty() && d.Enabled(kIdUpload); }, 60000));
    return counts;
  }

  StandinSetup m_setup;
};

// The number of sectors in an analysis file; -1 when it cannot be read.
int SectorCount(const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  SqliteHandle db(raw);  // also a connection that failed to open is closed
  if (opened != SQLITE_OK) return -1;
  SqliteStatement count(db.get(), "SELECT COUNT(*) FROM sector;");
  return count.NextRow() ? count.Int(0) : -1;
}

TEST_F(DemoUploadTest, TheSessionsOnTheServicesCircuitsUploadWithTheirLapsAndTheOtherCannotBeAnalysed) {
  REQUIRE_UI();
  const std::vector<projgen::DemoCircuitSession> expected = projgen::DemoCircuitSessions();
  std::map<std::u16string, bool> onService;
  for (const auto& s : expected) onService[s.map] = s.mapOnService;
  const StandinAccount& demo = m_setup.accounts.front();
  int checked = 0, rows = 0;
  std::vector<std::u16string> counts, lastCounts;
  std::map<std::u16string, std::u16string> status;  // by session folder
  bool settingsShot = false;

  ScriptedMainDlg dlg(m_app.Context(), ScriptedMainDlg::kStartupLogin, [&](ScriptedMainDlg& d) {
    UiTestPoll([&]() {
      CDlgLogin* login = Innermost<CDlgLogin>();
      if (login == nullptr) return false;
      EXPECT_TRUE(UiTestSaveWholeScreen(ScreenshotPath("screen_login"), login));
      login->SetDlgItemText(LoginDlgIds::kIdEmail, CString::FromUtf8(demo.email));
      login->SetDlgItemText(LoginDlgIds::kIdPassword, CString::FromUtf8(demo.password));
      UiTestClick(login->GetDlgItem(LoginDlgIds::kIdLogin));
      return true;
    });
    ASSERT_TRUE(UiTestPumpUntil(
        [&]() {
          return d.m_nTrackMapState.load() == kTrackMapsDone && d.m_nDbState.load() == kDbListReady &&
                 d.Enabled(kIdUpload) && d.List().GetItemCount() == static_cast<int>(expected.size());
        },
        30000));
    rows = d.List().GetItemCount();

    checked = CheckRows(d, onService, true);
    counts = Upload(d, "screen_result");
    UiTestPoll([&]() {
      CDlgSetting* setting = Innermost<CDlgSetting>();
      if (setting == nullptr) return false;
      settingsShot = UiTestSaveWholeScreen(ScreenshotPath("screen_settings"), setting);
      setting->EndDialog(IDCANCEL);
      return true;
    });
    UiTestClick(d.GetDlgItem(kIdSetting));
    ASSERT_TRUE(UiTestPumpUntil([&]() { return settingsShot; }));

    CheckRows(d, onService, false);
    lastCounts = Upload(d, "screen_result_cannot_analyze");
    for (int row = 0; row < d.List().GetItemCount(); ++row)
      status[RowSession(d, row).folder.Str()] = d.List().GetItemText(row, kColumnStatus).Str();
    d.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);

  EXPECT_EQ(rows, static_cast<int>(expected.size()));
  EXPECT_GT(checked, 1);
  EXPECT_EQ(counts, (std::vector<std::u16string>{Utf8ToUtf16(std::to_string(checked)), u"0", u"0"}));
  EXPECT_EQ(lastCounts, (std::vector<std::u16string>{u"0", u"0", Utf8ToUtf16(std::to_string(rows - checked))}));
  EXPECT_TRUE(settingsShot);

  // Each session on the service once, with the generator's laps and sectors.
  const std::vector<StandinUpload> uploads = m_service->Uploads();
  EXPECT_EQ(uploads.size(), static_cast<size_t>(checked));
  SessionListDb& sessions = m_app.Context().SessionList();
  std::map<std::u16string, SessionSummary> byFolder;
  SessionSummary row;
  for (int32_t id = 1; sessions.GetById(id, row); ++id) byFolder[row.folder.Str()] = row;
  for (const projgen::DemoCircuitSession& s : expected) {
    SCOPED_TRACE(Utf16ToUtf8(s.trackFile));
    EXPECT_EQ(status[s.trackFile], s.mapOnService ? u"Upload success" : u"Can't analyze");
    if (!s.mapOnService) continue;
    const SessionSummary& stored = byFolder[s.trackFile];
    int found = 0;
    for (const StandinUpload& u : uploads) {
      if (u.id != stored.gid) continue;
      ++found;
      const nlohmann::json vals = nlohmann::json::parse(u.vals);
      EXPECT_EQ(vals["Laps"].get<int>(), s.laps);
      EXPECT_NEAR(vals["BestLapTime"].get<double>(), s.lapSeconds, 0.01);
      const std::string sana = m_dir.File("sana.db");
      WriteBytes(sana, u.qSana);
      EXPECT_EQ(SectorCount(sana), s.laps * s.sectorsPerLap);
    }
    EXPECT_EQ(found, 1);
  }
}

}  // namespace
