#include "tests/icutil/fail_hook.h"

#include <atomic>

#include "icbase/src/icutil/utils.h"

namespace {
std::atomic<int> g_okLeft{0};
bool FailAfterCount(size_t) { return g_okLeft.fetch_sub(1) <= 0; }
}  // namespace

FailAllocs::FailAllocs(int okBefore) {
  g_okLeft = okBefore;
  MemSetFailHook(FailAfterCount);
}

FailAllocs::~FailAllocs() { MemSetFailHook(nullptr); }
