#include "import/ifc/ifc_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "import/design_bounds.h"
#include "import/ifc/ifc_units.h"
#include "import/landxml/landxml_messages.h"
#include "import/landxml/landxml_plan.h"
#include "import/native_design_reader.h"
#include "import/plan_continuity.h"
#include "import/reader_lines.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

using step::StepFile;
using step::StepInstance;
using step::StepValue;
namespace msg = landxml_message;

// Messages of this reader besides those it shares with the LandXML reader.
constexpr int kMsgFileUnreadable = 106;    // template: reason, line
constexpr int kMsgUnits = 107;             // template: length unit, metres, angle unit
constexpr int kMsgMapConversion = 108;     // template: eastings, northings, height
constexpr int kMsgCantNotUsed = 109;       // template: number of segments
constexpr int kMsgShapeOffDesign = 116;    // template: station, distance
constexpr int kMsgShapeNotCompared = 117;  // template: the curve not compared

constexpr std::size_t kNameRoom = kListingLineWidth - 30;
constexpr const char* kUnnamedPrefix = "Axe n\u00B0";
// Two vertical segments join when one starts this close (m) to where the
// previous one ends.
constexpr double kProfileJoinTolerance = 1e-3;
// Vertical segments shorter than this (m) are left out.
constexpr double kShortestVerticalSegment = 5e-4;
// Curvatures closer than this (1/m) are one curvature.
constexpr double kSameCurvature = 1e-12;

bool is_finite_all(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The design parameters of one horizontal segment, in metres and radians.
struct HorizontalSegment {
  PlanePoint start;
  double direction = 0.0;
  double start_radius = 0.0;  // signed, > 0 turning left, 0 infinite
  double end_radius = 0.0;
  double length = 0.0;
  std::string type;
};

// The design parameters of one vertical segment, in metres; gradients as ratios.
struct VerticalSegment {
  double start_along = 0.0;
  double length = 0.0;
  double start_height = 0.0;
  double start_gradient = 0.0;
  double end_gradient = 0.0;
  double radius = 0.0;
  std::string type;
};

// The file's nesting (IfcRelNests): each object's nested objects in order.
class Nesting {
 public:
  explicit Nesting(const StepFile& file) : file_(file) {
    for (const StepInstance* rel : file.instances_of("IFCRELNESTS")) {
      const StepInstance* parent = file.resolve(file.attribute(*rel, 4));
      if (parent == nullptr) continue;
      const StepValue children = file.attribute(*rel, 5);
      std::vector<const StepInstance*>& list = nested_[parent->id];
      for (std::size_t i = 0; i < children.size(); ++i) {
        if (const StepInstance* child = file.resolve(children[i])) list.push_back(child);
      }
    }
  }

  std::vector<const StepInstance*> of_type(const StepInstance& parent, std::string_view type) const {
    std::vector<const StepInstance*> found;
    const auto it = nested_.find(parent.id);
    if (it == nested_.end()) return found;
    for (const StepInstance* child : it->second) {
      if (file_.is_a(*child, type)) found.push_back(child);
    }
    return found;
  }

 private:
  const StepFile& file_;
  std::unordered_map<std::uint64_t, std::vector<const StepInstance*>> nested_;
};

double length_value(const StepFile& file, const StepInstance& instance, std::size_t index, double factor) {
  const StepValue value = file.attribute(instance, index);
  if (value.is_unset()) return 0.0;
  return value.measure().value_or(std::nan("")) * factor;
}

// The design parameters of an IfcAlignmentSegment, or null.
const StepInstance* design_parameters(const StepFile& file, const StepInstance& segment,
                                      std::string_view type) {
  const StepInstance* parameters = file.resolve(file.attribute(segment, 7));
  return parameters != nullptr && file.is_a(*parameters, type) ? parameters : nullptr;
}

std::optional<HorizontalSegment> read_horizontal(const StepFile& file, const StepInstance& segment,
                                                 const IfcUnits& units) {
  const StepInstance* p = design_parameters(file, segment, "IFCALIGNMENTHORIZONTALSEGMENT");
  if (p == nullptr) return std::nullopt;
  HorizontalSegment s;
  const double m = units.metres_per_length;
  const StepInstance* point = file.resolve(file.attribute(*p, 2));
  if (point == nullptr || !file.is_a(*point, "IFCCARTESIANPOINT")) return std::nullopt;
  const StepValue coordinates = file.attribute(*point, 0);
  s.start.x = coordinates[0].measure().value_or(std::nan("")) * m;
  s.start.y = coordinates[1].measure().value_or(std::nan("")) * m;
  const double direction = file.attribute(*p, 3).measure().value_or(std::nan("")) * units.radians_per_angle;
  s.direction = std::isfinite(direction) ? normalize_angle(std::fmod(direction, kTwoPi)) : direction;
  s.start_radius = length_value(file, *p, 4, m);
  s.end_radius = length_value(file, *p, 5, m);
  s.length = length_value(file, *p, 6, m);
  s.type = std::string(file.attribute(*p, 8).enumeration().value_or("?"));
  if (!is_finite_all({s.start.x, s.start.y, s.direction, s.start_radius, s.end_radius, s.length}))
    return std::nullopt;
  return s;
}

std::optional<VerticalSegment> read_vertical(const StepFile& file, const StepInstance& segment,
                                             const IfcUnits& units) {
  const StepInstance* p = design_parameters(file, segment, "IFCALIGNMENTVERTICALSEGMENT");
  if (p == nullptr) return std::nullopt;
  VerticalSegment s;
  const double m = units.metres_per_length;
  s.start_along = length_value(file, *p, 2, m);
  s.length = length_value(file, *p, 3, m);
  s.start_height = length_value(file, *p, 4, m);
  s.start_gradient = length_value(file, *p, 5, 1.0);
  s.end_gradient = length_value(file, *p, 6, 1.0);
  s.radius = length_value(file, *p, 7, m);
  s.type = std::string(file.attribute(*p, 8).enumeration().value_or("?"));
  if (!is_finite_all({s.start_along, s.length, s.start_height, s.start_gradient, s.end_gradient, s.radius}))
    return std::nullopt;
  return s;
}

double curvature_of(double radius) {
  return radius == 0.0 ? 0.0 : 1.0 / radius;
}

// The law of a horizontal transition type that has a definition here.
std::optional<TransitionLaw> ifc_transition_law(std::string_view type) {
  if (type == "BLOSSCURVE") return TransitionLaw::kBloss;
  if (type == "COSINECURVE") return TransitionLaw::kCosine;
  if (type == "SINECURVE") return TransitionLaw::kSinusoid;
  if (type == "HELMERTCURVE") return TransitionLaw::kBiquadratic;
  if (type == "CUBIC") return TransitionLaw::kCubicParabola;
  if (type == "BIQUADRATICPARABOLA") return TransitionLaw::kBiquadraticParabola;
  return std::nullopt;
}

enum class Built { kOk, kUnsupported, kUnreadable };

void make_line(const HorizontalSegment& s, PlanElement& e) {
  const PlanePoint end{s.start.x + s.length * std::cos(s.direction),
                       s.start.y + s.length * std::sin(s.direction)};
  LineGeometry g;
  LineEquation line;
  if (line_through_points(s.start, end, line) == kGeometryOk) {
    g.a = line.a;
    g.b = line.b;
    g.c = line.c;
  }
  g.heading = s.direction;
  e.geometry = g;
}

void make_arc(const HorizontalSegment& s, double radius, PlanElement& e) {
  const PlanePoint centre{s.start.x - radius * std::sin(s.direction),
                          s.start.y + radius * std::cos(s.direction)};
  ArcGeometry g;
  g.centre_x = centre.x;
  g.centre_y = centre.y;
  g.radius = radius;
  g.start_angle = direction_angle(centre, s.start);
  g.end_angle = normalize_angle(g.start_angle + s.length / radius);
  e.geometry = g;
}

Built make_clothoid(const HorizontalSegment& s, double k1, double k2, PlanElement& e) {
  if (k1 * k2 < 0.0) return Built::kUnreadable;  // through an inflection: two clothoids
  const bool growing = std::fabs(k2) > std::fabs(k1);
  const double k_near = growing ? std::fabs(k1) : std::fabs(k2);
  const double k_far = growing ? std::fabs(k2) : std::fabs(k1);
  const int turn = (growing ? k2 : k1) > 0.0 ? 1 : -1;
  const double a = std::sqrt(s.length / (k_far - k_near));
  const double tau_near = (k_near * a) * (k_near * a) / 2.0;
  const double tau_far = (k_far * a) * (k_far * a) / 2.0;
  // The start lies at the near end when the curvature grows, else at the far end.
  double x = 0.0;
  double y = 0.0;
  const double tau_start = growing ? tau_near : tau_far;
  if (!std::isfinite(a) || clothoid_point(a, tau_start, x, y) != kGeometryOk ||
      clothoid_point(a, tau_far, x, y) != kGeometryOk || clothoid_point(a, tau_start, x, y) != kGeometryOk) {
    return Built::kUnreadable;
  }
  const double sigma = growing ? 1.0 : -1.0;
  const double theta0 = normalize_angle(s.direction - sigma * turn * tau_start);
  const double c = std::cos(theta0);
  const double sn = std::sin(theta0);
  ClothoidGeometry g;
  g.parameter = a;
  g.origin_x = s.start.x - (sigma * x * c - turn * y * sn);
  g.origin_y = s.start.y - (sigma * x * sn + turn * y * c);
  g.origin_heading = theta0;
  g.tau_near = tau_near;
  g.tau_far = tau_far;
  g.orientation = static_cast<std::int8_t>(sigma);
  g.turn = static_cast<std::int8_t>(turn);
  e.geometry = g;
  return Built::kOk;
}

Built make_transition(const HorizontalSegment& s, TransitionLaw law, double k1, double k2, PlanElement& e) {
  if (k1 * k2 < 0.0) return Built::kUnreadable;
  const int turn = (k1 + k2) > 0.0 ? 1 : -1;
  // The curve is placed by its chord: a first build along the start
  // direction gives the angle between chord and start tangent, the second
  // turns the chord by it so that the curve leaves along the file's direction.
  double chord = s.direction;
  TransitionCurve curve;
  for (int pass = 0; pass < 2; ++pass) {
    const PlanePoint towards{s.start.x + s.length * std::cos(chord), s.start.y + s.length * std::sin(chord)};
    if (TransitionCurve::build(law, s.length, std::fabs(k1), std::fabs(k2), turn, s.start.x, s.start.y,
                               towards.x, towards.y, curve) != TransitionStatus::kOk) {
      return Built::kUnreadable;
    }
    chord += s.direction - curve.at(0.0).heading;
  }
  e.geometry = std::move(curve);
  return Built::kOk;
}

Built make_plan_element(const HorizontalSegment& s, PlanElement& e) {
  e.start_x = s.start.x;
  e.start_y = s.start.y;
  if (!(s.length > 0.0)) return Built::kUnreadable;
  const double k1 = curvature_of(s.start_radius);
  const double k2 = curvature_of(s.end_radius);
  if (s.type == "LINE") {
    make_line(s, e);
    return Built::kOk;
  }
  if (s.type == "CIRCULARARC") {
    const double radius = s.start_radius != 0.0 ? s.start_radius : s.end_radius;
    if (radius == 0.0) return Built::kUnreadable;
    make_arc(s, radius, e);
    return Built::kOk;
  }
  const bool clothoid = s.type == "CLOTHOID";
  const std::optional<TransitionLaw> law = ifc_transition_law(s.type);
  if (!clothoid && !law) return Built::kUnsupported;
  if (std::fabs(k2 - k1) <= kSameCurvature) {
    // A transition of constant curvature: a line or an arc.
    if (k1 == 0.0) {
      make_line(s, e);
    } else {
      make_arc(s, 1.0 / k1, e);
    }
    return Built::kOk;
  }
  return clothoid ? make_clothoid(s, k1, k2, e) : make_transition(s, *law, k1, k2, e);
}

// The placement of a curve segment: its start point (plan: x, y; gradient
// curve: distance along, height), or nothing.
std::optional<PlanePoint> segment_origin(const StepFile& file, const StepInstance& segment, double metres) {
  const StepInstance* placement = file.resolve(file.attribute(segment, 1));
  if (placement == nullptr || !file.is_a(*placement, "IFCAXIS2PLACEMENT2D")) return std::nullopt;
  const StepInstance* location = file.resolve(file.attribute(*placement, 0));
  if (location == nullptr || !file.is_a(*location, "IFCCARTESIANPOINT")) return std::nullopt;
  const StepValue coordinates = file.attribute(*location, 0);
  const PlanePoint point{coordinates[0].measure().value_or(std::nan("")) * metres,
                         coordinates[1].measure().value_or(std::nan("")) * metres};
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return std::nullopt;
  return point;
}

// A curve segment's length when written as a length (not as a parameter
// value of its parent curve), or nothing.
std::optional<double> segment_length(const StepFile& file, const StepInstance& segment, double metres) {
  const StepValue length = file.attribute(segment, 3);
  const std::string_view type = length.type_name().value_or("");
  if (type != "IFCLENGTHMEASURE" && type != "IFCNONNEGATIVELENGTHMEASURE") return std::nullopt;
  const double value = std::fabs(length.measure().value_or(std::nan(""))) * metres;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

struct Candidate {
  const StepInstance* alignment = nullptr;
  const StepInstance* horizontal = nullptr;
  const StepInstance* vertical = nullptr;
  const StepInstance* cant = nullptr;
  std::string display_name;
};

class Reading {
 public:
  Reading(Console& console, RoadModel& model, const StepFile& file)
      : console_(console), model_(model), file_(file), nesting_(file), units_(read_ifc_units(file)) {}

  void run() {
    write(format_message(kMsgUnits, kListingLineWidth, units_.length_name, units_.metres_per_length,
                         units_.angle_name));
    for (const StepInstance* map : file_.instances_of("IFCMAPCONVERSION")) {
      const double m = units_.metres_per_length;
      write(format_message(kMsgMapConversion, kListingLineWidth, length_value(file_, *map, 2, m),
                           length_value(file_, *map, 3, m), length_value(file_, *map, 4, m)));
    }
    std::vector<Candidate> candidates = find_candidates();
    std::vector<std::string> names;
    for (const Candidate& c : candidates) names.push_back(c.display_name);
    int chosen = candidates.size() == 1 ? 1 : 0;
    if (candidates.size() > 1)
      chosen = user_interface().choose_from_list(message_trimmed(msg::kAlignmentChoice), names);
    if (chosen < 1 || chosen > static_cast<int>(candidates.size())) return;
    const Candidate& alignment = candidates[static_cast<std::size_t>(chosen - 1)];
    write(format_message(msg::kAlignmentChosen, kListingLineWidth,
                         std::string(utf8_prefix(alignment.display_name, kNameRoom))));
    const double start_station = read_start_station(*alignment.alignment);
    read_plan(*alignment.horizontal, start_station);
    if (alignment.vertical != nullptr) read_profile(*alignment.vertical, start_station);
    compare_representation(*alignment.alignment, start_station);
    // Referents beyond the one that gives the start station (stationing
    // marks, reference markers) are not used.
    if (const std::size_t referents = nesting_.of_type(*alignment.alignment, "IFCREFERENT").size();
        referents > 1)
      write(format_message(msg::kNotRead, kListingLineWidth, std::string("IfcReferent"),
                           static_cast<int>(referents - 1)));
    if (alignment.cant != nullptr) {
      const int segments = static_cast<int>(nesting_.of_type(*alignment.cant, "IFCALIGNMENTSEGMENT").size());
      write(format_message(kMsgCantNotUsed, kListingLineWidth, segments));
    }
  }

  int mask() const { return mask_; }

 private:
  void write(const std::string& line) { console_write(console_, kConsoleOrdinary, line); }

  const StepInstance* first_nested(const StepInstance& parent, std::string_view type) const {
    const std::vector<const StepInstance*> found = nesting_.of_type(parent, type);
    return found.empty() ? nullptr : found.front();
  }

  // Alignments with a horizontal layout of at least one segment, in file order.
  std::vector<Candidate> find_candidates() const {
    std::vector<Candidate> candidates;
    for (const StepInstance* alignment : file_.instances_of("IFCALIGNMENT")) {
      Candidate c;
      c.alignment = alignment;
      c.horizontal = first_nested(*alignment, "IFCALIGNMENTHORIZONTAL");
      if (c.horizontal == nullptr || nesting_.of_type(*c.horizontal, "IFCALIGNMENTSEGMENT").empty()) continue;
      c.vertical = first_nested(*alignment, "IFCALIGNMENTVERTICAL");
      c.cant = first_nested(*alignment, "IFCALIGNMENTCANT");
      c.display_name =
          std::string(utf8_prefix(file_.attribute(*alignment, 2).string().value_or(""), kDisplayNameWidth));
      if (is_blank(c.display_name)) c.display_name = kUnnamedPrefix + std::to_string(candidates.size() + 1);
      candidates.push_back(std::move(c));
    }
    return candidates;
  }

  // The station of the alignment's first referent (its Pset_Stationing
  // Station), else 0.
  double read_start_station(const StepInstance& alignment) const {
    const std::vector<const StepInstance*> referents = nesting_.of_type(alignment, "IFCREFERENT");
    if (referents.empty()) return 0.0;
    const std::uint64_t first = referents.front()->id;
    for (const StepInstance* rel : file_.instances_of("IFCRELDEFINESBYPROPERTIES")) {
      const StepValue objects = file_.attribute(*rel, 4);
      bool concerns = false;
      for (std::size_t i = 0; i < objects.size(); ++i) concerns |= objects[i].reference() == first;
      if (!concerns) continue;
      const StepInstance* set = file_.resolve(file_.attribute(*rel, 5));
      if (set == nullptr || !file_.is_a(*set, "IFCPROPERTYSET")) continue;
      const StepValue properties = file_.attribute(*set, 4);
      for (std::size_t i = 0; i < properties.size(); ++i) {
        const StepInstance* property = file_.resolve(properties[i]);
        if (property == nullptr || !file_.is_a(*property, "IFCPROPERTYSINGLEVALUE")) continue;
        if (file_.attribute(*property, 0).string().value_or("") != "Station") continue;
        const double station = length_value(file_, *property, 2, units_.metres_per_length);
        if (std::fabs(station) <= kMaxStation) return station;
      }
    }
    return 0.0;
  }

  // The curves of the alignment's shape: its composite curve (or the base
  // curve of its gradient curve) and its gradient curve.
  void shape_curves(const StepInstance& alignment, const StepInstance*& plan,
                    const StepInstance*& profile) const {
    const StepInstance* shape = file_.resolve(file_.attribute(alignment, 6));
    if (shape == nullptr || !file_.is_a(*shape, "IFCPRODUCTDEFINITIONSHAPE")) return;
    const StepValue representations = file_.attribute(*shape, 2);
    for (std::size_t r = 0; r < representations.size(); ++r) {
      const StepInstance* representation = file_.resolve(representations[r]);
      if (representation == nullptr || !file_.is_a(*representation, "IFCSHAPEREPRESENTATION")) continue;
      const StepValue items = file_.attribute(*representation, 3);
      for (std::size_t i = 0; i < items.size(); ++i) {
        const StepInstance* item = file_.resolve(items[i]);
        if (item == nullptr) continue;
        if (file_.is_a(*item, "IFCGRADIENTCURVE")) {
          profile = item;
          const StepInstance* base = file_.resolve(file_.attribute(*item, 2));
          if (plan == nullptr && base != nullptr && file_.is_a(*base, "IFCCOMPOSITECURVE")) plan = base;
        } else if (file_.is_a(*item, "IFCCOMPOSITECURVE") && plan == nullptr) {
          plan = item;
        }
      }
    }
  }

  // The file's geometric representation against the model read from the
  // design parameters, at the start of every curve segment.
  void compare_representation(const StepInstance& alignment, double start_station) {
    const StepInstance* plan_curve = nullptr;
    const StepInstance* profile_curve = nullptr;
    shape_curves(alignment, plan_curve, profile_curve);
    const double m = units_.metres_per_length;
    if (plan_curve != nullptr && model_.has_plan()) {
      const StepValue segments = file_.attribute(*plan_curve, 0);
      double along = 0.0;
      for (std::size_t i = 0; i < segments.size(); ++i) {
        const StepInstance* segment = file_.resolve(segments[i]);
        if (segment == nullptr || !file_.is_a(*segment, "IFCCURVESEGMENT")) continue;
        const std::optional<PlanePoint> origin = segment_origin(file_, *segment, m);
        const std::optional<double> length = segment_length(file_, *segment, m);
        if (!origin || !length) {
          write(format_message(kMsgShapeNotCompared, kListingLineWidth, std::string("IfcCompositeCurve")));
          break;
        }
        AxisPoint point;
        const double station = start_station + along;
        if (station <= model_.plan_elements().back().end_station + kReportedEndMiss &&
            evaluate_axis_point(model_, std::min(station, model_.plan_elements().back().end_station), 1,
                                nullptr, point) != 0) {
          const double miss = point_distance({point.x, point.y}, *origin);
          if (!(miss <= kReportedEndMiss))
            write(format_message(kMsgShapeOffDesign, kListingLineWidth, station, miss));
        }
        along += *length;
      }
    }
    if (profile_curve != nullptr && model_.has_profile()) {
      const StepValue segments = file_.attribute(*profile_curve, 0);
      for (std::size_t i = 0; i < segments.size(); ++i) {
        const StepInstance* segment = file_.resolve(segments[i]);
        if (segment == nullptr || !file_.is_a(*segment, "IFCCURVESEGMENT")) continue;
        const std::optional<PlanePoint> origin = segment_origin(file_, *segment, m);
        if (!origin) {
          write(format_message(kMsgShapeNotCompared, kListingLineWidth, std::string("IfcGradientCurve")));
          break;
        }
        const double station = start_station + origin->x;
        const std::size_t k = locate_profile_element(model_, station);
        if (k == 0) continue;
        double z = 0.0;
        double grade = 0.0;
        evaluate_profile_element(model_.profile(k), station, z, grade);
        const double miss = std::fabs(z - origin->y);
        if (!(miss <= kReportedEndMiss))
          write(format_message(kMsgShapeOffDesign, kListingLineWidth, station, miss));
      }
    }
  }

  void read_plan(const StepInstance& horizontal, double start_station) {
    const std::vector<const StepInstance*> segments = nesting_.of_type(horizontal, "IFCALIGNMENTSEGMENT");
    std::vector<PlanElement> plan;
    int serials[5] = {0, 0, 0, 0, 0};
    static constexpr const char* kPrefixes[5] = {"", "DRO", "CER", "CLO", "RAC"};
    double station = start_station;
    TableStations stations;
    for (std::size_t i = 0; i < segments.size(); ++i) {
      const std::optional<HorizontalSegment> segment = read_horizontal(file_, *segments[i], units_);
      if (!segment) {
        write(format_message(msg::kPlanUnreadable, kListingLineWidth, std::string("IfcAlignmentSegment"),
                             station));
        break;
      }
      // The closing point of the layout, and segments too short to review.
      if (std::fabs(segment->length) < kShortestPlanElement) continue;
      PlanElement element;
      const Built built = make_plan_element(*segment, element);
      if (built != Built::kOk) {
        write(format_message(built == Built::kUnsupported ? msg::kPlanUnsupported : msg::kPlanUnreadable,
                             kListingLineWidth, segment->type, station));
        break;
      }
      element.start_station = station;
      element.end_station = station + segment->length;
      // The end the file states: where the next segment starts; the last
      // segment's end is its own.
      AxisPoint end;
      evaluate_plan_element(element, element.end_station, end);
      element.end_x = end.x;
      element.end_y = end.y;
      if (i + 1 < segments.size()) {
        if (const std::optional<HorizontalSegment> next = read_horizontal(file_, *segments[i + 1], units_)) {
          element.end_x = next->start.x;
          element.end_y = next->start.y;
        }
      }
      if (!accept_item(check_plan_item(stations, element), plan.size() + 1)) break;
      const auto kind = static_cast<std::size_t>(element.kind());
      element.name = serial_name(kPrefixes[kind], ++serials[kind]);
      station = element.end_station;
      plan.push_back(std::move(element));
    }
    if (plan.empty()) return;
    write(format_message(msg::kPlanCount, kListingLineWidth, static_cast<int>(plan.size())));
    StationEquations equations;
    equations.start = start_station;
    equations.end = plan.back().end_station;
    report_plan_misses(console_, plan, equations);
    model_.set_plan(std::move(plan));
    model_.set_station_equations(std::move(equations));
    mask_ |= kMaskPlan;
  }

  void read_profile(const StepInstance& vertical, double start_station) {
    const std::vector<const StepInstance*> segments = nesting_.of_type(vertical, "IFCALIGNMENTSEGMENT");
    std::vector<ProfileElement> profile;
    int grades = 0;
    int parabolas = 0;
    int circular = 0;
    TableStations stations;
    for (const StepInstance* instance : segments) {
      const std::optional<VerticalSegment> segment = read_vertical(file_, *instance, units_);
      const double station = start_station + (segment ? segment->start_along : 0.0);
      if (!segment) {
        write(format_message(msg::kProfileUnreadable, kListingLineWidth, std::string("IfcAlignmentSegment"),
                             station));
        break;
      }
      // The closing point of the layout, and segments too short to review.
      if (std::fabs(segment->length) < kShortestVerticalSegment) continue;
      // Segments run forwards and follow one another: a negative length, a
      // gap or an overlap ends the profile.
      if (segment->length < 0.0 ||
          (!profile.empty() && !(std::fabs(station - profile.back().end_station) <= kProfileJoinTolerance))) {
        write(format_message(msg::kProfileUnreadable, kListingLineWidth, segment->type, station));
        break;
      }
      ProfileElement e;
      e.start_station = station;
      e.end_station = station + segment->length;
      e.start_elevation = segment->start_height;
      const double g1 = segment->start_gradient;
      if (segment->type == "CONSTANTGRADIENT") {
        e.kind = kProfileGrade;
        e.grade_or_radius = g1 * 100.0;
        e.end_elevation = e.start_elevation + g1 * segment->length;
      } else if (segment->type == "PARABOLICARC" || segment->type == "CIRCULARARC") {
        const double change = segment->end_gradient - g1;
        double radius = segment->length / change;
        if (segment->type == "CIRCULARARC") {
          // A parabola of the circle's radius, on the side its grades turn to.
          ++circular;
          if (segment->radius != 0.0) radius = std::copysign(std::fabs(segment->radius), change);
        }
        if (!std::isfinite(radius) || radius == 0.0) {
          // No change of grade: a grade line.
          e.kind = kProfileGrade;
          e.grade_or_radius = g1 * 100.0;
          e.end_elevation = e.start_elevation + g1 * segment->length;
        } else {
          e.kind = kProfileParabola;
          e.grade_or_radius = radius;
          e.vertex_station = station - g1 * radius;
          e.vertex_elevation = e.start_elevation - g1 * g1 * radius / 2.0;
          const double d = e.end_station - e.vertex_station;
          e.end_elevation = e.vertex_elevation + d * d / (2.0 * radius);
        }
      } else {
        write(format_message(msg::kProfileUnsupported, kListingLineWidth, segment->type, station));
        break;
      }
      if (!accept_item(check_profile_item(stations, e), profile.size() + 1)) break;
      e.name = e.kind == kProfileGrade ? serial_name("DRO", ++grades) : serial_name("PAR", ++parabolas);
      profile.push_back(std::move(e));
    }
    if (circular > 0)
      write(format_message(msg::kCurveConverted, kListingLineWidth, std::string("CIRCULARARC"), circular));
    if (profile.empty()) return;
    write(format_message(msg::kProfileCount, kListingLineWidth, static_cast<int>(profile.size())));
    model_.set_profile(std::move(profile));
    mask_ |= kMaskProfile;
  }

  bool accept_item(ItemCheck check, std::size_t number) {
    if (check == ItemCheck::kOk) return true;
    write(format_message(refused_item_message(check), kListingLineWidth, static_cast<int>(number)));
    return false;
  }

  Console& console_;
  RoadModel& model_;
  const StepFile& file_;
  Nesting nesting_;
  IfcUnits units_;
  int mask_ = 0;
};

int finish_reading(Console& console, RoadModel& model, const StepFile& file,
                   const step::StepReadStatus& status, std::string_view file_name) {
  if (!status.ok()) {
    console_write(console, kConsoleOrdinary,
                  format_message(kMsgFileUnreadable, kListingLineWidth,
                                 std::string(step::step_error_text(status.error)), status.line));
  }
  int mask = 0;
  if (status.ok()) {
    Reading reading(console, model, file);
    try {
      reading.run();
    } catch (...) {
      write_log("read_ifc", "reading stopped");
    }
    mask = reading.mask();
  }
  return close_reading(console, model, mask, file_name);
}

}  // namespace

int read_ifc(Console& console, RoadModel& model, const std::string& path) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, path));
  step::StepFile file;
  const step::StepReadStatus status = step::read_step_file(path, file);
  return finish_reading(console, model, file, status, path);
}

int read_ifc_text(Console& console, RoadModel& model, std::string_view text, std::string_view file_name) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, file_name));
  step::StepFile file;
  const step::StepReadStatus status = step::read_step_text(text, file);
  return finish_reading(console, model, file, status, file_name);
}

}  // namespace corvalinde
