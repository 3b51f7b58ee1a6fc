// The two ends of a plan element as the reviews see them: signed curvature
// (positive turning left) and heading of travel at the element's start and
// end, and the two kinds of clothoid (joining a straight, between two arcs).
// Pure functions of one record; degenerate records (radius 0, parameter A not
// positive, negative tangent angles) give curvature 0, never a non-finite value.
#pragma once

#include "road/road_model.h"

namespace corvalinde {

struct ElementEnd {
  double curvature = 0.0;  // 1/m, signed: > 0 turns left
  double heading = 0.0;    // polar angle of the direction of travel (not reduced)
};

ElementEnd element_start(const PlanElement& element);
ElementEnd element_end(const PlanElement& element);

// end station - start station.
inline double element_length(const PlanElement& element) {
  return element.end_station - element.start_station;
}

// A transition (a clothoid or a transition of another type) with one end of
// zero curvature (for a clothoid: tau near x tau far = 0).
bool is_clothoid_joining_straight(const PlanElement& element);
// A transition whose two ends are both curved (tau near x tau far != 0).
bool is_clothoid_between_arcs(const PlanElement& element);

// Signed curvature 1/R of an arc; 0 for a radius of 0.
double arc_curvature(const PlanElement& arc);

}  // namespace corvalinde
