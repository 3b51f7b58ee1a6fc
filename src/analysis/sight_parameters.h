// Sight parameters: what one visibility check needs to know about the road
// type and its cross-section (lane class, speeds, eye and target positions,
// clear-zone limits), derived from the road-type code and the four
// cross-section bytes of the selection. A plain value; the derivation never
// fails (an unknown code is a two-lane road) and traces itself to the log.
#pragma once

#include "analysis/cross_section.h"
#include "road/axis_point.h"

namespace corvalinde {

// The four visibility checks; each asks for its own eye and target.
enum class SightKind : int {
  kCurveEntry = 0,   // the start of a curve, seen on the road surface
  kObstacle = 1,     // an object lying on the driver's lane
  kPassing = 2,      // an oncoming vehicle on the other lane
  kPedestrians = 3,  // a pedestrian beside the carriageway
};

// Lane classes.
enum LaneClass : int {
  kLaneClassTwoLanes = 2,
  kLaneClassThreeLanes = 3,
  kLaneClassDualCarriageway = 4,
  kLaneClassDualCarriagewayL1 = 5,  // the faster dual carriageway, no grade reduction
};

// One end of a sight line relative to the axis: lateral offset (m, positive
// to the right of the direction of travel) and height above the road surface.
struct SightEndSpec {
  double offset = 0.0;
  double height = 0.0;
};

// All lengths in metres, speeds in km/h; offsets positive to the right.
struct SightParameters {
  int lane_class = kLaneClassTwoLanes;
  double max_operating_speed = 0.0;
  double speed_limit = 0.0;
  SightEndSpec eye;                  // the driver's eye
  SightEndSpec target;               // what the driver must see
  bool has_alternative = false;      // alternative_offset holds a second target offset
  double alternative_offset = 0.0;   // second target offset (at the target's height)
  double clear_zone_left = 0.0;      // left limit of the clear zone
  double left_width = 0.0;           // width of the left carriageway
  double reserve_half_width = 0.0;   // half width of the central reserve
  double right_width = 0.0;          // width of the right carriageway
  double clear_zone_right = 0.0;     // right limit of the clear zone
  double far_end_right_limit = 0.0;  // right limit at the required-distance point only

  // What evaluate_axis_point needs for the operating-speed cap.
  SpeedCapInputs speed_cap_inputs() const { return {max_operating_speed, lane_class}; }
};

// Eye height above the road surface (m), the same for every check.
inline constexpr double kEyeHeight = 1.0;

// The parameters of one check for a road type and cross-section; writes them
// to the diagnostic log.
SightParameters sight_parameters(SightKind kind, int road_type, const CrossSection& cross_section);

}  // namespace corvalinde
