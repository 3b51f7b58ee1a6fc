// corvalinde-cli as a user runs it: exit statuses, error lines, JSON output.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_run_support.h"
#include "import/native_design_writer.h"

namespace corvalinde::cli::testing {
namespace {

namespace fs = std::filesystem;

// A minimal JSON checker: true when text is one well-formed JSON value.
class JsonChecker {
 public:
  explicit JsonChecker(const std::string& text) : s_(text) {}
  bool document() {
    skip();
    if (!value()) return false;
    skip();
    return i_ == s_.size();
  }

 private:
  void skip() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  bool literal(const char* word) {
    const std::string w(word);
    if (s_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }
  bool string() {
    if (s_[i_] != '"') return false;
    for (++i_; i_ < s_.size(); ++i_) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        ++i_;
        if (i_ >= s_.size()) return false;
        if (s_[i_] == 'u') {
          for (int k = 0; k < 4; ++k) {
            if (++i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_]))) return false;
          }
        } else if (std::string("\"\\/bfnrt").find(s_[i_]) == std::string::npos) {
          return false;
        }
      }
    }
    return false;
  }
  bool number() {
    const std::size_t start = i_;
    if (s_[i_] == '-') ++i_;
    while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' ||
                              s_[i_] == 'e' || s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-')) {
      ++i_;
    }
    return i_ > start;
  }
  template <typename Item>
  bool sequence(char close, Item item) {
    ++i_;
    skip();
    if (i_ < s_.size() && s_[i_] == close) return ++i_, true;
    while (i_ < s_.size()) {
      if (!item()) return false;
      skip();
      if (i_ < s_.size() && s_[i_] == close) return ++i_, true;
      if (i_ >= s_.size() || s_[i_] != ',') return false;
      ++i_;
      skip();
    }
    return false;
  }
  bool value() {
    if (i_ >= s_.size()) return false;
    switch (s_[i_]) {
      case '{':
        return sequence('}', [this] {
          if (!string()) return false;
          skip();
          if (i_ >= s_.size() || s_[i_] != ':') return false;
          ++i_;
          skip();
          return value();
        });
      case '[':
        return sequence(']', [this] { return value(); });
      case '"':
        return string();
      case 't':
        return literal("true");
      case 'f':
        return literal("false");
      case 'n':
        return literal("null");
      default:
        return number();
    }
  }
  const std::string& s_;
  std::size_t i_ = 0;
};

class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("corvalinde-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A short design: a line, a clothoid into a left arc; one grade; crossfall.
  fs::path write_design(const std::string& name) {
    RoadModel model;
    PlanElement line;
    line.name = "D1";
    line.end_station = 100.0;
    line.end_x = 100.0;
    line.geometry = LineGeometry{0.0, 1.0, 0.0, 0.0};
    model.set_plan({line});
    ProfileElement grade;
    grade.kind = kProfileGrade;
    grade.name = "G1";
    grade.end_station = 100.0;
    grade.start_elevation = 500.0;
    grade.end_elevation = 502.0;
    grade.grade_or_radius = 2.0;
    model.set_profile({grade});
    model.set_crossfall({{0.0, 2.5, -2.5}, {100.0, 2.5, -2.5}});
    const fs::path path = dir_ / name;
    EXPECT_EQ(write_native_design(model, path.string()), NativeWriteStatus::kOk);
    return path;
  }

  CliResult run(const std::string& args) { return run_cli(args, dir_, dir_ / "config"); }

  fs::path dir_;
};

TEST_F(CliEndToEnd, MissingFileDirectoryAndUsageErrors) {
  CliResult r = run("no-such-file.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("no-such-file.txt"), std::string::npos);
  EXPECT_EQ(r.out, "");

  fs::create_directories(dir_ / "folder.txt");
  r = run("folder.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("directory"), std::string::npos);

  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("--analyses plan,nothing x.txt").status, 2);
  r = run("--standard ARP --category T80 --lanes 2x2 x.txt");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--standard VSA --category AU110 --lanes 2x2"), std::string::npos)
      << "the error lists what is offered: " << r.err;

  r = run("--help");
  EXPECT_EQ(r.status, 0);
  for (const char* option :
       {"--type", "--road-type", "--standard", "--analyses", "--lane-width", "--median-width",
        "--side-clearance", "--alignment", "--lang", "--format", "--raw", "--fail-on-findings", "Example"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
}

TEST_F(CliEndToEnd, ReadsANativeDesignAndWritesIdsLines) {
  write_design("road.txt");
  const CliResult r = run("--lang ids --analyses none road.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("#55 road.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#141 1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#211 1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#281 1"), std::string::npos) << r.out;
}

TEST_F(CliEndToEnd, GarbageFileYieldsNothingAndStatusOne) {
  std::ofstream(dir_ / "garbage.txt") << "this is not a road design\n";
  const CliResult r = run("--lang ids garbage.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find('#'), std::string::npos) << "the reader says why on the console";
}

TEST_F(CliEndToEnd, JsonDocumentIsValidAndCarriesTheRun) {
  write_design("road.txt");
  const CliResult r = run("--lang ids --format json --road-type 3 --analyses none road.txt");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(JsonChecker(r.out).document()) << r.out;
  EXPECT_EQ(r.out.rfind("{\"schema_version\":1,\"runs\":[\n{", 0), 0U) << r.out;
  EXPECT_NE(r.out.find("\"file\":\"road.txt\""), std::string::npos);
  EXPECT_NE(r.out.find("\"file_type\":1"), std::string::npos);
  EXPECT_NE(r.out.find("\"mask\":7"), std::string::npos);
  EXPECT_NE(r.out.find("\"road_type\":3"), std::string::npos);
}

TEST_F(CliEndToEnd, SelectionIsStoredOnlyWhenAsked) {
  write_design("road.txt");
  const fs::path ini = dir_ / "config" / "Corvalinde" / "Corvalinde.ini";
  EXPECT_EQ(run("--road-type 5 --analyses none road.txt").status, 0);
  EXPECT_FALSE(fs::exists(ini) && read_file(ini).find("256=") != std::string::npos);
  EXPECT_EQ(run("--road-type 5 --lane-width 2.5 --analyses plan --save-selection road.txt").status, 0);
  const std::string stored = read_file(ini);
  // Code 5 (ARP R80 2x2) allows 3.50 only: the lane width becomes 35.
  EXPECT_NE(stored.find("256=050001000000000000002300002851"), std::string::npos) << stored;
  const CliResult again = run("--format json --analyses none road.txt");
  EXPECT_NE(again.out.find("\"road_type\":5"), std::string::npos) << "the stored selection is the default";
}

TEST_F(CliEndToEnd, PointsWriteTheRoadModelAsCsvInStationOrder) {
  // 100 m east, then a quarter circle of R 100 to the left, from station
  // 1 000; the designer's stations jump from 1 050 to 2 000.
  std::ofstream(dir_ / "road.xml")
      << "<?xml version=\"1.0\"?><LandXML><Units><Metric linearUnit=\"meter\"/></Units><Alignments>"
         "<Alignment name=\"A\" staStart=\"1000\"><CoordGeom>"
         "<Line><Start>0 0</Start><End>0 100</End></Line>"
         "<Curve rot=\"ccw\"><Start>0 100</Start><Center>100 100</Center><End>100 200</End></Curve>"
         "</CoordGeom><StaEquation staBack=\"1050\" staAhead=\"2000\" staInternal=\"1050\"/>"
         "</Alignment></Alignments></LandXML>\n";
  const CliResult r = run("--lang ids --points 50 road.xml");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("#62 1050.0000 1050.000 2000.0000"), std::string::npos)
      << "reader lines on stderr: " << r.err;
  const std::string expected =
      "station,display_station,easting,northing,elevation,direction,curvature,grade,crossfall_left,"
      "crossfall_right,event\n"
      "1000.0000,1000.0000,0.0000,0.0000,,100.000000,0.000000000,,,,start 1\n"
      "1050.0000,2000.0000,50.0000,0.0000,,100.000000,0.000000000,,,,\n"
      "1100.0000,2050.0000,100.0000,0.0000,,100.000000,0.000000000,,,,end 1\n"
      "1100.0000,2050.0000,100.0000,0.0000,,100.000000,0.010000000,,,,start 2\n"
      "1150.0000,2100.0000,147.9426,12.2417,,68.169011,0.010000000,,,,\n"
      "1200.0000,2150.0000,184.1471,45.9698,,36.338023,0.010000000,,,,\n"
      "1250.0000,2200.0000,199.7495,92.9263,,4.507034,0.010000000,,,,\n"
      "1257.0796,2207.0796,200.0000,100.0000,,0.000000,0.010000000,,,,end 2\n";
  EXPECT_EQ(r.out, expected);
  // --output writes the same table to a file; it needs --points.
  EXPECT_EQ(run("--lang ids --points 50 --output axis.csv road.xml").status, 0);
  EXPECT_EQ(read_file(dir_ / "axis.csv"), expected);
  EXPECT_EQ(run("--output axis.csv road.xml").status, 2);
  EXPECT_EQ(run("--points -1 road.xml").status, 2);
}

TEST_F(CliEndToEnd, PlotsWriteEachDiagramOrSayTheyAreMissing) {
  write_design("road.txt");
#ifdef CORVALINDE_HAVE_DIAGRAMS
  const CliResult r = run("--plots out --plot-range 10:90 road.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name :
       {"out/road-1-plan.svg", "out/road-1-long-section.svg", "out/road-1-operating-speed.svg",
        "out/road-1-stopping-sight.svg", "out/road-1-passing.svg"})
    EXPECT_NE(read_file(dir_ / name).find("</svg>"), std::string::npos) << name;
  EXPECT_EQ(run("--plots out --plot-format png --alignment A/1 road.txt").status, 0);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "out/road-A_1-plan.png"));
  EXPECT_EQ(run("--plots out --plot-range 90:10 road.txt").status, 2);
  EXPECT_EQ(run("--plots out --plot-range -1e308:1e308 road.txt").status, 0) << "clipped to the road";
  // Two designs of one name in two folders: the second's diagrams are numbered, not written over.
  fs::create_directories(dir_ / "other");
  fs::copy_file(dir_ / "road.txt", dir_ / "other/road.txt");
  ASSERT_EQ(run("--plots both road.txt other/road.txt").status, 0);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "both/road-1-plan.svg"));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "both/road-1-2-plan.svg"));
#else
  const CliResult r = run("--plots out road.txt");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("not available in this build"), std::string::npos) << r.err;
#endif
  EXPECT_EQ(run("--plot-format png road.txt").status, 2) << "needs --plots";
}

TEST_F(CliEndToEnd, ReportCarriesTheFilesDigestOrSaysWhatThisBuildLacks) {
  write_design("road.txt");
  const CliResult r = run("--lang ids --format json --report out.html road.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::size_t key = r.out.find("\"file_sha256\":\"");
  ASSERT_NE(key, std::string::npos);
  const std::string digest = r.out.substr(key + 15, 64);
  const std::string html = read_file(dir_ / "out.html");
  EXPECT_NE(html.find("<td class=\"hash\">" + digest + "</td>"), std::string::npos) << digest;
  EXPECT_NE(html.find("</html>"), std::string::npos);
  EXPECT_EQ(run("--report out.txt road.txt").status, 2) << "HTML or PDF only";
#ifdef CORVALINDE_HAVE_DIAGRAMS
  EXPECT_NE(html.find("<svg"), std::string::npos);
  ASSERT_EQ(run("--report out.pdf road.txt").status, 0);
  EXPECT_EQ(read_file(dir_ / "out.pdf").rfind("%PDF", 0), 0u);
#else
  EXPECT_NE(html.find("#259"), std::string::npos) << "the diagrams are missing, and it says so";
  EXPECT_EQ(run("--report out.pdf road.txt").status, 2);
#endif
  EXPECT_EQ(run("--report missing/out.html road.txt").status, 1);
}

}  // namespace
}  // namespace corvalinde::cli::testing
