// Allocation-failure injection for the tests: while a FailAllocs scope
// lives, MemAlloc succeeds `okBefore` more times and then fails.
#pragma once

#include <cstddef>

class FailAllocs {
 public:
  explicit FailAllocs(int okBefore = 0);
  ~FailAllocs();
  FailAllocs(const FailAllocs&) = delete;
  FailAllocs& operator=(const FailAllocs&) = delete;
};
