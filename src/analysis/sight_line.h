// Sight-line geometry: the two ends of a sight line above the road, the test
// of one straight sight line against the road surface and the clear zone,
// and the sight distance from a point, found by testing lines to points 10 m
// apart over 500 m and halving to 1 m where the view is lost. Pure functions
// of the RoadModel (whose lookup caches they move) and their arguments; no
// allocation. What cannot be measured is a status, never an error.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "analysis/sight_parameters.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road/road_model.h"

namespace corvalinde {

// Spacing of the listed points (m), their number (one more when the
// required-distance point is inserted), and the refinement bound (m).
inline constexpr double kSightStep = 10.0;
inline constexpr int kSightPointLimit = 50;
inline constexpr int kSightPointLimitWithFarPoint = 51;
inline constexpr double kSightRefinement = 1.0;
// A sight line passing less than this (m) below the surface still clears it.
inline constexpr double kSurfaceTolerance = 0.01;

// The stretch where both the alignment and the profile exist: from the later
// of their first stations to the earlier of their last ones. Not valid when a
// table is missing, a bound is not finite or the stretch is longer than
// kMaxUsableLength (no road is; walking it would never end).
inline constexpr double kMaxUsableLength = 1.0e6;
struct UsableStations {
  double first = 0.0;
  double last = 0.0;
  bool valid = false;
};
UsableStations usable_stations(const RoadModel& model);

// One end of a sight line: plan position and elevation.
struct SightLineEnd {
  PlanePoint position;
  double z = 0.0;
};

// The end at lateral offset `offset` and `height` above the surface at axis
// point `point`: the surface rises or falls with the crossfall of the side
// the offset lies on, up to the carriageway's edge; the central reserve is
// level with the axis.
SightLineEnd sight_line_end(const AxisPoint& point, double offset, double height,
                            const SightParameters& params);

// True when the sight line from `first_end` (plan distance 0, elevation z1)
// to the other end (plan distance `plan_length`, elevation z2), lying on
// `line`, is blocked at one of the intermediate axis points: its plan line
// does not cross the point's cross-section, crosses it outside the clear zone
// [clear_zone_left, clear_zone_right] (or right of far_end_right_limit at the far station), or passes more
// than 1 cm below the road surface there.
[[nodiscard]] bool sight_line_blocked(PlanePoint first_end, const LineEquation& line,
                                      std::span<const AxisPoint> intermediate, const SightParameters& params,
                                      double plan_length, double z1, double z2, double far_station);

// How a sight distance is to be read.
enum class SightStatus : int {
  kNotMeasured = -1,  // nothing could be measured (the road ends at once)
  kReal = 0,          // limited by the view, or the whole reach was visible
  kCutByRoadEnd = 1,  // every point up to the end of the road was visible
};

struct SightDistance {
  double distance = 0.0;  // m along the axis
  SightStatus status = SightStatus::kNotMeasured;
};

// Which end of the sight lines the point P carries.
enum class SightRole : int {
  kObserver = 0,  // P is the eye; the points lie ahead of it
  kTarget = 1,    // P is the target; the points lie behind it, towards the eye
};

// Distance along the axis over which the view from (or to) P stays open, in
// sense `sense`. `use_alternative` takes the alternative target offset when
// the parameters hold one. With `required_distance`, the point that far
// ahead is inserted and there the line must not pass right of far_end_right_limit. Two ends
// that coincide in plan leave no line between them: that line counts as clear.
[[nodiscard]] SightDistance sight_distance(const RoadModel& model, const AxisPoint& p,
                                           const SightParameters& params, bool use_alternative, int sense,
                                           SightRole role,
                                           std::optional<double> required_distance = std::nullopt);

// Process-wide tallies, for benchmarks: candidate sight lines tested and
// intermediate points checked against them, by the calling thread and by
// every thread that has ended.
struct SightLineTally {
  std::uint64_t lines = 0;
  std::uint64_t point_checks = 0;
};
SightLineTally sight_line_tally();

}  // namespace corvalinde
