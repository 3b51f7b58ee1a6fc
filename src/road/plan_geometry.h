// Plane geometry of the horizontal alignment: the plan-element lookup, the
// clothoid series and the small plane helpers the readers use to turn points
// into element parameters. Pure functions over values and the RoadModel (whose
// lookup cache they update); failures are GeometryStatus values, never throws.
#pragma once

#include <cstddef>

#include "road/geometry_status.h"
#include "road/road_model.h"

namespace corvalinde {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

// Largest clothoid tangent angle the series accepts (about 21.99 rad).
inline constexpr double kClothoidMaxTau = 7.0 * kPi;
// Absolute tolerance (m) of the last terms of the clothoid series: for A > 0,
// and for A <= 0.
inline constexpr double kClothoidSeriesTolerance = 1e-4;
inline constexpr double kClothoidSeriesToleranceNonPositiveA = 1e-2;
// Two points closer than this (m) are one point.
inline constexpr double kCoincidentPointDistance = 1e-4;
// An arc whose length is within this (m) of the full circle is a full circle.
inline constexpr double kFullCircleLengthTolerance = 1e-3;
// Lines whose determinant is at most this are parallel.
inline constexpr double kParallelLinesDeterminant = 1e-8;

struct PlanePoint {
  double x = 0.0;
  double y = 0.0;
};

// a*x + b*y + c = 0; line_through_points makes (a, b) a unit normal that
// points to the left of the direction from the first to the second point.
struct LineEquation {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
};

// Index (1-based) of the plan element with start station <= s <= end station,
// or 0 (no plan, s before the first / after the last element, s NaN). Walks
// from model.plan_lookup_cache() and stores the index reached, so nearby
// stations cost O(1); on a join the element reached first wins, and a station
// in a gap between two elements gets the element after the gap.
std::size_t locate_plan_element(const RoadModel& model, double s);

// Local clothoid coordinates for parameter a and tangent angle tau: origin at
// zero curvature, x along the tangent there, y towards the turning side. Sums
// x = l sum (-1)^j tau^2j / ((4j+1)(2j)!), y = l sum (-1)^j tau^(2j+1) /
// ((4j+3)(2j+1)!) with l = |a| sqrt(2 tau) until both last terms are within
// the tolerance. (0, 0) and kGeometryOk for a = 0 or tau = 0; (0, 0) and
// kClothoidAngleUnusable for tau > 7 pi, tau < 0 or non-finite a or tau.
[[nodiscard]] GeometryStatus clothoid_point(double a, double tau, double& x, double& y);

// tau = l^2 / (2 a^2), then clothoid_point. a = 0 gives x = y = tau = 0, ok.
[[nodiscard]] GeometryStatus clothoid_point_at_length(double a, double length, double& x, double& y,
                                                      double& tau);

// tau = (a / radius)^2 / 2, then clothoid_point. a = 0 gives all 0, ok;
// radius 0 gives an infinite angle (kClothoidAngleUnusable).
[[nodiscard]] GeometryStatus clothoid_point_at_radius(double a, double radius, double& x, double& y,
                                                      double& tau);

// The line through p1 and p2 with (a, b) = (p1.y - p2.y, p2.x - p1.x) / d.
// kCoincidentPoints (line left unchanged) when d <= 0.0001.
[[nodiscard]] GeometryStatus line_through_points(PlanePoint p1, PlanePoint p2, LineEquation& line);

// Heading of a line made by line_through_points: the polar angle of the
// direction from its first to its second point, atan2(-a, b), in [0, 2 pi).
double line_heading(const LineEquation& line);

// Polar angle of p2 - p1 in [0, 2 pi); 0 when the points are within 0.0001.
double direction_angle(PlanePoint p1, PlanePoint p2);

// angle reduced into [0, 2 pi). A non-finite angle gives NaN.
double normalize_angle(double angle);

// Length of the arc of signed radius (> 0 counter-clockwise) from polar angle
// phi_start to phi_end, going the way the radius turns. A full circle (within
// 0.001 m) is returned as 0.
double arc_length_from_angles(double radius, double phi_start, double phi_end);

double point_distance(PlanePoint p1, PlanePoint p2);

// Distance of p from the centre minus |radius| (negative inside the circle).
double distance_from_circle(PlanePoint p, PlanePoint centre, double radius);

// Intersection point of two lines; kNoSolution (point unchanged) when they
// are parallel (|a1 b2 - b1 a2| <= 1e-8).
[[nodiscard]] GeometryStatus intersect_lines(const LineEquation& l1, const LineEquation& l2,
                                             PlanePoint& point);

// a*x + b*y + c: the signed distance of p from the line when (a, b) is a unit
// normal.
double line_equation_value(const LineEquation& line, PlanePoint p);

// Exchanges u and v; with negate, both are also negated.
void swap_values(double& u, double& v, bool negate);

// value * 10^decimals rounded to the nearest integer (halves away from zero),
// divided by 10^decimals. Values too large to carry that many decimals and
// non-finite values are returned unchanged.
double round_to_decimals(double value, int decimals);

}  // namespace corvalinde
