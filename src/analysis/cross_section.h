// The four cross-section values of the analysis selection (its bytes 10 to
// 13), which only the visibility analyses use. A plain value type.
#pragma once

#include <cstdint>

namespace corvalinde {

struct CrossSection {
  std::int8_t lane_width_dm = 35;       // 25, 30 or 35
  std::uint8_t median_width_dm = 0;     // central reserve, 0 to 150
  std::int8_t median_blocks_sight = 0;  // non-zero: no sight across the central reserve
  std::int8_t side_clearance_dm = 40;   // beyond the carriageway edge, 40 to 100
};

}  // namespace corvalinde
