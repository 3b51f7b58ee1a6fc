#include "analysis/visibility_analyses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/utf8.h"
#include "road_builder.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

using road_testing::PlanBuilder;
using road_testing::ProfileBuilder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

RoadModel make_road(PlanBuilder& plan, ProfileBuilder profile) {
  const double end = plan.station();
  if (profile.station() < end) profile.grade_line(end - profile.station());
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  return model;
}

RoadModel flat_straight(double length) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(length);
  return make_road(plan, ProfileBuilder(0.0, 100.0, 0.0));
}

CrossSection section(int lane_dm = 35, int median_dm = 0, int blocks = 0) {
  CrossSection c;
  c.lane_width_dm = static_cast<std::int8_t>(lane_dm);
  c.median_width_dm = static_cast<std::uint8_t>(median_dm);
  c.median_blocks_sight = static_cast<std::int8_t>(blocks);
  return c;
}

// The listing in the message-id table, each line without trailing blanks.
class VisibilityListing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (message_table_state() == MessageTableState::kNotInitialised) {
      select_message_language(MessageLanguage::kIds);
      static_cast<void>(message_text(0, 1));
    }
  }

  static std::vector<std::string> lines_of(const Console& console) {
    std::vector<std::string> lines;
    for (const ConsoleLine& line : console.lines()) lines.emplace_back(trim_right(line.text));
    return lines;
  }

  std::vector<std::string> run(const RoadModel& model, int road_type, const CrossSection& c = section()) {
    Console console;
    visibility_analyses(console, model, road_type, c);
    return lines_of(console);
  }

  // The lines from the section title `title` + direction up to the next empty line.
  static std::vector<std::string> section_lines(const std::vector<std::string>& lines,
                                                const std::string& title) {
    std::vector<std::string> out;
    auto it = std::find(lines.begin(), lines.end(), title);
    if (it == lines.end()) return out;
    for (++it; it != lines.end() && !it->empty(); ++it) out.push_back(*it);
    return out;
  }

  static int count_of(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
  }

  static std::string zone(const char* from, const char* to, char letter, const char* message) {
    return fmt::format("{:>11} - {:>11} \v{}{}", from, to, letter, message);
  }

  static const std::string kForward;
  static const std::string kBackward;
};

const std::string VisibilityListing::kForward = "#373.2";
const std::string VisibilityListing::kBackward = "#373.1";

TEST_F(VisibilityListing, ChecksRunByRoadType) {
  const RoadModel model = flat_straight(800.0);
  const auto titles = [&](int code) {
    const std::vector<std::string> lines = run(model, code);
    return std::vector<int>{count_of(lines, "#372"),
                            count_of(lines, "#381 - " + kForward),
                            count_of(lines, "#381 - " + kBackward),
                            count_of(lines, "#382 - " + kForward),
                            count_of(lines, "#382 - " + kBackward),
                            count_of(lines, "#391 - " + kForward),
                            count_of(lines, "#391 - " + kBackward)};
  };
  EXPECT_THAT(titles(0), ElementsAre(1, 1, 1, 0, 0, 1, 1));   // two lanes: passing
  EXPECT_THAT(titles(1), ElementsAre(1, 1, 1, 0, 0, 1, 1));   // three lanes: passing
  EXPECT_THAT(titles(2), ElementsAre(1, 1, 1, 0, 0, 0, 0));   // 2x2: no passing
  EXPECT_THAT(titles(24), ElementsAre(1, 1, 1, 1, 1, 0, 0));  // AU70 two lanes: pedestrians
  EXPECT_THAT(titles(25), ElementsAre(1, 1, 1, 0, 0, 0, 0));
  EXPECT_THAT(titles(26), ElementsAre(1, 1, 1, 0, 0, 0, 0));
}

TEST_F(VisibilityListing, StartAndParameterLines) {
  const RoadModel model = flat_straight(800.0);
  const std::vector<std::string> two = run(model, 0, section(30));
  ASSERT_GE(two.size(), 6U);
  EXPECT_THAT(std::vector<std::string>(two.begin(), two.begin() + 6),
              ElementsAre("", "#371", "#132 : ARP R60  2  voies", "#137                      :  3.0",
                          "#140                      :  4.0", ""));
  const std::vector<std::string> dual = run(model, 5, section(35, 25, 1));
  ASSERT_GE(dual.size(), 7U);
  EXPECT_THAT(std::vector<std::string>(dual.begin() + 3, dual.begin() + 7),
              ElementsAre("#137                      :  3.5", "#138                      :  2.5",
                          "#139                      :  #12", "#140                      :  4.0"));
}

TEST_F(VisibilityListing, NothingWithoutProfileOrAlignment) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(800.0);
  RoadModel model;
  model.set_plan(plan.take());
  EXPECT_TRUE(run(model, 0).empty());
  EXPECT_TRUE(run(RoadModel{}, 0).empty());
}

TEST_F(VisibilityListing, SingleArcGetsItsArcLineOnly) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.arc(-600.0, 800.0);
  const std::vector<std::string> lines = run(make_road(plan, ProfileBuilder(0.0, 100.0, 0.0)), 0);
  const auto it = std::find(lines.begin(), lines.end(), "#372");
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(*(it + 1), "Cercle   1 sd=      0.000 r=   -600.000 sf=    800.000");
  EXPECT_EQ(*(it + 2), "");
  EXPECT_EQ(*(it + 3), "#381 - " + kForward);
}

TEST_F(VisibilityListing, TwoArcsEachGetOneApproach) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.arc(-600.0, 400.0);
  plan.arc(800.0, 400.0);
  const std::vector<std::string> lines = run(make_road(plan, ProfileBuilder(0.0, 100.0, 0.0)), 0);
  const auto it = std::find(lines.begin(), lines.end(), "#372");
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(*(it + 1), "Cercle   1 sd=      0.000 r=   -600.000 sf=    400.000");
  EXPECT_EQ(*(it + 2), "    " + kBackward + "         \vA#378");
  EXPECT_EQ(*(it + 3), "");
  EXPECT_EQ(*(it + 4), "    " + kForward + "         \vA#378");
  EXPECT_EQ(*(it + 5), "Cercle   2 sd=    400.000 r=    800.000 sf=    800.000");
  EXPECT_EQ(*(it + 6), "");
}

// A sharp right-hand curve (R 30, reached through a 30 m clothoid at 770)
// hidden behind a crest at 700: its start is seen from 110 m only, while
// slowing from 90 km/h to 35 km/h needs 125.9 m.
TEST_F(VisibilityListing, CurveHiddenBehindCrestIsTooShort) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(770.0);
  plan.clothoid(30.0, -1.0 / 30.0);
  plan.arc(-30.0, 40.0);
  plan.clothoid(30.0, 0.0);
  plan.line(600.0);
  ProfileBuilder profile(0.0, 100.0, 0.05);
  profile.grade_line(699.95);
  profile.vertical_curve(0.1, -0.05);
  const std::vector<std::string> lines = run(make_road(plan, profile), 0);
  const auto it = std::find(lines.begin(), lines.end(), "#372");
  ASSERT_NE(it, lines.end());
  EXPECT_THAT(*(it + 1), HasSubstr("    " + kForward + "         \vC#375 110.0<"));
  EXPECT_THAT(*(it + 2), HasSubstr("Cercle   3 sd=    800.000 r=    -30.000 sf=    840.000"));
}

TEST_F(VisibilityListing, CurveEntryAtTheRoadEndsIsNotAssessable) {
  // The arc starts 5 m after the start and ends 5 m before the end: nothing
  // lies before it in either approach. Forwards that is marked G, backwards C.
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(5.0);
  plan.arc(500.0, 300.0);
  plan.line(5.0);
  const std::vector<std::string> lines = run(make_road(plan, ProfileBuilder(0.0, 100.0, 0.0)), 0);
  const auto it = std::find(lines.begin(), lines.end(), "#372");
  ASSERT_NE(it, lines.end());
  EXPECT_EQ(*(it + 1), "    " + kForward + "         \vG#374");
  EXPECT_EQ(*(it + 3), "    " + kBackward + "         \vC#374");
}

// On a flat straight the stopping distance at 90 km/h is 130 m; the view is
// cut by the road's end from 870.625 on (forwards) and 129.375 (backwards).
TEST_F(VisibilityListing, ObstacleZonesOnFlatStraight) {
  const std::vector<std::string> lines = run(flat_straight(1000.0), 0);
  EXPECT_THAT(section_lines(lines, "#381 - " + kForward),
              ElementsAre(zone("0.0", "869.6", 'A', "#384"), zone("870.6", "1000.0", 'G', "#385")));
  EXPECT_THAT(section_lines(lines, "#381 - " + kBackward),
              ElementsAre(zone("1000.0", "130.4", 'A', "#384"), zone("129.4", "0.0", 'G', "#385")));
}

// A sharp crest at 500 (+5 % then -5 %) hides obstacles beyond it.
TEST_F(VisibilityListing, ObstacleBehindCrestOpensAndClosesDeficientZone) {
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(1500.0);
  ProfileBuilder profile(0.0, 100.0, 0.05);
  profile.grade_line(499.95);
  profile.vertical_curve(0.1, -0.05);
  const std::vector<std::string> lines = run(make_road(plan, profile), 0);
  const std::vector<std::string> forward = section_lines(lines, "#381 - " + kForward);
  ASSERT_EQ(forward.size(), 4U);
  EXPECT_THAT(forward[0], HasSubstr("        0.0 - "));
  EXPECT_THAT(forward[0], HasSubstr("\vA#384"));
  EXPECT_THAT(forward[1], HasSubstr("\vC#383"));
  EXPECT_THAT(forward[2], HasSubstr("\vA#384"));
  EXPECT_THAT(forward[3], HasSubstr("\vG#385"));
  // Consecutive stretches join 1 m apart; the deficient one ends at the crest.
  const double zone_start = std::stod(forward[1].substr(0, 11));
  const double zone_end = std::stod(forward[1].substr(14, 11));
  EXPECT_DOUBLE_EQ(std::stod(forward[0].substr(14, 11)) + 1.0, zone_start);
  EXPECT_DOUBLE_EQ(zone_end + 1.0, std::stod(forward[2].substr(0, 11)));
  EXPECT_LT(zone_start, 500.0);
  EXPECT_GT(zone_end, 400.0);
  EXPECT_LE(zone_end, 500.0);
}

TEST_F(VisibilityListing, PassingOnRoadShorterThanReachIsNotAssessable) {
  const std::vector<std::string> lines = run(flat_straight(400.0), 0);
  EXPECT_THAT(section_lines(lines, "#391 - " + kForward),
              ElementsAre(zone("0.0", "400.0", 'G', "#394"), "\vC#395 : 0.0 (\vC0%\v\v)"));
}

// On a flat straight of L metres passing is possible up to 500.625 m before
// the end: 170 - 1 m of 670 m is 25 %, 160 - 1 m of 660 m is 24 %.
TEST_F(VisibilityListing, PassingShareOfTwentyFivePercentGetsTheDigitMarker) {
  const std::vector<std::string> at25 = run(flat_straight(670.0), 0);
  EXPECT_THAT(section_lines(at25, "#391 - " + kForward),
              ElementsAre(zone("0.0", "169.6", 'A', "#393 \v\vl=169.6"), zone("170.6", "670.0", 'G', "#394"),
                          "\v2#395 : 169.6 (\v225%\v\v)"));
  const std::vector<std::string> at24 = run(flat_straight(660.0), 0);
  EXPECT_THAT(section_lines(at24, "#391 - " + kBackward),
              ElementsAre(zone("660.0", "500.4", 'A', "#393 \v\vl=159.6"), zone("499.4", "0.0", 'G', "#394"),
                          "\vC#395 : 159.6 (\vC24%\v\v)"));
}

// VSA AU70 (70 km/h, lanes of 3 m): a pedestrian must be seen from
// ceil(2 x 5 x 70 / 3.6) / 2 = 97.5 m. Near the start the driver would be
// before the road: that stretch is not assessable. The walk starts at the
// multiple of 10 at or before the start (1010 backwards) and ends at the end.
TEST_F(VisibilityListing, PedestriansNearTheStartAreNotAssessable) {
  const std::vector<std::string> lines = run(flat_straight(1005.0), 24, section(30));
  EXPECT_THAT(section_lines(lines, "#382 - " + kForward),
              ElementsAre(zone("0.0", "96.9", 'G', "#385"), zone("97.9", "1005.0", 'A', "#384")));
  EXPECT_THAT(section_lines(lines, "#382 - " + kBackward),
              ElementsAre(zone("1010.0", "908.1", 'G', "#385"), zone("907.1", "0.0", 'A', "#384")));
}

// From this start station fifty 10 m steps add up to 499.9999999999999 m:
// the whole reach is still seen, so passing is possible from the start.
TEST_F(VisibilityListing, WholeReachSeenFromAnyStartStation) {
  constexpr double kStart = 591.4992793381413;
  PlanBuilder plan(kStart, 0.0, 0.0, 0.0);
  plan.line(1200.0);
  const std::vector<std::string> lines = run(make_road(plan, ProfileBuilder(kStart, 100.0, 0.0)), 0);
  const std::vector<std::string> forward = section_lines(lines, "#391 - " + kForward);
  ASSERT_FALSE(forward.empty());
  EXPECT_THAT(forward[0], HasSubstr("      591.5 - "));
  EXPECT_THAT(forward[0], HasSubstr("\vA#393"));
}

TEST_F(VisibilityListing, RoadWithoutUsableLengthHasNoPassingShare) {
  // The profile starts where the alignment ends.
  PlanBuilder plan(0.0, 0.0, 0.0, 0.0);
  plan.line(100.0);
  ProfileBuilder profile(100.0, 100.0, 0.0);
  profile.grade_line(100.0);
  RoadModel model;
  model.set_plan(plan.take());
  model.set_profile(profile.take());
  const std::vector<std::string> lines = run(model, 0);
  EXPECT_THAT(section_lines(lines, "#381 - " + kForward), ElementsAre());
  EXPECT_THAT(section_lines(lines, "#391 - " + kForward), ElementsAre("\vC#395 : 0.0 (\vC0%\v\v)"));
}

}  // namespace
}  // namespace corvalinde
