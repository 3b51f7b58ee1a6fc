// Road types: the fixed tables of design standards, their categories, lane
// arrangements and lane widths, and the road-type code (0 to 28) that folds an
// offered (standard, category, lanes) combination into one integer. The tables
// are constant and owned here; lookups never fail (an unknown code or index
// gives -1, no indices, a blank text or the narrowest-choice default).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

inline constexpr int kStandardCount = 4;         // ARP, ICTAAL, VSA, ICTAVRU
inline constexpr int kCategoryCount = 4;         // category cells per standard
inline constexpr int kLaneArrangementCount = 3;  // 2 lanes, 3 lanes, 2x2 lanes
inline constexpr int kLaneWidthCount = 3;        // 2.50, 3.00, 3.50

// Every name of the tables is a blank-padded text of this many characters.
inline constexpr std::size_t kRoadTypeTextWidth = 10;
// Width of road_type_label.
inline constexpr std::size_t kRoadTypeLabelWidth = 80;

// The code of a combination that is not offered.
inline constexpr int kNoRoadType = -1;
// Offered codes are 0 to kHighestRoadType.
inline constexpr int kHighestRoadType = 28;

// Standard indices.
enum RoadStandard : int { kStandardArp = 0, kStandardIctaal = 1, kStandardVsa = 2, kStandardIctavru = 3 };
// Lane-arrangement indices.
enum LaneArrangement : int { kTwoLanes = 0, kThreeLanes = 1, kDualTwoLanes = 2 };
// Lane-width indices, in increasing width.
enum LaneWidth : int { kLaneWidth250 = 0, kLaneWidth300 = 1, kLaneWidth350 = 2 };

// The tables as stored: 10-character blank-padded cells.
// Standards, index 0 to 3.
inline constexpr std::array<std::string_view, kStandardCount> kStandardNames{"ARP       ", "ICTAAL    ",
                                                                             "VSA       ", "ICTAVRU   "};

// Categories: one block of sixteen cells ordered standard-fastest, cell
// (standard i, category j) is element i + 4 j. A blank cell means that the
// standard has no such category; the blank cells still count in the indexing.
inline constexpr std::array<std::string_view, kStandardCount * kCategoryCount> kCategoryCells{
    "R60       ", "L2        ", "AU70      ", "A80       ",   // category 0
    "R80       ", "L1        ", "AU90      ", "A100      ",   // category 1
    "T80       ", "          ", "AU110     ", "U60       ",   // category 2
    "T100      ", "          ", "          ", "U80       "};  // category 3

// Lane arrangements, index 0 to 2, exactly with their blanks.
inline constexpr std::array<std::string_view, kLaneArrangementCount> kLaneTexts{" 2  voies ", " 3  voies ",
                                                                                "2x2 voies "};

// Road-type codes: entry (standard i, category j, lanes k) is element
// i + 4 j + 16 k; kNoRoadType where the combination is not offered. Columns:
// ARP, ICTAAL, VSA, ICTAVRU. The codes are unique.
// The table keeps one row per category, one column per standard.
// clang-format off
inline constexpr std::array<std::int32_t, kStandardCount * kCategoryCount * kLaneArrangementCount>
    kRoadTypeCodes{
        // 2 lanes
        0, -1, 24, 12,   // R60  L2  AU70  A80
        3, -1, -1, 15,   // R80  L1  AU90  A100
        6, -1, -1, 18,   // T80  -   AU110 U60
        8, -1, -1, 21,   // T100 -   -     U80
        // 3 lanes
        1, -1, 25, 13,
        4, -1, -1, 16,
        7, -1, -1, 19,
        9, -1, -1, 22,
        // 2x2 lanes
        2, 10, 26, 14,
        5, 11, 27, 17,
        -1, -1, 28, 20,
        -1, -1, -1, 23};
// clang-format on

// Lane widths, index 0 to 2.
inline constexpr std::array<std::string_view, kLaneWidthCount> kLaneWidthTexts{"2.50      ", "3.00      ",
                                                                               "3.50      "};

struct RoadTypeIndices {
  int standard = 0;
  int category = 0;
  int lanes = 0;
  friend bool operator==(const RoadTypeIndices&, const RoadTypeIndices&) = default;
};

// The 10-character cells; ten blanks for an index outside the table.
std::string_view standard_name(int standard);
std::string_view category_name(int standard, int category);
std::string_view lane_text(int lanes);
std::string_view lane_width_text(int width);

// Number of categories offered for a standard: its leading non-blank cells
// (0 for an index outside the table).
int offered_category_count(int standard);

// The code of a combination, or kNoRoadType when it is not offered or an
// index is outside the table.
int road_type_code(int standard, int category, int lanes);

// The indices whose entry equals the code (standard outermost, then category,
// then lanes); none when no entry matches (kNoRoadType included).
std::optional<RoadTypeIndices> find_road_type(int code);

// "standard category lanes" blank-padded to 80 characters: the names without
// their trailing blanks, one blank between, then the lane text as stored
// (so code 0 gives "ARP R60  2  voies ..."). 80 blanks for a code in no cell.
std::string road_type_label(int code);

// "standard category lanes" with single blanks and the lanes in the
// language of the message table ("ARP R60 2 lanes"), for titles; empty for
// a code in no cell. Listings keep road_type_label.
std::string road_type_name(int code);

// Lane-width indices allowed for a road type, in increasing width. Codes with
// no row of their own (above 28, or negative) allow 3.50 only.
std::vector<int> allowed_lane_widths(int code);

}  // namespace corvalinde
