#include "road/profile_geometry.h"

#include <cmath>

#include "road/plan_geometry.h"
#include "road/station_walk.h"

namespace corvalinde {
namespace {

// solve_quadratic: below this |a| the equation is linear, below kLinearEpsilon
// |b| it has no root, and a vertex value within kDoubleRootValue is a double root.
constexpr double kQuadraticEpsilon = 1e-20;
constexpr double kLinearEpsilon = 1e-8;
constexpr double kDoubleRootValue = 5e-8;
// interpolate_linear: abscissae closer than this are one.
constexpr double kInterpolationSpan = 1e-8;

bool finite(double v) {
  return std::isfinite(v);
}

double profile_distance(ProfilePoint p, ProfilePoint q) {
  const double ds = q.station - p.station;
  const double dz = q.elevation - p.elevation;
  return std::sqrt(ds * ds + dz * dz);
}

// Picks the result of an intersection quadratic (roots as offsets u from
// `origin`): one root, or the first of two whose points are more than 0.0001
// apart. `elevation_at` gives the elevation of the first element.
template <typename ElevationAt>
GeometryStatus pick_intersection(int roots, double u1, double u2, double origin, ElevationAt elevation_at,
                                 ProfilePoint& point) {
  if (roots == 0) return kNoSolution;
  const ProfilePoint first{origin + u1, elevation_at(origin + u1)};
  if (roots == 2) {
    const ProfilePoint second{origin + u2, elevation_at(origin + u2)};
    if (!(profile_distance(first, second) > kProfileCoincidence)) return kNoSolution;
  }
  point = first;
  return kGeometryOk;
}

}  // namespace

// ---- Lookups and evaluation ------------------------------------------------

std::size_t locate_profile_element(const RoadModel& model, double s) {
  const auto& elements = model.profile_elements();
  return detail::walk_to_station(
      model.profile_lookup_cache(), elements.size(), s,
      [&](std::size_t i) { return elements[i - 1].start_station; },
      [&](std::size_t i) { return elements[i - 1].end_station; });
}

std::size_t locate_crossfall_interval(const RoadModel& model, double s) {
  const auto& points = model.crossfall_points();
  if (points.size() < 2) return 0;
  return detail::walk_to_station(
      model.crossfall_lookup_cache(), points.size() - 1, s,
      [&](std::size_t i) { return points[i - 1].station; }, [&](std::size_t i) { return points[i].station; });
}

void evaluate_profile_element(const ProfileElement& element, double s, double& elevation, double& grade) {
  if (element.kind == kProfileGrade) {
    grade = element.grade_or_radius / 100.0;
    elevation = element.start_elevation + (s - element.start_station) * grade;
    return;
  }
  const double radius = element.grade_or_radius;
  if (radius == 0.0) {
    // No curve of radius 0 exists; the chord keeps the profile finite.
    const double span = element.end_station - element.start_station;
    grade = span > 0.0 ? (element.end_elevation - element.start_elevation) / span : 0.0;
    elevation = element.start_elevation + (s - element.start_station) * grade;
    return;
  }
  const double u = s - element.vertex_station;
  elevation = u * u / radius / 2.0 + element.vertex_elevation;
  grade = u / radius;
}

void evaluate_crossfall(const RoadModel& model, double s, int sense, double& left, double& right) {
  const std::size_t i = locate_crossfall_interval(model, s);
  double l = kDefaultLeftCrossfall;
  double r = kDefaultRightCrossfall;
  if (i != 0) {
    const CrossfallPoint& p0 = model.crossfall_points()[i - 1];
    const CrossfallPoint& p1 = model.crossfall_points()[i];
    l = interpolate_linear(p0.station, p0.left, p1.station, p1.left, s);
    r = interpolate_linear(p0.station, p0.right, p1.station, p1.right, s);
  }
  if (sense < 0) swap_values(l, r, true);
  left = l / 100.0;
  right = r / 100.0;
}

// ---- Profile-geometry operations -------------------------------------------

double grade_line_grade(const GradeLine& line) {
  return -100.0 * line.a / line.b;
}

double grade_line_elevation(const GradeLine& line, double s) {
  return -(line.a * s + line.c) / line.b;
}

GeometryStatus grade_line_through_points(ProfilePoint p1, ProfilePoint p2, GradeLine& line) {
  if (!(std::fabs(p2.station - p1.station) > kProfileCoincidence)) return kCoincidentPoints;
  LineEquation plane;
  const GeometryStatus status =
      line_through_points({p1.station, p1.elevation}, {p2.station, p2.elevation}, plane);
  if (status != kGeometryOk) return status;
  line = {plane.a, plane.b, plane.c};
  return kGeometryOk;
}

GradeLine grade_line_through_point(ProfilePoint p, double grade_percent) {
  const double a = -grade_percent / 100.0;
  return {a, 1.0, -(a * p.station + p.elevation)};
}

double parabola_grade(const Parabola& parabola, double s) {
  return 100.0 * (s - parabola.vertex_station) / parabola.radius;
}

double parabola_elevation(const Parabola& parabola, double s) {
  const double u = s - parabola.vertex_station;
  return u * u / (2.0 * parabola.radius) + parabola.vertex_elevation;
}

GradeLine tangent_line_of_grade(const Parabola& parabola, double grade_percent) {
  const double a = -grade_percent / 100.0;
  return {a, 1.0, a * (a * parabola.radius / 2.0 - parabola.vertex_station) - parabola.vertex_elevation};
}

bool curve_radius_in_range(double radius) {
  const double r = std::fabs(radius);
  return r > kMinCurveRadius && r <= kMaxCurveRadius;
}

GeometryStatus parabola_from_vertex(ProfilePoint vertex, double radius, Parabola& parabola) {
  if (!curve_radius_in_range(radius)) return kRadiusOutOfRange;
  parabola = {vertex.station, vertex.elevation, radius};
  return kGeometryOk;
}

GeometryStatus parabola_through_vertex_and_point(ProfilePoint vertex, ProfilePoint point,
                                                 Parabola& parabola) {
  const double ds = point.station - vertex.station;
  const double dz = point.elevation - vertex.elevation;
  if (!(std::fabs(ds) > kProfileCoincidence) || !(std::fabs(dz) > kProfileCoincidence)) {
    return kRadiusOutOfRange;
  }
  return parabola_from_vertex(vertex, ds * ds / 2.0 / dz, parabola);
}

GeometryStatus parabola_vertex_tangent_to_line(ProfilePoint vertex, const GradeLine& line,
                                               Parabola& parabola) {
  if (line.b == 0.0) return kNoSolution;
  const double k = line.a / line.b;
  if (!(std::fabs(k) > kLevelSlope)) return kNoSolution;
  const double line_elevation = grade_line_elevation(line, vertex.station);
  return parabola_from_vertex(vertex, 2.0 * (vertex.elevation - line_elevation) / (k * k), parabola);
}

GeometryStatus intersect_line_parabola(const GradeLine& line, const Parabola& parabola, ProfilePoint& point) {
  if (line.b == 0.0) return kNoSolution;
  if (!curve_radius_in_range(parabola.radius)) return kRadiusOutOfRange;
  // With u = s - sv and the line z = p s + q:
  // u^2 / (2R) - p u + (zv - p sv - q) = 0.
  const double p = -line.a / line.b;
  const double q = -line.c / line.b;
  const double sv = parabola.vertex_station;
  double u1 = 0.0;
  double u2 = 0.0;
  const int roots =
      solve_quadratic(1.0 / (2.0 * parabola.radius), -p, parabola.vertex_elevation - p * sv - q, u1, u2);
  return pick_intersection(
      roots, u1, u2, sv, [&](double s) { return grade_line_elevation(line, s); }, point);
}

GeometryStatus intersect_parabolas(const Parabola& first, const Parabola& second, ProfilePoint& point) {
  if (!curve_radius_in_range(first.radius) || !curve_radius_in_range(second.radius)) {
    return kRadiusOutOfRange;
  }
  if (std::fabs(first.radius - second.radius) <= kProfileCoincidence &&
      std::fabs(first.vertex_station - second.vertex_station) <= kProfileCoincidence &&
      std::fabs(first.vertex_elevation - second.vertex_elevation) <= kProfileCoincidence) {
    return kNoSolution;
  }
  // With u = s - sv1 and e = sv2 - sv1:
  // u^2 (1/(2 R1) - 1/(2 R2)) + u e / R2 + (zv1 - zv2 - e^2 / (2 R2)) = 0.
  const double e = second.vertex_station - first.vertex_station;
  double u1 = 0.0;
  double u2 = 0.0;
  const int roots = solve_quadratic(
      1.0 / (2.0 * first.radius) - 1.0 / (2.0 * second.radius), e / second.radius,
      first.vertex_elevation - second.vertex_elevation - e * e / (2.0 * second.radius), u1, u2);
  if (roots == 1) {
    const double s = first.vertex_station + u1;
    if (!(std::fabs(parabola_grade(first, s) - parabola_grade(second, s)) <= kTouchingGradeTolerance)) {
      return kNoSolution;
    }
  }
  return pick_intersection(
      roots, u1, u2, first.vertex_station, [&](double s) { return parabola_elevation(first, s); }, point);
}

GeometryStatus intersect_profile_shapes(const ProfileShape& first, const ProfileShape& second,
                                        ProfilePoint& point) {
  const bool first_line = first.kind == kProfileGrade;
  const bool second_line = second.kind == kProfileGrade;
  if ((!first_line && first.kind != kProfileParabola) || (!second_line && second.kind != kProfileParabola)) {
    return kElementKindNotHandled;
  }
  if (first_line && second_line) {
    PlanePoint crossing;
    const GeometryStatus status = intersect_lines({first.line.a, first.line.b, first.line.c},
                                                  {second.line.a, second.line.b, second.line.c}, crossing);
    if (status == kGeometryOk) point = {crossing.x, crossing.y};
    return status;
  }
  if (first_line) return intersect_line_parabola(first.line, second.parabola, point);
  if (second_line) {
    ProfilePoint found;
    const GeometryStatus status = intersect_line_parabola(second.line, first.parabola, found);
    if (status == kGeometryOk) point = {found.station, parabola_elevation(first.parabola, found.station)};
    return status;
  }
  return intersect_parabolas(first.parabola, second.parabola, point);
}

GeometryStatus vertical_curve_between_lines(const GradeLine& first, const GradeLine& second, double length,
                                            VerticalCurve& curve) {
  if (first.b == 0.0 || second.b == 0.0) return kNoSolution;
  const double p1 = -first.a / first.b;
  const double p2 = -second.a / second.b;
  const double q1 = -first.c / first.b;
  const double q2 = -second.c / second.b;
  if (!finite(p1) || !finite(p2) || !finite(q1) || !finite(q2)) return kNoSolution;
  const double grade_change = (grade_line_grade(second) - grade_line_grade(first)) / 100.0;
  if (!(length > 0.0) || !(std::fabs(grade_change) > length / kMaxCurveRadius)) {
    return kRadiusOutOfRange;
  }
  const double radius = length / grade_change;
  if (!curve_radius_in_range(radius)) return kRadiusOutOfRange;
  // Tangency to line i puts the vertex at zv = p_i sv + p_i^2 R / 2 + q_i and
  // the tangent point at sv + p_i R. Equating the two vertex elevations gives
  // the quadratic for sv, whose square terms cancel for a common radius.
  double roots[2] = {0.0, 0.0};
  const int count =
      solve_quadratic(0.0, p1 - p2, (p1 * p1 - p2 * p2) * radius / 2.0 + q1 - q2, roots[0], roots[1]);
  if (count == 0) return kNoSolution;
  for (int k = 0; k < count; ++k) {
    const double sv = roots[k];
    const double t1 = sv + p1 * radius;
    const double t2 = sv + p2 * radius;
    if (t2 >= t1 - kProfileCoincidence) {
      curve.parabola = {sv, p1 * sv + p1 * p1 * radius / 2.0 + q1, radius};
      curve.first_tangent_station = t1;
      curve.second_tangent_station = t2;
      return kGeometryOk;
    }
  }
  return kSolutionOutsideElements;
}

double tangent_point_station(const Parabola& parabola, const ProfileShape& shape) {
  if (!curve_radius_in_range(parabola.radius)) return kNoTangentPoint;
  if (shape.kind == kProfileGrade) {
    if (shape.line.b == 0.0) return kNoTangentPoint;
    const double s = parabola.vertex_station - shape.line.a / shape.line.b * parabola.radius;
    const double gap = grade_line_elevation(shape.line, s) - parabola_elevation(parabola, s);
    return std::fabs(gap) <= kTouchingElevationTolerance ? s : kNoTangentPoint;
  }
  if (shape.kind == kProfileParabola) {
    ProfilePoint touch;
    if (intersect_parabolas(parabola, shape.parabola, touch) != kGeometryOk) return kNoTangentPoint;
    const double grade_gap =
        parabola_grade(parabola, touch.station) - parabola_grade(shape.parabola, touch.station);
    return std::fabs(grade_gap) <= kTouchingGradeTolerance ? touch.station : kNoTangentPoint;
  }
  return kNoTangentPoint;
}

int solve_quadratic(double a, double b, double c, double& root1, double& root2) {
  if (!finite(a) || !finite(b) || !finite(c)) return 0;
  if (std::fabs(a) < kQuadraticEpsilon) {
    if (!(std::fabs(b) > kLinearEpsilon)) return 0;
    const double r = -c / b;
    if (!finite(r)) return 0;
    root1 = r;
    return 1;
  }
  const double sv = -b / (2.0 * a);
  const double w = sv * b / 2.0 + c;
  if (!finite(sv) || !finite(w)) return 0;
  if (std::fabs(w) <= kDoubleRootValue) {
    root1 = sv;
    return 1;
  }
  if (a * w >= 0.0) return 0;
  const double half_width = std::sqrt(-w / a);
  if (!finite(half_width)) return 0;
  root1 = sv - half_width;
  root2 = sv + half_width;
  return 2;
}

double interpolate_linear(double x0, double y0, double x1, double y1, double x) {
  if (std::fabs(x1 - x0) <= kInterpolationSpan) return y0;
  return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

}  // namespace corvalinde
