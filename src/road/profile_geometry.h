// Vertical profile and crossfall: the profile-element and crossfall-interval
// lookups, their evaluation at a station, and the profile-geometry operations
// with which the LandXML reader turns grade lines, lengths and radii into
// parabolas. Pure functions (the lookups update their RoadModel cache);
// failures are GeometryStatus values, never throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "road/geometry_status.h"
#include "road/road_model.h"

namespace corvalinde {

// A vertical-curve radius is usable when kMinCurveRadius < |R| <= kMaxCurveRadius.
inline constexpr double kMinCurveRadius = 1e-4;
inline constexpr double kMaxCurveRadius = 9999999.999;
// Stations or elevations closer than this (m) are the same.
inline constexpr double kProfileCoincidence = 1e-4;
// A line is level when |a / b| is at most this.
inline constexpr double kLevelSlope = 1e-6;
// Two curves touch at a common point when their grades agree within this (%).
inline constexpr double kTouchingGradeTolerance = 0.01;
// A line touches a parabola when its elevation at the grade-match station is
// within this (m) of the parabola's.
inline constexpr double kTouchingElevationTolerance = 1e-3;
// Station value meaning "no tangent point".
inline constexpr double kNoTangentPoint = -2.80558e46;
// Crowned default where no crossfall interval applies, per cent.
inline constexpr double kDefaultLeftCrossfall = 2.5;
inline constexpr double kDefaultRightCrossfall = -2.5;

// A point of the (station, elevation) plane.
struct ProfilePoint {
  double station = 0.0;
  double elevation = 0.0;
};

// A grade line a*s + b*z + c = 0 in the (station, elevation) plane. The
// builders below never make b = 0 (a vertical line has no grade).
struct GradeLine {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
};

// z(s) = vertex_elevation + (s - vertex_station)^2 / (2 radius); radius > 0
// sag, < 0 crest.
struct Parabola {
  double vertex_station = 0.0;
  double vertex_elevation = 0.0;
  double radius = 0.0;
};

// One profile element as a shape: kind kProfileGrade uses `line`,
// kProfileParabola uses `parabola`; other kinds are not handled.
struct ProfileShape {
  std::int8_t kind = 0;
  GradeLine line;
  Parabola parabola;
};

// A vertical curve between two grade lines with its two tangent stations.
struct VerticalCurve {
  Parabola parabola;
  double first_tangent_station = 0.0;
  double second_tangent_station = 0.0;
};

// ---- Lookups and evaluation ------------------------------------------------

// Index (1-based) of the profile element with start <= s <= end, or 0. Same
// walk and rules as locate_plan_element, with the profile cache.
std::size_t locate_profile_element(const RoadModel& model, double s);

// Index i (1 <= i <= n - 1) of the crossfall interval with station(i) <= s <=
// station(i + 1), or 0 (fewer than two points, s outside the points, s NaN).
std::size_t locate_crossfall_interval(const RoadModel& model, double s);

// Elevation and grade (fraction, in the station direction) of an element at
// s. Kind 1 is a grade line, any other kind a parabola (vertex formula, even
// with the vertex outside the element). A parabola with radius 0 is taken as
// the chord between its end points.
void evaluate_profile_element(const ProfileElement& element, double s, double& elevation, double& grade);

// Crossfalls (fractions, left then right, seen in the direction of travel
// `sense`) at s: linear between the points of the enclosing interval, the
// crowned default where none encloses s. Reversing the sense turns (left,
// right) into (-right, -left). Two points at one station give the first's values.
void evaluate_crossfall(const RoadModel& model, double s, int sense, double& left, double& right);

// ---- Profile-geometry operations -------------------------------------------

// Grade in per cent (-100 a / b) and elevation at s of a grade line.
double grade_line_grade(const GradeLine& line);
double grade_line_elevation(const GradeLine& line, double s);

// The grade line through two points; kCoincidentPoints when the points are at
// the same station (within 0.0001), which leaves no grade.
[[nodiscard]] GeometryStatus grade_line_through_points(ProfilePoint p1, ProfilePoint p2, GradeLine& line);

// The grade line of the given grade (per cent) through p (b = 1).
GradeLine grade_line_through_point(ProfilePoint p, double grade_percent);

// Grade in per cent and elevation at s of a parabola.
double parabola_grade(const Parabola& parabola, double s);
double parabola_elevation(const Parabola& parabola, double s);

// The line of the given grade (per cent) tangent to the parabola (b = 1).
GradeLine tangent_line_of_grade(const Parabola& parabola, double grade_percent);

// kMinCurveRadius < |radius| <= kMaxCurveRadius (false for NaN).
bool curve_radius_in_range(double radius);

// The parabola with the given vertex and radius; kRadiusOutOfRange.
[[nodiscard]] GeometryStatus parabola_from_vertex(ProfilePoint vertex, double radius, Parabola& parabola);

// The parabola with its vertex at `vertex` passing through `point`;
// kRadiusOutOfRange when the stations or the elevations of the two points
// coincide (within 0.0001) or the radius is out of range.
[[nodiscard]] GeometryStatus parabola_through_vertex_and_point(ProfilePoint vertex, ProfilePoint point,
                                                               Parabola& parabola);

// The parabola with its vertex at `vertex` tangent to `line`; kNoSolution for
// a level (|a/b| <= 1e-6) or vertical line, kRadiusOutOfRange for a radius
// out of range.
[[nodiscard]] GeometryStatus parabola_vertex_tangent_to_line(ProfilePoint vertex, const GradeLine& line,
                                                             Parabola& parabola);

// Intersection of a grade line with a parabola (elevation from the line): the
// first root of the quadratic when there is one root, or two roots whose
// points lie more than 0.0001 apart; otherwise kNoSolution. A vertical line
// gives kNoSolution, a radius out of range kRadiusOutOfRange.
[[nodiscard]] GeometryStatus intersect_line_parabola(const GradeLine& line, const Parabola& parabola,
                                                     ProfilePoint& point);

// Intersection of two parabolas (elevation from the first): a single root
// counts only when the grades there agree within 0.01 per cent (the curves
// touch); two roots count when their points are more than 0.0001 apart.
// Nearly identical parabolas give kNoSolution.
[[nodiscard]] GeometryStatus intersect_parabolas(const Parabola& first, const Parabola& second,
                                                 ProfilePoint& point);

// Intersection of two profile shapes of any handled kinds (line-line,
// line-parabola, parabola-line, parabola-parabola); kElementKindNotHandled
// for another kind.
[[nodiscard]] GeometryStatus intersect_profile_shapes(const ProfileShape& first, const ProfileShape& second,
                                                      ProfilePoint& point);

// The vertical curve of length `length` tangent to both grade lines (the
// "ParaCurve" construction): R = length / dG with dG the grade change as a
// fraction. kRadiusOutOfRange when |dG| <= length / 9 999 999.999 or R is out
// of range (also for length <= 0), kSolutionOutsideElements when the second
// tangent point would lie before the first, kNoSolution when no vertex exists.
[[nodiscard]] GeometryStatus vertical_curve_between_lines(const GradeLine& first, const GradeLine& second,
                                                          double length, VerticalCurve& curve);

// Station at which the parabola touches the shape (a grade line it is tangent
// to, or a parabola it touches), or kNoTangentPoint.
double tangent_point_station(const Parabola& parabola, const ProfileShape& shape);

// Real roots of a s^2 + b s + c = 0 in increasing order (a double root once);
// returns their number 0, 1 or 2. Non-finite coefficients or roots give 0.
int solve_quadratic(double a, double b, double c, double& root1, double& root2);

// y at x on the line through (x0, y0) and (x1, y1); y0 when |x1 - x0| <= 1e-8.
double interpolate_linear(double x0, double y0, double x1, double y1, double x);

}  // namespace corvalinde
