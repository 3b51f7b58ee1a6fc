// Whole-road diagrams of a 500 km road: building the data from the model (and
// the run's series every 10 m with a failing stretch every 2 km) and painting
// it into a 1600 x 1000 image. The target is under 1 s and under 200 MB per
// diagram; peak_rss_mb reports the process's peak so far. Measured (Release,
// 2 shared cores under load 12): plan 24 ms, long section 149 ms, operating
// speed 29 ms, stopping sight 116 ms, passing 85 ms wall; peak 38 MB.
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <string>
#include <vector>

#include "draw/diagram_catalogue.h"
#include "draw/diagram_export.h"
#include "draw/long_section_diagram.h"
#include "draw/plan_diagram.h"
#include "road/plan_geometry.h"

namespace corvalinde::draw {
namespace {

constexpr double kRoadLength = 500000.0;
constexpr double kElementLength = 200.0;  // lines and arcs alternate
constexpr double kArcRadius = 600.0;      // turning left and right in turn
constexpr double kGradeLength = 400.0;    // grade lines between 200 m curves
constexpr double kCrossfallSpacing = 25.0;

RoadModel long_road() {
  std::vector<PlanElement> plan;
  double x = 0.0;
  double y = 0.0;
  double heading = 0.0;
  double s = 0.0;
  for (int i = 0; s < kRoadLength; ++i) {
    PlanElement e;
    e.start_station = s;
    e.end_station = s + kElementLength;
    e.start_x = x;
    e.start_y = y;
    if (i % 2 == 0) {
      const PlanePoint to{x + kElementLength * std::cos(heading), y + kElementLength * std::sin(heading)};
      LineEquation line;
      (void)line_through_points({x, y}, to, line);
      e.geometry = LineGeometry{line.a, line.b, line.c, line_heading(line)};
      x = to.x;
      y = to.y;
    } else {
      const double radius = (i / 2) % 2 == 0 ? kArcRadius : -kArcRadius;
      const double side = radius > 0.0 ? 1.0 : -1.0;
      const double cx = x - side * kArcRadius * std::sin(heading);
      const double cy = y + side * kArcRadius * std::cos(heading);
      const double start_angle = normalize_angle(std::atan2(y - cy, x - cx));
      const double phi = start_angle + kElementLength / radius;
      e.geometry = ArcGeometry{cx, cy, radius, start_angle, normalize_angle(phi)};
      x = cx + kArcRadius * std::cos(phi);
      y = cy + kArcRadius * std::sin(phi);
      heading += kElementLength / radius;
    }
    e.end_x = x;
    e.end_y = y;
    plan.push_back(e);
    s += kElementLength;
  }
  std::vector<ProfileElement> profile;
  double z = 500.0;
  double grade = 0.03;
  s = 0.0;
  while (s < kRoadLength) {
    profile.push_back(
        {kProfileGrade, "G", s, z, s + kGradeLength, z + grade * kGradeLength, 100.0 * grade, 0, 0});
    s += kGradeLength;
    z += grade * kGradeLength;
    const double next = -grade;
    const double radius = 200.0 / (next - grade);
    const double vertex = s - grade * radius;
    const double zv = z - (s - vertex) * (s - vertex) / (2.0 * radius);
    const double z_end = zv + (s + 200.0 - vertex) * (s + 200.0 - vertex) / (2.0 * radius);
    profile.push_back({kProfileParabola, "P", s, z, s + 200.0, z_end, radius, vertex, zv});
    s += 200.0;
    z = z_end;
    grade = next;
  }
  std::vector<CrossfallPoint> crossfall;
  for (double c = 0.0; c <= kRoadLength; c += kCrossfallSpacing)
    crossfall.push_back({c, std::fmod(c, 400.0) < 200.0 ? 2.5 : 6.0, -2.5});
  RoadModel model;
  model.set_plan(std::move(plan));
  model.set_profile(std::move(profile));
  model.set_crossfall(std::move(crossfall));
  return model;
}

const RoadModel& road() {
  static const RoadModel model = long_road();
  return model;
}

void report_peak(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_PlanWholeRoad(benchmark::State& state) {
  const RoadModel& model = road();
  for (auto _ : state) {
    const PlanDiagramData data = make_plan_data(model, {}, DiagramLanguage::kEnglish);
    QImage image(static_cast<int>(kDiagramWidth), static_cast<int>(kDiagramHeight), QImage::Format_RGB32);
    QPainter painter(&image);
    draw_plan(painter, QRectF(0, 0, kDiagramWidth, kDiagramHeight), data);
    benchmark::DoNotOptimize(image.bits());
  }
  report_peak(state);
}
BENCHMARK(BM_PlanWholeRoad)->Unit(benchmark::kMillisecond);

void BM_LongSectionWholeRoad(benchmark::State& state) {
  const RoadModel& model = road();
  for (auto _ : state) {
    LongSectionData data = make_long_section_data(model, {}, DiagramLanguage::kEnglish);
    // A failing stretch of 1 m somewhere in 500 km must still be drawn.
    data.stretches.push_back({250000.0, 250001.0, StretchVerdict::kFailing});
    QImage image(static_cast<int>(kDiagramWidth), static_cast<int>(kDiagramHeight), QImage::Format_RGB32);
    QPainter painter(&image);
    draw_long_section(painter, QRectF(0, 0, kDiagramWidth, kDiagramHeight), data);
    benchmark::DoNotOptimize(image.bits());
  }
  report_peak(state);
}
BENCHMARK(BM_LongSectionWholeRoad)->Unit(benchmark::kMillisecond);

// The run's series every 10 m, as the visibility review keeps them, and a
// failing stopping stretch and a passing stretch every 2 km, a 1 m one among them.
struct LongRun {
  RunSeries series;
  std::vector<FindingRecord> findings;
};

const LongRun& long_run() {
  static const LongRun run = [] {
    LongRun r;
    r.series.set_grid(0.0, kRoadLength, 10.0);
    for (const double s : r.series.stations()) {
      const double wave = std::sin(s / 700.0);
      for (const char* sense : {"_forward", "_backward"}) {
        r.series.set(std::string("speed") + sense, s, 80.0 + 10.0 * wave);
        r.series.set(std::string("stopping_required") + sense, s, 120.0 + 10.0 * wave);
        r.series.set(std::string("stopping_available") + sense, s, 150.0 + 120.0 * wave);
        r.series.set(std::string("passing_available") + sense, s, 300.0 + 250.0 * wave);
      }
    }
    for (double s = 0.0; s < kRoadLength; s += 2000.0) {
      FindingRecord fail;
      fail.review = Review::kVisibility;
      fail.check = "stopping_sight";
      fail.direction = TravelDirection::kForward;
      fail.verdict = Verdict::kFail;
      fail.from = s + 300.0;
      fail.to = s == 250000.0 ? s + 301.0 : s + 500.0;
      r.findings.push_back(fail);
      FindingRecord passing = fail;
      passing.check = "passing";
      passing.verdict = Verdict::kOk;
      passing.from = s + 1000.0;
      passing.to = s + 1400.0;
      r.findings.push_back(passing);
    }
    return r;
  }();
  return run;
}

// Each diagram of the catalogue, prepared from the run and painted.
void BM_RunDiagramWholeRoad(benchmark::State& state) {
  const RoadModel& model = road();
  const LongRun& run = long_run();
  const auto diagram = kAllDiagrams[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(std::string(diagram_file_stem(diagram)));
  const DiagramSource source{&model, &run.findings, &run.series, 90.0};
  for (auto _ : state) {
    const PreparedDiagram prepared(diagram, source, {}, DiagramLanguage::kEnglish);
    QImage image(static_cast<int>(kDiagramWidth), static_cast<int>(kDiagramHeight), QImage::Format_RGB32);
    QPainter painter(&image);
    prepared.paint(painter, QRectF(0, 0, kDiagramWidth, kDiagramHeight));
    benchmark::DoNotOptimize(image.bits());
  }
  report_peak(state);
}
BENCHMARK(BM_RunDiagramWholeRoad)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalinde::draw

int main(int argc, char** argv) {
  const auto gui = corvalinde::draw::ensure_gui_application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
