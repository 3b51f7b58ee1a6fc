// The start of an analysis listing for a road type: the output side's
// listing start, headed with the road type's label. Writes to the console
// only; never fails.
#pragma once

#include "analysis/road_types.h"
#include "output/console.h"
#include "output/listings.h"

namespace corvalinde {

// Opening messages of the four analyses.
inline constexpr int kAlignmentReviewTitle = 161;
inline constexpr int kSuperelevationReviewTitle = 301;
inline constexpr int kProfileReviewTitle = 231;
inline constexpr int kVisibilityAnalysesTitle = 371;

// An empty line, the opening message as a heading line, then the heading
// that names the road type (a blank label for a code in no cell).
inline void start_analysis_listing(Console& console, int opening_message, int road_type) {
  start_analysis_listing(console, opening_message, road_type_label(road_type));
}

}  // namespace corvalinde
