#include "road/road_model.h"

#include <algorithm>
#include <cassert>
#include <type_traits>
#include <utility>

#include "road/plan_geometry.h"

namespace corvalinde {

static_assert(std::variant_size_v<PlanGeometry> == kPlanTransition + 1);
static_assert(std::is_same_v<std::variant_alternative_t<kPlanLine, PlanGeometry>, LineGeometry>);
static_assert(std::is_same_v<std::variant_alternative_t<kPlanArc, PlanGeometry>, ArcGeometry>);
static_assert(std::is_same_v<std::variant_alternative_t<kPlanClothoid, PlanGeometry>, ClothoidGeometry>);
static_assert(std::is_same_v<std::variant_alternative_t<kPlanTransition, PlanGeometry>, TransitionCurve>);

double PlanElement::start_heading() const {
  if (const LineGeometry* l = line()) return l->heading;
  if (const ArcGeometry* a = arc()) {
    // A quarter turn ahead of the start's polar angle on a left-hand arc,
    // behind it on a right-hand one.
    const double curvature = a->radius != 0.0 ? 1.0 / a->radius : 0.0;
    return curvature >= 0.0 ? a->start_angle + kPi / 2.0 : a->start_angle - kPi / 2.0;
  }
  if (const ClothoidGeometry* c = clothoid()) {
    const double tau = std::max(c->orientation >= 0 ? c->tau_near : c->tau_far, 0.0);
    return c->origin_heading + c->orientation * c->turn * tau;
  }
  if (const TransitionCurve* t = transition()) return t->at(0.0).heading;
  return 0.0;
}

std::array<double, 6> PlanElement::geometry_numbers() const {
  if (const LineGeometry* l = line()) return {l->a, l->b, l->c, l->heading, 0.0, 0.0};
  if (const ArcGeometry* a = arc())
    return {a->centre_x, a->centre_y, a->radius, a->start_angle, a->end_angle, 0.0};
  if (const ClothoidGeometry* c = clothoid()) {
    return {c->parameter, c->origin_x, c->origin_y, c->origin_heading, c->tau_near, c->tau_far};
  }
  return {};
}

void RoadModel::clear() {
  discard_plan();
  discard_profile();
  discard_crossfall();
}

void RoadModel::set_plan(std::vector<PlanElement> records) {
  plan_ = std::move(records);
}
void RoadModel::set_profile(std::vector<ProfileElement> records) {
  profile_ = std::move(records);
}
void RoadModel::set_crossfall(std::vector<CrossfallPoint> points) {
  crossfall_ = std::move(points);
}

const PlanElement& RoadModel::plan(std::size_t i) const {
  assert(i >= 1 && i <= plan_.size());
  return plan_[i - 1];
}

const ProfileElement& RoadModel::profile(std::size_t i) const {
  assert(i >= 1 && i <= profile_.size());
  return profile_[i - 1];
}

const CrossfallPoint& RoadModel::crossfall(std::size_t i) const {
  assert(i >= 1 && i <= crossfall_.size());
  return crossfall_[i - 1];
}

int RoadModel::present_mask() const {
  return (has_plan() ? kMaskPlan : 0) | (has_profile() ? kMaskProfile : 0) |
         (has_crossfall() ? kMaskCrossfall : 0);
}

}  // namespace corvalinde
