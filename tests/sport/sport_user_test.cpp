// The track filter of a user, and the daylight-saving window of the zone
// rules in both hemispheres.
#include "platform/win32/timeutil.h"
#include "platform/win32/wstr.h"
#include "sport/SportUser.h"
#include "tests/sport/sport_workspace.h"

namespace {

using sportws::SportWorkspaceTest;

TEST_F(SportWorkspaceTest, TrackFilterNarrowsByUtcDateRangeAndSportType) {
  Open();
  PtrList_C users;
  m_mgr->GetUsers(CString(), users);
  auto* driver = static_cast<CSportUser*>(users.GetHeadPosition()->value);
  // The tracks start on 2024-06-01 between 09:00 and 15:00 UTC.
  struct Case {
    const char* name;
    TrackFilter filter;
    int32_t count;
  };
  auto byDate = [](int y, int m, int d) {
    TrackFilter f;
    f.bByDate = true, f.nYear = y, f.nMonth = m, f.nDay = d;
    return f;
  };
  auto byRange = [](int fy, int fm, int fd, int ty, int tm, int td) {
    TrackFilter f;
    f.bByRange = true, f.nFromYear = fy, f.nFromMonth = fm, f.nFromDay = fd;
    f.nToYear = ty, f.nToMonth = tm, f.nToDay = td;
    return f;
  };
  auto bySport = [](int flag) {
    TrackFilter f;
    f.bBySportType = true;
    f.abSportType[flag] = true;
    return f;
  };
  const Case cases[] = {
      {"no stage", TrackFilter{}, 7},
      {"the day", byDate(2024, 6, 1), 7},
      {"another day", byDate(2024, 6, 2), 0},
      {"range ending on the day", byRange(2024, 5, 31, 2024, 6, 1), 7},
      {"range after it", byRange(2024, 6, 2, 2024, 6, 3), 0},
      {"reversed range", byRange(2024, 6, 2, 2024, 5, 31), 0},
      {"car racing", bySport(7), 7},
      {"others", bySport(8), 0},
  };
  for (const Case& c : cases) {
    PtrList_C out;
    out.AddTail(nullptr);  // earlier elements are counted too
    EXPECT_EQ(driver->FindTracks(c.filter, out), c.count + 1) << c.name;
  }
}

TEST(DaylightSaving, TheWindowFollowsTheZoneRuleInBothHemispheres) {
  struct Case {
    const char* zone;
    int month, day, hour;
    bool dst;
  } cases[] = {
      {"Europe/Berlin", 7, 1, 12, true},     {"Europe/Berlin", 1, 15, 12, false},
      {"Europe/Berlin", 3, 31, 1, false},    {"Europe/Berlin", 3, 31, 3, true},  // last Sunday of March, 02:00
      {"Australia/Sydney", 1, 15, 12, true}, {"Australia/Sydney", 11, 20, 12, true},
      {"Australia/Sydney", 7, 1, 12, false}, {"America/Sao_Paulo", 1, 15, 12, false},
      {"Asia/Tokyo", 7, 1, 12, false},
  };
  for (const Case& c : cases) {
    ScopedEnv tz("TZ", c.zone);
    TIME_ZONE_INFORMATION tzi;
    GetTimeZoneRulesForYear(2024, &tzi);
    CalendarTime local;
    local.year = 2024, local.month = c.month, local.day = c.day, local.hour = c.hour;
    EXPECT_EQ(IsDaylightSavingAt(local, tzi), c.dst) << c.zone << " " << c.month << "/" << c.day;
  }
}

TEST_F(SportWorkspaceTest, StatisticsOfASouthernSummerTrackRecordDaylightSaving) {
  ScopedEnv tz("TZ", "Australia/Sydney");
  Open();
  const struct {
    const char16_t* track;
    const char16_t* storedZone;  // null: none stored
    const char16_t* dst;
    const char16_t* zone;  // FieldTimeZone afterwards
  } cases[] = {
      {u"Rally", u"-600", u"1", u"-600"},    // 15 January: summer there
      {u"Qualify", u"-600", u"0", u"-600"},  // 1 June: winter
      {u"Other", nullptr, u"0", u"-600"},    // the computer's bias
  };
  for (const auto& c : cases) {
    CSportTrack* track = FindTrack(c.track);
    ASSERT_NE(track, nullptr);
    if (c.storedZone) track->SetFieldInt(u"FieldTimeZone", WStrToInt(c.storedZone));
    track->ComputeStatistics();
    EXPECT_EQ(track->GetFieldText(u"FieldDST"), c.dst) << Utf16ToUtf8(c.track);
    EXPECT_EQ(track->GetFieldText(u"FieldTimeZone"), c.zone) << Utf16ToUtf8(c.track);
    EXPECT_EQ(track->GetFieldText(u"DBVersion"), u"0.108000");
  }
}

}  // namespace
