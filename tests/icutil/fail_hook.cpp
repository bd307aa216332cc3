#include "tests/icutil/fail_hook.h"

#include <atomic>

#include "icbase/src/icutil/utils.h"

namespace {
std::atomic<int> g_okLeft{0};
bool failAfterCount(size_t) { return g_okLeft.fetch_sub(1) <= 0; }
}  // namespace

FailAllocs::FailAllocs(int okBefore) {
  g_okLeft = okBefore;
  MemSetFailHook(failAfterCount);
}

FailAllocs::~FailAllocs() { MemSetFailHook(nullptr); }
