#include "road/station_equations.h"

#include <cmath>
#include <cstdio>

namespace corvalinde {
namespace {

// Two designer stations within this (m) are one number as shown (3 decimals).
constexpr double kSameShownStation = 5e-4;

// The range [low, high] of designer stations that region r (1-based) covers,
// given its internal extent.
void region_range(const StationEquations& stations, std::size_t r, double& low, double& high) {
  const std::vector<StationEquation>& equations = stations.equations;
  const double from_internal = r == 1 ? stations.start : equations[r - 2].internal;
  const double to_internal = r > equations.size() ? stations.end : equations[r - 1].internal;
  if (r == 1) {
    low = from_internal;
    high = to_internal;
    return;
  }
  const StationEquation& e = equations[r - 2];
  const double length = to_internal - from_internal;
  const double far = e.increasing ? e.ahead + length : e.ahead - length;
  low = std::fmin(e.ahead, far);
  high = std::fmax(e.ahead, far);
}

}  // namespace

DesignerStation designer_station(const StationEquations& stations, double internal) {
  const std::vector<StationEquation>& equations = stations.equations;
  DesignerStation result;
  result.value = internal;
  for (std::size_t k = 0; k < equations.size(); ++k) {
    const StationEquation& e = equations[k];
    if (!(internal >= e.internal)) break;
    result.region = k + 2;
    result.value = e.increasing ? e.ahead + (internal - e.internal) : e.ahead - (internal - e.internal);
  }
  for (std::size_t r = 1; r <= equations.size() + 1 && !result.ambiguous; ++r) {
    if (r == result.region) continue;
    double low = 0.0;
    double high = 0.0;
    region_range(stations, r, low, high);
    // A region's own end is its neighbour's start only when they meet.
    result.ambiguous = result.value > low + kSameShownStation && result.value < high - kSameShownStation;
  }
  return result;
}

std::string format_designer_station(const DesignerStation& station, int decimals) {
  // Wide enough for any double in fixed notation (up to 309 digits).
  char text[400];
  const double value = station.value + 0.0;  // never -0
  if (station.ambiguous) {
    std::snprintf(text, sizeof text, "%.*f (%zu)", decimals, value, station.region);
  } else {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  }
  return text;
}

}  // namespace corvalinde
