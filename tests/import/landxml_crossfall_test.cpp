// The LandXML reader's superelevation: the grade surface of the chosen
// alignment, the road-surface zone of each side, and the merge of the two
// zone lists into crossfall points.
#include <gtest/gtest.h>

#include <cmath>

#include "landxml_test_support.h"

namespace corvalinde {
namespace {

using namespace landxml_testing;

std::string slope(double from, double to, double start_value, double end_value) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer,
                R"(<ZoneSlope staStart="%g" staEnd="%g" startVertValue="%g" endVertValue="%g"/>)", from, to,
                start_value, end_value);
  return buffer;
}

std::string side(const char* name, std::string_view zones) {
  return std::string("<Zones side=\"") + name + "\"><Zone category=\"road surface\">" + std::string(zones) +
         "</Zone></Zones>\n";
}

std::string surface(std::string_view content, const char* alignment_name = "A", const char* type = "") {
  return std::string("<GradeSurface alignmentRef=\"") + alignment_name + "\" surfaceType=\"" + type + "\">" +
         std::string(content) + "</GradeSurface>\n";
}

// A design whose alignment A runs from 0 to 500 with the given grade model.
ReadResult read_grades(std::string_view grade_model) {
  return read_text(landxml(alignments(alignment("A", line(0, 0, 500, 0))) + "<GradeModel>" +
                           std::string(grade_model) + "</GradeModel>"));
}

ReadResult read_sides(std::string_view left, std::string_view right) {
  return read_grades(surface(side("left", left) + side("right", right)));
}

void expect_points(const ReadResult& r, const std::vector<CrossfallPoint>& expected) {
  ASSERT_EQ(r.model.crossfall_count(), expected.size()) << r.all_lines();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const CrossfallPoint& p = r.model.crossfall(i + 1);
    EXPECT_DOUBLE_EQ(p.station, expected[i].station) << "point " << i + 1;
    EXPECT_DOUBLE_EQ(p.left, expected[i].left) << "point " << i + 1;
    EXPECT_DOUBLE_EQ(p.right, expected[i].right) << "point " << i + 1;
  }
}

TEST(LandXmlCrossfall, OneZonePerSideGivesTwoPointsWithTheLeftSignTurned) {
  RecordingInterface ui;
  const ReadResult r = read_sides(slope(0, 100, -2.5, -4), slope(0, 100, -2.5, -2.5));
  expect_points(r, {{0, 2.5, -2.5}, {100, 4, -2.5}});
  EXPECT_EQ(r.mask, kMaskPlan | kMaskCrossfall);
  EXPECT_TRUE(r.has_line("#281 1"));
}

TEST(LandXmlCrossfall, EveryChangeOfEitherSideGivesAPoint) {
  RecordingInterface ui;
  const ReadResult r = read_sides(slope(0, 50, -2.5, -2.5) + slope(50, 100, -2.5, 2.5),
                                  slope(0, 30, -2.5, -2.5) + slope(30, 100, -2.5, -5));
  expect_points(r, {{0, 2.5, -2.5}, {30, 2.5, -2.5}, {50, 2.5, -3.21}, {100, -2.5, -5}});
}

TEST(LandXmlCrossfall, PointsOnOneStraightLineCollapseIntoTheOuterTwo) {
  RecordingInterface ui;
  const ReadResult r = read_sides(slope(0, 50, -2, -3) + slope(50, 100, -3, -4), slope(0, 100, -2.5, -2.5));
  expect_points(r, {{0, 2, -2.5}, {100, 4, -2.5}});
}

TEST(LandXmlCrossfall, TableStartsWhereTheLaterSideStartsAndEndsWhereTheEarlierEnds) {
  RecordingInterface ui;
  const ReadResult r = read_sides(slope(0, 100, -2.5, -2.5), slope(20, 80, -2.5, -2.5));
  expect_points(r, {{20, 2.5, -2.5}, {80, 2.5, -2.5}});
}

TEST(LandXmlCrossfall, GapBetweenZonesIsBridgedLinearlyAndSaidSo) {
  RecordingInterface ui;
  const ReadResult r =
      read_sides(slope(0, 40, -2.5, -2.5) + slope(60, 100, -2.5, -4), slope(0, 100, -2.5, -2.5));
  expect_points(r, {{0, 2.5, -2.5}, {60, 2.5, -2.5}, {100, 4, -2.5}});
  EXPECT_TRUE(r.has_line("#285 40.0000 60.0000")) << r.all_lines();
}

TEST(LandXmlCrossfall, OverlappingOrIncompleteZonesEndTheListThere) {
  RecordingInterface ui;
  const ReadResult overlap =
      read_sides(slope(0, 50, -2.5, -2.5) + slope(40, 100, -2.5, -4), slope(0, 100, -2.5, -2.5));
  expect_points(overlap, {{0, 2.5, -2.5}, {50, 2.5, -2.5}});
  EXPECT_TRUE(overlap.has_line("#282 40.0000")) << overlap.all_lines();
  const ReadResult incomplete =
      read_sides(slope(0, 50, -2.5, -3) + R"(<ZoneSlope staStart="50" staEnd="100" startVertValue="-3"/>)",
                 slope(0, 100, -2.5, -2.5));
  expect_points(incomplete, {{0, 2.5, -2.5}, {50, 3, -2.5}});
  EXPECT_TRUE(incomplete.has_line("#282 50.0000")) << incomplete.all_lines();
}

TEST(LandXmlCrossfall, ZonesSharingAStartGiveAStepWithoutDividingByZero) {
  RecordingInterface ui;
  const ReadResult r = read_sides(slope(0, 50, -2.5, -2.5) + slope(50, 50, -2.5, -6) + slope(50, 100, -6, -6),
                                  slope(0, 100, 2.5, 2.5));
  ASSERT_GE(r.model.crossfall_count(), 2U) << r.all_lines();
  for (const CrossfallPoint& p : r.model.crossfall_points()) {
    EXPECT_TRUE(std::isfinite(p.left) && std::isfinite(p.right));
  }
  EXPECT_DOUBLE_EQ(r.model.crossfall_points().back().left, 6.0);
  EXPECT_DOUBLE_EQ(r.model.crossfall_points().back().station, 100.0);
}

TEST(LandXmlCrossfall, ZoneWithItsOwnValuesAndNoSlopesIsOneZone) {
  RecordingInterface ui;
  const ReadResult r =
      read_grades(surface("<Zones side=\"left\"><Zone category=\"road surface\" staStart=\"10\" "
                          "staEnd=\"90\" startVertValue=\"-5\""
                          " endVertValue=\"-5\"><ZoneWidth staStart=\"10\"/></Zone></Zones>"
                          "<Zones side=\"right\"><Zone category=\"road surface\" staStart=\"20\" "
                          "staEnd=\"90\" startVertValue=\"5\""
                          " endVertValue=\"5\"/></Zones>"));
  expect_points(r, {{20, 5, 5}, {90, 5, 5}});
}

TEST(LandXmlCrossfall, OnlyTheRoadSurfaceZoneOfTheFirstZonesOfASideCounts) {
  RecordingInterface ui;
  const ReadResult r =
      read_grades(surface("<Zones side=\"left\"><Zone category=\"shoulder\">" + slope(0, 100, -8, -8) +
                          "</Zone><Zone category=\"road surface\">" + slope(0, 100, -3, -3) +
                          "</Zone></Zones>" + side("right", slope(0, 100, -2, -2))));
  expect_points(r, {{0, 3, -2}, {100, 3, -2}});
  const ReadResult none = read_grades(surface(
      "<Zones side=\"left\"><Zone category=\"shoulder\">" + slope(0, 100, -8, -8) + "</Zone></Zones>" +
      side("left", slope(0, 100, -3, -3)) + side("right", slope(0, 100, -2, -2))));
  EXPECT_EQ(none.mask, kMaskPlan) << none.all_lines();
}

TEST(LandXmlCrossfall, SurfacesOfOtherAlignmentsAreIgnoredAndSeveralAreOffered) {
  RecordingInterface ui(2);
  const std::string sides =
      side("left", slope(0, 100, -2.5, -2.5)) + side("right", slope(0, 100, -2.5, -2.5));
  const std::string other = side("left", slope(0, 100, -7, -7)) + side("right", slope(0, 100, 7, 7));
  const ReadResult r = read_grades(surface(sides, "B", "other road") + surface(other, "A", "design") +
                                   surface(sides, "A", "existing"));
  ASSERT_EQ(ui.choices.size(), 1U);
  EXPECT_EQ(ui.choices[0].title, "#284");
  EXPECT_EQ(ui.choices[0].items, (std::vector<std::string>{"design", "existing"}));
  expect_points(r, {{0, 2.5, -2.5}, {100, 2.5, -2.5}});
}

TEST(LandXmlCrossfall, GradeModelsAnywhereUnderLandXmlReferToAlignmentsOfLaterAlignmentsElements) {
  RecordingInterface ui(2);
  const std::string sides = side("left", slope(0, 10, -2.5, -2.5)) + side("right", slope(0, 10, -2.5, -2.5));
  const ReadResult r =
      read_text(landxml(alignments(alignment("A", line(0, 0, 10, 0))) + "<GradeModel>" + surface(sides, "B") +
                        "</GradeModel>" + alignments(alignment("B", line(0, 0, 10, 0)))));
  EXPECT_EQ(r.mask, kMaskPlan | kMaskCrossfall) << r.all_lines();
}

TEST(LandXmlCrossfall, MissingSideOrSingleCommonStationMakesNoTable) {
  RecordingInterface ui;
  EXPECT_EQ(read_grades(surface(side("left", slope(0, 100, -2.5, -2.5)))).mask, kMaskPlan);
  const ReadResult touching = read_sides(slope(0, 50, -2.5, -2.5), slope(50, 100, -2.5, -2.5));
  EXPECT_EQ(touching.mask, kMaskPlan) << touching.all_lines();
  EXPECT_FALSE(touching.has_line_starting("#281"));
}

}  // namespace
}  // namespace corvalinde
