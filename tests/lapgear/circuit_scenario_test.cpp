// A closed circuit of known shape driven for several laps: every lap and
// sector value is checked against values worked out from the geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "lap_gear_test_util.h"

using namespace lgtest;

namespace {

// The rectangle's lines, by sample position within a lap: start/finish on the
// south edge, S1 east, S2 north, S3 west. None falls on a sample.
constexpr double kSF = 200.3, kS1 = 500.9, kS2 = 800.7, kS3 = 1100.1;
constexpr double kLapSamples = 1200.0;

double SpeedOf(int k) { return k == 201 + 1200 ? 300.0 : 120.0 + 50.0 * std::sin(k * 0.37); }
double GxOf(int k) { return 0.2 + 0.3 * (k % 17) / 17.0; }
double GOf(int k) { return std::sqrt(GxOf(k) * GxOf(k) + 0.1 * 0.1 + 1.0); }

// Distance along the circuit from sample position s1 to s2 (s1 < s2, within
// one lap of each other): chords between the crossing points and the corners.
double RouteKm(const RectCircuit& t, double s1, double s2) {
  std::vector<CircuitLapGear::GeoPoint> pts{t.at(s1)};
  double cornerS = 0.0;
  for (int lap = 0; lap < 3; ++lap)
    for (int e = 0; e < 4; ++e) {
      cornerS = lap * kLapSamples + t.sampleOf(e, 0.0);
      if (cornerS > s1 && cornerS < s2) pts.push_back(t.corner(e));
    }
  pts.push_back(t.at(s2));
  double km = 0.0;
  for (size_t i = 1; i < pts.size(); ++i) km += refChordKm(pts[i - 1].lat, pts[i - 1].lon, pts[i].lat, pts[i].lon);
  return km;
}

struct Stats {
  double maxSpd = -1e9, minSpd = 1e9, maxG = -1e9, minG = 1e9, sumG = 0.0;
  int n = 0;
};

// Statistics of the points with ids first..last.
Stats StatsOf(int64_t first, int64_t last) {
  Stats s;
  for (int64_t id = first; id <= last; ++id) {
    const int k = static_cast<int>(id - 1);
    s.maxSpd = std::max(s.maxSpd, SpeedOf(k));
    s.minSpd = std::min(s.minSpd, SpeedOf(k));
    s.maxG = std::max(s.maxG, GOf(k));
    s.minG = std::min(s.minG, GOf(k));
    s.sumG += GOf(k);
    ++s.n;
  }
  return s;
}

// Id of the first point after the line at sample position s.
int64_t IdAfter(double s) { return static_cast<int64_t>(std::floor(s)) + 2; }

}  // namespace

TEST(LapGearScenario, RectangularCircuitWithThreeSplits) {
  const RectCircuit track;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", kSF), track.beaconAt(3, "S1", kS1),
                               track.beaconAt(3, "S2", kS2), track.beaconAt(3, "S3", kS3)};
  Recording<CircuitLapGear> run(beacons, 4);
  auto& [rec, gear] = run;
  // Three laps and the fourth up to its second split.
  const auto pts = track.sample(4500, SpeedOf, GxOf);
  testing::internal::CaptureStdout();
  feed(gear, pts);
  gear.stop();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // no error line

  ASSERT_EQ(rec.laps.size(), 3u);
  ASSERT_EQ(rec.sectors.size(), 3u * 4u + 2u);
  const std::vector<std::string> tail(rec.events.end() - 3, rec.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"sector 4/1", "sector 4/2", "abort 4"}));

  const double lines[] = {kSF, kS1, kS2, kS3, kSF + kLapSamples};
  for (int lap = 1; lap <= 3; ++lap) {
    SCOPED_TRACE("lap " + std::to_string(lap));
    const double base = (lap - 1) * kLapSamples;
    const LapRec& l = rec.laps[static_cast<size_t>(lap - 1)];
    EXPECT_EQ(l.id, lap);
    EXPECT_EQ(l.bFailed, 0);
    EXPECT_EQ(l.start_wp, IdAfter(base + kSF));
    EXPECT_EQ(l.finish_wp, IdAfter(base + kSF + kLapSamples));
    EXPECT_NEAR(l.start_inter_lat, track.at(kSF).lat, 1e-9);
    EXPECT_NEAR(l.start_inter_lon, track.at(kSF).lon, 1e-9);
    EXPECT_NEAR(l.finish_inter_lon, track.at(kSF).lon, 1e-9);
    EXPECT_NEAR(l.duration, kLapSamples * kDt, 1e-6);
    EXPECT_NEAR(l.distance, RouteKm(track, kSF, kSF + kLapSamples), 1e-6);
    EXPECT_NEAR(l.AvgSpd, l.distance / (l.duration / 3600.0), 1e-9);

    const Stats ls = StatsOf(l.start_wp, l.finish_wp);
    EXPECT_EQ(l.MaxSpd, ls.maxSpd);
    EXPECT_EQ(l.MinSpd, ls.minSpd);
    EXPECT_NEAR(l.MaxG, ls.maxG, 1e-12);
    EXPECT_NEAR(l.MinG, ls.minG, 1e-12);
    EXPECT_NEAR(l.AvgG, ls.sumG / ls.n, 1e-12);

    const auto secs = rec.sectorsOfLap(lap);
    ASSERT_EQ(secs.size(), 4u);
    double durations = 0.0, distances = 0.0;
    for (size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE("sector " + std::to_string(i + 1));
      const SectorRec& s = secs[i];
      EXPECT_EQ(s.id, static_cast<int32_t>(i + 1));
      EXPECT_EQ(s.start_wp, IdAfter(base + lines[i]));
      EXPECT_EQ(s.finish_wp, IdAfter(base + lines[i + 1]));
      const auto from = track.at(lines[i]), to = track.at(lines[i + 1]);
      EXPECT_NEAR(s.start_inter_lat, from.lat, 1e-9);
      EXPECT_NEAR(s.start_inter_lon, from.lon, 1e-9);
      EXPECT_NEAR(s.finish_inter_lat, to.lat, 1e-9);
      EXPECT_NEAR(s.finish_inter_lon, to.lon, 1e-9);
      EXPECT_NEAR(s.duration, (lines[i + 1] - lines[i]) * kDt, 1e-6);
      EXPECT_NEAR(s.distance, RouteKm(track, lines[i], lines[i + 1]), 1e-6);
      EXPECT_NEAR(s.AvgSpd, s.distance / (s.duration / 3600.0), 1e-9);
      // A sector holds the points after its start point up to its finish point.
      const Stats ss = StatsOf(s.start_wp + 1, s.finish_wp);
      EXPECT_EQ(s.MaxSpd, ss.maxSpd);
      EXPECT_EQ(s.MinSpd, ss.minSpd);
      EXPECT_NEAR(s.MaxG, ss.maxG, 1e-12);
      EXPECT_NEAR(s.MinG, ss.minG, 1e-12);
      EXPECT_NEAR(s.AvgG, ss.sumG / ss.n, 1e-12);
      durations += s.duration;
      distances += s.distance;
    }
    EXPECT_NEAR(durations, l.duration, 1e-9);
    EXPECT_NEAR(distances, l.distance, 1e-12);
  }

  // The point after the start/finish crossing ends lap 1 and begins lap 2:
  // it is in both laps and in the last sector of lap 1, not the first of lap 2.
  EXPECT_EQ(rec.laps[0].finish_wp, 1402);
  EXPECT_EQ(rec.laps[1].start_wp, 1402);
  EXPECT_EQ(rec.laps[0].MaxSpd, 300.0);
  EXPECT_EQ(rec.laps[1].MaxSpd, 300.0);
  EXPECT_EQ(rec.sectorsOfLap(1)[3].MaxSpd, 300.0);
  EXPECT_LT(rec.sectorsOfLap(2)[0].MaxSpd, 300.0);
}
