// The session list of the main window in a real window, from a SessionList.db
// written here: the category captions and their counts, the rows and columns
// of each category, the switching links, and uploaded rows that stay checked.
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "appcore/AppContext.h"
#include "appcore/Registry.h"
#include "appcore/RegistrySettings.h"
#include "appcore/SessionListDb.h"
#include "sport/SportProjMgr.h"
#include "tests/app/scripted_main_dlg.h"
#include "tests/common/env.h"
#include "tests/common/program_ui_env.h"
#include "tests/common/temp_dir.h"
#include "tools/projgen/SampleWorkspace.h"
#include "tools/standin-service/StandinService.h"
#include "uploader/CtessilarApp.h"
#include "uploader/CtessilarDlg.h"
#include "webclient/ApiClient.h"
#include "webclient/deploy.h"

namespace {

using namespace MainDlgIds;

struct Row {
  int32_t raceType;
  const char16_t* mName;
  int32_t startTime;
  int32_t respCode;
  const char16_t* nick;
};

// Newest first within each category; "Gone" has no track-map folder.
const Row kRows[] = {
    {kRaceEndurance, u"Fuji", 300, kRespNeverTried, u"Aki"}, {kRaceEndurance, u"Fuji", 100, kRespCannotAnalyse, u"Aki"},
    {kRaceEndurance, u"Gone", 200, kRespNeverTried, u"Aki"}, {kRaceSprint, u"Suzuka", 250, kRespUploaded, u"Ben"},
    {kRaceQualify, u"Fuji", 150, kRespFailed, u"Ben"},       {kRaceDrag, u"402 m", 120, kRespNeverTried, u"Aki"},
    {kRaceDrag, u"1/4 mile", 110, kRespNeverTried, u"Aki"},  {kRaceDataLog, u"Fuji", 90, kRespNeverTried, u"Ben"},
};

class SessionListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir;
    s_folders = std::make_unique<ScopedUserFolders>(s_dir->Path());
    const std::string workspace = s_dir->File("ws");
    std::filesystem::create_directories(workspace);
    SetWorkspaceLocation(CString::FromUtf8(workspace));

    // The two name-file encodings: 8-bit, and UTF-16LE with its mark.
    const std::string maps = s_dir->File("Documents/Pelmora/TrackMap/");
    std::filesystem::create_directories(maps + "Fuji");
    std::ofstream(maps + "Fuji/Fuji.txt") << "id\r\n7\r\nname\r\nFuji Speedway\r\nname\r\nnot this\r\n";
    std::filesystem::create_directories(maps + "Suzuka");
    std::ofstream utf16(maps + "Suzuka/Suzuka.txt", std::ios::binary);
    for (char16_t c : std::u16string(u"\uFEFFname\r\n\u9234\u9e7f\r\n")) utf16.put(char(c & 0xFF)).put(char(c >> 8));
    utf16.close();

    SessionListDb db;
    ASSERT_TRUE(
        db.Create(CString::FromUtf8(workspace).Str(), CString::FromUtf8(s_dir->File("Documents/Pelmora")).Str()));
    std::vector<SessionSummary> rows(std::size(kRows));
    for (size_t i = 0; i < rows.size(); ++i) {
      SessionSummary& s = rows[i];
      s.raceType = kRows[i].raceType;
      s.mName = kRows[i].mName;
      s.startTime = kRows[i].startTime;
      s.nickName = kRows[i].nick;
      s.folder.Format(u"track%d", static_cast<int>(i));
      s.startDateTime = u"2026/05/01  10:00";
      s.strBestLapTime = u"01:02.500";
      s.bestLap = 3;
      s.laps = 12;
      s.duration = 3723.9;
      s.desc = u"note";
    }
    ASSERT_TRUE(db.Sync(rows.data(), static_cast<int32_t>(rows.size())));
    for (size_t i = 0; i < rows.size(); ++i) {
      if (kRows[i].respCode == kRespNeverTried) continue;
      ASSERT_TRUE(db.SetRespCode(static_cast<int32_t>(i) + 1, kRows[i].respCode));
    }
  }
  static void TearDownTestSuite() {
    s_folders.reset();
    delete s_dir;
  }

  static std::vector<CString> Column(CListCtrl& list, int column) {
    std::vector<CString> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }
  static void Shoot(CDialog& d, const std::string& name) {
    UiTestPumpUntil([] { return false; }, 300);
    EXPECT_TRUE(UiTestSaveScreenshot(&d, ScreenshotPath(name))) << name;
  }

  static inline TempDir* s_dir = nullptr;
  static inline std::unique_ptr<ScopedUserFolders> s_folders;
};

TEST_F(SessionListTest, EachCategoryListsItsSessionsWithCaptionsAndCounts) {
  REQUIRE_UI();
  int messages = 0;
  CtessilarApp app;
  ScriptedMainDlg dlg(app.Context(), ScriptedMainDlg::kWrittenList, [&](ScriptedMainDlg& d) {
    d.RefreshSessionList();
    const std::pair<int, const char16_t*> captions[] = {
        {kIdCircuit, u"    Circuit Racing (4/5)"}, {kIdEndurance, u"        Endurance (2/3)"},
        {kIdSprint, u"        Sprint (1/1)"},      {kIdQualify, u"        Qualify (1/1)"},
        {kIdOther, u"        Other (0/0)"},        {kIdDrag, u"    Drag Racing (0/2)"},
        {kIdDataLog, u"    Data Log (0/1)"},       {kIdRally, u"    Rally Racing (0/0)"},
    };
    for (const auto& [id, caption] : captions) EXPECT_EQ(ItemText(d, id), CString(caption)) << id;

    CListCtrl& list = d.List();
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(Column(list, 0), (std::vector<CString>{u"   1 ", u"   2 ", u"   3 ", u"   4 "}));
    EXPECT_EQ(Column(list, 1), (std::vector<CString>{u"", u"Upload success", u"Upload fail", u"Can't analyze"}));
    EXPECT_EQ(Column(list, 6),
              (std::vector<CString>{u"Fuji Speedway", u"\u9234\u9e7f", u"Fuji Speedway", u"Fuji Speedway"}));
    EXPECT_EQ(list.GetItemText(0, 2), CString(u"  Aki  "));
    EXPECT_EQ(list.GetItemText(0, 3), CString(u"  2026/05/01  10:00  "));
    EXPECT_EQ(list.GetItemText(0, 4), CString(u"  01:02.500 (03/12)  "));
    EXPECT_EQ(list.GetItemText(0, 5), CString(u"  01 : 02 : 03  "));
    EXPECT_EQ(list.GetItemText(0, 7), CString(u"note"));
    EXPECT_EQ(list.GetItemData(0), 1u);
    Shoot(d, "sessions_circuit");

    // Each link: the ids of its rows (the item data), in order, and whether
    // the upload message comes.
    const struct {
      int id;
      const char* shot;
      std::vector<DWORD_PTR> ids;
      bool message;
    } links[] = {
        {kIdEndurance, "sessions_endurance", {1, 2}, false},
        {kIdSprint, "sessions_sprint", {4}, false},
        {kIdQualify, "sessions_qualify", {5}, false},
        {kIdOther, "sessions_other", {}, false},
        {kIdDrag, "sessions_drag", {}, true},
        {kIdDataLog, "sessions_datalog", {}, true},
        {kIdRally, "sessions_rally", {}, true},
        {kIdCircuit, "sessions_circuit_again", {1, 4, 5, 2}, false},
    };
    // One watcher answers every message box while the links are clicked.
    auto watching = std::make_shared<bool>(true);
    auto seen = std::make_shared<int>(0);
    UiTestPoll([watching, seen]() {
      if (!*watching) return true;
      MessageBoxSeen box;
      if (!AnswerMessageBox(UiTestInnermostModal(), IDOK, &box)) return false;
      EXPECT_EQ(box.text, CString(u"This race type of session does not support to upload to Pelmora Web yet."));
      ++*seen;
      return false;
    });
    for (const auto& link : links) {
      const int before = *seen;
      UiTestClick(d.GetDlgItem(link.id));
      UiTestPumpUntil([&] { return !link.message || *seen > before; }, 3000);
      EXPECT_EQ(*seen - before, link.message ? 1 : 0) << link.shot;
      std::vector<DWORD_PTR> ids;
      for (int row = 0; row < list.GetItemCount(); ++row) ids.push_back(list.GetItemData(row));
      EXPECT_EQ(ids, link.ids) << link.shot;
      Shoot(d, link.shot);
      // A second click on the selected link changes nothing and asks nothing.
      const int again = *seen;
      UiTestClick(d.GetDlgItem(link.id));
      UiTestPumpUntil([] { return false; }, 100);
      EXPECT_EQ(*seen, again) << link.shot;
    }
    EXPECT_EQ(d.GetCategory(), 0);
    messages = *seen;
    *watching = false;
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(messages, 3);
}

TEST_F(SessionListTest, AnUploadedRowStaysCheckedAndOthersFollowTheUser) {
  REQUIRE_UI();
  CtessilarApp app;
  ScriptedMainDlg dlg(app.Context(), ScriptedMainDlg::kWrittenList, [&](ScriptedMainDlg& d) {
    d.RefreshSessionList();
    CListCtrl& list = d.List();
    ASSERT_EQ(list.GetItemCount(), 4);
    for (int row = 0; row < 4; ++row) {
      UiTestToggleCheck(&list, row);  // checked
      EXPECT_TRUE(list.GetCheck(row)) << row;
      UiTestToggleCheck(&list, row);  // unchecked, unless uploaded
      UiTestPumpUntil([] { return false; }, 50);
      const bool uploaded = list.GetItemData(row) == 4;
      EXPECT_EQ(list.GetCheck(row) != FALSE, uploaded) << row;
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

// The thread a login starts: the service's maps into the track-map table,
// their beacon files fetched.
TEST_F(SessionListTest, AfterLoginTheTrackMapThreadStoresTheServicesMapsAndTheirBeacons) {
  REQUIRE_UI();
  StandinOptions options;
  options.dataDir = s_dir->File("service");
  StandinService service(options);
  ASSERT_TRUE(service.Start());
  DeployValues values = BuiltInDeployValues();
  values.serviceBase = service.BaseUrl();
  ASSERT_TRUE(SetDeployValuesForTest(values));
  StandinAccount rider;
  rider.email = "rider@example.com";
  rider.password = "secret";
  rider.name = "Rider";
  ASSERT_GT(service.AddAccount(rider), 0);
  for (int32_t mapId : {12, 13}) {
    StandinBeacon beacon;
    beacon.width = mapId;
    ASSERT_TRUE(service.AddTrackMap({mapId, "O", mapId == 12 ? "Fuji" : "Suzuka", 100}, MakeBeaconFile({beacon})));
  }
  CtessilarApp app;
  AppContext& context = app.Context();
  std::atomic<int32_t> login{kLoginNone};
  ASSERT_TRUE(ApiLogin(login, CString::FromUtf8(rider.email), CString::FromUtf8(rider.password)));

  ScriptedMainDlg dlg(context, ScriptedMainDlg::kWrittenList, [&](ScriptedMainDlg& d) {
    EXPECT_EQ(d.m_nTrackMapState.load(), kTrackMapsIdle);
    ASSERT_TRUE(d.StartTrackMapRetrieval());
    EXPECT_TRUE(UiTestPumpUntil([&] { return d.m_nTrackMapState.load() == kTrackMapsDone; }));
    EXPECT_EQ(d.m_nTrackMapCount.load(), 2);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ResetDeployValues();

  EXPECT_EQ(context.TrackMaps().Count(), 2);
  EXPECT_EQ(context.TrackMaps().FindByName(u"Suzuka").mapId, 13);
  for (const char* name : {"Fuji", "Suzuka"})
    EXPECT_TRUE(std::filesystem::is_regular_file(s_dir->File("Documents/Pelmora/TransferDb/bcnx/") + name + ".bcnx"))
        << name;
}

// The program's start on a generated workspace: the workspace thread opens
// it (through the project's working copy), the drag types of the settings
// are loaded (a missing one as zeros), and at exit the working copy goes. An
// earlier run in the same process left its own drag types in the manager:
// this run reads only the stored ones.
TEST_F(SessionListTest, TheWorkspaceOpensWithTheStoredDragTypesAndItsWorkingCopyGoesAtExit) {
  REQUIRE_UI();
  // Settings and documents of its own, so that the suite's stay as they are.
  TempDir home;
  ScopedUserFolders folders(home.Path());
  CSportProjMgr* manager = CSportProjMgr::GetInstance();
  manager->ResetDragTypes();
  manager->AddDragType(1, 0.0f, 100.0f, 0);
  manager->DragTypesLoaded();
  const std::string workspace = home.File("generated");
  projgen::SampleOptions options;
  options.sessions = 3;
  ASSERT_TRUE(projgen::WriteSampleWorkspace(CString::FromUtf8(workspace).Str(), options));
  SetWorkspaceLocation(CString::FromUtf8(workspace));
  {
    CRegistry reg(kRegCreateKey);
    ASSERT_TRUE(reg.Open(u"Software\\Morvek Applications\\Pelmora\\OptionsSetting"));
    reg[u"DragRacingTypeNum"].SetDword(2);
    reg[u"DragRacingType_1"].SetString(CString(u"0 201.17 402.34 0"));
  }
  const std::string workingCopy = workspace + "/TransferDb/SportProjIndex";
  bool copySeen = false;
  CtessilarApp app;
  UiTestPoll([&]() {
    auto* main = static_cast<CtessilarDlg*>(app.m_pMainWnd);
    if (main == nullptr || main->GetSafeHwnd() == nullptr) return false;
    main->m_nStartupCountdown = -1;  // seen before the first tick: no login
    // Open: the first timer tick may have started the session scan already.
    if (main->m_nDbState.load() < kDbWorkspaceOpen) return false;
    EXPECT_FALSE(manager->GetTracks().empty());
    copySeen = std::filesystem::is_directory(workingCopy);
    manager->WaitForDragTypes();
    int index = -1;
    EXPECT_NE(manager->FindDragType(0, index, 0.20117, 0.40234), nullptr);
    EXPECT_EQ(index, 0);
    EXPECT_NE(manager->FindDragType(0, index, 0.0, 0.0), nullptr);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(manager->FindDragType(1, index, 0.0, 100.0), nullptr);
    main->SendMessage(WM_CLOSE);
    return true;
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(copySeen);
  EXPECT_FALSE(std::filesystem::exists(workingCopy));
  manager->ResetDragTypes();
}

}  // namespace
