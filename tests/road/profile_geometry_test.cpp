#include "road/profile_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvalinde {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SolveQuadratic, RootCountsAndOrder) {
  double r1 = 0.0;
  double r2 = 0.0;
  ASSERT_EQ(solve_quadratic(1.0, -3.0, 2.0, r1, r2), 2);
  EXPECT_DOUBLE_EQ(r1, 1.0);
  EXPECT_DOUBLE_EQ(r2, 2.0);
  ASSERT_EQ(solve_quadratic(-2.0, 6.0, -4.0, r1, r2), 2);
  EXPECT_DOUBLE_EQ(r1, 1.0);
  EXPECT_DOUBLE_EQ(r2, 2.0);
  ASSERT_EQ(solve_quadratic(1.0, -4.0, 4.0, r1, r2), 1) << "double root once";
  EXPECT_DOUBLE_EQ(r1, 2.0);
  EXPECT_EQ(solve_quadratic(1.0, 0.0, 1.0, r1, r2), 0);
  ASSERT_EQ(solve_quadratic(0.0, 2.0, -5.0, r1, r2), 1) << "linear";
  EXPECT_DOUBLE_EQ(r1, 2.5);
  EXPECT_EQ(solve_quadratic(0.0, 0.0, 1.0, r1, r2), 0);
  EXPECT_EQ(solve_quadratic(0.0, 0.0, 0.0, r1, r2), 0);
}

TEST(SolveQuadratic, NonFiniteCoefficientsHaveNoRoot) {
  double r1 = 0.0;
  double r2 = 0.0;
  EXPECT_EQ(solve_quadratic(kNaN, 1.0, 1.0, r1, r2), 0);
  EXPECT_EQ(solve_quadratic(1.0, kInf, 1.0, r1, r2), 0);
  EXPECT_EQ(solve_quadratic(0.0, 1.0, kNaN, r1, r2), 0);
  EXPECT_EQ(solve_quadratic(1e-19, 1e300, 1e300, r1, r2), 0) << "roots overflow";
}

TEST(InterpolateLinear, CoincidentAbscissaeGiveTheFirstValue) {
  EXPECT_DOUBLE_EQ(interpolate_linear(0.0, 1.0, 10.0, 3.0, 5.0), 2.0);
  EXPECT_DOUBLE_EQ(interpolate_linear(0.0, 1.0, 10.0, 3.0, 20.0), 5.0) << "extrapolates";
  EXPECT_EQ(interpolate_linear(4.0, 1.0, 4.0 + 1e-9, 3.0, 4.0), 1.0);
}

TEST(GradeLines, GradeElevationAndConstruction) {
  GradeLine line;
  ASSERT_EQ(grade_line_through_points({100.0, 50.0}, {200.0, 53.0}, line), kGeometryOk);
  EXPECT_NEAR(grade_line_grade(line), 3.0, 1e-12);
  EXPECT_NEAR(grade_line_elevation(line, 150.0), 51.5, 1e-12);
  EXPECT_EQ(grade_line_through_points({100.0, 50.0}, {100.00005, 60.0}, line), kCoincidentPoints)
      << "a vertical line has no grade";
  const GradeLine down = grade_line_through_point({100.0, 50.0}, -2.0);
  EXPECT_NEAR(grade_line_grade(down), -2.0, 1e-12);
  EXPECT_NEAR(grade_line_elevation(down, 200.0), 48.0, 1e-12);
}

TEST(Parabolas, TangentLineTouchesAtTheStationOfItsGrade) {
  const Parabola sag{500.0, 100.0, 4000.0};
  EXPECT_NEAR(parabola_grade(sag, 580.0), 2.0, 1e-12);
  EXPECT_NEAR(parabola_elevation(sag, 580.0), 100.8, 1e-12);
  const GradeLine tangent = tangent_line_of_grade(sag, 2.0);
  EXPECT_NEAR(grade_line_grade(tangent), 2.0, 1e-12);
  EXPECT_NEAR(grade_line_elevation(tangent, 580.0), 100.8, 1e-9);
  EXPECT_NEAR(tangent_point_station(sag, {kProfileGrade, tangent, {}}), 580.0, 1e-9);
  const GradeLine offset{tangent.a, tangent.b, tangent.c - 0.5};
  EXPECT_EQ(tangent_point_station(sag, {kProfileGrade, offset, {}}), kNoTangentPoint);
  EXPECT_EQ(tangent_point_station(sag, {7, tangent, {}}), kNoTangentPoint);
}

TEST(Parabolas, ConstructionsRejectRadiiOutOfRange) {
  Parabola p;
  EXPECT_EQ(parabola_from_vertex({0.0, 0.0}, 0.00009, p), kRadiusOutOfRange);
  EXPECT_EQ(parabola_from_vertex({0.0, 0.0}, -10000000.0, p), kRadiusOutOfRange);
  EXPECT_EQ(parabola_from_vertex({0.0, 0.0}, kNaN, p), kRadiusOutOfRange);
  ASSERT_EQ(parabola_from_vertex({10.0, 5.0}, -9999999.999, p), kGeometryOk);
  EXPECT_EQ(p.radius, -9999999.999);

  ASSERT_EQ(parabola_through_vertex_and_point({100.0, 20.0}, {140.0, 19.8}, p), kGeometryOk);
  EXPECT_NEAR(p.radius, -4000.0, 1e-9) << "crest through a lower point";
  EXPECT_NEAR(parabola_elevation(p, 140.0), 19.8, 1e-12);
  EXPECT_EQ(parabola_through_vertex_and_point({100.0, 20.0}, {100.00005, 21.0}, p), kRadiusOutOfRange);
  EXPECT_EQ(parabola_through_vertex_and_point({100.0, 20.0}, {140.0, 20.00005}, p), kRadiusOutOfRange);

  const GradeLine line = grade_line_through_point({0.0, 0.0}, 2.0);
  ASSERT_EQ(parabola_vertex_tangent_to_line({100.0, 1.0}, line, p), kGeometryOk);
  EXPECT_NEAR(p.radius, -5000.0, 1e-6) << "a vertex below a rising line gives a crest";
  EXPECT_NEAR(tangent_point_station(p, {kProfileGrade, line, {}}), 0.0, 1e-6);
  EXPECT_EQ(parabola_vertex_tangent_to_line({100.0, 1.0}, grade_line_through_point({0, 0}, 0.00001), p),
            kNoSolution);
  EXPECT_EQ(parabola_vertex_tangent_to_line({100.0, 1.0}, {1.0, 0.0, -5.0}, p), kNoSolution);
}

TEST(Intersections, LineCrossesAParabolaAtTheFirstRoot) {
  const Parabola sag{0.0, 0.0, 1000.0};   // z = s^2 / 2000
  const GradeLine level{0.0, 1.0, -0.8};  // z = 0.8
  ProfilePoint p;
  ASSERT_EQ(intersect_line_parabola(level, sag, p), kGeometryOk);
  EXPECT_NEAR(p.station, -40.0, 1e-9);
  EXPECT_NEAR(p.elevation, 0.8, 1e-12);
  const GradeLine below{0.0, 1.0, 0.1};
  EXPECT_EQ(intersect_line_parabola(below, sag, p), kNoSolution);
  ASSERT_EQ(intersect_line_parabola(tangent_line_of_grade(sag, 3.0), sag, p), kGeometryOk)
      << "a tangent line meets once";
  EXPECT_NEAR(p.station, 30.0, 1e-6);
  EXPECT_EQ(intersect_line_parabola({1.0, 0.0, -5.0}, sag, p), kNoSolution);
  EXPECT_EQ(intersect_line_parabola(level, {0.0, 0.0, 0.0}, p), kRadiusOutOfRange);
}

TEST(Intersections, ParabolasCountOnlyCrossingsOrTouches) {
  const Parabola sag{0.0, 0.0, 1000.0};
  ProfilePoint p;
  // A crest through the sag: two crossings.
  ASSERT_EQ(intersect_parabolas(sag, {0.0, 2.0, -1000.0}, p), kGeometryOk);
  EXPECT_NEAR(p.station, -std::sqrt(2000.0), 1e-9);
  EXPECT_NEAR(p.elevation, 1.0, 1e-9);
  // The same radius shifted: one crossing where the grades differ, no touch.
  EXPECT_EQ(intersect_parabolas(sag, {100.0, 0.0, 1000.0}, p), kNoSolution);
  // A flatter sag with the same vertex touches at the vertex.
  ASSERT_EQ(intersect_parabolas(sag, {0.0, 0.0, 3000.0}, p), kGeometryOk);
  EXPECT_NEAR(p.station, 0.0, 1e-9);
  EXPECT_EQ(intersect_parabolas(sag, {0.00005, 0.00005, 1000.00005}, p), kNoSolution) << "identical";
  ProfileShape first{kProfileParabola, {}, sag};
  ProfileShape second{kProfileParabola, {}, {0.0, 2.0, -1000.0}};
  ASSERT_EQ(intersect_profile_shapes(first, second, p), kGeometryOk);
  ProfileShape level{kProfileGrade, {0.0, 1.0, -0.8}, {}};
  ASSERT_EQ(intersect_profile_shapes(first, level, p), kGeometryOk);
  EXPECT_NEAR(p.elevation, parabola_elevation(sag, p.station), 1e-12) << "elevation from the first";
  ProfileShape rising{kProfileGrade, grade_line_through_point({0.0, 0.0}, 1.0), {}};
  ASSERT_EQ(intersect_profile_shapes(level, rising, p), kGeometryOk);
  EXPECT_NEAR(p.station, 80.0, 1e-9);
  ProfileShape unknown{5, {}, {}};
  EXPECT_EQ(intersect_profile_shapes(first, unknown, p), kElementKindNotHandled);
}

TEST(VerticalCurve, CurveOfLengthLIsTangentToBothGradeLines) {
  // +2 % up to the intersection (1000, 100), then -3 %: a crest of L = 200.
  const GradeLine up = grade_line_through_point({1000.0, 100.0}, 2.0);
  const GradeLine down = grade_line_through_point({1000.0, 100.0}, -3.0);
  VerticalCurve curve;
  ASSERT_EQ(vertical_curve_between_lines(up, down, 200.0, curve), kGeometryOk);
  EXPECT_NEAR(curve.parabola.radius, -4000.0, 1e-9);
  EXPECT_NEAR(curve.first_tangent_station, 900.0, 1e-9);
  EXPECT_NEAR(curve.second_tangent_station, 1100.0, 1e-9);
  EXPECT_NEAR(curve.parabola.vertex_station, 980.0, 1e-9);
  for (const double s : {curve.first_tangent_station, curve.second_tangent_station}) {
    const GradeLine& line = s < 1000.0 ? up : down;
    EXPECT_NEAR(parabola_elevation(curve.parabola, s), grade_line_elevation(line, s), 1e-9);
    EXPECT_NEAR(parabola_grade(curve.parabola, s), grade_line_grade(line), 1e-9);
  }
  EXPECT_NEAR(tangent_point_station(curve.parabola, {kProfileGrade, down, {}}), 1100.0, 1e-9);
}

TEST(VerticalCurve, StatusesForFlatChangesReversedLinesAndNoVertex) {
  const GradeLine up = grade_line_through_point({1000.0, 100.0}, 2.0);
  VerticalCurve curve;
  EXPECT_EQ(vertical_curve_between_lines(up, up, 200.0, curve), kRadiusOutOfRange);
  const GradeLine almost = grade_line_through_point({1000.0, 100.0}, 2.0 + 1e-6);
  EXPECT_EQ(vertical_curve_between_lines(up, almost, 200.0, curve), kRadiusOutOfRange)
      << "R = 2e10 is beyond the largest radius";
  const GradeLine down = grade_line_through_point({1000.0, 100.0}, -3.0);
  EXPECT_EQ(vertical_curve_between_lines(up, down, 0.0, curve), kRadiusOutOfRange);
  EXPECT_EQ(vertical_curve_between_lines(up, down, kNaN, curve), kRadiusOutOfRange);
  EXPECT_EQ(vertical_curve_between_lines(up, {1.0, 0.0, 0.0}, 200.0, curve), kNoSolution);
  // Grades whose change is too small for solve_quadratic's linear case but
  // large enough for a short curve: no vertex.
  const GradeLine tiny = grade_line_through_point({1000.0, 100.0}, 2.0 + 5e-7);
  EXPECT_EQ(vertical_curve_between_lines(up, tiny, 1e-3, curve), kNoSolution);
}

}  // namespace
}  // namespace corvalinde
