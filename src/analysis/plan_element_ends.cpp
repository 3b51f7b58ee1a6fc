#include "analysis/plan_element_ends.h"

#include <algorithm>
#include <cmath>

#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

constexpr double kQuarterTurn = kPi / 2.0;

// A clothoid end at tangent angle tau: curvature turn sqrt(2 tau) / A and
// heading psi + orientation turn tau.
ElementEnd clothoid_end(const ClothoidGeometry& c, double tau) {
  const double t = std::max(tau, 0.0);
  const double a = c.parameter;
  ElementEnd end;
  end.curvature = a > 0.0 ? c.turn * std::sqrt(2.0 * t) / a : 0.0;
  end.heading = c.origin_heading + c.orientation * c.turn * t;
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
ElementEnd transition_end(const TransitionCurve& t, double along) {
  const TransitionPoint p = t.at(along);
  return ElementEnd{p.curvature, p.heading};
}

// Both end curvatures of a transition of either kind are non-zero (or, with
// `curved` false, one of them is zero); false for any other element.
bool transition_ends_curved(const PlanElement& e, bool curved) {
  if (const TransitionCurve* t = e.transition()) {
    return (t->start_curvature() * t->end_curvature() != 0.0) == curved;
  }
  const ClothoidGeometry* c = e.clothoid();
  return c != nullptr && (c->tau_near * c->tau_far != 0.0) == curved;
}

}  // namespace

double arc_curvature(const PlanElement& arc) {
  const ArcGeometry* a = arc.arc();
  return a != nullptr && a->radius != 0.0 ? 1.0 / a->radius : 0.0;
}

ElementEnd element_start(const PlanElement& e) {
  if (const ClothoidGeometry* c = e.clothoid()) {
    return clothoid_end(*c, c->orientation >= 0 ? c->tau_near : c->tau_far);
  }
  if (const TransitionCurve* t = e.transition()) return transition_end(*t, 0.0);
  return ElementEnd{arc_curvature(e), e.start_heading()};
}

ElementEnd element_end(const PlanElement& e) {
  switch (e.kind()) {
    case kPlanArc:
      return arc_end(e, e.arc()->end_angle);
    case kPlanClothoid: {
      const ClothoidGeometry& c = *e.clothoid();
      return clothoid_end(c, c.orientation >= 0 ? c.tau_far : c.tau_near);
    }
    case kPlanTransition:
      return transition_end(*e.transition(), e.transition()->length());
    default:
      return ElementEnd{0.0, e.start_heading()};
  }
}

bool is_clothoid_joining_straight(const PlanElement& e) {
  return transition_ends_curved(e, false);
}

bool is_clothoid_between_arcs(const PlanElement& e) {
  return transition_ends_curved(e, true);
}

}  // namespace corvalinde
