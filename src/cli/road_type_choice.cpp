#include "cli/road_type_choice.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include <fmt/format.h>

#include "output/utf8.h"

namespace corvalinde::cli {
namespace {

std::string upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

std::optional<int> find_standard(const std::string& name) {
  for (int i = 0; i < kStandardCount; ++i) {
    if (upper(trim_right(standard_name(i))) == upper(name)) return i;
  }
  return std::nullopt;
}

std::optional<int> find_category(int standard, const std::string& name) {
  for (int j = 0; j < offered_category_count(standard); ++j) {
    if (upper(trim_right(category_name(standard, j))) == upper(name)) return j;
  }
  return std::nullopt;
}

std::optional<int> find_lanes(const std::string& name) {
  const std::string n = upper(name);
  if (n == "2") return kTwoLanes;
  if (n == "3") return kThreeLanes;
  if (n == "2X2") return kDualTwoLanes;
  return std::nullopt;
}

std::string lanes_word(int lanes) {
  return lanes == kTwoLanes ? "2" : lanes == kThreeLanes ? "3" : "2x2";
}

}  // namespace

std::string offered_road_types() {
  std::string out;
  for (int code = 0; code <= kHighestRoadType; ++code) {
    const std::optional<RoadTypeIndices> at = find_road_type(code);
    if (!at) continue;
    out += fmt::format("  {:2}: --standard {} --category {} --lanes {}\n", code,
                       trim_right(standard_name(at->standard)),
                       trim_right(category_name(at->standard, at->category)), lanes_word(at->lanes));
  }
  return out;
}

std::optional<SelectionOverrides> selection_overrides(const CliOptions& options,
                                                      const AnalysisSelection& stored, std::string& error) {
  SelectionOverrides out;
  if (options.road_type) {
    out.road_type = find_road_type(*options.road_type);
    if (!out.road_type) {
      error = fmt::format("road type {} is not offered; offered road types:\n{}", *options.road_type,
                          offered_road_types());
      return std::nullopt;
    }
  } else if (options.standard || options.category || options.lanes) {
    // Parts not given come from the stored road type.
    RoadTypeIndices at = find_road_type(stored.road_type).value_or(RoadTypeIndices{});
    if (options.standard) {
      const std::optional<int> s = find_standard(*options.standard);
      if (!s) {
        error = fmt::format("unknown standard '{}' (ARP, ICTAAL, VSA or ICTAVRU)", *options.standard);
        return std::nullopt;
      }
      at.standard = *s;
    }
    if (options.category) {
      const std::optional<int> c = find_category(at.standard, *options.category);
      if (!c) {
        error = fmt::format("{} has no category '{}'; offered road types:\n{}",
                            trim_right(standard_name(at.standard)), *options.category, offered_road_types());
        return std::nullopt;
      }
      at.category = *c;
    }
    if (options.lanes) {
      const std::optional<int> k = find_lanes(*options.lanes);
      if (!k) {
        error = fmt::format("unknown lane arrangement '{}' (2, 3 or 2x2)", *options.lanes);
        return std::nullopt;
      }
      at.lanes = *k;
    }
    if (road_type_code(at.standard, at.category, at.lanes) < 0) {
      error = fmt::format("{} {} with {} lanes is not offered; offered road types:\n{}",
                          trim_right(standard_name(at.standard)),
                          trim_right(category_name(at.standard, at.category)), lanes_word(at.lanes),
                          offered_road_types());
      return std::nullopt;
    }
    out.road_type = at;
  }

  if (options.analyses) {
    std::array<bool, 4> flags{};
    for (int slot : *options.analyses) flags[static_cast<std::size_t>(slot)] = true;
    out.run_flags = flags;
  }
  if (options.lane_width) {
    const double w = *options.lane_width;
    for (int i = 0; i < kLaneWidthCount; ++i) {
      if (std::isfinite(w) && std::fabs(w - (2.5 + 0.5 * i)) < 0.01) out.lane_width = i;
    }
    if (!out.lane_width) {
      error = fmt::format("--lane-width must be 2.5, 3.0 or 3.5 (m), not {}", w);
      return std::nullopt;
    }
  }
  for (const auto& [value, name] : {std::pair{options.median_width, "--median-width"},
                                    std::pair{options.side_clearance, "--side-clearance"}}) {
    if (value && !std::isfinite(*value)) {
      error = fmt::format("{} needs a number of metres", name);
      return std::nullopt;
    }
  }
  out.median_width = options.median_width;
  out.median_blocks_sight = options.median_blocks_sight;
  out.side_clearance = options.side_clearance;
  return out;
}

int apply_overrides(const SelectionOverrides& overrides, SelectionModel& model) {
  if (overrides.road_type) {
    model.choose_standard(overrides.road_type->standard);
    model.choose_category(overrides.road_type->category);
    model.choose_lanes(overrides.road_type->lanes);
  }
  if (overrides.median_width) {
    model.edit_median_width(*overrides.median_width);
    if (model.leave_median_width()) {
      std::fprintf(stderr, "corvalinde-cli: --median-width limited to %.1f m\n", model.median_width());
    }
  }
  if (overrides.median_blocks_sight) model.set_check(kMedianBlocksControl, true);
  if (overrides.side_clearance) {
    model.edit_side_clearance(*overrides.side_clearance);
    if (model.leave_side_clearance()) {
      std::fprintf(stderr, "corvalinde-cli: --side-clearance limited to %.1f m\n", model.side_clearance());
    }
  }
  if (overrides.lane_width) {
    model.choose_lane_width(*overrides.lane_width);
    if (model.lane_width() != *overrides.lane_width) {
      std::fprintf(stderr, "corvalinde-cli: lane width %s m is not allowed for this road type; using %s m\n",
                   std::string(trim_right(lane_width_text(*overrides.lane_width))).c_str(),
                   std::string(trim_right(lane_width_text(model.lane_width()))).c_str());
    }
  }
  if (overrides.run_flags) model.set_run_flags_exactly(*overrides.run_flags);
  return 0;
}

}  // namespace corvalinde::cli
