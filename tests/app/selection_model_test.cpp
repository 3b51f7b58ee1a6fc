#include "app/selection_model.h"

#include <gtest/gtest.h>

#include "analysis/road_types.h"

namespace corvalinde {
namespace {

constexpr DesignTables kAllTables{true, true, true};

AnalysisSelection record_for(int road_type) {
  AnalysisSelection r;
  r.road_type = static_cast<std::int16_t>(road_type);
  return r;
}

TEST(SelectionModel, OpensOnStoredRoadTypeOrOnArpR60TwoLanes) {
  SelectionModel known(record_for(22), kAllTables);
  EXPECT_EQ(known.road_type(), 22);
  SelectionModel unknown(record_for(99), kAllTables);
  EXPECT_EQ(unknown.road_type(), 0);
  EXPECT_EQ(unknown.first_enabled_control(), kStandardControl);
}

TEST(SelectionModel, IctaalOffersTwoCategoriesEachOnlyDualCarriageway) {
  SelectionModel m(record_for(0), kAllTables);
  m.choose_standard(kStandardIctaal);
  EXPECT_EQ(m.category_count(), 2);
  EXPECT_TRUE(m.enabled(kCategoryControl));
  EXPECT_EQ(m.offered_lanes(), std::vector<int>{kDualTwoLanes});
  EXPECT_FALSE(m.enabled(kLanesControl));
  EXPECT_EQ(m.road_type(), 10);
  m.choose_category(1);
  EXPECT_EQ(m.road_type(), 11);
}

TEST(SelectionModel, CategoryAndLanesMoveToNearestOffered) {
  SelectionModel m(record_for(23), kAllTables);  // ICTAVRU U80 2x2: category 3, lanes 2
  m.choose_standard(kStandardVsa);               // VSA has three categories
  EXPECT_EQ(m.category(), 2);                    // AU110
  EXPECT_EQ(m.lanes(), kDualTwoLanes);
  m.choose_standard(kStandardArp);  // T80 has no 2x2
  EXPECT_EQ(m.category(), 2);
  EXPECT_EQ(m.lanes(), kThreeLanes);
  EXPECT_EQ(m.road_type(), 7);
}

TEST(SelectionModel, CodeTwentyFourOffersOnlyThreeMetreLanesAndStoresThirty) {
  AnalysisSelection r = record_for(24);
  r.cross_section.lane_width_dm = 35;
  SelectionModel m(r, kAllTables);
  EXPECT_EQ(m.offered_lane_widths(), std::vector<int>{kLaneWidth300});
  EXPECT_FALSE(m.enabled(kLaneWidthControl));
  EXPECT_EQ(m.accepted().cross_section.lane_width_dm, 30);
}

TEST(SelectionModel, MedianControlsOnlyForDualCarriagewayAndBlockingFromOneMetre) {
  AnalysisSelection r = record_for(0);
  r.cross_section.median_width_dm = 50;
  SelectionModel two_lanes(r, kAllTables);
  EXPECT_FALSE(two_lanes.enabled(kMedianWidthControl));
  EXPECT_FALSE(two_lanes.enabled(kMedianBlocksControl));
  EXPECT_TRUE(two_lanes.enabled(kSideClearanceControl));

  SelectionModel dual(record_for(2), kAllTables);
  dual.edit_median_width(0.5);
  EXPECT_TRUE(dual.enabled(kMedianWidthControl));
  EXPECT_FALSE(dual.enabled(kMedianBlocksControl));
  dual.edit_median_width(1.0);
  EXPECT_TRUE(dual.enabled(kMedianBlocksControl));

  dual.set_check(kVisibilityCheck, false);
  for (int c = kLaneWidthControl; c <= kSideClearanceControl; ++c) EXPECT_FALSE(dual.enabled(c)) << c;
}

TEST(SelectionModel, UncheckingTheOnlyAvailableAnalysisRechecksIt) {
  AnalysisSelection r = record_for(0);
  r.run_analysis = {1, 0, 0, 0};
  SelectionModel m(r, DesignTables{true, false, false});
  m.set_check(kAlignmentCheck, false);
  EXPECT_TRUE(m.checked(kAlignmentCheck));

  // The changed box disabled: the first enabled box is checked instead.
  SelectionModel n(r, DesignTables{false, false, true});
  EXPECT_TRUE(n.checked(kSuperelevationCheck)) << "opening runs the rule too";
}

TEST(SelectionModel, StoredChecksAddingUpToNothingStillSetTheCrossSection) {
  // The visibility check unavailable and nothing checked: another box is
  // re-checked, and the cross-section controls still follow the road type.
  AnalysisSelection r = record_for(24);
  r.run_analysis = {0, 0, 0, 0};
  SelectionModel m(r, DesignTables{true, false, true});
  EXPECT_TRUE(m.checked(kAlignmentCheck));
  EXPECT_EQ(m.offered_lane_widths(), allowed_lane_widths(24));
  for (int c = kLaneWidthControl; c <= kSideClearanceControl; ++c) EXPECT_FALSE(m.enabled(c)) << c;
}

TEST(SelectionModel, NoAvailableAnalysisForcesNothingAndEnds) {
  AnalysisSelection r = record_for(0);
  r.run_analysis = {0, 0, 0, 0};
  SelectionModel m(r, DesignTables{});
  m.set_check(kVisibilityCheck, false);
  for (int c = kAlignmentCheck; c <= kVisibilityCheck; ++c) EXPECT_FALSE(m.checked(c));
}

TEST(SelectionModel, DisabledChecksKeepTheirStoredStates) {
  AnalysisSelection r = record_for(3);
  r.run_analysis = {1, 0, 1, 1};
  SelectionModel m(r, DesignTables{true, false, true});
  (void)m;
  SelectionModel no_profile(r, DesignTables{true, false, false});
  EXPECT_FALSE(no_profile.enabled(kProfileCheck));
  EXPECT_FALSE(no_profile.enabled(kVisibilityCheck));
  const AnalysisSelection out = no_profile.accepted();
  EXPECT_EQ(out.run_analysis, (std::array<std::int16_t, 4>{1, 0, 1, 1}));
}

TEST(SelectionModel, NumberFieldRangesWithHalfDecimalTolerance) {
  SelectionModel m(record_for(2), kAllTables);
  m.edit_median_width(15.04);
  EXPECT_FALSE(m.leave_median_width());
  m.edit_median_width(15.2);
  EXPECT_TRUE(m.leave_median_width());
  EXPECT_DOUBLE_EQ(m.median_width(), 15.0);

  m.edit_side_clearance(3.9);
  EXPECT_TRUE(m.leave_side_clearance());
  EXPECT_DOUBLE_EQ(m.side_clearance(), 4.0);
  m.edit_side_clearance(12.0);
  EXPECT_TRUE(m.leave_side_clearance());
  EXPECT_DOUBLE_EQ(m.side_clearance(), 10.0);
  m.edit_side_clearance(6.25);
  EXPECT_FALSE(m.leave_side_clearance());
  EXPECT_EQ(m.accepted().cross_section.side_clearance_dm, 63) << "6.25 m rounds half away from zero";
}

TEST(SelectionModel, AcceptedRecordWritesZeroOrOneFlags) {
  AnalysisSelection r = record_for(5);  // defaults: flags 4
  SelectionModel m(r, kAllTables);
  const AnalysisSelection out = m.accepted();
  EXPECT_EQ(out.road_type, 5);
  EXPECT_EQ(out.run_analysis, (std::array<std::int16_t, 4>{1, 1, 1, 1}));
  EXPECT_EQ(out.cross_section.lane_width_dm, 35);
  EXPECT_EQ(out.cross_section.side_clearance_dm, 40);
}

}  // namespace
}  // namespace corvalinde
