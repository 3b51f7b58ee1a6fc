// The road's geometry as series over station, beside the quantities the
// analyses keep: grade and crossfalls (per cent) and curvature (1/m), in the
// forward sense, on the grid of the usable road (the alignment alone when
// there is no profile) at the walk step. Reads the model only.
#pragma once

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Grid step (m) of the series: the step of the visibility walks.
inline constexpr double kSeriesStep = 10.0;

// Sets the console's series grid and samples the geometry on it, once per
// run: does nothing when the grid is already set or nothing can be sampled.
void keep_road_series(Console& console, const RoadModel& model);

}  // namespace corvalinde
