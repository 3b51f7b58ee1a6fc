// Vertical profile review: walks the profile elements of a RoadModel and
// lists each as a row with its findings (grade limits, crest and sag radii,
// grade continuity, drainage where the crossfall changes sign), judged by the
// limits of the road type held here. Reads the model only; nothing fails:
// every problem found is a finding, and a missing profile lists nothing.
#pragma once

#include <optional>

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Limits of one road type: grades in per cent, radii in metres. The
// recommended radii equal the minima where a standard recommends nothing more.
struct ProfileLimits {
  double max_grade = 0.0;
  int crest_minimum = 0;
  int crest_recommended = 0;
  int sag_minimum = 0;
  int sag_recommended = 0;
};

// A grade limit is exceeded above this many times the limit.
inline constexpr double kGradeLimitFactor = 1.01;
// (A radius limit is broken below kRadiusLimitFactor times the limit: the
// tolerance of design_limits.h, shared with the plan review.)
// Largest change of grade (per cent) accepted at a join.
inline constexpr double kMaxGradeBreak = 1.0;
// Grade comparisons ignore differences below this (per cent): rounding noise
// of binary doubles, so that grades entered as decimals compare as written.
inline constexpr double kGradeComparisonNoise = 1e-9;
// A poorly drained stretch counts when it is longer than this (m).
inline constexpr double kMinPoorDrainageLength = 1.0;

// The limits of a road-type code (0 to 28); none for a code in no row.
std::optional<ProfileLimits> profile_limits(int road_type);

// Drainage threshold t in per cent: 1.0 on the VSA dual carriageways AU90
// and AU110 (codes 27, 28), 0.5 on every other road type.
double drainage_threshold(int road_type);

// The drainage test of one profile element over the zone [zone_start,
// zone_end] in which the crossfall runs from +t to -t (t = threshold, per
// cent). With G(s) the element's grade in per cent and u(s) = (s - mid) /
// (zone_end - zone_start), which runs from -1/2 to +1/2 across the zone, the
// test holds when P = G^2 + u^2 - t^2 is negative over a stretch longer than
// kMinPoorDrainageLength inside both the zone and the element. For t = 0.5,
// u is the crossfall in per cent, so the combined slope is below t there.
// A zone that is empty (zone_end <= zone_start) or not finite holds no
// stretch: false. A failure of the root finder counts as holding (the stretch
// cannot be cleared). Shared with the superelevation review.
bool drainage_test(const ProfileElement& element, double threshold, double zone_start, double zone_end);

// The review (analysis slot 2): the listing start with the road type's
// heading, one row per element with its findings, and the end line. Does
// nothing without a profile or for a road-type code that has no limits.
void vertical_profile_review(Console& console, const RoadModel& model, int road_type);

}  // namespace corvalinde
