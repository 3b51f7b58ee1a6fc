#include "road/plan_geometry.h"

#include <cmath>

#include "road/station_walk.h"

namespace corvalinde {

std::size_t locate_plan_element(const RoadModel& model, double s) {
  const auto& elements = model.plan_elements();
  return detail::walk_to_station(
      model.plan_lookup_cache(), elements.size(), s,
      [&](std::size_t i) { return elements[i - 1].start_station; },
      [&](std::size_t i) { return elements[i - 1].end_station; });
}

GeometryStatus clothoid_point(double a, double tau, double& x, double& y) {
  x = 0.0;
  y = 0.0;
  // Written so that NaN fails too. Every finite accepted input terminates:
  // the running factorial overflows to infinity within ~170 terms, after
  // which the terms are 0 (or NaN) and the loop ends.
  if (!(tau <= kClothoidMaxTau) || !(tau >= 0.0) || !std::isfinite(a)) {
    return kClothoidAngleUnusable;
  }
  if (a == 0.0 || tau == 0.0) return kGeometryOk;
  const double eps = a > 0.0 ? kClothoidSeriesTolerance : kClothoidSeriesToleranceNonPositiveA;
  double t = std::fabs(a) * std::sqrt(2.0 * tau);  // the arc length l
  double f = 1.0;                                  // running factorial k!
  double k = 0.0;
  double x_term = 1.0;
  double y_term = 1.0;
  double sum_x = 0.0;
  double sum_y = 0.0;
  while (std::fabs(x_term) > eps || std::fabs(y_term) > eps) {
    x_term = t / ((2.0 * k + 1.0) * f);
    sum_x += x_term;
    y_term = t * tau / ((k + 1.0) * f * (2.0 * k + 3.0));
    sum_y += y_term;
    k += 2.0;
    f = k * (k - 1.0) * f;
    t = -tau * tau * t;
  }
  if (!std::isfinite(sum_x) || !std::isfinite(sum_y)) return kClothoidAngleUnusable;
  x = sum_x;
  y = sum_y;
  return kGeometryOk;
}

GeometryStatus clothoid_point_at_length(double a, double length, double& x, double& y, double& tau) {
  if (a == 0.0) {
    x = y = tau = 0.0;
    return kGeometryOk;
  }
  tau = length * length / (2.0 * a * a);
  return clothoid_point(a, tau, x, y);
}

GeometryStatus clothoid_point_at_radius(double a, double radius, double& x, double& y, double& tau) {
  if (a == 0.0) {
    x = y = tau = 0.0;
    return kGeometryOk;
  }
  const double ratio = a / radius;
  tau = ratio * ratio / 2.0;
  return clothoid_point(a, tau, x, y);
}

GeometryStatus line_through_points(PlanePoint p1, PlanePoint p2, LineEquation& line) {
  const double d = point_distance(p1, p2);
  if (!(d > kCoincidentPointDistance)) return kCoincidentPoints;
  line.a = (p1.y - p2.y) / d;
  line.b = (p2.x - p1.x) / d;
  line.c = -(line.b * p2.y + line.a * p2.x);
  return kGeometryOk;
}

double line_heading(const LineEquation& line) {
  return normalize_angle(std::atan2(-line.a, line.b));
}

double direction_angle(PlanePoint p1, PlanePoint p2) {
  if (point_distance(p1, p2) <= kCoincidentPointDistance) return 0.0;
  return normalize_angle(std::atan2(p2.y - p1.y, p2.x - p1.x));
}

double normalize_angle(double angle) {
  double r = std::fmod(angle, kTwoPi);
  if (r < 0.0) r += kTwoPi;
  // A tiny negative remainder rounds up to exactly 2 pi when lifted.
  return r >= kTwoPi ? 0.0 : r;
}

double arc_length_from_angles(double radius, double phi_start, double phi_end) {
  const double sign = radius > 0.0 ? 1.0 : (radius < 0.0 ? -1.0 : 0.0);
  double d = (phi_end - phi_start) * sign;
  if (d < 0.0) d += kTwoPi;
  const double r = std::fabs(radius);
  const double length = d * r;
  if (std::fabs(length - kTwoPi * r) < kFullCircleLengthTolerance) return 0.0;
  return length;
}

double point_distance(PlanePoint p1, PlanePoint p2) {
  const double dx = p2.x - p1.x;
  const double dy = p2.y - p1.y;
  return std::sqrt(dx * dx + dy * dy);
}

double distance_from_circle(PlanePoint p, PlanePoint centre, double radius) {
  return point_distance(p, centre) - std::fabs(radius);
}

GeometryStatus intersect_lines(const LineEquation& l1, const LineEquation& l2, PlanePoint& point) {
  const double det = l1.a * l2.b - l1.b * l2.a;
  if (!(std::fabs(det) > kParallelLinesDeterminant)) return kNoSolution;
  point.x = (l1.b * l2.c - l2.b * l1.c) / det;
  point.y = (l1.c * l2.a - l1.a * l2.c) / det;
  return kGeometryOk;
}

double line_equation_value(const LineEquation& line, PlanePoint p) {
  return line.a * p.x + line.b * p.y + line.c;
}

void swap_values(double& u, double& v, bool negate) {
  const double sign = negate ? -1.0 : 1.0;
  const double old_u = u;
  u = sign * v;
  v = sign * old_u;
}

double round_to_decimals(double value, int decimals) {
  // Beyond 2^52 a double has no fractional digits left to round.
  constexpr double kNoFraction = 4503599627370496.0;
  const double scale = std::pow(10.0, decimals);
  const double scaled = value * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= kNoFraction || scale == 0.0) return value;
  return std::round(scaled) / scale;
}

}  // namespace corvalinde
