#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "import/native_design_reader.h"
#include "import/native_design_writer.h"
#include "native_design_test_support.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "sample_generator/design_description.h"

namespace corvalinde {
namespace {

const std::string kSampleDir = CORVALINDE_SAMPLES_DIR;
const std::string kDescription = kSampleDir + "/route-des-cretes.description";
const std::string kDesign = kSampleDir + "/route-des-cretes.txt";

// The evaluation's clothoid series stops at terms of 1e-4 m; stations and
// coordinates are stored with 5 decimals.
constexpr double kJoinPositionTolerance = 2e-4;
constexpr double kJoinDirectionTolerance = 1e-6;

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

double angle_difference(double a, double b) {
  return std::remainder(a - b, kTwoPi);
}

TEST(NativeSample, CheckedInDesignIsWhatItsDescriptionBuilds) {
  const sample::BuildResult built = sample::build_design(file_text(kDescription));
  ASSERT_TRUE(built.ok) << built.error;
  std::ostringstream out;
  ASSERT_EQ(write_native_design(built.model, out), NativeWriteStatus::kOk);
  EXPECT_TRUE(out.str() == file_text(kDesign))
      << "samples/route-des-cretes.txt is out of date: build the target regenerate_native_sample";
}

TEST(NativeSample, CheckedInDesignReadsFromItsPath) {
  native_test::use_message_ids();
  Console console;
  RoadModel model;
  EXPECT_EQ(read_native_design(console, model, kDesign), 7);
}

// The design as its description builds it, written and read back the way a
// user's file is read.
class SampleDesign : public ::testing::Test {
 protected:
  void SetUp() override {
    const sample::BuildResult built = sample::build_design(file_text(kDescription));
    ASSERT_TRUE(built.ok) << built.error;
    std::stringstream file;
    ASSERT_EQ(write_native_design(built.model, file), NativeWriteStatus::kOk);
    native_test::use_message_ids();
    mask_ = read_native_design(console_, model_, file, "route-des-cretes.txt");
  }
  Console console_;
  RoadModel model_;
  int mask_ = 0;
};

TEST_F(SampleDesign, ReadsAllThreeTablesOfARealisticRoad) {
  ASSERT_EQ(mask_, 7) << native_test::listing(console_);
  const double length = model_.plan(model_.plan_count()).end_station - model_.plan(1).start_station;
  EXPECT_GT(length, 5000.0);
  int left_arcs = 0, right_arcs = 0, spirals_from_lines = 0, spirals_between_arcs = 0;
  for (const PlanElement& e : model_.plan_elements()) {
    if (const ArcGeometry* arc = e.arc()) ++(arc->radius > 0 ? left_arcs : right_arcs);
    if (const ClothoidGeometry* c = e.clothoid())
      ++(c->tau_near * c->tau_far == 0.0 ? spirals_from_lines : spirals_between_arcs);
  }
  EXPECT_GE(left_arcs, 2);
  EXPECT_GE(right_arcs, 2);
  EXPECT_GE(spirals_from_lines, 4);
  EXPECT_GE(spirals_between_arcs, 2);
  int crests = 0, sags = 0;
  for (const ProfileElement& e : model_.profile_elements()) {
    if (e.kind == kProfileParabola) ++(e.grade_or_radius > 0 ? sags : crests);
  }
  EXPECT_GE(crests, 2);
  EXPECT_GE(sags, 2);
  bool left_superelevation = false, right_superelevation = false;
  for (const CrossfallPoint& p : model_.crossfall_points()) {
    left_superelevation |= p.left > 0 && p.right > 0;
    right_superelevation |= p.left < 0 && p.right < 0;
  }
  EXPECT_TRUE(left_superelevation && right_superelevation);
  // The tables cover the same stretch of road.
  EXPECT_NEAR(model_.profile(1).start_station, model_.plan(1).start_station, 1e-5);
  EXPECT_NEAR(model_.profile(model_.profile_count()).end_station,
              model_.plan(model_.plan_count()).end_station, 1e-5);
  EXPECT_NEAR(model_.crossfall(model_.crossfall_count()).station,
              model_.plan(model_.plan_count()).end_station, 1e-5);
}

// Evaluates the axis at station s on element `element`: the lookup's
// remembered index is first moved onto it by a station inside it.
AxisPoint evaluate_on(const RoadModel& model, std::size_t element, double s) {
  const PlanElement& e = model.plan(element);
  AxisPoint p;
  EXPECT_EQ(evaluate_axis_point(model, 0.5 * (e.start_station + e.end_station), 1, nullptr, p), e.kind());
  EXPECT_EQ(evaluate_axis_point(model, s, 1, nullptr, p), e.kind());
  EXPECT_EQ(locate_plan_element(model, s), element);
  return p;
}

TEST_F(SampleDesign, PlanIsContinuousInPositionAndDirectionAtEveryJoin) {
  ASSERT_EQ(mask_, 7);
  for (std::size_t i = 1; i <= model_.plan_count(); ++i) {
    const PlanElement& e = model_.plan(i);
    SCOPED_TRACE(e.name);
    // Each record reproduces its own end points.
    const AxisPoint start = evaluate_on(model_, i, e.start_station);
    EXPECT_NEAR(start.x, e.start_x, kJoinPositionTolerance);
    EXPECT_NEAR(start.y, e.start_y, kJoinPositionTolerance);
    const AxisPoint end = evaluate_on(model_, i, e.end_station);
    EXPECT_NEAR(end.x, e.end_x, kJoinPositionTolerance);
    EXPECT_NEAR(end.y, e.end_y, kJoinPositionTolerance);
    if (i == model_.plan_count()) continue;
    // And meets the next one in position, direction and (through a
    // transition) curvature.
    const PlanElement& next = model_.plan(i + 1);
    ASSERT_EQ(next.start_station, e.end_station);
    const AxisPoint after = evaluate_on(model_, i + 1, next.start_station);
    EXPECT_NEAR(after.x, end.x, kJoinPositionTolerance);
    EXPECT_NEAR(after.y, end.y, kJoinPositionTolerance);
    EXPECT_NEAR(angle_difference(after.normal_direction, end.normal_direction), 0.0, kJoinDirectionTolerance);
    if (e.kind() == kPlanClothoid || next.kind() == kPlanClothoid) {
      EXPECT_NEAR(after.curvature, end.curvature, 1e-9);
    }
  }
}

TEST_F(SampleDesign, ArcStartAnglesNeedNoRounding) {
  // The generator places every arc so that its 4-decimal start angle is the
  // exact polar angle of its start point seen from the centre.
  for (const PlanElement& e : model_.plan_elements()) {
    const ArcGeometry* arc = e.arc();
    if (arc == nullptr) continue;
    const double exact = normalize_angle(std::atan2(e.start_y - arc->centre_y, e.start_x - arc->centre_x));
    EXPECT_NEAR(angle_difference(arc->start_angle, exact), 0.0, 1e-5 / std::fabs(arc->radius) + 1e-10)
        << e.name;
  }
}

TEST_F(SampleDesign, ProfileIsContinuousInElevationAndGrade) {
  ASSERT_EQ(mask_, 7);
  const auto grade_at = [](const ProfileElement& e, double s) {
    return e.kind == kProfileGrade ? e.grade_or_radius / 100.0 : (s - e.vertex_station) / e.grade_or_radius;
  };
  const auto elevation_at = [](const ProfileElement& e, double s) {
    if (e.kind == kProfileGrade) return e.start_elevation + e.grade_or_radius / 100.0 * (s - e.start_station);
    const double d = s - e.vertex_station;
    return e.vertex_elevation + d * d / (2.0 * e.grade_or_radius);
  };
  for (std::size_t i = 1; i <= model_.profile_count(); ++i) {
    const ProfileElement& e = model_.profile(i);
    SCOPED_TRACE(e.name);
    EXPECT_NEAR(elevation_at(e, e.start_station), e.start_elevation, 2e-5);
    EXPECT_NEAR(elevation_at(e, e.end_station), e.end_elevation, 2e-5);
    if (i == model_.profile_count()) continue;
    const ProfileElement& next = model_.profile(i + 1);
    EXPECT_EQ(next.start_station, e.end_station);
    EXPECT_EQ(next.start_elevation, e.end_elevation);
    EXPECT_NEAR(grade_at(next, next.start_station), grade_at(e, e.end_station), 1e-8);
  }
}

TEST(NativeSampleDescription, MistakesAreReportedWithTheirLine) {
  const std::string head = "[plan]\nstart x=0 y=0 bearing=100\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {head + "L1 line length=100\nC1 clothoid A=100 to=-200\nA1 arc radius=-250 length=50\n",
       "line 5: does not continue the curvature the clothoid before ends with"},
      {head + "A1 arc radius=200 length=50\nC1 clothoid A=100 to=-200\n",
       "line 4: a clothoid cannot reverse the curvature: go through 'line'"},
      {head + "L1 line length=100\nL1 line length=10\n", "line 4: name used twice: L1"},
      {head + "L1 spiral length=100\n", "line 3: unknown element kind spiral"},
      {head + "L1 line length=100\n[profile]\nstart station=0 elevation=100\n"
              "pvi station=50 elevation=110 radius=1000\nend station=plan elevation=100\n",
       "line 6: the grades make a crest here: the radius must be negative"},
      {head + "L1 line length=100\n[crossfall]\nat L2.start 2.5 -2.5\nat L1.end 2.5 -2.5\n",
       "line 5: no plan element named L2"},
      {head + "L1 line length=100\n[crossfall]\nat L1.end 2.5 -2.5\nat L1@0.5 2.5 -2.5\n",
       "line 6: stations must increase"},
  };
  for (const auto& c : cases) {
    const sample::BuildResult built = sample::build_design(c.text);
    EXPECT_FALSE(built.ok);
    EXPECT_EQ(built.error, c.error) << c.text;
  }
}

TEST(NativeSampleDescription, ClothoidCoordinatesAreTheFresnelIntegrals) {
  // A = 100, l = 100 (tau = 1/2): x = 100 (1 - 1/40 + 1/3456 - ...),
  // y = 100 (1/6 - 1/336 + 1/42240 - ...).
  double x = 0, y = 0;
  sample::exact_clothoid(100.0, 100.0, x, y);
  // The first terms left out are 1.3e-9 (x) and 2.8e-8 (y).
  EXPECT_NEAR(x, 100.0 * (1 - 1.0 / 40 + 1.0 / 3456 - 1.0 / 599040 + 1.0 / 175472640), 2e-9);
  EXPECT_NEAR(y, 100.0 * (1.0 / 6 - 1.0 / 336 + 1.0 / 42240 - 1.0 / 9676800), 4e-8);
  // Against a fine midpoint sum of cos and sin of l^2 / (2 A^2).
  const double a = 250.0, l = 284.0;
  double cx = 0, cy = 0;
  const int n = 200000;
  for (int k = 0; k < n; ++k) {
    const double t = (k + 0.5) * l / n;
    cx += std::cos(t * t / (2 * a * a)) * l / n;
    cy += std::sin(t * t / (2 * a * a)) * l / n;
  }
  sample::exact_clothoid(a, l, x, y);
  EXPECT_NEAR(x, cx, 1e-7);
  EXPECT_NEAR(y, cy, 1e-7);
}

}  // namespace
}  // namespace corvalinde
