#include "road/plan_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "road_builder.h"

namespace corvalinde {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

RoadModel three_element_plan() {
  road_testing::PlanBuilder builder(100.0, 0.0, 0.0, 0.0);
  builder.line(50.0);                 // 100 .. 150
  builder.clothoid(40.0, 1.0 / 200);  // 150 .. 190
  builder.arc(200.0, 60.0);           // 190 .. 250
  RoadModel model;
  model.set_plan(builder.take());
  return model;
}

// ---- Lookup ----------------------------------------------------------------

TEST(PlanLookup, StationOnJoinBelongsToElementReachedFirst) {
  RoadModel model = three_element_plan();
  model.plan_lookup_cache() = 1;
  EXPECT_EQ(locate_plan_element(model, 150.0), 1U) << "coming from below";
  model.plan_lookup_cache() = 3;
  EXPECT_EQ(locate_plan_element(model, 150.0), 2U) << "coming from above";
  EXPECT_EQ(locate_plan_element(model, 190.0), 2U);
  EXPECT_EQ(locate_plan_element(model, 100.0), 1U) << "first start is inclusive";
  EXPECT_EQ(locate_plan_element(model, 250.0), 3U) << "last end is inclusive";
  EXPECT_EQ(model.plan_lookup_cache(), 3U);
}

TEST(PlanLookup, StationOffTheAlignmentFindsNothingAndParksTheCacheAtTheEnd) {
  RoadModel model = three_element_plan();
  model.plan_lookup_cache() = 2;
  EXPECT_EQ(locate_plan_element(model, 99.999), 0U);
  EXPECT_EQ(model.plan_lookup_cache(), 1U);
  EXPECT_EQ(locate_plan_element(model, 250.001), 0U);
  EXPECT_EQ(model.plan_lookup_cache(), 3U);
  EXPECT_EQ(locate_plan_element(model, -kInf), 0U);
  EXPECT_EQ(model.plan_lookup_cache(), 1U);
  EXPECT_EQ(locate_plan_element(model, kInf), 0U);
  EXPECT_EQ(model.plan_lookup_cache(), 3U);
}

TEST(PlanLookup, NaNStationFindsNothingAndKeepsTheCache) {
  RoadModel model = three_element_plan();
  model.plan_lookup_cache() = 2;
  EXPECT_EQ(locate_plan_element(model, kNaN), 0U);
  EXPECT_EQ(model.plan_lookup_cache(), 2U);
}

TEST(PlanLookup, StaleCacheFromALongerDesignIsClamped) {
  RoadModel model = three_element_plan();
  model.plan_lookup_cache() = 5000;  // left by a previous design
  EXPECT_EQ(locate_plan_element(model, 120.0), 1U);
  model.plan_lookup_cache() = 5000;
  EXPECT_EQ(locate_plan_element(model, 200.0), 3U);
  model.clear();
  EXPECT_EQ(locate_plan_element(model, 200.0), 0U) << "absent table";
  EXPECT_EQ(model.plan_lookup_cache(), 3U) << "an absent table leaves the cache";
}

TEST(PlanLookup, StationInAGapBetweenElementsGetsTheElementAfterIt) {
  RoadModel model = three_element_plan();
  std::vector<PlanElement> elements = model.plan_elements();
  elements[2].start_station = 195.0;  // gap 190 .. 195
  model.set_plan(elements);
  model.plan_lookup_cache() = 1;
  EXPECT_EQ(locate_plan_element(model, 192.0), 3U);
  model.plan_lookup_cache() = 3;
  EXPECT_EQ(locate_plan_element(model, 192.0), 3U) << "the same from above";
  EXPECT_EQ(locate_plan_element(model, 196.0), 3U);
}

// ---- Clothoid series -------------------------------------------------------

TEST(ClothoidSeries, ZeroAngleOrZeroParameterGivesTheOrigin) {
  double x = 1.0;
  double y = 1.0;
  EXPECT_EQ(clothoid_point(100.0, 0.0, x, y), kGeometryOk);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  x = y = 1.0;
  EXPECT_EQ(clothoid_point(0.0, 1.0, x, y), kGeometryOk);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  double tau = 1.0;
  EXPECT_EQ(clothoid_point_at_length(0.0, 50.0, x, y, tau), kGeometryOk);
  EXPECT_EQ(tau, 0.0);
  tau = 1.0;
  EXPECT_EQ(clothoid_point_at_radius(0.0, 50.0, x, y, tau), kGeometryOk);
  EXPECT_EQ(tau, 0.0);
  EXPECT_EQ(x, 0.0);
}

TEST(ClothoidSeries, AngleAboveSevenPiIsRejected) {
  double x = 1.0;
  double y = 1.0;
  EXPECT_EQ(clothoid_point(10.0, std::nextafter(kClothoidMaxTau, 100.0), x, y), kClothoidAngleUnusable);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  EXPECT_EQ(clothoid_point(10.0, kClothoidMaxTau, x, y), kGeometryOk);
  EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
}

TEST(ClothoidSeries, NonFiniteOrNegativeInputFailsWithoutLooping) {
  double x = 1.0;
  double y = 1.0;
  double tau = 0.0;
  EXPECT_EQ(clothoid_point(100.0, kNaN, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point(100.0, kInf, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point(100.0, -0.5, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point(kNaN, 0.5, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point(kInf, 0.5, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point_at_length(100.0, kNaN, x, y, tau), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point_at_length(100.0, kInf, x, y, tau), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point_at_radius(100.0, 0.0, x, y, tau), kClothoidAngleUnusable);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  // Finite but absurd: the series must still end (it overflows, and says so).
  EXPECT_EQ(clothoid_point(1e300, 21.0, x, y), kClothoidAngleUnusable);
  EXPECT_EQ(clothoid_point(-1e-300, 21.0, x, y), kGeometryOk);
}

TEST(ClothoidSeries, ParameterHundredAtLengthHundred) {
  double x = 0.0;
  double y = 0.0;
  double tau = 0.0;
  ASSERT_EQ(clothoid_point_at_length(100.0, 100.0, x, y, tau), kGeometryOk);
  EXPECT_DOUBLE_EQ(tau, 0.5);
  EXPECT_NEAR(x, 100.0 * (1.0 - 1.0 / 40 + 1.0 / 3456 - 1.0 / 599040), 1e-4);
  EXPECT_NEAR(y, 100.0 * (1.0 / 6 - 1.0 / 336 + 1.0 / 42240), 1e-4);
  double xr = 0.0;
  double yr = 0.0;
  ASSERT_EQ(clothoid_point_at_radius(100.0, 100.0, xr, yr, tau), kGeometryOk);
  EXPECT_DOUBLE_EQ(tau, 0.5) << "radius A^2 / l = 100 at l = 100";
  EXPECT_DOUBLE_EQ(xr, x);
  EXPECT_DOUBLE_EQ(yr, y);
}

TEST(ClothoidSeries, AgreesWithFresnelIntegralsWithinATenthOfAMillimetre) {
  const double parameters[] = {20.0, 35.0, 60.0, 100.0, 180.0, 300.0, 550.0, 1000.0, 1500.0, 2000.0};
  double worst = 0.0;
  for (const double a : parameters) {
    for (int step = 1; step <= 60; ++step) {
      const double tau = 3.0 * step / 60.0;
      double x = 0.0;
      double y = 0.0;
      ASSERT_EQ(clothoid_point(a, tau, x, y), kGeometryOk);
      const road_testing::LocalPoint exact = road_testing::exact_clothoid_point(a, a * std::sqrt(2.0 * tau));
      const double error = std::hypot(x - exact.x, y - exact.y);
      worst = std::fmax(worst, error);
      EXPECT_LT(error, 1e-4) << "A " << a << " tau " << tau;
    }
  }
  RecordProperty("worst_error_m", std::to_string(worst));
}

// ---- Plane helpers ---------------------------------------------------------

TEST(PlaneHelpers, LineThroughPointsHasUnitNormalAndHeadingTowardsTheSecondPoint) {
  struct Case {
    PlanePoint p1, p2;
    double heading;
  };
  const Case cases[] = {
      {{0, 0}, {10, 0}, 0.0},
      {{0, 0}, {0, 10}, kPi / 2},
      {{0, 0}, {-10, 0}, kPi},
      {{0, 0}, {0, -10}, 3 * kPi / 2},
      {{5, 5}, {2, 1}, std::atan2(-4.0, -3.0) + kTwoPi},
  };
  for (const Case& c : cases) {
    LineEquation line;
    ASSERT_EQ(line_through_points(c.p1, c.p2, line), kGeometryOk);
    EXPECT_NEAR(std::hypot(line.a, line.b), 1.0, 1e-15);
    EXPECT_NEAR(line_equation_value(line, c.p1), 0.0, 1e-12);
    EXPECT_NEAR(line_equation_value(line, c.p2), 0.0, 1e-12);
    EXPECT_NEAR(line_heading(line), c.heading, 1e-12);
    EXPECT_NEAR(direction_angle(c.p1, c.p2), c.heading, 1e-12);
  }
  // A point to the left of the travel direction gives a positive value.
  LineEquation east;
  ASSERT_EQ(line_through_points({0, 0}, {10, 0}, east), kGeometryOk);
  EXPECT_NEAR(line_equation_value(east, {3, 2}), 2.0, 1e-12);
}

TEST(PlaneHelpers, CoincidentPointsGiveNoLineAndNoDirection) {
  LineEquation line{1, 2, 3};
  EXPECT_EQ(line_through_points({1, 1}, {1.00005, 1.00005}, line), kCoincidentPoints);
  EXPECT_EQ(line.a, 1.0) << "line left unchanged";
  EXPECT_EQ(line_through_points({kNaN, 0}, {1, 1}, line), kCoincidentPoints);
  EXPECT_EQ(direction_angle({1, 1}, {1.00005, 1.0}), 0.0);
}

TEST(PlaneHelpers, NormalizeAngleStaysInsideTheHalfOpenTurn) {
  EXPECT_EQ(normalize_angle(0.0), 0.0);
  EXPECT_NEAR(normalize_angle(-kPi), kPi, 1e-15);
  EXPECT_NEAR(normalize_angle(kTwoPi), 0.0, 1e-15);
  EXPECT_NEAR(normalize_angle(-kTwoPi - 1.0), kTwoPi - 1.0, 1e-12);
  EXPECT_NEAR(normalize_angle(5 * kPi), kPi, 1e-12);
  const double tiny = normalize_angle(-1e-18);
  EXPECT_GE(tiny, 0.0);
  EXPECT_LT(tiny, kTwoPi);
  EXPECT_TRUE(std::isnan(normalize_angle(kInf)));
}

TEST(PlaneHelpers, ArcLengthFollowsTheTurnAndAFullCircleIsZero) {
  EXPECT_NEAR(arc_length_from_angles(100.0, 0.0, kPi / 2), 100.0 * kPi / 2, 1e-9);
  EXPECT_NEAR(arc_length_from_angles(-100.0, 0.0, kPi / 2), 100.0 * 3 * kPi / 2, 1e-9)
      << "clockwise from 0 to pi/2 goes the long way";
  EXPECT_NEAR(arc_length_from_angles(-100.0, kPi / 2, 0.0), 100.0 * kPi / 2, 1e-9);
  EXPECT_EQ(arc_length_from_angles(100.0, 1.0, 1.0 + kTwoPi), 0.0);
  EXPECT_EQ(arc_length_from_angles(250.0, 1.0, 1.0), 0.0);
}

TEST(PlaneHelpers, DistancesAndLineIntersection) {
  EXPECT_DOUBLE_EQ(point_distance({1, 2}, {4, 6}), 5.0);
  EXPECT_DOUBLE_EQ(distance_from_circle({13, 0}, {0, 0}, -10.0), 3.0);
  EXPECT_DOUBLE_EQ(distance_from_circle({0, 4}, {0, 0}, 10.0), -6.0);
  LineEquation l1;
  LineEquation l2;
  ASSERT_EQ(line_through_points({0, 0}, {10, 10}, l1), kGeometryOk);
  ASSERT_EQ(line_through_points({0, 10}, {10, 0}, l2), kGeometryOk);
  PlanePoint p{-1, -1};
  ASSERT_EQ(intersect_lines(l1, l2, p), kGeometryOk);
  EXPECT_NEAR(p.x, 5.0, 1e-12);
  EXPECT_NEAR(p.y, 5.0, 1e-12);
  LineEquation l3;
  ASSERT_EQ(line_through_points({0, 1}, {10, 11}, l3), kGeometryOk);
  p = {-1, -1};
  EXPECT_EQ(intersect_lines(l1, l3, p), kNoSolution);
  EXPECT_EQ(p.x, -1.0);
}

TEST(PlaneHelpers, SwapOptionallyNegatesBoth) {
  double u = 3.0;
  double v = -2.5;
  swap_values(u, v, false);
  EXPECT_EQ(u, -2.5);
  EXPECT_EQ(v, 3.0);
  swap_values(u, v, true);
  EXPECT_EQ(u, -3.0);
  EXPECT_EQ(v, 2.5);
}

TEST(PlaneHelpers, RoundingSendsHalvesAwayFromZero) {
  EXPECT_EQ(round_to_decimals(2.5, 0), 3.0);
  EXPECT_EQ(round_to_decimals(-2.5, 0), -3.0);
  EXPECT_DOUBLE_EQ(round_to_decimals(1.23456, 4), 1.2346);
  EXPECT_DOUBLE_EQ(round_to_decimals(-0.00005, 4), -0.0001);
  EXPECT_DOUBLE_EQ(round_to_decimals(1234.5, -1), 1230.0);
  EXPECT_EQ(round_to_decimals(1e300, 4), 1e300) << "no overflow to infinity";
  EXPECT_EQ(round_to_decimals(kInf, 2), kInf);
  EXPECT_TRUE(std::isnan(round_to_decimals(kNaN, 2)));
}

}  // namespace
}  // namespace corvalinde
