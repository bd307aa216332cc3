// Laps, sectors and drag runs measured on the generated workspace's tracks,
// against values worked out from how the tracks were generated.
#include <cmath>
#include <cstring>
#include <numbers>

#include "lapgear/LapGear.h"
#include "sport/SportLapAnalysis.h"
#include "sport/SportLapMeasure.h"
#include "sport/SportLapPoint.h"
#include "sport/SportLapValue.h"
#include "sport/SportUser.h"
#include "sport/TrackPoints.h"
#include "tests/sport/sport_workspace.h"
#include "tools/projgen/SampleWorkspace.h"

namespace {

using sportws::SportWorkspaceTest;

double Seconds(const TrackTimes& t) { return static_cast<double>(TimeSpan(t)) / 1e7; }
double SecondsAfter(uint64_t t, uint64_t origin) { return static_cast<double>(static_cast<int64_t>(t - origin)) / 1e7; }

TEST(ChordDistance, AgreesWithTheLapEngineToTheBit) {
  const double cases[][4] = {{35.37, 138.93, 35.371, 138.931},
                             {-33.9, 151.2, -33.95, 151.1},
                             {0.0, 0.0, 0.0, 0.0},
                             {89.9, -179.9, 89.8, 179.9}};
  for (const auto& c : cases) {
    const double ours = CalcChordDistance(c[1], c[0], c[3], c[2]);
    const double engine = LapGear::calcDistance(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(std::memcmp(&ours, &engine, sizeof ours), 0) << c[0];
  }
}

TEST_F(SportWorkspaceTest, CircuitLapsAreCutAtTheLineWithTheirSectors) {
  Open();
  struct Case {
    const char16_t* track;
    size_t laps;
  } cases[] = {{u"Sprint", 2}, {u"Endurance", 3}, {u"Qualify", 0}};
  const double perimeter =
      std::numbers::pi * (3 * (0.6 + 0.9) - std::sqrt((3 * 0.6 + 0.9) * (0.6 + 3 * 0.9)));  // the ellipse's, km
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.track));
    CSportTrack* track = FindTrack(c.track);
    ASSERT_NE(track, nullptr);
    CSportLapAnalysis* a = track->GetLapAnalysis();
    ASSERT_EQ(a->Analyze(), static_cast<int32_t>(c.laps));
    for (const auto& lap : a->Laps()) {
      EXPECT_NEAR(Seconds(a->GetLapTimes(*lap)), sportws::kCircuit.lapSeconds, 0.002);
      EXPECT_NEAR(a->GetLapDistance(*lap), perimeter, perimeter * 0.002);
      // The sector line half way round, then the finish.
      ASSERT_EQ(lap->m_lstSplits.GetCount(), 2u);
      EXPECT_EQ(lap->m_lstSplits.GetHead()->m_pLapPoint->m_strNumber, u"1");
    }
    // The first lap starts at the first crossing, 99.975 s into the session.
    if (c.laps > 0) {
      const TrackTimes first = a->GetLapTimes(*a->Laps()[0]);
      EXPECT_NEAR(SecondsAfter(first.start, track->m_ftStart), 99.975, 0.002);
    }
    // Running again with nothing changed keeps the laps.
    const CSportLapValue* kept = c.laps ? a->Laps()[0].get() : nullptr;
    a->Analyze();
    EXPECT_EQ(c.laps ? a->Laps()[0].get() : nullptr, kept);
  }
  // The line had no heading: it gets the side the car crosses from (north).
  CSportLapPoint* line = CSportProjMgr::GetInstance()->GetLapPoints()[0];
  EXPECT_NEAR(line->m_dHeading, 0.0 + 360.0 * (line->m_dHeading > 180.0), 1.0);
  EXPECT_EQ(line->GetText(u"BCN_HEADING").IsEmpty(), false);
}

TEST_F(SportWorkspaceTest, LapSummaryHonoursIgnoredLapsAndTheEarlierOfEqualLaps) {
  Open();
  CSportTrack* track = FindTrack(u"Endurance");
  // The summary getters compute the statistics of a track that has none yet.
  ASSERT_TRUE(track->GetFieldText(u"TotalLapNumField").IsEmpty());
  EXPECT_EQ(track->GetTotalLapNum(), 3);
  EXPECT_EQ(track->GetFieldText(u"TotalLapNumField"), u"3");
  EXPECT_EQ(track->GetFieldText(u"FastestLapNoField").IsEmpty(), false);
  int64_t best = -1;
  int32_t bestNo = 0;
  EXPECT_EQ(&track->GetFastestLap(best, bestNo), &best);
  EXPECT_GE(bestNo, 1);
  EXPECT_EQ(track->GetFieldText(u"FastestLapNoField"), CString(std::u16string(1, char16_t(u'0' + bestNo)).c_str()));
  EXPECT_NEAR(static_cast<double>(best) / 1e7, sportws::kCircuit.lapSeconds, 0.05);
  track->SetFieldInt(u"IgnoreLap2", 1);
  track->ApplyIgnoredLaps();
  EXPECT_EQ(track->GetFieldText(u"TotalLapNumField"), u"2");
  int64_t total = 0;
  track->GetFieldDuration(u"FieldTotalTime", total);
  EXPECT_NEAR(static_cast<double>(total) / 1e7, 2 * sportws::kCircuit.lapSeconds, 0.01);
  const auto& laps = track->GetLapAnalysis()->Laps();
  EXPECT_TRUE(laps[1]->m_bIgnored);
  EXPECT_EQ(laps[2]->m_nIgnoredBefore, 1);
}

TEST_F(SportWorkspaceTest, DragRunsAreMeasuredFromTheLaunchOncePerStart) {
  Open();
  const double launch = 2.0;  // s at rest before the start
  const struct {
    const char16_t* track;
    double seconds;  // from the launch to the run's end
  } cases[] = {
      {u"DragSpeed", 100.0 / 3.6 / sportws::kAccel},                // 0-100 km/h
      {u"DragDistance", std::sqrt(2.0 * 100.0 / sportws::kAccel)},  // 100 m
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.track));
    CSportTrack* track = FindTrack(c.track);
    CSportLapAnalysis* a = track->GetLapAnalysis();
    // The car keeps accelerating past the end: still one run.
    ASSERT_EQ(a->Analyze(), 1);
    const TrackTimes t = a->GetLapTimes(*a->Laps()[0]);
    EXPECT_NEAR(SecondsAfter(t.start, track->m_ftStart), launch, 0.002);
    EXPECT_NEAR(Seconds(t), c.seconds, 0.02);
  }
  const CSportLapValue& quarter = *FindTrack(u"DragDistance")->GetLapAnalysis()->Laps()[0];
  ASSERT_EQ(quarter.m_lstSplits.GetCount(), 4u);
  EXPECT_EQ(quarter.m_lstSplits.GetTail()->m_strName, u"4/4");
}

// A stop from 180 km/h at 5 m/s^2 timed from 100 km/h down to 1.5 km/h (the
// end speed 0 is taken as 1.5), marked while still fast, or while standing
// before the launch that precedes the stop: the run is the stop either way.
TEST_F(SportWorkspaceTest, AFallingRunFromAMarkOpensWhereTheSpeedHasComeDownToTheStart) {
  const std::vector<projgen::Sample> launch = projgen::LaunchSamples(
      sportws::kCircuit.centerLat, sportws::kCircuit.centerLon, 10, 2.0, sportws::kAccel, 10.0, sportws::kDay);
  std::vector<projgen::Sample> stop(launch.rbegin(), launch.rend());
  for (size_t k = 0; k < stop.size(); ++k) stop[k].time = launch[k].time;
  // The launch, then the stop on along the same heading, an hour later.
  std::vector<projgen::Sample> launchAndStop = launch;
  const projgen::Sample top = launch.back();
  for (size_t k = 1; k < launch.size(); ++k) {
    projgen::Sample s = launch[launch.size() - 1 - k];
    s.lat = 2 * top.lat - s.lat;
    s.time = top.time + (launch[k].time - launch[0].time);
    launchAndStop.push_back(s);
  }
  for (projgen::Sample& s : launchAndStop) s.time += sportws::kHour;
  ASSERT_EQ(launch[5].speed, 0.0);  // the mark of the second track: standing
  const projgen::Fields drag = {{u"DeviceModel", u"2"},
                                {u"Kt7DragStartWp", u"5,"},
                                {u"FieldDragType", u"0"},
                                {u"FieldDragDistanceStart", u"100.000000"},
                                {u"FieldDragDistance", u"0.000000"}};
  ASSERT_TRUE(projgen::WriteWorkspace(Root(),
                                      {{u"D",
                                        {},
                                        {sportws::Track(u"Stop", u"DragRacing", stop, drag),
                                         sportws::Track(u"LaunchAndStop", u"DragRacing", launchAndStop, drag)}}},
                                      {}));
  ASSERT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceOk);
  for (const char16_t* name : {u"Stop", u"LaunchAndStop"}) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    CSportLapAnalysis* a = FindTrack(name)->GetLapAnalysis();
    ASSERT_EQ(a->Analyze(), 1);
    EXPECT_NEAR(Seconds(a->GetLapTimes(*a->Laps()[0])), (100.0 - 1.5) / 3.6 / sportws::kAccel, 0.002);
  }
}

TEST_F(SportWorkspaceTest, InterpolationsKeepThePointsOwnTimeWhereTheyWouldDivideByZero) {
  Open();
  CSportTrack* track = FindTrack(u"Sprint");  // steady speed throughout
  int32_t count = 0;
  TrackPointEntry* entries = track->GetTrackPoints(count);
  TrackPath path(entries, count);
  const double speed = path.At(10).speed;
  EXPECT_EQ(path.AcceleratingTime(10, 0, speed), path.At(10).time);
  EXPECT_EQ(path.SlowingTime(10, speed), path.At(10).time);
  EXPECT_EQ(path.AcceleratingTime(10, 0, 0.0), path.At(10).time);  // not at rest: no launch
  EXPECT_EQ(path.PathDistance(5, 5), 0.0);
  EXPECT_NEAR(path.PathDistance(count - 1, 0), 0.0, 1e-12);  // the rest of the line after the last point
  EXPECT_DOUBLE_EQ(PathDistance(path.At(0).wp, path.At(3).wp), path.PathDistance(0, 3));
}

// The real logger session at Fuji: its own beacons cut the laps at 145.982,
// 266.988 and 393.867 s of its clock (2:01.006 and 2:06.879); the analysis
// of the stored GPS track with a line across the timing point finds them.
TEST_F(SportWorkspaceTest, TheRealFujiSessionGivesTheLoggersOwnLapTimes) {
  using namespace projgen;
  const uint64_t start = FileTimeOf(2025, 12, 16, 2, 51, 10);  // 130 s on the logger's clock
  std::vector<Sample> real = ReadLoggerCsv(PM_TEST_DATA "/aim-fuji-sfj/session.csv", start);
  ASSERT_EQ(real.size(), 5601u);
  const Fields line = TimingLine(real, 35.37215, 138.92705, 0.02);
  ASSERT_TRUE(WriteWorkspace(Root(), {{u"CMD", {}, {sportws::Track(u"Fuji", u"Sprint", real)}}}, {line}));
  ASSERT_EQ(m_mgr->OpenWorkspace(Root().c_str()), kWorkspaceOk);
  CSportTrack* track = FindTrack(u"Fuji");
  ASSERT_NE(track, nullptr);
  CSportLapAnalysis* a = track->GetLapAnalysis();
  ASSERT_EQ(a->Analyze(), 2);
  const double beacons[] = {145.982, 266.988, 393.867};
  for (size_t k = 0; k < 2; ++k) {
    const TrackTimes t = a->GetLapTimes(*a->Laps()[k]);
    EXPECT_NEAR(SecondsAfter(t.start, start) + 130.0, beacons[k], 0.06);
    EXPECT_NEAR(Seconds(t), beacons[k + 1] - beacons[k], 0.06);
  }
}

}  // namespace
