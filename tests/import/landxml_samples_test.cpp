// Every real LandXML file of the shared samples folder is read, alignment by
// alignment, and its tables are checked against what the file itself says:
// element counts and stations, the plan's own geometry meeting the file's
// points, plain PVIs lying on the profile, and what could not be read being
// named. The files are read where they lie; the test skips without them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_document.h"
#include "import/landxml/landxml_plan.h"
#include "import/landxml/landxml_profile.h"
#include "import/landxml/landxml_text.h"
#include "landxml_test_support.h"
#include "output/road_model_export.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"
#include "shared_samples.h"

namespace corvalinde {
namespace {

namespace fs = std::filesystem;
using namespace landxml_testing;

// Where a plan element, evaluated from its stored geometry, may lie off the
// file's own start and end points (the files round their coordinates and
// spiral lengths to a fraction of a millimetre).
constexpr double kPointTolerance = 0.001;

// The largest distance met between an element's `end N` row of the
// road-model export and the file's end point, per kind (transitions other
// than the clothoid by their type).
std::map<std::string, double> largest_end_offset;

fs::path samples_folder() {
  return fs::path(CORVALINDE_SHARED_SAMPLES_DIR) / "landxml";
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Answers the alignment choice with a given number, every other with 1.
class AlignmentPicker final : public UserInterface {
 public:
  explicit AlignmentPicker(int alignment) : alignment_(alignment) { previous_ = set_user_interface(this); }
  ~AlignmentPicker() override { set_user_interface(previous_); }
  AlignmentPicker(const AlignmentPicker&) = delete;
  AlignmentPicker& operator=(const AlignmentPicker&) = delete;
  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override {
    if (title == "#144") alignment_candidates = static_cast<int>(items.size());
    return title == "#144" ? alignment_ : 1;
  }
  void progress_window(int, std::string_view) override {}
  int message_window(const std::vector<std::string>&, int, const std::vector<std::string>&) override {
    return 1;
  }
  int alignment_candidates = 1;

 private:
  int alignment_;
  UserInterface* previous_ = nullptr;
};

PlanePoint point_on(const PlanElement& element, double s) {
  RoadModel model;
  model.set_plan({element});
  AxisPoint p;
  (void)evaluate_axis_point(model, s, 1, nullptr, p);
  return {p.x, p.y};
}

bool named(const XmlElement& e, std::string_view name) {
  return e.name != nullptr && name == e.name;
}

std::vector<const XmlElement*> children_named(const XmlElement& parent, std::string_view name) {
  std::vector<const XmlElement*> out;
  int index = 0;
  while (const XmlElement* child = next_element(parent, index)) {
    if (named(*child, name)) out.push_back(child);
  }
  return out;
}

// The Alignment element the reader showed as `shown`.
const XmlElement* alignment_shown(const LandXmlDocument& document, std::string_view shown) {
  for (const XmlElement* group : children_named(*document.landxml, "Alignments")) {
    for (const XmlElement* a : children_named(*group, "Alignment")) {
      if (display_name(attribute_text(*a, "name"), document.encoding, kDisplayNameWidth) == shown) return a;
    }
  }
  return nullptr;
}

std::string shown_name(const ReadResult& r, std::string_view prefix) {
  for (const std::string& l : r.lines) {
    if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
  }
  return {};
}

std::string kind_label(const PlanElement& e) {
  if (const TransitionCurve* t = e.transition()) return std::string(transition_law_name(t->law()));
  return e.kind() == kPlanLine ? "line" : e.kind() == kPlanArc ? "arc" : "clothoid";
}

// The `end N` rows of the road-model export (no step) lie within 1 mm of the
// file's End points (the elements' end points as read).
void check_exported_ends(const RoadModel& model) {
  std::ostringstream out;
  ASSERT_EQ(write_road_model_points(model, 0.0, out), PointsStatus::kOk);
  std::istringstream rows(out.str());
  std::string row;
  std::getline(rows, row);  // the header
  std::size_t ends = 0;
  while (std::getline(rows, row)) {
    std::vector<std::string> fields;
    std::istringstream cells(row);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    if (fields.size() != 11 || fields[10].rfind("end ", 0) != 0) continue;
    const PlanElement& e = model.plan(std::stoul(fields[10].substr(4)));
    const double miss = point_distance({std::stod(fields[2]), std::stod(fields[3])}, {e.end_x, e.end_y});
    EXPECT_LE(miss, kPointTolerance) << e.name;
    double& largest = largest_end_offset[kind_label(e)];
    largest = std::max(largest, miss);
    ++ends;
  }
  EXPECT_EQ(ends, model.plan_count());
}

// What the plan of the file says: the elements, their lengths and which of
// them are too short to be kept. (Element staStart attributes are not
// compared: some writers' stations do not follow their own lengths.)
void check_plan(const ReadResult& r, const XmlElement& alignment, const LandXmlUnits& units,
                std::string& summary) {
  const XmlElement* coord_geom = child_element(alignment, "CoordGeom");
  ASSERT_NE(coord_geom, nullptr);
  std::vector<const XmlElement*> geometry;
  int index = 0;
  while (const XmlElement* child = next_element(*coord_geom, index)) geometry.push_back(child);
  const bool cut = r.has_line_starting("#146") || r.has_line_starting("#149");
  EXPECT_FALSE(r.has_line_starting("#146")) << "every element of the shared files is of a type read\n"
                                            << r.all_lines();
  EXPECT_FALSE(r.has_line_starting("#149")) << "an element of a handled type could not be read\n"
                                            << r.all_lines();
  const auto& plan = r.model.plan_elements();
  std::size_t short_ones = 0;
  double worst_end = 0.0;
  std::size_t file_index = 0;
  double start = 0.0;
  if (XML_FIND_ATTRIBUTE_REAL8(alignment, "staStart", start)) start *= units.linear;
  if (!plan.empty()) {
    EXPECT_NEAR(plan.front().start_station, start, 1e-9);
  }
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const PlanElement& e = plan[i];
    // Match the element with its child in the file: skipped children are short.
    while (file_index < geometry.size()) {
      PlanePoint a;
      PlanePoint b;
      const bool readable =
          read_landxml_point(child_element(*geometry[file_index], "Start"), units.linear, a.x, a.y) &&
          read_landxml_point(child_element(*geometry[file_index], "End"), units.linear, b.x, b.y);
      if (readable && point_distance(a, {e.start_x, e.start_y}) < 1e-9 &&
          point_distance(b, {e.end_x, e.end_y}) < 1e-9)
        break;
      EXPECT_TRUE(readable && point_distance(a, b) < 1e-3) << "child " << file_index << " left out";
      ++short_ones;
      ++file_index;
    }
    ASSERT_LT(file_index, geometry.size()) << e.name;
    double file_length = 0.0;
    if (XML_FIND_ATTRIBUTE_REAL8(*geometry[file_index], "length", file_length)) {
      EXPECT_NEAR(e.end_station - e.start_station, file_length * units.linear, 0.01) << e.name;
    }
    const PlanePoint s = point_on(e, e.start_station);
    const PlanePoint t = point_on(e, e.end_station);
    const double allowed = kPointTolerance;
    EXPECT_LE(point_distance(s, {e.start_x, e.start_y}), allowed) << e.name;
    EXPECT_LE(point_distance(t, {e.end_x, e.end_y}), allowed) << e.name;
    worst_end = std::max(worst_end, point_distance(t, {e.end_x, e.end_y}));
    if (i > 0) {
      EXPECT_LE(point_distance({plan[i - 1].end_x, plan[i - 1].end_y}, {e.start_x, e.start_y}),
                kPointTolerance);
    }
    ++file_index;
  }
  if (!cut) {
    // Whatever follows the last element kept is too short to keep.
    for (; file_index < geometry.size(); ++file_index) {
      PlanePoint a;
      PlanePoint b;
      EXPECT_TRUE(read_landxml_point(child_element(*geometry[file_index], "Start"), units.linear, a.x, a.y) &&
                  read_landxml_point(child_element(*geometry[file_index], "End"), units.linear, b.x, b.y) &&
                  point_distance(a, b) < 1e-3)
          << "child " << file_index << " left out";
      ++short_ones;
    }
    EXPECT_EQ(plan.size() + short_ones, geometry.size()) << r.all_lines();
    double length = 0.0;
    if (!plan.empty() && XML_FIND_ATTRIBUTE_REAL8(alignment, "length", length) &&
        child_element(alignment, "StaEquation") == nullptr) {
      EXPECT_NEAR(plan.back().end_station - plan.front().start_station, length * units.linear, 0.01);
    }
  } else {
    EXPECT_LT(plan.size(), geometry.size());
  }
  check_exported_ends(r.model);
  summary += " plan " + std::to_string(plan.size()) + "/" + std::to_string(geometry.size()) +
             (cut ? " (ends early)" : "") + fmt::format(", ends within {:.3f} mm", worst_end * 1000.0);
}

// Plain PVIs lie on the profile; the profile runs from the first PVI to the last.
void check_profile(const ReadResult& r, const XmlElement& alignment, const LandXmlUnits& units,
                   std::string& summary) {
  const std::string name = shown_name(r, "#215 ");
  if (!r.model.has_profile()) {
    EXPECT_TRUE(name.empty() || r.has_line_starting("#218")) << r.all_lines();
    return;
  }
  const XmlElement* prof_align = nullptr;
  for (const XmlElement* p : children_named(alignment, "Profile")) {
    for (const XmlElement* pa : children_named(*p, "ProfAlign")) {
      if (prof_align == nullptr) prof_align = pa;  // the reader was answered with the first candidate
    }
  }
  ASSERT_NE(prof_align, nullptr);
  const auto& elements = r.model.profile_elements();
  const bool cut = r.has_line_starting("#217") || r.has_line_starting("#218");
  std::vector<ProfilePoint> pvis;
  std::vector<bool> plain;
  int index = 0;
  while (const XmlElement* child = next_element(*prof_align, index)) {
    if (named(*child, "Feature")) continue;
    std::string_view text = first_text_run(*child);
    double s = 0.0;
    double z = 0.0;
    if (!read_free_format_real(text, s) || !read_free_format_real(text, z)) break;
    pvis.push_back({s * units.linear, z * units.elevation});
    plain.push_back(named(*child, "PVI"));
  }
  ASSERT_GE(pvis.size(), 2U);
  EXPECT_NEAR(elements.front().start_station, pvis.front().station, 1e-3);
  if (!cut) {
    // The last curve may end a little past the last PVI, as the file rounds it.
    EXPECT_NEAR(elements.back().end_station, pvis.back().station, kTouchingCurvesOverlap) << r.all_lines();
  }
  for (std::size_t i = 1; i < elements.size(); ++i) {
    EXPECT_NEAR(elements[i].start_station, elements[i - 1].end_station, 1e-3) << elements[i].name;
    double z1 = 0.0;
    double z2 = 0.0;
    double g = 0.0;
    evaluate_profile_element(elements[i - 1], elements[i - 1].end_station, z1, g);
    evaluate_profile_element(elements[i], elements[i].start_station, z2, g);
    EXPECT_NEAR(z1, z2, 1e-3) << elements[i].name;
  }
  for (std::size_t i = 0; i < pvis.size(); ++i) {
    // (A curve may begin within half a millimetre of the first PVI, leaving
    // no first grade line.)
    if (!plain[i] || pvis[i].station < elements.front().start_station ||
        pvis[i].station > elements.back().end_station) {
      continue;
    }
    const std::size_t at = locate_profile_element(r.model, pvis[i].station);
    ASSERT_GT(at, 0U) << "PVI " << i;
    double z = 0.0;
    double g = 0.0;
    evaluate_profile_element(r.model.profile(at), pvis[i].station, z, g);
    EXPECT_NEAR(z, pvis[i].elevation, 1e-6) << "PVI " << i << " at " << pvis[i].station;
  }
  summary += " profile " + std::to_string(elements.size()) + " from " + std::to_string(pvis.size()) +
             " PVIs" + (cut ? " (ends early)" : "");
}

TEST(LandXmlSamples, EverySharedSampleLoadsAndItsTablesAgreeWithTheFile) {
  const fs::path folder = samples_folder();
  CORVALINDE_NEED_SHARED_SAMPLE(folder);
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".xml") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string text = read_file(file);
    LandXmlDocument document = open_landxml_text(text);
    ASSERT_NE(document.status, LandXmlOpenStatus::kRejected);
    int candidates = 1;
    for (int k = 1; k <= candidates; ++k) {
      SCOPED_TRACE("alignment " + std::to_string(k));
      AlignmentPicker ui(k);
      const ReadResult r = read_text(text, file.filename().string());
      candidates = ui.alignment_candidates;
      expect_sound_model(r.model, r.mask);
      std::string summary = file.filename().string() + " #" + std::to_string(k) + ":";
      if (document.status == LandXmlOpenStatus::kNoAlignments || !r.has_line_starting("#145")) {
        EXPECT_EQ(r.mask, 0);
        EXPECT_TRUE(r.has_line_starting("#142")) << "the file's content is named\n" << r.all_lines();
        summary += " nothing read";
      } else {
        const XmlElement* alignment = alignment_shown(document, shown_name(r, "#145 "));
        ASSERT_NE(alignment, nullptr) << r.all_lines();
        ASSERT_TRUE(r.mask & kMaskPlan) << r.all_lines();
        check_plan(r, *alignment, document.units, summary);
        check_profile(r, *alignment, document.units, summary);
        if (r.model.has_crossfall())
          summary += " crossfall " + std::to_string(r.model.crossfall_count()) + " points";
      }
      for (const std::string& l : r.lines) {
        if (l.rfind("#142 ", 0) == 0 || l.rfind("#146 ", 0) == 0 || l.rfind("#216 ", 0) == 0 ||
            l.rfind("#218 ", 0) == 0 || l.rfind("#147 ", 0) == 0 || l.rfind("#285 ", 0) == 0) {
          summary += " [" + l + "]";
        }
      }
      std::cout << summary << "\n";
    }
  }
  std::cout << "largest end offset of the exported end rows (mm):";
  for (const auto& [kind, offset] : largest_end_offset) std::cout << " " << kind << " " << offset * 1000.0;
  std::cout << "\n";
}

TEST(LandXmlSamples, ProfilesThatEndEarlyAreOnlyThoseWhoseCurvesReallyOverlap) {
  const fs::path file = samples_folder() / "landdesktop-foot-6-alignments-surface.xml";
  CORVALINDE_NEED_SHARED_SAMPLE(file);
  AlignmentPicker ui(5);
  const ReadResult r = read_text(read_file(file));
  // Vertical curves of 150 ft and 200 ft around PVIs 166.8 ft apart cannot both be built.
  EXPECT_TRUE(r.has_line("#218 ParaCurve 168.7343")) << r.all_lines();
  EXPECT_EQ(r.mask, kMaskPlan | kMaskProfile);
}

}  // namespace
}  // namespace corvalinde
