// What the command line changes in the stored selection: the road type by
// code or by names, the analyses and the cross-section values, checked
// before the design is read and applied through the SelectionModel so that
// the dialog's rules (nearest allowed lane width, field ranges) hold.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "analysis/road_types.h"
#include "app/selection_model.h"
#include "cli/cli_options.h"

namespace corvalinde::cli {

struct SelectionOverrides {
  std::optional<RoadTypeIndices> road_type;
  std::optional<std::array<bool, 4>> run_flags;
  std::optional<int> lane_width;  // index 0 2.50, 1 3.00, 2 3.50
  std::optional<double> median_width;
  bool median_blocks_sight = false;
  std::optional<double> side_clearance;
};

// The overrides the options ask for, or nullopt with a usage error in
// `error` (a combination not offered lists the offered ones).
std::optional<SelectionOverrides> selection_overrides(const CliOptions& options,
                                                      const AnalysisSelection& stored, std::string& error);

// Applies them to the model as the dialog would; a value the dialog would
// replace by its limit is replaced and reported on standard error. Returns 0
// (accepted).
int apply_overrides(const SelectionOverrides& overrides, SelectionModel& model);

// "code: standard category lanes" for every offered road type, one per line.
std::string offered_road_types();

}  // namespace corvalinde::cli
