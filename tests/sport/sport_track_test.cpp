#include <gtest/gtest.h>

#include <functional>

#include "sport/SportTrack.h"
#include "tests/common/locale.h"
#include "tests/sport/sport_project.h"

namespace {

class SportTrackTest : public SportProjectTest {
 protected:
  // One track per field list; the tracks of the reopened file.
  std::vector<std::unique_ptr<CSportTrack>> Load(const std::vector<projgen::Fields>& tracks,
                                                 const std::u16string& name = u"Run") {
    std::vector<uint32_t> ids;
    for (const projgen::Fields& f : tracks) ids.push_back(m_gen.AddTrack(name, f)->GetId());
    Reopen();
    std::vector<std::unique_ptr<CSportTrack>> out;
    for (uint32_t id : ids) out.push_back(std::make_unique<CSportTrack>(Find<tgvLine_C>(tgvUT_Line, id)));
    return out;
  }
};

TEST_F(SportTrackTest, FieldsAreReadFromTheirStoredForms) {
  using Check = std::function<bool(const CSportTrack&)>;
  struct Case {
    const char* what;
    projgen::Fields fields;
    Check check;
  };
  const Case cases[] = {
      {"nothing stored: defaults",
       {},
       [](const CSportTrack& t) {
         return t.m_nSportType == 8 && t.m_nRacingType == 1 && t.m_nUserID == 0 && t.m_ftStart == 0 &&
                !t.m_bMarkedTrack && t.m_fCarWeight == 0.0f && t.m_strNote.IsEmpty() && t.GetTotalDistance() == 0.0;
       }},
      {"times as two signed halves",
       {{u"FieldStartTime", u"30819912 -1234567890"}, {u"FieldEndTime", u"30819912"}, {u"FieldUserID", u"12"}},
       [](const CSportTrack& t) {
         return t.m_ftStart == 132370517165997358ULL && t.m_ftEnd == 0 && t.m_nUserID == 12;
       }},
      {"numbers",
       {{u"VideoNum", u"3"},
        {u"CarWeight", u"1250.5"},
        {u"RacerWeight", u"72.25kg"},
        {u"DeviceModel", u"2"},
        {u"TrackMapDiffLat", u"0.000120"},
        {u"TrackMapDiffLon", u"-0.000250"},
        {u"FieldUserID", u"99999999999"}},
       [](const CSportTrack& t) {
         return t.m_nVideoNum == 3 && t.m_fCarWeight == 1250.5f && t.m_fRacerWeight == 72.25f &&
                t.m_nDeviceModel == 2 && t.m_dTrackMapDiffLat == 0.00012 && t.m_dTrackMapDiffLon == -0.00025 &&
                t.m_nUserID == INT32_MAX;
       }},
      {"texts",
       {{u"FieldNote", u"wet"},
        {u"MarkedTrackName", u"Fuji"},
        {u"Kt7CircuitType", u"full"},
        {u"Kt7DragStartWp", u"10 20"},
        {u"UsedBcn", u"Fuji GP"},
        {u"UsedManualBcn", u"m"}},
       [](const CSportTrack& t) {
         return t.m_strNote == u"wet" && t.m_strMarkedTrackName == u"Fuji" && t.m_strCircuitType == u"full" &&
                t.m_strDragStartWp == u"10 20" && t.m_strUsedBcn == u"Fuji GP" && t.m_strUsedManualBcn == u"m";
       }},
      {"flags are 1 only",
       {{u"MarkedTrack", u"1"}, {u"FieldImported", u"2"}, {u"FieldZELUploaded", u"0"}},
       [](const CSportTrack& t) { return t.m_bMarkedTrack && !t.m_bImported && !t.m_bZELUploaded; }},
      {"kinds by exact name",
       {{u"SportType", u"Car Racing"}, {u"RacingType", u"DragRacing"}},
       [](const CSportTrack& t) { return t.m_nSportType == 7 && t.m_nRacingType == 4; }},
      {"unknown kinds",
       {{u"SportType", u"Others"}, {u"RacingType", u"dragracing"}},
       [](const CSportTrack& t) { return t.m_nSportType == 8 && t.m_nRacingType == 1; }},
      {"the racing table's misspelt circuit",
       {{u"SportType", u"Cycling"}, {u"RacingType", u"CircuitOhter"}},
       [](const CSportTrack& t) { return t.m_nSportType == 0 && t.m_nRacingType == 3; }},
  };
  std::vector<projgen::Fields> fields;
  for (const Case& c : cases) fields.push_back(c.fields);
  CommaLocale comma;
  auto tracks = Load(fields);
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_TRUE(cases[i].check(*tracks[i])) << cases[i].what;
  EXPECT_EQ(tracks[0]->GetType(), 6);
}

TEST_F(SportTrackTest, SettersWriteTheStoredFormsThatReadBackAfterReopening) {
  const uint32_t id = m_gen.AddTrack(u"Run", {{u"FieldTotalTime", u"1"}})->GetId();
  Reopen();
  struct Case {
    const char16_t* key;
    std::function<void(CSportTrack&)> set;
    const char* text;
  };
  const Case cases[] = {
      {u"FieldTotalDistance", [](CSportTrack& t) { t.SetFieldDouble(u"FieldTotalDistance", 4.5631); }, "4.563100"},
      {u"TotalLapNumField", [](CSportTrack& t) { t.SetFieldInt(u"TotalLapNumField", -7); }, "-7"},
      {u"FieldStartTime", [](CSportTrack& t) { t.SetFieldTime(u"FieldStartTime", 132370517165997358ULL); },
       "30819912 -1234567890"},
      {u"FieldTotalTime", [](CSportTrack& t) { t.SetFieldDuration(u"FieldTotalTime", 15000000); }, "1500"},
      {u"D1", [](CSportTrack& t) { t.SetFieldDuration(u"D1", 4999); }, "0"},
      {u"D2", [](CSportTrack& t) { t.SetFieldDuration(u"D2", 5000); }, "1"},
      {u"D3", [](CSportTrack& t) { t.SetFieldDuration(u"D3", -14995000); }, "-1499"},
      // Beyond 24.8 days the milliseconds are clamped to the int32 range.
      {u"D4", [](CSportTrack& t) { t.SetFieldDuration(u"D4", INT64_MAX); }, "2147483647"},
      {u"D5", [](CSportTrack& t) { t.SetFieldDuration(u"D5", INT64_MIN); }, "-2147483648"},
  };
  {
    CommaLocale comma;
    CSportTrack track(Find<tgvLine_C>(tgvUT_Line, id));
    for (const Case& c : cases) c.set(track);
  }
  SaveAndReopen();
  CSportTrack track(Find<tgvLine_C>(tgvUT_Line, id));
  for (const Case& c : cases) EXPECT_EQ(track.GetFieldText(c.key).ToUtf8(), c.text) << c.text;
  int64_t d = -1;
  EXPECT_EQ(track.GetTotalTime(d), 15000000);
  EXPECT_EQ(track.GetFieldDuration(u"D4", d), 2147483647LL * 10000);
  EXPECT_EQ(track.GetFieldDuration(u"Missing", d), 0);
  EXPECT_DOUBLE_EQ(track.GetTotalDistance(), 4.5631);
  EXPECT_EQ(track.m_ftStart, 132370517165997358ULL);
  // One value per field: the second write replaced the generator's.
  PtrList_C values;
  EXPECT_EQ(m_db->SelectLinksInMemory(&values, tgvUT_Val, tgvUT_Line, id, 0, 0), std::size(cases));
}

TEST_F(SportTrackTest, TracksOfOneNameGetNumberedNamesInTheFile) {
  auto tracks = Load({{}, {}, {}});
  const char* names[] = {"Run", "Run(1)", "Run(2)"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CString(tracks[i]->m_pLine->GetName()).ToUtf8(), names[i]);
    EXPECT_EQ(CSportTrack::FindByName(CString::FromUtf8(names[i])), tracks[i].get());
  }
  const uint32_t third = tracks[2]->m_pLine->GetId();
  tracks.clear();
  EXPECT_EQ(CSportTrack::FindByName(u"Run"), nullptr);
  SaveAndReopen();
  EXPECT_EQ(std::u16string(Find<tgvLine_C>(tgvUT_Line, third)->GetName()), u"Run(2)");
}

TEST_F(SportTrackTest, LocalTimesShiftByTheTracksOwnZone) {
  const char16_t* start = u"30819912 -1234567890";
  auto tracks = Load({
      {{u"FieldStartTime", start}, {u"FieldEndTime", start}, {u"FieldTimeZone", u"-480"}, {u"FieldDST", u"1"}},
      {{u"FieldStartTime", start}, {u"FieldTimeZone", u"-480"}, {u"FieldDST", u"0"}},
      {{u"FieldStartTime", start}},
  });
  const uint64_t t = 132370517165997358ULL;
  const uint64_t hour = 36000000000ULL;
  const uint64_t want[] = {t + 9 * hour, t + 8 * hour, t};
  for (int i = 0; i < 3; ++i) {
    TrackTimes times;
    // Asked before GetTimeZone, as the session list does.
    tracks[i]->GetLocalTime(times, true);
    EXPECT_EQ(times.start, want[i]) << i;
    tracks[i]->GetLocalTime(times, false);
    EXPECT_EQ(times.start, t) << i;
  }
  TrackTimes both;
  EXPECT_EQ(tracks[0]->GetLocalTime(both, true).end, t + 9 * hour);

  int32_t minutes = 77;
  bool dst = true;
  CString name = u"unchanged";
  tracks[2]->GetTimeZone(minutes, dst, name);
  EXPECT_EQ(minutes, 77);
  EXPECT_EQ(name, u"unchanged");
  tracks[2]->SetTimeZone(60, false, u"W. Europe Standard Time");
  EXPECT_EQ(tracks[2]->GetFieldText(u"FieldDST"), u"0");
  tracks[2]->GetTimeZone(minutes, dst, name);
  EXPECT_EQ(minutes, 60);
  EXPECT_FALSE(dst);
  EXPECT_EQ(name, u"W. Europe Standard Time");
  TrackTimes times;
  EXPECT_EQ(tracks[2]->GetLocalTime(times, true).start, t - hour);
}

TEST_F(SportTrackTest, DragSettingsComeFromTheirFields) {
  auto tracks = Load({
      {{u"RacingType", u"DragRacing"},
       {u"FieldDragType", u"2"},
       {u"FieldDragIsDistance", u"0"},
       {u"FieldDragDistanceStart", u"0.018"},
       {u"FieldDragDistance", u"0.402"}},
      {{u"RacingType", u"Sprint"}},
  });
  int32_t kind = -1;
  bool isDistance = false;
  double start = -1, end = -1;
  EXPECT_TRUE(tracks[0]->GetDragSettingsByType(kind, start, end));
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(start, 0.018);
  EXPECT_EQ(end, 0.402);
  EXPECT_TRUE(tracks[0]->GetDragSettings(isDistance, start, end));
  EXPECT_FALSE(isDistance);
  EXPECT_FALSE(tracks[1]->GetDragSettingsByType(kind, start, end));
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(end, 0.0);
  EXPECT_FALSE(tracks[1]->GetDragSettings(isDistance, start, end));
  EXPECT_TRUE(isDistance);
}

TEST_F(SportTrackTest, ALineWithoutAStyleGetsItsOwnOnce) {
  const uint32_t id = m_gen.AddTrack(u"Run", {})->GetId();
  Reopen();
  tgvStyle_C* style;
  {
    CSportTrack track(Find<tgvLine_C>(tgvUT_Line, id));
    ASSERT_TRUE(track.m_pStyle && track.m_pStyle->GetStyle());
    EXPECT_EQ(track.m_pStyle->GetType(), 0);
    style = track.m_pStyle->GetStyle();
    EXPECT_EQ(std::u16string(style->GetName()), u"Line_" + Utf8ToUtf16(std::to_string(id)));
  }
  const uint32_t styleId = style->GetId();
  SaveAndReopen();
  CSportTrack again(Find<tgvLine_C>(tgvUT_Line, id));
  EXPECT_EQ(again.m_pStyle->GetStyle()->GetId(), styleId);
}

TEST_F(SportTrackTest, TracksOfAGeneratedWorkspaceKnowTheirUserAndPointDatabase) {
  projgen::WorkspaceUser user{u"Driver", {}, {}};
  user.tracks.push_back({u"Run", {{u"RacingType", u"Qualify"}}, projgen::CircuitSamples({}, 20, 5.0, 0)});
  user.tracks.push_back({u"Run", {{u"FieldTrackFile", u"own"}}, projgen::CircuitSamples({}, 10, 5.0, 0)});
  ASSERT_TRUE(projgen::WriteWorkspace(Folder(), {user}, {}));
  tgvProject_C project;
  tgvDocument_C* doc = project.Open((Folder() + u"/db.v5/SportProjIndex").c_str());
  ASSERT_TRUE(doc);
  PtrList_C lines, users;
  ASSERT_EQ(doc->GetLines(&lines, nullptr, true), 2u);
  ASSERT_EQ(doc->GetPOIs(&users, nullptr, GeoBox_C()), 1u);
  const uint32_t userId = static_cast<tgvPOI_C*>(users.GetHeadPosition()->value)->GetId();
  const char* files[] = {"Track1", "own"};
  PtrListNode_C* pos = lines.GetHeadPosition();
  for (const char* file : files) {
    CSportTrack track(static_cast<tgvLine_C*>(PtrList_C::GetNext(pos)));
    EXPECT_EQ(track.m_nUserID, static_cast<int32_t>(userId));
    EXPECT_EQ(track.GetTrackFile().ToUtf8(), file);
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("db.v5/" + track.GetTrackFile().ToUtf8() + "/bruser.brx")));
  }
}

}  // namespace
