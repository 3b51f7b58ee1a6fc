// The loaded road design: three independent tables (plan elements, profile
// elements, crossfall points), each absent or present and never empty.
// The application owns one RoadModel for the whole process; readers fill it,
// everything else reads it. The three station-lookup caches live here too and
// survive clear() and new loads (lookups clamp them before use).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "road/station_equations.h"
#include "road/transition_curve.h"

namespace corvalinde {

// Plan element kinds: the index of the element's geometry (PlanGeometry).
enum : std::int8_t { kPlanLine = 1, kPlanArc = 2, kPlanClothoid = 3, kPlanTransition = 4 };
// Profile element kinds.
enum : std::int8_t { kProfileGrade = 1, kProfileParabola = 2 };

// Reader mask bits: the tables a reader completed.
enum ReaderMask : int { kMaskPlan = 1, kMaskProfile = 2, kMaskCrossfall = 4 };

// The geometry of a straight line: a*x + b*y + c = 0 with (a, b) the unit
// normal, and the heading of travel. The evaluation runs from the element's
// start point along the heading.
struct LineGeometry {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double heading = 0.0;
};

// A circular arc: its centre, signed radius (> 0 turns left, counter-
// clockwise) and the polar angles, seen from the centre, of its start and end
// points. The start angle is exact: a rounded one turns the whole arc about
// its centre and moves its end by up to R x the rounding.
struct ArcGeometry {
  double centre_x = 0.0;
  double centre_y = 0.0;
  double radius = 0.0;
  double start_angle = 0.0;
  double end_angle = 0.0;
};

// A clothoid: parameter A (> 0), its origin (the point of zero curvature,
// possibly on the extended spiral), the tangent heading there, the tangent
// angles tau = l^2 / (2 A^2) at the element ends nearer to and farther from
// the origin (tau_near <= tau_far), whether stations grow away from the origin
// (+1) or towards it (-1), and the sense of turn (+1 left, -1 right).
struct ClothoidGeometry {
  double parameter = 0.0;
  double origin_x = 0.0;
  double origin_y = 0.0;
  double origin_heading = 0.0;
  double tau_near = 0.0;
  double tau_far = 0.0;
  std::int8_t orientation = 0;
  std::int8_t turn = 0;
};

// What an element is. The alternative's index is the element's kind
// (kPlanLine .. kPlanTransition); std::monostate is an element not yet given
// a geometry (kind 0), which evaluates nowhere. Any other transition curve
// than the clothoid is a TransitionCurve, which the native design format
// cannot hold.
using PlanGeometry =
    std::variant<std::monostate, LineGeometry, ArcGeometry, ClothoidGeometry, TransitionCurve>;

// One element of the horizontal alignment: its name, its stations and end
// points, and its geometry. All stored polar angles and headings lie in
// [0, 2*pi).
struct PlanElement {
  std::string name;  // up to 6 characters (blank padding is not stored)
  double start_station = 0.0;
  double start_x = 0.0;
  double start_y = 0.0;
  double end_station = 0.0;
  double end_x = 0.0;
  double end_y = 0.0;
  PlanGeometry geometry;

  std::int8_t kind() const { return static_cast<std::int8_t>(geometry.index()); }
  // The geometry of one kind, or null when the element is of another kind.
  const LineGeometry* line() const { return std::get_if<LineGeometry>(&geometry); }
  const ArcGeometry* arc() const { return std::get_if<ArcGeometry>(&geometry); }
  const ClothoidGeometry* clothoid() const { return std::get_if<ClothoidGeometry>(&geometry); }
  const TransitionCurve* transition() const { return std::get_if<TransitionCurve>(&geometry); }
  // The heading of travel at the start (polar angle, not reduced); 0 for an
  // element without geometry.
  double start_heading() const;
  // The numbers that define a line, arc or clothoid, in declaration order
  // (padded with 0), for range and finiteness checks; all 0 for a transition
  // (checked when it is built) and for an element without geometry.
  std::array<double, 6> geometry_numbers() const;
};

// One element of the vertical profile. Grade line: grade_or_radius is the
// grade in per cent, vertex fields 0. Parabola: grade_or_radius is the signed
// radius (> 0 sag, < 0 crest, 4 decimals); z(s) = zv + (s - sv)^2 / (2R),
// the vertex may lie outside the element.
struct ProfileElement {
  std::int8_t kind = 0;
  std::string name;  // up to 6 characters
  double start_station = 0.0;
  double start_elevation = 0.0;
  double end_station = 0.0;
  double end_elevation = 0.0;
  double grade_or_radius = 0.0;
  double vertex_station = 0.0;
  double vertex_elevation = 0.0;
};

// One break point of the superelevation. Both crossfalls are in per cent,
// measured from the left edge towards the right edge (positive rising to the
// right); the normal crown is (+2.5, -2.5).
struct CrossfallPoint {
  double station = 0.0;
  double left = 0.0;
  double right = 0.0;
};

// The three tables. Access is 1-based as in the rest of the system; an
// index outside [1, count] is a programming error (checked in debug builds).
class RoadModel {
 public:
  // Makes all three tables absent and releases their storage. The lookup
  // caches are kept.
  void clear();

  // Each stores the given records as the new present table, in the given
  // order. An empty vector makes the table absent.
  void set_plan(std::vector<PlanElement> records);
  void set_profile(std::vector<ProfileElement> records);
  void set_crossfall(std::vector<CrossfallPoint> points);

  void discard_plan() {
    plan_.clear();
    plan_.shrink_to_fit();
    stations_ = {};
  }
  void discard_profile() {
    profile_.clear();
    profile_.shrink_to_fit();
  }
  void discard_crossfall() {
    crossfall_.clear();
    crossfall_.shrink_to_fit();
  }

  bool has_plan() const { return !plan_.empty(); }
  bool has_profile() const { return !profile_.empty(); }
  bool has_crossfall() const { return !crossfall_.empty(); }

  std::size_t plan_count() const { return plan_.size(); }
  std::size_t profile_count() const { return profile_.size(); }
  std::size_t crossfall_count() const { return crossfall_.size(); }

  const PlanElement& plan(std::size_t i) const;
  const ProfileElement& profile(std::size_t i) const;
  const CrossfallPoint& crossfall(std::size_t i) const;

  const std::vector<PlanElement>& plan_elements() const { return plan_; }
  const std::vector<ProfileElement>& profile_elements() const { return profile_; }
  const std::vector<CrossfallPoint>& crossfall_points() const { return crossfall_; }

  // The station equations of the plan (none: the designer's stations are the
  // internal ones). Dropped by clear() and discard_plan().
  void set_station_equations(StationEquations stations) { stations_ = std::move(stations); }
  const StationEquations& station_equations() const { return stations_; }

  // Mask of the present tables (1 plan, 2 profile, 4 crossfall).
  int present_mask() const;

  // Remembered indices of the station lookups (0 = none yet). They belong to
  // the lookups of plan_geometry.h and profile_geometry.h, which clamp them
  // into the current table's range before use.
  std::size_t& plan_lookup_cache() const { return plan_cache_; }
  std::size_t& profile_lookup_cache() const { return profile_cache_; }
  std::size_t& crossfall_lookup_cache() const { return crossfall_cache_; }

 private:
  std::vector<PlanElement> plan_;
  std::vector<ProfileElement> profile_;
  std::vector<CrossfallPoint> crossfall_;
  StationEquations stations_;
  mutable std::size_t plan_cache_ = 0;
  mutable std::size_t profile_cache_ = 0;
  mutable std::size_t crossfall_cache_ = 0;
};

}  // namespace corvalinde
