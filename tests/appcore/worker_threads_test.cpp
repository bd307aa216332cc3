// The main window's workers at exit: asked to stop, waited for within a bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "appcore/WorkerThreads.h"

namespace {

using namespace std::chrono_literals;

TEST(WorkerThreads, CooperativeWorkersEndWithinTheBoundAndNoneStartsAfterTheStop) {
  WorkerThreads workers;
  std::atomic<int> stopped{0};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(workers.Start([&stopped](std::stop_token stop) {
      while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
      ++stopped;
    }));
  }
  EXPECT_EQ(workers.Running(), 3);
  EXPECT_TRUE(workers.StopAndJoin(5s));
  EXPECT_EQ(stopped.load(), 3);
  EXPECT_EQ(workers.Running(), 0);
  bool ran = false;
  EXPECT_FALSE(workers.Start([&ran](std::stop_token) { ran = true; }));
  EXPECT_FALSE(ran);
}

// A long run of short jobs (logins, refreshes) beside one that runs on keeps
// no ended thread: each Start joins those that ended before it.
TEST(WorkerThreads, WorkersThatEndedAreJoinedByTheNextStart) {
  WorkerThreads workers;
  ASSERT_TRUE(workers.Start([](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
  }));
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(workers.Start([](std::stop_token) {}));
    while (workers.Running() > 1) std::this_thread::sleep_for(1ms);
    EXPECT_LE(workers.Held(), 2) << i;  // the running one and the one just ended
  }
  EXPECT_TRUE(workers.StopAndJoin(5s));
  EXPECT_EQ(workers.Held(), 0);
}

TEST(WorkerThreads, AWorkerThatOutlivesTheBoundIsReportedAndEndsSafelyLater) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  {
    WorkerThreads workers;
    ASSERT_TRUE(workers.Start([release, done](std::stop_token) {
      while (!release->load()) std::this_thread::sleep_for(1ms);  // deaf to the stop
      done->store(true);
    }));
    EXPECT_FALSE(workers.StopAndJoin(50ms));
    EXPECT_EQ(workers.Running(), 1);
  }
  // The owner is gone; the worker still ends without touching it.
  release->store(true);
  for (int i = 0; i < 5000 && !done->load(); ++i) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(done->load());
}

}  // namespace
