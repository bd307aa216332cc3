#include "icbase/src/icutil/fatal.h"

#include <gtest/gtest.h>

#include <csignal>

using FatalDeathTest = ::testing::Test;

TEST(FatalDeathTest, AssertionWritesOneLineToTheErrorStreamAndAborts) {
  EXPECT_EXIT(AssertFail("reader.cpp", 12), ::testing::KilledBySignal(SIGABRT),
              "^Assertion failed in file reader\\.cpp, line 12\\.\n$");
  EXPECT_EXIT(AssertFail(nullptr, 0), ::testing::KilledBySignal(SIGABRT), "^Assertion failed\\.\n$");
  EXPECT_EXIT(FatalPrintf("code %d", 7), ::testing::KilledBySignal(SIGABRT), "^code 7\n$");
}
