#include "road/road_model.h"

#include <gtest/gtest.h>

namespace corvalinde {
namespace {

TEST(RoadModel, TablesAreIndependentAndOneBased) {
  RoadModel model;
  EXPECT_EQ(model.present_mask(), 0);
  PlanElement line;
  line.geometry = LineGeometry{};
  line.end_station = 10.0;
  PlanElement arc;
  arc.geometry = ArcGeometry{};
  arc.start_station = 10.0;
  model.set_plan({line, arc});
  model.set_crossfall({{0.0, 2.5, -2.5}, {10.0, 3.0, 3.0}});
  EXPECT_EQ(model.present_mask(), kMaskPlan | kMaskCrossfall);
  EXPECT_EQ(model.plan_count(), 2U);
  EXPECT_EQ(model.plan(1).kind(), kPlanLine);
  EXPECT_EQ(model.plan(2).kind(), kPlanArc);
  EXPECT_DOUBLE_EQ(model.crossfall(2).left, 3.0);

  model.discard_crossfall();
  EXPECT_FALSE(model.has_crossfall());
  EXPECT_TRUE(model.has_plan());

  model.plan_lookup_cache() = 2;
  model.clear();
  EXPECT_EQ(model.present_mask(), 0);
  EXPECT_EQ(model.plan_lookup_cache(), 2U) << "lookup caches survive a clear";

  model.set_profile({});
  EXPECT_FALSE(model.has_profile()) << "an empty table is absent";
}

}  // namespace
}  // namespace corvalinde
