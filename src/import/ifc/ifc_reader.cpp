#include "import/ifc/ifc_reader.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "import/design_bounds.h"
#include "import/ifc/ifc_stationing.h"
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
constexpr int kMsgFileUnreadable = 106;         // template: reason, line
constexpr int kMsgUnits = 107;                  // template: length unit, metres, angle unit
constexpr int kMsgMapConversion = 108;          // template: eastings, northings, height
constexpr int kMsgCantNotUsed = 109;            // template: number of segments
constexpr int kMsgShapeOffDesign = 116;         // template: station, distance
constexpr int kMsgShapeNotCompared = 117;       // template: the curve not compared
constexpr int kMsgIncomingStationMissed = 101;  // template: referent number, incoming station, reached
constexpr int kMsgStationSetsUnattached = 104;  // template: number of property sets
constexpr int kMsgLayoutListedOnce = 102;       // template: alignment name, name of the one listed
constexpr int kMsgPlanShared = 105;             // template: alignment name, name of the plan's first
constexpr int kMsgProfileEndMissed = 103;       // template: segment type, station, distance
constexpr int kMsgClothoidSharper = 118;        // template: station, the file's radius
constexpr int kMsgGradeNotConstant = 119;       // template: station, end and start gradients (%)

constexpr std::size_t kNameRoom = kListingLineWidth - 30;
// Each of two names on one console line.
constexpr std::size_t kPairedNameRoom = 20;
// Parent alignments followed up from a child at most (a cycle ends there).
constexpr int kMaxAlignmentDepth = 16;
constexpr const char* kUnnamedPrefix = "Axe n\u00B0";
// Two vertical segments join when one starts this close (m) to where the
// previous one ends.
constexpr double kProfileJoinTolerance = 1e-3;
// Vertical segments shorter than this (m) are left out.
constexpr double kShortestVerticalSegment = 5e-4;
// A vertical clothoid's radius this much sharper than the parabola that
// stands for it is said.
constexpr double kSharperRadiusFactor = 0.999;
// A constant-gradient segment whose end gradient differs from its start by
// more than this (1e-6: 0.0001 %) is read with its start gradient, and said.
constexpr double kConstantGradientTolerance = 1e-6;
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
      note_parent(*parent, children);
    }
    for (const StepInstance* rel : file.instances_of("IFCRELAGGREGATES")) {
      if (const StepInstance* parent = file.resolve(file.attribute(*rel, 4)))
        note_parent(*parent, file.attribute(*rel, 5));
    }
  }

  // The alignment that nests or aggregates `child` (an alignment's part), or null.
  const StepInstance* parent_alignment(const StepInstance& child) const {
    const auto it = parents_.find(child.id);
    return it == parents_.end() ? nullptr : it->second;
  }

  bool has_type(const StepInstance& parent, std::string_view type) const {
    const auto it = nested_.find(parent.id);
    return it != nested_.end() &&
           std::any_of(it->second.begin(), it->second.end(),
                       [&](const StepInstance* child) { return file_.is_a(*child, type); });
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
  // Child alignments of an alignment: their first parent is kept.
  void note_parent(const StepInstance& parent, const StepValue& children) {
    if (!file_.is_a(parent, "IFCALIGNMENT")) return;
    for (std::size_t i = 0; i < children.size(); ++i) {
      if (const std::optional<std::uint64_t> child = children[i].reference())
        parents_.try_emplace(*child, &parent);
    }
  }

  const StepFile& file_;
  std::unordered_map<std::uint64_t, std::vector<const StepInstance*>> nested_;
  std::unordered_map<std::uint64_t, const StepInstance*> parents_;
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
  // The alignment whose referents and shape serve when the candidate has
  // none: the one that nests its horizontal layout.
  const StepInstance* layout_owner = nullptr;
  std::string display_name;
};

class Reading {
 public:
  Reading(Console& console, RoadModel& model, const StepFile& file)
      : console_(console),
        model_(model),
        file_(file),
        nesting_(file),
        units_(read_ifc_units(file)),
        station_properties_(file) {}

  void run() {
    write(format_message(kMsgUnits, kListingLineWidth, units_.length_name, units_.metres_per_length,
                         units_.angle_name));
    for (const StepInstance* map : file_.instances_of("IFCMAPCONVERSION")) {
      const double m = units_.metres_per_length;
      write(format_message(kMsgMapConversion, kListingLineWidth, length_value(file_, *map, 2, m),
                           length_value(file_, *map, 3, m), length_value(file_, *map, 4, m)));
    }
    if (const int unattached = station_properties_.unattached(); unattached > 0)
      write(format_message(kMsgStationSetsUnattached, kListingLineWidth, unattached));
    std::vector<Candidate> candidates = find_candidates();
    int chosen = candidates.size() == 1 ? 1 : 0;
    if (candidates.size() > 1) {
      std::vector<AlignmentOption> options;
      for (const Candidate& c : candidates) options.push_back(option_of(c));
      chosen = user_interface().choose_alignment(message_trimmed(msg::kAlignmentChoice), options);
    }
    if (chosen < 1 || chosen > static_cast<int>(candidates.size())) return;
    const Candidate& alignment = candidates[static_cast<std::size_t>(chosen - 1)];
    write(format_message(msg::kAlignmentChosen, kListingLineWidth,
                         std::string(utf8_prefix(alignment.display_name, kNameRoom))));
    // A child alignment without referents or shape of its own is stationed
    // and shaped as the alignment whose plan it uses.
    const StepInstance* stationed = nesting_.of_type(*alignment.alignment, "IFCREFERENT").empty()
                                        ? alignment.layout_owner
                                        : alignment.alignment;
    const StepInstance* shaped =
        file_.attribute(*alignment.alignment, 6).is_unset() ? alignment.layout_owner : alignment.alignment;
    const ReferentReading referents =
        read_referents(file_, station_properties_, nesting_.of_type(*stationed, "IFCREFERENT"),
                       alignment_curves(*shaped), units_.metres_per_length);
    // Until the plan's length is known, the stations run on without end.
    stations_ = stationing_from_referents(referents.referents, 2.0 * kMaxStation).stations;
    const double start_station = stations_.start;
    read_plan(*alignment.horizontal, referents.referents);
    if (alignment.vertical != nullptr) read_profile(*alignment.vertical, start_station);
    compare_representation(*shaped, start_station);
    // Referents without a station (reference markers of other kinds) are not used.
    if (referents.without_station > 0)
      write(format_message(msg::kNotRead, kListingLineWidth, std::string("IfcReferent"),
                           referents.without_station));
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

  // The alignment's own layout of that type, else the nearest parent
  // alignment's (a child alignment that reuses its parent's layout);
  // `owner` is the alignment that nests it.
  const StepInstance* layout_of(const StepInstance& alignment, std::string_view type,
                                const StepInstance*& owner) const {
    const StepInstance* a = &alignment;
    for (int depth = 0; a != nullptr && depth < kMaxAlignmentDepth; ++depth) {
      if (const StepInstance* layout = first_nested(*a, type)) {
        owner = a;
        return layout;
      }
      a = nesting_.parent_alignment(*a);
    }
    return nullptr;
  }

  std::string alignment_name(const StepInstance& alignment, std::size_t number) const {
    std::string name =
        std::string(utf8_prefix(file_.attribute(alignment, 2).string().value_or(""), kDisplayNameWidth));
    return is_blank(name) ? kUnnamedPrefix + std::to_string(number) : name;
  }

  // Alignments with a horizontal layout of at least one segment, in file
  // order. One whose layouts are those of an earlier one is listed once,
  // with a note; one that shares only the horizontal layout is listed with
  // a note that says whose it is.
  // How the choice shows a candidate: its start station where a referent
  // gives one, and the length of its plan when every segment reads.
  AlignmentOption option_of(const Candidate& c) const {
    AlignmentOption option;
    option.name = c.display_name;
    const StepInstance& stationed =
        nesting_.of_type(*c.alignment, "IFCREFERENT").empty() ? *c.layout_owner : *c.alignment;
    const StepInstance& shaped = file_.attribute(*c.alignment, 6).is_unset() ? *c.layout_owner : *c.alignment;
    const ReferentReading referents =
        read_referents(file_, station_properties_, nesting_.of_type(stationed, "IFCREFERENT"),
                       alignment_curves(shaped), units_.metres_per_length);
    if (!referents.referents.empty())
      option.start_station = stationing_from_referents(referents.referents, 2.0 * kMaxStation).stations.start;
    double length = 0.0;
    for (const StepInstance* segment : nesting_.of_type(*c.horizontal, "IFCALIGNMENTSEGMENT")) {
      const std::optional<HorizontalSegment> read = read_horizontal(file_, *segment, units_);
      if (!read || !std::isfinite(read->length)) return option;
      length += read->length;
    }
    if (std::isfinite(length) && length >= 0.0) option.length = length;
    return option;
  }

  std::vector<Candidate> find_candidates() {
    std::vector<Candidate> candidates;
    // The first candidate of each horizontal layout, and of each pair of layouts.
    std::unordered_map<std::uint64_t, std::size_t> first_by_plan;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> first_by_layouts;
    for (const StepInstance* alignment : file_.instances_of("IFCALIGNMENT")) {
      Candidate c;
      c.alignment = alignment;
      c.horizontal = layout_of(*alignment, "IFCALIGNMENTHORIZONTAL", c.layout_owner);
      if (c.horizontal == nullptr || !nesting_.has_type(*c.horizontal, "IFCALIGNMENTSEGMENT")) continue;
      const StepInstance* vertical_owner = nullptr;
      c.vertical = layout_of(*alignment, "IFCALIGNMENTVERTICAL", vertical_owner);
      c.cant = first_nested(*alignment, "IFCALIGNMENTCANT");
      c.display_name = alignment_name(*alignment, candidates.size() + 1);
      const std::pair<std::uint64_t, std::uint64_t> layouts{c.horizontal->id,
                                                            c.vertical != nullptr ? c.vertical->id : 0};
      if (const auto same = first_by_layouts.find(layouts); same != first_by_layouts.end()) {
        write(format_message(kMsgLayoutListedOnce, kListingLineWidth, paired_name(c.display_name),
                             paired_name(candidates[same->second].display_name)));
        continue;
      }
      const auto plan = first_by_plan.try_emplace(layouts.first, candidates.size());
      if (!plan.second)
        write(format_message(kMsgPlanShared, kListingLineWidth, paired_name(c.display_name),
                             paired_name(candidates[plan.first->second].display_name)));
      first_by_layouts.emplace(layouts, candidates.size());
      candidates.push_back(std::move(c));
    }
    return candidates;
  }

  static std::string paired_name(const std::string& name) {
    return std::string(utf8_prefix(name, kPairedNameRoom));
  }

  // The items of the alignment's shape representations, in file order.
  std::vector<const StepInstance*> shape_items(const StepInstance& alignment) const {
    std::vector<const StepInstance*> found;
    const StepInstance* shape = file_.resolve(file_.attribute(alignment, 6));
    if (shape == nullptr || !file_.is_a(*shape, "IFCPRODUCTDEFINITIONSHAPE")) return found;
    const StepValue representations = file_.attribute(*shape, 2);
    for (std::size_t r = 0; r < representations.size(); ++r) {
      const StepInstance* representation = file_.resolve(representations[r]);
      if (representation == nullptr || !file_.is_a(*representation, "IFCSHAPEREPRESENTATION")) continue;
      const StepValue items = file_.attribute(*representation, 3);
      for (std::size_t i = 0; i < items.size(); ++i)
        if (const StepInstance* item = file_.resolve(items[i])) found.push_back(item);
    }
    return found;
  }

  // Every curve of the alignment's shape, and the curves they are based on:
  // where its referents may be placed.
  std::vector<std::uint64_t> alignment_curves(const StepInstance& alignment) const {
    std::vector<std::uint64_t> curves;
    for (const StepInstance* item : shape_items(alignment)) {
      // A curve and, for a gradient or segmented reference curve, its base
      // curves (two levels at most).
      for (int level = 0; level < 3 && item != nullptr; ++level) {
        curves.push_back(item->id);
        if (!file_.is_a(*item, "IFCGRADIENTCURVE") && !file_.is_a(*item, "IFCSEGMENTEDREFERENCECURVE")) break;
        item = file_.resolve(file_.attribute(*item, 2));
      }
    }
    return curves;
  }

  // The designer's station at an internal station.
  double shown(double internal) const { return designer_station(stations_, internal).value; }

  // The curves of the alignment's shape: its composite curve (or the base
  // curve of its gradient curve) and its gradient curve.
  void shape_curves(const StepInstance& alignment, const StepInstance*& plan,
                    const StepInstance*& profile) const {
    for (const StepInstance* item : shape_items(alignment)) {
      if (file_.is_a(*item, "IFCGRADIENTCURVE")) {
        profile = item;
        const StepInstance* base = file_.resolve(file_.attribute(*item, 2));
        if (plan == nullptr && base != nullptr && file_.is_a(*base, "IFCCOMPOSITECURVE")) plan = base;
      } else if (file_.is_a(*item, "IFCCOMPOSITECURVE") && plan == nullptr) {
        plan = item;
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
            write(format_message(kMsgShapeOffDesign, kListingLineWidth, shown(station), miss));
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
          write(format_message(kMsgShapeOffDesign, kListingLineWidth, shown(station), miss));
      }
    }
  }

  void read_plan(const StepInstance& horizontal, const std::vector<ReferentStation>& referents) {
    const double start_station = stations_.start;
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
                             shown(station)));
        break;
      }
      // The closing point of the layout, and segments too short to review.
      if (std::fabs(segment->length) < kShortestPlanElement) continue;
      PlanElement element;
      const Built built = make_plan_element(*segment, element);
      if (built != Built::kOk) {
        write(format_message(built == Built::kUnsupported ? msg::kPlanUnsupported : msg::kPlanUnreadable,
                             kListingLineWidth, segment->type, shown(station)));
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
    ReferentStationing stationing =
        stationing_from_referents(referents, plan.back().end_station - start_station);
    for (const StationEquation& e : stationing.stations.equations) {
      const std::string back = std::isfinite(e.back) ? fmt::format("{:.3f}", e.back) : std::string("-");
      write(format_message(e.increasing ? msg::kStationEquation : msg::kStationEquationDecreasing,
                           kListingLineWidth, e.internal, back, e.ahead));
    }
    for (const int number : stationing.unreadable)
      write(format_message(msg::kStationEquationUnreadable, kListingLineWidth, number));
    for (const IncomingMiss& miss : stationing.misses)
      write(format_message(kMsgIncomingStationMissed, kListingLineWidth, miss.number, miss.incoming,
                           miss.reached));
    stations_ = stationing.stations;
    report_plan_misses(console_, plan, stationing.stations);
    model_.set_plan(std::move(plan));
    model_.set_station_equations(std::move(stationing.stations));
    mask_ |= kMaskPlan;
  }

  void read_profile(const StepInstance& vertical, double start_station) {
    const std::vector<const StepInstance*> segments = nesting_.of_type(vertical, "IFCALIGNMENTSEGMENT");
    std::vector<ProfileElement> profile;
    int grades = 0;
    int parabolas = 0;
    int circular = 0;
    int clothoids = 0;
    std::string previous_type;
    TableStations stations;
    for (const StepInstance* instance : segments) {
      const std::optional<VerticalSegment> segment = read_vertical(file_, *instance, units_);
      const double station = start_station + (segment ? segment->start_along : 0.0);
      if (!segment) {
        write(format_message(msg::kProfileUnreadable, kListingLineWidth, std::string("IfcAlignmentSegment"),
                             shown(station)));
        break;
      }
      // The closing point of the layout, and segments too short to review.
      if (std::fabs(segment->length) < kShortestVerticalSegment) continue;
      // Segments run forwards and follow one another: a negative length, a
      // gap or an overlap ends the profile.
      if (segment->length < 0.0 ||
          (!profile.empty() && !(std::fabs(station - profile.back().end_station) <= kProfileJoinTolerance))) {
        write(format_message(msg::kProfileUnreadable, kListingLineWidth, segment->type, shown(station)));
        break;
      }
      ProfileElement e;
      e.start_station = station;
      e.end_station = station + segment->length;
      e.start_elevation = segment->start_height;
      const double g1 = segment->start_gradient;
      if (segment->type == "CONSTANTGRADIENT") {
        if (!(std::fabs(segment->end_gradient - g1) <= kConstantGradientTolerance))
          write(format_message(kMsgGradeNotConstant, kListingLineWidth, shown(station),
                               segment->end_gradient * 100.0, g1 * 100.0));
        e.kind = kProfileGrade;
        e.grade_or_radius = g1 * 100.0;
        e.end_elevation = e.start_elevation + g1 * segment->length;
      } else if (segment->type == "PARABOLICARC" || segment->type == "CIRCULARARC" ||
                 segment->type == "CLOTHOID") {
        const double change = segment->end_gradient - g1;
        double radius = segment->length / change;
        if (segment->type == "CIRCULARARC") {
          // A parabola of the circle's radius, on the side its grades turn to.
          ++circular;
          if (segment->radius != 0.0) radius = std::copysign(std::fabs(segment->radius), change);
        } else if (segment->type == "CLOTHOID") {
          // A parabola with the clothoid's length and end grades, so of its
          // mean curvature: a sharper radius the file gives is not reviewed.
          ++clothoids;
          if (segment->radius != 0.0 &&
              !(std::fabs(segment->radius) >= kSharperRadiusFactor * std::fabs(radius)))
            write(format_message(kMsgClothoidSharper, kListingLineWidth, shown(station),
                                 std::fabs(segment->radius)));
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
        write(format_message(msg::kProfileUnsupported, kListingLineWidth, segment->type, shown(station)));
        break;
      }
      if (!accept_item(check_profile_item(stations, e), profile.size() + 1)) break;
      // Where the element before ends against where the file starts this one.
      if (!profile.empty()) {
        const double miss = std::fabs(profile.back().end_elevation - e.start_elevation);
        if (!(miss <= kReportedEndMiss))
          write(format_message(kMsgProfileEndMissed, kListingLineWidth, previous_type,
                               shown(profile.back().end_station), miss));
      }
      previous_type = segment->type;
      e.name = e.kind == kProfileGrade ? serial_name("DRO", ++grades) : serial_name("PAR", ++parabolas);
      profile.push_back(std::move(e));
    }
    if (circular > 0)
      write(format_message(msg::kCurveConverted, kListingLineWidth, std::string("CIRCULARARC"), circular));
    if (clothoids > 0)
      write(format_message(msg::kCurveConverted, kListingLineWidth, std::string("CLOTHOID"), clothoids));
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
  StationProperties station_properties_;
  StationEquations stations_;  // the stations shown on the console
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

int read_ifc(Console& console, RoadModel& model, const std::string& path, std::string* sha256) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, path));
  step::StepFile file;
  const step::StepReadStatus status = step::read_step_file(path, file, sha256);
  return finish_reading(console, model, file, status, path);
}

std::shared_ptr<const ParsedIfc> parse_ifc_file(const std::string& path) {
  try {
    auto parsed = std::make_shared<ParsedIfc>();
    parsed->status = step::read_step_file(path, parsed->file, &parsed->sha256);
    return parsed;
  } catch (...) {
    return nullptr;
  }
}

int read_ifc(Console& console, RoadModel& model, const ParsedIfc& parsed, const std::string& path) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, path));
  return finish_reading(console, model, parsed.file, parsed.status, path);
}

int read_ifc_text(Console& console, RoadModel& model, std::string_view text, std::string_view file_name) {
  console_write(console, kConsoleHeadingLine, file_message_line(msg::kReading, file_name));
  step::StepFile file;
  const step::StepReadStatus status = step::read_step_text(text, file);
  return finish_reading(console, model, file, status, file_name);
}

}  // namespace corvalinde
