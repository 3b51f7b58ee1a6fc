#include "analysis/plan_element_ends.h"

#include <algorithm>
#include <cmath>

#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

constexpr double kQuarterTurn = kPi / 2.0;

// A clothoid end at tangent angle tau: curvature turn sqrt(2 tau) / A and
// heading psi + orientation turn tau.
ElementEnd clothoid_end(const PlanElement& e, double tau) {
  const double t = std::max(tau, 0.0);
  const double a = e.value_a;
  ElementEnd end;
  end.curvature = a > 0.0 ? e.turn * std::sqrt(2.0 * t) / a : 0.0;
  end.heading = e.direction + e.orientation * e.turn * t;
  return end;
}

// An arc end at polar angle phi seen from the centre: the heading is a
// quarter turn ahead of phi for a left-hand arc, behind it for a right-hand one.
ElementEnd arc_end(const PlanElement& e, double phi) {
  ElementEnd end;
  end.curvature = arc_curvature(e);
  end.heading = end.curvature >= 0.0 ? phi + kQuarterTurn : phi - kQuarterTurn;
  return end;
}

// A transition end: its own heading and signed curvature there.
ElementEnd transition_end(const PlanElement& e, double along) {
  const TransitionPoint p = e.transition.at(along);
  return ElementEnd{p.curvature, p.heading};
}

}  // namespace

double arc_curvature(const PlanElement& arc) {
  return arc.value_c != 0.0 ? 1.0 / arc.value_c : 0.0;
}

ElementEnd element_start(const PlanElement& e) {
  switch (e.kind) {
    case kPlanArc:
      return arc_end(e, e.direction);
    case kPlanClothoid:
      return clothoid_end(e, e.orientation >= 0 ? e.tau_near : e.tau_far);
    case kPlanTransition:
      return transition_end(e, 0.0);
    default:
      return ElementEnd{0.0, e.direction};
  }
}

ElementEnd element_end(const PlanElement& e) {
  switch (e.kind) {
    case kPlanArc:
      return arc_end(e, e.tau_near);
    case kPlanClothoid:
      return clothoid_end(e, e.orientation >= 0 ? e.tau_far : e.tau_near);
    case kPlanTransition:
      return transition_end(e, e.transition.length());
    default:
      return ElementEnd{0.0, e.direction};
  }
}

bool is_clothoid_joining_straight(const PlanElement& e) {
  if (e.kind == kPlanTransition) return e.transition.start_curvature() * e.transition.end_curvature() == 0.0;
  return e.kind == kPlanClothoid && e.tau_near * e.tau_far == 0.0;
}

bool is_clothoid_between_arcs(const PlanElement& e) {
  if (e.kind == kPlanTransition) return e.transition.start_curvature() * e.transition.end_curvature() != 0.0;
  return e.kind == kPlanClothoid && e.tau_near * e.tau_far != 0.0;
}

}  // namespace corvalinde
