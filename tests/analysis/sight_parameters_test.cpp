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
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(25)).v85_max, 92.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(30)).v85_max, 102.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(35)).v85_max, 102.0);
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 0, section(25)).vreg_max, 90.0);
  // A code outside the table is a two-lane road.
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 42, section(35)).nbv, kLaneClassTwoLanes);
}

TEST(SightParameters, UrbanCategoriesOverrideSpeedsButNotLaneClass) {
  for (const int code : {18, 19, 20}) {
    const SightParameters p = sight_parameters(SightKind::kObstacle, code, section(35));
    EXPECT_DOUBLE_EQ(p.v85_max, 62.0) << code;
    EXPECT_DOUBLE_EQ(p.vreg_max, 50.0) << code;
  }
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 18, section(35)).nbv, 2);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 19, section(35)).nbv, 3);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 20, section(35)).nbv, 4);
  for (const int code : {21, 23, 24, 26}) {
    const SightParameters p = sight_parameters(SightKind::kObstacle, code, section(30));
    EXPECT_DOUBLE_EQ(p.v85_max, 82.0) << code;
    EXPECT_DOUBLE_EQ(p.vreg_max, 70.0) << code;
  }
  // A narrow two-lane urban road still gets the urban speed.
  EXPECT_DOUBLE_EQ(sight_parameters(SightKind::kObstacle, 18, section(25)).v85_max, 62.0);
}

TEST(SightParameters, DualCarriagewayClasses) {
  const SightParameters au90 = sight_parameters(SightKind::kObstacle, 27, section(35));
  EXPECT_EQ(au90.nbv, 4);
  EXPECT_DOUBLE_EQ(au90.v85_max, 102.0);
  EXPECT_DOUBLE_EQ(au90.vreg_max, 90.0);
  const SightParameters l1 = sight_parameters(SightKind::kObstacle, 11, section(35));
  EXPECT_EQ(l1.nbv, 5);
  EXPECT_DOUBLE_EQ(l1.v85_max, 150.0);
  EXPECT_DOUBLE_EQ(l1.vreg_max, 130.0);
  const SightParameters dual = sight_parameters(SightKind::kObstacle, 5, section(35));
  EXPECT_EQ(dual.nbv, 4);
  EXPECT_DOUBLE_EQ(dual.v85_max, 120.0);
  EXPECT_DOUBLE_EQ(dual.vreg_max, 110.0);
  EXPECT_EQ(sight_parameters(SightKind::kObstacle, 9, section(35)).nbv, 3);
}

TEST(SightParameters, CentralReserveMasksOnlyWhenFlaggedAndAtLeastTwoMetres) {
  const SightParameters wide = sight_parameters(SightKind::kObstacle, 2, section(35, 40, 1, 50));
  EXPECT_DOUBLE_EQ(wide.lc, 2.0);
  EXPECT_DOUBLE_EQ(wide.ld, 7.0);
  EXPECT_DOUBLE_EQ(wide.lg, 7.0);
  EXPECT_DOUBLE_EQ(wide.lmd, 5.0 + 7.0 + 2.0);
  EXPECT_DOUBLE_EQ(wide.lmg, 0.0);
  const SightParameters two_metres = sight_parameters(SightKind::kObstacle, 2, section(35, 20, 1, 50));
  EXPECT_DOUBLE_EQ(two_metres.lc, 1.0);
  EXPECT_DOUBLE_EQ(two_metres.lmg, 0.0);
  const SightParameters narrow = sight_parameters(SightKind::kObstacle, 2, section(35, 15, 1, 50));
  EXPECT_DOUBLE_EQ(narrow.lc, 0.75);
  EXPECT_DOUBLE_EQ(narrow.lmg, -narrow.lmd);
  const SightParameters unflagged = sight_parameters(SightKind::kObstacle, 2, section(35, 40, 0, 50));
  EXPECT_DOUBLE_EQ(unflagged.lmg, -unflagged.lmd);
  // Single carriageways have no reserve whatever the bytes say.
  const SightParameters three = sight_parameters(SightKind::kObstacle, 1, section(30, 40, 1, 40));
  EXPECT_DOUBLE_EQ(three.lc, 0.0);
  EXPECT_DOUBLE_EQ(three.ld, 4.5);
  EXPECT_DOUBLE_EQ(three.lmg, -three.lmd);
}

TEST(SightParameters, ObstacleTargetsByRoadType) {
  const SightParameters arp = sight_parameters(SightKind::kObstacle, 0, section(35));
  EXPECT_DOUBLE_EQ(arp.obs.offset, 1.5);
  EXPECT_DOUBLE_EQ(arp.obs.height, 1.0);
  EXPECT_DOUBLE_EQ(arp.vis.offset, 1.75);
  EXPECT_DOUBLE_EQ(arp.vis.height, 0.35);
  EXPECT_FALSE(arp.has_alternative);

  const SightParameters au70 = sight_parameters(SightKind::kObstacle, 24, section(30));
  EXPECT_DOUBLE_EQ(au70.vis.offset, 1.0);
  EXPECT_FALSE(au70.has_alternative);

  const SightParameters dual = sight_parameters(SightKind::kObstacle, 14, section(35, 30));
  EXPECT_DOUBLE_EQ(dual.vis.offset, 1.5 + 7.0 - 1.0);
  EXPECT_DOUBLE_EQ(dual.vis.height, 0.6);
  EXPECT_TRUE(dual.has_alternative);
  EXPECT_DOUBLE_EQ(dual.alt, 1.5 + 7.0 - 2.5);
}

TEST(SightParameters, PassingLooksAtTheOtherLane) {
  const SightParameters two = sight_parameters(SightKind::kPassing, 0, section(35));
  EXPECT_DOUBLE_EQ(two.obs.offset, 0.0);
  EXPECT_DOUBLE_EQ(two.vis.offset, -1.75);
  EXPECT_DOUBLE_EQ(two.vis.height, 1.0);
  EXPECT_DOUBLE_EQ(two.msg, 0.5);
  const SightParameters three = sight_parameters(SightKind::kPassing, 1, section(30));
  EXPECT_DOUBLE_EQ(three.obs.offset, 1.5);
  EXPECT_DOUBLE_EQ(three.vis.offset, 0.0);
  EXPECT_DOUBLE_EQ(three.msg, 0.25 + 1.5);
}

TEST(SightParameters, PedestrianAndCurveEntryTargets) {
  const SightParameters walker = sight_parameters(SightKind::kPedestrians, 24, section(30));
  EXPECT_DOUBLE_EQ(walker.obs.offset, 1.0);
  EXPECT_DOUBLE_EQ(walker.vis.offset, 4.0);
  EXPECT_DOUBLE_EQ(walker.vis.height, 0.6);
  const SightParameters entry = sight_parameters(SightKind::kCurveEntry, 2, section(35, 30));
  EXPECT_DOUBLE_EQ(entry.vis.offset, 1.5);
  EXPECT_DOUBLE_EQ(entry.vis.height, 0.0);
  EXPECT_DOUBLE_EQ(entry.obs.offset, 5.0);
  EXPECT_DOUBLE_EQ(entry.msg, entry.lmd);
}

}  // namespace
}  // namespace corvalinde
