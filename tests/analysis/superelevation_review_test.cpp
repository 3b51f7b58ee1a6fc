// The superelevation review, run through the application's analysis run on
// small designs and judged on the message-id listing.
#include "analysis/superelevation_review.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "review_listing_support.h"

namespace corvalinde {
namespace {

using testing::between;
using testing::design_from;
using testing::lines_with;
using testing::run_review;
using Lines = std::vector<std::string>;

constexpr int kR60TwoLanes = 0;
constexpr int kR80TwoLanes = 3;
constexpr int kU60TwoLanes = 18;

// A design of crossfall points only.
Lines crossfall_listing(const std::vector<CrossfallPoint>& points, int road_type = kR80TwoLanes) {
  RoadModel model;
  model.set_crossfall(points);
  return run_review(model, road_type, testing::kCrossfallSlot);
}

// A straight of 100 m, an arc from station 100 to 300 and a straight to 400,
// with the given crossfall points and optional profile.
Lines arc_listing(double radius, const std::string& crossfall, int road_type,
                  const std::string& profile = "") {
  return run_review(
      design_from("[plan]\nstart x=0 y=0 bearing=100\nDRO001 line length=100\nCER001 arc radius=" +
                  std::to_string(radius) + " length=200\nDRO002 line length=100\n[crossfall]\n" + crossfall +
                  profile),
      road_type, testing::kCrossfallSlot);
}

TEST(SuperelevationReview, EveryPointHasOneRowInStationOrder) {
  const Lines listing = crossfall_listing({{0, 2.5, -2.5}, {50, 2.5, 2.5}, {80, 2.5, 2.5}, {90, 1, 3}});
  EXPECT_EQ(lines_with(listing, "#292"), (Lines{"#292 1", "#292 2", "#292 3", "#292 4"}));
}

TEST(SuperelevationReview, SectionCheckAdmitsOnlyCrownAndOneWayShapes) {
  const Lines listing = crossfall_listing(
      {{0, 3, 3}, {10, 2, 2}, {20, 8, 8}, {30, 2.5, -2.5}, {40, 3, -3}, {50, 2.5, 1}, {60, -2.5, 2.5}});
  // Each finding once, after its own row: the look-ahead from the point
  // before decides admissibility silently.
  EXPECT_EQ(between(listing, "#292 1", "#292 2"), Lines{});
  EXPECT_EQ(between(listing, "#292 2", "#292 3"), Lines{"[C]#305 2.5000"});
  EXPECT_EQ(between(listing, "#292 3", "#292 4"), Lines{"[C]#304 7.0000"});
  EXPECT_EQ(between(listing, "#292 4", "#292 5"), Lines{});
  EXPECT_EQ(between(listing, "#292 5", "#292 6"), Lines{"[C]#303"});
  EXPECT_EQ(between(listing, "#292 6", "#292 7"), Lines{"[C]#302"});
  EXPECT_EQ(listing.back(), "[C]#303");
}

TEST(SuperelevationReview, CrownStraightToSteepOneWayLacksTheIntermediateStep) {
  // R80: TD(5) = min(T(RD), 14 x 7.5) with 1/RD = 1/650 + (1/240 - 1/650) x 2.5 / 4.5.
  const Lines listing = crossfall_listing({{0, 2.5, -2.5}, {60, 5, 5}});
  EXPECT_EQ(between(listing, "#132 : ARP R80  2  voies", "#292 1"), Lines{"[C]#307"});
  EXPECT_EQ(lines_with(listing, "#306"), Lines{});
}

TEST(SuperelevationReview, TwoStepTransitionThroughTheOneWayCrown) {
  // The left side turns from 2.5 to -6 over 58 m and reaches -2.5 at
  // 5 / 8.5 x 58 = 34.12 m.
  // 58 m, within 5 % of TD(6) = 57.31 m.
  const Lines placed = crossfall_listing({{0, 2.5, -2.5}, {34, -2.5, -2.5}, {58, -6, -6}});
  EXPECT_EQ(lines_with(placed, "#307"), Lines{});
  EXPECT_EQ(lines_with(placed, "#306"), Lines{});
  EXPECT_EQ(lines_with(placed, "#316"), Lines{});
  EXPECT_EQ(between(placed, "#292 1", "#292 2"), Lines{});

  const Lines misplaced = crossfall_listing({{0, 2.5, -2.5}, {32.5, -2.5, -2.5}, {58, -6, -6}});
  EXPECT_EQ(between(misplaced, "#132 : ARP R80  2  voies", "#292 1"), Lines{"[G]#316 32.5000 34.1176"});

  // A 2.5 % point of the other sign is a step of its own.
  const Lines other_sign = crossfall_listing({{0, 2.5, -2.5}, {34, -2.5, -2.5}, {58, 6, 6}});
  EXPECT_EQ(between(other_sign, "#292 1", "#292 2"), Lines{"[C]#306"});

  // Leaving the curve the finding follows the row of the first point.
  const Lines leaving = crossfall_listing({{0, -6, -6}, {25.5, -2.5, -2.5}, {58, 2.5, -2.5}});
  EXPECT_EQ(between(leaving, "#292 1", "#292 2"), Lines{"[G]#316 25.5000 23.8824"});
}

TEST(SuperelevationReview, TransitionNeedsBothOfItsPossibleEndsAdmissible) {
  // Point 3 is no admissible section, so 1 -> 2 is not judged as a transition.
  const Lines listing = crossfall_listing({{0, 2.5, -2.5}, {60, 5, 5}, {70, 9, 9}});
  EXPECT_EQ(between(listing, "#132 : ARP R80  2  voies", "#292 1"), Lines{});
  EXPECT_EQ(between(listing, "#292 2", "#292 3"), Lines{});
  EXPECT_EQ(listing.back(), "[C]#304 7.0000");
}

TEST(SuperelevationReview, OneWayToOneWayIsReportedAndNothingElse) {
  // 10 m would also be far too short a run.
  const Lines listing = crossfall_listing({{0, 4, 4}, {10, -4, -4}});
  EXPECT_EQ(between(listing, "#132 : ARP R80  2  voies", "#292 1"), Lines{"[C]#306"});
  EXPECT_EQ(between(listing, "#292 1", "#292 2"), Lines{});
  EXPECT_EQ(listing.back(), "#292 2");
}

TEST(SuperelevationReview, RunLengthAgainstTheRequiredLength) {
  // R80 to 7 %: RD = Rm = 240 m, TD = min(6 x 240^0.4, 67, 14 x 9.5) = 53.73 m;
  // the intermediate point sits where the right side reaches +2.5.
  const auto run = [](double length) {
    return crossfall_listing({{0, 2.5, -2.5}, {length * 5 / 9.5, 2.5, 2.5}, {length, 7, 7}});
  };
  EXPECT_EQ(lines_with(run(50), "#308"), Lines{"[C]#308 50.0000 53.7323"});
  EXPECT_EQ(lines_with(run(52), "#308"), Lines{});
  EXPECT_EQ(lines_with(run(56), "#309"), Lines{});
  EXPECT_EQ(lines_with(run(60), "#309"), Lines{"[G]#309 60.0000 53.7323"});
  // Roads whose curves need no transition set no run length.
  EXPECT_EQ(lines_with(crossfall_listing({{0, 2.5, -2.5}, {300, 2.5, 2.5}}, kU60TwoLanes), "#309"), Lines{});
}

TEST(SuperelevationReview, OneWaySectionAgainstTheCurveBelowIt) {
  const auto section = [](double radius, double d) {
    std::string points = "at 120 " + std::to_string(d) + " " + std::to_string(d) + "\nat 280 " +
                         std::to_string(d) + " " + std::to_string(d) + "\n";
    return arc_listing(radius, points, kR60TwoLanes);
  };
  // R60: Rnd = 600, so R = 1000 needs none; both points lie on the arc.
  EXPECT_EQ(between(section(1000, 4), "#132 : ARP R60  2  voies", "#292 1"), Lines{"[C]#315"});
  EXPECT_EQ(between(section(1000, 4), "#292 1", "#292 2"), Lines{"[C]#315"});
  // R = 300: d = 2.5 + 4.5 (1/300 - 1/450) / (1/120 - 1/450) = 3.32 %.
  EXPECT_EQ(lines_with(section(300, 4), "#311"), (Lines{"[G]#311 4.0000 3.3182", "[G]#311 4.0000 3.3182"}));
  EXPECT_EQ(lines_with(section(300, 2.5), "#311"), (Lines{"[C]#311 2.5000 3.3182", "[C]#311 2.5000 3.3182"}));
  EXPECT_EQ(lines_with(section(300, 3.5), "#311"), Lines{});
  EXPECT_EQ(lines_with(section(300, 3.5), "#312"), Lines{});
  // A left-hand curve with the surface falling to the right.
  EXPECT_EQ(lines_with(section(300, -3.5), "#312"), (Lines{"[C]#312", "[C]#312"}));
}

TEST(SuperelevationReview, OneWayOnAStraightAndCrownInACurve) {
  const Lines on_straight = arc_listing(300, "at 10 3 3\nat 90 3 3\n", kR60TwoLanes);
  EXPECT_EQ(between(on_straight, "#132 : ARP R60  2  voies", "#292 1"), Lines{"[C]#314"});

  const Lines crowned = arc_listing(300, "at 0 2.5 -2.5\nat 400 2.5 -2.5\n", kR60TwoLanes);
  EXPECT_EQ(between(crowned, "#132 : ARP R60  2  voies", "#292 1"), Lines{"[C]#313 100.0000 300.0000"});
  EXPECT_EQ(lines_with(arc_listing(700, "at 0 2.5 -2.5\nat 400 2.5 -2.5\n", kR60TwoLanes), "#313"), Lines{});
}

TEST(SuperelevationReview, RunReachingIntoTheArc) {
  // The probe lies 1 m inside the one-way end: on the arc (from 100) or not.
  EXPECT_EQ(lines_with(arc_listing(300, "at 40 2.5 -2.5\nat 105 2.5 2.5\n", kR60TwoLanes), "#310"),
            Lines{"[C]#310"});
  EXPECT_EQ(lines_with(arc_listing(300, "at 35 2.5 -2.5\nat 100.5 2.5 2.5\n", kR60TwoLanes), "#310"),
            Lines{});
  EXPECT_EQ(lines_with(arc_listing(300, "at 295 -2.5 -2.5\nat 360 2.5 -2.5\n", kR60TwoLanes), "#310"),
            Lines{"[C]#310"});
}

TEST(SuperelevationReview, DrainageOfTheRotatingSide) {
  // One step from the crown to 2.5 % over 40 m: the right side passes +0.5 at
  // 24 m and -0.5 at 16 m.
  const std::string run = "at 0 2.5 -2.5\nat 40 2.5 2.5\nat 400 2.5 2.5\n";
  const std::string flat = "[profile]\nstart station=-100 elevation=100\nend station=500 elevation=101.2\n";
  const std::string steep = "[profile]\nstart station=-100 elevation=100\nend station=500 elevation=118\n";
  const Lines poor = arc_listing(300, run, kR80TwoLanes, flat);
  EXPECT_EQ(lines_with(poor, "#317"), Lines{"[C]#317 16.0000 24.0000"});
  // Listed before the row (one step), ahead of the run length (TD(2.5) = 67 m).
  EXPECT_EQ(between(poor, "#132 : ARP R80  2  voies", "#292 1"),
            (Lines{"[C]#317 16.0000 24.0000", "[C]#308 40.0000 67.0000"}));
  EXPECT_EQ(lines_with(arc_listing(300, run, kR80TwoLanes, steep), "#317"), Lines{});
  EXPECT_EQ(lines_with(arc_listing(300, run, kR80TwoLanes), "#317"), Lines{});

  // One step back to the crown: still listed before the row.
  const Lines back = arc_listing(300, "at 0 2.5 2.5\nat 40 2.5 -2.5\n", kR80TwoLanes, flat);
  EXPECT_EQ(between(back, "#292 1", "#292 2"), Lines{});
  EXPECT_EQ(lines_with(back, "#317"), Lines{"[C]#317 16.0000 24.0000"});

  // Two steps: the zone lies between the crown and the intermediate point,
  // here leaving a left-hand curve: listed after the first point's row.
  const Lines leaving =
      arc_listing(300, "at 0 5 5\nat 100 5 5\nat 130 2.5 2.5\nat 180 2.5 -2.5\n", kR80TwoLanes, flat);
  // The right side reaches +2.5 at 180 - 2/3 x 80 = 126.67 m, not at 130.
  EXPECT_EQ(between(leaving, "#292 2", "#292 3"),
            (Lines{"[G]#316 130.0000 126.6667", "[C]#317 150.0000 160.0000"}));
}

TEST(SuperelevationReview, TransitionStartingRightAfterAnotherChecksItsFirstPoint) {
  // 1 -> 2 is a transition, 2 -> 3 another one: point 2 alone is checked
  // against the plan (a one-way section on the straight).
  const Lines listing = arc_listing(300, "at 0 2.5 -2.5\nat 50 2.5 2.5\nat 90 2.5 -2.5\n", kR60TwoLanes);
  EXPECT_EQ(between(listing, "#292 1", "#292 2"), (Lines{"[C]#314", "[C]#308 40.0000 67.0000"}));
  // After a stretch without transition the point is not checked again.
  const Lines covered =
      arc_listing(300, "at 0 2.5 -2.5\nat 40 2.5 2.5\nat 60 2.5 2.5\nat 90 2.5 -2.5\n", kR60TwoLanes);
  EXPECT_EQ(lines_with(covered, "#314"), Lines{"[C]#314"});
}

TEST(SuperelevationReview, CoincidentPointsAndUnknownRoadTypeStayFinite) {
  const Lines listing = crossfall_listing({{0, 2.5, -2.5}, {0, 2.5, 2.5}, {0, 7, 7}});
  for (const std::string& line : listing) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }
  EXPECT_EQ(lines_with(listing, "#292").size(), 3U);

  RoadModel model;
  model.set_crossfall({{0, 2.5, -2.5}, {10, 2.5, -2.5}});
  Console console;
  testing::use_message_ids();
  superelevation_review(console, model, 40);
  EXPECT_EQ(console.line_count(), 0U);
}

}  // namespace
}  // namespace corvalinde
