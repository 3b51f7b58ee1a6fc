// Pieces shared by the LandXML reader tests: the message-id table, a
// user-interface port that records the choices it is offered, a small builder
// of LandXML texts, one call that reads a text into a fresh model, and the
// checks every read model must pass.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "import/landxml/landxml_reader.h"
#include "output/console.h"
#include "road/road_model.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde::landxml_testing {

// Switches the process to the message-id table once ("#N value ...").
inline void use_message_ids() {
  static const bool done = [] {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 1);
    return true;
  }();
  (void)done;
}

// Records every choice offered and answers with `answer` (0 cancels).
class RecordingInterface final : public UserInterface {
 public:
  struct Choice {
    std::string title;
    std::vector<std::string> items;
  };
  explicit RecordingInterface(int answer = 1) : answer_(answer) { previous_ = set_user_interface(this); }
  ~RecordingInterface() override { set_user_interface(previous_); }
  RecordingInterface(const RecordingInterface&) = delete;
  RecordingInterface& operator=(const RecordingInterface&) = delete;

  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override {
    choices.push_back({std::string(title), items});
    const auto specific = answers.find(std::string(title));
    return specific != answers.end() ? specific->second : answer_;
  }
  int choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) override {
    alignment_options = options;
    return UserInterface::choose_alignment(title, options);
  }
  void progress_window(int value, std::string_view) override { progress.push_back(value); }
  int message_window(const std::vector<std::string>&, int, const std::vector<std::string>&) override {
    return 1;
  }

  std::vector<Choice> choices;
  std::vector<AlignmentOption> alignment_options;  // of the last alignment choice
  std::vector<int> progress;
  std::map<std::string, int> answers;  // answers for particular titles

 private:
  int answer_;
  UserInterface* previous_ = nullptr;
};

// A LandXML document: declaration, units and the given body inside LandXML.
inline std::string landxml(std::string_view body,
                           std::string_view units = R"(<Metric linearUnit="meter"/>)") {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LandXML version=\"1.2\">\n<Units>") +
         std::string(units) + "</Units>\n" + std::string(body) + "\n</LandXML>\n";
}

// One alignment named `name` with the given CoordGeom children and more
// children after the CoordGeom (a Profile...).
inline std::string alignment(std::string_view name, std::string_view coord_geom, std::string_view more = {},
                             std::string_view attributes = {}) {
  return std::string("<Alignment name=\"") + std::string(name) + "\" " + std::string(attributes) +
         ">\n<CoordGeom>\n" + std::string(coord_geom) + "</CoordGeom>\n" + std::string(more) +
         "</Alignment>\n";
}

inline std::string alignments(std::string_view content) {
  return "<Alignments>\n" + std::string(content) + "</Alignments>\n";
}

// A point written as LandXML writes it: northing first.
inline std::string point(const char* element, double x, double y) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "<%s>%.6f %.6f</%s>", element, y, x, element);
  return buffer;
}

inline std::string line(double x1, double y1, double x2, double y2) {
  return "<Line>" + point("Start", x1, y1) + point("End", x2, y2) + "</Line>\n";
}

// An arc from (x1, y1) to (x2, y2) around (cx, cy); rot "ccw" or "cw".
inline std::string curve(double x1, double y1, double cx, double cy, double x2, double y2, const char* rot) {
  return std::string("<Curve rot=\"") + rot + "\">" + point("Start", x1, y1) + point("Center", cx, cy) +
         point("End", x2, y2) + "</Curve>\n";
}

inline std::string profile(std::string_view prof_aligns) {
  return "<Profile>\n" + std::string(prof_aligns) + "</Profile>\n";
}

struct ReadResult {
  int mask = 0;
  RoadModel model;
  std::vector<std::string> lines;  // console lines without trailing blanks

  bool has_line(std::string_view text) const {
    for (const std::string& l : lines) {
      if (l == text) return true;
    }
    return false;
  }
  bool has_line_starting(std::string_view prefix) const {
    for (const std::string& l : lines) {
      if (l.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  std::string all_lines() const {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
  }
};

inline std::vector<std::string> trimmed_lines(const Console& console) {
  std::vector<std::string> lines;
  for (const ConsoleLine& l : console.lines()) {
    std::string text = l.text;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    lines.push_back(text);
  }
  return lines;
}

// Reads the text with the message-id table; choices go to the installed port.
inline ReadResult read_text(const std::string& text, std::string_view file_name = "test.xml") {
  use_message_ids();
  ReadResult result;
  Console console;
  result.mask = read_landxml_text(console, result.model, text, file_name);
  result.lines = trimmed_lines(console);
  return result;
}

// The invariants of every model the reader builds.
inline void expect_sound_model(const RoadModel& model, int mask) {
  EXPECT_EQ(model.has_plan(), (mask & kMaskPlan) != 0);
  EXPECT_EQ(model.has_profile(), (mask & kMaskProfile) != 0);
  EXPECT_EQ(model.has_crossfall(), (mask & kMaskCrossfall) != 0);
  const auto& plan = model.plan_elements();
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_GE(plan[i].end_station - plan[i].start_station, 1e-4 * 0.999) << plan[i].name;
    if (i > 0) {
      EXPECT_EQ(plan[i].start_station, plan[i - 1].end_station) << plan[i].name;
    }
    for (const double v : plan[i].geometry_numbers()) EXPECT_TRUE(std::isfinite(v)) << plan[i].name;
  }
  const auto& profile = model.profile_elements();
  for (std::size_t i = 1; i < profile.size(); ++i) {
    EXPECT_NEAR(profile[i].start_station, profile[i - 1].end_station, 1e-3) << profile[i].name;
  }
  const auto& points = model.crossfall_points();
  if (!points.empty()) {
    EXPECT_GE(points.size(), 2U);
  }
  for (std::size_t i = 1; i < points.size(); ++i) EXPECT_GT(points[i].station, points[i - 1].station);
}

}  // namespace corvalinde::landxml_testing
