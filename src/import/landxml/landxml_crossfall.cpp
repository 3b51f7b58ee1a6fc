#include "import/landxml/landxml_crossfall.h"

#include <algorithm>
#include <cmath>

#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_plan.h"
#include "output/utf8.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

constexpr const char* kUnnamedPrefix = "Axe n\u00B0";
constexpr int kStationDecimals = 4;
constexpr int kCrossfallDecimals = 2;
constexpr const char* kRoadSurface = "road surface";

bool is_named(const XmlElement& element, std::string_view name) {
  return element.name != nullptr && name == element.name;
}

// The four values of a zone (a ZoneSlope, or a Zone that has none); false
// when one is missing or unreadable, or the zone runs backwards.
bool read_zone_values(const XmlElement& element, const LandXmlUnits& units, CrossfallZone& zone) {
  double start = 0.0;
  double start_value = 0.0;
  double end = 0.0;
  double end_value = 0.0;
  if (!XML_FIND_ATTRIBUTE_REAL8(element, "staStart", start) ||
      !XML_FIND_ATTRIBUTE_REAL8(element, "startVertValue", start_value) ||
      !XML_FIND_ATTRIBUTE_REAL8(element, "staEnd", end) ||
      !XML_FIND_ATTRIBUTE_REAL8(element, "endVertValue", end_value)) {
    return false;
  }
  zone.start_station = round_to_decimals(start * units.linear, kStationDecimals);
  zone.start_value = round_to_decimals(start_value, kCrossfallDecimals);
  zone.end_station = round_to_decimals(end * units.linear, kStationDecimals);
  zone.end_value = round_to_decimals(end_value, kCrossfallDecimals);
  return std::isfinite(zone.start_station) && std::isfinite(zone.end_station) &&
         zone.end_station >= zone.start_station;
}

// The zone's value at station c; a zone of no length has its end value.
double value_at(const CrossfallZone& zone, double c) {
  if (!(zone.end_station > zone.start_station)) return zone.end_value;
  return interpolate_linear(zone.start_station, zone.start_value, zone.end_station, zone.end_value, c);
}

}  // namespace

XmlElement* get_landxml_devers(const XmlElement& landxml, std::string_view alignment_name, int title_message,
                               LandXmlEncoding encoding) {
  write_log("get_landxml_devers ", alignment_name);
  write_log("root", PELQNODENAME_OBJ(landxml));
  write_log("nb root", child_element_count(landxml));
  const std::string wanted(trim_right(alignment_name));
  std::vector<XmlElement*> candidates;
  std::vector<std::string> names;
  int outer = 0;
  while (const XmlElement* model = next_element(landxml, outer)) {
    if (!is_named(*model, "GradeModel")) continue;
    int inner = 0;
    while (XmlElement* surface = next_element(*model, inner)) {
      if (!is_named(*surface, "GradeSurface")) continue;
      if (attribute_text(*surface, "alignmentRef") != wanted) continue;
      std::string name = display_name(attribute_text(*surface, "surfaceType"), encoding, kDisplayNameWidth);
      if (is_blank(name)) name = display_name(attribute_text(*surface, "name"), encoding, kDisplayNameWidth);
      if (is_blank(name)) name = kUnnamedPrefix + std::to_string(candidates.size() + 1);
      candidates.push_back(surface);
      names.push_back(std::move(name));
    }
  }
  write_log("nbdev", candidates.size());
  int chosen = 0;
  if (candidates.size() == 1) {
    chosen = user_interface().accept_only_candidate(message_trimmed(title_message), names.front()) ? 1 : 0;
  } else if (candidates.size() > 1) {
    chosen = user_interface().choose_from_list(message_trimmed(title_message), names);
  }
  write_log("num dev", chosen);
  if (chosen < 1 || static_cast<std::size_t>(chosen) > candidates.size()) return nullptr;
  return candidates[static_cast<std::size_t>(chosen - 1)];
}

XmlElement* get_landxml_zones_dev(const XmlElement& grade_surface, std::string_view side) {
  write_log("get_landxml_zones_dev ", side);
  write_log("grade", PELQNODENAME_OBJ(grade_surface));
  write_log("nb grade", child_element_count(grade_surface));
  int index = 0;
  while (const XmlElement* zones = next_element(grade_surface, index)) {
    if (!is_named(*zones, "Zones") || attribute_text(*zones, "side") != side) continue;
    int inner = 0;
    while (XmlElement* zone = next_element(*zones, inner)) {
      if (is_named(*zone, "Zone") && attribute_text(*zone, "category") == kRoadSurface) return zone;
    }
    return nullptr;
  }
  return nullptr;
}

bool ZoneList::read_slope(CrossfallZone& zone, bool& unreadable) {
  unreadable = false;
  while (const XmlElement* child = next_element(zone_, index_)) {
    if (!is_named(*child, "ZoneSlope")) continue;
    if (!read_zone_values(*child, units_, zone)) unreadable = true;
    return !unreadable;
  }
  return false;
}

bool ZoneList::next(CrossfallZone& zone) {
  write_log("get_landxml_zone_dev", index_);
  if (ended_) return false;
  if (has_pending_) {
    has_pending_ = false;
    zone = pending_;
    previous_ = zone;
    return true;
  }
  if (!started_) {
    started_ = true;
    int probe = 0;
    bool slopes = false;
    while (const XmlElement* child = next_element(zone_, probe))
      slopes = slopes || is_named(*child, "ZoneSlope");
    if (!slopes) {
      // A Zone that carries its own stations and values is one zone.
      ended_ = true;
      if (!read_zone_values(zone_, units_, zone)) {
        first_unreadable_ = true;
        return false;
      }
      previous_ = zone;
      return true;
    }
    bool unreadable = false;
    if (!read_slope(zone, unreadable)) {
      ended_ = true;
      first_unreadable_ = unreadable;
      return false;
    }
    previous_ = zone;
    return true;
  }
  CrossfallZone read;
  bool unreadable = false;
  if (!read_slope(read, unreadable)) {
    ended_ = true;
    if (unreadable) cut_at_ = previous_.end_station;
    return false;
  }
  if (read.start_station == previous_.end_station) {
    zone = read;
    previous_ = zone;
    return true;
  }
  if (read.start_station > previous_.end_station) {
    // A gap between two zones: the crossfall runs on linearly from the end
    // of one to the start of the next.
    gaps_.emplace_back(previous_.end_station, read.start_station);
    zone = {previous_.end_station, previous_.end_value, read.start_station, read.start_value};
    pending_ = read;
    has_pending_ = true;
    previous_ = zone;
    return true;
  }
  // Zones that overlap cannot be read in station order.
  ended_ = true;
  cut_at_ = read.start_station;
  return false;
}

std::vector<CrossfallPoint> merge_crossfall_zones(ZoneList& left, ZoneList& right) {
  std::vector<CrossfallPoint> points;
  CrossfallZone l;
  CrossfallZone r;
  if (!get_landxml_zone_dev(left, l) || !get_landxml_zone_dev(right, r)) return points;
  const auto add_point = [&](double c) {
    // The file gives both sides falling away from the axis as negative; the
    // model measures both from the left edge, so the left side changes sign.
    points.push_back({c, -round_to_decimals(value_at(l, c), kCrossfallDecimals) + 0.0,
                      round_to_decimals(value_at(r, c), kCrossfallDecimals) + 0.0});
    const std::size_t n = points.size();
    if (n <= 2) return;
    const CrossfallPoint& before = points[n - 3];
    const CrossfallPoint& middle = points[n - 2];
    const CrossfallPoint& added = points[n - 1];
    const double left_there = round_to_decimals(
        interpolate_linear(before.station, before.left, added.station, added.left, middle.station),
        kCrossfallDecimals);
    const double right_there = round_to_decimals(
        interpolate_linear(before.station, before.right, added.station, added.right, middle.station),
        kCrossfallDecimals);
    if (left_there == middle.left && right_there == middle.right) {
      points[n - 2] = added;
      points.pop_back();
    }
  };
  double c = std::max(l.start_station, r.start_station);
  for (;;) {
    if (c >= l.end_station) {
      if (!get_landxml_zone_dev(left, l)) break;
    } else if (c >= r.end_station) {
      if (!get_landxml_zone_dev(right, r)) break;
    } else {
      add_point(c);
      c = std::min(l.end_station, r.end_station);
    }
  }
  add_point(c);
  return points;
}

}  // namespace corvalinde
