// Cost of one full axis evaluation along a generated 20 km road sampled every
// metre in both senses, and of the clothoid series alone.
#include <benchmark/benchmark.h>

#include <cmath>

#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road_builder.h"

namespace corvalinde {
namespace {

constexpr double kRoadLength = 20000.0;

const RoadModel& bench_road() {
  static const RoadModel model = road_testing::generated_road(kRoadLength);
  return model;
}

void sweep(benchmark::State& state, int sense, const SpeedCapInputs* speed) {
  const RoadModel& model = bench_road();
  const double first = model.plan(1).start_station;
  const double last = model.plan(model.plan_count()).end_station;
  const auto samples = static_cast<long>(std::floor(last - first)) + 1;
  AxisPoint point;
  for (auto _ : state) {
    for (long k = 0; k < samples; ++k) {
      const double offset = static_cast<double>(k);
      const double s = sense > 0 ? first + offset : last - offset;
      benchmark::DoNotOptimize(evaluate_axis_point(model, s, sense, speed, point));
      benchmark::DoNotOptimize(point);
    }
  }
  state.counters["time_per_eval"] =
      benchmark::Counter(static_cast<double>(samples),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * samples);
}

void BM_AxisPointForward(benchmark::State& state) {
  const SpeedCapInputs speed{102.0, 2};
  sweep(state, 1, &speed);
}
BENCHMARK(BM_AxisPointForward);

void BM_AxisPointReverse(benchmark::State& state) {
  const SpeedCapInputs speed{102.0, 2};
  sweep(state, -1, &speed);
}
BENCHMARK(BM_AxisPointReverse);

void BM_AxisPointForwardWithoutSpeedCap(benchmark::State& state) {
  sweep(state, 1, nullptr);
}
BENCHMARK(BM_AxisPointForwardWithoutSpeedCap);

// Tangent angles met on roads (0 .. 0.5 rad) for A = 250.
void BM_ClothoidPoint(benchmark::State& state) {
  constexpr int kAngles = 256;
  double taus[kAngles];
  for (int i = 0; i < kAngles; ++i) taus[i] = 0.5 * (i + 1) / kAngles;
  double x = 0.0;
  double y = 0.0;
  for (auto _ : state) {
    for (const double tau : taus) {
      benchmark::DoNotOptimize(clothoid_point(250.0, tau, x, y));
      benchmark::DoNotOptimize(x);
      benchmark::DoNotOptimize(y);
    }
  }
  state.counters["time_per_call"] = benchmark::Counter(
      kAngles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ClothoidPoint);

}  // namespace
}  // namespace corvalinde
