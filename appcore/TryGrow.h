// Room for a count that comes from data (a reply, a count of rows, sessions
// or points), or a clear failure when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

// Runs `grow`, which sizes or reserves a vector; false when memory runs out
// or the size is beyond any vector.
template <class Grow>
bool TryGrow(Grow grow) {
  try {
    grow();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

// Sizes `items` to `count` default elements, none for a count below 1.
template <class T>
bool TryResize(std::vector<T>& items, int32_t count) {
  return TryGrow([&] { items.resize(static_cast<size_t>(count > 0 ? count : 0)); });
}

// Reserves room for `count` elements, none for a count below 1.
template <class T>
bool TryReserve(std::vector<T>& items, int32_t count) {
  return TryGrow([&] { items.reserve(static_cast<size_t>(count > 0 ? count : 0)); });
}
