// Room for a count that comes from data (a reply, a count of rows or
// sessions), or a clear failure when memory runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

// Sizes `items` to `count` default elements, none for a count below 1; false
// when memory runs out or the count is beyond any vector.
template <class T>
bool TryResize(std::vector<T>& items, int32_t count) {
  try {
    items.resize(static_cast<size_t>(count > 0 ? count : 0));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}
