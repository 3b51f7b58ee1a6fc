#include "import/landxml/landxml_plan.h"

#include <cmath>
#include <optional>

#include "import/landxml/landxml_attributes.h"
#include "output/utf8.h"
#include "road/plan_geometry.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

// Two spiral curvatures closer than this (1/m) are one curvature: the spiral
// has no parameter.
constexpr double kSameCurvature = 1e-12;
// The fixed start of the name of an alignment or profile that has none.
constexpr const char* kUnnamedPrefix = "Axe n\u00B0";

PlanStep failure(PlanNote note, std::string type) {
  PlanStep step;
  step.status = -1;
  step.note = note;
  step.type = std::move(type);
  return step;
}

std::string element_type(const XmlElement& element) {
  return display_name(element.name != nullptr ? element.name : "", LandXmlEncoding::kUtf8, kElementTypeWidth);
}

// "Spiral" and its type, as a console line names it.
std::string spiral_type_name(const XmlElement& spiral) {
  return display_name("Spiral " + attribute_text(spiral, "spiType"), LandXmlEncoding::kUtf8,
                      kElementTypeWidth);
}

// Curvature (1/m, >= 0) of a spiral end radius: "INF", 0 and huge radii are
// straight. A radius below kSmallestRadius is left in `tiny` (and the
// curvature is not set).
bool spiral_curvature(const XmlElement& spiral, const char* attribute, double factor, double& curvature,
                      double& tiny) {
  const std::string text = to_capitals(attribute_text(spiral, attribute));
  if (text == "INF" || text == "INFINITY") {
    curvature = 0.0;
    return true;
  }
  double radius = 0.0;
  if (!XML_FIND_ATTRIBUTE_REAL8(spiral, attribute, radius)) return false;
  const double metres = std::fabs(radius) * factor;
  if (metres != 0.0 && metres < kSmallestRadius) {
    tiny = metres;
    return true;
  }
  curvature = (metres == 0.0 || metres >= kInfiniteSpiralRadius) ? 0.0 : 1.0 / metres;
  return std::isfinite(curvature);
}

void set_line(PlanElement& element, PlanePoint start, PlanePoint end) {
  LineGeometry geometry;
  LineEquation line;
  if (line_through_points(start, end, line) == kGeometryOk) {
    geometry = LineGeometry{line.a, line.b, line.c, line_heading(line) + 0.0};  // never -0
  }
  element.geometry = geometry;
}

// The arc of signed radius from start to end, its centre given.
double set_arc(PlanElement& element, PlanePoint centre, double signed_radius, PlanePoint start,
               PlanePoint end) {
  // The start angle is kept exact: rounding it would turn the arc about its
  // centre and move its end by up to R x the rounding (1.5 m at R 30 000 for
  // 4 decimals).
  const double start_angle = direction_angle(centre, start);
  const double end_angle = direction_angle(centre, end);
  element.geometry = ArcGeometry{centre.x, centre.y, signed_radius, start_angle, end_angle};
  return arc_length_from_angles(signed_radius, start_angle, end_angle);
}

// The sense of a curve (+1 counter-clockwise): its "rot". A curve without a
// readable "rot" is not taken as clockwise, which would run a left-hand arc
// the long way round: the sense whose length matches the "length" attribute
// wins, else the shorter way from start to end.
double curve_sense(const XmlElement& curve, PlanePoint centre, double radius, PlanePoint start,
                   PlanePoint end, double factor) {
  const std::string rot = to_capitals(attribute_text(curve, "rot"));
  if (rot == "CCW") return 1.0;
  if (rot == "CW") return -1.0;
  const double phi0 = direction_angle(centre, start);
  const double phi1 = direction_angle(centre, end);
  const double left = arc_length_from_angles(radius, phi0, phi1);
  const double right = arc_length_from_angles(-radius, phi0, phi1);
  double length = 0.0;
  double sense = left <= right ? 1.0 : -1.0;
  if (XML_FIND_ATTRIBUTE_REAL8(curve, "length", length)) {
    length *= factor;
    sense = std::fabs(left - length) <= std::fabs(right - length) ? 1.0 : -1.0;
  }
  write_log("Curve without rot", sense > 0.0 ? "ccw" : "cw");
  return sense;
}

PlanStep read_curve(const XmlElement& curve, PlanStep step, PlanePoint start, PlanePoint end, double factor) {
  PlanePoint centre;
  if (!read_landxml_point(child_element(curve, "Center"), factor, centre.x, centre.y)) {
    return failure(PlanNote::kUnreadable, "Curve");
  }
  const double radius = point_distance(start, centre);
  if (radius <= kCoincidentPointDistance) {
    // A curve collapsed onto its centre is only usable as a point.
    if (point_distance(start, end) >= kShortestPlanElement) return failure(PlanNote::kUnreadable, "Curve");
    step.element.geometry = ArcGeometry{};
    step.length = 0.0;
    return step;
  }
  if (std::fabs(distance_from_circle(end, centre, radius)) > kArcEndTolerance) {
    return failure(PlanNote::kUnreadable, "Curve");
  }
  step.length = set_arc(step.element, centre, curve_sense(curve, centre, radius, start, end, factor) * radius,
                        start, end);
  // Start and end on one point: a full circle when the file's length says
  // so (the angles alone give no length).
  double length = 0.0;
  if (!(step.length > kArcEndTolerance) && point_distance(start, end) <= kArcEndTolerance &&
      XML_FIND_ATTRIBUTE_REAL8(curve, "length", length) && length * factor >= kPi * radius) {
    step.length = kTwoPi * radius;
    if (ArcGeometry* arc = std::get_if<ArcGeometry>(&step.element.geometry))
      arc->end_angle = arc->start_angle;
  }
  return step;
}

PlanStep read_spiral(const XmlElement& spiral, PlanStep step, PlanePoint start, PlanePoint end,
                     double factor) {
  const int turn = to_capitals(attribute_text(spiral, "rot")) == "CCW" ? 1 : -1;
  double k1 = 0.0;
  double k2 = 0.0;
  double length = 0.0;
  double tiny = std::nan("");
  if (!spiral_curvature(spiral, "radiusStart", factor, k1, tiny) ||
      !spiral_curvature(spiral, "radiusEnd", factor, k2, tiny) ||
      !XML_FIND_ATTRIBUTE_REAL8(spiral, "length", length)) {
    return failure(PlanNote::kUnreadable, "Spiral");
  }
  if (!std::isnan(tiny)) {
    PlanStep refused = failure(PlanNote::kRadiusUnusable, "Spiral");
    refused.value = tiny;
    return refused;
  }
  length *= factor;
  if (!(length >= kShortestPlanElement)) {
    if (length < 0.0 || !std::isfinite(length)) return failure(PlanNote::kUnreadable, "Spiral");
    if (const double chord = point_distance(start, end); chord > kLengthlessSpiralChord) {
      PlanStep refused = failure(PlanNote::kNoLength, "Spiral");
      refused.value = chord;
      return refused;
    }
    step.element.geometry = ClothoidGeometry{};
    step.length = length;
    return step;
  }
  if (std::fabs(k2 - k1) <= kSameCurvature) {
    // No change of curvature: the element is a line or an arc.
    if (k1 == 0.0) {
      set_line(step.element, start, end);
      step.length = point_distance(start, end);
      step.note = PlanNote::kSpiralAsLine;
      return step;
    }
    const double radius = 1.0 / k1;
    const double chord = point_distance(start, end);
    const double half = chord / 2.0;
    if (chord <= kCoincidentPointDistance || half > radius + kArcEndTolerance) {
      return failure(PlanNote::kUnreadable, "Spiral");
    }
    const double offset = std::sqrt(std::max(radius * radius - half * half, 0.0));
    // Unit normal to the left of the chord; the centre lies on the turning
    // side for an arc below a half circle, on the other side beyond.
    const double nx = -(end.y - start.y) / chord;
    const double ny = (end.x - start.x) / chord;
    const double side = (length <= kPi * radius ? 1.0 : -1.0) * turn;
    const PlanePoint centre{(start.x + end.x) / 2.0 + side * offset * nx,
                            (start.y + end.y) / 2.0 + side * offset * ny};
    step.length = set_arc(step.element, centre, turn * radius, start, end);
    step.note = PlanNote::kSpiralAsArc;
    return step;
  }
  const std::string type = to_capitals(attribute_text(spiral, "spiType"));
  if (const std::optional<TransitionLaw> law = transition_law_of(type)) {
    TransitionCurve curve;
    if (TransitionCurve::build(*law, length, k1, k2, turn, start.x, start.y, end.x, end.y, curve) !=
        TransitionStatus::kOk) {
      return failure(PlanNote::kUnreadable, spiral_type_name(spiral));
    }
    step.element.geometry = std::move(curve);
    step.length = length;
    return step;
  }
  const int s = k2 - k1 < 0.0 ? -1 : 1;
  const double a = std::sqrt(length / std::fabs(k2 - k1));
  double tau1 = (k1 * a) * (k1 * a) / 2.0;
  double tau2 = (k2 * a) * (k2 * a) / 2.0;
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  if (!std::isfinite(a) || clothoid_point(a, tau1, x1, y1) != kGeometryOk ||
      clothoid_point(a, tau2, x2, y2) != kGeometryOk) {
    return failure(PlanNote::kUnreadable, "Spiral");
  }
  double theta0 = direction_angle(start, end) - s * turn * direction_angle({x1, y1}, {x2, y2});
  if (s == -1) theta0 += kPi;
  theta0 = normalize_angle(theta0);
  if (s == -1) swap_values(tau1, tau2, false);
  step.element.geometry = ClothoidGeometry{a,
                                           start.x - s * x1 * std::cos(theta0) + turn * y1 * std::sin(theta0),
                                           start.y - s * x1 * std::sin(theta0) - turn * y1 * std::cos(theta0),
                                           theta0,
                                           tau1,
                                           tau2,
                                           static_cast<std::int8_t>(s),
                                           static_cast<std::int8_t>(turn)};
  step.length = length;
  return step;
}

}  // namespace

bool read_landxml_point(const XmlElement* point_element, double factor, double& x, double& y) {
  if (point_element == nullptr) return false;
  std::string_view text = first_text_run(*point_element);
  double northing = 0.0;
  double easting = 0.0;
  if (!read_free_format_real(text, northing) || !read_free_format_real(text, easting)) return false;
  x = easting * factor;
  y = northing * factor;
  return std::fabs(x) <= kLargestCoordinate && std::fabs(y) <= kLargestCoordinate;
}

PlanStep read_plan_element(const XmlElement& coord_geom, int& index, const LandXmlUnits& units) {
  const XmlElement* child = next_element(coord_geom, index);
  if (child == nullptr) return {};
  const std::string kind = to_capitals(child->name != nullptr ? child->name : "");
  if (kind != "LINE" && kind != "CURVE" && kind != "SPIRAL")
    return failure(PlanNote::kUnsupported, element_type(*child));

  if (kind == "SPIRAL") {
    const std::string type = attribute_text(*child, "spiType");
    const std::string capitals = to_capitals(type);
    if (capitals != "CLOTHOID" && !transition_law_of(capitals)) {
      return failure(PlanNote::kUnsupported, spiral_type_name(*child));
    }
  }
  PlanStep step;
  step.status = 1;
  PlanePoint start;
  PlanePoint end;
  if (!read_landxml_point(child_element(*child, "Start"), units.linear, start.x, start.y) ||
      !read_landxml_point(child_element(*child, "End"), units.linear, end.x, end.y)) {
    return failure(PlanNote::kUnreadable, element_type(*child));
  }
  step.element.start_x = start.x;
  step.element.start_y = start.y;
  step.element.end_x = end.x;
  step.element.end_y = end.y;
  if (kind == "LINE") {
    step.length = point_distance(start, end);
    set_line(step.element, start, end);
    return step;
  }
  step = kind == "CURVE" ? read_curve(*child, step, start, end, units.linear)
                         : read_spiral(*child, step, start, end, units.linear);
  if (step.status == 1 && !std::isfinite(step.length))
    return failure(PlanNote::kUnreadable, element_type(*child));
  return step;
}

bool is_station_equation(const XmlElement& element) {
  if (element.name == nullptr) return false;
  const std::string_view name = element.name;
  const std::size_t colon = name.rfind(':');
  return (colon == std::string_view::npos ? name : name.substr(colon + 1)) == "StaEquation";
}

StationEquationReading read_station_equations(const XmlElement& alignment, const LandXmlUnits& units,
                                              double start_station, double end_station) {
  StationEquationReading reading;
  reading.stations.start = start_station;
  reading.stations.end = end_station;
  std::vector<StationEquation>& equations = reading.stations.equations;
  int index = 0;
  int number = 0;
  while (const XmlElement* child = next_element(alignment, index)) {
    if (!is_station_equation(*child)) continue;
    ++number;
    StationEquation e;
    double internal = 0.0;
    const bool has_internal = XML_FIND_ATTRIBUTE_REAL8(*child, "staInternal", internal);
    double back = 0.0;
    const bool has_back = XML_FIND_ATTRIBUTE_REAL8(*child, "staBack", back);
    double ahead = 0.0;
    if (!XML_FIND_ATTRIBUTE_REAL8(*child, "staAhead", ahead) || !std::isfinite(ahead * units.linear)) {
      reading.unreadable.push_back(number);
      continue;
    }
    e.ahead = ahead * units.linear;
    e.back = has_back ? back * units.linear : std::nan("");
    e.increasing = to_capitals(attribute_text(*child, "increasing")) != "FALSE";
    if (has_internal) {
      e.internal = internal * units.linear;
    } else if (has_back && !equations.empty()) {
      // Without an internal station: where the stations since the previous
      // equation reach the back station.
      const StationEquation& previous = equations.back();
      e.internal =
          previous.internal + (previous.increasing ? e.back - previous.ahead : previous.ahead - e.back);
    } else if (has_back) {
      e.internal = e.back;
    } else if (equations.empty()) {
      e.internal = start_station;
    } else {
      reading.unreadable.push_back(number);
      continue;
    }
    if (!std::isfinite(e.internal) || (!equations.empty() && e.internal < equations.back().internal)) {
      reading.unreadable.push_back(number);
      continue;
    }
    if (std::isfinite(e.back)) {
      // The designer's station the stations before it reach at its place.
      double reached = e.internal;
      if (!equations.empty()) {
        const StationEquation& previous = equations.back();
        const double run = e.internal - previous.internal;
        reached = previous.increasing ? previous.ahead + run : previous.ahead - run;
      }
      if (!(std::fabs(reached - e.back) <= kStationBackTolerance)) {
        reading.mismatched.push_back({number, e.back, reached});
      }
    }
    equations.push_back(e);
  }
  return reading;
}

AlignmentChoice get_landxml_axe_p(const LandXmlDocument& document, int title_message) {
  write_log("get_landxml_axe_p");
  AlignmentChoice choice;
  if (document.landxml == nullptr) return choice;
  std::vector<ChosenAlignment> candidates;
  std::vector<AlignmentOption> options;
  int children = 0;
  int outer = 0;
  while (const XmlElement* alignments = next_element(*document.landxml, outer)) {
    if (alignments->name == nullptr || std::string_view(alignments->name) != "Alignments") continue;
    children += child_element_count(*alignments);
    int inner = 0;
    while (XmlElement* alignment = next_element(*alignments, inner)) {
      if (alignment->name == nullptr || std::string_view(alignment->name) != "Alignment") continue;
      XmlElement* coord_geom = child_element(*alignment, "CoordGeom");
      if (coord_geom == nullptr) continue;
      int first = 0;
      PlanStep trial = read_plan_element(*coord_geom, first, document.units);
      if (trial.status != 1) {
        if (trial.status < 0) {
          // Where it failed: the alignment's start.
          double station = 0.0;
          if (XML_FIND_ATTRIBUTE_REAL8(*alignment, "staStart", station))
            trial.element.start_station = station * document.units.linear;
          choice.rejected.push_back(std::move(trial));
        }
        continue;
      }
      ChosenAlignment candidate;
      candidate.alignment = alignment;
      candidate.coord_geom = coord_geom;
      candidate.name = attribute_text(*alignment, "name");
      candidate.display_name = display_name(candidate.name, document.encoding, kDisplayNameWidth);
      if (is_blank(candidate.display_name)) {
        candidate.display_name = kUnnamedPrefix + std::to_string(candidates.size() + 1);
      }
      AlignmentOption option;
      option.name = candidate.display_name;
      double station = 0.0;
      if (XML_FIND_ATTRIBUTE_REAL8(*alignment, "staStart", station)) {
        candidate.start_station = station * document.units.linear;
        option.start_station = candidate.start_station;
      }
      // A negative length is no length: shown as unknown.
      if (double length = 0.0; XML_FIND_ATTRIBUTE_REAL8(*alignment, "length", length) && length >= 0.0)
        option.length = length * document.units.linear;
      options.push_back(std::move(option));
      candidates.push_back(std::move(candidate));
    }
  }
  write_log("nb align", children);
  choice.candidates = static_cast<int>(candidates.size());
  write_log("nbaxes", choice.candidates);
  int chosen = 0;
  if (candidates.size() == 1) {
    chosen =
        user_interface().accept_only_candidate(message_trimmed(title_message), options.front().name) ? 1 : 0;
  } else if (candidates.size() > 1) {
    chosen = user_interface().choose_alignment(message_trimmed(title_message), options);
  }
  write_log("num axe", chosen);
  if (chosen < 1 || chosen > choice.candidates) return choice;
  choice.chosen = true;
  choice.alignment = std::move(candidates[static_cast<std::size_t>(chosen - 1)]);
  return choice;
}

}  // namespace corvalinde
