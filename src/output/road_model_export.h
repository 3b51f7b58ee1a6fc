// The road model as points: a CSV table of the axis (position, direction,
// curvature, elevation, grade, crossfalls) at the start, at every multiple of
// a step and at every element boundary, in station order. Serves
// `corvalinde-cli --points` and the desktop's File > Export road model. The
// caller owns the model and the stream; nothing throws.
#pragma once

#include <ostream>

#include "road/road_model.h"

namespace corvalinde {

// The header line of the table (without line end).
inline constexpr const char* kRoadModelPointsHeader =
    "station,display_station,easting,northing,elevation,direction,curvature,grade,crossfall_left,"
    "crossfall_right,event";

// Writes the header and one row per point. Rows: the start of the model, every
// multiple of `step` (m; 0: none), each plan element's start and end
// evaluated on that element's own geometry (event "start N" / "end N"), each
// profile element's start ("profile N"), the end of the last one ("profile
// end"), and each crossfall point ("crossfall N"); N is 1-based in table
// order. Stations are the distance along the axis the analyses use;
// display_station is the designer's, after the station equations. An empty
// field where the model has no value (no profile or crossfall there, no plan).
enum class PointsStatus {
  kOk,
  kBadStep,       // a step that is negative, not finite, or gives more than 10 million rows
  kStreamFailed,  // the stream failed (part of the table may be written)
};
[[nodiscard]] PointsStatus write_road_model_points(const RoadModel& model, double step, std::ostream& out);

}  // namespace corvalinde
