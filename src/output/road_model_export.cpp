#include "output/road_model_export.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"

namespace corvalinde {
namespace {

// A step that gives more rows than this is refused.
constexpr double kMaxStepRows = 1e7;

struct Row {
  double station = 0.0;
  int order = 0;            // ties: plan ends, plan starts, profile, crossfall, plain
  std::size_t element = 0;  // plan element (1-based) evaluated on its own geometry, or 0
  std::string event;
};

// Signed curvature (positive to the left) of the plan element at s.
double signed_curvature(const PlanElement& e, double s, double unsigned_curvature) {
  switch (e.kind()) {
    case kPlanArc:
      return e.arc()->radius < 0.0 ? -unsigned_curvature : unsigned_curvature;
    case kPlanClothoid:
      return e.clothoid()->turn < 0 ? -unsigned_curvature : unsigned_curvature;
    case kPlanTransition:
      return e.transition()->at(s - e.start_station).curvature;
    default:
      return 0.0;
  }
}

std::string number(double value, int decimals) {
  return std::isfinite(value) ? fmt::format("{:.{}f}", value + 0.0, decimals) : std::string();
}

void model_range(const RoadModel& model, double& from, double& to) {
  if (model.has_plan()) {
    from = model.plan(1).start_station;
    to = model.plan(model.plan_count()).end_station;
  } else if (model.has_profile()) {
    from = model.profile(1).start_station;
    to = model.profile(model.profile_count()).end_station;
  } else {
    from = model.has_crossfall() ? model.crossfall(1).station : 0.0;
    to = model.has_crossfall() ? model.crossfall(model.crossfall_count()).station : 0.0;
  }
}

std::vector<Row> rows_of(const RoadModel& model, double step) {
  std::vector<Row> rows;
  double from = 0.0;
  double to = 0.0;
  model_range(model, from, to);
  for (std::size_t i = 1; i <= model.plan_count(); ++i) {
    const PlanElement& e = model.plan(i);
    rows.push_back({e.start_station, 1, i, fmt::format("start {}", i)});
    rows.push_back({e.end_station, 0, i, fmt::format("end {}", i)});
  }
  for (std::size_t i = 1; i <= model.profile_count(); ++i)
    rows.push_back({model.profile(i).start_station, 2, 0, fmt::format("profile {}", i)});
  if (model.has_profile())
    rows.push_back({model.profile(model.profile_count()).end_station, 2, 0, "profile end"});
  for (std::size_t i = 1; i <= model.crossfall_count(); ++i)
    rows.push_back({model.crossfall(i).station, 3, 0, fmt::format("crossfall {}", i)});
  if (!model.has_plan()) rows.push_back({from, 4, 0, ""});
  if (step > 0.0) {
    std::vector<double> taken;
    for (const Row& r : rows) taken.push_back(r.station);
    std::sort(taken.begin(), taken.end());
    for (double k = std::ceil(from / step); k * step <= to; k += 1.0) {
      const double s = k * step;
      if (!std::binary_search(taken.begin(), taken.end(), s)) rows.push_back({s, 4, 0, ""});
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return a.station < b.station || (a.station == b.station && a.order < b.order);
  });
  return rows;
}

}  // namespace

PointsStatus write_road_model_points(const RoadModel& model, double step, std::ostream& out) {
  double from = 0.0;
  double to = 0.0;
  model_range(model, from, to);
  if (!(step >= 0.0) || !std::isfinite(step) || (step > 0.0 && !((to - from) / step < kMaxStepRows)))
    return PointsStatus::kBadStep;
  out << kRoadModelPointsHeader << '\n';
  for (const Row& row : rows_of(model, step)) {
    const double s = row.station;
    AxisPoint point;
    bool on_plan = false;
    const PlanElement* element = nullptr;
    if (row.element != 0) {
      element = &model.plan(row.element);
      on_plan = evaluate_plan_element(*element, s, point);
    } else if (const std::size_t i = locate_plan_element(model, s); i != 0) {
      element = &model.plan(i);
      on_plan = evaluate_plan_element(*element, s, point);
    }
    std::string elevation;
    std::string grade;
    if (const std::size_t i = locate_profile_element(model, s); i != 0) {
      double z = 0.0;
      double g = 0.0;
      evaluate_profile_element(model.profile(i), s, z, g);
      elevation = number(z, 4);
      grade = number(100.0 * g, 4);
    }
    std::string left;
    std::string right;
    if (locate_crossfall_interval(model, s) != 0) {
      double l = 0.0;
      double r = 0.0;
      evaluate_crossfall(model, s, 1, l, r);
      left = number(100.0 * l, 4);
      right = number(100.0 * r, 4);
    }
    std::string easting;
    std::string northing;
    std::string direction;
    std::string curvature;
    if (on_plan) {
      const double heading = point.normal_direction + kPi / 2.0;
      double bearing = std::fmod(500.0 - heading * 200.0 / kPi, 400.0);
      if (bearing < 0.0) bearing += 400.0;
      if (bearing >= 400.0 - 5e-7) bearing = 0.0;  // north, whichever side of it the rounding fell
      easting = number(point.x, 4);
      northing = number(point.y, 4);
      direction = number(bearing, 6);
      curvature = number(signed_curvature(*element, s, point.curvature), 9);
    }
    const std::string shown = format_designer_station(designer_station(model.station_equations(), s), 4);
    out << fmt::format("{},{},{},{},{},{},{},{},{},{},{}\n", number(s, 4), shown, easting, northing,
                       elevation, direction, curvature, grade, left, right, row.event);
  }
  out.flush();
  return out ? PointsStatus::kOk : PointsStatus::kStreamFailed;
}

}  // namespace corvalinde
