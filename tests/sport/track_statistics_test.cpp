#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sport/TrackPoints.h"
#include "sport/TrackStatistics.h"
#include "tests/sport/sport_project.h"
#include "trackdb/tgvGeometry.h"

namespace {

// The track library's sphere: km per degree of a great circle.
constexpr double kKmPerDegree = 60.0 * 1.1515 * 1.609344;
constexpr int64_t kSecond = 10000000;

// One point of a track along a meridian.
struct Step {
  double km;  // along the track from the first point
  double alt;
  double speed;
  double secs;  // since the first point
  bool logged = true;
};

class TrackStatisticsTest : public SportProjectTest {
 protected:
  // Writes the track as a point line, reopens and collects its points.
  void Load(const std::vector<Step>& steps) {
    std::vector<projgen::Sample> samples;
    for (const Step& s : steps)
      samples.push_back(
          {45.0 + s.km / kKmPerDegree, 10.0, s.alt, s.speed, m_t0 + static_cast<uint64_t>(s.secs * kSecond), s.logged});
    const uint32_t id = m_gen.AddPointLine(u"track", samples, true)->GetId();
    Reopen();
    Find<tgvLine_C>(tgvUT_Line, id)->CollectPoints(&m_points, false, -1);
  }
  TrackStatistics Stats(double length, int64_t seconds) {
    TrackStatistics s;
    EXPECT_TRUE(ComputeStatisticsOfPoints(m_points, length, m_t0, m_t0 + seconds * kSecond, &s));
    return s;
  }

  const uint64_t m_t0 = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
  PtrList_C m_points;
};

// 150 m steps, 10 s apart: grade stretches close every second point (300 m
// from their start). Stretch means 100, 110, 120, 110 m.
std::vector<Step> Hill(double speed) {
  const double alts[] = {100, 100, 110, 110, 120, 120, 110, 110, 130};
  std::vector<Step> steps;
  for (int k = 0; k < 9; ++k) steps.push_back({0.15 * k, alts[k], speed, 10.0 * k});
  return steps;
}

TEST_F(TrackStatisticsTest, EntriesOfAKnownTrack) {
  Load(Hill(54.0));
  int32_t n = 0;
  std::unique_ptr<TrackPointEntry[]> e = BuildTrackPointEntries(m_points, &n);
  ASSERT_EQ(n, 9);
  const double smoothed[] = {100, 100, 110, 110, 120, 120, 110, 110, 110};
  const double g = 10.0 * 100.0 / 300.0;
  const double grade[] = {0, 0, g, g, g, g, -g, -g, -g};
  const double ascent[] = {0, 0, 10, 10, 20, 20, 20, 20, 20};
  const double descent[] = {0, 0, 0, 0, 0, 0, 10, 10, 10};
  PtrListNode_C* pos = m_points.GetHeadPosition();
  for (int k = 0; k < n; ++k) {
    EXPECT_EQ(e[k].point, PtrList_C::GetNext(pos)) << k;
    EXPECT_NEAR(e[k].distance, 0.15 * k, 1e-9) << k;
    EXPECT_EQ(e[k].time, k * 10 * kSecond) << k;
    EXPECT_EQ(e[k].speed, 54.0) << k;
    EXPECT_EQ(e[k].stretchEnd, k > 0 && k % 2 == 0) << k;
    EXPECT_DOUBLE_EQ(e[k].smoothedAltitude, smoothed[k]) << k;
    EXPECT_NEAR(e[k].grade, grade[k], 1e-6) << k;
    EXPECT_DOUBLE_EQ(e[k].ascent, ascent[k]) << k;
    EXPECT_DOUBLE_EQ(e[k].descent, descent[k]) << k;
  }
}

// A stretch ends at the first point more than 200 m in a straight line from
// its start: on a straight run, right after a jump of 500 m over a point
// without a position, and on a zigzag whose path runs ahead of the straight
// distance.
TEST_F(TrackStatisticsTest, StretchesEndByTheStraightDistanceFromTheirStart) {
  std::vector<projgen::Sample> samples;
  for (int k = 0; k < 120; ++k) {
    const double north = k <= 7 ? 0.03 * k : 0.71 + 0.02 * (k - 9);  // km; point 7 ends the first stretch
    samples.push_back({k == 8 ? 999.0 : 45.0 + north / kKmPerDegree, 10.0 + (k > 9 ? (k % 2) * 0.0005 : 0.0), 100.0 + k,
                       50.0, m_t0 + static_cast<uint64_t>(k) * kSecond, true});
  }
  const uint32_t id = m_gen.AddPointLine(u"zigzag", samples, true)->GetId();
  Reopen();
  Find<tgvLine_C>(tgvUT_Line, id)->CollectPoints(&m_points, false, -1);
  int32_t n = 0;
  std::unique_ptr<TrackPointEntry[]> e = BuildTrackPointEntries(m_points, &n);
  ASSERT_EQ(n, 120);
  auto valid = [&](int k) { return samples[k].lat <= 90.0; };
  int ends = 0;
  for (int a = 0, i = 1; i < n; ++i) {
    const double d = valid(a) && valid(i)
                         ? GreatCircleDistanceKm(samples[a].lon, samples[a].lat, samples[i].lon, samples[i].lat)
                         : 0.0;
    const bool end = d > kGradeStretchKm || i == n - 1;
    EXPECT_EQ(e[i].stretchEnd, end) << i;
    if (end) a = i, ++ends;
  }
  EXPECT_GT(ends, 8);
  EXPECT_TRUE(e[7].stretchEnd && e[9].stretchEnd) << "the jump ends the stretch at once";
}

TEST_F(TrackStatisticsTest, StatisticsOfAKnownTrack) {
  std::vector<Step> steps = Hill(54.0);
  steps[3].speed = 70.0;
  steps[5].speed = 3500.0;  // no real speed: not a maximum, but moving
  Load(steps);
  const TrackStatistics s = Stats(1.2, 80);
  struct Want {
    const char* name;
    double got, want;
  } doubles[] = {
      {"totalDistance", s.totalDistance, 1.2},
      {"averageSpeed", s.averageSpeed, 54.0},
      {"averageMovingSpeed", s.averageMovingSpeed, 54.0},
      {"maxSpeed", s.maxSpeed, 70.0},
      {"totalAscent", s.totalAscent, 20.0},
      {"totalDescent", s.totalDescent, 10.0},
      // First stretch walked: from the second point, rising 10 m over 150 m.
      {"ascentDist", s.ascentDist, 0.15},
      {"descentDist", s.descentDist, 0.0},
      {"flatDist", s.flatDist, 0.9},
      {"ascentSpeed", s.ascentSpeed, 54.0},
      {"descentSpeed", s.descentSpeed, 0.0},
      {"flatSpeed", s.flatSpeed, 54.0},
      {"avgAscentVerticalSpeed", s.avgAscentVerticalSpeed, 20.0 * 60.0 / 10.0},
      {"avgDescentVerticalSpeed", s.avgDescentVerticalSpeed, 0.0},
      {"maxAscentVerticalSpeed", s.maxAscentVerticalSpeed, 10.0 * 60.0 / 10.0},
      {"maxDescentVerticalSpeed", s.maxDescentVerticalSpeed, 10.0 * 60.0 / 20.0},
      {"overallGrade", s.overallGrade, 30.0 * 100.0 / 1200.0},
      {"avgAscentGrade", s.avgAscentGrade, 20.0 * 100.0 / 450.0},
      {"avgDescentGrade", s.avgDescentGrade, -10.0 * 100.0 / 300.0},
      {"startElevation", s.startElevation, 100.0},
      {"endElevation", s.endElevation, 130.0},
      {"maxElevation", s.maxElevation, 130.0},
      {"minElevation", s.minElevation, 100.0},
      {"maxAscentGrade", s.maxAscentGrade, 10.0 * 100.0 / 150.0},
      {"maxDescentGrade", s.maxDescentGrade, -10.0 * 100.0 / 300.0},
  };
  for (const Want& w : doubles) EXPECT_NEAR(w.got, w.want, 1e-6) << w.name;
  EXPECT_EQ(s.startTime, m_t0);
  EXPECT_EQ(s.endTime, m_t0 + 80 * kSecond);
  EXPECT_EQ(s.totalTime, 80 * kSecond);
  EXPECT_EQ(s.totalMovingTime, 80 * kSecond);
  EXPECT_EQ(s.totalStoppedTime, 0);
  EXPECT_EQ(s.ascentTime, 10 * kSecond);
  EXPECT_EQ(s.descentTime, 0);
  EXPECT_EQ(s.flatTime, 60 * kSecond);
}

bool AllFinite(const TrackStatistics& s) {
  const double values[] = {s.totalDistance,
                           s.averageSpeed,
                           s.averageMovingSpeed,
                           s.maxSpeed,
                           s.totalAscent,
                           s.totalDescent,
                           s.ascentDist,
                           s.descentDist,
                           s.flatDist,
                           s.ascentSpeed,
                           s.descentSpeed,
                           s.flatSpeed,
                           s.avgAscentVerticalSpeed,
                           s.avgDescentVerticalSpeed,
                           s.maxAscentVerticalSpeed,
                           s.maxDescentVerticalSpeed,
                           s.overallGrade,
                           s.avgAscentGrade,
                           s.avgDescentGrade,
                           s.startElevation,
                           s.endElevation,
                           s.maxElevation,
                           s.minElevation,
                           s.maxAscentGrade,
                           s.maxDescentGrade};
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

TEST_F(TrackStatisticsTest, StandingGapsAndUnloggedTracksGiveFiniteStatistics) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    double length;
    int64_t seconds;  // end - start
    int64_t moving, stopped, flat;
    double maxAscentRate, ascent;
  };
  std::vector<Step> gap = Hill(54.0);
  gap[7].secs += 200;
  gap[8].secs += 200;
  std::vector<Step> unlogged = Hill(54.0);
  for (Step& s : unlogged) s.logged = false;
  const Case cases[] = {
      // Standing still with the altimeter drifting: the last stretch covers no
      // distance, its grade is 0, not 0/0.
      {"standing",
       {{0, 100, 10, 0}, {0.3, 100, 0, 10}, {0.3, 104, 0, 20}, {0.3, 108, 0, 30}},
       0.3,
       30,
       10 * kSecond,
       20 * kSecond,
       0,
       0.0,
       2.0},
      // Creeping up the hill: no stretch moves a second, so none has a
      // vertical rate; the first step counts as neither.
      {"creeping", Hill(0.5), 1.2, 80, 10 * kSecond, 70 * kSecond, 0, 0.0, 20.0},
      // A step over 120 s is stopped whatever the speed.
      {"gap", gap, 1.2, 280, 70 * kSecond, 210 * kSecond, 50 * kSecond, 60.0, 20.0},
      // No log records: no times, no speeds.
      {"unlogged", unlogged, 1.2, 0, 0, 0, 0, 0.0, 20.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_points.RemoveAll();
    Restart();
    Load(c.steps);
    const TrackStatistics s = Stats(c.length, c.seconds);
    EXPECT_TRUE(AllFinite(s));
    EXPECT_EQ(s.totalMovingTime, c.moving);
    EXPECT_EQ(s.totalStoppedTime, c.stopped);
    EXPECT_EQ(s.flatTime, c.flat);
    EXPECT_DOUBLE_EQ(s.maxAscentVerticalSpeed, c.maxAscentRate);
    EXPECT_DOUBLE_EQ(s.totalAscent, c.ascent);
    int32_t n = 0;
    std::unique_ptr<TrackPointEntry[]> e = BuildTrackPointEntries(m_points, &n);
    for (int32_t k = 0; k < n; ++k) {
      EXPECT_TRUE(std::isfinite(e[k].grade)) << k;
      if (!c.steps[k].logged) {
        EXPECT_EQ(e[k].time, 0) << k;
      }
    }
  }
}

TEST_F(TrackStatisticsTest, SteepStretchesAndSunkenAltitudesAreNotMeasurements) {
  // Ten times the hill: stretches of 33 % and steeper.
  std::vector<Step> steep = Hill(54.0);
  for (Step& st : steep) st.alt = 10 * (st.alt - 100);
  Load(steep);
  int32_t n = 0;
  std::unique_ptr<TrackPointEntry[]> e = BuildTrackPointEntries(m_points, &n);
  for (int32_t k = 0; k < n; ++k) EXPECT_EQ(e[k].grade, 0.0) << k;
  TrackStatistics s = Stats(1.2, 80);
  EXPECT_EQ(s.maxAscentGrade, 0.0);
  EXPECT_NEAR(s.ascentDist, 0.45, 1e-9);

  std::vector<Step> sunken = Hill(54.0);
  for (Step& st : sunken) st.alt = -300;
  m_points.RemoveAll();
  Restart();
  Load(sunken);
  e = BuildTrackPointEntries(m_points, &n);
  EXPECT_EQ(e[0].altitude, 0.0);
  s = Stats(1.2, 80);
  EXPECT_EQ(s.minElevation, 100000.0);
  EXPECT_EQ(s.maxElevation, -300.0);
  EXPECT_EQ(s.startElevation, 0.0);
  EXPECT_EQ(s.endElevation, 0.0);
}

TEST_F(TrackStatisticsTest, EndBeforeStartIsOneHourAndNoPointsWriteNothing) {
  Load(Hill(54.0));
  TrackStatistics s;
  ASSERT_TRUE(ComputeStatisticsOfPoints(m_points, 1.2, m_t0 + 1, m_t0, &s));
  EXPECT_EQ(s.totalTime, 3600 * kSecond);
  PtrList_C none;
  s.maxSpeed = 7.0;
  EXPECT_FALSE(ComputeStatisticsOfPoints(none, 1.0, 0, 1, &s));
  EXPECT_EQ(s.maxSpeed, 7.0);
  int32_t n = 5;
  EXPECT_EQ(BuildTrackPointEntries(none, &n), nullptr);
  EXPECT_EQ(n, 0);
}

TEST_F(TrackStatisticsTest, LinesGiveTheirLengthAndTimesOrTheirPointsTimes) {
  std::vector<projgen::Sample> samples;
  for (const Step& s : Hill(54.0))
    samples.push_back(
        {45.0 + s.km / kKmPerDegree, 10.0, s.alt, s.speed, m_t0 + static_cast<uint64_t>(s.secs * kSecond)});
  std::vector<projgen::Sample> unlogged = samples;
  for (projgen::Sample& s : unlogged) s.logged = false;
  struct Case {
    const char* name;
    uint32_t id;
    uint64_t start, end;
  } cases[] = {
      {"t1/t2 stored", m_gen.AddPointLine(u"a", samples, true)->GetId(), m_t0, m_t0 + 80 * kSecond},
      {"no t1/t2: the first point's log time", m_gen.AddPointLine(u"b", samples, false)->GetId(), m_t0,
       m_t0 + 80 * kSecond},
      {"no log records", m_gen.AddPointLine(u"c", unlogged, false)->GetId(), 0, 0},
  };
  Reopen();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tgvLine_C* line = Find<tgvLine_C>(tgvUT_Line, c.id);
    TrackStatistics s;
    ASSERT_TRUE(ComputeTrackStatistics(line, &s));
    EXPECT_NEAR(s.totalDistance, 1.2, 1e-9);
    EXPECT_EQ(s.startTime, c.start);
    EXPECT_EQ(s.endTime, c.end);
    EXPECT_EQ(s.totalTime, static_cast<int64_t>(c.end - c.start));
    EXPECT_TRUE(AllFinite(s));
    int32_t n = 0;
    EXPECT_TRUE(BuildTrackPoints(line, &n));
    EXPECT_EQ(n, 9);
  }
  TrackStatistics untouched;
  untouched.maxSpeed = 3.0;
  EXPECT_FALSE(ComputeTrackStatistics(nullptr, &untouched));
  EXPECT_EQ(untouched.maxSpeed, 3.0);
}

TEST(GeneratedWorkspace, ALoggedCircuitGivesItsLapPaceAndDuration) {
  TempDir dir;
  const projgen::Circuit circuit;
  const uint64_t t0 = projgen::FileTimeOf(2024, 6, 1, 9, 0, 0);
  projgen::WorkspaceUser user{u"Driver", {}, {}};
  for (int hz : {10, 20})
    user.tracks.push_back({u"Run", {}, projgen::CircuitSamples(circuit, hz, 2 * circuit.lapSeconds, t0)});
  ASSERT_TRUE(projgen::WriteWorkspace(Utf8ToUtf16(dir.Path()), {user}, {}));
  // The ellipse's perimeter (Ramanujan), driven in lapSeconds.
  const double a = circuit.radiusNorthKm, b = circuit.radiusEastKm;
  const double lapKm = M_PI * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)));
  for (const char* file : {"Track1", "Track2"}) {
    SCOPED_TRACE(file);
    tgvProject_C points;
    tgvDocument_C* doc = points.Open(Utf8ToUtf16(dir.File(std::string("db.v5/") + file)).c_str(), tgvOpen_ReadOnly);
    ASSERT_TRUE(doc);
    PtrList_C lines;
    ASSERT_EQ(doc->GetLines(&lines, nullptr, true), 1u);
    TrackStatistics s;
    ASSERT_TRUE(ComputeTrackStatistics(static_cast<tgvLine_C*>(lines.GetHeadPosition()->value), &s));
    EXPECT_EQ(s.totalTime, static_cast<int64_t>(2 * circuit.lapSeconds * kSecond));
    EXPECT_NEAR(s.totalDistance, 2 * lapKm, 2 * lapKm * 1e-3);
    EXPECT_NEAR(s.averageMovingSpeed, lapKm / circuit.lapSeconds * 3600.0, 0.2);
    EXPECT_NEAR(s.maxElevation, circuit.baseAltitude + circuit.altitudeSwing, 0.01);
    // Means over 200 m stretches climb a little less than the points do.
    EXPECT_LE(s.totalAscent, 2 * circuit.altitudeSwing * 2);
    EXPECT_GT(s.totalAscent, 0.9 * 2 * circuit.altitudeSwing * 2);
    EXPECT_EQ(s.totalStoppedTime, 0);
  }
}

}  // namespace
