#include "road/axis_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "road/plan_geometry.h"
#include "road/profile_geometry.h"
#include "road_builder.h"

namespace corvalinde {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kJoinPosition = 1e-4;  // m
constexpr double kJoinAngle = 1e-6;     // rad

double angle_gap(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), kTwoPi);
  return std::fmin(d, kTwoPi - d);
}

// Evaluates on element `index` exactly at station s by steering the walk.
AxisPoint evaluate_on(const RoadModel& model, std::size_t index, double s, int sense = 1) {
  model.plan_lookup_cache() = index;
  AxisPoint p;
  EXPECT_EQ(evaluate_axis_point(model, s, sense, nullptr, p), model.plan(index).kind());
  return p;
}

// Every combination the alignment meets: both turns, clothoids growing and
// shrinking from a line, and egg shapes between two arcs both ways.
RoadModel mixed_alignment(double heading) {
  road_testing::PlanBuilder b(1000.0, 2500.0, -800.0, heading);
  b.line(120.0);
  b.clothoid(90.0, 1.0 / 300);  // left, away from the origin
  b.arc(300.0, 140.0);
  b.clothoid(70.0, 1.0 / 150);  // left, between arcs, curvature growing
  b.arc(150.0, 110.0);
  b.clothoid(60.0, 1.0 / 600);  // left, between arcs, curvature falling
  b.arc(600.0, 80.0);
  b.clothoid(100.0, 0.0);  // left, towards the origin
  b.line(200.0);
  b.clothoid(150.0, -1.0 / 250);  // right
  b.arc(-250.0, 300.0);
  b.clothoid(50.0, -1.0 / 120);
  b.arc(-120.0, 200.0);  // past a half turn
  b.clothoid(80.0, -1.0 / 400);
  b.arc(-400.0, 90.0);
  b.clothoid(120.0, 0.0);
  b.line(60.0);
  b.clothoid(40.0, 1.0 / 90);  // a sharp left with a large tangent angle
  b.clothoid(40.0, 0.0);       // clothoid straight into clothoid
  b.line(10.0);
  RoadModel model;
  model.set_plan(b.take());
  return model;
}

TEST(AxisContinuity, PositionAndNormalAgreeOnBothSidesOfEveryJoin) {
  for (const double heading : {0.0, 1.1, 2.9, 4.4, 6.0}) {
    const RoadModel model = mixed_alignment(heading);
    const auto& elements = model.plan_elements();
    for (std::size_t i = 1; i < elements.size(); ++i) {
      const double join = elements[i - 1].end_station;
      for (const int sense : {1, -1}) {
        const AxisPoint before = evaluate_on(model, i, join, sense);
        const AxisPoint after = evaluate_on(model, i + 1, join, sense);
        SCOPED_TRACE(testing::Message() << "heading " << heading << " join " << i << " sense " << sense);
        EXPECT_LT(std::hypot(before.x - after.x, before.y - after.y), kJoinPosition);
        EXPECT_LT(std::hypot(before.x - elements[i].start_x, before.y - elements[i].start_y), kJoinPosition)
            << "against the exact join";
        EXPECT_LT(angle_gap(before.normal_direction, after.normal_direction), kJoinAngle);
        EXPECT_NEAR(before.curvature, after.curvature, 1e-9) << "curvature is continuous too";
      }
    }
    // The very ends lie on the exact end points too.
    const AxisPoint first = evaluate_on(model, 1, elements.front().start_station);
    EXPECT_LT(std::hypot(first.x - elements.front().start_x, first.y - elements.front().start_y), 1e-9);
    const AxisPoint last = evaluate_on(model, elements.size(), elements.back().end_station);
    EXPECT_LT(std::hypot(last.x - elements.back().end_x, last.y - elements.back().end_y), kJoinPosition);
  }
}

TEST(AxisContinuity, GeneratedTwentyKilometreRoadIsContinuous) {
  const RoadModel model = road_testing::generated_road(20000.0);
  const auto& elements = model.plan_elements();
  ASSERT_GT(elements.size(), 60U);
  ASSERT_GE(elements.back().end_station, 20000.0);
  ASSERT_EQ(model.profile_elements().back().end_station, elements.back().end_station);
  for (std::size_t i = 1; i < elements.size(); ++i) {
    const double join = elements[i - 1].end_station;
    const AxisPoint before = evaluate_on(model, i, join);
    const AxisPoint after = evaluate_on(model, i + 1, join);
    ASSERT_LT(std::hypot(before.x - after.x, before.y - after.y), kJoinPosition) << "join " << i;
    ASSERT_LT(angle_gap(before.normal_direction, after.normal_direction), kJoinAngle) << "join " << i;
  }
  const auto& profile = model.profile_elements();
  for (std::size_t i = 1; i < profile.size(); ++i) {
    const double join = profile[i - 1].end_station;
    double z1 = 0.0;
    double g1 = 0.0;
    double z2 = 0.0;
    double g2 = 0.0;
    evaluate_profile_element(profile[i - 1], join, z1, g1);
    evaluate_profile_element(profile[i], join, z2, g2);
    ASSERT_NEAR(z1, z2, 1e-6) << "profile join " << i;
    ASSERT_NEAR(g1, g2, 1e-9) << "profile join " << i;
  }
}

TEST(AxisPlan, ClockwiseArcDecreasesItsPolarAngleAndNormalIsPolarAngleMinusPi) {
  road_testing::PlanBuilder b(0.0, 0.0, 0.0, 0.0);
  b.arc(-100.0, 50.0);
  RoadModel model;
  model.set_plan(b.take());
  const PlanElement& arc = model.plan(1);
  AxisPoint p;
  ASSERT_EQ(evaluate_axis_point(model, 0.0, 1, nullptr, p), kPlanArc);
  EXPECT_NEAR(p.x, 0.0, 1e-12);
  EXPECT_NEAR(p.y, 0.0, 1e-12);
  EXPECT_NEAR(angle_gap(p.normal_direction, -kPi / 2), 0.0, 1e-12) << "heading east, normal south";
  ASSERT_EQ(evaluate_axis_point(model, 20.0, 1, nullptr, p), kPlanArc);
  const double polar = std::atan2(p.y - arc.arc()->centre_y, p.x - arc.arc()->centre_x);
  EXPECT_NEAR(angle_gap(polar, arc.arc()->start_angle - 0.2), 0.0, 1e-12) << "polar angle falls by s / |R|";
  EXPECT_NEAR(angle_gap(p.normal_direction, polar - kPi), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(p.curvature, 0.01);
}

TEST(AxisPlan, ReverseSenseTurnsTheNormalByPiAndKeepsPositionAndCurvature) {
  const RoadModel model = mixed_alignment(2.0);
  for (double s = 1000.0; s <= 3000.0; s += 37.0) {
    AxisPoint forward;
    AxisPoint backward;
    const int kind = evaluate_axis_point(model, s, 1, nullptr, forward);
    ASSERT_EQ(evaluate_axis_point(model, s, -1, nullptr, backward), kind);
    if (kind == 0) continue;
    EXPECT_EQ(backward.x, forward.x);
    EXPECT_EQ(backward.y, forward.y);
    EXPECT_EQ(backward.curvature, forward.curvature);
    EXPECT_DOUBLE_EQ(backward.normal_direction - forward.normal_direction, kPi);
  }
}

TEST(AxisPlan, StationOffTheAlignmentLeavesThePlanFieldsAlone) {
  const RoadModel model = mixed_alignment(0.0);
  for (const double s : {999.0, 5000.0, kNaN, kInf, -kInf}) {
    AxisPoint p;
    p.x = 7.0;
    p.y = 8.0;
    p.normal_direction = 9.0;
    p.curvature = 0.5;
    p.plan_kind = 3;
    EXPECT_EQ(evaluate_axis_point(model, s, 1, nullptr, p), 0);
    EXPECT_EQ(p.plan_kind, 0);
    EXPECT_EQ(p.x, 7.0);
    EXPECT_EQ(p.y, 8.0);
    EXPECT_EQ(p.normal_direction, 9.0);
    EXPECT_EQ(p.curvature, 0.5);
    EXPECT_EQ(p.profile_kind, 0);
    EXPECT_DOUBLE_EQ(p.left_crossfall, 0.025);
  }
}

TEST(AxisPlan, BrokenRecordsGiveFiniteValuesOrNoElement) {
  PlanElement clothoid;
  clothoid.end_station = 50.0;
  ClothoidGeometry no_parameter;
  no_parameter.orientation = 1;
  no_parameter.turn = 1;
  no_parameter.parameter = 0.0;
  clothoid.geometry = no_parameter;
  PlanElement negative_angle = clothoid;
  negative_angle.start_station = 50.0;
  negative_angle.end_station = 100.0;
  ClothoidGeometry negative = no_parameter;
  negative.parameter = 100.0;
  negative.tau_near = -1.0;
  negative_angle.geometry = negative;
  PlanElement flat_arc = negative_angle;
  flat_arc.start_station = 100.0;
  flat_arc.end_station = 150.0;
  flat_arc.geometry = ArcGeometry{};  // radius 0
  PlanElement unknown = flat_arc;
  unknown.geometry = std::monostate{};  // no geometry
  unknown.start_station = 150.0;
  unknown.end_station = 200.0;
  RoadModel model;
  model.set_plan({clothoid, negative_angle, flat_arc, unknown});
  AxisPoint p;
  ASSERT_EQ(evaluate_axis_point(model, 20.0, 1, nullptr, p), kPlanClothoid);
  EXPECT_EQ(p.curvature, 0.0);
  EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.normal_direction));
  for (const double s : {70.0, 120.0, 170.0}) {
    p = AxisPoint{};
    EXPECT_EQ(evaluate_axis_point(model, s, 1, nullptr, p), 0) << s;
    EXPECT_EQ(p.curvature, 0.0);
  }
}

// ---- Profile ---------------------------------------------------------------

RoadModel sag_and_crest_profile() {
  road_testing::ProfileBuilder b(0.0, 100.0, -0.03);
  b.grade_line(200.0);             // 0 .. 200, -3 %
  b.vertical_curve(300.0, 0.02);   // sag 200 .. 500, R 6000, vertex at 380
  b.grade_line(100.0);             // 500 .. 600
  b.vertical_curve(200.0, -0.02);  // crest 600 .. 800, R -5000, vertex at 700
  b.grade_line(100.0);
  RoadModel model;
  model.set_profile(b.take());
  return model;
}

TEST(AxisProfile, SagGradeRisesCrestGradeFallsAndTheVertexIsLevel) {
  const RoadModel model = sag_and_crest_profile();
  AxisPoint p;
  double previous = -1.0;
  for (double s = 210.0; s <= 500.0; s += 10.0) {
    evaluate_axis_point(model, s, 1, nullptr, p);
    ASSERT_EQ(p.profile_kind, kProfileParabola);
    EXPECT_GT(p.grade, previous);
    previous = p.grade;
  }
  previous = 1.0;
  for (double s = 600.0; s <= 800.0; s += 10.0) {
    evaluate_axis_point(model, s, 1, nullptr, p);
    EXPECT_LT(p.grade, previous);
    previous = p.grade;
  }
  const ProfileElement& sag = model.profile(2);
  evaluate_axis_point(model, sag.vertex_station, 1, nullptr, p);
  EXPECT_NEAR(p.grade, 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(p.z, sag.vertex_elevation);
  evaluate_axis_point(model, 100.0, 1, nullptr, p);
  EXPECT_EQ(p.profile_kind, kProfileGrade);
  EXPECT_DOUBLE_EQ(p.z, 97.0);
  EXPECT_DOUBLE_EQ(p.grade, -0.03);
}

TEST(AxisProfile, VertexOutsideTheElementStillUsesTheVertexFormula) {
  ProfileElement e;
  e.kind = kProfileParabola;
  e.start_station = 0.0;
  e.end_station = 100.0;
  e.grade_or_radius = 10000.0;
  e.vertex_station = -200.0;  // grades 2 % .. 3 % inside the element
  e.vertex_elevation = 50.0;
  RoadModel model;
  model.set_profile({e});
  AxisPoint p;
  evaluate_axis_point(model, 50.0, 1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.z, 50.0 + 250.0 * 250.0 / 20000.0);
  EXPECT_DOUBLE_EQ(p.grade, 0.025);
}

TEST(AxisProfile, ReverseSenseNegatesTheGradeAndKeepsTheElevation) {
  const RoadModel model = sag_and_crest_profile();
  for (double s = 0.0; s <= 900.0; s += 45.0) {
    AxisPoint forward;
    AxisPoint backward;
    evaluate_axis_point(model, s, 1, nullptr, forward);
    evaluate_axis_point(model, s, -1, nullptr, backward);
    EXPECT_EQ(backward.z, forward.z);
    EXPECT_EQ(backward.grade, -forward.grade);
  }
}

TEST(AxisProfile, OffTheProfileAndRadiusZeroStayFinite) {
  RoadModel model = sag_and_crest_profile();
  AxisPoint p;
  p.z = 12.0;
  p.grade = 0.5;
  evaluate_axis_point(model, 900.5, 1, nullptr, p);
  EXPECT_EQ(p.profile_kind, 0);
  EXPECT_EQ(p.z, 12.0);
  EXPECT_EQ(p.grade, 0.5);
  ProfileElement broken;
  broken.kind = kProfileParabola;
  broken.end_station = 100.0;
  broken.start_elevation = 10.0;
  broken.end_elevation = 12.0;
  model.set_profile({broken});
  evaluate_axis_point(model, 50.0, 1, nullptr, p);
  EXPECT_EQ(p.profile_kind, kProfileParabola);
  EXPECT_DOUBLE_EQ(p.z, 11.0);
  EXPECT_DOUBLE_EQ(p.grade, 0.02);
}

// ---- Crossfall -------------------------------------------------------------

TEST(AxisCrossfall, InterpolatesInsideAndDefaultsWithoutAnEnclosingInterval) {
  RoadModel model;
  for (const int sense : {1, -1}) {
    AxisPoint p;
    evaluate_axis_point(model, 10.0, sense, nullptr, p);
    EXPECT_DOUBLE_EQ(p.left_crossfall, 0.025) << "no data";
    EXPECT_DOUBLE_EQ(p.right_crossfall, -0.025) << "no data";
  }
  model.set_crossfall({{0.0, 4.0, 4.0}});
  EXPECT_EQ(locate_crossfall_interval(model, 0.0), 0U) << "one point has no interval";
  model.set_crossfall({{100.0, 2.5, -2.5}, {150.0, 3.0, 3.0}, {200.0, 5.0, 5.0}});
  AxisPoint p;
  evaluate_axis_point(model, 125.0, 1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, 0.0275);
  EXPECT_DOUBLE_EQ(p.right_crossfall, 0.0025);
  evaluate_axis_point(model, 200.0, 1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, 0.05);
  for (const double s : {99.9, 200.1, kNaN}) {
    evaluate_axis_point(model, s, 1, nullptr, p);
    EXPECT_DOUBLE_EQ(p.left_crossfall, 0.025) << s;
    EXPECT_DOUBLE_EQ(p.right_crossfall, -0.025) << s;
  }
  model.crossfall_lookup_cache() = 1;
  EXPECT_EQ(locate_crossfall_interval(model, 150.0), 1U) << "reached from below";
  model.crossfall_lookup_cache() = 99;
  EXPECT_EQ(locate_crossfall_interval(model, 150.0), 2U) << "stale cache clamped, reached from above";
}

TEST(AxisCrossfall, ReverseSenseSwapsAndNegatesThePair) {
  RoadModel model;
  model.set_crossfall({{0.0, 3.0, 3.0},
                       {100.0, 3.0, 3.0},
                       {200.0, 2.5, -2.5},
                       {300.0, 2.5, -2.5},
                       {400.0, 1.0, -4.0},
                       {500.0, 1.0, -4.0}});
  AxisPoint p;
  evaluate_axis_point(model, 50.0, -1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, -0.03);
  EXPECT_DOUBLE_EQ(p.right_crossfall, -0.03);
  evaluate_axis_point(model, 250.0, -1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, 0.025);
  EXPECT_DOUBLE_EQ(p.right_crossfall, -0.025);
  evaluate_axis_point(model, 450.0, -1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, 0.04);
  EXPECT_DOUBLE_EQ(p.right_crossfall, -0.01);
}

TEST(AxisCrossfall, TwoPointsAtOneStationGiveTheFirstPointsValues) {
  RoadModel model;
  model.set_crossfall({{0.0, 2.5, -2.5}, {100.0, 4.0, 4.0}, {100.0, -4.0, -4.0}, {200.0, -4.0, -4.0}});
  model.crossfall_lookup_cache() = 2;
  AxisPoint p;
  evaluate_axis_point(model, 100.0, 1, nullptr, p);
  EXPECT_DOUBLE_EQ(p.left_crossfall, 0.04);
  EXPECT_TRUE(std::isfinite(p.right_crossfall));
}

// ---- Speed cap -------------------------------------------------------------

RoadModel straight_with_profile(double grade_percent) {
  road_testing::PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(100.0);
  plan.arc(250.0, 100.0);
  road_testing::ProfileBuilder profile(0.0, 10.0, grade_percent / 100.0);
  profile.grade_line(150.0);
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  return model;
}

TEST(AxisSpeedCap, ZeroWithoutInputsAndV85OnALevelStraight) {
  const RoadModel model = straight_with_profile(0.0);
  AxisPoint p;
  p.speed_cap = 55.0;
  evaluate_axis_point(model, 50.0, 1, nullptr, p);
  EXPECT_EQ(p.speed_cap, 0.0);
  const SpeedCapInputs inputs{102.0, 2};
  evaluate_axis_point(model, 50.0, 1, &inputs, p);
  EXPECT_DOUBLE_EQ(p.speed_cap, 102.0);
  evaluate_axis_point(model, 500.0, 1, &inputs, p);
  EXPECT_DOUBLE_EQ(p.speed_cap, 102.0) << "off the road nothing lowers the cap";
}

TEST(AxisSpeedCap, CurvatureLowersTheCap) {
  const RoadModel model = straight_with_profile(0.0);
  const SpeedCapInputs inputs{102.0, 2};
  AxisPoint p;
  evaluate_axis_point(model, 150.0, 1, &inputs, p);
  const double k = 1.0 / 250.0;
  EXPECT_DOUBLE_EQ(p.speed_cap, 102.0 / (1.0 + 314.0 * std::pow(k, 1.5)));
}

TEST(AxisSpeedCap, OnlyAnUpgradeInTheDirectionOfTravelLowersTheCap) {
  const RoadModel model = straight_with_profile(4.0);
  AxisPoint p;
  const SpeedCapInputs two_lanes{102.0, 2};
  evaluate_axis_point(model, 50.0, 1, &two_lanes, p);
  EXPECT_NEAR(p.speed_cap, 102.0 - 4.96, 1e-12);
  evaluate_axis_point(model, 50.0, -1, &two_lanes, p);
  EXPECT_DOUBLE_EQ(p.speed_cap, 102.0) << "a downgrade";
  const SpeedCapInputs class_four{120.0, 4};
  evaluate_axis_point(model, 50.0, 1, &class_four, p);
  EXPECT_NEAR(p.speed_cap, 120.0 - 4.96, 1e-12);
  const SpeedCapInputs class_five{150.0, 5};
  evaluate_axis_point(model, 50.0, 1, &class_five, p);
  EXPECT_DOUBLE_EQ(p.speed_cap, 150.0);
  // On the arc the smaller of the two reductions wins.
  evaluate_axis_point(model, 120.0, 1, &two_lanes, p);
  const double curve_cap = 102.0 / (1.0 + 314.0 * std::pow(1.0 / 250.0, 1.5));
  EXPECT_DOUBLE_EQ(p.speed_cap, std::fmin(curve_cap, 102.0 - 4.96));
}

}  // namespace
}  // namespace corvalinde
