// The whole upload as a user runs it (the program's own start-up, its
// application object and context), on a generated workspace, against the
// stand-in service: the login of the first tick fetches the track map and its
// beacon file, the session list is made, the terms box decides, the checked
// sessions of several race types are prepared and posted, and the result
// dialog's counts match what the service and the session list hold; and what
// the window offers while an upload runs.
#include <filesystem>
#include <functional>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "appcore/RegistrySettings.h"
#include "appcore/SessionListDb.h"
#include "platform/win32/utf.h"
#include "tests/app/sample_program.h"
#include "tests/app/scripted_main_dlg.h"
#include "tests/common/circuit_beacons.h"
#include "tests/common/files.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/standin.h"
#include "tools/projgen/ProjectGenerator.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "uploader/DlgResult.h"
#include "webclient/ApiClient.h"

namespace {

using namespace MainDlgIds;
const StandinAccount kRider{"rider@example.org", "secret", "Rider", 0, "JP", "ja", true};
// An account the service has not verified yet: it logs in and uploads, but
// the window does not count it as logged in.
const StandinAccount kNovice{"novice@example.org", "secret", "Novice", 0, "JP", "ja", false};

class UploadWindowTest : public StandinProgramTest {
 protected:
  void SetUp() override {
    StandinProgramTest::SetUp();
    if (HasFatalFailure()) return;
    // A sprint and an endurance of 240 s (two laps each) and a qualifying
    // of 60 s (no whole lap), all on the map "Fuji".
    const uint64_t day = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
    const struct {
      const char16_t* name;
      const char16_t* racing;
      double seconds;
    } kTracks[] = {{u"Sprint", u"Sprint", 240}, {u"Endurance", u"Endurance", 240}, {u"Qualify", u"Qualify", 60}};
    projgen::WorkspaceUser driver{u"Driver", {{u"FieldNickName", u"driver"}, {u"ActiveUser", u"1"}}, {}};
    for (size_t i = 0; i < std::size(kTracks); ++i) {
      std::vector<projgen::Sample> samples =
          projgen::CircuitSamples(kCircuit, 10, kTracks[i].seconds, day + i * 36000000000ULL);
      driver.tracks.push_back({kTracks[i].name,
                               {{u"SportType", u"Car Racing"},
                                {u"RacingType", kTracks[i].racing},
                                {u"UsedBcn", u"Fuji"},
                                {u"FieldStartTime", projgen::TimeHalves(samples.front().time)},
                                {u"FieldEndTime", projgen::TimeHalves(samples.back().time)}},
                               samples});
    }
    ASSERT_TRUE(projgen::WriteWorkspace(m_dir.WFile("ws"), {driver}, {}));
    ASSERT_TRUE(projgen::WriteTrackMap(m_dir.WFile("Documents"), u"Fuji", u"Fuji Speedway"));
    ASSERT_GT(m_service->AddAccount(kRider), 0);
    ASSERT_GT(m_service->AddAccount(kNovice), 0);
    ASSERT_TRUE(m_service->AddTrackMap({7, "Circuit", "Fuji", 1700000000},
                                       MakeBeaconFile({CircuitBeacon(0, 0.3), CircuitBeacon(3, std::numbers::pi)})));
    SetWorkspaceLocation(CString::FromUtf8(m_dir.File("ws")));
    GetLoginState() = kLoginNone;
  }

  static CListCtrl& List(CtessilarDlg& main) { return *static_cast<CListCtrl*>(main.GetDlgItem(kIdList)); }
  static bool Enabled(CtessilarDlg& main, int id) { return main.GetDlgItem(id)->IsWindowEnabled() != FALSE; }
  static bool Uploading(CtessilarDlg& main) {
    const int32_t state = main.m_nUploadState.load();
    return state == kUploadTransferring || state == kUploadUploading;
  }
  // The list is ready and offers the three sessions for upload.
  static bool ReadyToUpload(CtessilarDlg& main) {
    return main.m_nDbState.load() == kDbListReady && Enabled(main, kIdUpload) && List(main).GetItemCount() == 3;
  }
};

TEST_F(UploadWindowTest, LoggedInTheCheckedSessionsAreUploadedAndTheResultCountsThem) {
  REQUIRE_UI();
  int rows = 0;
  auto terms = std::make_shared<MessageBoxSeen>(), refused = std::make_shared<MessageBoxSeen>();
  bool enabledAfterRefusal = false;
  auto offeredEarly = std::make_shared<bool>(false), over = std::make_shared<bool>(false);
  int32_t stateAfterRefusal = -1;
  CString counts[3];
  // Upload and Setting are offered only once the list is ready.
  UiTestPoll([offeredEarly, over]() {
    auto* main = static_cast<CtessilarDlg*>(AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
    if (main != nullptr && main->GetSafeHwnd() != nullptr && main->m_nDbState.load() != kDbListReady &&
        (Enabled(*main, kIdUpload) || Enabled(*main, kIdSetting)))
      *offeredEarly = true;
    return *over;
  });
  auto loggedInAndReady = [](CtessilarDlg& main) {
    return GetLoginState().load() == kLoginVerified && main.m_nTrackMapState.load() == kTrackMapsDone &&
           ReadyToUpload(main);
  };
  RunProgram([] { return LogInWhenAsked(kRider); }, loggedInAndReady,
             [&](CtessilarDlg& main) {
               // A workspace stored for the next start, whose restart did not happen,
               // holds files of other sessions with the same ids: the upload posts the
               // files of the workspace the window runs on.
               SetWorkspaceLocation(CString::FromUtf8(m_dir.File("next")));
               std::filesystem::create_directories(m_dir.File("next/TransferDb"));
               for (const char* name : {"sess", "sana"})
                 for (int id = 1; id <= 3; ++id)
                   WriteBytes(m_dir.File("next/TransferDb/") + name + "_" + std::to_string(id) + ".db",
                              "another session");
               rows = List(main).GetItemCount();
               for (int row = 0; row < rows; ++row) UiTestToggleCheck(&List(main), row);

               refused = AnswerNextMessageBox(IDCANCEL);
               UiTestClick(main.GetDlgItem(kIdUpload));
               enabledAfterRefusal = Enabled(main, kIdUpload) && Enabled(main, kIdSetting);
               stateAfterRefusal = main.m_nUploadState.load();

               ReadResultCountsOnceShown(counts);
               terms = AnswerNextMessageBox(IDOK);
               UiTestClick(main.GetDlgItem(kIdUpload));
               EXPECT_FALSE(Enabled(main, kIdUpload));
               EXPECT_FALSE(Enabled(main, kIdSetting));
               EXPECT_TRUE(UiTestPumpUntil([&]() { return !counts[0].IsEmpty() && Enabled(main, kIdUpload); }, 30000));
               EXPECT_EQ(main.m_nUploadState.load(), kUploadDone);
             });
  *over = true;

  EXPECT_EQ(rows, 3);
  EXPECT_FALSE(*offeredEarly);
  EXPECT_EQ(refused->text.Str(),
            u"When you use our service and upload data, you agree to our terms of use and privacy policy.");
  EXPECT_EQ(terms->text, refused->text);
  EXPECT_TRUE(enabledAfterRefusal);
  EXPECT_EQ(stateAfterRefusal, 0);
  // The sprint and the endurance with their laps; the qualifying has none.
  EXPECT_EQ(counts[0].Str(), u"2");
  EXPECT_EQ(counts[1].Str(), u"0");
  EXPECT_EQ(counts[2].Str(), u"1");
  EXPECT_EQ(m_service->Uploads().size(), 2u);
  for (const StandinUpload& u : m_service->Uploads()) EXPECT_EQ(u.qSess.rfind("SQLite format 3", 0), 0u);
  SessionListDb sessions;
  ASSERT_TRUE(sessions.Create(m_dir.WFile("ws"), m_dir.WFile("Documents/Pelmora")));
  std::map<std::u16string, int32_t> codes;
  const double pace = projgen::CircuitSamples(kCircuit, 1, 0, 0).front().speed;
  SessionSummary row;
  for (int32_t id = 1; sessions.GetById(id, row); ++id) {
    codes[row.folder.Str()] = row.respCode;
    // The scan has stored each track's distance: the average speed is near
    // the circuit's pace (the ellipse is not driven at an even speed).
    EXPECT_NEAR(row.avgSpd, pace, 0.05 * pace) << row.folder.ToUtf8();
  }
  const std::map<std::u16string, int32_t> expected = {
      {u"Track1", kRespUploaded}, {u"Track2", kRespUploaded}, {u"Track3", kRespCannotAnalyse}};
  EXPECT_EQ(codes, expected);
}

// The track maps of an earlier run are stored. An account not verified yet
// logs in at the first tick and uploads; during the upload a verified
// account logs in through the link, which fetches the track maps again.
// Their end must not offer Upload or Setting while the upload runs: a second
// press would start a second upload beside it.
TEST_F(UploadWindowTest, ALoginDuringAnUploadDoesNotOfferUploadOrSettingBeforeItEnds) {
  REQUIRE_UI();
  auto mapsIn = [](CtessilarDlg& main) { return main.m_nTrackMapState.load() == kTrackMapsDone; };
  RunProgram([] { return LogInWhenAsked(kRider); }, mapsIn, [](CtessilarDlg&) {});
  GetLoginState() = kLoginNone;
  // The first session's upload is held until the maps are in.
  StandinFaultSpec held = OneFault(StandinFault::Hold, "/API/UploadSession.php");
  held.delayMs = 60000;
  m_service->AddFault(held);
  bool offeredDuringUpload = false, mapsFetchedDuringUpload = false;
  CString counts[3];
  RunProgram([] { return LogInWhenAsked(kNovice); }, ReadyToUpload,
             [&](CtessilarDlg& main) {
               EXPECT_NE(GetLoginState().load(), kLoginVerified);
               for (int row = 0; row < List(main).GetItemCount(); ++row) UiTestToggleCheck(&List(main), row);
               AnswerNextMessageBox(IDOK);
               ReadResultCountsOnceShown(counts);
               UiTestClick(main.GetDlgItem(kIdUpload));
               ASSERT_TRUE(Uploading(main));
               UiTestPoll([] { return LogInWhenAsked(kRider); });
               UiTestClick(main.GetDlgItem(kIdLogin));
               // The maps come in and timer 2 ends while the upload still runs.
               UiTestPumpUntil(
                   [&]() {
                     if (!Uploading(main)) return true;
                     if (main.m_nTrackMapState.load() == kTrackMapsDone && !mapsFetchedDuringUpload) {
                       mapsFetchedDuringUpload = true;
                       m_service->ReleaseHeld();
                     }
                     if (Enabled(main, kIdUpload) || Enabled(main, kIdSetting)) offeredDuringUpload = true;
                     return false;
                   },
                   60000);
               EXPECT_TRUE(UiTestPumpUntil([&]() { return !counts[0].IsEmpty() && Enabled(main, kIdUpload); }, 30000));
             });
  EXPECT_TRUE(mapsFetchedDuringUpload);
  EXPECT_FALSE(offeredDuringUpload);
  EXPECT_EQ(counts[0].Str(), u"2");
}

// The window offers the ready list when the rider logs in: from that moment
// until the track maps are in, Upload and Setting are not offered.
TEST_F(UploadWindowTest, ALoginOnAReadyListOffersNoUploadUntilTheTrackMapsAreIn) {
  REQUIRE_UI();
  StandinFaultSpec slow = OneFault(StandinFault::Delay, "/API/TrackList.php");
  slow.delayMs = 1000;
  m_service->AddFault(slow);
  auto offered = std::make_shared<bool>(false), over = std::make_shared<bool>(false);
  auto logInOnReadyList = [offered, over]() {
    auto* main = static_cast<CtessilarDlg*>(AfxGetApp()->m_pMainWnd);
    if (main == nullptr || !Enabled(*main, kIdUpload) || !LogInWhenAsked(kRider)) return false;
    UiTestPoll([main, offered, over]() {
      if (*over) return true;
      if (main->m_nTrackMapState.load() == kTrackMapsRetrieving &&
          (Enabled(*main, kIdUpload) || Enabled(*main, kIdSetting)))
        *offered = true;
      return main->m_nTrackMapState.load() == kTrackMapsDone;
    });
    return true;
  };
  auto mapsIn = [](CtessilarDlg& main) {
    return main.m_nTrackMapState.load() == kTrackMapsDone && Enabled(main, kIdUpload);
  };
  RunProgram(logInOnReadyList, mapsIn, [](CtessilarDlg&) {});
  *over = true;
  EXPECT_FALSE(*offered);
}

}  // namespace
