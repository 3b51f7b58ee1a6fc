// Pieces shared by the native design tests: the message-id table, the
// console as readable text, and fixed-column record builders that lay out
// the file's columns independently of the writer under test.
#pragma once

#include <sstream>
#include <string>

#include <fmt/format.h>

#include "import/native_design_reader.h"
#include "output/console.h"
#include "output/utf8.h"
#include "road/road_model.h"
#include "services/message_table.h"

namespace corvalinde::native_test {

// Switches the process to the message-id table once ("#N value ...").
inline void use_message_ids() {
  static const bool done = [] {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 1);
    return true;
  }();
  (void)done;
}

// The console, one line per console line, trailing blanks removed, heading
// lines marked "= ", ordinary lines "  ".
inline std::string listing(const Console& console) {
  std::string out;
  for (const ConsoleLine& line : console.lines()) {
    out += line.heading ? "= " : "  ";
    out += trim_right(line.text);
    out += '\n';
  }
  return out;
}

// Reads `content` as the file "design.txt".
inline int read_text(const std::string& content, RoadModel& model, Console& console) {
  use_message_ids();
  std::istringstream input(content);
  return read_native_design(console, model, input, "design.txt");
}

// Version-400 header: section, 3 blanks, version in 7-9, count in 10-13.
inline std::string header(int section, int count) {
  return fmt::format("{:>3}   400{:>4}\n", section, count);
}
// Older header: section, count in 4-6, version in 7-9, 4 more columns.
inline std::string old_header(int section, int count, int version = 300) {
  return fmt::format("{:>3}{:>3}{:>3}   0\n", section, count, version);
}

inline std::string e23(double v) {
  return fmt::format("{:>23.16E}", v);
}
inline std::string e23_13(double v) {
  return fmt::format("{:>23.13E}", v);
}

struct PlanRecord {
  char kind = '1';
  std::string name = "DRO001";
  char orientation = '1';
  char turn = '1';
  double a = 0, b = 0, c = 0, direction = 0, tau_near = 0, tau_far = 0;
  double s0 = 0, x0 = 0, y0 = 0, s1 = 0, x1 = 0, y1 = 0;

  // Version 400: 126 and 78 columns.
  std::string v400() const {
    return fmt::format("{}{}{}{}{}{}{}{:>16.13f}{:>16.13f}{:>16.13f}\n", kind, utf8_fit(name, 6), orientation,
                       turn, e23(a), e23(b), e23(c), direction, tau_near, tau_far) +
           fmt::format("{:>13.5f}{:>13.5f}{:>13.5f}{:>13.5f}{:>13.5f}{:>13.5f}\n", s0, x0, y0, s1, x1, y1);
  }
  // Older versions: 4-character name after two skipped columns; tau far opens line 2.
  std::string old() const {
    return fmt::format("{}  {}{}{}{}{}{}{:>20.17f}{:>20.17f}\n", kind, utf8_fit(name, 4), orientation, turn,
                       e23(a), e23(b), e23(c), direction, tau_near) +
           fmt::format("{:>19.17f}{:>18.4f}{:>18.4f}{:>18.4f}{:>18.4f}{:>18.4f}{:>18.4f}\n", tau_far, s0, x0,
                       y0, s1, x1, y1);
  }
};

inline PlanRecord line_record(std::string name, double s0, double s1) {
  PlanRecord r;
  r.name = std::move(name);
  r.s0 = s0;
  r.s1 = s1;
  r.x1 = s1 - s0;
  r.b = 1.0;  // the x axis: 0 x + 1 y + 0 = 0
  return r;
}

// Version-400 profile record, 128 columns.
inline std::string profile_v400(char kind, const std::string& name, double s0, double z0, double s1,
                                double z1, double grade_or_radius, double sv, double zv) {
  return fmt::format("{}{:<6}{:>13.5f}{:>13.5f}{:>13.5f}{:>13.5f}{}{}{}\n", kind, name, s0, z0, s1, z1,
                     e23_13(grade_or_radius), e23_13(sv), e23_13(zv));
}

// Older profile record: end, length, grade or radius and vertex.
inline std::string profile_old(char kind, const std::string& name, double s1, double z1, double length,
                               double grade_or_radius, double sv, double zv) {
  return fmt::format("{}{:<4}{}{:>13.4f}{}{}{}{:>13.4f}\n", kind, name, e23(s1), z1, e23_13(length),
                     e23_13(grade_or_radius), e23_13(sv), zv);
}

}  // namespace corvalinde::native_test
