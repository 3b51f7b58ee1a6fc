#include "import/plan_continuity.h"

#include <cmath>
#include <string>

#include "output/listings.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

constexpr int kMsgEndMissed = 57;   // template: element name, station, distance
constexpr int kMsgEndsMissed = 58;  // template: number of elements
constexpr int kMsgGapAtJoin = 59;   // template: station, distance

std::string designer_station_text(const StationEquations& stations, double internal) {
  return format_designer_station(designer_station(stations, internal));
}

}  // namespace

int report_plan_misses(Console& console, const std::vector<PlanElement>& plan,
                       const StationEquations& stations) {
  int missed = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const PlanElement& e = plan[i];
    AxisPoint end;
    if (!evaluate_plan_element(e, e.end_station, end)) continue;
    const double miss = point_distance({end.x, end.y}, {e.end_x, e.end_y});
    if (!(miss <= kReportedEndMiss)) {
      ++missed;
      console_write(console, kConsoleOrdinary,
                    format_message(kMsgEndMissed, kListingLineWidth, e.name,
                                   designer_station_text(stations, e.end_station), miss));
    }
    if (i + 1 < plan.size()) {
      // The join as the analyses see it: this element's computed end
      // against the next element's computed start.
      const PlanElement& next = plan[i + 1];
      AxisPoint next_start;
      if (!evaluate_plan_element(next, next.start_station, next_start)) continue;
      const double gap = point_distance({end.x, end.y}, {next_start.x, next_start.y});
      if (!(gap <= kReportedEndMiss)) {
        console_write(console, kConsoleOrdinary,
                      format_message(kMsgGapAtJoin, kListingLineWidth,
                                     designer_station_text(stations, e.end_station), gap));
      }
    }
  }
  if (missed > 0)
    console_write(console, kConsoleOrdinary, format_message(kMsgEndsMissed, kListingLineWidth, missed));
  return missed;
}

}  // namespace corvalinde
