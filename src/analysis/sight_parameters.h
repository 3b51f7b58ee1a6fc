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

// Lane classes (nbv).
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
  int nbv = kLaneClassTwoLanes;  // lane class
  double v85_max = 0.0;          // maximum operating speed
  double vreg_max = 0.0;         // speed limit
  SightEndSpec obs;              // the driver's eye
  SightEndSpec vis;              // the target
  bool has_alternative = false;  // alt holds a second target offset
  double alt = 0.0;              // alternative target offset (height of vis)
  double lmg = 0.0;              // left limit of the clear zone
  double lg = 0.0;               // width of the left carriageway
  double lc = 0.0;               // half width of the central reserve
  double ld = 0.0;               // width of the right carriageway
  double lmd = 0.0;              // right limit of the clear zone
  double msg = 0.0;              // right limit at the required-distance point only

  // What evaluate_axis_point needs for the operating-speed cap.
  SpeedCapInputs speed_cap_inputs() const { return {v85_max, nbv}; }
};

// Eye height above the road surface (m), the same for every check.
inline constexpr double kEyeHeight = 1.0;

// The parameters of one check for a road type and cross-section; writes them
// to the diagnostic log.
SightParameters sight_parameters(SightKind kind, int road_type, const CrossSection& cross_section);

}  // namespace corvalinde
