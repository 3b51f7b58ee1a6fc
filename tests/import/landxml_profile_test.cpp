// The LandXML reader's vertical profile: grade lines and vertical curves from
// the PVI list, the curve forms real files use, and where a profile ends.
#include <gtest/gtest.h>

#include <cmath>

#include "landxml_test_support.h"
#include "road/profile_geometry.h"

namespace corvalinde {
namespace {

using namespace landxml_testing;

std::string with_profile(std::string_view pvis, std::string_view units = R"(<Metric linearUnit="meter"/>)") {
  return landxml(alignments(alignment("A", line(0, 0, 500, 0),
                                      profile(std::string("<ProfAlign name=\"P\">\n") + std::string(pvis) +
                                              "</ProfAlign>\n"))),
                 units);
}

// Elevation and grade (per cent) of the profile at s, evaluated element by
// element as the analyses do.
double elevation_at(const RoadModel& model, double s) {
  double z = 0.0;
  double g = 0.0;
  const std::size_t i = locate_profile_element(model, s);
  if (i > 0) evaluate_profile_element(model.profile(i), s, z, g);
  return z;
}

void expect_element(const ProfileElement& e, std::int8_t kind, const char* name, double from, double to,
                    double grade_or_radius) {
  EXPECT_EQ(e.kind, kind) << name;
  EXPECT_EQ(e.name, name);
  EXPECT_NEAR(e.start_station, from, 1e-9) << name;
  EXPECT_NEAR(e.end_station, to, 1e-9) << name;
  EXPECT_NEAR(e.grade_or_radius, grade_or_radius, 1e-9) << name;
}

// Every element starts where the one before ends, in station and elevation.
void expect_continuous(const RoadModel& model) {
  for (std::size_t i = 2; i <= model.profile_count(); ++i) {
    const ProfileElement& before = model.profile(i - 1);
    const ProfileElement& after = model.profile(i);
    EXPECT_NEAR(after.start_station, before.end_station, 1e-9) << after.name;
    double z1 = 0.0;
    double z2 = 0.0;
    double g1 = 0.0;
    double g2 = 0.0;
    evaluate_profile_element(before, before.end_station, z1, g1);
    evaluate_profile_element(after, after.start_station, z2, g2);
    EXPECT_NEAR(z1, z2, 1e-6) << after.name;
    // Vertical curves are tangent to what they join.
    if (before.kind == kProfileParabola || after.kind == kProfileParabola) {
      EXPECT_NEAR(g1, g2, 1e-9) << after.name;
    }
  }
}

TEST(LandXmlProfile, ThreePvisWithACurveGiveGradeParabolaGrade) {
  RecordingInterface ui;
  const ReadResult r = read_text(
      with_profile("<PVI>0 100</PVI><ParaCurve length=\"100\">200 104</ParaCurve><PVI>400 100</PVI>"));
  ASSERT_EQ(r.mask, kMaskPlan | kMaskProfile) << r.all_lines();
  ASSERT_EQ(r.model.profile_count(), 3U);
  expect_element(r.model.profile(1), kProfileGrade, "DRO001", 0, 150, 2.0);
  expect_element(r.model.profile(2), kProfileParabola, "PAR001", 150, 250, -2500.0);
  expect_element(r.model.profile(3), kProfileGrade, "DRO002", 250, 400, -2.0);
  EXPECT_NEAR(r.model.profile(2).vertex_station, 200.0, 1e-9);
  EXPECT_NEAR(r.model.profile(2).vertex_elevation, 103.5, 1e-9);
  EXPECT_NEAR(r.model.profile(3).end_elevation, 100.0, 1e-9);
  expect_continuous(r.model);
  EXPECT_TRUE(r.has_line("#215 P"));
  EXPECT_TRUE(r.has_line("#211 3"));
}

TEST(LandXmlProfile, InteriorPviWithoutCurveIsAPlainGradeBreak) {
  RecordingInterface ui;
  const ReadResult r = read_text(with_profile(
      "<PVI>0 100</PVI><PVI>100 102</PVI><PVI>250 99</PVI><ParaCurve length=\"0\">300 100</ParaCurve>"
      "<PVI>400 104</PVI>"));
  ASSERT_EQ(r.model.profile_count(), 4U) << r.all_lines();
  expect_element(r.model.profile(1), kProfileGrade, "DRO001", 0, 100, 2.0);
  expect_element(r.model.profile(2), kProfileGrade, "DRO002", 100, 250, -2.0);
  expect_element(r.model.profile(3), kProfileGrade, "DRO003", 250, 300, 2.0);
  expect_element(r.model.profile(4), kProfileGrade, "DRO004", 300, 400, 4.0);
  EXPECT_NEAR(elevation_at(r.model, 250), 99.0, 1e-9);
  expect_continuous(r.model);
}

TEST(LandXmlProfile, TwoPvisAtOneStationEndTheProfileButARepeatedPviIsOnePoint) {
  RecordingInterface ui;
  const ReadResult jump = read_text(with_profile(
      "<PVI>0 100</PVI><PVI>100 102</PVI><PVI>200 101</PVI><PVI>200 105</PVI><PVI>300 106</PVI>"));
  ASSERT_EQ(jump.model.profile_count(), 1U) << jump.all_lines();
  EXPECT_DOUBLE_EQ(jump.model.profile(1).end_station, 100.0);
  EXPECT_TRUE(jump.has_line("#218 PVI 100.0000")) << jump.all_lines();
  EXPECT_TRUE(jump.has_line("#211 1"));

  const ReadResult repeated = read_text(with_profile(
      "<PVI>0 100</PVI><PVI>100 102</PVI><ParaCurve length=\"50\">100 102</ParaCurve><PVI>200 100</PVI>"));
  ASSERT_EQ(repeated.model.profile_count(), 3U) << repeated.all_lines();
  EXPECT_EQ(repeated.model.profile(2).kind, kProfileParabola);
  EXPECT_NEAR(repeated.model.profile(2).start_station, 75.0, 1e-9);
  EXPECT_FALSE(repeated.has_line_starting("#218"));
}

TEST(LandXmlProfile, CircularCurvesAreReadAsParabolasAndCounted) {
  RecordingInterface ui;
  // The writer's length, whichever sign the radius has...
  const ReadResult by_length = read_text(with_profile(
      "<PVI>0 100</PVI><CircCurve length=\"100\" radius=\"2500\">200 104</CircCurve><PVI>400 100</PVI>"));
  ASSERT_EQ(by_length.model.profile_count(), 3U) << by_length.all_lines();
  expect_element(by_length.model.profile(2), kProfileParabola, "PAR001", 150, 250, -2500.0);
  EXPECT_TRUE(by_length.has_line("#216 CircCurve 1"));
  // ...or, without one, the radius.
  const ReadResult by_radius =
      read_text(with_profile("<PVI>0 100</PVI><CircCurve radius=\"-2500\">200 104</CircCurve><CircCurve "
                             "radius=\"5000\">400 100</CircCurve>"
                             "<PVI>600 104</PVI>"));
  ASSERT_EQ(by_radius.model.profile_count(), 5U) << by_radius.all_lines();
  expect_element(by_radius.model.profile(2), kProfileParabola, "PAR001", 150, 250, -2500.0);
  expect_element(by_radius.model.profile(4), kProfileParabola, "PAR002", 300, 500, 5000.0);
  EXPECT_TRUE(by_radius.has_line("#216 CircCurve 2"));
  expect_continuous(by_radius.model);
}

TEST(LandXmlProfile, UnsymmetricalCurveIsTwoParabolasWithACommonTangentAboveThePvi) {
  RecordingInterface ui;
  const ReadResult r =
      read_text(with_profile("<PVI>0 100</PVI><UnsymParaCurve lengthIn=\"50\" lengthOut=\"150\">200 "
                             "104</UnsymParaCurve><PVI>400 100</PVI>"));
  ASSERT_EQ(r.model.profile_count(), 4U) << r.all_lines();
  // The common grade divides the change 2 % -> -2 % in the ratio of the branches: -1 %.
  expect_element(r.model.profile(1), kProfileGrade, "DRO001", 0, 150, 2.0);
  expect_element(r.model.profile(2), kProfileParabola, "PAR001", 150, 200, -1666.6667);  // 4 decimals
  expect_element(r.model.profile(3), kProfileParabola, "PAR002", 200, 350, -15000.0);
  expect_element(r.model.profile(4), kProfileGrade, "DRO002", 350, 400, -2.0);
  EXPECT_NEAR(r.model.profile(2).end_elevation, 103.25, 1e-9);
  expect_continuous(r.model);
  EXPECT_TRUE(r.has_line("#216 UnsymParaCurve 1"));
}

TEST(LandXmlProfile, CurvesThatTouchUpToRoundingJoinButOverlappingCurvesEndTheProfile) {
  RecordingInterface ui;
  // The second curve starts 2 cm before the first ends.
  const ReadResult touching =
      read_text(with_profile("<PVI>0 100</PVI><ParaCurve length=\"100\">100 102</ParaCurve><ParaCurve "
                             "length=\"100.04\">200 100</ParaCurve>"
                             "<PVI>300 102</PVI>"));
  ASSERT_EQ(touching.model.profile_count(), 4U) << touching.all_lines();
  EXPECT_EQ(touching.model.profile(2).kind, kProfileParabola);
  EXPECT_EQ(touching.model.profile(3).kind, kProfileParabola);
  EXPECT_DOUBLE_EQ(touching.model.profile(3).start_station, touching.model.profile(2).end_station);
  EXPECT_NEAR(touching.model.profile(4).start_station, 250.02, 1e-9);

  const ReadResult overlapping =
      read_text(with_profile("<PVI>0 100</PVI><ParaCurve length=\"100\">100 102</ParaCurve><ParaCurve "
                             "length=\"100\">150 101</ParaCurve>"
                             "<PVI>300 104</PVI>"));
  ASSERT_EQ(overlapping.model.profile_count(), 2U) << overlapping.all_lines();
  EXPECT_NEAR(overlapping.model.profile(2).end_station, 150.0, 1e-9);
  EXPECT_TRUE(overlapping.has_line("#218 ParaCurve 150.0000")) << overlapping.all_lines();
  EXPECT_EQ(overlapping.mask, kMaskPlan | kMaskProfile);
}

TEST(LandXmlProfile, CurveBetweenGradesThatDoNotBreakIsNoCurve) {
  RecordingInterface ui;
  const ReadResult r = read_text(
      with_profile("<PVI>0 100</PVI><ParaCurve length=\"50\">100 102</ParaCurve><PVI>200 104</PVI>"));
  ASSERT_EQ(r.model.profile_count(), 2U) << r.all_lines();
  EXPECT_EQ(r.model.profile(1).kind, kProfileGrade);
  EXPECT_EQ(r.model.profile(2).kind, kProfileGrade);
}

TEST(LandXmlProfile, DescriptiveChildrenArePassedOverAndUnknownOnesEndTheProfile) {
  RecordingInterface ui;
  const ReadResult r = read_text(
      with_profile("<PVI>0 100</PVI><Feature name=\"x\"/><!-- a note --><PVI>100 102</PVI><PVI>200 100</PVI>"
                   "<Spline>1 2</Spline><PVI>300 104</PVI>"));
  ASSERT_EQ(r.model.profile_count(), 2U) << r.all_lines();
  EXPECT_DOUBLE_EQ(r.model.profile(2).end_station, 200.0);
  EXPECT_TRUE(r.has_line("#217 Spline 200.0000")) << r.all_lines();
}

TEST(LandXmlProfile, ElevationsUseTheElevationUnitWhenTheFileGivesOne) {
  RecordingInterface ui;
  const std::string pvis = "<PVI>0 50</PVI><PVI>100 60</PVI>";
  const ReadResult feet = read_text(with_profile(pvis, R"(<Imperial linearUnit="foot"/>)"));
  ASSERT_EQ(feet.model.profile_count(), 1U);
  EXPECT_DOUBLE_EQ(feet.model.profile(1).end_station, 30.48);
  EXPECT_DOUBLE_EQ(feet.model.profile(1).end_elevation, 60 * 0.3048);
  const ReadResult metres =
      read_text(with_profile(pvis, R"(<Imperial linearUnit="foot" elevationUnit="meter"/>)"));
  EXPECT_DOUBLE_EQ(metres.model.profile(1).end_station, 30.48);
  EXPECT_DOUBLE_EQ(metres.model.profile(1).end_elevation, 60.0);
  EXPECT_NEAR(metres.model.profile(1).grade_or_radius, 10.0 / 30.48 * 100, 1e-9);
}

TEST(LandXmlProfile, SeveralProfilesAreOfferedAndEmptyOnesAreNoCandidates) {
  RecordingInterface ui(2);
  const ReadResult r = read_text(landxml(alignments(
      alignment("A", line(0, 0, 500, 0),
                profile("<ProfAlign name=\"existing\"><PVI>0 1</PVI><PVI>10 2</PVI></ProfAlign>"
                        "<ProfAlign name=\"empty\"><PVI>0 1</PVI></ProfAlign>"
                        "<ProfAlign name=\"\"><PVI>0 5</PVI><PVI>10 6</PVI><PVI>30 5</PVI></ProfAlign>")))));
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].title, "#214");
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"existing", "Axe n\u00B02"}));
  EXPECT_TRUE(r.has_line("#215 Axe n\u00B02"));
  EXPECT_EQ(r.model.profile_count(), 2U);
}

TEST(LandXmlProfile, CancelledProfileChoiceKeepsThePlan) {
  RecordingInterface ui(0);
  const ReadResult r = read_text(landxml(
      alignments(alignment("A", line(0, 0, 500, 0),
                           profile("<ProfAlign name=\"a\"><PVI>0 1</PVI><PVI>10 2</PVI></ProfAlign>"
                                   "<ProfAlign name=\"b\"><PVI>0 1</PVI><PVI>10 3</PVI></ProfAlign>")))));
  EXPECT_EQ(r.mask, kMaskPlan);
  EXPECT_FALSE(r.has_line_starting("#215"));
}

}  // namespace
}  // namespace corvalinde
