// Design limits of the road types: minimum radii, superelevation, straights
// between curves, radius ratios, the required superelevation d(R) and the
// required transition lengths T(R) and TD(D) that the plan and superelevation
// reviews share. Constant tables owned here; lookups never fail: a code
// outside 0..28 has no limits (design_limits returns nullptr).
#pragma once

namespace corvalinde {

// Limit tolerances: a radius limit is broken below 0.99 times the limit, a
// length is accepted within 0.95 to 1.05 times the required length.
inline constexpr double kRadiusLimitFactor = 0.99;
inline constexpr double kLengthLowerFactor = 0.95;
inline constexpr double kLengthUpperFactor = 1.05;

// The crossfall of the normal crown and of the flattest one-way section, and
// the steepest admissible one-way section (per cent).
inline constexpr double kCrownCrossfall = 2.5;
inline constexpr double kMaxOneWayCrossfall = 7.0;

// How T(R) is built for a road type.
enum class TransitionRule {
  kPowerLaw,          // 0 when |R| >= Rnd, else min(factor |R|^0.4, cap)
  kFormulaThenNinth,  // F(R) below Rnd, |R|/9 below 1.5 Rnd, 0 beyond
  kFormulaBelowRnd,   // F(R) below Rnd, else 0
  kFormulaBelowWide,  // F(R) below 1.5 Rnd, else 0
  kNone,              // always 0
};

struct DesignLimits {
  int road_type = 0;
  bool arp = false;                            // standard ARP (long-straight rule, 165/167 forms, TD cap)
  bool ictavru = false;                        // standard ICTAVRU (no straight tests, 177/178, no 176/180)
  double minimum_radius = 0.0;                 // Rm (m)
  double minimum_superelevation_radius = 0.0;  // Rdm (m): d = 2.5 % from here
  double no_superelevation_radius = 0.0;       // Rnd (m): d = 0 from here
  double max_superelevation = 0.0;             // dmax (per cent)
  double same_direction_straight = 0.0;        // m; 0: no test
  double reverse_straight = 0.0;               // m; 0: no test
  double straight_curvature = 0.0;             // an arc with |k| <= this counts as a straight
  bool has_ratio_cap = false;                  // the radius-ratio test applies
  double ratio_cap = 0.0;                      // m: the test applies when the smaller radius <= this
  bool lists_long_transitions = false;         // transitions over 500 m are listed (AU90, AU110)
  TransitionRule transition_rule = TransitionRule::kNone;
  double transition_factor = 0.0;  // kPowerLaw: factor of |R|^0.4
  double transition_cap = 0.0;     // kPowerLaw: upper bound (m)
};

// The limits of a road-type code, or nullptr for a code outside 0..28.
const DesignLimits* design_limits(int road_type);

// Required superelevation d(R) in per cent for a radius of either sign: 0 when
// |R| >= Rnd, 2.5 when Rdm <= |R| < Rnd, dmax when |R| <= Rm, and linear in the
// curvature in between. A radius of 0 (infinite curvature) gives dmax.
double required_superelevation(const DesignLimits& limits, double radius);

// Required transition length T(R) in metres for a radius of either sign
// (F(R) = max(|R|/9, 14 (d(R) + 2.5)) where the rule uses it).
double required_transition_length(const DesignLimits& limits, double radius);

// Required length (m) of a superelevation run to the one-way crossfall of
// magnitude d (per cent, >= 2.5): T of the radius whose required
// superelevation is d, capped at 14 (d + 2.5) on ARP roads. When that radius
// is not finite (no curvature), 0.
double superelevation_transition_length(const DesignLimits& limits, double d);

}  // namespace corvalinde
