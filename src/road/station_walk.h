// Internal to src/road: the remembered-index walk shared by the three station
// lookups. The caller owns the cache (it lives in RoadModel); the walk clamps
// it before use, so a value left by another design does no harm.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace corvalinde::detail {

// Finds the 1-based index i in [1, last] with start_at(i) <= s <= end_at(i),
// or 0. Both bounds are inclusive, so on a join the interval reached first
// wins. Walks down from the cached index, then up; a station below the first
// or above the last interval leaves 1 or `last` in the cache. A station in a
// gap between two intervals (a design that does not join up) gets the
// interval after the gap, which the evaluation then extends backwards. NaN
// finds nothing and leaves the cache as it was; +-infinity simply runs to an
// end. Terminates in at most 2 * last steps whatever the data.
template <typename StartAt, typename EndAt>
std::size_t walk_to_station(std::size_t& cache, std::size_t last, double s, StartAt start_at, EndAt end_at) {
  if (last == 0 || std::isnan(s)) return 0;
  std::size_t i = std::clamp<std::size_t>(cache, 1, last);
  while (s < start_at(i)) {
    if (i == 1) {
      cache = 1;
      return 0;
    }
    --i;
  }
  while (s > end_at(i)) {
    if (i == last) {
      cache = last;
      return 0;
    }
    ++i;
  }
  cache = i;
  return i;
}

}  // namespace corvalinde::detail
