#include "app/selection_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/road_types.h"

namespace corvalinde {
namespace {

// The entry of `offered` nearest to `wanted` (the lower one on a tie);
// `wanted` itself when offered or when nothing is offered.
int nearest_offered(const std::vector<int>& offered, int wanted) {
  int best = wanted;
  int best_distance = -1;
  for (int candidate : offered) {
    const int distance = std::abs(candidate - wanted);
    if (best_distance < 0 || distance < best_distance) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

bool is_check(int control) {
  return control >= kAlignmentCheck && control <= kVisibilityCheck;
}

std::size_t check_slot(int control) {
  return static_cast<std::size_t>(control - kAlignmentCheck);
}

int round_half_away(double value) {
  return static_cast<int>(std::lround(value));
}

}  // namespace

SelectionModel::SelectionModel(const AnalysisSelection& record, DesignTables tables) : tables_(tables) {
  const std::optional<RoadTypeIndices> found = find_road_type(record.road_type);
  const RoadTypeIndices indices = found.value_or(RoadTypeIndices{});
  standard_ = indices.standard;
  category_ = indices.category;
  lanes_ = indices.lanes;

  for (std::size_t k = 0; k < 4; ++k) checks_[k] = record.run_analysis[k] != 0;
  enabled_.fill(true);
  enabled_[kAlignmentCheck] = tables_.plan;
  enabled_[kSuperelevationCheck] = tables_.crossfall;
  enabled_[kProfileCheck] = tables_.profile;
  enabled_[kVisibilityCheck] = tables_.plan && tables_.profile;

  const auto& cs = record.cross_section;
  lane_width_ = std::clamp(round_half_away((cs.lane_width_dm - 25) / 5.0), 0, kLaneWidthCount - 1);
  median_width_ = cs.median_width_dm / 10.0;
  median_blocks_ = cs.median_blocks_sight != 0;
  side_clearance_ = cs.side_clearance_dm / 10.0;

  standard_changed();
}

int SelectionModel::road_type() const {
  return road_type_code(standard_, category_, lanes_);
}

int SelectionModel::category_count() const {
  return offered_category_count(standard_);
}

std::vector<int> SelectionModel::offered_lanes() const {
  std::vector<int> lanes;
  for (int k = 0; k < kLaneArrangementCount; ++k) {
    if (road_type_code(standard_, category_, k) >= 0) lanes.push_back(k);
  }
  return lanes;
}

bool SelectionModel::checked(int control) const {
  if (is_check(control)) return checks_[check_slot(control)];
  if (control == kMedianBlocksControl) return median_blocks_;
  return false;
}

int SelectionModel::first_enabled_control() const {
  for (int c = 0; c < kSelectionControlCount; ++c) {
    if (enabled_[static_cast<std::size_t>(c)]) return c;
  }
  return -1;
}

void SelectionModel::choose_standard(int standard) {
  standard_ = std::clamp(standard, 0, kStandardCount - 1);
  standard_changed();
}

void SelectionModel::choose_category(int category) {
  const int count = category_count();
  category_ = std::clamp(category, 0, std::max(count - 1, 0));
  category_changed();
}

void SelectionModel::choose_lanes(int lanes) {
  lanes_ = nearest_offered(offered_lanes(), lanes);
  analysis_check_changed(kVisibilityCheck);
}

void SelectionModel::set_check(int control, bool on) {
  if (control == kMedianBlocksControl) {
    median_blocks_ = on;
    return;
  }
  if (!is_check(control)) return;
  checks_[check_slot(control)] = on;
  analysis_check_changed(control);
}

void SelectionModel::choose_lane_width(int width) {
  lane_width_ = nearest_offered(lane_widths_, width);
}

void SelectionModel::edit_median_width(double metres) {
  median_width_ = std::isfinite(metres) ? metres : 0.0;
  analysis_check_changed(kVisibilityCheck);
}

void SelectionModel::edit_side_clearance(double metres) {
  side_clearance_ = std::isfinite(metres) ? metres : kMinSideClearance;
}

bool SelectionModel::leave_median_width() {
  // The central reserve cannot be negative either: its byte is unsigned.
  double limited = median_width_;
  if (median_width_ > kMaxMedianWidth + kNumberFieldTolerance) limited = kMaxMedianWidth;
  if (median_width_ < -kNumberFieldTolerance) limited = 0.0;
  if (limited == median_width_) return false;
  edit_median_width(limited);
  return true;
}

bool SelectionModel::leave_side_clearance() {
  double limited = side_clearance_;
  if (side_clearance_ < kMinSideClearance - kNumberFieldTolerance) limited = kMinSideClearance;
  if (side_clearance_ > kMaxSideClearance + kNumberFieldTolerance) limited = kMaxSideClearance;
  if (limited == side_clearance_) return false;
  side_clearance_ = limited;
  return true;
}

AnalysisSelection SelectionModel::accepted() const {
  AnalysisSelection record;
  record.road_type = static_cast<std::int16_t>(road_type());
  for (std::size_t k = 0; k < 4; ++k) record.run_analysis[k] = checks_[k] ? 1 : 0;
  record.cross_section.lane_width_dm = static_cast<std::int8_t>(25 + 5 * lane_width_);
  record.cross_section.median_width_dm =
      static_cast<std::uint8_t>(std::clamp(round_half_away(10.0 * median_width_), 0, 150));
  record.cross_section.median_blocks_sight = median_blocks_ ? 1 : 0;
  record.cross_section.side_clearance_dm =
      static_cast<std::int8_t>(std::clamp(round_half_away(10.0 * side_clearance_), 40, 100));
  return record;
}

void SelectionModel::standard_changed() {
  const int count = category_count();
  category_ = std::clamp(category_, 0, std::max(count - 1, 0));
  enabled_[kCategoryControl] = count > 1;
  category_changed();
}

void SelectionModel::category_changed() {
  const std::vector<int> offered = offered_lanes();
  lanes_ = nearest_offered(offered, lanes_);
  enabled_[kLanesControl] = offered.size() > 1;
  // Lanes changed: re-apply the state of the visibility check.
  analysis_check_changed(kVisibilityCheck);
}

void SelectionModel::analysis_check_changed(int control) {
  // Each pass either ends or checks one more enabled box, so at most four
  // passes run; with no enabled box nothing is forced on. A change of the
  // visibility check refreshes the cross-section controls even when another
  // box had to be re-checked in its place.
  const int changed = control;
  for (int pass = 0; pass < 5; ++pass) {
    int sum = 0;
    for (int c = kAlignmentCheck; c <= kVisibilityCheck; ++c) {
      if (enabled_[static_cast<std::size_t>(c)] && checks_[check_slot(c)]) ++sum;
    }
    if (sum > 0) break;
    int recheck = -1;
    if (enabled_[static_cast<std::size_t>(control)]) {
      recheck = control;
    } else {
      for (int c = kAlignmentCheck; c <= kVisibilityCheck && recheck < 0; ++c) {
        if (enabled_[static_cast<std::size_t>(c)]) recheck = c;
      }
    }
    if (recheck < 0) break;  // no analysis available: leave the boxes as they are
    checks_[check_slot(recheck)] = true;
    control = recheck;
  }
  if (changed == kVisibilityCheck || control == kVisibilityCheck) refresh_cross_section();
}

void SelectionModel::refresh_cross_section() {
  lane_widths_ = allowed_lane_widths(road_type());
  lane_width_ = nearest_offered(lane_widths_, lane_width_);
  const bool visibility = enabled_[kVisibilityCheck] && checks_[check_slot(kVisibilityCheck)];
  const bool dual = lanes_ == kDualTwoLanes;
  enabled_[kLaneWidthControl] = visibility && lane_widths_.size() > 1;
  enabled_[kMedianWidthControl] = visibility && dual;
  enabled_[kMedianBlocksControl] = visibility && dual && median_width_ >= 1.0;
  enabled_[kSideClearanceControl] = visibility;
}

}  // namespace corvalinde
