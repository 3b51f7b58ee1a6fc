#include "analysis/road_types.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "services/message_table.h"

namespace corvalinde {
namespace {

std::string trimmed(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string{} : std::string(text.substr(0, end + 1));
}

// The offered combinations by code, written out by name so that an index
// slip in the stored table shows up.
struct Offered {
  int code;
  const char* standard;
  const char* category;
  int lanes;
};
const Offered kOffered[] = {
    {0, "ARP", "R60", kTwoLanes},          {1, "ARP", "R60", kThreeLanes},
    {2, "ARP", "R60", kDualTwoLanes},      {3, "ARP", "R80", kTwoLanes},
    {4, "ARP", "R80", kThreeLanes},        {5, "ARP", "R80", kDualTwoLanes},
    {6, "ARP", "T80", kTwoLanes},          {7, "ARP", "T80", kThreeLanes},
    {8, "ARP", "T100", kTwoLanes},         {9, "ARP", "T100", kThreeLanes},
    {10, "ICTAAL", "L2", kDualTwoLanes},   {11, "ICTAAL", "L1", kDualTwoLanes},
    {12, "ICTAVRU", "A80", kTwoLanes},     {13, "ICTAVRU", "A80", kThreeLanes},
    {14, "ICTAVRU", "A80", kDualTwoLanes}, {15, "ICTAVRU", "A100", kTwoLanes},
    {16, "ICTAVRU", "A100", kThreeLanes},  {17, "ICTAVRU", "A100", kDualTwoLanes},
    {18, "ICTAVRU", "U60", kTwoLanes},     {19, "ICTAVRU", "U60", kThreeLanes},
    {20, "ICTAVRU", "U60", kDualTwoLanes}, {21, "ICTAVRU", "U80", kTwoLanes},
    {22, "ICTAVRU", "U80", kThreeLanes},   {23, "ICTAVRU", "U80", kDualTwoLanes},
    {24, "VSA", "AU70", kTwoLanes},        {25, "VSA", "AU70", kThreeLanes},
    {26, "VSA", "AU70", kDualTwoLanes},    {27, "VSA", "AU90", kDualTwoLanes},
    {28, "VSA", "AU110", kDualTwoLanes},
};

TEST(RoadTypes, EveryOfferedCodeNamesItsCombinationAndMapsBack) {
  for (const Offered& offered : kOffered) {
    SCOPED_TRACE(offered.code);
    const auto found = find_road_type(offered.code);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(trimmed(standard_name(found->standard)), offered.standard);
    EXPECT_EQ(trimmed(category_name(found->standard, found->category)), offered.category);
    EXPECT_EQ(found->lanes, offered.lanes);
    EXPECT_EQ(road_type_code(found->standard, found->category, found->lanes), offered.code);
  }
}

TEST(RoadTypes, OnlyTheOfferedCombinationsHaveCodesAndEachCodeOnce) {
  std::multiset<int> codes;
  for (int s = 0; s < kStandardCount; ++s) {
    for (int c = 0; c < kCategoryCount; ++c) {
      for (int l = 0; l < kLaneArrangementCount; ++l) {
        const int code = road_type_code(s, c, l);
        if (code != kNoRoadType) codes.insert(code);
      }
    }
  }
  ASSERT_EQ(codes.size(), std::size(kOffered));
  for (int code = 0; code <= kHighestRoadType; ++code) EXPECT_EQ(codes.count(code), 1U) << code;
}

TEST(RoadTypes, IndicesOutsideTheTableGiveNoCode) {
  EXPECT_EQ(road_type_code(-1, 0, 0), kNoRoadType);
  EXPECT_EQ(road_type_code(kStandardCount, 0, 0), kNoRoadType);
  EXPECT_EQ(road_type_code(0, kCategoryCount, 0), kNoRoadType);
  EXPECT_EQ(road_type_code(0, 0, kLaneArrangementCount), kNoRoadType);
  EXPECT_FALSE(find_road_type(kNoRoadType).has_value());
  EXPECT_FALSE(find_road_type(29).has_value());
}

TEST(RoadTypes, CategoryBlockIsStoredStandardFastestWithRealBlankCells) {
  const char* const kWrittenOut[] = {"R60", "L2", "AU70",  "A80", "R80",  "L1", "AU90", "A100",
                                     "T80", "",   "AU110", "U60", "T100", "",   "",     "U80"};
  for (std::size_t cell = 0; cell < kCategoryCells.size(); ++cell) {
    EXPECT_EQ(kCategoryCells[cell].size(), kRoadTypeTextWidth);
    EXPECT_EQ(trimmed(kCategoryCells[cell]), kWrittenOut[cell]) << cell;
  }
  EXPECT_EQ(offered_category_count(kStandardArp), 4);
  EXPECT_EQ(offered_category_count(kStandardIctaal), 2);
  EXPECT_EQ(offered_category_count(kStandardVsa), 3);
  EXPECT_EQ(offered_category_count(kStandardIctavru), 4);
  EXPECT_EQ(offered_category_count(kStandardCount), 0);
}

TEST(RoadTypeLabel, JoinsTrimmedNamesWithTheLaneTextAsStored) {
  const std::string label0 = road_type_label(0);
  EXPECT_EQ(label0.size(), kRoadTypeLabelWidth);
  EXPECT_EQ(label0, "ARP R60  2  voies" + std::string(kRoadTypeLabelWidth - 17, ' '));
  EXPECT_EQ(trimmed(road_type_label(10)), "ICTAAL L2 2x2 voies");
  EXPECT_EQ(trimmed(road_type_label(28)), "VSA AU110 2x2 voies");
  EXPECT_EQ(trimmed(road_type_label(22)), "ICTAVRU U80  3  voies");
  EXPECT_EQ(lane_text(kLaneArrangementCount), std::string(kRoadTypeTextWidth, ' '));
}

TEST(RoadTypeName, NamesTheLanesInTheLanguageOfTheMessages) {
  ASSERT_EQ(load_message_image(builtin_message_image(MessageLanguage::kEnglish)), MessageImageStatus::kValid);
  EXPECT_EQ(road_type_name(0), "ARP R60 2 lanes");
  EXPECT_EQ(road_type_name(10), "ICTAAL L2 2x2 lanes");
  ASSERT_EQ(load_message_image(builtin_message_image(MessageLanguage::kFrench)), MessageImageStatus::kValid);
  EXPECT_EQ(road_type_name(22), "ICTAVRU U80 3 voies");
  EXPECT_EQ(road_type_name(29), "");
}

TEST(RoadTypeLabel, CodeInNoCellGivesEightyBlanks) {
  const std::string blank(kRoadTypeLabelWidth, ' ');
  EXPECT_EQ(road_type_label(29), blank);
  EXPECT_EQ(road_type_label(-1), blank);
  EXPECT_EQ(road_type_label(-7), blank);
}

TEST(LaneWidths, AllowedWidthsFollowTheRoadType) {
  const std::vector<int> all{kLaneWidth250, kLaneWidth300, kLaneWidth350};
  const std::vector<int> wide{kLaneWidth300, kLaneWidth350};
  const std::vector<int> only300{kLaneWidth300};
  const std::vector<int> only350{kLaneWidth350};
  for (int code : {0, 3, 6, 8}) EXPECT_EQ(allowed_lane_widths(code), all) << code;
  for (int code : {1, 4, 12, 13, 15, 16, 18, 19, 21, 22, 27, 28}) {
    EXPECT_EQ(allowed_lane_widths(code), wide) << code;
  }
  for (int code : {24, 25, 26}) EXPECT_EQ(allowed_lane_widths(code), only300) << code;
  for (int code : {2, 5, 7, 9, 10, 11, 14, 17, 20, 23, 29, 1000, -1}) {
    EXPECT_EQ(allowed_lane_widths(code), only350) << code;
  }
  EXPECT_EQ(trimmed(lane_width_text(kLaneWidth250)), "2.50");
  EXPECT_EQ(trimmed(lane_width_text(kLaneWidth350)), "3.50");
  EXPECT_EQ(lane_width_text(kLaneWidth300).size(), kRoadTypeTextWidth);
}

}  // namespace
}  // namespace corvalinde
