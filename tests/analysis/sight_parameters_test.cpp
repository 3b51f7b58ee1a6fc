#include "analysis/sight_parameters.h"

#include <gtest/gtest.h>

namespace corvalinde {
namespace {

CrossSection section(int lane_dm, int median_dm = 0, int blocks = 0, int clearance_dm = 40) {
  CrossSection c;
  c.lane_width_dm = static_cast<std::int8_t>(lane_dm);
  c.median_width_dm = static_cast<std::uint8_t>(median_dm);
  c.median_blocks_sight = static_cast<std::int8_t>(blocks);
  c.side_clearance_dm = static_cast<std::int8_t>(clearance_dm);
  return c;
}

TEST(SightParameters, TwoLaneSpeedDependsOnNarrowLanes) {
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(25)).max_operating_speed, 92.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(30)).max_operating_speed, 102.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(35)).max_operating_speed, 102.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(25)).speed_limit, 90.0);
  // A code outside the table is a two-lane road.
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 42, section(35)).lane_class, kLaneClassTwoLanes);
}

TEST(SightParameters, UrbanCategoriesOverrideSpeedsButNotLaneClass) {
  for (const int code : {18, 19, 20}) {
    const SightParameters p = sight_parameters(SightKind::kObstacle, code, section(35));
    EXPECT_DOUBLE_EQ(p.max_operating_speed, 62.0) << code;
    EXPECT_DOUBLE_EQ(p.speed_limit, 50.0) << code;
  }
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 18, section(35)).lane_class, 2);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 19, section(35)).lane_class, 3);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 20, section(35)).lane_class, 4);
  for (const int code : {21, 23, 24, 26}) {
    const SightParameters p = sight_parameters(SightKind::kObstacle, code, section(30));
    EXPECT_DOUBLE_EQ(p.max_operating_speed, 82.0) << code;
    EXPECT_DOUBLE_EQ(p.speed_limit, 70.0) << code;
  }
  // A narrow two-lane urban road still gets the urban speed.
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 18, section(25)).max_operating_speed, 62.0);
}

TEST(SightParameters, DualCarriagewayClasses) {
  const SightParameters au90 = sight_parameters(SightKind::kObstacle, 27, section(35));
  EXPECT_EQ(au90.lane_class, 4);
  EXPECT_DOUBLE_EQ(au90.max_operating_speed, 102.0);
  EXPECT_DOUBLE_EQ(au90.speed_limit, 90.0);
  const SightParameters l1 = sight_parameters(SightKind::kObstacle, 11, section(35));
  EXPECT_EQ(l1.lane_class, 5);
  EXPECT_DOUBLE_EQ(l1.max_operating_speed, 150.0);
  EXPECT_DOUBLE_EQ(l1.speed_limit, 130.0);
  const SightParameters dual = sight_parameters(SightKind::kObstacle, 5, section(35));
  EXPECT_EQ(dual.lane_class, 4);
  EXPECT_DOUBLE_EQ(dual.max_operating_speed, 120.0);
  EXPECT_DOUBLE_EQ(dual.speed_limit, 110.0);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 9, section(35)).lane_class, 3);
}

TEST(SightParameters, CentralReserveMasksOnlyWhenFlaggedAndAtLeastTwoMetres) {
  const SightParameters wide = sight_parameters(SightKind::kObstacle, 2, section(35, 40, 1, 50));
  EXPECT_DOUBLE_EQ(wide.reserve_half_width, 2.0);
  EXPECT_DOUBLE_EQ(wide.right_width, 7.0);
  EXPECT_DOUBLE_EQ(wide.left_width, 7.0);
  EXPECT_DOUBLE_EQ(wide.clear_zone_right, 5.0 + 7.0 + 2.0);
  EXPECT_DOUBLE_EQ(wide.clear_zone_left, 0.0);
  const SightParameters two_metres = sight_parameters(SightKind::kObstacle, 2, section(35, 20, 1, 50));
  EXPECT_DOUBLE_EQ(two_metres.reserve_half_width, 1.0);
  EXPECT_DOUBLE_EQ(two_metres.clear_zone_left, 0.0);
  const SightParameters narrow = sight_parameters(SightKind::kObstacle, 2, section(35, 15, 1, 50));
  EXPECT_DOUBLE_EQ(narrow.reserve_half_width, 0.75);
  EXPECT_DOUBLE_EQ(narrow.clear_zone_left, -narrow.clear_zone_right);
  const SightParameters unflagged = sight_parameters(SightKind::kObstacle, 2, section(35, 40, 0, 50));
  EXPECT_DOUBLE_EQ(unflagged.clear_zone_left, -unflagged.clear_zone_right);
  // Single carriageways have no reserve whatever the bytes say.
  const SightParameters three = sight_parameters(SightKind::kObstacle, 1, section(30, 40, 1, 40));
  EXPECT_DOUBLE_EQ(three.reserve_half_width, 0.0);
  EXPECT_DOUBLE_EQ(three.right_width, 4.5);
  EXPECT_DOUBLE_EQ(three.clear_zone_left, -three.clear_zone_right);
}

TEST(SightParameters, ObstacleTargetsByRoadType) {
  const SightParameters arp = sight_parameters(SightKind::kObstacle, 0, section(35));
  EXPECT_DOUBLE_EQ(arp.eye.offset, 1.5);
  EXPECT_DOUBLE_EQ(arp.eye.height, 1.0);
  EXPECT_DOUBLE_EQ(arp.target.offset, 1.75);
  EXPECT_DOUBLE_EQ(arp.target.height, 0.35);
  EXPECT_FALSE(arp.has_alternative);

  const SightParameters au70 = sight_parameters(SightKind::kObstacle, 24, section(30));
  EXPECT_DOUBLE_EQ(au70.target.offset, 1.0);
  EXPECT_FALSE(au70.has_alternative);

  const SightParameters dual = sight_parameters(SightKind::kObstacle, 14, section(35, 30));
  EXPECT_DOUBLE_EQ(dual.target.offset, 1.5 + 7.0 - 1.0);
  EXPECT_DOUBLE_EQ(dual.target.height, 0.6);
  EXPECT_TRUE(dual.has_alternative);
  EXPECT_DOUBLE_EQ(dual.alternative_offset, 1.5 + 7.0 - 2.5);
}

TEST(SightParameters, PassingLooksAtTheOtherLane) {
  const SightParameters two = sight_parameters(SightKind::kPassing, 0, section(35));
  EXPECT_DOUBLE_EQ(two.eye.offset, 0.0);
  EXPECT_DOUBLE_EQ(two.target.offset, -1.75);
  EXPECT_DOUBLE_EQ(two.target.height, 1.0);
  EXPECT_DOUBLE_EQ(two.far_end_right_limit, 0.5);
  const SightParameters three = sight_parameters(SightKind::kPassing, 1, section(30));
  EXPECT_DOUBLE_EQ(three.eye.offset, 1.5);
  EXPECT_DOUBLE_EQ(three.target.offset, 0.0);
  EXPECT_DOUBLE_EQ(three.far_end_right_limit, 0.25 + 1.5);
}

TEST(SightParameters, PedestrianAndCurveEntryTargets) {
  const SightParameters walker = sight_parameters(SightKind::kPedestrians, 24, section(30));
  EXPECT_DOUBLE_EQ(walker.eye.offset, 1.0);
  EXPECT_DOUBLE_EQ(walker.target.offset, 4.0);
  EXPECT_DOUBLE_EQ(walker.target.height, 0.6);
  const SightParameters entry = sight_parameters(SightKind::kCurveEntry, 2, section(35, 30));
  EXPECT_DOUBLE_EQ(entry.target.offset, 1.5);
  EXPECT_DOUBLE_EQ(entry.target.height, 0.0);
  EXPECT_DOUBLE_EQ(entry.eye.offset, 5.0);
  EXPECT_DOUBLE_EQ(entry.far_end_right_limit, entry.clear_zone_right);
}

}  // namespace
}  // namespace corvalinde
