#include "analysis/sight_speed.h"

#include <gtest/gtest.h>

#include <cmath>

#include "road_builder.h"

namespace corvalinde {
namespace {

using road_testing::PlanBuilder;
using road_testing::ProfileBuilder;

RoadModel road(PlanBuilder plan, ProfileBuilder profile, double profile_length) {
  profile.grade_line(profile_length);
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  return model;
}

SightParameters parameters(int road_type) {
  CrossSection c;
  return sight_parameters(SightKind::kObstacle, road_type, c);
}

TEST(StoppingDistance, LevelStraightAtHundredRoundsUpToHalfMetre) {
  // 55.56 + 771.6 / (0.38 x 19.62) = 159.05 -> 159.5
  EXPECT_DOUBLE_EQ(stopping_distance(100.0, 0.0, 0.0), 159.5);
  EXPECT_DOUBLE_EQ(friction_coefficient(100.0), 0.38);
}

TEST(StoppingDistance, CurveFactorFromRadiusOfFiveTimesSpeed) {
  // 55.56 + 1.25 x 103.49 = 184.92
  EXPECT_DOUBLE_EQ(stopping_distance(100.0, 1.0 / 500.0, 0.0), 185.0);
  EXPECT_DOUBLE_EQ(stopping_distance(100.0, 1.0 / 501.0, 0.0), 159.5);
}

TEST(StoppingDistance, ReactionTimeShortensAboveHundred) {
  // 110 km/h: u = 30.56, f = 0.36, t = 1.8: 55.0 + 933.6 / 7.063 = 187.2
  EXPECT_DOUBLE_EQ(stopping_distance(110.0, 0.0, 0.0), 187.5);
  // 90 km/h: 50 + 625 / 7.848 = 129.6
  EXPECT_DOUBLE_EQ(stopping_distance(90.0, 0.0, 0.0), 130.0);
}

TEST(StoppingDistance, UpgradeShortensDowngradeLengthens) {
  EXPECT_LT(stopping_distance(90.0, 0.0, 0.05), stopping_distance(90.0, 0.0, 0.0));
  EXPECT_GT(stopping_distance(90.0, 0.0, -0.05), stopping_distance(90.0, 0.0, 0.0));
}

TEST(StoppingDistance, GradeThatCancelsFrictionCannotStop) {
  // f(90) = 0.40: a 40 % or steeper downgrade leaves no braking force.
  EXPECT_DOUBLE_EQ(stopping_distance(90.0, 0.0, -0.40), kNoStoppingDistance);
  EXPECT_DOUBLE_EQ(stopping_distance(90.0, 0.0, -0.60), kNoStoppingDistance);
  EXPECT_GT(stopping_distance(90.0, 0.0, -0.39), 600.0);
  EXPECT_LT(stopping_distance(90.0, 0.0, -0.39), kNoStoppingDistance);
}

TEST(StoppingDistance, NoSpeedNeedsNoDistance) {
  EXPECT_DOUBLE_EQ(stopping_distance(0.0, 0.01, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(stopping_distance(-20.0, 0.01, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(stopping_distance(std::nan(""), 0.0, 0.0), 0.0);
}

TEST(FrictionCoefficient, TableInterpolatesAndHoldsItsEnds) {
  EXPECT_DOUBLE_EQ(friction_coefficient(0.0), 0.46);
  EXPECT_DOUBLE_EQ(friction_coefficient(50.0), 0.46);
  EXPECT_DOUBLE_EQ(friction_coefficient(60.0), 0.45);
  EXPECT_DOUBLE_EQ(friction_coefficient(70.0), 0.44);
  EXPECT_DOUBLE_EQ(friction_coefficient(120.0), 0.34);
  EXPECT_DOUBLE_EQ(friction_coefficient(500.0), 0.32);
  EXPECT_DOUBLE_EQ(friction_coefficient(-10.0), 0.46);
  EXPECT_DOUBLE_EQ(friction_coefficient(2000.0), 0.32);
}

TEST(SpeedCap, UpgradeOfFourPercentLowersCapByFourPointNineSix) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(1000.0);
  const RoadModel model = road(plan, ProfileBuilder(0.0, 100.0, 0.04), 1000.0);
  const SpeedCapInputs caps = parameters(0).speed_cap_inputs();
  AxisPoint p;
  ASSERT_EQ(evaluate_axis_point(model, 500.0, +1, &caps, p), kPlanLine);
  EXPECT_NEAR(p.speed_cap, 102.0 - 4.96, 1e-9);
  ASSERT_EQ(evaluate_axis_point(model, 500.0, -1, &caps, p), kPlanLine);
  EXPECT_DOUBLE_EQ(p.speed_cap, 102.0);  // a downgrade in this sense
  const SpeedCapInputs fast = parameters(11).speed_cap_inputs();
  ASSERT_EQ(evaluate_axis_point(model, 500.0, +1, &fast, p), kPlanLine);
  EXPECT_DOUBLE_EQ(p.speed_cap, 150.0);  // lane class 5: no grade reduction
}

// A line, a right-hand arc of 50 m radius from 500 to 600, a line: the arc's
// cap is 62 / (1 + 314 x 0.02^1.5) = 32.84 on a U60 road.
class OperatingSpeedBehindArc : public ::testing::Test {
 protected:
  OperatingSpeedBehindArc() {
    PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
    plan.line(500.0);
    plan.arc(-50.0, 100.0);
    plan.line(500.0);
    model_ = road(plan, ProfileBuilder(0.0, 100.0, 0.0), 1100.0);
  }
  double speed_at(double s, int sense) const {
    AxisPoint p;
    const SpeedCapInputs caps = params_.speed_cap_inputs();
    static_cast<void>(evaluate_axis_point(model_, s, sense, &caps, p));
    return operating_speed(model_, p, sense, params_);
  }
  static constexpr double kArcCap = 62.0 / (1.0 + 314.0 * 0.0028284271247461905);
  RoadModel model_;
  SightParameters params_ = parameters(18);
};

TEST_F(OperatingSpeedBehindArc, GainsSpeedOverTheDistanceFromTheArc) {
  EXPECT_NEAR(speed_at(550.0, +1), kArcCap, 1e-9);
  // 25 m after the arc the look-back meets it 30 m behind.
  EXPECT_NEAR(speed_at(625.0, +1), kArcCap + std::sqrt(180.0), 1e-9);
  // Far enough away the speed limit applies.
  EXPECT_DOUBLE_EQ(speed_at(700.0, +1), 50.0);
}

TEST_F(OperatingSpeedBehindArc, LooksBackAgainstTheSenseOfTravel) {
  // Before the arc, travelling forwards, nothing slow lies behind...
  EXPECT_DOUBLE_EQ(speed_at(480.0, +1), 50.0);
  // ...travelling backwards the look-back meets the arc 30 m behind.
  EXPECT_NEAR(speed_at(475.0, -1), kArcCap + std::sqrt(180.0), 1e-9);
}

TEST(OperatingSpeed, CapOfZeroOrBelowGivesZero) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(1000.0);
  // 20 %: 102 - 3100 x 0.04 = -22 km/h as a cap.
  const RoadModel model = road(plan, ProfileBuilder(0.0, 100.0, 0.20), 1000.0);
  const SightParameters params = parameters(0);
  const SpeedCapInputs caps = params.speed_cap_inputs();
  AxisPoint p;
  static_cast<void>(evaluate_axis_point(model, 500.0, +1, &caps, p));
  ASSERT_LT(p.speed_cap, 0.0);
  EXPECT_DOUBLE_EQ(operating_speed(model, p, +1, params), 0.0);
  p.speed_cap = 0.0;
  EXPECT_DOUBLE_EQ(operating_speed(model, p, +1, params), 0.0);
}

}  // namespace
}  // namespace corvalinde
