#include "analysis/profile_review.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/analysis_run.h"
#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Road-type codes used below.
constexpr int kR60 = 0, kR80 = 3, kT100 = 8, kA80 = 12, kA100 = 15;
constexpr int kAu70DualCarriageway = 26, kAu90 = 27, kAu110 = 28;

// Lays profile elements end to end from a start point. Curves are given by
// their vertex station, so that the grades the review computes from it are
// exact in the tests that sit on a limit.
class ProfileBuilder {
 public:
  explicit ProfileBuilder(double station = 0.0, double elevation = 100.0)
      : station_(station), elevation_(elevation) {}

  ProfileBuilder& grade(double length, double percent) {
    ProfileElement e = start(kProfileGrade);
    e.grade_or_radius = percent;
    e.end_station = station_ + length;
    e.end_elevation = elevation_ + percent / 100.0 * length;
    return finish(e);
  }

  // A parabola of radius R whose vertex (grade 0) lies at vertex_station.
  ProfileBuilder& curve(double length, double radius, double vertex_station) {
    ProfileElement e = start(kProfileParabola);
    e.grade_or_radius = radius;
    e.vertex_station = vertex_station;
    const double d0 = station_ - vertex_station;
    e.vertex_elevation = elevation_ - d0 * d0 / (2.0 * radius);
    e.end_station = station_ + length;
    const double d1 = e.end_station - vertex_station;
    e.end_elevation = e.vertex_elevation + d1 * d1 / (2.0 * radius);
    return finish(e);
  }

  std::vector<ProfileElement> build() const { return elements_; }

 private:
  ProfileElement start(std::int8_t kind) const {
    ProfileElement e;
    e.kind = kind;
    e.name = fmt::format("{}{:03d}", kind == kProfileGrade ? "DRO" : "PAR", elements_.size() + 1);
    e.start_station = station_;
    e.start_elevation = elevation_;
    return e;
  }
  ProfileBuilder& finish(const ProfileElement& e) {
    elements_.push_back(e);
    station_ = e.end_station;
    elevation_ = e.end_elevation;
    return *this;
  }

  double station_;
  double elevation_;
  std::vector<ProfileElement> elements_;
};

// The design the run reads: handed over from memory.
struct MemoryReader final : DesignReader {
  std::vector<ProfileElement> profile;
  std::vector<CrossfallPoint> crossfall;
  int read(Console&, RoadModel& model, const std::string&) override {
    model.set_profile(profile);
    model.set_crossfall(crossfall);
    return model.present_mask();
  }
};

struct ProfileOnlySelection final : SelectionStep {
  int road_type = 0;
  int select(AnalysisSelection& selection) override {
    selection.road_type = static_cast<std::int16_t>(road_type);
    selection.run_analysis = {0, 0, 1, 0};
    return 0;
  }
};

struct ProfileSlot final : Analysis {
  void run(Console& console, const RoadModel& model, int road_type, const CrossSection&) override {
    vertical_profile_review(console, model, road_type);
  }
};

// A console line as compared here: trailing blanks removed, verdict markers
// shown as [C] and [G].
std::string shown(const ConsoleLine& line) {
  std::string text(trim_right(line.text));
  for (std::size_t at = text.find(kMarker); at != std::string::npos; at = text.find(kMarker, at)) {
    text.replace(at, 2, fmt::format("[{}]", at + 1 < text.size() ? text[at + 1] : '?'));
  }
  return text;
}

std::string row(int number, double start, double length, const std::string& description) {
  return fmt::format("#227 {} {:.4f} {:.4f} {}", number, start, length, description);
}
std::string grade_row(int number, double start, double length, double grade) {
  return row(number, start, length, fmt::format("#223 {:.4f}", grade));
}
std::string curve_row(int number, double start, double length, double radius) {
  return row(number, start, length, fmt::format("#224 {:.4f}", radius));
}
std::string end_line(double station) {
  return fmt::format("#226 {:.4f}", station);
}
std::string drainage(double h, double i) {
  return fmt::format("[C]#317 {:.4f} {:.4f}", h, i);
}

// A crossfall whose left side turns from +2.5 to -2.5 between stations 100
// and 150, so that the zone between +0.5 and -0.5 per cent is [120, 130].
std::vector<CrossfallPoint> reversal_at_100() {
  return {{0.0, 2.5, -2.5}, {100.0, 2.5, -2.5}, {150.0, -2.5, -2.5}, {400.0, -2.5, -2.5}};
}

class ProfileReview : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
  }
  static void TearDownTestSuite() { (void)message_text(0, 0); }

  void SetUp() override {
    run_.model = &model_;
    run_.native_reader = &reader_;
    run_.selection_step = &selection_;
    run_.analyses[2] = &slot_;
  }

  // Runs the review on the design through the analysis run; all lines.
  std::vector<std::string> listing(int road_type, const std::vector<ProfileElement>& profile,
                                   const std::vector<CrossfallPoint>& crossfall = {}) {
    reader_.profile = profile;
    reader_.crossfall = crossfall;
    selection_.road_type = road_type;
    Console console;
    open_design(run_, console, "design.txt", kNativeDesignFile);
    std::vector<std::string> lines;
    for (const ConsoleLine& line : console.lines()) lines.push_back(shown(line));
    return lines;
  }

  // The lines after the title and the road-type heading.
  std::vector<std::string> body(int road_type, const std::vector<ProfileElement>& profile,
                                const std::vector<CrossfallPoint>& crossfall = {}) {
    const std::vector<std::string> lines = listing(road_type, profile, crossfall);
    const auto title = std::find(lines.begin(), lines.end(), "#231");
    if (lines.end() - title < 2) return {"(no listing)"};
    return {title + 2, lines.end()};
  }

  RoadModel model_;
  MemoryReader reader_;
  ProfileOnlySelection selection_;
  ProfileSlot slot_;
  AnalysisRun run_;
};

TEST_F(ProfileReview, ListsTitleHeadingOneRowPerElementAndTheEndStation) {
  reader_.profile = ProfileBuilder(20.0).grade(100.0, 2.0).grade(150.0, 2.5).build();
  selection_.road_type = kR80;
  Console console;
  open_design(run_, console, "design.txt", kNativeDesignFile);
  ASSERT_EQ(console.line_count(), 7U);
  std::vector<std::string> lines;
  for (const ConsoleLine& line : console.lines()) lines.push_back(shown(line));
  EXPECT_EQ(lines, (std::vector<std::string>{"", "", "#231", "#132 : ARP R80  2  voies",
                                             grade_row(1, 20.0, 100.0, 2.0), grade_row(2, 120.0, 150.0, 2.5),
                                             end_line(270.0)}));
  EXPECT_TRUE(console.line(2).heading);
  EXPECT_TRUE(console.line(3).heading);
  EXPECT_FALSE(console.line(4).heading);
  EXPECT_FALSE(console.line(6).heading);
}

TEST_F(ProfileReview, ListsNothingWithoutAProfileOrForARoadTypeWithoutLimits) {
  // Crossfall only: the run writes its empty line, the review nothing.
  EXPECT_EQ(listing(kR60, {}, reversal_at_100()), std::vector<std::string>{""});
  EXPECT_EQ(listing(29, ProfileBuilder().grade(100.0, 9.0).build()), std::vector<std::string>{""});
  EXPECT_EQ(listing(-1, ProfileBuilder().grade(100.0, 9.0).build()), std::vector<std::string>{""});
}

TEST_F(ProfileReview, GradeExactlyAtOnePointZeroOneTimesTheLimitIsNotExceeded) {
  struct Case {
    int road_type;
    double grade;
    bool reported;
    double limit;
  };
  const Case cases[] = {
      {kR60, 7.07, false, 7.0},   {kR60, 7.0701, true, 7.0},   {kR60, -7.07, false, 7.0},
      {kR60, -7.0701, true, 7.0}, {kR80, 6.06, false, 6.0},    {kR80, 6.0601, true, 6.0},
      {kT100, 5.05, false, 5.0},  {kT100, 5.0501, true, 5.0},  {kA100, 5.0501, true, 5.0},
      {kAu110, 6.06, false, 6.0}, {kAu110, 6.0601, true, 6.0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected{grade_row(1, 0.0, 100.0, c.grade)};
    if (c.reported) expected.push_back(fmt::format("[C]#233 {:.4f}", c.limit));
    expected.push_back(end_line(100.0));
    EXPECT_EQ(body(c.road_type, ProfileBuilder().grade(100.0, c.grade).build()), expected)
        << "road type " << c.road_type << ", grade " << c.grade;
  }
  // A curve's start grade computed as 7.07 plus rounding noise is still 7.07.
  EXPECT_EQ(body(kR60, ProfileBuilder(1000.0).curve(100.0, -2000.0, 1141.4).build()),
            (std::vector<std::string>{curve_row(1, 1000.0, 100.0, -2000.0), end_line(1100.0)}));
  EXPECT_EQ(
      body(kR60, ProfileBuilder(1000.0).curve(100.0, -2000.0, 1141.42).build()),
      (std::vector<std::string>{"[C]#234 7.0000", curve_row(1, 1000.0, 100.0, -2000.0), end_line(1100.0)}));
}

TEST_F(ProfileReview, SagOfPointNineNineTimesTheMinimumIsCheckedAgainstTheRecommendedRadius) {
  // A80: sag minimum 1000 m, recommended 2000 m. Curves start at their vertex.
  const auto sag = [&](int road_type, double radius) {
    const std::vector<std::string> lines = body(road_type, ProfileBuilder().curve(40.0, radius, 0.0).build());
    return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);  // the findings after the row
  };
  EXPECT_EQ(sag(kA80, 990.0), std::vector<std::string>{"[G]#238 2000"});
  EXPECT_EQ(sag(kA80, 989.9), std::vector<std::string>{"[C]#238 1000"});
  EXPECT_EQ(sag(kA80, 1980.0), std::vector<std::string>{});
  EXPECT_EQ(sag(kA80, 1979.9), std::vector<std::string>{"[G]#238 2000"});
  // R60: minimum and recommended radius are both 1500 m.
  EXPECT_EQ(sag(kR60, 1485.0), std::vector<std::string>{});
  EXPECT_EQ(sag(kR60, 1484.9), std::vector<std::string>{"[C]#238 1500"});
  // AU90: 1300 m.
  EXPECT_EQ(sag(kAu90, 1287.0), std::vector<std::string>{});
  EXPECT_EQ(sag(kAu90, 1286.9), std::vector<std::string>{"[C]#238 1300"});
}

TEST_F(ProfileReview, CrestBandOfA100IsReportedWithoutTheWarningFlag) {
  // A100: crest minimum 6000 m, recommended 10000 m.
  const auto crest = [&](double radius) {
    const std::vector<std::string> lines = body(kA100, ProfileBuilder().curve(30.0, radius, 0.0).build());
    return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
  };
  EXPECT_EQ(crest(-5939.9), std::vector<std::string>{"[C]#237 6000"});
  EXPECT_EQ(crest(-5940.0), std::vector<std::string>{"[G]#237 10000"});
  EXPECT_EQ(crest(-9899.9), std::vector<std::string>{"[G]#237 10000"});
  EXPECT_EQ(crest(-9900.0), std::vector<std::string>{});
  // A crest is never judged against the sag limits, nor a sag against the crest ones.
  EXPECT_EQ(crest(1600.0), std::vector<std::string>{"[G]#238 3000"});
}

TEST_F(ProfileReview, SingleVerticalCurveChecksItsStartAndEndGrades) {
  // R60: crest R = -1000 from +8 % to -8 %; the start grade is listed before
  // the row, the radius and end grade after it, in that order.
  EXPECT_EQ(body(kR60, ProfileBuilder().curve(160.0, -1000.0, 80.0).build()),
            (std::vector<std::string>{"[C]#234 7.0000", curve_row(1, 0.0, 160.0, -1000.0), "[C]#237 1500",
                                      "[C]#236 7.0000", end_line(160.0)}));
  // Starting steep and ending within the limit: the start grade only.
  EXPECT_EQ(body(kR60, ProfileBuilder().curve(80.0, -2000.0, 160.0).build()),
            (std::vector<std::string>{"[C]#234 7.0000", curve_row(1, 0.0, 80.0, -2000.0), end_line(80.0)}));
}

TEST_F(ProfileReview, GradeBetweenTwoVerticalCurvesIsCheckedOnlyWithoutAGradeElementBetween) {
  // Sag R = 2000 from 2 % to 7.5 %, then a crest R = -2000 from 7.5 % to 0.
  EXPECT_EQ(body(kR60, ProfileBuilder().curve(110.0, 2000.0, -40.0).curve(150.0, -2000.0, 260.0).build()),
            (std::vector<std::string>{curve_row(1, 0.0, 110.0, 2000.0), "[C]#235 7.0000",
                                      curve_row(2, 110.0, 150.0, -2000.0), end_line(260.0)}));
  // A grade element of 7.5 % between them carries the finding instead.
  EXPECT_EQ(body(kR60, ProfileBuilder().grade(50.0, 7.5).curve(150.0, -2000.0, 200.0).build()),
            (std::vector<std::string>{grade_row(1, 0.0, 50.0, 7.5), "[C]#233 7.0000",
                                      curve_row(2, 50.0, 150.0, -2000.0), end_line(200.0)}));
}

TEST_F(ProfileReview, GradesDifferingByExactlyOnePercentAreContinuous) {
  // 1.2 to 2.2 differ by more than 1.0 in binary; 3.2 to 4.21 by 1.01.
  EXPECT_EQ(body(kR60, ProfileBuilder().grade(50.0, 5.0).grade(50.0, 6.0).grade(50.0, 5.0).build()),
            (std::vector<std::string>{grade_row(1, 0.0, 50.0, 5.0), grade_row(2, 50.0, 50.0, 6.0),
                                      grade_row(3, 100.0, 50.0, 5.0), end_line(150.0)}));
  EXPECT_EQ(
      body(kR60,
           ProfileBuilder().grade(50.0, 1.2).grade(50.0, 2.2).grade(50.0, 3.2).grade(50.0, 4.21).build()),
      (std::vector<std::string>{grade_row(1, 0.0, 50.0, 1.2), grade_row(2, 50.0, 50.0, 2.2),
                                grade_row(3, 100.0, 50.0, 3.2), "[C]#232", grade_row(4, 150.0, 50.0, 4.21),
                                end_line(200.0)}));
}

TEST_F(ProfileReview, ContinuityComparesWithTheEndGradeOfTheCurveBefore) {
  // Sag R = 1000 from 2 % to 4 %, then 5 % (a break of 1.0) or 5.01 %.
  const auto profile = [](double next) {
    return ProfileBuilder().curve(20.0, 1000.0, -20.0).grade(30.0, next).build();
  };
  EXPECT_EQ(body(kR80, profile(5.0)),
            (std::vector<std::string>{curve_row(1, 0.0, 20.0, 1000.0), "[C]#238 2200",
                                      grade_row(2, 20.0, 30.0, 5.0), end_line(50.0)}));
  EXPECT_EQ(body(kR80, profile(5.01)),
            (std::vector<std::string>{curve_row(1, 0.0, 20.0, 1000.0), "[C]#238 2200", "[C]#232",
                                      grade_row(2, 20.0, 30.0, 5.01), end_line(50.0)}));
  // The first element is never compared (the previous grade starts at 0).
  EXPECT_EQ(body(kR80, ProfileBuilder().grade(30.0, 4.0).build()),
            (std::vector<std::string>{grade_row(1, 0.0, 30.0, 4.0), end_line(30.0)}));
}

TEST_F(ProfileReview, DrainageInACrossfallReversalFoundOnAFlatGradeOnly) {
  EXPECT_EQ(
      body(kR60, ProfileBuilder().grade(200.0, 0.2).build(), reversal_at_100()),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.2), drainage(120.0, 130.0), end_line(200.0)}));
  EXPECT_EQ(body(kR60, ProfileBuilder().grade(200.0, 3.0).build(), reversal_at_100()),
            (std::vector<std::string>{grade_row(1, 0.0, 200.0, 3.0), end_line(200.0)}));
  // The right side is taken when the left does not change sign.
  const std::vector<CrossfallPoint> right{
      {0.0, 2.5, -2.5}, {100.0, 2.5, -2.5}, {150.0, 2.5, 2.5}, {400.0, 2.5, 2.5}};
  EXPECT_EQ(
      body(kR60, ProfileBuilder().grade(200.0, -0.2).build(), right),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, -0.2), drainage(120.0, 130.0), end_line(200.0)}));
}

TEST_F(ProfileReview, DrainageFollowsTheGradeOfAVerticalCurve) {
  // Crest R = -2000 starting at 6.25 %: its vertex at 125 lies in the zone
  // [120, 130], which drains poorly.
  EXPECT_EQ(
      body(kR60, ProfileBuilder().curve(200.0, -2000.0, 125.0).build(), reversal_at_100()),
      (std::vector<std::string>{curve_row(1, 0.0, 200.0, -2000.0), drainage(120.0, 130.0), end_line(200.0)}));
  // Crest R = -5000 level at its start: the grade in the zone is 2.5 %.
  EXPECT_EQ(body(kR60, ProfileBuilder().curve(200.0, -5000.0, 0.0).build(), reversal_at_100()),
            (std::vector<std::string>{curve_row(1, 0.0, 200.0, -5000.0), end_line(200.0)}));
}

TEST_F(ProfileReview, DrainageThresholdIsOnePercentOnAu90AndAu110) {
  // A grade of 0.8 % drains at t = 0.5, not at t = 1.0 (zone [115, 135]).
  const std::vector<ProfileElement> profile = ProfileBuilder().grade(200.0, 0.8).build();
  EXPECT_EQ(body(kAu70DualCarriageway, profile, reversal_at_100()),
            (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.8), end_line(200.0)}));
  EXPECT_EQ(
      body(kAu90, profile, reversal_at_100()),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.8), drainage(115.0, 135.0), end_line(200.0)}));
  EXPECT_EQ(
      body(kAu110, profile, reversal_at_100()),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.8), drainage(115.0, 135.0), end_line(200.0)}));
}

TEST_F(ProfileReview, DrainageIsReportedOncePerElementWithinTheElement) {
  // Two reversals: back from -2.5 to +2.5 between 300 and 350 (zone [320, 330]).
  std::vector<CrossfallPoint> two = reversal_at_100();
  two.back() = {300.0, -2.5, -2.5};
  two.push_back({350.0, 2.5, -2.5});
  two.push_back({400.0, 2.5, -2.5});
  EXPECT_EQ(
      body(kR60, ProfileBuilder().grade(400.0, 0.2).build(), two),
      (std::vector<std::string>{grade_row(1, 0.0, 400.0, 0.2), drainage(120.0, 130.0), end_line(400.0)}));
  EXPECT_EQ(
      body(kR60, ProfileBuilder().grade(200.0, 0.2).grade(200.0, 0.3).build(), two),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.2), drainage(120.0, 130.0),
                                grade_row(2, 200.0, 200.0, 0.3), drainage(320.0, 330.0), end_line(400.0)}));
  // Only 0.5 m of the zone lies in the first element: too short to count.
  EXPECT_EQ(body(kR60, ProfileBuilder().grade(120.5, 0.2).grade(79.5, 0.2).build(), reversal_at_100()),
            (std::vector<std::string>{grade_row(1, 0.0, 120.5, 0.2), grade_row(2, 120.5, 79.5, 0.2),
                                      drainage(120.0, 130.0), end_line(200.0)}));
}

TEST_F(ProfileReview, DrainageIsCheckedWhereAnElementReachesBeyondTheCrossfallPoints) {
  const std::vector<CrossfallPoint> short_table{{50.0, 2.5, -2.5}, {100.0, 2.5, -2.5}, {150.0, -2.5, -2.5}};
  EXPECT_EQ(
      body(kR60, ProfileBuilder().grade(200.0, 0.2).build(), short_table),
      (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.2), drainage(120.0, 130.0), end_line(200.0)}));
  // An element entirely outside the points has no reversal to check.
  EXPECT_EQ(body(kR60, ProfileBuilder(200.0).grade(100.0, 0.0).build(), short_table),
            (std::vector<std::string>{grade_row(1, 200.0, 100.0, 0.0), end_line(300.0)}));
}

TEST_F(ProfileReview, ReversalAtASingleStationHasNoZone) {
  const std::vector<CrossfallPoint> jump{
      {0.0, 2.5, -2.5}, {100.0, 2.5, -2.5}, {100.0, -2.5, -2.5}, {200.0, -2.5, -2.5}};
  EXPECT_EQ(body(kR60, ProfileBuilder().grade(200.0, 0.0).build(), jump),
            (std::vector<std::string>{grade_row(1, 0.0, 200.0, 0.0), end_line(200.0)}));
}

TEST_F(ProfileReview, CurveWithoutAUsableRadiusIsJudgedByItsChord) {
  // A parabola of radius 0 (no reader makes one): no radius finding, and its
  // chord grade of 10 % goes through the grade checks; nothing non-finite.
  ProfileElement e;
  e.kind = kProfileParabola;
  e.name = "PAR001";
  e.start_station = 0.0;
  e.start_elevation = 100.0;
  e.end_station = 50.0;
  e.end_elevation = 105.0;
  EXPECT_EQ(body(kR60, {e}), (std::vector<std::string>{"[C]#234 7.0000", curve_row(1, 0.0, 50.0, 0.0),
                                                       "[C]#236 7.0000", end_line(50.0)}));
}

TEST(DrainageTest, StretchMustBeLongerThanOneMetreInsideZoneAndElement) {
  // On a level grade P < 0 over the whole zone.
  const ProfileElement level = ProfileBuilder().grade(100.0, 0.0).build().front();
  EXPECT_FALSE(drainage_test(level, 0.5, 10.0, 10.9));
  EXPECT_TRUE(drainage_test(level, 0.5, 10.0, 11.1));
  // The zone is clipped to the element [0, 100].
  EXPECT_FALSE(drainage_test(level, 0.5, 99.5, 120.0));
  EXPECT_TRUE(drainage_test(level, 0.5, 98.5, 120.0));
  // An empty, inverted or non-finite zone holds nothing.
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(drainage_test(level, 0.5, 20.0, 20.0));
  EXPECT_FALSE(drainage_test(level, 0.5, 30.0, 20.0));
  EXPECT_FALSE(drainage_test(level, 0.5, kNaN, 20.0));
  EXPECT_FALSE(drainage_test(level, 0.5, 0.0, std::numeric_limits<double>::infinity()));
  // A grade of 0.45 % leaves |u| < sqrt(0.25 - 0.2025) = 0.218: 4.4 m of a 10 m zone.
  const ProfileElement gentle = ProfileBuilder().grade(100.0, 0.45).build().front();
  EXPECT_TRUE(drainage_test(gentle, 0.5, 40.0, 50.0));
  EXPECT_FALSE(drainage_test(gentle, 0.5, 40.0, 42.0));  // 0.87 m
}

}  // namespace
}  // namespace corvalinde
