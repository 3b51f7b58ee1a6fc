// The loaded road design: three independent tables (plan elements, profile
// elements, crossfall points), each absent or present and never empty.
// The application owns one RoadModel for the whole process; readers fill it,
// everything else reads it. The three station-lookup caches live here too and
// survive clear() and new loads (lookups clamp them before use).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "road/station_equations.h"
#include "road/transition_curve.h"

namespace corvalinde {

// Plan element kinds.
enum : std::int8_t { kPlanLine = 1, kPlanArc = 2, kPlanClothoid = 3, kPlanTransition = 4 };
// Profile element kinds.
enum : std::int8_t { kProfileGrade = 1, kProfileParabola = 2 };

// Reader mask bits: the tables a reader completed.
enum ReaderMask : int { kMaskPlan = 1, kMaskProfile = 2, kMaskCrossfall = 4 };

// One element of the horizontal alignment. The meaning of value_a .. tau_far
// depends on the kind:
//   line:     a, b, c of a*x + b*y + c = 0 ((a, b) unit normal); direction = heading
//   arc:      centre x, centre y, signed radius (> 0 turns left); direction = polar
//             angle of the start point seen from the centre (exact);
//             tau_near = polar angle of the end point
//   clothoid: A (> 0), origin x, origin y; direction = tangent heading at the
//             origin; tau_near <= tau_far are the tangent angles at the element
//             ends nearer to and farther from the origin.
//   transition (any other transition curve): the geometry is `transition`;
//             direction is the heading at the start, value_a .. tau_far are 0.
//             The native design format cannot hold it.
// All stored polar angles lie in [0, 2*pi).
struct PlanElement {
  std::int8_t kind = 0;
  std::string name;  // up to 6 characters (blank padding is not stored)
  double start_station = 0.0;
  double start_x = 0.0;
  double start_y = 0.0;
  double end_station = 0.0;
  double end_x = 0.0;
  double end_y = 0.0;
  double value_a = 0.0;
  double value_b = 0.0;
  double value_c = 0.0;
  double direction = 0.0;
  double tau_near = 0.0;
  double tau_far = 0.0;
  std::int8_t orientation = 0;  // clothoid: +1 stations grow away from the origin, -1 towards it
  std::int8_t turn = 0;         // clothoid: +1 turns left (counter-clockwise), -1 right
  TransitionCurve transition;   // transition only
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
