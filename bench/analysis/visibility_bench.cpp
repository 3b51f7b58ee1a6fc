// Cost of the whole visibility analysis (curve entries, obstacles both ways,
// passing both ways) on a generated two-lane road of 50 km, and of the same
// on a 2x2 road (curve entries, obstacles with their alternative target),
// reported as milliseconds per km of road and sight lines tested per second;
// and a 500 km road through all four analyses with the two senses of sight
// one after the other or at once, with its peak memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/alignment_review.h"
#include "analysis/profile_review.h"
#include "analysis/road_series.h"
#include "analysis/sight_line.h"
#include "analysis/superelevation_review.h"
#include "analysis/visibility_analyses.h"
#include "road_builder.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

using road_testing::PlanBuilder;
using road_testing::rolling_profile;

constexpr double kRoadLength = 50000.0;

// A road of at least `length` metres: line, clothoid, arc, clothoid groups
// with radii cycling through `radii` and alternating turns; grade lines of
// up to 6 % joined by crest and sag curves; crowned straights and one-way
// curves.
RoadModel generated_road(double length, const std::vector<double>& radii) {
  constexpr std::array kLines{320.0, 90.0, 650.0, 180.0, 900.0, 240.0, 480.0};
  constexpr std::array kArcs{140.0, 260.0, 420.0, 180.0, 330.0};
  PlanBuilder plan(0.0, 600000.0, 200000.0, 0.7);
  std::vector<CrossfallPoint> crossfall{{0.0, 2.5, -2.5}};
  for (std::size_t g = 0; plan.station() < length; ++g) {
    const double side = g % 2 == 0 ? 1.0 : -1.0;
    const double radius = radii[g % radii.size()];
    const double transition = std::clamp(radius / 8.0 + 30.0, 40.0, 250.0);
    const double superelevation = side * std::clamp(7.0 - radius / 400.0, 2.5, 7.0);
    plan.line(kLines[g % kLines.size()]);
    crossfall.push_back({plan.station(), 2.5, -2.5});
    plan.clothoid(transition, side / radius);
    crossfall.push_back({plan.station(), superelevation, superelevation});
    plan.arc(side * radius, kArcs[g % kArcs.size()]);
    crossfall.push_back({plan.station(), superelevation, superelevation});
    plan.clothoid(transition, 0.0);
    crossfall.push_back({plan.station(), 2.5, -2.5});
  }
  plan.line(300.0);
  const double end = plan.station();
  crossfall.push_back({end, 2.5, -2.5});

  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(rolling_profile(end));
  model.set_crossfall(std::move(crossfall));
  return model;
}

const RoadModel& two_lane_road() {
  static const RoadModel model =
      generated_road(kRoadLength, {150.0, 600.0, 250.0, 2000.0, 400.0, 900.0, 180.0, 1300.0, 300.0});
  return model;
}

const RoadModel& dual_road() {
  static const RoadModel model =
      generated_road(kRoadLength, {700.0, 1500.0, 450.0, 3000.0, 900.0, 2000.0, 600.0});
  return model;
}

void run_visibility(benchmark::State& state, const RoadModel& model, int road_type,
                    const CrossSection& section, SenseWalks senses = SenseWalks::kConcurrent) {
  if (message_table_state() == MessageTableState::kNotInitialised) {
    select_message_language(MessageLanguage::kFrench);
    static_cast<void>(message_text(0, 1));
  }
  const double km = (usable_stations(model).last - usable_stations(model).first) / 1000.0;
  const SightLineTally before = sight_line_tally();
  std::size_t lines = 0;
  for (auto _ : state) {
    Console console;
    visibility_analyses(console, model, road_type, section, senses);
    lines = console.line_count();
    benchmark::DoNotOptimize(lines);
  }
  const SightLineTally after = sight_line_tally();
  // Seconds of CPU per km of road (shown as m for milliseconds).
  state.counters["time_per_km"] =
      benchmark::Counter(km, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["sight_lines_per_s"] =
      benchmark::Counter(static_cast<double>(after.lines - before.lines), benchmark::Counter::kIsRate);
  state.counters["point_checks_per_s"] = benchmark::Counter(
      static_cast<double>(after.point_checks - before.point_checks), benchmark::Counter::kIsRate);
  state.counters["listing_lines"] = static_cast<double>(lines);
}

void BM_VisibilityTwoLaneArp(benchmark::State& state) {
  CrossSection section;  // 3.50 m lanes, 4.0 m clearance
  run_visibility(state, two_lane_road(), 0, section);
}
BENCHMARK(BM_VisibilityTwoLaneArp)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_VisibilityDualCarriageway(benchmark::State& state) {
  CrossSection section;
  section.median_width_dm = 30;
  section.median_blocks_sight = 1;
  section.side_clearance_dm = 50;
  run_visibility(state, dual_road(), 17, section);  // ICTAVRU A100 2x2: obstacles with two targets
}
BENCHMARK(BM_VisibilityDualCarriageway)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Peak resident memory: the process's high-water mark is reset before a run
// (Linux /proc/self/clear_refs, value 5) and read after it (VmHWM). Returns
// false when the mark cannot be reset; the figure then counts from the start.
bool reset_peak_memory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

double peak_memory_mb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
  }
  return 0.0;
}

// A 500 km two-lane road through the four analyses and the series, as one
// run does, the senses of sight one after the other (argument 1) or on two
// threads (argument 2). Reported: the wall time, its ratio to the time of
// argument 1 (run first), and the peak resident memory of the run with the
// road model.
void BM_AllAnalysesLongRoad(benchmark::State& state) {
  static const RoadModel model =
      generated_road(500000.0, {150.0, 600.0, 250.0, 2000.0, 400.0, 900.0, 180.0, 1300.0, 300.0});
  static double one_thread_seconds = 0.0;
  if (message_table_state() == MessageTableState::kNotInitialised) {
    select_message_language(MessageLanguage::kFrench);
    static_cast<void>(message_text(0, 1));
  }
  const SenseWalks senses = state.range(0) == 1 ? SenseWalks::kOneAfterTheOther : SenseWalks::kConcurrent;
  const bool peak_reset = reset_peak_memory();
  CrossSection section;
  double seconds = 0.0;
  std::size_t findings = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    Console console;
    horizontal_alignment_review(console, model, 0);
    superelevation_review(console, model, 0);
    vertical_profile_review(console, model, 0);
    visibility_analyses(console, model, 0, section, senses);
    keep_road_series(console, model);
    findings = console.records().size();
    benchmark::DoNotOptimize(findings);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  seconds /= static_cast<double>(state.iterations());
  if (state.range(0) == 1) one_thread_seconds = seconds;
  if (one_thread_seconds > 0.0) state.counters["ratio_to_one_thread"] = seconds / one_thread_seconds;
  state.counters["peak_mb"] = peak_memory_mb();
  state.counters["findings"] = static_cast<double>(findings);
  if (!peak_reset) state.SetLabel("peak counted from the start of the process");
}
BENCHMARK(BM_AllAnalysesLongRoad)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

}  // namespace
}  // namespace corvalinde
