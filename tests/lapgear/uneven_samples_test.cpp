// Sessions of loggers that drop fixes: points 0.04 to 0.34 s apart, some of
// them exactly on a line. Lap and sector times are checked against the times
// at which the driven path crosses each line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lap_gear_test_util.h"

using namespace lgtest;

namespace {

constexpr double kLat0 = 35.3, kLon0 = 138.9;
constexpr double kSpeed = 30.0;  // m/s

// Metres east and north of (kLat0, kLon0).
struct Xy {
  double x, y;
};

// A loop from the origin and back: a long straight nearly east (the
// start/finish line faces 0.05 degrees off east), a bend north, a straight
// nearly west, and two legs back; `back` is the corner before the last leg.
std::vector<Xy> Loop(Xy back = {-50.0, 150.0}) {
  return {{600.0, 0.5}, {650.0, 300.0}, {100.0, 301.0}, back, {0.0, 0.0}};
}

double CompassOf(Xy from, Xy to) {
  const double h = std::atan2(to.x - from.x, to.y - from.y) * 180.0 / M_PI;
  return h < 0.0 ? h + 360.0 : h;
}

// A line across the leg from-to at fraction f of it, facing along the leg.
struct Line {
  Xy centre;
  double heading;
  int32_t width;

  BeaconRec Beacon(int32_t type, const char* name) const {
    return makeBeacon(type, name, kLat0 + metresToLat(centre.y), kLon0 + metresToLon(centre.x, kLat0), heading, width);
  }
};
Line Across(Xy from, Xy to, double f, int32_t width) {
  return Line{{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f}, CompassOf(from, to), width};
}

// A drive along a path of straight legs from the origin at kSpeed.
class Course {
 public:
  explicit Course(const std::vector<std::vector<Xy>>& loops) {
    m_path.push_back({0.0, 0.0});
    for (const auto& loop : loops) m_path.insert(m_path.end(), loop.begin(), loop.end());
    m_start.push_back(0.0);
    for (size_t i = 1; i < m_path.size(); ++i) m_start.push_back(m_start.back() + Length(i));
  }

  // Times at which the path crosses the line in its direction.
  std::vector<double> Crossings(const Line& line) const {
    const double h = line.heading * M_PI / 180.0;
    const Xy along{std::sin(h), std::cos(h)}, across{std::cos(h), -std::sin(h)};
    std::vector<double> times;
    for (size_t i = 1; i < m_path.size(); ++i) {
      const Xy p = m_path[i - 1], q = m_path[i];
      const Xy r{q.x - p.x, q.y - p.y}, w{line.centre.x - p.x, line.centre.y - p.y};
      const double den = r.x * across.y - r.y * across.x;
      if (den == 0.0 || r.x * along.x + r.y * along.y <= 0.0) continue;
      const double t = (w.x * across.y - w.y * across.x) / den;  // along the leg
      const double u = (w.x * r.y - w.y * r.x) / den;            // from the centre, metres
      if (t >= 0.0 && t < 1.0 && std::fabs(u) <= line.width / 2.0)
        times.push_back((m_start[i - 1] + t * Length(i)) / kSpeed);
    }
    return times;
  }

  // Points at steps of 0.04 to 0.34 s to the end of the path, one of them
  // exactly at each of the times pinned.
  std::vector<LogRec> Sample(uint64_t seed, std::vector<double> pinned) const {
    std::sort(pinned.begin(), pinned.end());
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> step(0.04, 0.34);
    const double end = m_start.back() / kSpeed;
    std::vector<LogRec> out;
    auto pin = pinned.begin();
    for (double t = 0.0; t <= end;) {
      Add(t, &out);
      double next = t + step(rng);
      while (pin != pinned.end() && *pin <= t) ++pin;
      if (pin != pinned.end() && *pin <= next) next = *pin++;
      t = next;
    }
    return out;
  }

 private:
  double Length(size_t i) const { return std::hypot(m_path[i].x - m_path[i - 1].x, m_path[i].y - m_path[i - 1].y); }

  void Add(double t, std::vector<LogRec>* out) const {
    const double d = t * kSpeed;
    size_t i = 1;
    while (i + 1 < m_path.size() && m_start[i] <= d) ++i;
    const Xy p = m_path[i - 1], q = m_path[i];
    const double f = (d - m_start[i - 1]) / Length(i);
    LogRec r{};
    r.id = static_cast<int64_t>(out->size()) + 1;
    r.lat = kLat0 + metresToLat(p.y + (q.y - p.y) * f);
    r.lon = kLon0 + metresToLon(p.x + (q.x - p.x) * f, kLat0);
    r.heading = CompassOf(p, q);
    r.speed = kSpeed * 3.6;
    r.time = 500.0 + t;
    r.Gx = 0.5;
    if (!out->empty()) r.distance = LapGear::calcDistance(out->back().lat, out->back().lon, r.lat, r.lon);
    out->push_back(r);
  }

  std::vector<Xy> m_path;
  std::vector<double> m_start;  // distance from the origin to each corner, m
};

// The first of times after t.
double NextAfter(const std::vector<double>& times, double t) {
  return *std::upper_bound(times.begin(), times.end(), t);
}

Recorder Record(const std::vector<BeaconRec>& beacons, const std::vector<LogRec>& points) {
  Recording<CircuitLapGear> run(beacons.data(), static_cast<int32_t>(beacons.size()));
  auto& [rec, gear] = run;
  feed(gear, points);
  gear.stop();
  return rec;
}

}  // namespace

TEST(LapGearUnevenSamples, LapAndSectorTimesFollowTheGeometry) {
  const std::vector<Xy> loop = Loop();
  const Course course(std::vector<std::vector<Xy>>(12, loop));
  const Line sf = Across({0.0, 0.0}, loop[0], 0.5, 30);  // 0.05 degrees off east
  const Line s1 = Across(loop[1], loop[2], 0.4, 30);     // 0.1 degrees off west
  const Line s2 = Across(loop[3], loop[4], 0.5, 30);
  const auto sfTimes = course.Crossings(sf), s1Times = course.Crossings(s1), s2Times = course.Crossings(s2);
  ASSERT_EQ(sfTimes.size(), 12u);
  // Every other lap has a point exactly on the start/finish line and on S1.
  std::vector<double> pinned;
  for (size_t k = 0; k < 12; k += 2) pinned.insert(pinned.end(), {sfTimes[k], s1Times[k]});
  const Recorder rec = Record({sf.Beacon(0, "SF"), s1.Beacon(3, "S1"), s2.Beacon(3, "S2")}, course.Sample(16, pinned));

  ASSERT_EQ(rec.laps.size(), 11u);
  for (size_t k = 0; k < 11; ++k) {
    SCOPED_TRACE("lap " + std::to_string(k + 1));
    EXPECT_NEAR(rec.laps[k].duration, sfTimes[k + 1] - sfTimes[k], 1e-3);
    const auto secs = rec.sectorsOfLap(static_cast<int32_t>(k + 1));
    ASSERT_EQ(secs.size(), 3u);
    const double t1 = NextAfter(s1Times, sfTimes[k]), t2 = NextAfter(s2Times, t1);
    EXPECT_NEAR(secs[0].duration, t1 - sfTimes[k], 1e-3);
    EXPECT_NEAR(secs[1].duration, t2 - t1, 1e-3);
    EXPECT_NEAR(secs[2].duration, sfTimes[k + 1] - t2, 1e-3);
  }
}

TEST(LapGearUnevenSamples, EveryLapHasSplitCountPlusOneSectors) {
  // S2 and S3 are short lines that a wider line through the last bend
  // passes by: lap 2 misses S3, lap 4 both; the finish adds their sectors blank.
  const std::vector<Xy> normal = Loop(), wide = Loop({-90.0, 150.0}), wider = Loop({-150.0, 150.0});
  const Course course({normal, wide, normal, wider, normal});
  const Line sf = Across({0.0, 0.0}, normal[0], 0.5, 30);
  const Line s1 = Across(normal[0], normal[1], 0.5, 30);
  const Line s2 = Across(normal[2], normal[3], 0.3, 20);
  const Line s3 = Across(normal[3], normal[4], 0.5, 6);
  const auto sfTimes = course.Crossings(sf), s1Times = course.Crossings(s1), s2Times = course.Crossings(s2);
  ASSERT_EQ(s2Times.size(), 4u);
  ASSERT_EQ(course.Crossings(s3).size(), 3u);
  const Recorder rec =
      Record({sf.Beacon(0, "SF"), s1.Beacon(3, "S1"), s2.Beacon(3, "S2"), s3.Beacon(3, "S3")}, course.Sample(7, {}));

  ASSERT_EQ(rec.laps.size(), 4u);
  const std::vector<std::vector<bool>> blank = {{false, false, false, false},
                                                {false, false, true, false},
                                                {false, false, false, false},
                                                {false, true, true, false}};
  for (int32_t lap = 1; lap <= 4; ++lap) {
    SCOPED_TRACE("lap " + std::to_string(lap));
    const auto secs = rec.sectorsOfLap(lap);
    ASSERT_EQ(secs.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(secs[i].id, static_cast<int32_t>(i + 1));
      SectorRec empty{};
      empty.id = secs[i].id;
      empty.lap_id = lap;
      EXPECT_EQ(std::memcmp(&secs[i], &empty, sizeof empty) == 0, blank[static_cast<size_t>(lap - 1)][i]) << i;
    }
    // The last sector runs from the last split crossed to the finish.
    const double start = sfTimes[static_cast<size_t>(lap - 1)], finish = sfTimes[static_cast<size_t>(lap)];
    double lastSplit = NextAfter(s1Times, start);
    if (!blank[static_cast<size_t>(lap - 1)][1]) lastSplit = NextAfter(s2Times, start);
    if (!blank[static_cast<size_t>(lap - 1)][2]) lastSplit = NextAfter(course.Crossings(s3), start);
    EXPECT_NEAR(secs[3].duration, finish - lastSplit, 1e-3);
    EXPECT_NEAR(rec.laps[static_cast<size_t>(lap - 1)].duration, finish - start, 1e-3);
  }
}

TEST(LapGearUnevenSamples, ALaterLapUnderFiveSecondsIsKept) {
  // After a full lap, a tight loop back over the line: about 3.3 s.
  const std::vector<Xy> loop = Loop();
  const std::vector<Xy> tight = {{320.0, 0.27}, {320.0, 10.0}, {280.0, 10.0}, {280.0, 0.23}};
  const Course course({loop, tight, loop, {loop[0]}});
  const Line sf = Across({0.0, 0.0}, loop[0], 0.5, 30);
  const auto sfTimes = course.Crossings(sf);
  ASSERT_EQ(sfTimes.size(), 4u);
  const Recorder rec = Record({sf.Beacon(0, "SF")}, course.Sample(3, {}));

  ASSERT_EQ(rec.laps.size(), 3u);
  EXPECT_LT(rec.laps[1].duration, 5.0);
  for (size_t k = 0; k < 3; ++k) EXPECT_NEAR(rec.laps[k].duration, sfTimes[k + 1] - sfTimes[k], 1e-3) << k;
}
