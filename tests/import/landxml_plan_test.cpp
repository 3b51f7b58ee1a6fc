// The LandXML reader's horizontal alignment: units, the choice of the
// alignment, the plan step for lines, arcs and clothoids, and the ways real
// files write their points and radii.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "import/landxml/landxml_plan.h"
#include "landxml_test_support.h"
#include "output/utf8.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

using namespace landxml_testing;

constexpr double kUsSurveyFoot = 0.3048006096012192;

std::string one_alignment(std::string_view coord_geom, std::string_view attributes = {}) {
  return landxml(alignments(alignment("A", coord_geom, {}, attributes)));
}

// The point of a single-element model at station s.
PlanePoint point_on(const PlanElement& element, double s) {
  RoadModel model;
  model.set_plan({element});
  AxisPoint p;
  (void)evaluate_axis_point(model, s, 1, nullptr, p);
  return {p.x, p.y};
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LandXmlPlan, UsSurveyFeetScaleCoordinatesAndStations) {
  RecordingInterface ui;
  const ReadResult r =
      read_text(landxml(alignments(alignment("A", line(1000, 2000, 1000, 3000), {}, R"(staStart="500")")),
                        R"(<Imperial linearUnit="USSurveyFoot"/>)"));
  ASSERT_EQ(r.mask, kMaskPlan) << r.all_lines();
  const PlanElement& e = r.model.plan(1);
  EXPECT_DOUBLE_EQ(e.start_station, 500 * kUsSurveyFoot);
  EXPECT_NEAR(e.end_station, 1500 * kUsSurveyFoot, 1e-9);
  EXPECT_DOUBLE_EQ(e.start_x, 1000 * kUsSurveyFoot);
  EXPECT_DOUBLE_EQ(e.end_y, 3000 * kUsSurveyFoot);
  // International feet are not survey feet.
  const ReadResult feet =
      read_text(landxml(alignments(alignment("A", line(0, 0, 1000, 0))), R"(<Imperial linearUnit="foot"/>)"));
  EXPECT_NEAR(feet.model.plan(1).end_station, 304.8, 1e-9);
}

TEST(LandXmlPlan, OneAlignmentIsTakenWithoutAskingTwoAreOfferedByName) {
  {
    RecordingInterface ui;
    const ReadResult r = read_text(one_alignment(line(0, 0, 100, 0)));
    EXPECT_TRUE(ui.choices.empty());
    EXPECT_TRUE(r.has_line("#145 A")) << r.all_lines();
    EXPECT_TRUE(r.has_line("#141 1"));
  }
  RecordingInterface ui(2);
  const ReadResult r = read_text(
      landxml(alignments(alignment("North", line(0, 0, 100, 0)) + alignment("South", line(0, 0, 0, 250)))));
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].title, "#144");
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"North", "South"}));
  EXPECT_TRUE(r.has_line("#145 South"));
  EXPECT_DOUBLE_EQ(r.model.plan(1).end_station, 250.0);
}

TEST(LandXmlPlan, AlignmentChoiceCarriesLengthsAndStartStationsInMetresOnlyWhereTheFileGivesThem) {
  RecordingInterface ui(0);
  (void)read_text(
      landxml(alignments(alignment("A", line(0, 0, 100, 0), {}, R"(length="100" staStart="-8.25")") +
                         alignment("B", line(0, 0, 10, 0)) +
                         alignment("C", line(0, 0, 10, 0), {}, R"(length="-5" staStart="x")")),
              R"(<Imperial linearUnit="foot"/>)"));
  ASSERT_EQ(ui.alignment_options.size(), 3U);
  ASSERT_TRUE(ui.alignment_options[0].length && ui.alignment_options[0].start_station);
  EXPECT_DOUBLE_EQ(*ui.alignment_options[0].length, 30.48);
  EXPECT_DOUBLE_EQ(*ui.alignment_options[0].start_station, -8.25 * 0.3048);
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_FALSE(ui.alignment_options[i].length) << i;
    EXPECT_FALSE(ui.alignment_options[i].start_station) << i;
  }
  EXPECT_EQ(ui.choices.at(0).items, (std::vector<std::string>{"A", "B", "C"}));
}

TEST(LandXmlPlan, AlignmentsOfEverySiblingAlignmentsElementAreCandidates) {
  RecordingInterface ui(3);
  const ReadResult r =
      read_text(landxml(alignments(alignment("A1", line(0, 0, 10, 0))) + "<GradeModel/>\n" +
                        alignments(alignment("B1", line(0, 0, 20, 0)) + alignment("B2", line(0, 0, 30, 0)))));
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"A1", "B1", "B2"}));
  EXPECT_DOUBLE_EQ(r.model.plan(1).end_station, 30.0);
}

TEST(LandXmlPlan, UnnamedAlignmentsAreNumberedAndACancelledChoiceReadsNothing) {
  RecordingInterface ui(0);
  const ReadResult r =
      read_text(landxml(alignments(alignment("", line(0, 0, 10, 0)) + alignment(" ", line(0, 0, 20, 0)))));
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"Axe n\u00B01", "Axe n\u00B02"}));
  EXPECT_EQ(r.mask, 0);
  EXPECT_FALSE(r.model.has_plan());
  EXPECT_TRUE(r.has_line("#123"));
  EXPECT_TRUE(r.has_line("#9 test.xml"));
}

TEST(LandXmlPlan, ArcWhoseEndIsTwoMillimetresOffItsCircleEndsThePlan) {
  RecordingInterface ui;
  const double c = std::cos(0.5) * 100;
  const double s = std::sin(0.5) * 100;
  // Within the millimetre the arc is kept...
  const ReadResult kept = read_text(
      one_alignment(line(100, -50, 100, 0) + curve(100, 0, 0, 0, c * 1.000009, s * 1.000009, "ccw")));
  ASSERT_EQ(kept.model.plan_count(), 2U) << kept.all_lines();
  EXPECT_NEAR(kept.model.plan(2).end_station - kept.model.plan(2).start_station, 50.0, 1e-3);
  // ...two millimetres off, the plan ends before it, and says so.
  const ReadResult cut = read_text(one_alignment(
      line(100, -50, 100, 0) + curve(100, 0, 0, 0, c * 1.00002, s * 1.00002, "ccw") + line(0, 0, 1, 1)));
  ASSERT_EQ(cut.mask, kMaskPlan);
  EXPECT_EQ(cut.model.plan_count(), 1U);
  EXPECT_TRUE(cut.has_line("#149 Curve 50.0000")) << cut.all_lines();
  EXPECT_TRUE(cut.has_line("#141 1"));
}

TEST(LandXmlPlan, ArcKeepsItsExactStartAngleAndItsTurn) {
  RecordingInterface ui;
  // A clockwise quarter circle of radius 2000 m, from the top of the circle.
  const ReadResult r = read_text(one_alignment(curve(0, 2000, 0, 0, 2000, 0, "cw")));
  ASSERT_EQ(r.model.plan_count(), 1U);
  const PlanElement& arc = r.model.plan(1);
  ASSERT_EQ(arc.kind(), kPlanArc);
  EXPECT_EQ(arc.name, "CER001");
  EXPECT_DOUBLE_EQ(arc.arc()->radius, -2000.0);
  EXPECT_NEAR(arc.end_station, kPi * 1000, 1e-6);
  EXPECT_DOUBLE_EQ(arc.arc()->start_angle, kPi / 2);
  EXPECT_NEAR(arc.arc()->end_angle, 0.0, 1e-12);
  EXPECT_LT(point_distance(point_on(arc, arc.start_station), {0.0, 2000.0}), 1e-9);
  // At R 30 000 the evaluated end is the circle's end within a micrometre
  // (a 4-decimal angle would miss it by up to 1.5 m).
  const double r30 = 30000.0;
  const double phi0 = 0.123456789;
  const double phi1 = phi0 + 0.05;
  const ReadResult big = read_text(one_alignment(curve(r30 * std::cos(phi0), r30 * std::sin(phi0), 0, 0,
                                                       r30 * std::cos(phi1), r30 * std::sin(phi1), "ccw")));
  ASSERT_EQ(big.model.plan_count(), 1U);
  const PlanElement& far = big.model.plan(1);
  EXPECT_LT(point_distance(point_on(far, far.end_station), {r30 * std::cos(phi1), r30 * std::sin(phi1)}),
            1e-6);
  // Single quotes delimit values like double quotes.
  const ReadResult left = read_text(one_alignment("<Curve rot='ccw'>" + point("Start", 100, 0) +
                                                  point("Center", 0, 0) + point("End", 0, 100) + "</Curve>"));
  ASSERT_EQ(left.model.plan_count(), 1U);
  EXPECT_DOUBLE_EQ(left.model.plan(1).arc()->radius, 100.0);
}

TEST(LandXmlPlan, CurveWithoutRotTurnsAsItsLengthSaysElseTheShortWay) {
  RecordingInterface ui;
  // A quarter circle of radius 100 m from (100, 0) to (0, 100): 157 m to the
  // left, 471 m to the right.
  auto quarter = [](std::string_view attributes) {
    return one_alignment("<Curve" + std::string(attributes) + ">" + point("Start", 100, 0) +
                         point("Center", 0, 0) + point("End", 0, 100) + "</Curve>");
  };
  const ReadResult shortest = read_text(quarter(""));
  ASSERT_EQ(shortest.model.plan_count(), 1U) << shortest.all_lines();
  EXPECT_DOUBLE_EQ(shortest.model.plan(1).arc()->radius, 100.0);
  EXPECT_NEAR(shortest.model.plan(1).end_station, 50 * kPi, 1e-9);

  const ReadResult long_way = read_text(quarter(R"( rot="" length="471.2"  )"));
  ASSERT_EQ(long_way.model.plan_count(), 1U);
  EXPECT_DOUBLE_EQ(long_way.model.plan(1).arc()->radius, -100.0);
  EXPECT_NEAR(long_way.model.plan(1).end_station, 150 * kPi, 1e-9);

  // A written rot holds, whatever the length says.
  const ReadResult written = read_text(quarter(R"( rot="CW" length="157.08")"));
  EXPECT_DOUBLE_EQ(written.model.plan(1).arc()->radius, -100.0);
}

TEST(LandXmlPlan, ElementsAreNamedByKindWithTheirOwnSerials) {
  RecordingInterface ui;
  std::string geometry;
  double x = 0.0;
  for (int k = 0; k < 3; ++k) {
    geometry += line(x, 0, x + 100, 0);
    geometry += curve(x + 100, 0, x + 150, 0, x + 200, 0, k % 2 == 0 ? "ccw" : "cw");
    x += 200;
  }
  const ReadResult r = read_text(one_alignment(geometry));
  ASSERT_EQ(r.model.plan_count(), 6U) << r.all_lines();
  EXPECT_EQ(r.model.plan(1).name, "DRO001");
  EXPECT_EQ(r.model.plan(2).name, "CER001");
  EXPECT_EQ(r.model.plan(3).name, "DRO002");
  EXPECT_EQ(r.model.plan(6).name, "CER003");
}

TEST(LandXmlPlan, ElementShorterThanATenthOfAMillimetreIsSkippedWithoutMovingTheStations) {
  RecordingInterface ui;
  const ReadResult r = read_text(
      one_alignment(line(0, 0, 100, 0) + line(100, 0, 100.00005, 0) + line(100.00005, 0, 150.00005, 0),
                    R"(staStart="10")"));
  ASSERT_EQ(r.model.plan_count(), 2U) << r.all_lines();
  EXPECT_EQ(r.model.plan(2).name, "DRO002");
  EXPECT_DOUBLE_EQ(r.model.plan(2).start_station, 110.0);
  EXPECT_NEAR(r.model.plan(2).end_station, 160.0, 1e-9);
  // The same holds for a tiny first element, which still makes the alignment a candidate.
  const ReadResult first = read_text(one_alignment(line(0, 0, 0.00002, 0) + line(0, 0, 5, 0)));
  ASSERT_EQ(first.model.plan_count(), 1U);
  EXPECT_DOUBLE_EQ(first.model.plan(1).start_station, 0.0);
}

TEST(LandXmlPlan, TransitionsOfDefinedTypesAreReadOthersEndThePlanAndAreNamed) {
  RecordingInterface ui;
  auto spiral = [](const char* type) {
    return one_alignment(line(0, 0, 100, 0) + "<Spiral length=\"50\" radiusStart=\"INF\" radiusEnd=\"200\" " +
                         "rot=\"cw\" spiType=\"" + type + "\">" + point("Start", 100, 0) +
                         point("End", 149.98, -1.82) + "</Spiral>\n" + line(149.98, -1.82, 200, -10));
  };
  const ReadResult read = read_text(spiral("biquadraticParabola"));
  ASSERT_EQ(read.model.plan_count(), 3U) << read.all_lines();
  const PlanElement& transition = read.model.plan(2);
  ASSERT_EQ(transition.kind(), kPlanTransition);
  EXPECT_EQ(transition.name, "RAC001");
  EXPECT_EQ(transition.transition()->law(), TransitionLaw::kBiquadraticParabola);
  EXPECT_DOUBLE_EQ(transition.end_station - transition.start_station, 50.0);
  const ReadResult r = read_text(spiral("radioid"));
  EXPECT_EQ(r.model.plan_count(), 1U);
  EXPECT_TRUE(r.has_line("#146 Spiral radioid 100.0000")) << r.all_lines();
  // The type is what ends it, whatever its points.
  const ReadResult pointless =
      read_text(one_alignment(line(0, 0, 10, 0) + R"(<Spiral spiType="cubic"><Start/><End/></Spiral>)"));
  EXPECT_TRUE(pointless.has_line("#146 Spiral cubic 10.0000")) << pointless.all_lines();
  // An element type the reader does not know is named the same way.
  const ReadResult chain = read_text(one_alignment(line(0, 0, 10, 0) + "<Chain>1 2 3</Chain>\n"));
  EXPECT_EQ(chain.model.plan_count(), 1U);
  EXPECT_TRUE(chain.has_line("#146 Chain 10.0000")) << chain.all_lines();
}

class LandXmlPlanFixture : public ::testing::Test {
 protected:
  // The hand-made road: line, clothoid, arc, clothoid, line, starting at 1000.
  static std::string road_path() { return std::string(CORVALINDE_TEST_DATA_DIR) + "/landxml/test-road.xml"; }
};

TEST_F(LandXmlPlanFixture, ClothoidsJoinTheirNeighboursWhereTheFileSays) {
  RecordingInterface ui;
  const ReadResult r = read_text(read_file(road_path()));
  ASSERT_EQ(r.mask, kMaskPlan | kMaskProfile | kMaskCrossfall) << r.all_lines();
  ASSERT_EQ(r.model.plan_count(), 5U);
  const PlanElement& in = r.model.plan(2);
  const PlanElement& out = r.model.plan(4);
  EXPECT_EQ(in.name, "CLO001");
  EXPECT_EQ(out.name, "CLO002");
  // A^2 = L R = 50 x 200.
  EXPECT_NEAR(in.clothoid()->parameter, 100.0, 1e-9);
  EXPECT_NEAR(out.clothoid()->parameter, 100.0, 1e-9);
  EXPECT_EQ(in.clothoid()->orientation, 1);
  EXPECT_EQ(out.clothoid()->orientation, -1);
  EXPECT_EQ(in.clothoid()->turn, 1);
  EXPECT_EQ(out.clothoid()->turn, 1);
  EXPECT_DOUBLE_EQ(in.clothoid()->tau_near, 0.0);
  EXPECT_NEAR(in.clothoid()->tau_far, 0.125, 1e-12);
  EXPECT_DOUBLE_EQ(out.clothoid()->tau_near, 0.0);
  EXPECT_NEAR(out.clothoid()->tau_far, 0.125, 1e-12);
  // The entry clothoid's origin is the end of the first line.
  EXPECT_NEAR(in.clothoid()->origin_x, 600100.0, 1e-6);
  EXPECT_NEAR(in.clothoid()->origin_y, 200000.0, 1e-6);
  // Every element, evaluated at its own ends, meets the file's points (an
  // arc within its radius times the 5e-5 rad of its stored start angle).
  for (const PlanElement& e : r.model.plan_elements()) {
    const double tolerance = e.kind() == kPlanArc ? 200 * 5e-5 : 2e-4;
    const PlanePoint start = point_on(e, e.start_station);
    const PlanePoint end = point_on(e, e.end_station);
    EXPECT_NEAR(point_distance(start, {e.start_x, e.start_y}), 0.0, tolerance) << e.name;
    EXPECT_NEAR(point_distance(end, {e.end_x, e.end_y}), 0.0, tolerance) << e.name;
  }
  EXPECT_NEAR(r.model.plan(5).end_station, 1380.0, 1e-3);
}

TEST(LandXmlPlan, InfiniteSpiralRadiusMayBeInfHugeOrZero) {
  RecordingInterface ui;
  const auto spiral_with = [](const char* start_radius) {
    return std::string(R"(<Spiral length="50" radiusEnd="200" rot="ccw" spiType="clothoid" radiusStart=")") +
           start_radius + "\">" + point("Start", 0, 0) + point("End", 49.921931, 2.081009) + "</Spiral>";
  };
  const ReadResult inf = read_text(one_alignment(spiral_with("INF")));
  ASSERT_EQ(inf.model.plan_count(), 1U) << inf.all_lines();
  for (const char* radius : {"inf", "5.8979433558474924E+300", "0"}) {
    const ReadResult other = read_text(one_alignment(spiral_with(radius)));
    ASSERT_EQ(other.model.plan_count(), 1U) << radius;
    const PlanElement& a = inf.model.plan(1);
    const PlanElement& b = other.model.plan(1);
    EXPECT_DOUBLE_EQ(a.clothoid()->parameter, b.clothoid()->parameter) << radius;
    EXPECT_DOUBLE_EQ(a.clothoid()->tau_near, b.clothoid()->tau_near) << radius;
    EXPECT_DOUBLE_EQ(a.clothoid()->origin_heading, b.clothoid()->origin_heading) << radius;
  }
  // A radius that does not read ends the plan.
  const ReadResult bad = read_text(one_alignment(line(-5, 0, 0, 0) + spiral_with("tangent")));
  EXPECT_EQ(bad.model.plan_count(), 1U);
  EXPECT_TRUE(bad.has_line("#149 Spiral 5.0000")) << bad.all_lines();
}

TEST(LandXmlPlan, SpiralWithoutChangeOfCurvatureIsReadAsAnArcOrALine) {
  RecordingInterface ui;
  const double c = std::cos(0.25) * 200;
  const double s = std::sin(0.25) * 200;
  const ReadResult arc = read_text(
      one_alignment(R"(<Spiral length="50" radiusStart="200" radiusEnd="200" rot="ccw" spiType="clothoid">)" +
                    point("Start", 200, 0) + point("End", c, s) + "</Spiral>"));
  ASSERT_EQ(arc.model.plan_count(), 1U) << arc.all_lines();
  ASSERT_EQ(arc.model.plan(1).kind(), kPlanArc);
  EXPECT_NEAR(arc.model.plan(1).arc()->centre_x, 0.0, 1e-5);
  EXPECT_NEAR(arc.model.plan(1).arc()->centre_y, 0.0, 1e-5);
  EXPECT_DOUBLE_EQ(arc.model.plan(1).arc()->radius, 200.0);
  EXPECT_NEAR(arc.model.plan(1).end_station, 50.0, 1e-6);
  EXPECT_TRUE(arc.has_line("#147 0.0000")) << arc.all_lines();
  const ReadResult straight = read_text(
      one_alignment(R"(<Spiral length="30" radiusStart="INF" radiusEnd="INF" rot="cw" spiType="clothoid">)" +
                    point("Start", 0, 0) + point("End", 30, 0) + "</Spiral>"));
  ASSERT_EQ(straight.model.plan_count(), 1U);
  EXPECT_EQ(straight.model.plan(1).kind(), kPlanLine);
  EXPECT_TRUE(straight.has_line("#148 0.0000"));
}

TEST(LandXmlPlan, PointsAsRealFilesWriteThem) {
  RecordingInterface ui;
  // Three numbers, a line break before them, a comma; Center before Start.
  const ReadResult r = read_text(one_alignment(
      "<Line><Start>\n   0 100 57.25</Start><End>0,200</End></Line>\n"
      "<Curve rot=\"ccw\"><Center>100 200</Center><End>100.0 300.</End><Start>0 200</Start></Curve>"));
  ASSERT_EQ(r.model.plan_count(), 2U) << r.all_lines();
  EXPECT_DOUBLE_EQ(r.model.plan(1).start_x, 100.0);
  EXPECT_DOUBLE_EQ(r.model.plan(1).start_y, 0.0);
  EXPECT_DOUBLE_EQ(r.model.plan(1).end_x, 200.0);
  EXPECT_DOUBLE_EQ(r.model.plan(2).arc()->centre_x, 200.0);
  EXPECT_DOUBLE_EQ(r.model.plan(2).arc()->centre_y, 100.0);
  EXPECT_NEAR(r.model.plan(2).end_station - r.model.plan(2).start_station, kPi * 50, 1e-9);
  // An empty Start is a failure of the step: here of the only element.
  const ReadResult empty = read_text(one_alignment("<Line><Start/><End>0 10</End></Line>"));
  EXPECT_EQ(empty.mask, 0);
  EXPECT_TRUE(empty.has_line("#149 Line 0.0000")) << empty.all_lines();
  EXPECT_TRUE(empty.has_line("#9 test.xml"));
}

TEST(LandXmlPlan, FilesWithoutAlignmentsOrWithoutCoordGeomReadNothingAndSayWhatTheyHold) {
  RecordingInterface ui;
  const ReadResult surfaces = read_text(landxml("<Surfaces><Surface/></Surfaces><Parcels/><Parcels/>"));
  EXPECT_EQ(surfaces.mask, 0);
  EXPECT_EQ(surfaces.lines,
            (std::vector<std::string>{"#55 test.xml", "#142 Surfaces 1", "#142 Parcels 2", "#91"}));
  const ReadResult pis = read_text(landxml(
      alignments("<Alignment name=\"A\"><AlignPIs><AlignPI><PI>1 2</PI></AlignPI></AlignPIs></Alignment>")));
  EXPECT_EQ(pis.mask, 0);
  EXPECT_EQ(pis.lines, (std::vector<std::string>{"#55 test.xml", "#142 AlignPIs 1", "#123", "#9 test.xml"}));
  // Without units it is not a design file at all, and says so.
  const ReadResult no_units = read_text("<?xml version=\"1.0\"?><LandXML>" +
                                        alignments(alignment("A", line(0, 0, 1, 0))) + "</LandXML>");
  EXPECT_EQ(no_units.lines, (std::vector<std::string>{"#55 test.xml", "#90"}));
}

TEST(LandXmlDocument, ValidVariantsAreReadAndOtherFilesSayWhatAndWhere) {
  RecordingInterface ui;
  const std::string body = "<Units><Metric/></Units>" + alignments(alignment("A", line(0, 0, 1, 0)));
  const std::vector<std::string> read = {"#55 test.xml", "#145 A", "#141 1", "#123"};
  for (const std::string& text : std::vector<std::string>{
           "<LandXML>" + body + "</LandXML>",  // no declaration
           "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"a.xsl\"?><LandXML>" + body +
               "</LandXML>",
           "<?xml version=\"1.0\"?><!DOCTYPE LandXML [<!ENTITY x \"&#60;\">]><LandXML>" + body + "</LandXML>",
           "<LandXML><Project desc=\"a > b\">x > y</Project>" + body + "</LandXML>",
           std::string(
               "<lx:LandXML "
               "xmlns:lx=\"http://www.landxml.org/schema/LandXML-1.2\"><lx:Units><lx:Metric/></lx:Units>"
               "<lx:Alignments><lx:Alignment name=\"A\"><lx:CoordGeom><lx:Line><lx:Start>0 0</lx:Start>"
               "<lx:End>0 1</lx:End></lx:Line></lx:CoordGeom></lx:Alignment></lx:Alignments></lx:LandXML>"),
       }) {
    const ReadResult r = read_text(text);
    EXPECT_EQ(r.lines, read) << text;
  }
  const std::pair<std::string, std::string> refused[] = {
      {"<Other/>", "#89 Other"},
      {"<!-- only -->", "#88"},
      {"<LandXML>\n  <Units a='1>", "#84 2 12"},
      {"<LandXML>\n<!-- open", "#86 2 1"},
      {std::string("<LandXML>\n ab\0cd</LandXML>", 25), "#83 2 4"},
  };
  for (const auto& [text, reason] : refused) {
    const ReadResult r = read_text(text);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"#55 test.xml", reason})) << text;
  }
  // NUL bytes that only pad the end are no text.
  EXPECT_EQ(read_text("<LandXML>" + body + "</LandXML>" + std::string(100, '\0')).lines, read);
}

TEST(LandXmlPlan, WhatTheChosenAlignmentHoldsBesidesItsGeometryIsNamed) {
  RecordingInterface ui;
  const ReadResult r = read_text(landxml(
      "<Project name=\"p\"/><CgPoints/>" +
      alignments(alignment(
          "A", line(0, 0, 10, 0),
          "<StaEquation/><StaEquation/><Cant/><Feature/>"
          "<Profile><ProfSurf/><ProfAlign name=\"x\"><PVI>0 1</PVI><PVI>10 2</PVI></ProfAlign></Profile>"))));
  EXPECT_TRUE(r.has_line("#142 CgPoints 1")) << r.all_lines();
  EXPECT_TRUE(r.has_line("#64 2")) << "station equations are read, and these two are empty";
  EXPECT_TRUE(r.has_line("#142 Cant 1"));
  EXPECT_TRUE(r.has_line("#142 ProfSurf 1"));
  EXPECT_FALSE(r.has_line_starting("#142 Project"));
  EXPECT_FALSE(r.has_line_starting("#142 Feature"));
}

TEST(LandXmlPlan, StationEquationsLieAtTheirInternalStationElseWhereTheirBackStationIsReached) {
  RecordingInterface ui;
  // From station 100: the second equation has no internal station, the
  // third goes back along the axis.
  const ReadResult r = read_text(
      landxml(alignments(alignment("A", line(0, 0, 1000, 0),
                                   "<StaEquation staInternal=\"300\" staBack=\"300\" staAhead=\"1300\"/>"
                                   "<StaEquation staBack=\"1500\" staAhead=\"900\" increasing=\"false\"/>"
                                   "<StaEquation staInternal=\"200\" staBack=\"1\" staAhead=\"2\"/>",
                                   "staStart=\"100\""))));
  const std::vector<StationEquation>& e = r.model.station_equations().equations;
  ASSERT_EQ(e.size(), 2U) << r.all_lines();
  EXPECT_DOUBLE_EQ(e[1].internal, 500.0);
  EXPECT_FALSE(e[1].increasing);
  EXPECT_TRUE(r.has_line("#62 300.0000 300.000 1300.0000")) << r.all_lines();
  EXPECT_TRUE(r.has_line("#63 500.0000 1500.000 900.0000"));
  EXPECT_TRUE(r.has_line("#64 3"));
  EXPECT_EQ(format_designer_station(designer_station(r.model.station_equations(), 1150.0)), "250.000 (3)");
}

TEST(LandXmlPlan, PrefixedStationEquationIsReadAndABackStationOffTheStationsReachedIsShown) {
  RecordingInterface ui;
  // At 300 the stations reach 300, not the 310 the file says (the ahead
  // station holds all the same); at 500 they reach 1500, within 1 mm.
  const ReadResult r = read_text(landxml(
      alignments(alignment("A", line(0, 0, 1000, 0),
                           "<landxml:StaEquation xmlns:landxml=\"http://www.landxml.org/schema/LandXML-1.2\" "
                           "staInternal=\"300\" staBack=\"310\" staAhead=\"1300\"/>"
                           "<StaEquation staInternal=\"500\" staBack=\"1500.0005\" staAhead=\"2000\"/>"))));
  ASSERT_EQ(r.model.station_equations().equations.size(), 2U) << r.all_lines();
  EXPECT_TRUE(r.has_line("#66 1 310.0000 300.0000")) << r.all_lines();
  EXPECT_FALSE(r.has_line_starting("#66 2")) << r.all_lines();
  EXPECT_FALSE(r.has_line_starting("#142")) << "the prefixed equation is read, not left aside";
  EXPECT_EQ(format_designer_station(designer_station(r.model.station_equations(), 400.0)), "1400.000");
}

TEST(LandXmlPlan, ByteOrderMarkCrLfSingleQuotesAndLatin1NamesAreRead) {
  RecordingInterface ui(1);
  const std::string text =
      "\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?>\r\n<LandXML>\r\n"
      "<Units><Metric linearUnit='meter'/></Units>\r\n<Alignments>\r\n"
      "<Alignment name=\"Rue de l'\xE9glise\">\r\n<CoordGeom>\r\n" +
      line(0, 0, 10, 0) + "</CoordGeom></Alignment>\r\n" +
      "<Alignment name=\"Stra\xDF"
      "e &amp; Weg\">\r\n<CoordGeom>\r\n" +
      line(0, 0, 20, 0) + "</CoordGeom></Alignment>\r\n</Alignments></LandXML>\r\n";
  const ReadResult r = read_text(text);
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"Rue de l'\u00E9glise", "Stra\u00DFe & Weg"}));
  EXPECT_TRUE(r.has_line("#145 Rue de l'\u00E9glise")) << r.all_lines();
  EXPECT_EQ(r.mask, kMaskPlan);
}

TEST(LandXmlPlan, BackslashEndingAQuotedValueKeepsTheFileReadable) {
  RecordingInterface ui;
  const ReadResult r = read_text(
      landxml(R"(<Project name="C:\dir\"/>)" + alignments(alignment(R"(D:\roads\)", line(0, 0, 10, 0)))));
  EXPECT_EQ(r.mask, kMaskPlan) << r.all_lines();
  EXPECT_TRUE(r.has_line(R"(#145 D:\roads\)"));
}

TEST(LandXmlPlan, LargeFilesAreReadInBlocksBehindAProgressWindow) {
  RecordingInterface ui;
  use_message_ids();
  std::string padding = "<!--";
  padding.append(300000, 'x');
  padding += "-->";
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "corvalinde-landxml-large.xml";
  {
    std::ofstream out(path, std::ios::binary);
    out << landxml(padding + alignments(alignment("A", line(0, 0, 10, 0))));
  }
  Console console;
  RoadModel model;
  EXPECT_EQ(read_landxml(console, model, path.string()), kMaskPlan);
  ASSERT_GE(ui.progress.size(), 3U);
  EXPECT_EQ(ui.progress.front(), 100);  // opened with its scale
  EXPECT_EQ(ui.progress.back(), -1);    // closed after parsing
  for (std::size_t i = 2; i + 1 < ui.progress.size(); ++i) EXPECT_GE(ui.progress[i], ui.progress[i - 1]);
  std::filesystem::remove(path);
  // A small file shows none, a missing one reads nothing.
  ui.progress.clear();
  const ReadResult small = read_text(one_alignment(line(0, 0, 1, 0)));
  EXPECT_TRUE(ui.progress.empty());
  Console missing_console;
  EXPECT_EQ(read_landxml(missing_console, model, (path.string() + ".absent")), 0);
  ASSERT_EQ(missing_console.line_count(), 2U);
  EXPECT_EQ(trim_right(missing_console.line(1).text), "#93");
}

}  // namespace
}  // namespace corvalinde
