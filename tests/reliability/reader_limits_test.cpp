// The limits the native reader puts on a design so that no analysis walks a
// road of absurd length or meets an absurd number: both sides of each bound,
// and the refusal of stations that go backwards.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <fmt/format.h>

#include "import/landxml/landxml_reader.h"
#include "native_design_test_support.h"

namespace corvalinde::reliability {
namespace {

namespace fs = std::filesystem;
using native_test::header;
using native_test::line_record;
using native_test::listing;
using native_test::profile_old;
using native_test::profile_v400;
using native_test::read_text;

// A straight of 500 m stationed from s0 to s1, the stations with 3 decimals so
// that values near 1e8 keep to their 13 columns.
std::string far_line(double s0, double s1) {
  const std::string record = line_record("FAR", 0.0, 0.0).v400();
  return record.substr(0, record.find('\n') + 1) +
         fmt::format("{:>13.3f}{:>13.5f}{:>13.5f}{:>13.3f}{:>13.5f}{:>13.5f}\n", s0, 0.0, 0.0, s1, 500.0,
                     0.0);
}

// One read into a fresh model and console.
struct Read {
  int mask = 0;
  std::string lines;
  RoadModel model;
};

Read read(const std::string& text) {
  Read r;
  Console console;
  r.mask = read_text(text, r.model, console);
  r.lines = listing(console);
  return r;
}

std::string crossfall(double s0, double left0, double s1, double left1) {
  return header(10, 2) + fmt::format(" {} {} -2.5 {} {} -2.5\n", s0, left0, s1, left1);
}

TEST(NativeReaderLimits, ARoadOfOneThousandKilometresIsReadAndOneMillimetreMoreIsRefused) {
  EXPECT_EQ(read(header(3, 1) + line_record("L", 0.0, 1.0e6).v400()).mask, kMaskPlan);
  const Read longer = read(header(3, 2) + line_record("A", 0.0, 6.0e5).v400() +
                           line_record("B", 6.0e5, 1.000000001e6).v400());
  EXPECT_EQ(longer.mask, 0);
  EXPECT_EQ(longer.lines, "= #55 design.txt\n  #124 2\n= #123\n  #143\n  #9 design.txt\n");
  EXPECT_FALSE(longer.model.has_plan());
}

TEST(NativeReaderLimits, StationsUpToOneHundredThousandKilometresEitherSideAreRoads) {
  const Read far = read(header(3, 1) + far_line(1.0e8 - 500.0, 1.0e8));
  ASSERT_EQ(far.mask, kMaskPlan);
  EXPECT_EQ(far.model.plan(1).end_station, 1.0e8);
  EXPECT_EQ(read(crossfall(-1.0e8, 2.5, -1.0e8 + 50.0, 3.0)).mask, kMaskCrossfall);
  EXPECT_EQ(read(header(3, 1) + far_line(1.0e8 - 500.0, 1.0e8 + 0.01)).mask, 0);
  const Read beyond = read(crossfall(-1.0e8 - 1.0, 2.5, -1.0e8 + 50.0, 3.0));
  EXPECT_EQ(beyond.mask, 0);
  EXPECT_EQ(beyond.lines, "= #55 design.txt\n  #124 1\n= #123\n  #283\n  #9 design.txt\n");
}

TEST(NativeReaderLimits, GradesAndCrossfallsUpToOneHundredPerCentAreRead) {
  EXPECT_EQ(read(crossfall(0.0, 100.0, 50.0, -100.0)).mask, kMaskCrossfall);
  EXPECT_EQ(read(crossfall(0.0, 100.01, 50.0, 2.5)).mask, 0);
  EXPECT_EQ(read(header(4, 1) + profile_v400('1', "G", 0.0, 100.0, 10.0, 110.0, 100.0, 0, 0)).mask,
            kMaskProfile);
  const Read steep = read(header(4, 1) + profile_v400('1', "G", 0.0, 100.0, 10.0, 110.0, 100.1, 0, 0));
  EXPECT_EQ(steep.mask, 0);
  EXPECT_EQ(steep.lines, "= #55 design.txt\n  #124 1\n= #123\n  #213\n  #9 design.txt\n");
  // A vertical curve carries a radius, not a grade: the wider bound holds.
  EXPECT_EQ(read(header(4, 1) + profile_v400('2', "P", 0.0, 100.0, 10.0, 100.0, 5.0e8, 5.0, 100.0)).mask,
            kMaskProfile);
}

TEST(NativeReaderLimits, CoordinatesAndRadiiUpToOneMillionKilometresAreRead) {
  native_test::PlanRecord arc;
  arc.kind = '2';
  arc.name = "CER001";
  arc.a = 1.0e9;  // centre x
  arc.c = -1.0e9;
  arc.s1 = 100.0;
  EXPECT_EQ(read(header(3, 1) + arc.v400()).mask, kMaskPlan);
  arc.c = -1.0001e9;
  const Read wider = read(header(3, 1) + arc.v400());
  EXPECT_EQ(wider.mask, 0);
  EXPECT_EQ(wider.lines, "= #55 design.txt\n  #124 1\n= #123\n  #143\n  #9 design.txt\n");
}

TEST(NativeReaderLimits, AnOverlapOfOneMillimetreIsRoundingAndMoreGoesBackwards) {
  EXPECT_EQ(
      read(header(3, 2) + line_record("A", 0.0, 100.0).v400() + line_record("B", 99.999, 200.0).v400()).mask,
      kMaskPlan);
  const Read back =
      read(header(3, 2) + line_record("A", 0.0, 100.0).v400() + line_record("B", 99.99, 200.0).v400());
  EXPECT_EQ(back.mask, 0);
  EXPECT_EQ(back.lines, "= #55 design.txt\n  #125 2\n= #123\n  #143\n  #9 design.txt\n");
  // A gap is no reversal: the lookups give a station in it to the element after.
  EXPECT_EQ(
      read(header(3, 2) + line_record("A", 0.0, 100.0).v400() + line_record("B", 150.0, 200.0).v400()).mask,
      kMaskPlan);
  // Nor is an element of length 0.
  EXPECT_EQ(
      read(header(3, 2) + line_record("A", 0.0, 100.0).v400() + line_record("B", 100.0, 100.0).v400()).mask,
      kMaskPlan);
}

TEST(NativeReaderLimits, CrossfallPointsMayShareAStationButNotGoBack) {
  const Read step = read(header(10, 3) + " 0 2.5 -2.5 50 2.5 -2.5 50 4 4\n");
  EXPECT_EQ(step.mask, kMaskCrossfall);
  EXPECT_EQ(step.model.crossfall_count(), 3u);
  const Read back = read(header(10, 3) + " 0 2.5 -2.5 50 2.5 -2.5 49.99 4 4\n");
  EXPECT_EQ(back.mask, 0);
  EXPECT_EQ(back.lines, "= #55 design.txt\n  #125 3\n= #123\n  #283\n  #9 design.txt\n");
}

TEST(NativeReaderLimits, AnOldProfileElementEndingBeforeThePreviousOneGoesBackwards) {
  const std::string old_header = native_test::old_header(4, 2);
  EXPECT_EQ(read(old_header + profile_old('1', "G1", 100.0, 101.0, 100.0, 1.0, 0, 0) +
                 profile_old('1', "G2", 200.0, 102.0, 100.0, 1.0, 0, 0))
                .mask,
            kMaskProfile);
  const Read back = read(old_header + profile_old('1', "G1", 100.0, 101.0, 100.0, 1.0, 0, 0) +
                         profile_old('1', "G2", 60.0, 100.6, 40.0, 1.0, 0, 0));
  EXPECT_EQ(back.mask, 0);
  EXPECT_EQ(back.lines, "= #55 design.txt\n  #125 2\n= #123\n  #213\n  #9 design.txt\n");
}

TEST(NativeReaderLimits, ADirectoryIsNotReadAndSaysSo) {
  native_test::use_message_ids();
  const fs::path dir = fs::temp_directory_path() / "corvalinde-reliability-directory.txt";
  fs::create_directories(dir);
  RoadModel model;
  Console console;
  EXPECT_EQ(read_native_design(console, model, dir.string()), 0);
  EXPECT_EQ(listing(console), fmt::format("= #55 {0}\n  #81\n= #123\n  #9 {0}\n", dir.string()));
  fs::remove_all(dir);
}

TEST(ReaderLimits, ANamedPipeIsRefusedAtOnceByBothReaders) {
  native_test::use_message_ids();
  const fs::path pipe =
      fs::temp_directory_path() / ("corvalinde-reliability-pipe-" + std::to_string(::getpid()));
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  RoadModel model;
  Console native;
  EXPECT_EQ(read_native_design(native, model, pipe.string()), 0);
  EXPECT_EQ(listing(native), fmt::format("= #55 {0}\n  #80\n= #123\n  #9 {0}\n", pipe.string()));
  Console landxml;
  EXPECT_EQ(read_landxml(landxml, model, pipe.string()), 0);
  EXPECT_EQ(listing(landxml), fmt::format("= #55 {0}\n  #80\n", pipe.string()));
  fs::remove(pipe);
}

}  // namespace
}  // namespace corvalinde::reliability
