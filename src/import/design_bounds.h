// The admissible design, shared by the readers: the bounds a value read from
// a file must keep, and the check of one table's items as they arrive. Values
// only; the readers say on the console what they refuse (messages 124 and
// 125 with the item's number).
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "road/road_model.h"

namespace corvalinde {

// The analyses walk a road in 10 m steps, so their time grows with its
// length: a table longer than 1 000 km, or stationed beyond +-1e8 m, is no
// road but a damaged file, and is refused rather than walked for hours.
inline constexpr double kMaxStation = 1.0e8;
inline constexpr double kMaxTableExtent = 1.0e6;
// Coordinates, elevations, radii and parameters (m): national grids stay
// below 1e8.
inline constexpr double kMaxMagnitude = 1.0e9;
// Grades and crossfalls (per cent): 45 degrees.
inline constexpr double kMaxPercent = 100.0;
// Stations may go back by this much (m) at a join, the rounding of the file.
inline constexpr double kStationOrderTolerance = 0.001;

template <typename Values>
inline bool all_within(double limit, const Values& values) {
  return std::all_of(values.begin(), values.end(), [limit](double v) { return std::fabs(v) <= limit; });
}
inline bool all_within(double limit, std::initializer_list<double> values) {
  return all_within<std::initializer_list<double>>(limit, values);
}

enum class ItemCheck { kOk, kOutOfRange, kBackwards };

// The console message of a refused item; its template takes the item's
// 1-based number.
inline constexpr int kItemOutOfRangeMessage = 124;
inline constexpr int kItemBackwardsMessage = 125;
inline int refused_item_message(ItemCheck check) {
  return check == ItemCheck::kBackwards ? kItemBackwardsMessage : kItemOutOfRangeMessage;
}

// The stations of one table, item after item: each within +-kMaxStation,
// none ending before it starts or starting before the previous one ended,
// and the whole table at most kMaxTableExtent long.
class TableStations {
 public:
  [[nodiscard]] ItemCheck add(double start, double end) {
    if (!all_within(kMaxStation, {start, end})) return ItemCheck::kOutOfRange;
    if (end < start - kStationOrderTolerance) return ItemCheck::kBackwards;
    if (any_ && start < last_end_ - kStationOrderTolerance) return ItemCheck::kBackwards;
    if (!any_) first_start_ = last_end_ = start;
    any_ = true;
    last_end_ = std::max(last_end_, end);
    return last_end_ - first_start_ > kMaxTableExtent ? ItemCheck::kOutOfRange : ItemCheck::kOk;
  }

 private:
  bool any_ = false;
  double first_start_ = 0.0;
  double last_end_ = 0.0;
};

// One item of each table against the bounds, then its stations against the
// table's so far (added to them when it passes).
[[nodiscard]] inline ItemCheck check_plan_item(TableStations& stations, const PlanElement& e) {
  if (!all_within(kMaxMagnitude, {e.start_x, e.start_y, e.end_x, e.end_y}) ||
      !all_within(kMaxMagnitude, e.geometry_numbers())) {
    return ItemCheck::kOutOfRange;
  }
  return stations.add(e.start_station, e.end_station);
}

[[nodiscard]] inline ItemCheck check_profile_item(TableStations& stations, const ProfileElement& e) {
  if (!all_within(kMaxMagnitude,
                  {e.start_elevation, e.end_elevation, e.vertex_station, e.vertex_elevation}) ||
      !(std::fabs(e.grade_or_radius) <= (e.kind == kProfileGrade ? kMaxPercent : kMaxMagnitude))) {
    return ItemCheck::kOutOfRange;
  }
  return stations.add(e.start_station, e.end_station);
}

[[nodiscard]] inline ItemCheck check_crossfall_item(TableStations& stations, const CrossfallPoint& p) {
  if (!all_within(kMaxPercent, {p.left, p.right})) return ItemCheck::kOutOfRange;
  return stations.add(p.station, p.station);
}

}  // namespace corvalinde
