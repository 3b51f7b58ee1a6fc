// The axis evaluated at one station in one sense of travel, and
// evaluate_axis_point, which produces it from the RoadModel (plan, profile and
// crossfall parts). Evaluation never fails: a station on no element leaves the
// fields of that part as they were and reports kind 0.
#pragma once

#include "road/road_model.h"

namespace corvalinde {

// Inputs of the operating-speed cap (filled by the sight-line geometry from
// its SightParameters). Without them the cap is 0.
struct SpeedCapInputs {
  double max_operating_speed = 0.0;  // km/h, the road's maximum operating speed
  int lane_class = 0;                // the grade reduction applies when <= 4
};

// Sense of travel: +1 increasing stations, -1 decreasing.
struct AxisPoint {
  double station = 0.0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double normal_direction = 0.0;  // polar angle of the normal to the right of travel
  double grade = 0.0;             // fraction, signed in the direction of travel
  double curvature = 0.0;         // 1/m, never negative
  double left_crossfall = 0.0;    // fraction, as seen in the direction of travel
  double right_crossfall = 0.0;   // fraction
  double speed_cap = 0.0;         // km/h; 0 without SpeedCapInputs
  int plan_kind = 0;              // 1, 2, 3, or 0 off the alignment
  int profile_kind = 0;           // 1, 2, or 0 off the profile
};

// Fills position, normal direction (forward sense) and curvature of one plan
// element at station s, on that element's own geometry (s is not checked
// against its stations). False for a kind that has no geometry.
bool evaluate_plan_element(const PlanElement& element, double s, AxisPoint& point);

// Evaluates the axis at station s in the given sense into `point` (fields of a
// part whose table has no element at s keep their values). speed may be null.
// Returns the plan element kind (0 when s lies on no plan element). A
// non-finite station lies on no element.
int evaluate_axis_point(const RoadModel& model, double s, int sense, const SpeedCapInputs* speed,
                        AxisPoint& point);

}  // namespace corvalinde
