#include "import/landxml/landxml_profile.h"

#include <cmath>
#include <string_view>

#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_plan.h"
#include "output/utf8.h"
#include "road/plan_geometry.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

constexpr const char* kUnnamedPrefix = "Axe n\u00B0";

// Two PVIs this close (m) in station and elevation are one PVI written twice.
constexpr double kRepeatedPvi = 1e-4;

bool is_named(const XmlElement& element, std::string_view name) {
  return element.name != nullptr && name == element.name;
}

// Children of a ProfAlign that carry no geometry.
bool is_descriptive(const XmlElement& element) {
  return is_named(element, "Feature");
}

ProfileElement grade_element(ProfilePoint from, ProfilePoint to, double grade) {
  ProfileElement e;
  e.kind = kProfileGrade;
  e.start_station = from.station;
  e.start_elevation = from.elevation;
  e.end_station = to.station;
  e.end_elevation = to.elevation;
  e.grade_or_radius = grade;
  return e;
}

// A vertical curve is flat when its radius would exceed the largest radius a
// curve may have: the grades on both sides are one grade.
bool is_flat(const GradeLine& first, const GradeLine& second, double length) {
  const double change = std::fabs(grade_line_grade(second) - grade_line_grade(first)) / 100.0;
  return !(change * kMaxCurveRadius > length);
}

}  // namespace

int ProfileStep::fail(ProfileNote note, const std::string& type, double station) {
  notes_.push_back({note, type, station});
  finished_ = true;
  return -1;
}

ProfileStep::Read ProfileStep::read_point(Point& point) {
  for (;;) {
    const XmlElement* child = next_element(prof_align_, index_);
    if (child == nullptr) return Read::kEnd;
    if (is_descriptive(*child)) continue;
    point = Point{};
    point.type =
        display_name(child->name != nullptr ? child->name : "", LandXmlEncoding::kUtf8, kElementTypeWidth);
    const bool pvi = is_named(*child, "PVI");
    const bool parabolic = is_named(*child, "ParaCurve");
    const bool circular = is_named(*child, "CircCurve");
    const bool unsymmetrical = is_named(*child, "UnsymParaCurve");
    if (!pvi && !parabolic && !circular && !unsymmetrical) {
      notes_.push_back({ProfileNote::kUnsupported, point.type, previous_.at.station});
      return Read::kFailed;
    }
    std::string_view text = first_text_run(*child);
    double station = 0.0;
    double elevation = 0.0;
    if (!read_free_format_real(text, station) || !read_free_format_real(text, elevation)) {
      notes_.push_back({ProfileNote::kUnreadable, point.type, previous_.at.station});
      return Read::kFailed;
    }
    point.at = {station * units_.linear, elevation * units_.elevation};
    bool readable = true;
    if (parabolic) {
      point.curve = CurveKind::kParabolic;
      readable = XML_FIND_ATTRIBUTE_REAL8(*child, "length", point.length);
      point.length *= units_.linear;
    } else if (circular) {
      point.curve = CurveKind::kCircular;
      const bool has_radius = XML_FIND_ATTRIBUTE_REAL8(*child, "radius", point.radius);
      const bool has_length = XML_FIND_ATTRIBUTE_REAL8(*child, "length", point.length);
      readable = has_radius || has_length;
      point.radius = std::fabs(point.radius) * units_.linear;
      point.length *= units_.linear;
    } else if (unsymmetrical) {
      point.curve = CurveKind::kUnsymmetrical;
      readable = XML_FIND_ATTRIBUTE_REAL8(*child, "lengthIn", point.length_in) &&
                 XML_FIND_ATTRIBUTE_REAL8(*child, "lengthOut", point.length_out);
      point.length_in *= units_.linear;
      point.length_out *= units_.linear;
    }
    if (!readable || !(std::fabs(point.at.station) <= kLargestCoordinate) ||
        !(std::fabs(point.at.elevation) <= kLargestCoordinate)) {
      notes_.push_back({ProfileNote::kUnreadable, point.type, previous_.at.station});
      return Read::kFailed;
    }
    return Read::kPoint;
  }
}

bool ProfileStep::curves_at_previous(const GradeLine& g2, std::vector<VerticalCurve>& curves, bool& plain) {
  curves.clear();
  plain = false;
  const Point& p = previous_;
  const double change = (grade_line_grade(g2) - grade_line_grade(g1_)) / 100.0;
  double length = 0.0;
  switch (p.curve) {
    case CurveKind::kNone:
      plain = true;
      return true;
    case CurveKind::kParabolic:
      length = p.length;
      break;
    case CurveKind::kCircular:
      // The writer's length is the span it fitted between the grade lines;
      // without one, the parabola of the curve's radius spans R x (grade change).
      length = p.length > 0.0 ? p.length : p.radius * std::fabs(change);
      ++circular_converted_;
      break;
    case CurveKind::kUnsymmetrical: {
      ++unsymmetrical_converted_;
      const double in = p.length_in;
      const double out = p.length_out;
      if (!(in > 0.0) || !(out > 0.0) || is_flat(g1_, g2, in + out)) {
        // Without one of its branches the curve is a plain grade break.
        plain = true;
        return true;
      }
      // Two parabolas that meet above the PVI with a common tangent, whose
      // grade divides the change in proportion to the branch lengths.
      const double g1 = grade_line_grade(g1_) / 100.0;
      const double g2_fraction = grade_line_grade(g2) / 100.0;
      const double gc = (in * g1 + out * g2_fraction) / (in + out);
      const ProfilePoint start{p.at.station - in, p.at.elevation - in * g1};
      const ProfilePoint common{p.at.station, start.elevation + in * (g1 + gc) / 2.0};
      const GradeLine middle = grade_line_through_point(common, gc * 100.0);
      VerticalCurve first;
      VerticalCurve second;
      if (vertical_curve_between_lines(g1_, middle, in, first) != kGeometryOk ||
          vertical_curve_between_lines(middle, g2, out, second) != kGeometryOk) {
        return false;
      }
      curves = {first, second};
      return true;
    }
  }
  if (!(length > 0.0) || is_flat(g1_, g2, length)) {
    plain = true;
    return true;
  }
  VerticalCurve curve;
  if (vertical_curve_between_lines(g1_, g2, length, curve) != kGeometryOk) return false;
  curves = {curve};
  return true;
}

bool ProfileStep::add_grade_line(ProfilePoint p1, std::vector<ProfileElement>& elements) {
  if (p1.station < p0_.station - kShortestProfileElement &&
      p1.station >= p0_.station - kTouchingCurvesOverlap) {
    // Two vertical curves that touch, up to the rounding of the file: no
    // grade line between them.
    return true;
  }
  if (p1.station < p0_.station - kShortestProfileElement) {
    write_log("Rebroussement DRO");
    return false;
  }
  if (p1.station - p0_.station >= kShortestProfileElement) {
    elements.push_back(grade_element(p0_, p1, grade_line_grade(g1_) + 0.0));
  }
  return true;
}

int ProfileStep::next(std::vector<ProfileElement>& elements) {
  elements.clear();
  if (finished_) return -1;
  for (;;) {
    Point point;
    const Read read = read_point(point);
    if (read == Read::kFailed && points_read_ < 2) {
      finished_ = true;
      return -1;
    }
    if (read != Read::kPoint) {
      // The PVIs are exhausted (or an unknown child ends them): the closing
      // grade line ends at the last point read.
      finished_ = true;
      if (points_read_ < 2) return 0;
      write_log("Ajouter droite", points_read_);
      if (!add_grade_line(previous_.at, elements)) {
        return fail(ProfileNote::kUnreadable, previous_.type, p0_.station);
      }
      return static_cast<int>(elements.size());
    }
    if (points_read_ > 0 && std::fabs(point.at.station - previous_.at.station) <= kRepeatedPvi &&
        std::fabs(point.at.elevation - previous_.at.elevation) <= kRepeatedPvi) {
      // The same PVI written twice: one point, with the curve of either.
      if (previous_.curve == CurveKind::kNone && points_read_ > 1) {
        const ProfilePoint at = previous_.at;
        previous_ = point;
        previous_.at = at;
      }
      continue;
    }
    ++points_read_;
    if (points_read_ == 1) {
      // A curve on the first point has nothing to join.
      point.curve = CurveKind::kNone;
      p0_ = point.at;
      previous_ = point;
      continue;
    }
    GradeLine g2;
    if (grade_line_through_points(previous_.at, point.at, g2) != kGeometryOk) {
      return fail(ProfileNote::kUnreadable, point.type, p0_.station);
    }
    if (points_read_ == 2) {
      g1_ = g2;
      previous_ = point;
      continue;
    }
    std::vector<VerticalCurve> curves;
    bool plain = false;
    if (!curves_at_previous(g2, curves, plain)) {
      return fail(ProfileNote::kUnreadable, previous_.type, p0_.station);
    }
    ProfilePoint p1 = previous_.at;
    ProfilePoint p2 = previous_.at;
    std::vector<ProfileElement> parabolas;
    if (!plain) {
      p1 = {curves.front().first_tangent_station,
            grade_line_elevation(g1_, curves.front().first_tangent_station)};
      p2 = {curves.back().second_tangent_station,
            grade_line_elevation(g2, curves.back().second_tangent_station)};
      if (p2.station < p1.station - kShortestProfileElement) {
        write_log("Rebroussement PAR");
        return fail(ProfileNote::kUnreadable, previous_.type, p0_.station);
      }
      for (const VerticalCurve& c : curves) {
        const double from = c.first_tangent_station;
        const double to = c.second_tangent_station;
        if (to - from < kShortestProfileElement) continue;
        ProfileElement e;
        e.kind = kProfileParabola;
        e.start_station = from;
        e.start_elevation = parabola_elevation(c.parabola, from);
        e.end_station = to;
        e.end_elevation = parabola_elevation(c.parabola, to);
        e.grade_or_radius = round_to_decimals(c.parabola.radius, 4);
        e.vertex_station = c.parabola.vertex_station;
        e.vertex_elevation = c.parabola.vertex_elevation;
        parabolas.push_back(e);
      }
      // The ends of the curve lie on the grade lines it joins.
      if (!parabolas.empty()) {
        parabolas.front().start_elevation = p1.elevation;
        parabolas.back().end_elevation = p2.elevation;
      } else {
        p2 = p1;
      }
    }
    if (!add_grade_line(p1, elements)) {
      return fail(ProfileNote::kUnreadable, previous_.type, p0_.station);
    }
    if (!parabolas.empty() && parabolas.front().start_station < p0_.station) {
      // A curve that begins a little before the previous one ends starts where it ends.
      parabolas.front().start_station = p0_.station;
      parabolas.front().start_elevation = p0_.elevation;
    }
    elements.insert(elements.end(), parabolas.begin(), parabolas.end());
    p0_ = p2;
    g1_ = g2;
    previous_ = point;
    if (!elements.empty()) return static_cast<int>(elements.size());
  }
}

ProfileChoice get_landxml_axe_l(const XmlElement& alignment, const LandXmlUnits& units,
                                LandXmlEncoding encoding, int title_message) {
  write_log("get_landxml_axe_l");
  ProfileChoice choice;
  std::vector<const XmlElement*> alignments;
  if (is_named(alignment, "Alignments")) {
    int index = 0;
    while (const XmlElement* child = next_element(alignment, index)) {
      if (is_named(*child, "Alignment")) alignments.push_back(child);
    }
  } else {
    alignments.push_back(&alignment);
  }
  std::vector<ChosenProfile> candidates;
  std::vector<std::string> names;
  int prof_aligns = 0;
  for (const XmlElement* a : alignments) {
    int index = 0;
    while (const XmlElement* profile = next_element(*a, index)) {
      if (!is_named(*profile, "Profile")) continue;
      int inner = 0;
      while (XmlElement* prof_align = next_element(*profile, inner)) {
        if (!is_named(*prof_align, "ProfAlign")) continue;
        ++prof_aligns;
        ProfileStep trial(*prof_align, units);
        std::vector<ProfileElement> produced;
        if (trial.next(produced) < 1) {
          choice.rejected.insert(choice.rejected.end(), trial.notes().begin(), trial.notes().end());
          continue;
        }
        ChosenProfile candidate;
        candidate.prof_align = prof_align;
        candidate.display_name =
            display_name(attribute_text(*prof_align, "name"), encoding, kDisplayNameWidth);
        if (is_blank(candidate.display_name)) {
          candidate.display_name = kUnnamedPrefix + std::to_string(candidates.size() + 1);
        }
        double station = 0.0;
        if (XML_FIND_ATTRIBUTE_REAL8(*a, "staStart", station))
          candidate.start_station = station * units.linear;
        names.push_back(candidate.display_name);
        candidates.push_back(std::move(candidate));
      }
    }
  }
  write_log("nb align", alignments.size());
  write_log("nb profalign", prof_aligns);
  choice.candidates = static_cast<int>(candidates.size());
  write_log("nbaxes", choice.candidates);
  int chosen = 0;
  if (candidates.size() == 1) {
    chosen = user_interface().accept_only_candidate(message_trimmed(title_message), names.front()) ? 1 : 0;
  } else if (candidates.size() > 1) {
    chosen = user_interface().choose_from_list(message_trimmed(title_message), names);
  }
  if (chosen < 1 || chosen > choice.candidates) return choice;
  choice.chosen = true;
  choice.profile = std::move(candidates[static_cast<std::size_t>(chosen - 1)]);
  return choice;
}

}  // namespace corvalinde
