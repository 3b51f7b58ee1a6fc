// The analysis-selection cascade without widgets: standard -> category ->
// lanes -> analysis checks -> the four cross-section controls. The Qt dialog
// binds its controls to one SelectionModel; the CLI applies its options
// through the same model, so both behave alike. The model owns its state;
// it never fails (out-of-range choices are clamped to the nearest offered).
#pragma once

#include <array>
#include <vector>

#include "app/analysis_run.h"

namespace corvalinde {

// Which tables the loaded design holds (decides which analyses are available).
struct DesignTables {
  bool plan = false;
  bool profile = false;
  bool crossfall = false;
  static DesignTables of(const RoadModel& model) {
    return {model.has_plan(), model.has_profile(), model.has_crossfall()};
  }
};

// Dialog controls, numbered as the dialog numbers them.
enum SelectionControl : int {
  kStandardControl = 0,
  kCategoryControl = 1,
  kLanesControl = 2,
  kAlignmentCheck = 3,       // run analysis 0
  kSuperelevationCheck = 4,  // run analysis 1
  kProfileCheck = 5,         // run analysis 2
  kVisibilityCheck = 6,      // run analysis 3
  kLaneWidthControl = 7,
  kMedianWidthControl = 8,
  kMedianBlocksControl = 9,
  kSideClearanceControl = 10,
  kSelectionControlCount = 11,
};

inline constexpr double kMaxMedianWidth = 15.0;    // m
inline constexpr double kMinSideClearance = 4.0;   // m
inline constexpr double kMaxSideClearance = 10.0;  // m
// A number field accepts half a unit of its last shown decimal beyond a limit.
inline constexpr double kNumberFieldTolerance = 0.05;

class SelectionModel {
 public:
  // Opens on a stored record: finds its road type (ARP R60 2 lanes when the
  // code is in no cell), sets the checks and values, then runs the cascade
  // from the standard.
  SelectionModel(const AnalysisSelection& record, DesignTables tables);

  int standard() const { return standard_; }
  int category() const { return category_; }
  int lanes() const { return lanes_; }
  int road_type() const;

  // Offered entries of controls 1, 2 and 7 (absolute indices of the tables).
  int category_count() const;
  std::vector<int> offered_lanes() const;
  const std::vector<int>& offered_lane_widths() const { return lane_widths_; }
  int lane_width() const { return lane_width_; }  // 0 2.50, 1 3.00, 2 3.50

  bool checked(int control) const;
  bool enabled(int control) const { return enabled_.at(static_cast<std::size_t>(control)); }
  double median_width() const { return median_width_; }
  bool median_blocks_sight() const { return median_blocks_; }
  double side_clearance() const { return side_clearance_; }

  // The first enabled control from control 0 on (where the focus goes), or -1.
  int first_enabled_control() const;

  // User actions; each runs the dependent part of the cascade. Indices out of
  // the offered range go to the nearest offered one.
  void choose_standard(int standard);
  void choose_category(int category);
  void choose_lanes(int lanes);
  void set_check(int control, bool on);  // controls 3 to 6 and 9
  void choose_lane_width(int width);
  void edit_median_width(double metres);
  void edit_side_clearance(double metres);

  // Range checks when a number field loses the focus: true when the value
  // was replaced by its limit (the dialog then beeps and keeps the focus).
  bool leave_median_width();
  bool leave_side_clearance();

  // Sets the four run flags as given, without the rule that keeps one
  // available analysis checked (the command line's explicit list).
  void set_run_flags_exactly(const std::array<bool, 4>& flags) { checks_ = flags; }

  // The record as accepted: 0/1 flags (also of disabled checks), widths in
  // decimetres rounded half away from zero.
  AnalysisSelection accepted() const;

 private:
  void standard_changed();
  void category_changed();
  void analysis_check_changed(int control);
  void refresh_cross_section();

  DesignTables tables_;
  int standard_ = 0;
  int category_ = 0;
  int lanes_ = 0;
  std::array<bool, 4> checks_{};  // controls 3 to 6
  std::array<bool, kSelectionControlCount> enabled_{};
  std::vector<int> lane_widths_;
  int lane_width_ = 2;
  double median_width_ = 0.0;
  bool median_blocks_ = false;
  double side_clearance_ = 4.0;
};

}  // namespace corvalinde
