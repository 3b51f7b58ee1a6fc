#include "road/axis_point.h"

#include <algorithm>
#include <cmath>

#include "road/plan_geometry.h"
#include "road/profile_geometry.h"

namespace corvalinde {
namespace {

// Operating-speed cap: curvature reduction v85 / (1 + 314 k^1.5), and the
// upgrade reduction v85 - 3100 g^2 for lane classes up to 4.
constexpr double kCurvatureSpeedFactor = 314.0;
constexpr double kGradeSpeedFactor = 3100.0;
constexpr int kMaxLaneClassForGradeReduction = 4;

}  // namespace

bool evaluate_plan_element(const PlanElement& e, double s, AxisPoint& point) {
  switch (e.kind()) {
    case kPlanLine: {
      const LineGeometry& line = *e.line();
      const double d = s - e.start_station;
      point.x = e.start_x + d * std::cos(line.heading);
      point.y = e.start_y + d * std::sin(line.heading);
      point.normal_direction = line.heading - kPi / 2.0;
      point.curvature = 0.0;
      return true;
    }
    case kPlanArc: {
      const ArcGeometry& arc = *e.arc();
      const double radius = arc.radius;
      if (radius == 0.0) return false;  // no arc of radius 0 exists
      const double r = std::fabs(radius);
      const double phi = (s - e.start_station) / radius + arc.start_angle;
      point.x = arc.centre_x + r * std::cos(phi);
      point.y = arc.centre_y + r * std::sin(phi);
      point.normal_direction = radius > 0.0 ? phi : phi - kPi;
      point.curvature = 1.0 / r;
      return true;
    }
    case kPlanClothoid: {
      const ClothoidGeometry& clothoid = *e.clothoid();
      const double a = clothoid.parameter;
      const double sigma = clothoid.orientation;
      const double rho = clothoid.turn;
      const double along = sigma < 0.0 ? e.end_station - s : s - e.start_station;
      const double l = a * std::sqrt(2.0 * clothoid.tau_near) + along;
      if (!std::isfinite(l)) return false;  // broken record (negative angle, bad A)
      double xl = 0.0;
      double yl = 0.0;
      double tau = 0.0;
      // A failed series (angle beyond 7 pi, a broken record) leaves the origin.
      static_cast<void>(clothoid_point_at_length(a, l, xl, yl, tau));
      if (!std::isfinite(tau)) tau = 0.0;
      const double c = std::cos(clothoid.origin_heading);
      const double sn = std::sin(clothoid.origin_heading);
      point.x = clothoid.origin_x + sigma * xl * c - rho * yl * sn;
      point.y = clothoid.origin_y + sigma * xl * sn + rho * yl * c;
      point.normal_direction = clothoid.origin_heading - kPi / 2.0 + sigma * rho * tau;
      point.curvature = a != 0.0 ? std::fabs(l) / (a * a) : 0.0;
      return true;
    }
    case kPlanTransition: {
      const TransitionPoint p = e.transition()->at(s - e.start_station);
      point.x = p.x;
      point.y = p.y;
      point.normal_direction = p.heading - kPi / 2.0;
      point.curvature = std::fabs(p.curvature);
      return true;
    }
    default:
      return false;
  }
}

int evaluate_axis_point(const RoadModel& model, double s, int sense, const SpeedCapInputs* speed,
                        AxisPoint& point) {
  const double direction = sense < 0 ? -1.0 : 1.0;
  double cap = speed != nullptr ? speed->max_operating_speed : 0.0;

  point.station = s;
  point.plan_kind = 0;
  if (const std::size_t i = locate_plan_element(model, s); i != 0) {
    const PlanElement& element = model.plan_elements()[i - 1];
    if (evaluate_plan_element(element, s, point)) {
      point.plan_kind = element.kind();
      if (direction < 0.0) point.normal_direction += kPi;
      if (speed != nullptr) {
        const double k = point.curvature;
        cap = std::min(cap, speed->max_operating_speed / (1.0 + kCurvatureSpeedFactor * k * std::sqrt(k)));
      }
    }
  }

  point.profile_kind = 0;
  if (const std::size_t i = locate_profile_element(model, s); i != 0) {
    const ProfileElement& element = model.profile_elements()[i - 1];
    double grade = 0.0;
    evaluate_profile_element(element, s, point.z, grade);
    point.grade = direction * grade;
    point.profile_kind = element.kind;
    if (speed != nullptr && point.grade > 0.0 && speed->lane_class <= kMaxLaneClassForGradeReduction) {
      cap = std::min(cap, speed->max_operating_speed - kGradeSpeedFactor * point.grade * point.grade);
    }
  }

  evaluate_crossfall(model, s, sense, point.left_crossfall, point.right_crossfall);
  point.speed_cap = cap;
  return point.plan_kind;
}

}  // namespace corvalinde
