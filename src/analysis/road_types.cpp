#include "analysis/road_types.h"

#include <algorithm>

#include "services/message_table.h"

namespace corvalinde {
namespace {

constexpr std::string_view kBlankCell = "          ";
// The names of the lane arrangements, by their index.
constexpr std::array<int, kLaneArrangementCount> kLaneArrangementMessages{22, 23, 24};

// The cells are stored exactly at their width.
constexpr bool all_cells_have_width(auto const& cells) {
  return std::all_of(cells.begin(), cells.end(),
                     [](std::string_view cell) { return cell.size() == kRoadTypeTextWidth; });
}
static_assert(kBlankCell.size() == kRoadTypeTextWidth);
static_assert(all_cells_have_width(kStandardNames));
static_assert(all_cells_have_width(kCategoryCells));
static_assert(all_cells_have_width(kLaneTexts));
static_assert(all_cells_have_width(kLaneWidthTexts));

// Allowed lane widths as bit sets over the lane-width indices.
constexpr unsigned kWidthBit250 = 1U << kLaneWidth250;
constexpr unsigned kWidthBit300 = 1U << kLaneWidth300;
constexpr unsigned kWidthBit350 = 1U << kLaneWidth350;
constexpr unsigned kAllWidths = kWidthBit250 | kWidthBit300 | kWidthBit350;
constexpr unsigned kWideWidths = kWidthBit300 | kWidthBit350;
constexpr unsigned kOnly300 = kWidthBit300;
constexpr unsigned kOnly350 = kWidthBit350;
// Codes without a row of their own.
constexpr unsigned kDefaultWidths = kOnly350;

// Allowed widths by road-type code 0 to 28.
constexpr std::array<unsigned, kHighestRoadType + 1> kAllowedWidthsByCode{
    kAllWidths,  kWideWidths, kOnly350,  // 0-2   ARP R60
    kAllWidths,  kWideWidths, kOnly350,  // 3-5   ARP R80
    kAllWidths,  kOnly350,               // 6-7   ARP T80
    kAllWidths,  kOnly350,               // 8-9   ARP T100
    kOnly350,    kOnly350,               // 10-11 ICTAAL L2, L1
    kWideWidths, kWideWidths, kOnly350,  // 12-14 ICTAVRU A80
    kWideWidths, kWideWidths, kOnly350,  // 15-17 ICTAVRU A100
    kWideWidths, kWideWidths, kOnly350,  // 18-20 ICTAVRU U60
    kWideWidths, kWideWidths, kOnly350,  // 21-23 ICTAVRU U80
    kOnly300,    kOnly300,    kOnly300,  // 24-26 VSA AU70
    kWideWidths, kWideWidths};           // 27-28 VSA AU90, AU110

bool in_range(int index, int count) {
  return index >= 0 && index < count;
}

std::size_t code_cell(int standard, int category, int lanes) {
  return static_cast<std::size_t>(standard + kStandardCount * category +
                                  kStandardCount * kCategoryCount * lanes);
}

std::string_view without_trailing_blanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

}  // namespace

std::string_view standard_name(int standard) {
  return in_range(standard, kStandardCount) ? kStandardNames[static_cast<std::size_t>(standard)] : kBlankCell;
}

std::string_view category_name(int standard, int category) {
  if (!in_range(standard, kStandardCount) || !in_range(category, kCategoryCount)) return kBlankCell;
  return kCategoryCells[static_cast<std::size_t>(standard + kStandardCount * category)];
}

std::string_view lane_text(int lanes) {
  return in_range(lanes, kLaneArrangementCount) ? kLaneTexts[static_cast<std::size_t>(lanes)] : kBlankCell;
}

std::string_view lane_width_text(int width) {
  return in_range(width, kLaneWidthCount) ? kLaneWidthTexts[static_cast<std::size_t>(width)] : kBlankCell;
}

int offered_category_count(int standard) {
  if (!in_range(standard, kStandardCount)) return 0;
  int count = 0;
  while (count < kCategoryCount && category_name(standard, count) != kBlankCell) ++count;
  return count;
}

int road_type_code(int standard, int category, int lanes) {
  if (!in_range(standard, kStandardCount) || !in_range(category, kCategoryCount) ||
      !in_range(lanes, kLaneArrangementCount)) {
    return kNoRoadType;
  }
  return kRoadTypeCodes[code_cell(standard, category, lanes)];
}

std::optional<RoadTypeIndices> find_road_type(int code) {
  if (code == kNoRoadType) return std::nullopt;
  for (int standard = 0; standard < kStandardCount; ++standard) {
    for (int category = 0; category < kCategoryCount; ++category) {
      for (int lanes = 0; lanes < kLaneArrangementCount; ++lanes) {
        if (kRoadTypeCodes[code_cell(standard, category, lanes)] == code) {
          return RoadTypeIndices{standard, category, lanes};
        }
      }
    }
  }
  return std::nullopt;
}

std::string road_type_label(int code) {
  std::string label;
  if (const auto found = find_road_type(code)) {
    label.append(without_trailing_blanks(standard_name(found->standard)));
    label += ' ';
    label.append(without_trailing_blanks(category_name(found->standard, found->category)));
    label += ' ';
    label.append(lane_text(found->lanes));
  }
  // The table texts are plain ASCII: bytes are characters here.
  label.resize(kRoadTypeLabelWidth, ' ');
  return label;
}

std::string road_type_name(int code) {
  const auto found = find_road_type(code);
  if (!found) return {};
  std::string name(without_trailing_blanks(standard_name(found->standard)));
  name += ' ';
  name.append(without_trailing_blanks(category_name(found->standard, found->category)));
  return name + ' ' + message_trimmed(kLaneArrangementMessages[static_cast<std::size_t>(found->lanes)]);
}

std::vector<int> allowed_lane_widths(int code) {
  const unsigned allowed = in_range(code, kHighestRoadType + 1)
                               ? kAllowedWidthsByCode[static_cast<std::size_t>(code)]
                               : kDefaultWidths;
  std::vector<int> widths;
  for (int width = 0; width < kLaneWidthCount; ++width) {
    if ((allowed & (1U << width)) != 0U) widths.push_back(width);
  }
  return widths;
}

}  // namespace corvalinde
