// Fuzz target for the native design reader: any bytes give a mask that says
// exactly which tables the model holds, every table kept is one the analyses
// can walk (finite values, stations in order and within the admissible
// range, no degenerate element), the console lines are UTF-8 with the
// reader's headings, and the reviews then run on the model without writing
// a non-finite number. The first byte also picks the road type.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../reliability/text_checks.h"
#include "analysis/alignment_review.h"
#include "analysis/profile_review.h"
#include "analysis/superelevation_review.h"
#include "analysis/visibility_analyses.h"
#include "import/native_design_reader.h"
#include "output/utf8.h"
#include "services/message_table.h"

namespace {

using namespace corvalinde;

// The reader's bounds (see the native reader): stations, a table's length,
// other values, grades and crossfalls, the overlap allowed at a join.
constexpr double kMaxStation = 1.0e8;
constexpr double kMaxTableExtent = 1.0e6;
constexpr double kMaxMagnitude = 1.0e9;
constexpr double kMaxPercent = 100.0;
constexpr double kJoinTolerance = 0.001;
// Roads up to this length (m) also get the visibility analyses, which walk
// them in 10 m steps.
constexpr double kVisibilityLength = 400.0;
constexpr int kRoadTypes = 29;

void require(bool condition) {
  if (!condition) std::abort();
}

bool within(double v, double limit) {
  return std::isfinite(v) && std::fabs(v) <= limit;
}

// Stations in order along a table: each item forward, none starting before
// the previous one ended, the whole at most kMaxTableExtent long.
class Stations {
 public:
  void add(double start, double end) {
    require(within(start, kMaxStation) && within(end, kMaxStation));
    require(end >= start - kJoinTolerance);
    if (any_) {
      require(start >= last_ - kJoinTolerance);
    } else {
      first_ = start;
      last_ = end;
    }
    any_ = true;
    last_ = std::fmax(last_, end);
    require(last_ - first_ <= kMaxTableExtent);
  }
  double length() const { return last_ - first_; }

 private:
  bool any_ = false;
  double first_ = 0.0;
  double last_ = 0.0;
};

double check_plan(const RoadModel& model) {
  Stations stations;
  for (const PlanElement& e : model.plan_elements()) {
    require(e.kind() >= kPlanLine && e.kind() <= kPlanClothoid && !e.name.empty());
    stations.add(e.start_station, e.end_station);
    for (const double v : {e.start_x, e.start_y, e.end_x, e.end_y}) require(within(v, kMaxMagnitude));
    for (const double v : e.geometry_numbers()) require(within(v, kMaxMagnitude));
    if (const ArcGeometry* arc = e.arc()) require(arc->radius != 0.0);
    if (const ClothoidGeometry* c = e.clothoid()) {
      require(c->parameter > 0.0 && c->tau_near >= 0.0 && c->tau_far >= 0.0);
      require((c->orientation == 1 || c->orientation == -1) && (c->turn == 1 || c->turn == -1));
    }
  }
  return stations.length();
}

double check_profile(const RoadModel& model) {
  Stations stations;
  for (const ProfileElement& e : model.profile_elements()) {
    require(e.kind == kProfileGrade || e.kind == kProfileParabola);
    stations.add(e.start_station, e.end_station);
    for (const double v : {e.start_elevation, e.end_elevation, e.vertex_station, e.vertex_elevation}) {
      require(within(v, kMaxMagnitude));
    }
    if (e.kind == kProfileGrade) {
      require(within(e.grade_or_radius, kMaxPercent));
    } else {
      require(within(e.grade_or_radius, kMaxMagnitude) && e.grade_or_radius != 0.0);
    }
  }
  return stations.length();
}

void check_crossfall(const RoadModel& model) {
  require(!model.has_crossfall() || model.crossfall_count() >= 2);
  Stations stations;
  for (const CrossfallPoint& p : model.crossfall_points()) {
    stations.add(p.station, p.station);
    require(within(p.left, kMaxPercent) && within(p.right, kMaxPercent));
  }
}

// An element may be named like a non-finite number; only then can such a
// word in a listing be a name.
bool has_number_like_name(const RoadModel& model) {
  for (const PlanElement& e : model.plan_elements()) {
    if (reliability::shows_non_finite(e.name)) return true;
  }
  for (const ProfileElement& e : model.profile_elements()) {
    if (reliability::shows_non_finite(e.name)) return true;
  }
  return false;
}

void check_lines(const Console& console, bool names_may_match) {
  for (const ConsoleLine& line : console.lines()) {
    require(reliability::is_valid_utf8(line.text));
    require(names_may_match || !reliability::shows_non_finite(line.text));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  select_message_language(MessageLanguage::kIds);
  static_cast<void>(message_text(0, 1));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  RoadModel model;
  Console console;
  const int mask = read_native_design(console, model, input, "fuzz.txt");
  require(mask >= 0 && mask <= 7 && model.present_mask() == mask);

  // The reader's own lines: its two headings, UTF-8 throughout.
  require(console.line_count() >= 2 && console.line(0).heading &&
          console.line(0).text.starts_with("#55 fuzz.txt"));
  bool closed = false;
  for (const ConsoleLine& line : console.lines()) {
    require(reliability::is_valid_utf8(line.text));
    if (trim_right(line.text) == "#123") closed = line.heading;
  }
  require(closed);

  const double plan_length = check_plan(model);
  const double profile_length = check_profile(model);
  check_crossfall(model);
  if (mask == 0) return 0;

  const int road_type = size > 0 ? data[0] % kRoadTypes : 0;
  Console listing;
  horizontal_alignment_review(listing, model, road_type);
  superelevation_review(listing, model, road_type);
  vertical_profile_review(listing, model, road_type);
  if (plan_length <= kVisibilityLength && profile_length <= kVisibilityLength) {
    visibility_analyses(listing, model, road_type, CrossSection{});
  }
  check_lines(listing, has_number_like_name(model));
  return 0;
}
