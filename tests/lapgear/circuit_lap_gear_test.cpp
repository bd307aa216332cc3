// States, beacons, splits, false first laps, auto mode, callbacks and the
// error lines of the lap engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lap_gear_test_util.h"

using namespace lgtest;

namespace {

// Gives the tests a look at the engine's inner state.
class ProbeGear : public CircuitLapGear {
 public:
  using CircuitLapGear::CircuitLapGear;
  int32_t& state() { return m_state; }
  int32_t& sectorCount() { return m_sectorCount; }
  const LogRec& lastLog() const { return m_lastLog; }
  int32_t startedLaps() const { return m_startedLaps; }
  int32_t sectorCapacity() const { return m_sectorCapacity; }
};

constexpr double kLat = 35.0;
constexpr double kLon = 139.0;
double LonAt(double metresEast) { return kLon + metresToLon(metresEast, kLat); }

// A straight road east along kLat with lines facing east at the given distances.
BeaconRec EastLine(int32_t type, const char* name, double metresEast, int32_t width = 30) {
  return makeBeacon(type, name, kLat, LonAt(metresEast), 90.0, width);
}

std::vector<int64_t> IdsOf(const std::vector<SectorRec>& sectors) {
  std::vector<int64_t> ids;
  for (const auto& s : sectors) ids.push_back(s.id);
  return ids;
}

// Feeds the false first lap the drive holds, a small loop back over the line
// at kLon + 110 m that must leave the engine armed with nothing told; then
// two real laps round a long loop at 100 km/h, and stops the engine.
void FalseFirstLapThenTwoLaps(Recording<ProbeGear>& run, Drive& drive) {
  auto& [rec, gear] = run;
  const size_t falseLap = drive.points().size();
  feed(gear, drive.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  EXPECT_EQ(gear.startedLaps(), 0);
  EXPECT_TRUE(rec.events.empty());
  for (int i = 0; i < 2; ++i) drive.by(0, 200).by(100, 0).by(0, -400).by(-100, 0).to(kLat, LonAt(110));
  feed(gear, drive.points(), falseLap);
  gear.stop();
}

}  // namespace

TEST(LapGearStates, SlowSessionProducesNothing) {
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100)};
  Recording<ProbeGear> run(beacons, 1);
  auto& [rec, gear] = run;
  Drive drive(kLat, kLon, 2.0);
  drive.by(0, 300, 2.0);
  feed(gear, drive.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateIdle);
  gear.stop();
  EXPECT_TRUE(rec.events.empty());
}

TEST(LapGearStates, ArmedFallsBackToIdleOnlyBeforeTheFirstLap) {
  const BeaconRec beacons[] = {EastLine(1, "Start", 100), EastLine(2, "Finish", 200)};
  Recording<ProbeGear> run(beacons, 2);
  auto& [rec, gear] = run;
  LogRec p{};
  p.id = 1;
  p.lat = kLat;
  p.lon = kLon;
  p.speed = 10.0;
  gear.feedLog(&p);
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);  // this point is not tested against a line
  p.id = 2;
  p.speed = 2.5;  // not below 2.5
  gear.feedLog(&p);
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  p.id = 3;
  p.speed = 1.0;
  gear.feedLog(&p);
  EXPECT_EQ(gear.getState(), LapGear::kStateIdle);

  // After a lap the engine waits armed, however slow the car.
  Drive drive(kLat, kLon, 60.0);
  drive.by(0, 300, 60.0).wait(5.0, 0.0);
  feed(gear, drive.points());
  ASSERT_EQ(rec.laps.size(), 1u);
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  gear.stop();
  EXPECT_TRUE(rec.aborts.empty());
}

TEST(LapGearStates, FeedIsIgnoredUnlessRunningAndGivenAPoint) {
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100)};
  ProbeGear gear(beacons, 1, nullptr);
  Drive drive(kLat, kLon, 100.0);
  drive.by(0, 50);
  const auto& pts = drive.points();

  gear.feedLog(&pts[0]);
  EXPECT_EQ(gear.lastLog().id, 0);
  EXPECT_EQ(gear.getState(), LapGear::kStateIdle);
  gear.start();
  gear.feedLog(&pts[1]);
  EXPECT_EQ(gear.lastLog().id, 2);
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  gear.feedLog(nullptr);
  EXPECT_EQ(gear.lastLog().id, 2);
  gear.stop();
  gear.feedLog(&pts[2]);
  EXPECT_EQ(gear.lastLog().id, 2);
  EXPECT_EQ(gear.lastLog().lon, pts[1].lon);
}

TEST(LapGearBeacons, StartCountsOnlyInTheBeaconsDirection) {
  const BeaconRec beacons[] = {EastLine(1, "Start", 100), EastLine(2, "Finish", 400)};
  Recording<ProbeGear> run(beacons, 2);
  auto& [rec, gear] = run;
  // Westward over the start line: against its heading.
  Drive drive(kLat, LonAt(200), 100.0);
  drive.to(kLat, LonAt(0));
  feed(gear, drive.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  // Eastward: the lap starts at the first point after the line.
  Drive back(kLat, LonAt(0), 100.0);
  back.to(kLat, LonAt(200));
  feed(gear, back.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateInLap);
  EXPECT_EQ(gear.startedLaps(), 1);
  EXPECT_NEAR(gear.getDistance(), 0.100, 0.002);
  gear.stop();
  EXPECT_EQ(rec.aborts, std::vector<int32_t>{1});
  EXPECT_TRUE(rec.laps.empty());
}

TEST(LapGearBeacons, LaterBeaconOfASlotReplacesTheEarlier) {
  // Two start/finish lines: only the second one counts.
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100), EastLine(0, "Start/Finish", 300)};
  ProbeGear gear(beacons, 2, nullptr);
  gear.start();
  Drive drive(kLat, kLon, 100.0);
  drive.by(0, 200);
  feed(gear, drive.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  Drive on(drive.lat(), drive.lon(), 100.0);
  on.by(0, 150);
  feed(gear, on.points());
  EXPECT_EQ(gear.getState(), LapGear::kStateInLap);
}

TEST(LapGearBeacons, NoStartBeaconNeverStartsALap) {
  const BeaconRec beacons[] = {EastLine(2, "Finish", 300), EastLine(3, "S1", 200), EastLine(7, "odd", 100),
                               EastLine(-1, "odd", 150)};
  Recorder rec;
  ProbeGear gear(beacons, 4, &rec);
  gear.setCallbacks(Recorder::callbacks());
  EXPECT_EQ(gear.sectorCapacity(), 4);  // every beacon counts toward the capacity
  gear.start();
  Drive drive(kLat, kLon, 100.0);
  drive.by(0, 400);
  feed(gear, drive.points());
  gear.stop();
  EXPECT_TRUE(rec.events.empty());
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
}

TEST(LapGearBeacons, EmptyBeaconArrayMeansNoLapsNotAutoMode) {
  const std::vector<BeaconRec> none;  // its data pointer is null
  Recording<CircuitLapGear> run(none.data(), 0);
  auto& [rec, gear] = run;
  RectCircuit track;
  feed(gear, track.steady(3000, 120.0, 0.3));
  gear.stop();
  EXPECT_TRUE(rec.events.empty());
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);

  // A negative count is no beacons either.
  CircuitLapGear bad(none.data(), -5, &rec);
  bad.start();
  feed(bad, track.steady(3000, 120.0, 0.3));
  EXPECT_TRUE(rec.events.empty());
}

TEST(LapGearLaps, APointOnTheLineIsOneCrossing) {
  // Points 0.1 s apart at these metres east of a start/finish line facing
  // east. Where points lie on the line or within millimetres of it, the
  // segments that meet there all find it: the lap starts once, and a second
  // find would end it as a false first lap.
  struct Case {
    std::vector<double> metres;
    double crossingTime;  // s after the first point
  };
  const Case cases[] = {
      {{-20.0, -1.0, 0.0, 1.0}, 0.2},
      {{-20.0, -1.0, -0.001, 0.0, 1.0}, 0.2 + 0.1 * 0.001 / 0.999},             // a millimetre short, then on it
      {{-20.0, -1.0, 0.0, 0.0, 0.0, 1.0}, 0.2},                                 // stopped on the line
      {{-20.0, -1.0, -0.002, -0.001, -0.002, 1.0}, 0.2 + 0.1 * 0.002 / 0.998},  // creeping just short of it
      {{-20.0, -1.0, 0.0, -0.001, 0.001, 1.0}, 0.2},                            // jitter over it
  };
  for (const Case& k : cases) {
    const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100)};
    Recording<ProbeGear> run(beacons, 1);
    auto& [rec, gear] = run;
    std::vector<LogRec> points;
    for (const double m : k.metres) {
      LogRec p{};
      p.id = static_cast<int64_t>(points.size()) + 1;
      p.lat = kLat;
      p.lon = LonAt(100.0 + m);
      p.speed = 50.0;
      p.time = 1000.0 + 0.1 * static_cast<double>(points.size());
      if (!points.empty()) p.distance = LapGear::calcDistance(kLat, points.back().lon, kLat, p.lon);
      points.push_back(p);
    }
    feed(gear, points);
    SCOPED_TRACE(k.crossingTime);
    EXPECT_EQ(gear.getState(), LapGear::kStateInLap);
    EXPECT_EQ(gear.startedLaps(), 1);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_NEAR(points.back().time - gear.getDuration(), 1000.0 + k.crossingTime, 1e-6);
  }
}

TEST(LapGearLaps, SeparateStartAndFinishLeaveTheEngineArmedBetweenLaps) {
  const BeaconRec beacons[] = {EastLine(1, "Start", 100), EastLine(3, "S1", 400), EastLine(2, "Finish", 700)};
  Recording<ProbeGear> run(beacons, 3);
  auto& [rec, gear] = run;

  Drive drive(kLat, kLon, 100.0);
  drive.by(0, 750);
  const size_t firstRun = drive.points().size();
  // Back round to the road's start, fast and hard: none of it is in a lap.
  drive.by(40, 0, 250.0).to(kLat + metresToLat(40), kLon, 250.0).to(kLat, kLon, 250.0);
  for (size_t i = firstRun; i < drive.points().size(); ++i) drive.points()[i].Gx = 3.0;
  drive.by(0, 750, 100.0);
  feed(gear, drive.points(), 0, firstRun);
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  feed(gear, drive.points(), firstRun);

  ASSERT_EQ(rec.laps.size(), 2u);
  for (const auto& lap : rec.laps) {
    EXPECT_DOUBLE_EQ(lap.MaxSpd, 100.0);
    EXPECT_DOUBLE_EQ(lap.MinSpd, 100.0);
    EXPECT_DOUBLE_EQ(lap.MaxG, 0.5);
    EXPECT_NEAR(lap.distance, 0.600, 0.001);
    EXPECT_NEAR(lap.AvgSpd, 100.0, 0.5);
  }
  EXPECT_EQ(rec.laps[0].id, 1);
  EXPECT_EQ(rec.laps[1].id, 2);
  ASSERT_EQ(rec.sectors.size(), 4u);
  EXPECT_EQ(rec.sectorsOfLap(1).size(), 2u);
  EXPECT_EQ(rec.sectorsOfLap(2).size(), 2u);
  for (const auto& s : rec.sectors) {
    EXPECT_DOUBLE_EQ(s.MaxSpd, 100.0);
    EXPECT_NEAR(s.distance, 0.300, 0.001);
  }
  EXPECT_EQ(gear.getState(), LapGear::kStateArmed);
  gear.stop();  // armed: nothing to abort
  EXPECT_TRUE(rec.aborts.empty());
}

TEST(LapGearSplits, SplitCrossedTwiceInALapCountsOnce) {
  const BeaconRec beacons[] = {EastLine(1, "Start", 100), EastLine(3, "S1", 300), EastLine(2, "Finish", 600)};
  Recording<CircuitLapGear> run(beacons, 3);
  auto& [rec, gear] = run;
  Drive drive(kLat, kLon, 100.0);
  // Over S1, round a loop and over S1 again, then on to the finish.
  drive.by(0, 350).by(40, 0).by(0, -150).by(-40, 0).to(kLat, LonAt(650));
  feed(gear, drive.points());

  ASSERT_EQ(rec.laps.size(), 1u);
  ASSERT_EQ(rec.sectors.size(), 2u);
  const SectorRec& s1 = rec.sectors[0];
  const SectorRec& s2 = rec.sectors[1];
  EXPECT_NEAR(s1.distance, 0.200, 0.001);
  // The second sector starts where the first ended and holds the loop.
  EXPECT_EQ(s2.start_wp, s1.finish_wp);
  EXPECT_EQ(s2.start_inter_lat, s1.finish_inter_lat);
  EXPECT_EQ(s2.start_inter_lon, s1.finish_inter_lon);
  EXPECT_NEAR(s2.distance, 0.300 + 0.050 + 0.040 + 0.150 + 0.040 + 0.100, 0.002);
  EXPECT_NEAR(s1.distance + s2.distance, rec.laps[0].distance, 1e-12);
  EXPECT_NEAR(s1.duration + s2.duration, rec.laps[0].duration, 1e-9);
}

TEST(LapGearFalseFirstLap, ShortFirstLapWithoutSplitsIsDropped) {
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100)};
  Recording<ProbeGear> run(beacons, 1);
  auto& [rec, gear] = run;

  Drive drive(kLat, kLon, 100.0);
  drive.by(0, 110, 250.0);
  // A quick loop back over the line: about 2 s at 250 km/h.
  drive.by(25, 0, 250.0).by(0, -40, 250.0).by(-25, 0, 250.0).to(kLat, LonAt(110), 250.0);
  for (auto& p : drive.points()) p.Gx = 4.0;
  FalseFirstLapThenTwoLaps(run, drive);

  ASSERT_EQ(rec.laps.size(), 1u);
  ASSERT_EQ(rec.sectors.size(), 1u);
  EXPECT_EQ(rec.sectors[0].lap_id, 1);
  EXPECT_EQ(rec.laps[0].id, 1);
  EXPECT_NEAR(rec.laps[0].distance, 0.2 + 0.1 + 0.4 + 0.1 + 0.2, 0.003);
  // Nothing of the dropped lap reaches the real one, in the lap or its sector.
  EXPECT_DOUBLE_EQ(rec.laps[0].MaxSpd, 100.0);
  EXPECT_DOUBLE_EQ(rec.laps[0].MaxG, 0.5);
  EXPECT_DOUBLE_EQ(rec.sectors[0].MaxSpd, 100.0);
  EXPECT_DOUBLE_EQ(rec.sectors[0].MaxG, 0.5);
  EXPECT_DOUBLE_EQ(rec.sectors[0].AvgG, 0.5);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"sector 1/1", "lap 1", "abort 2"}));
}

TEST(LapGearFalseFirstLap, FirstLapWithoutASplitIsDroppedHoweverLong) {
  // The split lies on the long loop only.
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100),
                               makeBeacon(3, "S1", kLat + metresToLat(50), LonAt(310), 0.0)};
  Recording<ProbeGear> run(beacons, 2);
  auto& [rec, gear] = run;

  Drive drive(kLat, kLon, 30.0);
  // A slow small loop, far longer than 5 s, that misses the split.
  drive.by(0, 110, 30.0).by(25, 0, 30.0).by(0, -40, 30.0).by(-25, 0, 30.0).to(kLat, LonAt(110), 30.0);
  FalseFirstLapThenTwoLaps(run, drive);
  ASSERT_EQ(rec.laps.size(), 1u);
  EXPECT_EQ(IdsOf(rec.sectorsOfLap(1)), (std::vector<int64_t>{1, 2}));
  EXPECT_DOUBLE_EQ(rec.sectors[0].MaxSpd, 100.0);
  EXPECT_EQ(rec.events, (std::vector<std::string>{"sector 1/1", "sector 1/2", "lap 1", "abort 2"}));
}

TEST(LapGearSplits, MissedSplitsBecomeBlankSectors) {
  RectCircuit track;
  // Table order A (top edge), B (left edge), C (right edge); the car meets
  // them as C, A, B: C decides first and two blank sectors precede it.
  const double sSF = 200.3, sA = 800.7, sB = 1100.1, sC = 500.9;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", sSF), track.beaconAt(3, "S1", sA),
                               track.beaconAt(3, "S2", sB), track.beaconAt(3, "S3", sC)};
  Recording<CircuitLapGear> run(beacons, 4);
  auto& [rec, gear] = run;
  const auto pts = track.steady(static_cast<int>(3.5 * 1200), 150.0, 0.2);
  feed(gear, pts);
  gear.stop();

  ASSERT_EQ(rec.laps.size(), 3u);
  for (int32_t lap = 1; lap <= 3; ++lap) {
    const auto secs = rec.sectorsOfLap(lap);
    ASSERT_EQ(IdsOf(secs), (std::vector<int64_t>{1, 2, 3, 4})) << "lap " << lap;
    for (int i = 0; i < 2; ++i) {
      SectorRec blank{};
      blank.id = i + 1;
      blank.lap_id = lap;
      EXPECT_EQ(std::memcmp(&secs[static_cast<size_t>(i)], &blank, sizeof blank), 0);
    }
    // After the blanks the sector starts nowhere and spans the lap so far.
    EXPECT_EQ(secs[2].start_wp, 0);
    EXPECT_EQ(secs[2].start_inter_lat, 0.0);
    EXPECT_EQ(secs[2].start_inter_lon, 0.0);
    EXPECT_NEAR(secs[2].duration, (sC - sSF) * kDt, 1e-6);
    const auto sf = track.at(sSF), c = track.at(sC);
    const auto corner = track.corner(1);
    EXPECT_NEAR(secs[2].distance,
                refChordKm(sf.lat, sf.lon, corner.lat, corner.lon) + refChordKm(corner.lat, corner.lon, c.lat, c.lon),
                1e-6);
    EXPECT_EQ(secs[3].start_wp, secs[2].finish_wp);
    EXPECT_NEAR(secs[3].duration, (1200.0 - (sC - sSF)) * kDt, 1e-6);
    EXPECT_NEAR(rec.laps[static_cast<size_t>(lap - 1)].duration, 60.0, 1e-6);
  }
  // The open fourth lap got its blank sectors and sector 3 before the abort.
  EXPECT_EQ(IdsOf(rec.sectorsOfLap(4)), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(rec.events.back(), "abort 4");
}

TEST(LapGearSplits, SplitOnTheFinishLineGivesAFiniteEmptySector) {
  // The split lies exactly on the start/finish line: one segment closes the
  // split's sector and then the last sector, which has no point and no time.
  RectCircuit track;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", 200.3), track.beaconAt(3, "S1", 200.3)};
  Recording<CircuitLapGear> run(beacons, 2);
  auto& [rec, gear] = run;
  feed(gear, track.steady(2 * 1200 + 400, 150.0, 0.2));

  ASSERT_EQ(rec.laps.size(), 2u);
  for (int32_t lap = 1; lap <= 2; ++lap) {
    const auto secs = rec.sectorsOfLap(lap);
    ASSERT_EQ(secs.size(), 2u);
    EXPECT_NEAR(secs[0].duration, 60.0, 1e-6);
    EXPECT_EQ(secs[1].duration, 0.0);
    EXPECT_EQ(secs[1].distance, 0.0);
    EXPECT_EQ(secs[1].AvgSpd, 0.0);  // not 0/0
    EXPECT_EQ(secs[1].AvgG, 0.0);    // not 0/0
    EXPECT_EQ(secs[1].MaxSpd, 0.0);
    EXPECT_EQ(secs[1].start_wp, secs[0].finish_wp);
    EXPECT_TRUE(std::isfinite(secs[0].AvgSpd));
    EXPECT_NEAR(rec.laps[static_cast<size_t>(lap - 1)].duration, 60.0, 1e-6);
  }
}

TEST(LapGearAuto, SelfMadeLineThroughTheFirstFastPoint) {
  // A lap that is not a whole number of samples long: every lap meets the
  // line at another place between two points.
  RectCircuit track;
  track.samples[0] = 400.26;
  const double period = track.period();
  Recorder rec;
  CircuitLapGear gear(CircuitLapGear::autoLine, &rec);
  gear.setCallbacks(Recorder::callbacks());
  gear.start();
  const auto pts = track.sample(
      static_cast<int>(3.5 * period), [](int k) { return k < 150 ? 20.0 : 120.0; }, [](int) { return 0.2; });
  feed(gear, pts);
  gear.stop();

  ASSERT_EQ(rec.beacons.size(), 1u);
  const BeaconRec& sf = rec.beacons[0];
  EXPECT_STREQ(sf.name, "SF");
  EXPECT_EQ(sf.type, 0);
  EXPECT_EQ(sf.lat, pts[150].lat);
  EXPECT_EQ(sf.lon, pts[150].lon);
  EXPECT_EQ(sf.heading, 90.0);
  EXPECT_EQ(sf.width, 30);
  EXPECT_EQ(sf.color, 0);
  EXPECT_EQ(rec.events.front(), "beacon SF");

  ASSERT_EQ(rec.laps.size(), 3u);
  EXPECT_EQ(rec.laps[0].start_wp, 151);  // the next point's touch of the line is no finish
  EXPECT_EQ(rec.laps[0].start_inter_lat, pts[150].lat);
  EXPECT_EQ(rec.laps[0].start_inter_lon, pts[150].lon);
  for (size_t i = 0; i < rec.laps.size(); ++i) {
    EXPECT_NEAR(rec.laps[i].duration, period * kDt, 1e-6) << i;
    if (i > 0) {
      EXPECT_EQ(rec.laps[i].start_wp, rec.laps[i - 1].finish_wp);
    }
    const auto secs = rec.sectorsOfLap(static_cast<int32_t>(i + 1));
    ASSERT_EQ(secs.size(), 1u);
    EXPECT_EQ(secs[0].duration, rec.laps[i].duration);
    EXPECT_EQ(secs[0].distance, rec.laps[i].distance);
  }
  EXPECT_EQ(rec.aborts, std::vector<int32_t>{4});
}

TEST(LapGearAuto, LineWidthAndStartSpeedSettings) {
  RectCircuit track;
  track.samples[0] = 400.26;
  Recorder rec;
  CircuitLapGear gear(CircuitLapGear::autoLine, &rec);
  gear.setCallbacks(LapGearCallbacks{nullptr, nullptr, Recorder::onBeacon, nullptr});
  gear.setAutoLineWidth(50);
  gear.setAutoStartSpeed(60.0);
  gear.start();
  const auto pts = track.sample(
      400, [](int k) { return k < 100   ? 20.0
                              : k < 200 ? 45.0
                                        : 80.0; }, [](int) { return 0.2; });
  feed(gear, pts);
  ASSERT_EQ(rec.beacons.size(), 1u);
  EXPECT_EQ(rec.beacons[0].width, 50);
  EXPECT_EQ(rec.beacons[0].lon, pts[200].lon);
  EXPECT_EQ(gear.getState(), LapGear::kStateInLap);
}

TEST(LapGearCallbacks, NullMembersLeaveCallbacksSet) {
  RectCircuit track;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", 200.3)};
  Recorder rec;
  CircuitLapGear gear(beacons, 1, &rec);
  gear.setCallbacks(Recorder::callbacks());
  gear.setCallbacks(LapGearCallbacks{nullptr, nullptr, nullptr, nullptr});
  gear.start();
  feed(gear, track.steady(1800, 150.0, 0.2));
  gear.stop();
  EXPECT_EQ(rec.events, (std::vector<std::string>{"sector 1/1", "lap 1", "abort 2"}));

  // Without callbacks the engine runs silently.
  CircuitLapGear quiet(beacons, 1, nullptr);
  quiet.start();
  feed(quiet, track.steady(1800, 150.0, 0.2));
  quiet.stop();
  EXPECT_EQ(quiet.getState(), LapGear::kStateInLap);
}

TEST(LapGearErrors, WrongStateIsReportedAndThePointStillKept) {
  const BeaconRec beacons[] = {EastLine(0, "Start/Finish", 100)};
  ProbeGear gear(beacons, 1, nullptr);
  gear.start();
  gear.state() = 7;
  LogRec p{};
  p.id = 42;
  p.speed = 50.0;
  testing::internal::CaptureStdout();
  gear.feedLog(&p);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "[CircuitLapGear.cpp:168][ERR] stateTransfer: state is wrong...\n");
  EXPECT_EQ(gear.lastLog().id, 42);
  EXPECT_EQ(gear.state(), 7);
}

TEST(LapGearErrors, MoreSectorsThanSplitsIsReportedAndTheLapStillClosed) {
  RectCircuit track;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", 200.3)};
  Recording<ProbeGear> run(beacons, 1);
  auto& [rec, gear] = run;
  const auto pts = track.steady(1500, 150.0, 0.2);
  feed(gear, pts, 0, 1300);
  ASSERT_EQ(gear.getState(), LapGear::kStateInLap);
  gear.sectorCount() = 1;  // more than the zero splits
  testing::internal::CaptureStdout();
  feed(gear, pts, 1300);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[CircuitLapGear.cpp:707][ERR] sectors count > split-type beacon count... Wait ! What !?\n");
  ASSERT_EQ(rec.laps.size(), 1u);
  ASSERT_EQ(rec.sectors.size(), 1u);
  EXPECT_EQ(rec.sectors[0].id, 2);
}
