// Station equations: where the stations printed on a designer's drawings
// jump. The analyses run on the distance along the axis (the alignment's
// start station plus the length travelled, called the internal station
// here); every station shown to the user is the designer's, from
// `designer_station`. Pure functions over values; nothing fails.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corvalinde {

// One equation: at internal station `internal` the designer's station jumps
// from `back` to `ahead`, and runs on increasing (or decreasing) from there.
struct StationEquation {
  double internal = 0.0;
  double back = 0.0;  // the designer's station just before (NaN when not given)
  double ahead = 0.0;
  bool increasing = true;
};

// The equations of one alignment, in increasing internal station, and the
// internal stations of the alignment's start and end.
struct StationEquations {
  double start = 0.0;
  double end = 0.0;
  std::vector<StationEquation> equations;
};

// The designer's station at an internal station, and the region it lies in:
// 1 before the first equation, k + 1 from the k-th on. Without equations the
// station is the internal one.
struct DesignerStation {
  double value = 0.0;
  std::size_t region = 1;
  bool ambiguous = false;  // another region shows the same number
};

DesignerStation designer_station(const StationEquations& stations, double internal);

// The designer's station as shown, with `decimals` decimals: "1250.000", followed by its region in
// parentheses ("1250.000 (2)") when the same number occurs in another region
// (an overlap of the equations, or stations that run back).
std::string format_designer_station(const DesignerStation& station, int decimals = 3);

}  // namespace corvalinde
