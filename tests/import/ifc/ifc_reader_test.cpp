// The IFC alignment reader: units, and the shared IFC files against their
// own segment start points and against the independent tables and LandXML
// sources they come with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "analysis/alignment_review.h"
#include "import/content_digest.h"
#include "import/ifc/ifc_reader.h"
#include "import/ifc/ifc_units.h"
#include "import/landxml_test_support.h"
#include "import/shared_samples.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"

namespace corvalinde {
namespace {

namespace fs = std::filesystem;
using landxml_testing::RecordingInterface;

fs::path ifc_samples() {
  return fs::path(CORVALINDE_SHARED_SAMPLES_DIR) / "ifc";
}

std::string step_text(const std::string& data) {
  return "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('IFC4X3_ADD2'));\nENDSEC;\nDATA;\n" + data +
         "ENDSEC;\nEND-ISO-10303-21;\n";
}

IfcUnits units_of(const std::string& data) {
  step::StepFile file;
  EXPECT_TRUE(step::read_step_text(step_text(data), file).ok());
  return read_ifc_units(file);
}

TEST(IfcUnits, PrefixesConversionsAndAngles) {
  const IfcUnits defaults = units_of("#1=IFCPROJECT('x',$,$,$,$,$,$,$,$);\n");
  EXPECT_EQ(defaults.metres_per_length, 1.0);
  EXPECT_EQ(defaults.radians_per_angle, 1.0);

  const IfcUnits milli = units_of(
      "#1=IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n#2=IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.);\n"
      "#3=IFCUNITASSIGNMENT((#2,#1));\n");
  EXPECT_DOUBLE_EQ(milli.metres_per_length, 1e-3);

  // The US survey foot as a length measure, the degree and the grad.
  const IfcUnits feet = units_of(
      "#1=IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);\n#2=IFCMEASUREWITHUNIT(IFCLENGTHMEASURE(0.3048006096012192),#"
      "1);\n"
      "#3=IFCCONVERSIONBASEDUNIT(#9,.LENGTHUNIT.,'US SURVEY FOOT',#2);\n"
      "#4=IFCSIUNIT(*,.PLANEANGLEUNIT.,$,.RADIAN.);\n"
      "#5=IFCMEASUREWITHUNIT(IFCPLANEANGLEMEASURE(0.017453292519943295),#4);\n"
      "#6=IFCCONVERSIONBASEDUNIT(#9,.PLANEANGLEUNIT.,'DEGREE',#5);\n#7=IFCUNITASSIGNMENT((#3,#6));\n");
  EXPECT_DOUBLE_EQ(feet.metres_per_length, 1200.0 / 3937.0);
  EXPECT_DOUBLE_EQ(feet.radians_per_angle, kPi / 180.0);
  EXPECT_EQ(feet.length_name, "US SURVEY FOOT");

  // A conversion that refers to itself is no unit: the default stays.
  const IfcUnits cycle = units_of(
      "#1=IFCMEASUREWITHUNIT(IFCREAL(0.9),#2);\n#2=IFCCONVERSIONBASEDUNIT(#9,.PLANEANGLEUNIT.,'grad',#1);\n"
      "#3=IFCUNITASSIGNMENT((#2));\n");
  EXPECT_EQ(cycle.radians_per_angle, 1.0);
}

// The small alignment and the inputs the fuzzer found: each reads to a
// sound model (a vertical gap ends the profile where it opens, segments
// too short to review are left out).
TEST(IfcReader, TestFilesReadToSoundModels) {
  const fs::path folder = fs::path(CORVALINDE_TEST_DATA_DIR) / "ifc";
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    landxml_testing::use_message_ids();
    RecordingInterface choose(1);
    RoadModel model;
    Console console;
    const int mask = read_ifc(console, model, entry.path().string());
    EXPECT_NE(mask & kMaskPlan, 0) << entry.path();
    landxml_testing::expect_sound_model(model, mask);
    for (const ProfileElement& e : model.profile_elements()) EXPECT_GE(e.end_station, e.start_station);
  }
}

// A child alignment that reuses its parent's plan with a profile of its
// own is offered with a note; one that reuses both layouts is listed once; an
// alignment that aggregates itself has no layout and is not offered.
TEST(IfcReader, AlignmentsSharingTheirParentsLayoutsAreListedOnce) {
  landxml_testing::use_message_ids();
  RecordingInterface choose(2);
  RoadModel model;
  Console console;
  const int mask =
      read_ifc(console, model, (fs::path(CORVALINDE_TEST_DATA_DIR) / "ifc" / "shared-layouts.ifc").string());
  ASSERT_EQ(mask, kMaskPlan | kMaskProfile);
  ASSERT_EQ(choose.choices.size(), 1U);
  EXPECT_EQ(choose.choices.front().items, (std::vector<std::string>{"Parent", "Left track"}));
  // Both offered with the shared plan's length; without referents no start station.
  ASSERT_EQ(choose.alignment_options.size(), 2U);
  for (const AlignmentOption& option : choose.alignment_options) {
    EXPECT_EQ(option.length, std::optional<double>(500.0)) << option.name;
    EXPECT_FALSE(option.start_station) << option.name;
  }
  const std::vector<std::string> lines = landxml_testing::trimmed_lines(console);
  for (const char* note : {"#105 Left track Parent", "#102 Copy Parent"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), note), lines.end()) << note;
  // The child's profile over the parent's plan.
  EXPECT_EQ(model.plan_count(), 1U);
  ASSERT_EQ(model.profile_count(), 1U);
  EXPECT_DOUBLE_EQ(model.profile(1).start_elevation, 101.0);
}

// A vertical clothoid from 1 % to 3 % over 100 m whose curvature grows to
// 1/2500: read as the parabola of its mean radius (5000 m), which is said,
// as are its sharper radius and the height where the next grade starts. A
// "constant" gradient ending at another gradient is read at its start, and said.
TEST(IfcReader, VerticalSegmentsReadApproximatelyAreSaid) {
  landxml_testing::use_message_ids();
  RecordingInterface choose(1);
  RoadModel model;
  Console console;
  const std::string data =
      "#1=IFCALIGNMENT('a',$,'Main',$,$,$,$,$);\n#2=IFCALIGNMENTHORIZONTAL('b',$,$,$,$,$,$);\n"
      "#3=IFCALIGNMENTVERTICAL('c',$,$,$,$,$,$);\n#4=IFCRELNESTS('d',$,$,$,#1,(#2,#3));\n"
      "#5=IFCCARTESIANPOINT((0.,0.));\n#6=IFCALIGNMENTHORIZONTALSEGMENT($,$,#5,0.,0.,0.,300.,$,.LINE.);\n"
      "#7=IFCALIGNMENTSEGMENT('e',$,$,$,$,$,$,#6);\n#8=IFCRELNESTS('f',$,$,$,#2,(#7));\n"
      "#10=IFCALIGNMENTVERTICALSEGMENT($,$,0.,100.,50.,0.01,0.01,$,.CONSTANTGRADIENT.);\n"
      "#11=IFCALIGNMENTVERTICALSEGMENT($,$,100.,100.,51.,0.01,0.03,2500.,.CLOTHOID.);\n"
      "#12=IFCALIGNMENTVERTICALSEGMENT($,$,200.,100.,52.6666667,0.03,0.031,$,.CONSTANTGRADIENT.);\n"
      "#13=IFCALIGNMENTSEGMENT('g',$,$,$,$,$,$,#10);\n#14=IFCALIGNMENTSEGMENT('h',$,$,$,$,$,$,#11);\n"
      "#15=IFCALIGNMENTSEGMENT('i',$,$,$,$,$,$,#12);\n#16=IFCRELNESTS('j',$,$,$,#3,(#13,#14,#15));\n";
  ASSERT_EQ(read_ifc_text(console, model, step_text(data), "clothoid.ifc"), kMaskPlan | kMaskProfile);
  ASSERT_EQ(model.profile_count(), 3U);
  const ProfileElement& curve = model.profile(2);
  EXPECT_EQ(curve.kind, kProfileParabola);
  EXPECT_NEAR(curve.grade_or_radius, 5000.0, 1e-6);
  EXPECT_NEAR(curve.end_elevation, 53.0, 1e-9);
  const std::vector<std::string> lines = landxml_testing::trimmed_lines(console);
  for (const char* said : {"#118 100.0000 2500.0000", "#103 CLOTHOID 200.0000 0.3333", "#216 CLOTHOID 1",
                           "#119 200.0000 3.1000 3.0000"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), said), lines.end()) << said;
}

struct Alignments {
  std::vector<RoadModel> models;
  std::vector<std::vector<std::string>> listings;
};

// Reads every alignment of an IFC or LandXML file, one after the other,
// with the message-id table.
Alignments read_every_alignment(const fs::path& path) {
  landxml_testing::use_message_ids();
  Alignments all;
  for (int n = 1;; ++n) {
    RecordingInterface choose(n);
    RoadModel model;
    Console console;
    const int mask = path.extension() == ".ifc" ? read_ifc(console, model, path.string())
                                                : read_landxml(console, model, path.string());
    const std::size_t offered = choose.choices.empty() ? 1 : choose.choices.front().items.size();
    if ((mask & kMaskPlan) == 0 || static_cast<std::size_t>(n) > offered) break;
    all.models.push_back(std::move(model));
    all.listings.push_back(landxml_testing::trimmed_lines(console));
    if (offered == 1) break;
  }
  return all;
}

double computed_end_miss(const PlanElement& e) {
  AxisPoint end;
  EXPECT_TRUE(evaluate_plan_element(e, e.end_station, end));
  return point_distance({end.x, end.y}, {e.end_x, e.end_y});
}

std::size_t horizontal_segments_with_length(const fs::path& path) {
  step::StepFile file;
  EXPECT_TRUE(step::read_step_file(path, file).ok());
  std::size_t count = 0;
  for (const step::StepInstance* s : file.instances_of("IFCALIGNMENTHORIZONTALSEGMENT")) {
    if (file.attribute(*s, 6).measure().value_or(0.0) > 0.0) ++count;
  }
  return count;
}

// Every alignment of every file, with every horizontal segment, each ending
// within 1 mm of where the file starts the next and on its shape. The Finnish file's Helmert
// curves are the exception the reader reports: their neighbours' points
// follow the quartic parabola of the LandXML the file was converted from.
TEST(IfcSamples, EveryAlignmentReadsWholeAndEndsWhereTheNextSegmentStarts) {
  CORVALINDE_NEED_SHARED_SAMPLE(ifc_samples());
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(ifc_samples())) {
    if (entry.path().extension() != ".ifc") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    const bool helmert_from_parabola = name.find("helmert") != std::string::npos;
    const Alignments all = read_every_alignment(entry.path());
    ASSERT_FALSE(all.models.empty()) << name;
    std::size_t elements = 0;
    for (std::size_t a = 0; a < all.models.size(); ++a) {
      const RoadModel& model = all.models[a];
      elements += model.plan_count();
      for (const PlanElement& e : model.plan_elements()) {
        if (helmert_from_parabola && e.kind() == kPlanTransition) {
          // Each one that misses is said on its own line.
          const std::vector<std::string>& lines = all.listings[a];
          const bool said = std::any_of(lines.begin(), lines.end(), [&e](const std::string& line) {
            return line.rfind("#57 " + e.name + " ", 0) == 0;
          });
          EXPECT_EQ(said, computed_end_miss(e) > 5e-3) << name << " " << e.name;
          continue;
        }
        EXPECT_LE(computed_end_miss(e), 1e-3) << name << " alignment " << a + 1 << " " << e.name;
      }
      // Where the file's shape could be compared, it agrees with the model,
      // unless vertical circular arcs, read as parabolas, move their ends.
      const bool circular_profile = name.find("varc") != std::string::npos;
      for (const std::string& line : all.listings[a]) {
        EXPECT_TRUE(helmert_from_parabola || circular_profile || line.rfind("#116 ", 0) != 0)
            << name << ": " << line;
      }
    }
    EXPECT_EQ(elements, horizontal_segments_with_length(entry.path())) << name;
  }
  EXPECT_EQ(files, 10);
}

// Everything a reading leaves: the model's plan and profile, and the lines.
std::string reading_of(const RoadModel& model, const Console& console) {
  std::string out;
  for (const PlanElement& e : model.plan_elements()) {
    out += fmt::format("P {} {} {} {} {} {} {} {} {}\n", e.name, e.kind(), e.start_station, e.start_x,
                       e.start_y, e.end_station, e.end_x, e.end_y, fmt::join(e.geometry_numbers(), " "));
  }
  for (const ProfileElement& e : model.profile_elements()) {
    out +=
        fmt::format("V {} {} {} {} {} {} {} {}\n", e.kind, e.start_station, e.start_elevation, e.end_station,
                    e.end_elevation, e.grade_or_radius, e.vertex_station, e.vertex_elevation);
  }
  for (const std::string& line : landxml_testing::trimmed_lines(console)) out += line + "\n";
  return out;
}

// The alignments of one file read at once on their own threads from one
// shared reading give what separate readings of the file give, and the
// digest of the bytes the reading read.
TEST(IfcSamples, AlignmentsReadConcurrentlyFromOneReadingAsFromTheFile) {
  const fs::path path = ifc_samples() / "12d_m_3alignments_line-arc_vcg-vparabolic_geom.ifc";
  CORVALINDE_NEED_SHARED_SAMPLE(path);
  landxml_testing::use_message_ids();
  const std::shared_ptr<const ParsedIfc> parsed = parse_ifc_file(path.string());
  ASSERT_NE(parsed, nullptr);
  ContentDigest whole_file;
  whole_file.add((std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str());
  EXPECT_EQ(parsed->sha256, whole_file.finish());
  constexpr int kAlignments = 3;
  std::vector<std::string> shared(kAlignments);
  {
    std::vector<std::jthread> readers;
    for (int k = 0; k < kAlignments; ++k) {
      readers.emplace_back([&parsed, &path, &shared, k] {
        const RecordingInterface choose(k + 1);
        RoadModel model;
        Console console;
        static_cast<void>(read_ifc(console, model, *parsed, path.string()));
        shared[static_cast<std::size_t>(k)] = reading_of(model, console);
      });
    }
  }
  for (int k = 0; k < kAlignments; ++k) {
    const RecordingInterface choose(k + 1);
    RoadModel model;
    Console console;
    std::string sha256;
    EXPECT_EQ(read_ifc(console, model, path.string(), &sha256), kMaskPlan | kMaskProfile);
    EXPECT_EQ(shared[static_cast<std::size_t>(k)], reading_of(model, console)) << "alignment " << k + 1;
    EXPECT_EQ(sha256, parsed->sha256);
  }
  EXPECT_NE(shared[0], shared[1]);
}

std::vector<std::vector<std::string>> csv_rows(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream stream(line);
    std::string cell;
    while (std::getline(stream, cell, ',')) cells.push_back(cell);
    if (line.back() == ',') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

TEST(IfcSamples, Stn01MatchesItsDesignTables) {
  const std::string stem = "acca-usbim_m_stn01-rail_line-clothoid-arc_vcg-varc_cant_geom";
  const fs::path file = ifc_samples() / (stem + ".ifc");
  CORVALINDE_NEED_SHARED_SAMPLE(file);
  const Alignments all = read_every_alignment(file);
  ASSERT_EQ(all.models.size(), 1U);
  const RoadModel& model = all.models.front();
  const double start_station = -153.1;  // the stationing table's first value

  const auto horizontal = csv_rows(ifc_samples() / "expected" / (stem + "__Alignment_horizontal.csv"));
  ASSERT_EQ(model.plan_count(), horizontal.size());
  for (std::size_t i = 0; i < horizontal.size(); ++i) {
    const auto& row = horizontal[i];
    const PlanElement& e = model.plan(i + 1);
    AxisPoint start;
    ASSERT_TRUE(evaluate_plan_element(e, e.start_station, start));
    EXPECT_NEAR(start.x, std::stod(row[3]), 1e-3) << row[2];
    EXPECT_NEAR(start.y, std::stod(row[4]), 1e-3) << row[2];
    const double heading = normalize_angle(start.normal_direction + kPi / 2.0);
    EXPECT_NEAR(heading, std::stod(row[5]), 1e-8) << row[2];
    EXPECT_NEAR(e.end_station - e.start_station, std::stod(row[8]), 1e-4) << row[2];
  }
  EXPECT_NEAR(model.plan(1).start_station, start_station, 1e-9);
  // Its 23 referents mark the running stations: no equation.
  EXPECT_TRUE(model.station_equations().equations.empty());

  const auto vertical = csv_rows(ifc_samples() / "expected" / (stem + "__Alignment_vertical.csv"));
  ASSERT_EQ(model.profile_count(), vertical.size());
  for (std::size_t i = 0; i < vertical.size(); ++i) {
    const auto& row = vertical[i];
    const ProfileElement& e = model.profile(i + 1);
    EXPECT_NEAR(e.start_station, start_station + std::stod(row[3]), 1e-3) << row[2];
    EXPECT_NEAR(e.start_elevation, std::stod(row[5]), 1e-3) << row[2];
    if (row[1] == "CONSTANTGRADIENT") {
      EXPECT_EQ(e.kind, kProfileGrade);
      EXPECT_NEAR(e.grade_or_radius / 100.0, std::stod(row[6]), 0.5e-4) << row[2];
    } else {
      EXPECT_EQ(e.kind, kProfileParabola);
      EXPECT_DOUBLE_EQ(std::fabs(e.grade_or_radius), std::fabs(std::stod(row[8]))) << row[2];
      // Its start grade is the table's.
      EXPECT_NEAR((e.start_station - e.vertex_station) / e.grade_or_radius, std::stod(row[6]), 0.5e-4);
    }
  }
}

// The lines of a plan review that are findings (element rows, which print
// stations to 0.1 mm, left out).
std::vector<std::string> review_findings(const RoadModel& model) {
  Console console;
  horizontal_alignment_review(console, model, 3);
  std::vector<std::string> findings;
  for (const std::string& line : landxml_testing::trimmed_lines(console)) {
    if (line.rfind("#157 ", 0) != 0) findings.push_back(line);
  }
  return findings;
}

// AL01 as converted to IFC and as its LandXML source: the same elements
// ending at the same points, and the same plan review on every alignment
// (the LandXML radii, computed from rounded coordinates, lie a hair off the
// designer's figures that the IFC file carries, at limits such as 900 m).
TEST(IfcSamples, Al01ReadsAsItsLandXmlSource) {
  const std::string stem = "oda_m_al01-sbb-11alignments_line-clothoid-arc_vcg-varc_cant_geom";
  const fs::path ifc = ifc_samples() / (stem + ".ifc");
  const fs::path xml = ifc_samples() / "expected" / (stem + "__BC001_Alignment.xml");
  CORVALINDE_NEED_SHARED_SAMPLE(ifc);
  CORVALINDE_NEED_SHARED_SAMPLE(xml);
  const Alignments from_ifc = read_every_alignment(ifc);
  const Alignments from_xml = read_every_alignment(xml);
  ASSERT_EQ(from_ifc.models.size(), 11U);
  ASSERT_EQ(from_xml.models.size(), from_ifc.models.size());
  int same_reviews = 0;
  for (std::size_t a = 0; a < from_ifc.models.size(); ++a) {
    const RoadModel& i = from_ifc.models[a];
    const RoadModel& x = from_xml.models[a];
    ASSERT_EQ(i.plan_count(), x.plan_count()) << "alignment " << a + 1;
    for (std::size_t k = 1; k <= i.plan_count(); ++k) {
      const PlanElement& p = i.plan(k);
      const PlanElement& q = x.plan(k);
      EXPECT_EQ(p.kind(), q.kind()) << p.name;
      AxisPoint pe;
      AxisPoint qe;
      ASSERT_TRUE(evaluate_plan_element(p, p.end_station, pe) && evaluate_plan_element(q, q.end_station, qe));
      EXPECT_LE(point_distance({pe.x, pe.y}, {qe.x, qe.y}), 1e-3) << "alignment " << a + 1 << " " << p.name;
      EXPECT_NEAR(p.end_station, q.end_station, 1e-3) << p.name;
    }
    if (review_findings(i) == review_findings(x)) ++same_reviews;
  }
  EXPECT_EQ(same_reviews, 11);
}

}  // namespace
}  // namespace corvalinde
