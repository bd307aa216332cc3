// Throughput of the lap engine: a synthetic 20 Hz session of 100 laps of a
// closed circuit with 0, 3 and 10 splits, against a baseline that does only
// the per-point lap and sector statistics of the same stream. Prints points
// per second and the ratio engine / baseline (time per point).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bench/common/ThroughputReporter.h"
#include "lapgear/CircuitLapGear.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLaps = 100;
constexpr double kDt = 0.05;
constexpr double kLat0 = 35.0, kLon0 = 139.0;
constexpr double kRadius = 400.0;  // m
constexpr double kMetresPerDegLat = 110950.0;
const double kMetresPerDegLon = 111320.0 * std::cos(kLat0 * kPi / 180.0);

// Position and compass heading of the car at angle a on the circle (driven
// anticlockwise, starting east of the centre).
void OnCircle(double a, double* lat, double* lon, double* heading) {
  *lat = kLat0 + kRadius * std::sin(a) / kMetresPerDegLat;
  *lon = kLon0 + kRadius * std::cos(a) / kMetresPerDegLon;
  double h = std::atan2(-std::sin(a), std::cos(a)) * 180.0 / kPi;
  *heading = h < 0.0 ? h + 360.0 : h;
}

// 100 laps and a little, 20 Hz, speed between 120 and 180 km/h.
const std::vector<LogRec>& Session() {
  static const std::vector<LogRec> points = [] {
    std::vector<LogRec> out;
    double a = -0.3;  // start a little before the start/finish line at angle 0
    double t = 0.0;
    const double end = 2.0 * kPi * kLaps + 0.3;
    while (a < end) {
      LogRec p{};
      p.id = static_cast<int64_t>(out.size()) + 1;
      OnCircle(a, &p.lat, &p.lon, &p.heading);
      p.speed = 150.0 + 30.0 * std::sin(3.0 * a);
      p.time = t;
      p.Gx = 0.3 * std::cos(3.0 * a);
      p.Gy = (p.speed / 3.6) * (p.speed / 3.6) / kRadius / 9.81;
      p.Gz = -1.0;
      if (!out.empty()) p.distance = LapGear::calcDistance(out.back().lat, out.back().lon, p.lat, p.lon);
      out.push_back(p);
      a += p.speed / 3.6 * kDt / kRadius;
      t += kDt;
    }
    return out;
  }();
  return points;
}

// Start/finish at angle 0 and the splits evenly between.
std::vector<BeaconRec> Beacons(int splits) {
  std::vector<BeaconRec> out;
  for (int i = 0; i <= splits; ++i) {
    BeaconRec b{};
    b.type = i == 0 ? 0 : 3;
    std::snprintf(b.name, sizeof b.name, i == 0 ? "Start/Finish" : "S%d", i);
    OnCircle(2.0 * kPi * i / (splits + 1), &b.lat, &b.lon, &b.heading);
    b.width = 30;
    out.push_back(b);
  }
  return out;
}

struct Counts {
  int laps = 0, sectors = 0;
};
void CountLap(LapRec, void* c) { ++static_cast<Counts*>(c)->laps; }
void CountSector(SectorRec, void* c) { ++static_cast<Counts*>(c)->sectors; }

void BM_Engine(benchmark::State& state) {
  const int splits = static_cast<int>(state.range(0));
  const auto& pts = Session();
  const auto bcn = Beacons(splits);
  Counts counts;
  for (auto _ : state) {
    counts = Counts{};
    CircuitLapGear gear(bcn.data(), static_cast<int32_t>(bcn.size()), &counts);
    gear.setCallbacks(LapGearCallbacks{CountLap, CountSector, nullptr, nullptr});
    gear.start();
    for (const LogRec& p : pts) gear.feedLog(&p);
    gear.stop();
  }
  if (counts.laps != kLaps || counts.sectors != kLaps * (splits + 1)) {
    state.SkipWithError("wrong number of laps or sectors");
    return;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pts.size()));
  state.counters["laps"] = counts.laps;
}
BENCHMARK(BM_Engine)->ArgName("splits")->Arg(0)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

// Only what every point costs in any case: the lap and the sector statistics.
struct StatsOnly {
  int64_t lapCount = 0, sectorCount = 0;
  double lapMaxSpd = 0, lapMinSpd = 0, lapMaxG = 0, lapMinG = 0, lapSumG = 0;
  double secMaxSpd = 0, secMinSpd = 0, secMaxG = 0, secMinG = 0, secSumG = 0;
  double duration = 0, distance = 0, lastTime = 0;

  void feed(const LogRec& p) {
    duration += p.time - lastTime;
    distance += p.distance;
    lastTime = p.time;
    const double g = std::sqrt(p.Gx * p.Gx + p.Gy * p.Gy + p.Gz * p.Gz);
    ++lapCount;
    if (p.speed > lapMaxSpd) lapMaxSpd = p.speed;
    if (lapMinSpd == 0.0 || lapMinSpd > p.speed) lapMinSpd = p.speed;
    if (g > lapMaxG) lapMaxG = g;
    if (lapMinG == 0.0 || lapMinG > g) lapMinG = g;
    lapSumG += g;
    if (p.speed > secMaxSpd) secMaxSpd = p.speed;
    if (secMinSpd == 0.0 || secMinSpd > p.speed) secMinSpd = p.speed;
    if (g > secMaxG) secMaxG = g;
    if (secMinG == 0.0 || secMinG > g) secMinG = g;
    secSumG += g;
    ++sectorCount;
  }
};

void BM_Baseline(benchmark::State& state) {
  const auto& pts = Session();
  for (auto _ : state) {
    StatsOnly s;
    for (const LogRec& p : pts) {
      s.feed(p);
      benchmark::DoNotOptimize(s);
    }
    benchmark::DoNotOptimize(s.lapSumG + s.secSumG + s.duration + s.distance);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pts.size()));
}
BENCHMARK(BM_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ThroughputReporter reporter;  // the points per second of each run
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nsession: %zu points (20 Hz, %d laps)\n", Session().size(), kLaps);
  double base = 0.0;
  for (const auto& [name, pps] : reporter.ItemsPerSecond())
    if (name == "BM_Baseline") base = pps;
  for (const auto& [name, pps] : reporter.ItemsPerSecond()) {
    std::printf("%-22s %12.0f points/s", name.c_str(), pps);
    if (base > 0.0 && name != "BM_Baseline" && pps > 0.0)
      std::printf("   engine/baseline time per point: %.2f", base / pps);
    std::printf("\n");
  }
  return 0;
}
