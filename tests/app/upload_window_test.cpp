// The Upload button of the main window in a real window, on a generated
// workspace, against the stand-in service: the terms box decides, the checked
// sessions of several race types are prepared and posted by the upload
// thread, and the session list keeps their reply codes.
// Its own program: the window's session list is made once per process.
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "platform/win32/utf.h"
#include "tests/common/circuit_beacons.h"
#include "tests/common/env.h"
#include "tests/common/files.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tools/projgen/ProjectGenerator.h"
#include "tools/projgen/SampleWorkspace.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/RegistrySettings.h"
#include "uploader/SessionListDb.h"
#include "uploader/TrackMapDb.h"
#include "uploader/UserInfoDb.h"
#include "webclient/ApiClient.h"

namespace {

constexpr int kIdUpload = 1019, kIdSetting = 1022;

class ScriptedMainDlg : public CtessilarDlg {
 public:
  // Without the login of the first tick.
  explicit ScriptedMainDlg(std::function<void(ScriptedMainDlg&)> script) : m_script(std::move(script)) {
    m_nStartupCountdown = -1;
  }
  BOOL OnInitDialog() override {
    BOOL r = CtessilarDlg::OnInitDialog();
    // The list is the one written here: the workspace is not scanned into it.
    KillTimer(kTimerPrepareDb);
    AfxPostToUiThread([this]() {
      m_script(*this);
      EndDialog(IDOK);
    });
    return r;
  }
  CListCtrl& List() { return m_listSession; }

 private:
  std::function<void(ScriptedMainDlg&)> m_script;
};

// Answers the next message box, keeping its text.
void AnswerNextMessageBox(int answer, CString* text) {
  UiTestPoll([=]() {
    HWND top = UiTestInnermostModal();
    if (!UiTestIsMessageBox(top)) return false;
    *text = UiTestMessageBoxText(top);
    UiTestEndModal(top, answer);
    return true;
  });
}

class UploadWindowTest : public StandinClientTest {
 protected:
  void SetUp() override {
    StandinClientTest::SetUp();
    if (HasFatalFailure()) return;
    const std::u16string workspace = m_dir.WFile("ws");
    const std::u16string userData = m_dir.WFile("Documents/Pelmora");
    std::filesystem::create_directories(m_dir.File("ws"));
    SetWorkspaceLocation(CString(workspace));
    SetApiWorkspaceSource(&GetWorkspaceLocation);

    // A sprint and an endurance of 240 s (two laps each) and a qualifying
    // of 60 s (no whole lap), all on the map "Fuji".
    const uint64_t day = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
    const struct {
      const char16_t* name;
      const char16_t* racing;
      int32_t raceType;
      double seconds;
    } kTracks[] = {{u"Sprint", u"Sprint", kRaceSprint, 240},
                   {u"Endurance", u"Endurance", kRaceEndurance, 240},
                   {u"Qualify", u"Qualify", kRaceQualify, 60}};
    projgen::WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
    std::vector<SessionSummary> rows;
    for (size_t i = 0; i < std::size(kTracks); ++i) {
      const uint64_t start = day + i * 36000000000ULL;
      driver.tracks.push_back(
          {kTracks[i].name,
           {{u"SportType", u"Car Racing"}, {u"RacingType", kTracks[i].racing}, {u"UsedBcn", u"Fuji"}},
           projgen::CircuitSamples(kCircuit, 10, kTracks[i].seconds, start)});
      SessionSummary row;
      row.raceType = kTracks[i].raceType;
      row.mName = u"Fuji";
      row.folder = Utf8ToUtf16("Track" + std::to_string(i + 1));
      row.startTime = 1717232400 + static_cast<int32_t>(i) * 3600;
      rows.push_back(row);
    }
    ASSERT_TRUE(projgen::WriteWorkspace(workspace, {driver}, {}));
    ASSERT_TRUE(projgen::WriteTrackMap(m_dir.WFile("Documents"), u"Fuji", u"Fuji Speedway"));
    ASSERT_TRUE(m_sessions.Create(workspace, userData));
    ASSERT_TRUE(m_sessions.Sync(rows.data(), static_cast<int32_t>(rows.size())));

    TrackMapDb trackMaps;
    ASSERT_TRUE(trackMaps.Create(userData));
    TrackListItem map;
    map.mapId = 7, map.uDate = 1700000000, map.type = u"Circuit", map.Label = u"Fuji";
    ASSERT_TRUE(trackMaps.Update(&map, 1));
    std::filesystem::create_directories(m_dir.File("Documents/Pelmora/TransferDb/bcnx"));
    WriteBytes(m_dir.File("Documents/Pelmora/TransferDb/bcnx/Fuji.bcnx"),
               MakeBeaconFile({CircuitBeacon(0, 0.3), CircuitBeacon(3, std::numbers::pi)}));

    // Logged in on an earlier run: the token is stored.
    StandinAccount rider;
    rider.email = "rider@example.com";
    rider.password = "secret";
    ASSERT_GT(m_service->AddAccount(rider), 0);
    ASSERT_TRUE(m_users.Create(userData));
    SetApiUserStore(&m_users);
    ASSERT_TRUE(ApiLogin(GetLoginState(), CString(rider.email.c_str()), CString(rider.password.c_str())));
  }
  void TearDown() override {
    SetApiUserStore(nullptr);
    SetApiWorkspaceSource(nullptr);
    StandinClientTest::TearDown();
  }

  ScopedEnv m_home{"HOME", m_dir.Path().c_str()};
  ScopedEnv m_config{"XDG_CONFIG_HOME", m_dir.File("config").c_str()};
  ScopedEnv m_docs{"XDG_DOCUMENTS_DIR", m_dir.File("Documents").c_str()};
  ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_dir.File("config").c_str()};
  SessionListDb m_sessions;
  UserInfoDb m_users;
};

TEST_F(UploadWindowTest, TheCheckedSessionsOfSeveralRaceTypesAreUploadedOnceTheTermsAreAccepted) {
  REQUIRE_UI();
  const struct {
    int answer;
    int32_t state;  // after the terms box
    bool enabled;   // Upload and Setting afterwards
  } kCases[] = {{IDCANCEL, 0, true}, {IDOK, 2, false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.answer);
    UiTestResetQuit();
    CString terms;
    int rows = 0;
    ScriptedMainDlg dlg([&](ScriptedMainDlg& d) {
      ASSERT_TRUE(UiTestPumpUntil([&]() { return d.m_nDbState.load() >= 1; }, 20000));
      d.RefreshSessionList();
      rows = d.List().GetItemCount();
      for (int row = 0; row < rows; ++row) UiTestToggleCheck(&d.List(), row);
      AnswerNextMessageBox(c.answer, &terms);
      UiTestClick(d.GetDlgItem(kIdUpload));
      // The upload thread's own states: timer 3 would end the upload and show its result.
      d.KillTimer(CtessilarDlg::kTimerUpload);
      if (c.answer == IDOK) {
        EXPECT_EQ(d.m_nItemTotal.load(), 3);
        ASSERT_TRUE(UiTestPumpUntil(
            [&]() { return d.m_nUploadState.load() == 2 && d.m_nItemDone.load() == d.m_nItemTotal.load(); }, 30000));
        EXPECT_EQ(d.m_nUploadOk.load(), 2);
        EXPECT_EQ(d.m_nUploadFail.load(), 0);
        EXPECT_EQ(d.m_nCannotAnalyze.load(), 1);
      }
      EXPECT_EQ(d.m_nUploadState.load(), c.state);
      EXPECT_EQ(d.GetDlgItem(kIdUpload)->IsWindowEnabled() != FALSE, c.enabled);
      EXPECT_EQ(d.GetDlgItem(kIdSetting)->IsWindowEnabled() != FALSE, c.enabled);
    });
    dlg.DoModal();
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(terms, CString(u"When you use our service and upload data, you agree to our terms of use and privacy "
                             u"policy."));
  }
  // The sprint and the endurance with their laps; the qualifying has none.
  EXPECT_EQ(m_service->Uploads().size(), 2u);
  const int32_t codes[] = {kRespUploaded, kRespUploaded, kRespCannotAnalyse};
  for (int32_t id = 1; id <= 3; ++id) {
    SessionSummary row;
    ASSERT_TRUE(m_sessions.GetById(id, row));
    EXPECT_EQ(row.respCode, codes[id - 1]) << id;
  }
}

}  // namespace
