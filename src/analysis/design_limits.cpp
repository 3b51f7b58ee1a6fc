#include "analysis/design_limits.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "analysis/road_types.h"

namespace corvalinde {
namespace {

// Rows of the tables cover a range of road-type codes, both ends inclusive.
struct CodeRange {
  int first = 0;
  int last = 0;
  constexpr bool contains(int code) const { return code >= first && code <= last; }
};

// Radii by category (m): Rm minimum, Rdm radius of minimum superelevation,
// Rnd radius needing no superelevation.
struct RadiusRow {
  CodeRange codes;
  double rm;
  double rdm;
  double rnd;
};
constexpr std::array<RadiusRow, 12> kRadiusTable{{
    {{0, 2}, 120.0, 450.0, 600.0},      // R60
    {{3, 7}, 240.0, 650.0, 900.0},      // R80, T80
    {{8, 9}, 425.0, 900.0, 1300.0},     // T100
    {{10, 10}, 400.0, 650.0, 650.0},    // L2
    {{11, 11}, 600.0, 1000.0, 1000.0},  // L1
    {{12, 14}, 240.0, 300.0, 400.0},    // A80
    {{15, 17}, 425.0, 500.0, 800.0},    // A100
    {{18, 20}, 120.0, 200.0, 200.0},    // U60
    {{21, 23}, 240.0, 400.0, 400.0},    // U80
    {{24, 26}, 200.0, 200.0, 200.0},    // AU70
    {{27, 27}, 240.0, 370.0, 370.0},    // AU90
    {{28, 28}, 400.0, 650.0, 650.0},    // AU110
}};

// Maximum superelevation dmax (per cent).
constexpr CodeRange kIctavruCodes{12, 23};
constexpr CodeRange kAu70Codes{24, 26};
constexpr double kIctavruMaxSuperelevation = 5.0;
constexpr double kAu70MaxSuperelevation = -2.5;
constexpr double kDefaultMaxSuperelevation = 7.0;

// Straights between curves (m; 0: no test) and the curvature at or below
// which an arc counts as a straight.
struct StraightRow {
  CodeRange codes;
  double same_direction;
  double reverse;
  double straight_curvature;
};
constexpr std::array<StraightRow, 6> kStraightTable{{
    {{0, 9}, 75.0, 50.0, 0.0},             // ARP
    {{10, 11}, 200.0, 200.0, 0.0},         // ICTAAL
    {{12, 23}, 0.0, 0.0, 0.0},             // ICTAVRU
    {{24, 26}, 60.0, 60.0, 0.001},         // AU70
    {{27, 27}, 75.0, 75.0, 1.0 / 1500.0},  // AU90
    {{28, 28}, 92.0, 92.0, 1.0 / 1500.0},  // AU110
}};

// Radius-ratio cap: 500 m on ARP roads, 1.5 Rnd on ICTAAL and AU90/AU110
// roads, no test on the others.
constexpr CodeRange kArpCodes{0, 9};
constexpr CodeRange kIctaalCodes{10, 11};
constexpr CodeRange kVsaDualCodes{27, 28};
constexpr double kArpRatioCap = 500.0;
constexpr double kRatioCapRndFactor = 1.5;

// T(R) rules by code, with the power-law factors of the ARP lane arrangements.
struct TransitionRow {
  std::array<int, 4> codes;  // -1: unused
  TransitionRule rule;
  double factor;
  double cap;
};
constexpr std::array<TransitionRow, 3> kPowerLawTable{{
    {{0, 3, 6, 8}, TransitionRule::kPowerLaw, 6.0, 67.0},      // ARP, 2 lanes
    {{1, 4, 7, 9}, TransitionRule::kPowerLaw, 9.0, 100.0},     // ARP, 3 lanes
    {{2, 5, -1, -1}, TransitionRule::kPowerLaw, 12.0, 133.0},  // ARP, 2x2 lanes
}};
constexpr CodeRange kFormulaBelowRndCodes{12, 17};  // A80, A100
constexpr CodeRange kNoTransitionCodes{18, 26};     // U60, U80, AU70
constexpr double kTransitionExponent = 0.4;
// Beyond Rnd the ICTAAL and AU90/AU110 rules reach out to 1.5 Rnd.
constexpr double kWideRndFactor = 1.5;
// F(R) = max(|R| / 9, 14 (d(R) + 2.5)).
constexpr double kRadiusDivisor = 9.0;
constexpr double kSuperelevationLengthFactor = 14.0;

DesignLimits make_limits(int code) {
  DesignLimits l;
  l.road_type = code;
  if (const auto indices = find_road_type(code)) {
    l.arp = indices->standard == kStandardArp;
    l.ictavru = indices->standard == kStandardIctavru;
  }
  for (const RadiusRow& row : kRadiusTable) {
    if (row.codes.contains(code)) {
      l.minimum_radius = row.rm;
      l.minimum_superelevation_radius = row.rdm;
      l.no_superelevation_radius = row.rnd;
    }
  }
  l.max_superelevation = kIctavruCodes.contains(code) ? kIctavruMaxSuperelevation
                         : kAu70Codes.contains(code)  ? kAu70MaxSuperelevation
                                                      : kDefaultMaxSuperelevation;
  for (const StraightRow& row : kStraightTable) {
    if (row.codes.contains(code)) {
      l.same_direction_straight = row.same_direction;
      l.reverse_straight = row.reverse;
      l.straight_curvature = row.straight_curvature;
    }
  }
  if (kArpCodes.contains(code)) {
    l.has_ratio_cap = true;
    l.ratio_cap = kArpRatioCap;
  } else if (kIctaalCodes.contains(code) || kVsaDualCodes.contains(code)) {
    l.has_ratio_cap = true;
    l.ratio_cap = kRatioCapRndFactor * l.no_superelevation_radius;
  }
  l.lists_long_transitions = kVsaDualCodes.contains(code);
  if (kIctaalCodes.contains(code)) l.transition_rule = TransitionRule::kFormulaThenNinth;
  if (kFormulaBelowRndCodes.contains(code)) l.transition_rule = TransitionRule::kFormulaBelowRnd;
  if (kNoTransitionCodes.contains(code)) l.transition_rule = TransitionRule::kNone;
  if (kVsaDualCodes.contains(code)) l.transition_rule = TransitionRule::kFormulaBelowWide;
  for (const TransitionRow& row : kPowerLawTable) {
    if (std::find(row.codes.begin(), row.codes.end(), code) != row.codes.end()) {
      l.transition_rule = row.rule;
      l.transition_factor = row.factor;
      l.transition_cap = row.cap;
    }
  }
  return l;
}

using LimitsTable = std::array<DesignLimits, kHighestRoadType + 1>;

const LimitsTable& all_limits() {
  static const LimitsTable table = [] {
    LimitsTable all{};
    for (int code = 0; code <= kHighestRoadType; ++code)
      all[static_cast<std::size_t>(code)] = make_limits(code);
    return all;
  }();
  return table;
}

// F(R) of the ICTAAL, ICTAVRU and VSA rules.
double formula_length(const DesignLimits& limits, double radius) {
  const double r = std::fabs(radius);
  return std::max(r / kRadiusDivisor,
                  kSuperelevationLengthFactor * (required_superelevation(limits, radius) + kCrownCrossfall));
}

}  // namespace

const DesignLimits* design_limits(int road_type) {
  if (road_type < 0 || road_type > kHighestRoadType) return nullptr;
  return &all_limits()[static_cast<std::size_t>(road_type)];
}

double required_superelevation(const DesignLimits& limits, double radius) {
  const double r = std::fabs(radius);
  if (r >= limits.no_superelevation_radius) return 0.0;
  if (r >= limits.minimum_superelevation_radius) return kCrownCrossfall;
  if (r <= limits.minimum_radius) return limits.max_superelevation;
  // Between Rm and Rdm (so both differ and r > 0): linear in the curvature.
  const double k = 1.0 / r;
  const double k_dm = 1.0 / limits.minimum_superelevation_radius;
  const double k_m = 1.0 / limits.minimum_radius;
  return kCrownCrossfall + (limits.max_superelevation - kCrownCrossfall) * (k - k_dm) / (k_m - k_dm);
}

double required_transition_length(const DesignLimits& limits, double radius) {
  const double r = std::fabs(radius);
  const double rnd = limits.no_superelevation_radius;
  switch (limits.transition_rule) {
    case TransitionRule::kPowerLaw:
      if (r >= rnd) return 0.0;
      return std::min(limits.transition_factor * std::pow(r, kTransitionExponent), limits.transition_cap);
    case TransitionRule::kFormulaThenNinth:
      if (r < rnd) return formula_length(limits, radius);
      if (r < kWideRndFactor * rnd) return r / kRadiusDivisor;
      return 0.0;
    case TransitionRule::kFormulaBelowRnd:
      return r < rnd ? formula_length(limits, radius) : 0.0;
    case TransitionRule::kFormulaBelowWide:
      return r < kWideRndFactor * rnd ? formula_length(limits, radius) : 0.0;
    case TransitionRule::kNone:
      break;
  }
  return 0.0;
}

double superelevation_transition_length(const DesignLimits& limits, double d) {
  const double span = limits.max_superelevation - kCrownCrossfall;
  if (span == 0.0 || !std::isfinite(d)) return 0.0;
  const double k_dm = 1.0 / limits.minimum_superelevation_radius;
  const double k_m = 1.0 / limits.minimum_radius;
  const double k = k_dm + (k_m - k_dm) * (d - kCrownCrossfall) / span;
  if (!(k > 0.0)) return 0.0;
  const double length = required_transition_length(limits, 1.0 / k);
  if (limits.arp) return std::min(length, kSuperelevationLengthFactor * (d + kCrownCrossfall));
  return length;
}

}  // namespace corvalinde
