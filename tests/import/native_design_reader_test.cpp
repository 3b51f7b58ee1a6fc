#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "import/native_design_reader.h"
#include "native_design_test_support.h"

namespace corvalinde {
namespace {

using native_test::e23;
using native_test::header;
using native_test::line_record;
using native_test::listing;
using native_test::old_header;
using native_test::PlanRecord;
using native_test::profile_old;
using native_test::profile_v400;
using native_test::read_text;

std::string two_line_plan() {
  PlanRecord arc;
  arc.kind = '2';
  arc.name = "CER001";
  arc.a = 100.0;
  arc.b = 300.0;
  arc.c = 300.0;
  arc.direction = 4.71238898038469;  // 3 pi / 2, kept as written
  arc.tau_near = 4.9;
  arc.tau_far = 1.5;  // not used by an arc: set to 0
  arc.s0 = 100.0;
  arc.x0 = 100.0;
  arc.s1 = 200.0;
  arc.x1 = 198.15841;  // where the arc ends
  arc.y1 = 16.51292;
  return header(3, 2) + line_record("DRO001", 0.0, 100.0).v400() + arc.v400();
}

std::string two_grade_profile() {
  return header(4, 2) + profile_v400('1', "DRO001", 0, 500, 100, 502, 2.0, 0, 0) +
         profile_v400('2', "PAR001", 100, 502, 200, 503, 5000.00004, 200, 503);
}

std::string three_point_crossfall() {
  return header(10, 3) + " 0 2.5 -2.5 100 2.5 -2.5 200 -3 -3\n";
}

TEST(NativeReader, InvalidFirstHeaderYieldsNothingAndSaysSo) {
  for (const char* first : {"not a header\n", "  3   400  1 2 3\n", "\n", "  3   401   1\n",
                            "  3    399   1X\n", "  3   400    \n", "  3   400  -1\n"}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(first + two_line_plan(), model, console), 0) << first;
    EXPECT_EQ(listing(console), "= #55 design.txt\n= #123\n  #9 design.txt\n") << first;
    EXPECT_FALSE(model.has_plan());
  }
}

TEST(NativeReader, AllThreeTablesStopTheReadingAfterTheThird) {
  const std::string design = two_line_plan() + two_grade_profile() + three_point_crossfall();
  const std::string rest = header(4, 1) + "0 would stop the profile with message 212\n";
  RoadModel model;
  Console console;
  std::istringstream input(design + rest);
  native_test::use_message_ids();
  EXPECT_EQ(read_native_design(console, model, input, "/data/roads/cretes.txt"), 7);
  EXPECT_EQ(listing(console), "= #55 /data/roads/cretes.txt\n  #141 2\n  #211 2\n  #281 2\n= #123\n");
  // Nothing after the third table was even read.
  EXPECT_EQ(static_cast<std::size_t>(input.tellg()), design.size());

  ASSERT_EQ(model.plan_count(), 2u);
  EXPECT_EQ(model.plan(1).kind(), kPlanLine);
  EXPECT_EQ(model.plan(1).name, "DRO001");
  const PlanElement& arc = model.plan(2);
  ASSERT_EQ(arc.kind(), kPlanArc);
  EXPECT_EQ(arc.arc()->start_angle, 4.7123889803847);  // as its 13 decimals hold it
  EXPECT_EQ(arc.arc()->end_angle, 4.9);
  EXPECT_EQ(arc.geometry_numbers()[5], 0.0);
  EXPECT_EQ(arc.arc()->radius, 300.0);
  EXPECT_EQ(arc.end_x, 198.15841);  // beyond column 72 of the second line
  EXPECT_EQ(model.profile(2).grade_or_radius, 5000.0);
  ASSERT_EQ(model.crossfall_count(), 3u);
  EXPECT_EQ(model.crossfall(3).station, 200.0);
  EXPECT_EQ(model.crossfall(3).right, -3.0);
}

TEST(NativeReader, OnePointCrossfallIsDiscarded) {
  RoadModel model;
  Console console;
  EXPECT_EQ(read_text(two_line_plan() + header(10, 1) + "0 2.5 -2.5\n", model, console), kMaskPlan);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #141 2\n= #123\n  #283\n");
  EXPECT_FALSE(model.has_crossfall());
}

TEST(NativeReader, SectionWithCountZeroStoresNothingAndReadingGoesOn) {
  RoadModel model;
  Console console;
  EXPECT_EQ(read_text(header(3, 0) + two_grade_profile(), model, console), kMaskProfile);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #211 2\n= #123\n");
  EXPECT_FALSE(model.has_plan());
}

TEST(NativeReader, OldFormatProfileStartsItsLengthBeforeTheFirstEnd) {
  const std::string grade_first = old_header(4, 3) + profile_old('1', "G1", 1100.0, 510.0, 100.0, 2.0, 0, 0) +
                                  profile_old('2', "V1", 1300.0, 512.0, 200.0, -10000.0, 1200.0, 512.0) +
                                  profile_old('1', "", 1500.0, 508.0, 200.0, -2.0, 0, 0);
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(grade_first, model, console), kMaskProfile);
  ASSERT_EQ(model.profile_count(), 3u);
  EXPECT_DOUBLE_EQ(model.profile(1).start_station, 1000.0);
  EXPECT_DOUBLE_EQ(model.profile(1).start_elevation, 508.0);  // 510 - 100 x 2 %
  EXPECT_EQ(model.profile(1).name, "G1");
  EXPECT_EQ(model.profile(2).start_station, 1100.0);  // the end of the element before
  EXPECT_EQ(model.profile(2).start_elevation, 510.0);
  EXPECT_EQ(model.profile(2).grade_or_radius, -10000.0);
  EXPECT_EQ(model.profile(3).start_station, 1300.0);
  EXPECT_EQ(model.profile(3).name, "E003");

  // A parabola first: its start elevation comes from the vertex.
  const std::string parabola_first =
      old_header(4, 1) + profile_old('2', "V1", 300.0, 100.0, 200.0, 5000.0, 150.0, 99.0);
  ASSERT_EQ(read_text(parabola_first, model, console), kMaskProfile);
  EXPECT_DOUBLE_EQ(model.profile(1).start_station, 100.0);
  EXPECT_DOUBLE_EQ(model.profile(1).start_elevation, 99.0 + 50.0 * 50.0 / 10000.0);
}

TEST(NativeReader, Version400ProfileRunningBackwardsIsTurnedRound) {
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(header(4, 1) + profile_v400('1', "D", 200, 504, 100, 502, 2.0, 0, 0), model, console),
            kMaskProfile);
  const ProfileElement& e = model.profile(1);
  EXPECT_EQ(e.start_station, 100.0);
  EXPECT_EQ(e.start_elevation, 502.0);
  EXPECT_EQ(e.end_station, 200.0);
  EXPECT_EQ(e.end_elevation, 504.0);
}

TEST(NativeReader, ProfileKindZeroStopsWithItsMessageAndDiscardsTheProfile) {
  RoadModel model;
  Console console;
  const std::string design = two_line_plan() + header(4, 2) +
                             profile_v400('1', "D", 0, 500, 100, 502, 2.0, 0, 0) +
                             profile_v400('0', "X", 100, 502, 200, 503, 2.0, 0, 0) + three_point_crossfall();
  EXPECT_EQ(read_text(design, model, console), kMaskPlan);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #141 2\n  #212\n= #123\n  #213\n");
  EXPECT_FALSE(model.has_profile());
  EXPECT_FALSE(model.has_crossfall());
}

PlanRecord clothoid(char orientation, char turn) {
  PlanRecord r;
  r.kind = '3';
  r.name = "CLO001";
  r.orientation = orientation;
  r.turn = turn;
  r.a = -150.0;  // made positive on reading
  r.tau_far = 0.5;
  r.s1 = 150.0;
  return r;
}

TEST(NativeReader, ClothoidOrientationAndTurnCharactersGiveSigns) {
  RoadModel model;
  Console console;
  PlanRecord second = clothoid('2', '0');
  second.s0 = 150.0;
  second.s1 = 300.0;
  ASSERT_EQ(read_text(header(3, 2) + clothoid('0', '2').v400() + second.v400(), model, console), kMaskPlan);
  EXPECT_EQ(model.plan(1).clothoid()->orientation, -1);
  EXPECT_EQ(model.plan(1).clothoid()->turn, 1);
  EXPECT_EQ(model.plan(1).clothoid()->parameter, 150.0);
  EXPECT_EQ(model.plan(2).clothoid()->orientation, 1);
  EXPECT_EQ(model.plan(2).clothoid()->turn, -1);
}

TEST(NativeReader, ClothoidWithCharacterOneEndsTheReadingAndDiscardsThePlan) {
  for (const auto& [orientation, turn] : {std::pair{'1', '2'}, std::pair{'2', '1'}, std::pair{'0', ' '}}) {
    RoadModel model;
    Console console;
    const std::string design = header(3, 2) + line_record("DRO001", 0, 100).v400() +
                               clothoid(orientation, turn).v400() + two_grade_profile();
    EXPECT_EQ(read_text(design, model, console), 0);
    EXPECT_EQ(listing(console), "= #55 design.txt\n= #123\n  #143\n  #9 design.txt\n");
    EXPECT_FALSE(model.has_plan());
  }
}

TEST(NativeReader, DegenerateElementsThatWouldDivideByZeroEndTheReading) {
  PlanRecord zero_radius_arc;
  zero_radius_arc.kind = '2';
  PlanRecord zero_parameter = clothoid('2', '2');
  zero_parameter.a = 0.0;
  PlanRecord negative_tau = clothoid('2', '2');
  negative_tau.tau_near = -0.1;
  for (const PlanRecord& bad : {zero_radius_arc, zero_parameter, negative_tau}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(header(3, 1) + bad.v400(), model, console), 0) << bad.kind;
  }
  RoadModel model;
  Console console;
  EXPECT_EQ(read_text(header(4, 1) + profile_v400('2', "P", 0, 1, 10, 1, 0.00004, 0, 1), model, console), 0);
  EXPECT_EQ(listing(console), "= #55 design.txt\n= #123\n  #213\n  #9 design.txt\n");
}

TEST(NativeReader, BlankNamesBecomeEAndTheElementNumber) {
  std::string plan = header(3, 7);
  for (int i = 1; i <= 7; ++i) {
    plan += line_record(i == 7 ? "" : fmt::format("L{}", i), 100.0 * (i - 1), 100.0 * i).v400();
  }
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(plan, model, console), kMaskPlan);
  EXPECT_EQ(model.plan(6).name, "L6");
  EXPECT_EQ(model.plan(7).name, "E007");

  PlanRecord old = line_record("", 0, 10);
  ASSERT_EQ(read_text(old_header(3, 1) + old.old(), model, console), kMaskPlan);
  EXPECT_EQ(model.plan(1).name, "E001");
}

TEST(NativeReader, ControlCharactersInNamesAndPathsAreShownAsEscapes) {
  // A verdict marker (code 11, "C"), ESC and DEL in a name, a marker in the path.
  native_test::use_message_ids();
  RoadModel model;
  Console console;
  std::istringstream input(header(3, 1) + line_record("\vC\x1b[2\x7f", 0, 10).v400());
  ASSERT_EQ(read_native_design(console, model, input, "x\vC.txt"), kMaskPlan);
  EXPECT_EQ(model.plan(1).name, "\\x0BC\\x1B[2\\x7F");
  EXPECT_EQ(listing(console).substr(0, 17), "= #55 x\\x0BC.txt\n");
  for (const ConsoleLine& line : console.lines())
    EXPECT_EQ(line.text.find_first_of("\v\x1b\x7f"), std::string::npos);
}

TEST(NativeReader, OldFormatPlanReadsItsOwnColumns) {
  PlanRecord r = clothoid('2', '0');
  r.name = "CL01";
  r.b = 1234.5678;
  r.direction = 1.23456789012345678;
  r.tau_near = 0.125;
  r.tau_far = 0.31415926535897932;
  r.s0 = 10.0;
  r.s1 = 160.0;
  r.y1 = -12.3456;
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(old_header(3, 1) + r.old(), model, console), kMaskPlan);
  const PlanElement& e = model.plan(1);
  EXPECT_EQ(e.name, "CL01");
  EXPECT_EQ(e.clothoid()->origin_x, 1234.5678);
  EXPECT_NEAR(e.clothoid()->origin_heading, 1.23456789012345678, 1e-16);
  EXPECT_EQ(e.clothoid()->tau_near, 0.125);
  EXPECT_NEAR(e.clothoid()->tau_far, 0.31415926535897932, 1e-16);
  EXPECT_EQ(e.start_station, 10.0);
  EXPECT_EQ(e.end_station, 160.0);
  EXPECT_EQ(e.end_y, -12.3456);
}

TEST(NativeReader, LinesWithoutTrailingBlanksArePaddedAndBlankFieldsReadZero) {
  // A line element written by an editor that strips trailing blanks and
  // zeros: the line ends after its direction, the second after the end station.
  const std::string first = "1D     11" + e23(0.0) + e23(1.0) + e23(0.0) + "  0.5";
  const std::string second = fmt::format("{:>13.5f}{:>13.5f}{:>13.5f}   100.00", 0.0, 0.0, 0.0);
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(header(3, 1) + first + "\n" + second + "\n", model, console), kMaskPlan);
  const PlanElement& e = model.plan(1);
  EXPECT_EQ(e.name, "D");
  EXPECT_EQ(e.line()->heading, 0.5);
  EXPECT_EQ(e.geometry_numbers()[4], 0.0);
  EXPECT_EQ(e.end_station, 100.0);
  EXPECT_EQ(e.end_x, 0.0);
  EXPECT_EQ(e.end_y, 0.0);
}

TEST(NativeReader, HeaderCountsFollowTheirVersionsColumns) {
  // "0012" is twelve (never octal), then twelve unused lines.
  std::string twelve_skipped = "  1   4000012\n";
  for (int i = 0; i < 12; ++i) twelve_skipped += "unused\n";
  // Older header: count in columns 4-6, or in 10-13 when 4-6 read "***".
  std::string old_counted = "  1  2300   9\n1\n2\n";
  std::string old_starred = "  1***300   3\n1\n2\n3\n";
  // 14 characters: the version in 8-10 and the count from column 10 on,
  // so "  1    40002 X" counts "002 " and skips two lines.
  std::string fourteen = "  1    40002 X\n1\n2\n";
  for (const std::string& prefix : {twelve_skipped, old_counted, old_starred, fourteen}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(prefix + three_point_crossfall(), model, console), kMaskCrossfall) << prefix;
  }
  // A 14-character header must carry version 400.
  RoadModel model;
  Console console;
  EXPECT_EQ(read_text("  1    39902 X\n1\n2\n" + three_point_crossfall(), model, console), 0);
}

TEST(NativeReader, UnusedSectionsAreSkippedByTheirItemRules) {
  // Item lines: m in columns 1-2, then (m - 1) div k more lines; k = 6 for
  // section 2 below version 400, 5 otherwise. m = 11 takes 1 or 2 more lines.
  const std::string old_two = old_header(2, 2) + "11 item\nmore\n 1 item\n";
  const std::string new_two = header(2, 1) + "11 item\nmore\nmore\n";
  const std::string five = header(5, 2) + " 6 item\nmore\n   blank m reads 0\n";
  const std::string eleven = header(11, 7) + "1\n2\n";  // (7 + 5) div 6 = 2 lines
  const std::string one = header(1, 2) + "a\nb\n";
  for (const std::string& section : {old_two, new_two, five, eleven, one}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(section + three_point_crossfall(), model, console), kMaskCrossfall) << section;
  }
  for (const char* unknown : {"  9   400   1\n", "  0   400   1\n", " 12   400   1\n"}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(unknown + std::string("x\n") + three_point_crossfall(), model, console), 0);
  }
}

TEST(NativeReader, SecondSectionOfAKindEndsTheReadingAndKeepsTheFirst) {
  RoadModel model;
  Console console;
  const std::string again = header(3, 1) + line_record("OTHER", 0, 5).v400();
  EXPECT_EQ(read_text(two_line_plan() + again + two_grade_profile(), model, console), kMaskPlan);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #141 2\n= #123\n");
  EXPECT_EQ(model.plan(1).name, "DRO001");
}

TEST(NativeReader, CrossfallGroupsOfFourStartOnNewLines) {
  // Five points: the first group of four spans two lines and leaves values
  // over (ignored); the fifth point starts on a line of its own.
  const std::string section = header(10, 5) + "0,2.5,-2.5 10 2.5\n-2.5 20 2*2.5 30 25D-1 -0.25E1 99 99\n" +
                              "\n 40 -3.0 -3.0 junk after the values\n";
  RoadModel model;
  Console console;
  ASSERT_EQ(read_text(section, model, console), kMaskCrossfall);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #281 4\n= #123\n");
  ASSERT_EQ(model.crossfall_count(), 5u);
  EXPECT_EQ(model.crossfall(2).right, -2.5);
  EXPECT_EQ(model.crossfall(3).left, 2.5);
  EXPECT_EQ(model.crossfall(3).right, 2.5);
  EXPECT_EQ(model.crossfall(4).left, 2.5);
  EXPECT_EQ(model.crossfall(4).right, -2.5);
  EXPECT_EQ(model.crossfall(5).station, 40.0);
  EXPECT_EQ(model.crossfall(5).left, -3.0);
}

TEST(NativeReader, NonFiniteOrUnreadableNumbersEndTheReading) {
  PlanRecord base = line_record("DRO001", 0, 100);
  const std::string good = base.v400();
  for (const char* bad :
       {"          NaN", "          inf", "       1E9999", "       12,5  ", "     1.0.0   "}) {
    std::string broken = good;
    const std::size_t second_line = broken.find('\n') + 1;
    broken.replace(second_line + 39, 13, bad);  // the end station
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(header(3, 1) + broken + two_grade_profile(), model, console), 0) << bad;
    EXPECT_EQ(listing(console), "= #55 design.txt\n= #123\n  #143\n  #9 design.txt\n") << bad;
  }
  for (const char* points :
       {"0 2.5 NaN 100 2.5 -2.5\n", "0 2.5 -2.5 100 Infinity -2.5\n", "0 2.5 -2.5 / \n"}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_text(two_line_plan() + header(10, 2) + points, model, console), kMaskPlan) << points;
    EXPECT_EQ(listing(console), "= #55 design.txt\n  #141 2\n= #123\n  #283\n") << points;
  }
}

TEST(NativeReader, WindowsLineEndsByteOrderMarkAndSingleByteNamesAreRead) {
  std::string design = "\xEF\xBB\xBF" + two_line_plan();
  std::string crlf;
  for (const char c : design) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  RoadModel model;
  Console console;
  EXPECT_EQ(read_text(crlf, model, console), kMaskPlan);
  EXPECT_EQ(model.plan(2).end_y, 16.51292);

  // A name from a single-byte file ("Crête" in Windows-1252) arrives as UTF-8.
  PlanRecord r = line_record("Cr\xEAte", 0, 10);
  std::string text = header(3, 1) + r.v400();
  ASSERT_EQ(read_text(text, model, console), kMaskPlan);
  EXPECT_EQ(model.plan(1).name, "Crête");
  // Columns count characters: a UTF-8 name shifts nothing.
  r.name = "Crête";
  r.y1 = 3.25;
  std::string utf8 = header(3, 1) + r.v400();
  ASSERT_EQ(read_text(utf8, model, console), kMaskPlan);
  EXPECT_EQ(model.plan(1).name, "Crête");
  EXPECT_EQ(model.plan(1).end_y, 3.25);
}

// The design as a Windows editor saves it "in Unicode".
std::string as_utf16(std::string_view utf8, bool little, bool mark) {
  std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
  for (std::size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    unsigned cp = b;
    std::size_t n = 1;
    if (b >= 0xE0) {
      cp = b & 0x0Fu;
      n = 3;
    } else if (b >= 0xC0) {
      cp = b & 0x1Fu;
      n = 2;
    }
    for (std::size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    i += n;
    const char low = static_cast<char>(cp & 0xFF);
    const char high = static_cast<char>(cp >> 8);
    out += little ? low : high;
    out += little ? high : low;
  }
  return out;
}

TEST(NativeReader, DesignSavedAsUtf16ReadsAsItsUtf8Text) {
  PlanRecord r = line_record("Crête", 0, 10);
  r.y1 = 3.25;
  const std::string design = header(3, 1) + r.v400() + three_point_crossfall();
  RoadModel expected;
  Console console;
  ASSERT_EQ(read_text(design, expected, console), kMaskPlan | kMaskCrossfall);
  for (const bool little : {true, false}) {
    for (const bool mark : {true, false}) {
      RoadModel model;
      Console utf16_console;
      ASSERT_EQ(read_text(as_utf16(design, little, mark), model, utf16_console), kMaskPlan | kMaskCrossfall)
          << little << mark;
      EXPECT_EQ(model.plan(1).name, "Crête");
      EXPECT_EQ(model.plan(1).end_y, 3.25);
      EXPECT_EQ(model.crossfall_count(), expected.crossfall_count());
      EXPECT_EQ(model.crossfall(3).left, -3.0);
    }
  }
  // Cut after the first character, the file is an empty design, not a crash.
  RoadModel cut;
  EXPECT_EQ(read_text(as_utf16(design, true, true).substr(0, 3), cut, console), 0);
}

TEST(NativeReader, IncompletePreviousTablesOfTheModelAreAnnouncedAndDiscarded) {
  RoadModel model;
  model.set_crossfall({{0, 2.5, -2.5}, {10, 2.5, -2.5}});
  Console console;
  EXPECT_EQ(read_text(two_line_plan(), model, console), kMaskPlan);
  EXPECT_EQ(listing(console), "= #55 design.txt\n  #141 2\n= #123\n  #283\n");
  EXPECT_FALSE(model.has_crossfall());
}

TEST(NativeReader, MissingFileDirectoryAndUnreadableFileYieldNothingWithoutCrashing) {
  native_test::use_message_ids();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvalinde-native-reader-test";
  std::filesystem::create_directories(dir);
  const std::string missing = (dir / "missing.txt").string();
  for (const auto& [path, reason] : {std::pair(missing, "#93"), std::pair(dir.string(), "#81")}) {
    RoadModel model;
    Console console;
    EXPECT_EQ(read_native_design(console, model, path), 0);
    const std::string shown = shorten_path_for_display(path, 50);
    EXPECT_EQ(listing(console), "= #55 " + shown + "\n  " + reason + "\n= #123\n  #9 " + shown + "\n");
  }
  const std::filesystem::path locked = dir / "locked.txt";
  { std::ofstream(locked) << two_line_plan(); }
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  RoadModel model;
  Console console;
  const bool root_can_read = std::ifstream(locked).is_open();
  EXPECT_EQ(read_native_design(console, model, locked.string()), root_can_read ? kMaskPlan : 0);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  // And a readable file by its path.
  EXPECT_EQ(read_native_design(console, model, locked.string()), kMaskPlan);
  std::filesystem::remove_all(dir);
}

TEST(NativeReader, LongPathsAreShortenedToFitTheLine) {
  EXPECT_EQ(shorten_path_for_display("/a/b.txt", 20), "/a/b.txt");
  EXPECT_EQ(shorten_path_for_display("/home/engineer/projects/vosges/cretes.txt", 30),
            "/home/.../vosges/cretes.txt");
  EXPECT_EQ(shorten_path_for_display("/home/a-very-long-directory-name/été-2024-tracé.txt", 28),
            "/home/.../été-2024-tracé.txt");
  const std::string tiny = shorten_path_for_display("/x/averyveryverylongfilename.txt", 12);
  EXPECT_EQ(tiny, "...ename.txt");
  native_test::use_message_ids();
  RoadModel model;
  Console console;
  std::istringstream input("");
  const std::string long_name = "/" + std::string(200, 'd') + "/design.txt";
  (void)read_native_design(console, model, input, long_name);
  EXPECT_LE(utf8_length(console.line(0).text), 80u);
  EXPECT_NE(console.line(0).text.find("design.txt"), std::string::npos);
}

}  // namespace
}  // namespace corvalinde

namespace corvalinde {
namespace {

using native_test::listing;

// A complete older-format file with Windows line ends, unused sections 1, 2
// and 11, and numbers in the writing program's own exponent form.
TEST(NativeReaderGolden, OldFormatDesignFile) {
  std::ifstream file(std::string(CORVALINDE_TEST_DATA_DIR) + "/native/old-format-300.txt", std::ios::binary);
  ASSERT_TRUE(file.is_open());
  native_test::use_message_ids();
  RoadModel model;
  Console console;
  ASSERT_EQ(read_native_design(console, model, file, "old-format-300.txt"), 7);
  EXPECT_EQ(listing(console), "= #55 old-format-300.txt\n  #141 3\n  #211 3\n  #281 4\n= #123\n");
  const PlanElement& spiral = model.plan(2);
  EXPECT_EQ(spiral.name, "E002");
  ASSERT_EQ(spiral.kind(), kPlanClothoid);
  EXPECT_EQ(spiral.clothoid()->orientation, 1);
  EXPECT_EQ(spiral.clothoid()->turn, 1);
  EXPECT_EQ(spiral.clothoid()->tau_far, 0.125);
  EXPECT_EQ(model.plan(3).arc()->start_angle, 4.83738898038468967);
  EXPECT_EQ(model.plan(3).end_station, 250.0);
  EXPECT_EQ(model.profile(1).start_station, 0.0);
  EXPECT_DOUBLE_EQ(model.profile(1).start_elevation, 100.0);
  EXPECT_EQ(model.profile(2).start_elevation, 103.6);
  EXPECT_EQ(model.profile(3).grade_or_radius, 7.0);
  EXPECT_EQ(model.crossfall(3).station, 135.7);
  EXPECT_EQ(model.crossfall(5).right, 3.5);
}

}  // namespace
}  // namespace corvalinde
