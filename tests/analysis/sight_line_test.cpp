#include "analysis/sight_line.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "road_builder.h"

namespace corvalinde {
namespace {

using road_testing::PlanBuilder;
using road_testing::ProfileBuilder;

constexpr double kHalfPi = kPi / 2.0;

// A straight road heading east from station 0 with the given profile.
RoadModel straight_road(double length, ProfileBuilder profile) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(length);
  profile.grade_line(length - profile.station());
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  return model;
}

RoadModel flat_road(double length) {
  return straight_road(length, ProfileBuilder(0.0, 100.0, 0.0));
}

SightParameters two_lane_obstacle() {
  return sight_parameters(SightKind::kObstacle, 0, CrossSection{});
}

AxisPoint point_at(const RoadModel& model, double s, int sense = +1) {
  AxisPoint p;
  static_cast<void>(evaluate_axis_point(model, s, sense, nullptr, p));
  return p;
}

// An axis point at (x, 0) heading east: the right-hand normal points south.
AxisPoint section_at(double x, double z, double left = 0.025, double right = -0.025) {
  AxisPoint p;
  p.station = x;
  p.x = x;
  p.z = z;
  p.normal_direction = -kHalfPi;
  p.left_crossfall = left;
  p.right_crossfall = right;
  p.plan_kind = kPlanLine;
  return p;
}

TEST(SightLineEnd, FollowsTheCrossfallUpToTheCarriagewayEdge) {
  SightParameters p = two_lane_obstacle();  // lc 0, ld = lg = 3.5
  const AxisPoint a = section_at(10.0, 100.0, 0.03, -0.02);
  const SightLineEnd right = sight_line_end(a, 1.5, 1.0, p);
  EXPECT_NEAR(right.position.x, 10.0, 1e-12);
  EXPECT_NEAR(right.position.y, -1.5, 1e-12);
  EXPECT_NEAR(right.z, 101.0 - 0.03, 1e-12);
  EXPECT_NEAR(sight_line_end(a, 6.0, 0.0, p).z, 100.0 - 3.5 * 0.02, 1e-12);
  EXPECT_NEAR(sight_line_end(a, -1.0, 0.0, p).z, 100.0 - 0.03, 1e-12);
  EXPECT_NEAR(sight_line_end(a, -6.0, 0.0, p).z, 100.0 - 3.5 * 0.03, 1e-12);
  p.reserve_half_width = 2.0;  // the central reserve is level with the axis
  EXPECT_NEAR(sight_line_end(a, -1.5, 0.6, p).z, 100.6, 1e-12);
  EXPECT_NEAR(sight_line_end(a, 3.0, 0.0, p).z, 100.0 - 0.02, 1e-12);
}

// Sight lines along y = -1.5 (1.5 m right of the axis) from x = 0 to x = 100
// across the section at x = 50, whose surface lies 1.5 x 2.5 % below the
// axis elevation of 100 there.
class SightLineAcrossOneSection : public ::testing::Test {
 protected:
  bool blocked(double z_at_section, double far_station = -1.0) const {
    LineEquation line;
    EXPECT_EQ(line_through_points({0.0, -1.5}, {100.0, -1.5}, line), kGeometryOk);
    const std::array<AxisPoint, 1> points{section_at(50.0, 100.0)};
    return sight_line_blocked({0.0, -1.5}, line, points, params_, 100.0, z_at_section, z_at_section,
                              far_station);
  }
  static constexpr double kSurface = 100.0 - 1.5 * 0.025;
  SightParameters params_ = two_lane_obstacle();
};

TEST_F(SightLineAcrossOneSection, LineAtTheSurfaceOrLessThanOneCentimetreBelowIsClear) {
  EXPECT_FALSE(blocked(kSurface));
  EXPECT_FALSE(blocked(kSurface - 0.009));
  EXPECT_TRUE(blocked(kSurface - 0.011));
  EXPECT_FALSE(blocked(kSurface + 2.0));
}

TEST_F(SightLineAcrossOneSection, LeavingTheClearZoneMasksTheView) {
  params_.clear_zone_right = 1.4;  // the line crosses 1.5 m right of the axis
  EXPECT_TRUE(blocked(kSurface + 1.0));
  params_.clear_zone_right = 1.6;
  EXPECT_FALSE(blocked(kSurface + 1.0));
  params_.clear_zone_left = 1.55;
  EXPECT_TRUE(blocked(kSurface + 1.0));
}

TEST_F(SightLineAcrossOneSection, RightLimitAtTheFarStationOnly) {
  params_.far_end_right_limit = 1.0;
  EXPECT_FALSE(blocked(kSurface + 1.0, 60.0));
  EXPECT_TRUE(blocked(kSurface + 1.0, 50.0));
}

TEST(SightLineBlocked, SightLineParallelToTheSectionIsBlocked) {
  LineEquation line;
  ASSERT_EQ(line_through_points({50.0, 5.0}, {50.0, -5.0}, line), kGeometryOk);
  const std::array<AxisPoint, 1> points{section_at(50.0, 100.0)};
  EXPECT_TRUE(sight_line_blocked({50.0, 5.0}, line, points, two_lane_obstacle(), 10.0, 200.0, 200.0, -1.0));
}

TEST(SightDistance, FlatStraightRoadShowsTheWholeReach) {
  const RoadModel model = flat_road(1000.0);
  const SightDistance seen =
      sight_distance(model, point_at(model, 100.0), two_lane_obstacle(), false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(seen.distance, 500.0);
  EXPECT_EQ(seen.status, SightStatus::kReal);
}

TEST(SightDistance, ThirtyMetresBeforeTheEndIsCutByTheEnd) {
  const RoadModel model = flat_road(1000.0);
  const SightParameters p = two_lane_obstacle();
  const SightDistance ahead =
      sight_distance(model, point_at(model, 970.0), p, false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(ahead.distance, 30.0);
  EXPECT_EQ(ahead.status, SightStatus::kCutByRoadEnd);
  // A target 30 m after the start, seen from behind.
  const SightDistance behind = sight_distance(model, point_at(model, 30.0), p, false, +1, SightRole::kTarget);
  EXPECT_DOUBLE_EQ(behind.distance, 30.0);
  EXPECT_EQ(behind.status, SightStatus::kCutByRoadEnd);
  // Backwards, the end is station 0.
  const SightDistance back =
      sight_distance(model, point_at(model, 25.0, -1), p, false, -1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(back.distance, 25.0);
  EXPECT_EQ(back.status, SightStatus::kCutByRoadEnd);
}

TEST(SightDistance, AtTheEndOfTheRoadNothingIsMeasured) {
  const RoadModel model = flat_road(1000.0);
  const SightParameters p = two_lane_obstacle();
  const SightDistance end =
      sight_distance(model, point_at(model, 1000.0), p, false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(end.distance, 0.0);
  EXPECT_EQ(end.status, SightStatus::kNotMeasured);
  EXPECT_EQ(sight_distance(model, point_at(model, 995.0), p, false, +1, SightRole::kObserver).status,
            SightStatus::kNotMeasured);
  EXPECT_EQ(sight_distance(model, point_at(model, 0.0, -1), p, false, -1, SightRole::kObserver).status,
            SightStatus::kNotMeasured);
  RoadModel no_profile;
  no_profile.set_plan(model.plan_elements());
  EXPECT_EQ(sight_distance(no_profile, point_at(model, 10.0), p, false, +1, SightRole::kObserver).status,
            SightStatus::kNotMeasured);
}

// +5 % up to a sharp crest at station 500, then -5 %. From station 400 the
// eye (1 m) sees an obstacle (0.35 m) over the crest up to 935 / 8.99 =
// 104.0 m: points up to 500 are clear, 510 is hidden, and halving between
// them ends with the clear station 503.75 within 1 m of the hidden 504.375.
TEST(SightDistance, CrestLimitsTheViewToTheLastClearRefinedStation) {
  ProfileBuilder profile(0.0, 100.0, 0.05);
  profile.grade_line(499.95);
  profile.vertical_curve(0.1, -0.05);
  const RoadModel model = straight_road(1500.0, profile);
  const SightDistance seen =
      sight_distance(model, point_at(model, 400.0), two_lane_obstacle(), false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(seen.distance, 103.75);
  EXPECT_EQ(seen.status, SightStatus::kReal);
  // Backwards from 600 the same crest hides the view symmetrically.
  const SightDistance back =
      sight_distance(model, point_at(model, 600.0, -1), two_lane_obstacle(), false, -1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(back.distance, 103.75);
}

// With a required distance of 55 m the point 55 m ahead is listed, and there
// the line must not pass right of msg.
TEST(SightDistance, RequiredDistancePointBoundsTheLineOnTheRight) {
  const RoadModel model = flat_road(2000.0);
  SightParameters p = two_lane_obstacle();
  p.eye = {0.0, 1.0};
  p.target = {3.0, 1.0};  // 3 m right: the line crosses 3 x 55 / D there
  p.far_end_right_limit = 0.5;
  const AxisPoint at = point_at(model, 100.0);
  EXPECT_DOUBLE_EQ(sight_distance(model, at, p, false, +1, SightRole::kObserver).distance, 500.0);
  const SightDistance bounded = sight_distance(model, at, p, false, +1, SightRole::kObserver, 55.0);
  EXPECT_DOUBLE_EQ(bounded.distance, 55.0);
  EXPECT_EQ(bounded.status, SightStatus::kReal);
  p.far_end_right_limit = 100.0;
  EXPECT_DOUBLE_EQ(sight_distance(model, at, p, false, +1, SightRole::kObserver, 55.0).distance, 500.0);
}

TEST(SightDistance, RequiredDistancePointRaisesTheLimitToFiftyOne) {
  // The road ends 495 m ahead: 49 regular points, the required-distance point
  // and the end fill the 51 places, so the list is not cut short.
  const RoadModel model = flat_road(595.0);
  const AxisPoint at = point_at(model, 100.0);
  const SightDistance seen =
      sight_distance(model, at, two_lane_obstacle(), false, +1, SightRole::kObserver, 55.0);
  EXPECT_DOUBLE_EQ(seen.distance, 495.0);
  EXPECT_EQ(seen.status, SightStatus::kReal);
  const SightDistance plain =
      sight_distance(model, point_at(model, 115.0), two_lane_obstacle(), false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(plain.distance, 480.0);
  EXPECT_EQ(plain.status, SightStatus::kCutByRoadEnd);
}

TEST(SightDistance, CoincidingEndsCountAsClear) {
  // Both ends 5 m right of the axis of a right-hand arc of radius 5: every
  // end lies at the arc's centre.
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.arc(-5.0, 1000.0);
  RoadModel model;
  model.set_plan(plan.take());
  ProfileBuilder profile(0.0, 100.0, 0.0);
  profile.grade_line(1000.0);
  model.set_profile(profile.take());
  SightParameters p = two_lane_obstacle();
  p.eye = {5.0, 1.0};
  p.target = {5.0, 1.0};
  const SightDistance seen =
      sight_distance(model, point_at(model, 100.0), p, false, +1, SightRole::kObserver);
  EXPECT_DOUBLE_EQ(seen.distance, 500.0);
  EXPECT_EQ(seen.status, SightStatus::kReal);
}

TEST(UsableStations, OverlapOfAlignmentAndProfile) {
  PlanBuilder plan(-50.0, 0.0, 0.0, 0.0);
  plan.line(1000.0);
  ProfileBuilder profile(20.0, 100.0, 0.0);
  profile.grade_line(2000.0);
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  const UsableStations u = usable_stations(model);
  ASSERT_TRUE(u.valid);
  EXPECT_DOUBLE_EQ(u.first, 20.0);
  EXPECT_DOUBLE_EQ(u.last, 950.0);
  EXPECT_FALSE(usable_stations(RoadModel{}).valid);
}

TEST(UsableStations, StretchLongerThanAnyRoadIsNotUsable) {
  // Two elements 2000 km apart: the lookup bridges the gap, but no walk
  // should try to cover it.
  PlanBuilder near(0.0, 0.0, 0.0, 0.0);
  near.line(100.0);
  PlanBuilder far(2.0e6, 0.0, 0.0, 0.0);
  far.line(100.0);
  std::vector<PlanElement> elements = near.take();
  elements.push_back(far.take().front());
  RoadModel model;
  model.set_plan(std::move(elements));
  ProfileBuilder profile(0.0, 100.0, 0.0);
  profile.grade_line(2.0e6 + 100.0);
  model.set_profile(profile.take());
  EXPECT_FALSE(usable_stations(model).valid);
  EXPECT_EQ(sight_distance(model, point_at(model, 50.0), two_lane_obstacle(), false, +1, SightRole::kObserver)
                .status,
            SightStatus::kNotMeasured);
}

}  // namespace
}  // namespace corvalinde
