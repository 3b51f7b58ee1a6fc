#include "analysis/profile_review.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>

#include "analysis/design_limits.h"
#include "analysis/listing_start.h"
#include "analysis/polynomial.h"
#include "output/finding_list.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "road/profile_geometry.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Messages of the review.
constexpr int kGradeDescription = 223;      // double: grade (%)
constexpr int kCurveDescription = 224;      // double: radius (m)
constexpr int kEndLine = 226;               // double: end station
constexpr int kElementRow = 227;            // int, double, double, text
constexpr int kGradeBreakFinding = 232;     // no values
constexpr int kGradeFinding = 233;          // double: max grade
constexpr int kFirstCurveStartGrade = 234;  // double: max grade
constexpr int kGradeBetweenCurves = 235;    // double: max grade
constexpr int kLastCurveEndGrade = 236;     // double: max grade
constexpr int kCrestRadiusFinding = 237;    // int: crest limit
constexpr int kSagRadiusFinding = 238;      // int: sag limit
constexpr int kPoorDrainageFinding = 317;   // double H, double I

// Drainage thresholds (per cent) and the road types with the higher one.
constexpr double kDrainageThreshold = 0.5;
constexpr double kDualCarriagewayDrainageThreshold = 1.0;
constexpr int kFirstHighThresholdType = 27;  // VSA AU90
constexpr int kLastHighThresholdType = 28;   // VSA AU110

struct LimitsRow {
  int first_code;
  int last_code;
  ProfileLimits limits;
};

// Grade and vertical-curve limits by road-type code.
constexpr std::array<LimitsRow, 13> kLimitsTable{{
    {0, 2, {7.0, 1500, 1500, 1500, 1500}},      // ARP R60
    {3, 5, {6.0, 3000, 3000, 2200, 2200}},      // ARP R80
    {6, 7, {6.0, 3000, 3000, 2200, 2200}},      // ARP T80
    {8, 9, {5.0, 6000, 6000, 3000, 3000}},      // ARP T100
    {10, 10, {6.0, 6000, 6000, 3000, 3000}},    // ICTAAL L2
    {11, 11, {5.0, 12500, 12500, 4200, 4200}},  // ICTAAL L1
    {12, 14, {6.0, 3000, 6000, 1000, 2000}},    // ICTAVRU A80
    {15, 17, {5.0, 6000, 10000, 1500, 3000}},   // ICTAVRU A100
    {18, 20, {6.0, 1500, 2500, 800, 1500}},     // ICTAVRU U60
    {21, 23, {6.0, 3000, 6000, 1000, 2000}},    // ICTAVRU U80
    {24, 26, {6.0, 1500, 1500, 800, 800}},      // VSA AU70
    {27, 27, {6.0, 2700, 2700, 1300, 1300}},    // VSA AU90
    {28, 28, {6.0, 6000, 6000, 1900, 1900}},    // VSA AU110
}};

// A vertical curve's radius that gives a grade anywhere (finite, not 0).
bool usable_radius(double radius) {
  return std::isfinite(radius) && radius != 0.0;
}

bool is_grade_element(const ProfileElement& e) {
  return e.kind == kProfileGrade;
}

// The grade polynomial G(s) in per cent. A vertical curve without a usable
// radius is taken, as the profile evaluation takes it, as its chord.
Polynomial grade_polynomial(const ProfileElement& e) {
  if (is_grade_element(e)) return Polynomial{e.grade_or_radius};
  const double radius = e.grade_or_radius;
  if (usable_radius(radius)) return Polynomial{-100.0 * e.vertex_station / radius, 100.0 / radius};
  const double span = e.end_station - e.start_station;
  return Polynomial{span > 0.0 ? 100.0 * (e.end_elevation - e.start_elevation) / span : 0.0};
}

// The element's grade in per cent at station s (the same rule as G(s), in
// the form 100 (s - sv) / R for a curve).
double grade_at(const ProfileElement& e, double s) {
  if (is_grade_element(e) || !usable_radius(e.grade_or_radius)) return grade_polynomial(e).coefficient(0);
  return 100.0 * (s - e.vertex_station) / e.grade_or_radius;
}

bool exceeds_grade_limit(double grade, const ProfileLimits& limits) {
  return std::fabs(grade) > kGradeLimitFactor * limits.max_grade + kGradeComparisonNoise;
}

// Drainage of one element: the first crossfall interval, among those the
// element covers, in which one side changes sign over a poorly drained
// stretch gives message 317. The element is first clipped to the stations of
// the crossfall points, so that an element reaching beyond them is still
// checked over the reversals it does cover.
void check_reversal_drainage(Console& console, const RoadModel& model, const ProfileElement& e,
                             double threshold) {
  const auto& points = model.crossfall_points();
  if (points.size() < 2) return;
  const double from = std::max(e.start_station, points.front().station);
  const double to = std::min(e.end_station, points.back().station);
  if (!(from <= to)) return;
  const std::size_t first = locate_crossfall_interval(model, from);
  const std::size_t last = locate_crossfall_interval(model, to);
  if (first == 0 || last == 0) return;
  for (std::size_t j = first; j <= last; ++j) {
    const CrossfallPoint& p = points[j - 1];
    const CrossfallPoint& q = points[j];
    double a = 0.0;
    double b = 0.0;
    if (p.left * q.left < 0.0) {
      a = std::fabs(p.left);
      b = -std::fabs(q.left);
    } else if (p.right * q.right < 0.0) {
      a = std::fabs(p.right);
      b = -std::fabs(q.right);
    } else {
      continue;
    }
    const double h = interpolate_linear(a, p.station, b, q.station, threshold);
    const double i = interpolate_linear(a, p.station, b, q.station, -threshold);
    if (drainage_test(e, threshold, h, i)) {
      add_valued_finding(console, true, false, kPoorDrainageFinding,
                         shown_station(model.station_equations(), h),
                         shown_station(model.station_equations(), i));
      return;
    }
  }
}

std::string element_row(std::size_t number, const ProfileElement& e, const StationEquations& stations) {
  const std::string description =
      is_grade_element(e) ? format_message(kGradeDescription, kListingLineWidth, e.grade_or_radius)
                          : format_message(kCurveDescription, kListingLineWidth, e.grade_or_radius);
  return format_message(kElementRow, kListingLineWidth, static_cast<int>(number),
                        shown_station(stations, e.start_station), e.end_station - e.start_station,
                        std::string(trim_right(description)));
}

}  // namespace

std::optional<ProfileLimits> profile_limits(int road_type) {
  for (const LimitsRow& row : kLimitsTable) {
    if (road_type >= row.first_code && road_type <= row.last_code) return row.limits;
  }
  return std::nullopt;
}

double drainage_threshold(int road_type) {
  return road_type >= kFirstHighThresholdType && road_type <= kLastHighThresholdType
             ? kDualCarriagewayDrainageThreshold
             : kDrainageThreshold;
}

bool drainage_test(const ProfileElement& element, double threshold, double zone_start, double zone_end) {
  if (!std::isfinite(zone_start) || !std::isfinite(zone_end) || !(zone_end > zone_start)) return false;
  const double width = zone_end - zone_start;
  const double middle = (zone_start + zone_end) / 2.0;
  const Polynomial grade = grade_polynomial(element);
  const Polynomial u{-middle / width, 1.0 / width};
  const Polynomial minus_t_squared{-threshold * threshold};

  Polynomial grade_squared;
  Polynomial u_squared;
  Polynomial partial;
  Polynomial p;
  RealRoots roots;
  if (polynomial_product(grade, grade, grade_squared) != PolynomialStatus::kOk ||
      polynomial_product(u, u, u_squared) != PolynomialStatus::kOk ||
      polynomial_sum(grade_squared, u_squared, partial) != PolynomialStatus::kOk ||
      polynomial_sum(partial, minus_t_squared, p) != PolynomialStatus::kOk ||
      real_roots(p, roots) != PolynomialStatus::kOk) {
    return true;
  }
  if (roots.count == 0) return false;

  // P has a positive leading coefficient: it is negative between the roots
  // of each pair.
  const double low = std::max(zone_start, element.start_station);
  const double high = std::min(zone_end, element.end_station);
  for (int k = 0; k + 1 < roots.count; k += 2) {
    const double r1 = roots.values[static_cast<std::size_t>(k)];
    const double r2 = roots.values[static_cast<std::size_t>(k + 1)];
    if (high <= r1) break;
    if (r2 <= low) continue;
    if (std::min(r2, high) - std::max(r1, low) > kMinPoorDrainageLength) return true;
  }
  return false;
}

void vertical_profile_review(Console& console, const RoadModel& model, int road_type) {
  if (!model.has_profile()) return;
  const std::optional<ProfileLimits> found = profile_limits(road_type);
  if (!found) return;
  const ProfileLimits& limits = *found;
  const double threshold = drainage_threshold(road_type);

  start_analysis_listing(console, kProfileReviewTitle, road_type);

  const std::size_t n = model.profile_count();
  double previous_grade = 0.0;
  bool previous_was_curve = true;
  for (std::size_t i = 1; i <= n; ++i) {
    const ProfileElement& e = model.profile(i);
    const bool curve = !is_grade_element(e);
    const double start_grade = grade_at(e, e.start_station);

    if (i >= 2 && std::fabs(start_grade - previous_grade) > kMaxGradeBreak + kGradeComparisonNoise) {
      add_warning(console, true, kGradeBreakFinding);
    }
    if (model.has_crossfall()) check_reversal_drainage(console, model, e, threshold);

    if (!curve) {
      if (exceeds_grade_limit(start_grade, limits)) {
        add_valued_finding(console, true, false, kGradeFinding, limits.max_grade);
      }
      previous_grade = start_grade;
    } else {
      if (previous_was_curve && exceeds_grade_limit(start_grade, limits)) {
        add_valued_finding(console, true, true, i == 1 ? kFirstCurveStartGrade : kGradeBetweenCurves,
                           limits.max_grade);
      }
      const double radius = e.grade_or_radius;
      // A curve without a usable radius has no radius to judge; its chord
      // grades still go through the grade checks.
      if (usable_radius(radius)) {
        const double c = kRadiusLimitFactor / radius;
        if (c < -1.0 / limits.crest_minimum) {
          add_valued_finding(console, true, false, kCrestRadiusFinding, limits.crest_minimum);
        } else if (c < -1.0 / limits.crest_recommended) {
          add_valued_finding(console, false, false, kCrestRadiusFinding, limits.crest_recommended);
        } else if (c > 1.0 / limits.sag_minimum) {
          add_valued_finding(console, true, false, kSagRadiusFinding, limits.sag_minimum);
        } else if (c > 1.0 / limits.sag_recommended) {
          add_valued_finding(console, false, false, kSagRadiusFinding, limits.sag_recommended);
        }
      }
      const double end_grade = grade_at(e, e.end_station);
      previous_grade = end_grade;
      if (i == n && exceeds_grade_limit(end_grade, limits)) {
        add_valued_finding(console, true, false, kLastCurveEndGrade, limits.max_grade);
      }
    }
    previous_was_curve = curve;
    flush_findings(console, element_row(i, e, model.station_equations()),
                   FindingScope{Review::kProfile, "element", e.start_station, e.end_station});
  }
  console_write(console, kConsoleOrdinary,
                format_message(kEndLine, kListingLineWidth,
                               shown_station(model.station_equations(), model.profile(n).end_station)));
}

}  // namespace corvalinde
