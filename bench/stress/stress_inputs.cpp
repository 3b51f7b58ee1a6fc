// Generates the inputs of the stress runs: a road of a given length as a
// native design file, or the same road as a LandXML file padded with a
// terrain surface up to a given size. The geometry is exact (the tests' road
// builder), so every analysis sees a consistent design however long it is.
//   stress_inputs native LENGTH_KM OUT.txt
//   stress_inputs landxml LENGTH_KM SIZE_MB OUT.xml
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "import/native_design_writer.h"
#include "road_builder.h"

namespace corvalinde {
namespace {

using road_testing::PlanBuilder;
using road_testing::rolling_profile;

// Curvature at both ends of each plan element, for the LandXML spirals.
struct Curvatures {
  double start = 0.0;
  double end = 0.0;
};

struct StressRoad {
  RoadModel model;
  std::vector<Curvatures> curvatures;
};

// Line, clothoid, arc, clothoid groups with radii and lengths cycling through
// short tables, alternating turns; crowned straights and one-way curves;
// grade lines of up to 6 % joined by crest and sag curves.
StressRoad stress_road(double length) {
  constexpr std::array kRadii{450.0, 800.0, 300.0, 1200.0, 600.0, 2000.0, 250.0};
  constexpr std::array kLines{350.0, 600.0, 180.0, 900.0, 420.0, 1500.0};
  constexpr std::array kArcs{220.0, 400.0, 150.0, 300.0};
  StressRoad road;
  PlanBuilder plan(0.0, 500000.0, 150000.0, 0.3);
  std::vector<CrossfallPoint> crossfall{{0.0, 2.5, -2.5}};
  const auto add = [&](auto&& build) {
    const double k0 = plan.curvature();
    build();
    road.curvatures.push_back({k0, plan.curvature()});
  };
  for (std::size_t g = 0; plan.station() < length; ++g) {
    const double side = g % 2 == 0 ? 1.0 : -1.0;
    const double radius = kRadii[g % kRadii.size()];
    const double transition = std::clamp(radius / 4.0 + 40.0, 60.0, 250.0);
    const double one_way = side * std::clamp(7.0 - radius / 400.0, 2.5, 7.0);
    add([&] { plan.line(kLines[g % kLines.size()]); });
    crossfall.push_back({plan.station(), 2.5, -2.5});
    add([&] { plan.clothoid(transition, side / radius); });
    crossfall.push_back({plan.station(), one_way, one_way});
    add([&] { plan.arc(side * radius, kArcs[g % kArcs.size()]); });
    crossfall.push_back({plan.station(), one_way, one_way});
    add([&] { plan.clothoid(transition, 0.0); });
    crossfall.push_back({plan.station(), 2.5, -2.5});
  }
  add([&] { plan.line(300.0); });
  const double end = plan.station();
  crossfall.push_back({end, 2.5, -2.5});

  road.model.set_plan(plan.take());
  road.model.set_profile(rolling_profile(end));
  road.model.set_crossfall(std::move(crossfall));
  return road;
}

// ---- LandXML ------------------------------------------------------------------

// "northing easting", as LandXML writes points.
std::string point(double x, double y) {
  return fmt::format("{:.6f} {:.6f}", y, x);
}

std::string radius_text(double curvature) {
  return curvature == 0.0 ? std::string("INF") : fmt::format("{:.6f}", 1.0 / std::fabs(curvature));
}

void write_plan(std::FILE* out, const StressRoad& road) {
  for (std::size_t i = 1; i <= road.model.plan_count(); ++i) {
    const PlanElement& e = road.model.plan(i);
    const double length = e.end_station - e.start_station;
    const std::string ends =
        fmt::format("<Start>{}</Start><End>{}</End>", point(e.start_x, e.start_y), point(e.end_x, e.end_y));
    if (e.kind() == kPlanLine) {
      fmt::print(out, "<Line length=\"{:.6f}\">{}</Line>\n", length, ends);
    } else if (const ArcGeometry* arc = e.arc()) {
      fmt::print(out, "<Curve rot=\"{}\" radius=\"{:.6f}\">{}<Center>{}</Center></Curve>\n",
                 arc->radius > 0.0 ? "ccw" : "cw", std::fabs(arc->radius), ends,
                 point(arc->centre_x, arc->centre_y));
    } else {
      const Curvatures& k = road.curvatures[i - 1];
      fmt::print(out,
                 "<Spiral spiType=\"clothoid\" rot=\"{}\" length=\"{:.6f}\" radiusStart=\"{}\" "
                 "radiusEnd=\"{}\">{}</Spiral>\n",
                 e.clothoid() != nullptr && e.clothoid()->turn > 0 ? "ccw" : "cw", length,
                 radius_text(k.start), radius_text(k.end), ends);
    }
  }
}

// PVIs: the start, the intersection of the tangents of every vertical curve
// with its length, the end.
void write_profile(std::FILE* out, const RoadModel& model) {
  const ProfileElement& first = model.profile(1);
  fmt::print(out, "<PVI>{:.6f} {:.6f}</PVI>\n", first.start_station, first.start_elevation);
  for (std::size_t i = 1; i <= model.profile_count(); ++i) {
    const ProfileElement& e = model.profile(i);
    if (e.kind != kProfileParabola || i == 1) continue;
    const double length = e.end_station - e.start_station;
    const ProfileElement& before = model.profile(i - 1);
    const double grade = before.grade_or_radius / 100.0;
    fmt::print(out, "<ParaCurve length=\"{:.6f}\">{:.6f} {:.6f}</ParaCurve>\n", length,
               e.start_station + length / 2.0, e.start_elevation + grade * length / 2.0);
  }
  const ProfileElement& last = model.profile(model.profile_count());
  fmt::print(out, "<PVI>{:.6f} {:.6f}</PVI>\n", last.end_station, last.end_elevation);
}

// Crossfall zones between successive points, in the file's convention (a
// slope falling away from the axis is negative on both sides).
void write_zones(std::FILE* out, const RoadModel& model, bool left) {
  fmt::print(out, "<Zones side=\"{}\"><Zone category=\"road surface\">\n", left ? "left" : "right");
  for (std::size_t i = 1; i < model.crossfall_count(); ++i) {
    const CrossfallPoint& a = model.crossfall(i);
    const CrossfallPoint& b = model.crossfall(i + 1);
    const double va = left ? -a.left : a.right;
    const double vb = left ? -b.left : b.right;
    fmt::print(out,
               "<ZoneSlope staStart=\"{:.4f}\" startVertValue=\"{:.2f}\" staEnd=\"{:.4f}\" "
               "endVertValue=\"{:.2f}\"/>\n",
               a.station, va, b.station, vb);
  }
  fmt::print(out, "</Zone></Zones>\n");
}

// A terrain surface of points and faces (which the reader passes over) until
// the file holds `size` bytes.
void write_surface(std::FILE* out, long target) {
  fmt::print(out, "<Surfaces><Surface name=\"terrain\"><Definition surfType=\"TIN\"><Pnts>\n");
  long id = 1;
  constexpr long kRow = 1000;
  while (std::ftell(out) < target * 3 / 4) {
    const double x = 500000.0 + static_cast<double>(id % kRow) * 5.0;
    const double y = 150000.0 + static_cast<double>(id / kRow) * 5.0;
    fmt::print(out, "<P id=\"{}\">{:.3f} {:.3f} {:.3f}</P>\n", id, y, x,
               400.0 + std::sin(static_cast<double>(id)) * 20.0);
    ++id;
  }
  fmt::print(out, "</Pnts><Faces>\n");
  for (long f = 1; std::ftell(out) < target && f + kRow + 1 < id; ++f) {
    fmt::print(out, "<F>{} {} {}</F>\n", f, f + 1, f + kRow);
  }
  fmt::print(out, "</Faces></Definition></Surface></Surfaces>\n");
}

bool write_landxml(const StressRoad& road, double size_mb, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  fmt::print(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LandXML version=\"1.2\">\n");
  fmt::print(out, "<Units><Metric linearUnit=\"meter\" elevationUnit=\"meter\"/></Units>\n");
  fmt::print(out, "<Alignments><Alignment name=\"stress\" staStart=\"0\"><CoordGeom>\n");
  write_plan(out, road);
  fmt::print(out, "</CoordGeom><Profile><ProfAlign name=\"stress profile\">\n");
  write_profile(out, road.model);
  fmt::print(out, "</ProfAlign></Profile></Alignment></Alignments>\n");
  fmt::print(out, "<GradeModel><GradeSurface alignmentRef=\"stress\" surfaceType=\"finished grade\">\n");
  write_zones(out, road.model, true);
  write_zones(out, road.model, false);
  fmt::print(out, "</GradeSurface></GradeModel>\n");
  write_surface(out, static_cast<long>(size_mb * 1024.0 * 1024.0));
  fmt::print(out, "</LandXML>\n");
  return std::fclose(out) == 0;
}

int usage() {
  std::fputs(
      "usage: stress_inputs native LENGTH_KM OUT.txt\n"
      "       stress_inputs landxml LENGTH_KM SIZE_MB OUT.xml\n",
      stderr);
  return 2;
}

}  // namespace
}  // namespace corvalinde

int main(int argc, char** argv) {
  using namespace corvalinde;
  if (argc < 4) return usage();
  const std::string kind = argv[1];
  const double km = std::atof(argv[2]);
  if (!(km > 0.0)) return usage();
  const StressRoad road = stress_road(km * 1000.0);
  std::fprintf(stderr, "road: %.3f km, %zu plan elements, %zu profile elements, %zu crossfall points\n",
               road.model.plan(road.model.plan_count()).end_station / 1000.0, road.model.plan_count(),
               road.model.profile_count(), road.model.crossfall_count());
  if (kind == "native" && argc == 4) {
    const NativeWriteStatus status = write_native_design(road.model, argv[3]);
    if (status != NativeWriteStatus::kOk) {
      std::fprintf(stderr, "stress_inputs: the design could not be written: %s\n",
                   std::string(native_write_status_text(status)).c_str());
      return 1;
    }
    return 0;
  }
  if (kind == "landxml" && argc == 5) {
    if (!write_landxml(road, std::atof(argv[3]), argv[4])) {
      std::fprintf(stderr, "stress_inputs: %s could not be written\n", argv[4]);
      return 1;
    }
    return 0;
  }
  return usage();
}
