// A real 20 Hz logger session (two full laps of a road circuit) through the
// engine with one start/finish line on the main straight: the lap times must
// match the logger's own within one sample.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lap_gear_test_util.h"

using namespace lgtest;

namespace {

struct Row {
  double time, speed, heading, altitude, lat, lon, gx, gy, gz;
};

std::vector<Row> ReadSession(const std::string& path) {
  std::vector<Row> rows;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<double> v;
    std::stringstream fields(line);
    std::string field;
    while (std::getline(fields, field, ',')) v.push_back(std::strtod(field.c_str(), nullptr));
    if (v.size() < 9) continue;
    rows.push_back(Row{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]});
  }
  return rows;
}

}  // namespace

TEST(LapGearRealSession, TwoLapsMatchTheLoggersLapTimes) {
  const auto rows = ReadSession(std::string(PM_TEST_DATA) + "/aim-fuji-sfj/session.csv");
  ASSERT_EQ(rows.size(), 5601u);

  std::vector<LogRec> points;
  for (const Row& r : rows) {
    LogRec p{};
    p.id = static_cast<int64_t>(points.size()) + 1;
    p.lat = r.lat;
    p.lon = r.lon;
    p.altitude = r.altitude;
    p.heading = r.heading;
    p.speed = r.speed;
    p.time = r.time;
    p.Gx = r.gx;
    p.Gy = r.gy;
    p.Gz = r.gz;
    if (!points.empty()) p.distance = LapGear::calcDistance(points.back().lat, points.back().lon, r.lat, r.lon);
    points.push_back(p);
  }

  // The timing line on the main straight, facing the way the car drove
  // there (the logger's course at 146.000 s), 40 m wide.
  const size_t atLine = 320;
  ASSERT_DOUBLE_EQ(rows[atLine].time, 146.0);
  const BeaconRec beacons[] = {makeBeacon(0, "Start/Finish", 35.37215, 138.92705, rows[atLine].heading, 40)};
  Recording<CircuitLapGear> run(beacons, 1);
  auto& [rec, gear] = run;
  feed(gear, points);
  gear.stop();

  ASSERT_EQ(rec.laps.size(), 2u);
  const double sample = 0.05;
  EXPECT_NEAR(rec.laps[0].duration, 121.006, sample);
  EXPECT_NEAR(rec.laps[1].duration, 126.879, sample);
  // The laps start where the logger's markers are: 145.982, 266.988 s.
  EXPECT_EQ(rec.laps[0].start_wp, 321);
  EXPECT_NEAR(points[static_cast<size_t>(rec.laps[1].start_wp - 1)].time, 266.988, sample);
  EXPECT_EQ(rec.laps[1].start_wp, rec.laps[0].finish_wp);
  EXPECT_NEAR(points[static_cast<size_t>(rec.laps[1].finish_wp - 1)].time, 393.867, sample);

  for (const LapRec& lap : rec.laps) {
    // One lap of the circuit: the same length both times, to a few metres.
    EXPECT_NEAR(lap.distance, rec.laps[0].distance, 0.010);
    EXPECT_GT(lap.distance, 4.0);
    EXPECT_LT(lap.distance, 4.7);
    EXPECT_NEAR(lap.AvgSpd, lap.distance / lap.duration * 3600.0, 1e-9);
    EXPECT_LE(lap.MaxSpd, 208.4675);
    EXPECT_GT(lap.MaxSpd, 190.0);
    EXPECT_GT(lap.MaxG, lap.AvgG);
    EXPECT_GT(lap.AvgG, lap.MinG);
  }
  // The near stop of the second lap is its slowest point.
  EXPECT_EQ(rec.laps[1].MinSpd, 1.7718);
  EXPECT_GT(rec.laps[0].MinSpd, 1.7718);

  // Without splits each lap is one sector of the same extent.
  ASSERT_EQ(rec.sectors.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(rec.sectors[i].duration, rec.laps[i].duration);
    EXPECT_EQ(rec.sectors[i].distance, rec.laps[i].distance);
  }
  EXPECT_EQ(rec.aborts, std::vector<int32_t>{3});
}
