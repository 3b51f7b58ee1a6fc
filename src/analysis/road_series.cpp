#include "analysis/road_series.h"

#include <vector>

#include "analysis/sight_line.h"
#include "road/axis_point.h"

namespace corvalinde {
namespace {

constexpr double kPerCent = 100.0;

}  // namespace

void keep_road_series(Console& console, const RoadModel& model) {
  RunSeries& series = console.series();
  if (!series.empty() || !model.has_plan()) return;
  const UsableStations usable = usable_stations(model);
  double first = usable.first;
  double last = usable.last;
  if (!usable.valid) {
    first = model.plan(1).start_station;
    last = model.plan(model.plan_count()).end_station;
    if (!(last - first <= kMaxUsableLength)) return;
  }
  series.set_grid(first, last, kSeriesStep);
  const bool profile = model.has_profile();
  const bool crossfall = model.has_crossfall();
  for (const double s : std::vector<double>(series.stations())) {
    AxisPoint p;
    if (evaluate_axis_point(model, s, +1, nullptr, p) == 0) continue;
    series.set("curvature", s, p.curvature);
    if (profile) series.set("grade", s, p.grade * kPerCent);
    if (!crossfall) continue;
    series.set("crossfall_left", s, p.left_crossfall * kPerCent);
    series.set("crossfall_right", s, p.right_crossfall * kPerCent);
  }
}

}  // namespace corvalinde
