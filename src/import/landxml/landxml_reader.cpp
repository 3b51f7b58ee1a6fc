#include "import/landxml/landxml_reader.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "import/design_bounds.h"
#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_crossfall.h"
#include "import/landxml/landxml_document.h"
#include "import/landxml/landxml_messages.h"
#include "import/landxml/landxml_plan.h"
#include "import/landxml/landxml_profile.h"
#include "import/native_design_reader.h"
#include "import/plan_continuity.h"
#include "import/reader_lines.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "output/visible_text.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

namespace msg = landxml_message;

// Messages that carry a file or alignment name leave it this many characters.
constexpr std::size_t kNameRoom = kListingLineWidth - 30;

// Children that carry no design data, or that the reader reads itself.
constexpr std::string_view kReadOrDescriptiveTopLevel[] = {
    "Project",    "Application", "Units",      "CoordinateSystem", "FeatureDictionary",
    "DocFileRef", "Author",      "Alignments", "GradeModel"};
constexpr std::string_view kReadOrDescriptiveInAlignment[] = {"CoordGeom", "Profile", "Feature",
                                                              "StaEquation"};
constexpr std::string_view kReadOrDescriptiveInProfile[] = {"ProfAlign", "Feature"};

template <std::size_t N>
bool is_one_of(const XmlElement& element, const std::string_view (&names)[N]) {
  if (element.name == nullptr) return true;
  for (const std::string_view name : names) {
    if (name == element.name) return true;
  }
  return false;
}

// Kinds of content the file holds and the reader leaves aside, in the order
// first met, with their numbers.
class UnreadContent {
 public:
  template <std::size_t N>
  void collect(const XmlElement& parent, const std::string_view (&known)[N], bool holds_equations = false) {
    int index = 0;
    while (const XmlElement* child = next_element(parent, index)) {
      if (is_one_of(*child, known) || (holds_equations && is_station_equation(*child))) continue;
      std::string name = display_name(child->name, LandXmlEncoding::kUtf8, kElementTypeWidth);
      const auto [at, added] = index_.try_emplace(name, kinds_.size());
      if (added) {
        kinds_.emplace_back(std::move(name), 1);
      } else {
        ++kinds_[at->second].second;
      }
    }
  }

  void write(Console& console) const {
    for (const auto& [kind, count] : kinds_) {
      console_write(console, kConsoleOrdinary, format_message(msg::kNotRead, kListingLineWidth, kind, count));
    }
  }

 private:
  std::vector<std::pair<std::string, int>> kinds_;
  std::unordered_map<std::string, std::size_t> index_;  // kind -> its place in kinds_
};

class Reading {
 public:
  Reading(Console& console, RoadModel& model, const LandXmlDocument& document)
      : console_(console), model_(model), document_(document) {}

  void run() {
    UnreadContent unread;
    unread.collect(*document_.landxml, kReadOrDescriptiveTopLevel);
    if (document_.status == LandXmlOpenStatus::kOpened) {
      const AlignmentChoice choice = get_landxml_axe_p(document_, msg::kAlignmentChoice);
      if (choice.chosen) {
        const ChosenAlignment& alignment = choice.alignment;
        read_plan(alignment);
        read_profile(*alignment.alignment);
        read_crossfall(alignment.name);
        unread.collect(*alignment.alignment, kReadOrDescriptiveInAlignment, true);
        int index = 0;
        while (const XmlElement* profile = next_element(*alignment.alignment, index)) {
          if (profile->name != nullptr && std::string_view(profile->name) == "Profile") {
            unread.collect(*profile, kReadOrDescriptiveInProfile);
          }
        }
      } else if (choice.candidates == 0) {
        for (const PlanStep& step : choice.rejected) {
          if (all_within(kMaxStation, {step.element.start_station})) {
            write_plan_failure(step, step.element.start_station);
          } else {
            accept_item(ItemCheck::kOutOfRange, 1);
          }
        }
        // No alignment has a plan we can read: say what they hold instead.
        int outer = 0;
        while (const XmlElement* alignments = next_element(*document_.landxml, outer)) {
          if (alignments->name == nullptr || std::string_view(alignments->name) != "Alignments") continue;
          int inner = 0;
          while (const XmlElement* a = next_element(*alignments, inner)) {
            if (a->name != nullptr && std::string_view(a->name) == "Alignment") {
              unread.collect(*a, kReadOrDescriptiveInAlignment, true);
            }
          }
        }
      }
    }
    unread.write(console_);
  }

  int mask() const { return mask_; }

 private:
  void write(const std::string& line) { console_write(console_, kConsoleOrdinary, line); }

  void write_plan_failure(const PlanStep& step, double station) {
    if (step.note == PlanNote::kNoLength) {
      write(format_message(msg::kSpiralWithoutLength, kListingLineWidth, step.type, station, step.value));
      return;
    }
    if (step.note == PlanNote::kRadiusUnusable) {
      write(format_message(msg::kRadiusUnusable, kListingLineWidth, step.type, station, step.value));
      return;
    }
    const int message = step.note == PlanNote::kUnsupported ? msg::kPlanUnsupported : msg::kPlanUnreadable;
    write(format_message(message, kListingLineWidth, step.type, station));
  }

  // An item outside the admissible design ends its table before it, with
  // its 1-based number on the console.
  bool accept_item(ItemCheck check, std::size_t number) {
    if (check == ItemCheck::kOk) return true;
    write(format_message(refused_item_message(check), kListingLineWidth, static_cast<int>(number)));
    return false;
  }

  void write_profile_notes(const std::vector<ProfileNoteLine>& notes) {
    for (const ProfileNoteLine& note : notes) {
      const int message =
          note.note == ProfileNote::kUnsupported ? msg::kProfileUnsupported : msg::kProfileUnreadable;
      write(format_message(message, kListingLineWidth, note.type, note.station));
    }
  }

  void read_plan(const ChosenAlignment& alignment) {
    write(format_message(msg::kAlignmentChosen, kListingLineWidth,
                         std::string(utf8_prefix(alignment.display_name, kNameRoom))));
    std::vector<PlanElement> plan;
    // Per kind: line, arc, clothoid, other transition ("raccord").
    int serials[5] = {0, 0, 0, 0, 0};
    static constexpr const char* kPrefixes[5] = {"", "DRO", "CER", "CLO", "RAC"};
    double station = alignment.start_station;
    // A start beyond the admissible stations (infinite after the unit factor,
    // even) refuses the plan before any note shows it.
    if (!all_within(kMaxStation, {station})) {
      accept_item(ItemCheck::kOutOfRange, 1);
      return;
    }
    TableStations stations;
    int index = 0;
    for (;;) {
      PlanStep step = read_plan_element(*alignment.coord_geom, index, document_.units);
      if (step.status == 0) break;
      if (step.status < 0) {
        write_plan_failure(step, station);
        break;
      }
      if (step.note == PlanNote::kSpiralAsArc)
        write(format_message(msg::kSpiralAsArc, kListingLineWidth, station));
      if (step.note == PlanNote::kSpiralAsLine)
        write(format_message(msg::kSpiralAsLine, kListingLineWidth, station));
      if (!(step.length >= kShortestPlanElement)) continue;
      PlanElement& element = step.element;
      element.start_station = station;
      element.end_station = station + step.length;
      if (!accept_item(check_plan_item(stations, element), plan.size() + 1)) break;
      const auto kind = static_cast<std::size_t>(element.kind());
      element.name = serial_name(kPrefixes[kind], ++serials[kind]);
      station = element.end_station;
      plan.push_back(std::move(element));
    }
    if (plan.empty()) return;
    write(format_message(msg::kPlanCount, kListingLineWidth, static_cast<int>(plan.size())));
    StationEquationReading equations = read_station_equations(
        *alignment.alignment, document_.units, alignment.start_station, plan.back().end_station);
    for (const StationEquation& e : equations.stations.equations) {
      const std::string back = std::isfinite(e.back) ? fmt::format("{:.3f}", e.back) : std::string("-");
      write(format_message(e.increasing ? msg::kStationEquation : msg::kStationEquationDecreasing,
                           kListingLineWidth, e.internal, back, e.ahead));
    }
    for (const int number : equations.unreadable)
      write(format_message(msg::kStationEquationUnreadable, kListingLineWidth, number));
    for (const StationBackMismatch& m : equations.mismatched)
      write(format_message(msg::kStationBackDiffers, kListingLineWidth, m.number, m.back, m.reached));
    report_plan_misses(console_, plan, equations.stations);
    model_.set_plan(std::move(plan));
    model_.set_station_equations(std::move(equations.stations));
    mask_ |= kMaskPlan;
  }

  void read_profile(const XmlElement& alignment) {
    const ProfileChoice choice =
        get_landxml_axe_l(alignment, document_.units, document_.encoding, msg::kProfileChoice);
    if (choice.candidates == 0) write_profile_notes(choice.rejected);
    if (!choice.chosen) return;
    write(format_message(msg::kProfileChosen, kListingLineWidth,
                         std::string(utf8_prefix(choice.profile.display_name, kNameRoom))));
    ProfileStep step(*choice.profile.prof_align, document_.units);
    std::vector<ProfileElement> profile;
    std::vector<ProfileElement> produced;
    int grades = 0;
    int parabolas = 0;
    TableStations stations;
    bool accepted = true;
    while (accepted && step.next(produced) >= 1) {
      for (ProfileElement& element : produced) {
        accepted = accept_item(check_profile_item(stations, element), profile.size() + 1);
        if (!accepted) break;
        element.name =
            element.kind == kProfileGrade ? serial_name("DRO", ++grades) : serial_name("PAR", ++parabolas);
        profile.push_back(std::move(element));
      }
    }
    if (step.circular_curves_converted() > 0) {
      write(format_message(msg::kCurveConverted, kListingLineWidth, std::string("CircCurve"),
                           step.circular_curves_converted()));
    }
    if (step.unsymmetrical_curves_converted() > 0) {
      write(format_message(msg::kCurveConverted, kListingLineWidth, std::string("UnsymParaCurve"),
                           step.unsymmetrical_curves_converted()));
    }
    write_profile_notes(step.notes());
    if (profile.empty()) return;
    write(format_message(msg::kProfileCount, kListingLineWidth, static_cast<int>(profile.size())));
    model_.set_profile(std::move(profile));
    mask_ |= kMaskProfile;
  }

  void read_crossfall(const std::string& alignment_name) {
    const XmlElement* surface =
        get_landxml_devers(*document_.landxml, alignment_name, msg::kSurfaceChoice, document_.encoding);
    if (surface == nullptr) return;
    const XmlElement* left_zone = get_landxml_zones_dev(*surface, "left");
    write_log("left", PELQNODENAME_PTR(left_zone));
    const XmlElement* right_zone = get_landxml_zones_dev(*surface, "right");
    write_log("right", PELQNODENAME_PTR(right_zone));
    if (left_zone == nullptr || right_zone == nullptr) return;
    ZoneList left(*left_zone, document_.units);
    ZoneList right(*right_zone, document_.units);
    std::vector<CrossfallPoint> points = merge_crossfall_zones(left, right);
    // The gaps either side left within the table, each once, in station order.
    const double end = points.empty() ? 0.0 : points.back().station;
    std::vector<std::pair<double, double>> gaps;
    for (const ZoneList* side : {&left, &right}) {
      for (const auto& gap : side->gaps()) {
        if (gap.first < end) gaps.push_back(gap);
      }
    }
    std::sort(gaps.begin(), gaps.end());
    gaps.erase(std::unique(gaps.begin(), gaps.end()), gaps.end());
    for (const auto& [from, to] : gaps)
      write(format_message(msg::kCrossfallGapBridged, kListingLineWidth, from, to));
    for (const ZoneList* side : {&left, &right}) {
      if (!std::isnan(side->cut_at()))
        write(format_message(msg::kCrossfallCut, kListingLineWidth, side->cut_at()));
    }
    if (left.first_unreadable() || right.first_unreadable())
      console_write_message(console_, kConsoleOrdinary, msg::kFirstZoneUnreadable);
    TableStations stations;
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (!accept_item(check_crossfall_item(stations, points[i]), i + 1)) {
        points.resize(i);
        break;
      }
    }
    if (points.size() < 2) return;
    write(format_message(msg::kCrossfallCount, kListingLineWidth, static_cast<int>(points.size() - 1)));
    model_.set_crossfall(std::move(points));
    mask_ |= kMaskCrossfall;
  }

  Console& console_;
  RoadModel& model_;
  const LandXmlDocument& document_;
  int mask_ = 0;
};

// Reads the tables of an opened document; returns their mask. A rejected
// document says why.
int read_document(Console& console, RoadModel& model, const LandXmlDocument& document) {
  if (document.status == LandXmlOpenStatus::kRejected) {
    if (!document.refusal.empty()) console_write(console, kConsoleOrdinary, document.refusal);
    return 0;
  }
  Reading reading(console, model, document);
  try {
    reading.run();
  } catch (...) {
    // Memory ran out on the way: the tables completed so far stay.
    write_log("read_landxml", "reading stopped");
  }
  write_log("close root");
  return reading.mask();
}

int close_document(Console& console, RoadModel& model, LandXmlOpenStatus status, int mask,
                   std::string_view file_name) {
  if (status == LandXmlOpenStatus::kNoAlignments) {
    console_write_message(console, kConsoleOrdinary, msg::kNoAlignments);
    return 0;
  }
  return close_reading(console, model, mask, file_name);
}

int finish_reading(Console& console, RoadModel& model, LandXmlDocument document, std::string_view file_name) {
  const int mask = read_document(console, model, document);
  if (document.status == LandXmlOpenStatus::kRejected) return 0;
  document.tree.reset();
  return close_document(console, model, document.status, mask, file_name);
}

}  // namespace

int read_landxml(Console& console, RoadModel& model, const std::string& path, std::string* sha256) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, path));
  LandXmlDocument document;
  try {
    document = open_landxml(path, sha256);
  } catch (...) {
    return 0;
  }
  return finish_reading(console, model, std::move(document), path);
}

int read_landxml(Console& console, RoadModel& model, const ParsedLandXml& parsed, const std::string& path) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, path));
  const int mask = read_document(console, model, parsed.document);
  if (parsed.document.status == LandXmlOpenStatus::kRejected) return 0;
  return close_document(console, model, parsed.document.status, mask, path);
}

std::shared_ptr<const ParsedLandXml> parse_landxml_file(const std::string& path) {
  try {
    auto parsed = std::make_shared<ParsedLandXml>();
    parsed->document = open_landxml(path, &parsed->sha256);
    return parsed;
  } catch (...) {
    return nullptr;
  }
}

int read_landxml_text(Console& console, RoadModel& model, std::string text, std::string_view file_name) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, file_name));
  LandXmlDocument document;
  try {
    document = open_landxml_text(std::move(text));
  } catch (...) {
    return 0;
  }
  return finish_reading(console, model, std::move(document), file_name);
}

}  // namespace corvalinde
