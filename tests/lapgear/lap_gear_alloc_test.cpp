// The engine when memory runs out while it is built. This program replaces
// the global operator new so that a test can make it fail.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "lap_gear_test_util.h"

namespace {
std::atomic<bool> g_failAllocations{false};
}

void* operator new(std::size_t size) {
  if (g_failAllocations.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace lgtest;

TEST(LapGearAlloc, FailedAllocationLeavesAnEngineThatStartsNoLap) {
  const RectCircuit track;
  const BeaconRec beacons[] = {track.beaconAt(0, "Start/Finish", 200.3), track.beaconAt(3, "S1", 500.9),
                               track.beaconAt(3, "S2", 800.7)};
  const auto pts = track.steady(3000, 150.0, 0.2);
  Recorder rec;

  testing::internal::CaptureStdout();
  g_failAllocations = true;
  CircuitLapGear gear(beacons, 3, &rec);
  CircuitLapGear autoGear(CircuitLapGear::autoLine, &rec);
  g_failAllocations = false;
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[CircuitLapGear.cpp:36][ERR] Allocate memory fail...\n"
            "[CircuitLapGear.cpp:36][ERR] Allocate memory fail...\n");

  for (CircuitLapGear* g : {&gear, &autoGear}) {
    g->setCallbacks(Recorder::callbacks());
    g->start();
    feed(*g, pts);
    g->stop();
    EXPECT_NE(g->getState(), LapGear::kStateInLap);
  }
  EXPECT_TRUE(rec.events.empty());
}
