// Cost of evaluating a point on one transition of each law against the same
// point on a clothoid of the same length and radius (the clothoid's series is
// the fast path the other laws are measured by).
#include <benchmark/benchmark.h>

#include "road/axis_point.h"
#include "road/transition_curve.h"
#include "road_builder.h"

namespace corvalinde {
namespace {

constexpr double kLength = 150.0;
constexpr double kRadius = 450.0;
constexpr int kStations = 256;

PlanElement clothoid_element() {
  road_testing::PlanBuilder plan(0.0, 500000.0, 150000.0, 0.3);
  plan.clothoid(kLength, 1.0 / kRadius);
  return plan.take().front();
}

PlanElement transition_element(TransitionLaw law) {
  PlanElement e = clothoid_element();
  // The chord of the clothoid orients it: the shape is the law's own.
  TransitionCurve curve;
  if (TransitionCurve::build(law, kLength, 0.0, 1.0 / kRadius, 1, e.start_x, e.start_y, e.end_x, e.end_y,
                             curve) == TransitionStatus::kOk) {
    e.geometry = std::move(curve);
  } else {
    e.geometry = std::monostate{};
  }
  return e;
}

void evaluate_along(benchmark::State& state, const PlanElement& e) {
  if (e.kind() == 0) {
    state.SkipWithError("the transition could not be built");
    return;
  }
  AxisPoint point;
  for (auto _ : state) {
    for (int k = 0; k < kStations; ++k) {
      benchmark::DoNotOptimize(evaluate_plan_element(e, kLength * (k + 0.5) / kStations, point));
      benchmark::DoNotOptimize(point);
    }
  }
  state.counters["time_per_eval"] = benchmark::Counter(
      kStations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ClothoidElement(benchmark::State& state) {
  evaluate_along(state, clothoid_element());
}
BENCHMARK(BM_ClothoidElement);

void BM_TransitionElement(benchmark::State& state) {
  const auto law = static_cast<TransitionLaw>(state.range(0));
  state.SetLabel(std::string(transition_law_name(law)));
  evaluate_along(state, transition_element(law));
}
BENCHMARK(BM_TransitionElement)->DenseRange(0, static_cast<int>(TransitionLaw::kBiquadraticParabola));

}  // namespace
}  // namespace corvalinde
