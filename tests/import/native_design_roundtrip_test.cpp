#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "import/fortran_fields.h"
#include "import/native_design_reader.h"
#include "import/native_design_writer.h"
#include "native_design_test_support.h"
#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

using native_test::listing;
using native_test::read_text;

// Half a unit of the last decimal of each kind of column, with room for the
// binary representation of the value.
constexpr double kStationTolerance = 0.5e-5 * 1.001;  // 13 columns, 5 decimals
constexpr double kAngleTolerance = 0.5e-13 * 1.1;     // 16 columns, 13 decimals

class DesignGenerator {
 public:
  explicit DesignGenerator(unsigned seed) : random_(seed) {}

  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }

  std::string name() {
    static const std::vector<std::string> pieces = {"D", "C", "é", "X", "7", "-", "Ü"};
    std::string out;
    const int n = pick(1, 6);
    for (int i = 0; i < n; ++i) out += pieces[static_cast<std::size_t>(pick(0, 6))];
    return out;
  }

  RoadModel design(std::size_t plan, std::size_t profile, std::size_t crossfall) {
    std::vector<PlanElement> elements;
    double s = uniform(-500, 500);
    for (std::size_t i = 0; i < plan; ++i) {
      PlanElement e;
      const int kind = pick(1, 3);
      e.name = name();
      e.start_station = s;
      s += uniform(0.01, 900);
      e.end_station = s;
      e.start_x = uniform(-900000, 6900000);
      e.start_y = uniform(-900000, 6900000);
      e.end_x = uniform(-900000, 6900000);
      e.end_y = uniform(-900000, 6900000);
      const double direction = uniform(0, kTwoPi);
      // The numbers are drawn one by one, in the record's order.
      if (kind == kPlanLine) {
        LineGeometry g;
        g.a = uniform(-1, 1);
        g.b = uniform(-1, 1);
        g.c = uniform(-7e6, 7e6);
        g.heading = direction;
        e.geometry = g;
      } else if (kind == kPlanArc) {
        ArcGeometry g;
        g.centre_x = uniform(-900000, 6900000);
        g.centre_y = uniform(-900000, 6900000);
        g.radius = (pick(0, 1) != 0 ? 1.0 : -1.0) * uniform(10, 1e5);
        g.start_angle = round_to_decimals(direction, 13);  // what its columns hold
        g.end_angle = uniform(0, kTwoPi);
        e.geometry = g;
      } else {
        ClothoidGeometry g;
        g.parameter = uniform(10, 2000);
        g.origin_x = uniform(-900000, 6900000);
        g.origin_y = uniform(-900000, 6900000);
        g.origin_heading = direction;
        g.tau_near = pick(0, 1) != 0 ? 0.0 : uniform(0, 1);
        g.tau_far = g.tau_near + uniform(0, 2);
        g.orientation = static_cast<std::int8_t>(pick(0, 1) * 2 - 1);
        g.turn = static_cast<std::int8_t>(pick(0, 1) * 2 - 1);
        e.geometry = g;
      }
      elements.push_back(e);
    }
    std::vector<ProfileElement> grades;
    s = uniform(-500, 500);
    for (std::size_t i = 0; i < profile; ++i) {
      ProfileElement e;
      e.kind = static_cast<std::int8_t>(pick(1, 2));
      e.name = name();
      e.start_station = s;
      s += uniform(0.01, 900);
      e.end_station = s;
      e.start_elevation = uniform(-400, 4000);
      e.end_elevation = uniform(-400, 4000);
      if (e.kind == kProfileGrade) {
        e.grade_or_radius = uniform(-12, 12);
      } else {
        e.grade_or_radius = round_to_decimals(uniform(-50000, 50000), 4);
        e.vertex_station = uniform(-5000, 50000);
        e.vertex_elevation = uniform(-400, 4000);
      }
      grades.push_back(e);
    }
    std::vector<CrossfallPoint> points;
    s = uniform(-500, 500);
    for (std::size_t i = 0; i < crossfall; ++i) {
      s += uniform(0.001, 80);
      points.push_back({s, uniform(-8, 8), uniform(-8, 8)});
    }
    RoadModel model;
    model.set_plan(std::move(elements));
    model.set_profile(std::move(grades));
    model.set_crossfall(std::move(points));
    return model;
  }

 private:
  std::mt19937 random_;
};

std::string written(const RoadModel& model) {
  std::ostringstream out;
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kOk);
  return out.str();
}

void expect_same_plan(const PlanElement& got, const PlanElement& want, std::size_t i) {
  SCOPED_TRACE(testing::Message() << "plan element " << i);
  EXPECT_EQ(got.kind(), want.kind());
  EXPECT_EQ(got.name, want.name);
  for (const auto& [g, w] : {std::pair{got.start_station, want.start_station},
                             {got.start_x, want.start_x},
                             {got.start_y, want.start_y},
                             {got.end_station, want.end_station},
                             {got.end_x, want.end_x},
                             {got.end_y, want.end_y}}) {
    EXPECT_NEAR(g, w, kStationTolerance);
  }
  // Three values, then three angles (lines carry no tangent angles, arcs no
  // far one: those are 0).
  const std::array<double, 6> g = got.geometry_numbers();
  const std::array<double, 6> w = want.geometry_numbers();
  EXPECT_EQ(g[0], w[0]);
  EXPECT_EQ(g[1], w[1]);
  EXPECT_EQ(g[2], w[2]);
  if (want.kind() == kPlanArc) {
    EXPECT_EQ(g[3], w[3]);  // bit for bit
  } else {
    EXPECT_NEAR(g[3], w[3], kAngleTolerance);
  }
  EXPECT_NEAR(g[4], w[4], kAngleTolerance);
  EXPECT_NEAR(g[5], w[5], kAngleTolerance);
  if (const ClothoidGeometry* c = want.clothoid()) {
    ASSERT_NE(got.clothoid(), nullptr);
    EXPECT_EQ(got.clothoid()->orientation, c->orientation);
    EXPECT_EQ(got.clothoid()->turn, c->turn);
  }
}

void expect_same_profile(const ProfileElement& got, const ProfileElement& want, std::size_t i) {
  SCOPED_TRACE(testing::Message() << "profile element " << i);
  EXPECT_EQ(got.kind, want.kind);
  EXPECT_EQ(got.name, want.name);
  EXPECT_NEAR(got.start_station, want.start_station, kStationTolerance);
  EXPECT_NEAR(got.start_elevation, want.start_elevation, kStationTolerance);
  EXPECT_NEAR(got.end_station, want.end_station, kStationTolerance);
  EXPECT_NEAR(got.end_elevation, want.end_elevation, kStationTolerance);
  EXPECT_EQ(got.grade_or_radius, want.grade_or_radius);
  EXPECT_EQ(got.vertex_station, want.vertex_station);
  EXPECT_EQ(got.vertex_elevation, want.vertex_elevation);
}

void expect_same_tables(const RoadModel& got, const RoadModel& want, int mask) {
  if ((mask & kMaskPlan) != 0) {
    ASSERT_EQ(got.plan_count(), want.plan_count());
    for (std::size_t i = 1; i <= want.plan_count(); ++i) expect_same_plan(got.plan(i), want.plan(i), i);
  }
  if ((mask & kMaskProfile) != 0) {
    ASSERT_EQ(got.profile_count(), want.profile_count());
    for (std::size_t i = 1; i <= want.profile_count(); ++i) {
      expect_same_profile(got.profile(i), want.profile(i), i);
    }
  }
  if ((mask & kMaskCrossfall) != 0) {
    ASSERT_EQ(got.crossfall_count(), want.crossfall_count());
    for (std::size_t i = 1; i <= want.crossfall_count(); ++i) {
      EXPECT_EQ(got.crossfall(i).station, want.crossfall(i).station);
      EXPECT_EQ(got.crossfall(i).left, want.crossfall(i).left);
      EXPECT_EQ(got.crossfall(i).right, want.crossfall(i).right);
    }
  }
}

TEST(NativeRoundTrip, GeneratedDesignsReadBackToTheSameModel) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    DesignGenerator generator(seed);
    const std::size_t n_plan = static_cast<std::size_t>(generator.pick(1, 60));
    const std::size_t n_profile = static_cast<std::size_t>(generator.pick(1, 30));
    const std::size_t n_points = static_cast<std::size_t>(generator.pick(2, 45));
    const RoadModel want = generator.design(n_plan, n_profile, n_points);
    RoadModel got;
    Console console;
    ASSERT_EQ(read_text(written(want), got, console), 7);
    // The records are random values, not a road: the reader's lines about
    // ends that miss (#57 to #59) are left aside.
    std::string lines;
    std::istringstream in(listing(console));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("  #57 ", 0) != 0 && line.rfind("  #58 ", 0) != 0 && line.rfind("  #59 ", 0) != 0)
        lines += line + "\n";
    }
    EXPECT_EQ(lines, fmt::format("= #55 design.txt\n  #141 {}\n  #211 {}\n  #281 {}\n= #123\n", n_plan,
                                 n_profile, n_points - 1));
    expect_same_tables(got, want, 7);
  }
}

TEST(NativeRoundTrip, RecordsHaveTheirFormatsWidths) {
  DesignGenerator generator(7);
  const std::string text = written(generator.design(3, 2, 5));
  std::istringstream lines(text);
  std::vector<std::size_t> widths;
  for (std::string line; std::getline(lines, line);) widths.push_back(utf8_length(line));
  // Header, 3 x (126, 78), header, 2 x 128, header, two free-format lines.
  ASSERT_EQ(widths.size(), 1u + 6u + 1u + 2u + 1u + 2u);
  EXPECT_EQ(widths[0], 13u);
  for (std::size_t i = 1; i <= 6; i += 2) {
    EXPECT_EQ(widths[i], 126u);
    EXPECT_EQ(widths[i + 1], 78u);
  }
  EXPECT_EQ(widths[7], 13u);
  EXPECT_EQ(widths[8], 128u);
  EXPECT_EQ(widths[9], 128u);
  EXPECT_EQ(text.substr(0, 13), "  3   400   3");
}

TEST(NativeRoundTrip, WideValuesGiveUpDecimalsNotDigits) {
  RoadModel model;
  ProfileElement e;
  e.kind = kProfileGrade;
  e.name = "D";
  e.start_station = -2600000.123456;  // 14 characters with 5 decimals
  e.end_station = 99999999.5;
  e.start_elevation = 1e15;  // no fixed form fits 13 columns
  model.set_profile({e});
  // Such values lie beyond what the reader admits as a road, so the record is
  // read back field by field.
  const std::string text = written(model);
  const std::size_t begin = text.find('\n') + 1;
  const std::string line = text.substr(begin, text.find('\n', begin) - begin);
  const ColumnLine record(line);
  EXPECT_NEAR(read_fixed_real(record.field(8, 13)).value_or(0.0), -2600000.123456, 0.5e-4);
  EXPECT_EQ(read_fixed_real(record.field(34, 13)).value_or(0.0), 99999999.5);
  EXPECT_NEAR(read_fixed_real(record.field(21, 13)).value_or(0.0), 1e15, 1e15 * 1e-6);
}

TEST(NativeRoundTrip, ModelsTheFormatCannotHoldAreRefused) {
  std::ostringstream out;
  RoadModel model;
  model.set_crossfall({{0, 2.5, -2.5}, {std::numeric_limits<double>::quiet_NaN(), 2.5, -2.5}});
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kValueNotWritable);

  model.clear();
  PlanElement e;
  e.geometry = LineGeometry{};
  e.end_x = std::numeric_limits<double>::infinity();
  model.set_plan({e});
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kValueNotWritable);
  e.end_x = 0;
  e.geometry = TransitionCurve{};  // the format cannot hold it
  model.set_plan({e});
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kBadRecord);

  // Station equations: a file without them would not be the design. No file
  // is made.
  e.geometry = LineGeometry{};
  e.end_station = 10.0;
  model.set_plan({e});
  model.set_station_equations({0.0, 10.0, {{5.0, 5.0, 100.0, true}}});
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kStationEquations);
  const std::filesystem::path refused =
      std::filesystem::temp_directory_path() / "corvalinde-refused-design.txt";
  std::filesystem::remove(refused);
  EXPECT_EQ(write_native_design(model, refused.string()), NativeWriteStatus::kStationEquations);
  EXPECT_FALSE(std::filesystem::exists(refused));
  EXPECT_EQ(out.str(), "") << "nothing of a refused model reaches the stream";

  model.clear();
  model.set_crossfall(std::vector<CrossfallPoint>(10000));
  EXPECT_EQ(write_native_design(model, out), NativeWriteStatus::kTooManyItems);
  model.set_crossfall(std::vector<CrossfallPoint>(9999));
  std::ostringstream fits;
  EXPECT_EQ(write_native_design(model, fits), NativeWriteStatus::kOk);
  EXPECT_EQ(fits.str().substr(0, 14), " 10   4009999\n");

  EXPECT_EQ(write_native_design(model, std::string("/nonexistent-dir/x.txt")), NativeWriteStatus::kIoError);
}

bool all_values_finite(const RoadModel& m) {
  bool ok = true;
  const auto check = [&ok](std::initializer_list<double> values) {
    for (const double v : values) ok = ok && std::isfinite(v);
  };
  for (const PlanElement& e : m.plan_elements()) {
    check({e.start_station, e.start_x, e.start_y, e.end_station, e.end_x, e.end_y});
    for (const double v : e.geometry_numbers()) check({v});
  }
  for (const ProfileElement& e : m.profile_elements()) {
    check({e.start_station, e.start_elevation, e.end_station, e.end_elevation, e.grade_or_radius,
           e.vertex_station, e.vertex_elevation});
  }
  for (const CrossfallPoint& p : m.crossfall_points()) check({p.station, p.left, p.right});
  return ok;
}

TEST(NativeRoundTrip, CorruptedBytesNeverLeavePartialOrNonFiniteTables) {
  DesignGenerator generator(5);
  const std::string text = written(generator.design(6, 4, 9));
  std::mt19937 random(11);
  const std::string replacements = "0123456789 \n.E-+*,/xN\t\r\xC3\xA9\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string corrupted = text;
    const int changes = std::uniform_int_distribution<int>(1, 4)(random);
    for (int k = 0; k < changes; ++k) {
      const auto at = std::uniform_int_distribution<std::size_t>(0, corrupted.size() - 1)(random);
      corrupted[at] =
          replacements[std::uniform_int_distribution<std::size_t>(0, replacements.size() - 1)(random)];
    }
    RoadModel model;
    Console console;
    const int mask = read_text(corrupted, model, console);
    ASSERT_EQ(model.present_mask(), mask) << corrupted;
    ASSERT_TRUE(all_values_finite(model)) << corrupted;
    if ((mask & kMaskCrossfall) != 0) {
      ASSERT_GE(model.crossfall_count(), 2u);
    }
  }
}

// Offsets just after the last line of each table section in a written design.
struct SectionEnds {
  std::size_t plan_header_end, plan_end, profile_header_end, profile_end, crossfall_header_end, crossfall_end;
};

TEST(NativeRoundTrip, TruncationAnywhereNeverCrashesAndKeepsOnlyCompletedTables) {
  DesignGenerator generator(99);
  const RoadModel full = generator.design(4, 3, 9);
  const std::string text = written(full);
  // Line offsets: header, 8 plan lines, header, 3 profile lines, header, 3 point lines.
  std::vector<std::size_t> line_ends;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') line_ends.push_back(i + 1);
  }
  ASSERT_EQ(line_ends.size(), 1u + 8u + 1u + 3u + 1u + 3u);
  const SectionEnds ends{line_ends[0],  line_ends[8],  line_ends[9],
                         line_ends[12], line_ends[13], line_ends[16]};

  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    SCOPED_TRACE(testing::Message() << "cut at " << cut);
    RoadModel model;
    Console console;
    const int mask = read_text(text.substr(0, cut), model, console);
    const std::string out = listing(console);
    const bool on_line_boundary = cut == 0 || text[cut - 1] == '\n';
    // A section whose last line is whole is complete; one cut inside its
    // last line may still read (the rest of the line reads as blanks).
    const auto complete = [&](std::size_t end) { return cut >= end; };
    const auto may_complete = [&](std::size_t end) { return cut > text.rfind('\n', end - 2) + 1; };
    int at_least = 0;
    int at_most = 0;
    for (const auto& [end, bit] : {std::pair{ends.plan_end, kMaskPlan},
                                   {ends.profile_end, kMaskProfile},
                                   {ends.crossfall_end, kMaskCrossfall}}) {
      if (complete(end)) at_least |= bit;
      if (may_complete(end)) at_most |= bit;
    }
    EXPECT_EQ(mask & at_least, at_least);
    EXPECT_EQ(mask & ~at_most, 0);
    // Only completed tables stay, and a begun table that did not complete is
    // announced as discarded.
    EXPECT_EQ(model.present_mask(), mask);
    for (const auto& [header_end, bit, message] : {std::tuple{ends.plan_header_end, kMaskPlan, "#143"},
                                                   {ends.profile_header_end, kMaskProfile, "#213"},
                                                   {ends.crossfall_header_end, kMaskCrossfall, "#283"}}) {
      const bool begun = cut + 1 >= header_end;  // the header without its line end reads
      EXPECT_EQ(out.find(message) != std::string::npos, begun && (mask & bit) == 0) << message;
    }
    EXPECT_EQ(out.find("#9 ") != std::string::npos, mask == 0);
    if (on_line_boundary) expect_same_tables(model, full, mask);
  }
}

}  // namespace
}  // namespace corvalinde
