// The horizontal alignment review, run through the application's analysis
// run on small designs and judged on the message-id listing.
#include "analysis/alignment_review.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "review_listing_support.h"
#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

using testing::between;
using testing::design_from;
using testing::lines_with;
using testing::run_review;
using Lines = std::vector<std::string>;

constexpr int kR60TwoLanes = 0;
constexpr int kR80TwoLanes = 3;
constexpr int kT80TwoLanes = 6;
constexpr int kA80TwoLanes = 12;
constexpr int kAu70TwoLanes = 24;
constexpr int kAu90 = 27;

Lines plan_listing(const std::string& elements, int road_type) {
  return run_review(design_from("[plan]\nstart x=1000 y=2000 bearing=100\n" + elements), road_type,
                    testing::kPlanSlot);
}

// A clothoid parameter giving the length on a radius.
std::string a_for(double length, double radius) {
  return fmt::format("{:.6f}", std::sqrt(length * radius));
}

// A line element of the given heading (radians) and length.
PlanElement line_element(const std::string& name, double s0, double x0, double y0, double heading,
                         double length) {
  PlanElement e;
  e.name = name;
  e.start_station = s0;
  e.start_x = x0;
  e.start_y = y0;
  e.end_station = s0 + length;
  e.end_x = x0 + length * std::cos(heading);
  e.end_y = y0 + length * std::sin(heading);
  const double a = -std::sin(heading);
  const double b = std::cos(heading);
  e.geometry = LineGeometry{a, b, -(a * e.end_x + b * e.end_y), normalize_angle(heading)};
  return e;
}

Lines kinked_lines(double degrees) {
  const double turn = degrees * kPi / 180.0;
  const PlanElement first = line_element("DRO001", 0.0, 0.0, 0.0, 0.1, 100.0);
  RoadModel model;
  model.set_plan({first, line_element("DRO002", 100.0, first.end_x, first.end_y, 0.1 + turn, 100.0)});
  return run_review(model, kR80TwoLanes, testing::kPlanSlot);
}

TEST(AlignmentReview, ListsEveryElementThenTheEndStation) {
  const Lines listing = plan_listing("DRO001 line length=100\nDRO002 line length=50\n", kR80TwoLanes);
  ASSERT_EQ(listing.size(), 4U);
  EXPECT_EQ(listing[0].rfind("#132 : ARP R80", 0), 0U) << listing[0];
  EXPECT_EQ(listing[1], "#157 1");
  EXPECT_EQ(listing[2], "#157 2");
  EXPECT_EQ(listing[3], "#156 150.0000");
}

TEST(AlignmentReview, DirectionChangeAtJoinFromAbout2Point7Degrees) {
  EXPECT_EQ(between(kinked_lines(2.5), "#157 1", "#157 2"), Lines{});
  EXPECT_EQ(between(kinked_lines(3.0), "#157 1", "#157 2"), Lines{"[C]#162"});
  EXPECT_EQ(between(kinked_lines(-3.0), "#157 1", "#157 2"), Lines{"[C]#162"});
}

TEST(AlignmentReview, CurvatureReversalAndJumpAtClothoidJoins) {
  RoadModel model = design_from(
      "[plan]\nstart x=0 y=0 bearing=100\nDRO001 line length=100\nCLO001 clothoid A=" + a_for(60, 300) +
      " to=300\nCER001 arc radius=300 length=100\n");
  std::vector<PlanElement> plan = model.plan_elements();
  std::get<ArcGeometry>(plan[2].geometry).radius =
      200.0;  // the clothoid ends at 1/300: a jump of 1/600 > 1/Rnd
  model.set_plan(plan);
  const Lines jump = run_review(model, kR80TwoLanes, testing::kPlanSlot);
  EXPECT_EQ(lines_with(jump, "#164"), Lines{"[G]#164"});
  EXPECT_EQ(lines_with(jump, "#163"), Lines{});

  std::get<ArcGeometry>(plan[2].geometry).radius = -300.0;
  model.set_plan(plan);
  const Lines reversal = run_review(model, kR80TwoLanes, testing::kPlanSlot);
  EXPECT_EQ(lines_with(reversal, "#163"), Lines{"[G]#163"});
  EXPECT_EQ(lines_with(reversal, "#164"), Lines{});
}

TEST(AlignmentReview, MinimumRadiusHasTheOnePercentTolerance) {
  const auto arc = [](int radius) {
    return plan_listing(
        fmt::format("DRO001 line length=100\nCER001 arc radius={} length=50\nDRO002 line length=100\n",
                    radius),
        kR60TwoLanes);
  };
  // 0.99 x 120 = 118.8 m; without clothoids the arc also misses both transitions.
  EXPECT_EQ(between(arc(119), "#157 2", "#157 3"), (Lines{"[C]#171"}));
  EXPECT_EQ(between(arc(118), "#157 2", "#157 3"), (Lines{"[C]#170 120", "[C]#171"}));
  EXPECT_EQ(between(arc(-118), "#157 2", "#157 3"), (Lines{"[C]#170 120", "[C]#171"}));
}

TEST(AlignmentReview, ClothoidLengthWithinFivePercentOfTheRequiredLength) {
  // R60, 2 lanes: T(300) = min(6 x 300^0.4, 67) = 58.75 m.
  const auto road = [](double before, double after) {
    return plan_listing("DRO001 line length=200\nCLO001 clothoid A=" + a_for(before, 300) +
                            " to=300\nCER001 arc radius=300 length=120\nCLO002 clothoid A=" +
                            a_for(after, 300) + " to=line\nDRO002 line length=200\n",
                        kR60TwoLanes);
  };
  const Lines short_then_fitting = road(55, 60);
  EXPECT_EQ(between(short_then_fitting, "#157 2", "#157 3"), Lines{"[G]#172 58.7489"});
  EXPECT_EQ(between(short_then_fitting, "#157 3", "#157 4"), Lines{});
  const Lines fitting_then_long = road(58, 62);
  EXPECT_EQ(between(fitting_then_long, "#157 2", "#157 3"), Lines{});
  EXPECT_EQ(between(fitting_then_long, "#157 3", "#157 4"), Lines{"[G]#173 58.7489"});
}

TEST(AlignmentReview, ClothoidsBesideARadiusNeedingNoTransitionAreNeedless) {
  // R60: Rnd = 600, so R = 1000 requires no transition.
  const Lines listing =
      plan_listing("DRO001 line length=100\nCLO001 clothoid A=" + a_for(50, 1000) +
                       " to=1000\nCER001 arc radius=1000 length=100\nCLO002 clothoid A=" + a_for(50, 1000) +
                       " to=line\nDRO002 line length=100\n",
                   kR60TwoLanes);
  EXPECT_EQ(between(listing, "#157 2", "#157 3"), Lines{"[C]#175"});
  EXPECT_EQ(between(listing, "#157 3", "#157 4"), Lines{"[C]#175"});
}

TEST(AlignmentReview, ArcWithTransitionNeedAtEitherEndOfTheAlignmentMissesIt) {
  const Lines listing = plan_listing("CER001 arc radius=300 length=100\n", kR60TwoLanes);
  ASSERT_EQ(listing.size(), 5U);
  EXPECT_EQ(listing[1], "[C]#171");
  EXPECT_EQ(listing[2], "#157 1");
  EXPECT_EQ(listing[3], "[C]#171");
}

TEST(AlignmentReview, TransitionsOfOtherTypesLeadIntoTheirArcAsClothoidsDo) {
  // R60: an arc of R 300 needs 58.75 m of transition; biquadratic parabolas
  // of 60 m lead in and out. The review reads their ends and lengths only.
  const auto transition = [](const char* name, double s0, double k1, double k2) {
    PlanElement e;
    e.name = name;
    e.start_station = s0;
    e.end_station = s0 + 60.0;
    TransitionCurve curve;
    EXPECT_EQ(
        TransitionCurve::build(TransitionLaw::kBiquadraticParabola, 60.0, k1, k2, 1, 0, 0, 60, 1, curve),
        TransitionStatus::kOk);
    e.geometry = std::move(curve);
    return e;
  };
  PlanElement arc;
  arc.name = "CER001";
  arc.start_station = 160.0;
  arc.end_station = 260.0;
  ArcGeometry arc_geometry;
  arc_geometry.radius = 300.0;
  arc.geometry = arc_geometry;
  RoadModel model;
  model.set_plan(
      {line_element("DRO001", 0.0, 0.0, 0.0, 0.0, 100.0), transition("RAC001", 100.0, 0.0, 1.0 / 300), arc,
       transition("RAC002", 260.0, 1.0 / 300, 0.0), line_element("DRO002", 320.0, 0.0, 0.0, 0.0, 100.0)});
  // The native format cannot hold these transitions: the review runs on the model.
  testing::use_message_ids();
  Console console;
  horizontal_alignment_review(console, model, kR60TwoLanes);
  std::string listing;
  for (const ConsoleLine& line : console.lines()) listing += line.text + "\n";
  EXPECT_EQ(listing.find("#171"), std::string::npos) << "no transition is missing\n" << listing;
  EXPECT_NE(listing.find("RAC002 260.0000 60.0000 #56 biquadraticParabola"), std::string::npos) << listing;
}

TEST(AlignmentReview, FlatArcOnAu70CountsAsAStraight) {
  const auto road = [](int middle_radius) {
    return plan_listing(fmt::format("CER001 arc radius=300 length=100\nDRO001 line length=30\n"
                                    "CER002 arc radius={} length=100\nDRO002 line length=30\n"
                                    "CER003 arc radius=300 length=100\n",
                                    middle_radius),
                        kAu70TwoLanes);
  };
  // 1/1500 <= 0.001: the middle arc is a straight, so neither neighbour is
  // a same-direction curve 30 m away, and it is no previous radius.
  EXPECT_EQ(lines_with(road(1500), "#166"), Lines{});
  EXPECT_EQ(between(road(900), "#157 2", "#157 3"), Lines{"[C]#166 60"});
  EXPECT_EQ(between(road(900), "#157 4", "#157 5"), Lines{"[C]#166 60"});
}

TEST(AlignmentReview, StraightBetweenCurvesOnArpRoads) {
  const Lines short_straight = plan_listing(
      "CER001 arc radius=500 length=100\nDRO001 line length=40\nCER002 arc radius=500 length=100\n",
      kR80TwoLanes);
  EXPECT_EQ(between(short_straight, "#157 2", "#157 3"), (Lines{"[C]#166 75", "[C]#171"}));

  const Lines no_straight =
      plan_listing("CER001 arc radius=500 length=100\nCER002 arc radius=520 length=100\n", kR80TwoLanes);
  EXPECT_EQ(between(no_straight, "#157 1", "#157 2"), (Lines{"[C]#171", "[C]#165", "[C]#171"}));

  // Elsewhere curves that touch get the limit form.
  const Lines ictaal =
      plan_listing("CER001 arc radius=1200 length=100\nCER002 arc radius=1300 length=100\n", 10);
  EXPECT_EQ(lines_with(ictaal, "#166"), Lines{"[C]#166 200"});
  EXPECT_EQ(lines_with(ictaal, "#165"), Lines{});

  // Reverse curves are judged only when one of them needs no transition
  // (R80: Rnd = 900).
  const Lines reverse = plan_listing(
      "CER001 arc radius=-1000 length=100\nDRO001 line length=30\nCER002 arc radius=650 length=100\n",
      kR80TwoLanes);
  EXPECT_EQ(between(reverse, "#157 2", "#157 3"), (Lines{"[C]#168 50", "[C]#171"}));
  const Lines reverse_with_transitions = plan_listing(
      "CER001 arc radius=-600 length=100\nDRO001 line length=30\nCER002 arc radius=500 length=100\n",
      kR80TwoLanes);
  EXPECT_EQ(lines_with(reverse_with_transitions, "#168"), Lines{});
}

TEST(AlignmentReview, CurveAfterALongStraightShowsTheLengthBand) {
  const auto road = [](int straight, int radius) {
    return plan_listing(
        fmt::format("DRO001 line length={}\nCER001 arc radius={} length=80\n", straight, radius),
        kT80TwoLanes);
  };
  EXPECT_EQ(between(road(700, 150), "#157 1", "#157 2"), (Lines{"[C]#181 500 #179 1000", "[C]#171"}));
  EXPECT_EQ(lines_with(road(700, 250), "#181"), Lines{});
  EXPECT_EQ(lines_with(road(3000, 290), "#181"), Lines{"[C]#181 1000 #179 5000"});
  // Beyond 5000 m the finding is a warning only past 10000 m and below 400 m.
  EXPECT_EQ(lines_with(road(6000, 350), "#181"), Lines{"[G]#181 5000 #179 10000"});
  EXPECT_EQ(lines_with(road(12000, 450), "#181"), Lines{"[G]#181 5000 #179 10000"});
  EXPECT_EQ(lines_with(road(12000, 350), "#181"), Lines{"[C]#181 5000 #179 10000"});
}

TEST(AlignmentReview, CurveBeforeALongStraightIsJudgedAtTheStraight) {
  const Lines listing =
      plan_listing("CER001 arc radius=-190 length=80\nDRO001 line length=800\n", kT80TwoLanes);
  EXPECT_EQ(between(listing, "#157 1", "#157 2"), (Lines{"[C]#170 240", "[C]#171", "[C]#181 500 #179 1000"}));
}

TEST(AlignmentReview, ApexClothoidsActAsACurveThatKeepsItsTurn) {
  // Two 40 m clothoids meeting at R = -300 (right), then a left arc 30 m on:
  // a reverse curve with transitions, so no finding about the straight.
  const Lines listing =
      plan_listing("DRO001 line length=200\nCLO001 clothoid A=" + a_for(40, 300) +
                       " to=-300\nCLO002 clothoid A=" + a_for(40, 300) +
                       " to=line\nDRO002 line length=30\nCER001 arc radius=300 length=100\n",
                   kR80TwoLanes);
  EXPECT_EQ(between(listing, "#157 2", "#157 3"), (Lines{"[C]#176", "[G]#172 58.7489"}));
  EXPECT_EQ(between(listing, "#157 3", "#157 4"), Lines{"[G]#172 58.7489"});
  EXPECT_EQ(lines_with(listing, "#166"), Lines{});
  EXPECT_EQ(lines_with(listing, "#168"), Lines{});

  const Lines tight = plan_listing("DRO001 line length=200\nCLO001 clothoid A=" + a_for(40, 200) +
                                       " to=200\nCLO002 clothoid A=" + a_for(40, 200) + " to=line\n",
                                   kR80TwoLanes);
  EXPECT_EQ(between(tight, "#157 2", "#157 3"), (Lines{"[C]#176", "[C]#170 240"}));
}

TEST(AlignmentReview, ShortArcBetweenItsTwoClothoids) {
  const auto road = [](int arc_length) {
    return plan_listing(
        fmt::format("DRO001 line length=100\nCLO001 clothoid A={}\nCER001 arc radius=300 length={}\n"
                    "CLO002 clothoid A={}\nDRO002 line length=100\n",
                    a_for(60, 300) + " to=300", arc_length, a_for(60, 300) + " to=line"),
        kR80TwoLanes);
  };
  // 20 m < (60 + 20 + 60) / 5; 40 m is not below (60 + 40 + 60) / 5.
  EXPECT_EQ(between(road(20), "#157 3", "#157 4"), Lines{"[C]#180"});
  EXPECT_EQ(between(road(40), "#157 3", "#157 4"), Lines{});
}

TEST(AlignmentReview, RadiusRatioOfSuccessiveCurves) {
  const std::string design =
      "CER001 arc radius=300.4 length=100\nDRO001 line length=100\nCER002 arc radius=-600 length=100\n";
  EXPECT_EQ(lines_with(plan_listing(design, kR80TwoLanes), "#169"), Lines{"[C]#169 600 300"});
  EXPECT_EQ(lines_with(plan_listing(design, kA80TwoLanes), "#169"), Lines{});
  // ARP cap: the smaller radius must be at most 500 m.
  EXPECT_EQ(lines_with(plan_listing("CER001 arc radius=520 length=100\nDRO001 line length=100\n"
                                    "CER002 arc radius=900 length=100\n",
                                    kR80TwoLanes),
                       "#169"),
            Lines{});
}

// R80: Rnd = 900 m, ratio cap 500 m. A radius a hair off the designer's
// figure, as computed from rounded coordinates, meets the limits as the
// figure does; a tenth of a millimetre is a different radius.
TEST(AlignmentReview, RadiiAreJudgedAsTheirRowsShowThem) {
  const auto listing = [](const std::string& first, const std::string& second) {
    return plan_listing("CER001 arc radius=" + first +
                            " length=100\nDRO001 line length=100\nCER002 arc radius=" + second +
                            " length=100\n",
                        kR80TwoLanes);
  };
  const Lines designed = listing("500", "900");
  EXPECT_EQ(lines_with(designed, "#169"), Lines{"[C]#169 900 500"});
  EXPECT_EQ(lines_with(designed, "#171").size(), 2U);  // only the 500 m arc needs transitions
  EXPECT_EQ(listing("500.00001", "899.99999"), designed);
  EXPECT_NE(listing("500", "899.9999"), designed);
}

TEST(AlignmentReview, TransitionOver500MetresOnDualVsaRoads) {
  const auto road = [](int clothoid) {
    return plan_listing(
        "DRO001 line length=100\nCER001 arc radius=1400 length=100\nDRO002 line length=100\n"
        "CLO001 clothoid A=" +
            a_for(clothoid, 500) + " to=500\nCER002 arc radius=500 length=200\n",
        kAu90);
  };
  // AU90: T(500) = max(500/9, 14 x (0 + 2.5)) = 55.56 m; ratio cap 1.5 x 370.
  EXPECT_EQ(between(road(600), "#157 4", "#157 5"),
            (Lines{"[C]#169 1400 500", "[C]#183 600", "[G]#173 55.5556"}));
  EXPECT_EQ(between(road(500), "#157 4", "#157 5"), (Lines{"[C]#169 1400 500", "[G]#173 55.5556"}));
}

TEST(AlignmentReview, ClothoidsBetweenArcsOnIctavruRoads) {
  const Lines egg = plan_listing("CER001 arc radius=400 length=100\nCLO001 clothoid A=" + a_for(50, 1200) +
                                     " to=300\nCER002 arc radius=300 length=100\n",
                                 kA80TwoLanes);
  EXPECT_EQ(between(egg, "#157 2", "#157 3"), Lines{"[C]#177"});

  const Lines two = plan_listing("CER001 arc radius=400 length=100\nCLO001 clothoid A=" + a_for(50, 1200) +
                                     " to=300\nCLO002 clothoid A=" + a_for(50, 600) +
                                     " to=200\nCER002 arc radius=200 length=100\n",
                                 kA80TwoLanes);
  EXPECT_EQ(between(two, "#157 2", "#157 3"), Lines{"[C]#178"});
  EXPECT_EQ(lines_with(two, "#177"), Lines{});
  // Other standards accept them.
  EXPECT_EQ(lines_with(plan_listing("CER001 arc radius=400 length=100\nCLO001 clothoid A=" + a_for(50, 1200) +
                                        " to=300\nCER002 arc radius=300 length=100\n",
                                    kR80TwoLanes),
                       "#177"),
            Lines{});
}

TEST(AlignmentReview, DegenerateElementsGiveFiniteRows) {
  RoadModel model = design_from(
      "[plan]\nstart x=0 y=0 bearing=100\nDRO001 line length=100\nCLO001 clothoid A=" + a_for(60, 300) +
      " to=300\nCER001 arc radius=300 length=100\n");
  std::vector<PlanElement> plan = model.plan_elements();
  std::get<ClothoidGeometry>(plan[1].geometry).parameter = 0.0;  // a clothoid without parameter
  std::get<ArcGeometry>(plan[2].geometry).radius = 0.0;          // an arc without radius
  plan[2].end_station = plan[2].start_station;                   // and without length
  model.set_plan(plan);
  // Straight into the review: the native reader would not pass such records.
  Console console;
  testing::use_message_ids();
  horizontal_alignment_review(console, model, kR80TwoLanes);
  int rows = 0;
  for (const ConsoleLine& line : console.lines()) {
    EXPECT_EQ(line.text.find("nan"), std::string::npos) << line.text;
    EXPECT_EQ(line.text.find("inf"), std::string::npos) << line.text;
    if (line.text.rfind("#157 ", 0) == 0) ++rows;
  }
  EXPECT_EQ(rows, 3);
}

TEST(AlignmentReview, UnknownRoadTypeListsNothing) {
  RoadModel model = design_from("[plan]\nstart x=0 y=0 bearing=100\nDRO001 line length=100\n");
  Console console;
  testing::use_message_ids();
  horizontal_alignment_review(console, model, 29);
  horizontal_alignment_review(console, model, -1);
  EXPECT_EQ(console.line_count(), 0U);
}

}  // namespace
}  // namespace corvalinde
