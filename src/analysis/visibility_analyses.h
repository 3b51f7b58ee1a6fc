// The visibility analyses: sight distance at curve entries, stopping sight
// distance to obstacles, visibility of pedestrians and passing sight
// distance, each walked along the whole road (the last three in both senses)
// and listed on the console as stretches of stations with a verdict marker.
// They read the RoadModel only and never fail: what cannot be measured is
// listed as not assessable, and a missing alignment or profile skips them.
#pragma once

#include "analysis/cross_section.h"
#include "analysis/sight_parameters.h"
#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Messages of the listing (the title 371 is kVisibilityAnalysesTitle).
inline constexpr int kLaneWidthLabel = 137;
inline constexpr int kReserveWidthLabel = 138;
inline constexpr int kReserveMasksLabel = 139;
inline constexpr int kSideClearanceLabel = 140;
inline constexpr int kCurveEntryTitle = 372;
inline constexpr int kDirectionLabels = 373;  // two 15-character fields: backward, forward
inline constexpr int kCurveEntryNotAssessable = 374;
inline constexpr int kCurveEntryTooShort = 375;
inline constexpr int kCurveEntrySufficient = 378;
inline constexpr int kObstacleTitle = 381;
inline constexpr int kPedestrianTitle = 382;
inline constexpr int kSightTooShort = 383;
inline constexpr int kSightSufficient = 384;
inline constexpr int kSightNotAssessable = 385;
inline constexpr int kPassingTitle = 391;
inline constexpr int kNoPassing = 392;
inline constexpr int kPassingPossible = 393;
inline constexpr int kPassingNotAssessable = 394;
inline constexpr int kPassingSummary = 395;

// Walk step (m) of the obstacle, pedestrian and passing checks, and the
// halving bound (m) of the stretch boundaries.
inline constexpr double kWalkStep = 10.0;
inline constexpr double kBoundaryRefinement = 1.0;
// Passing is possible where this much road (m) is seen ahead.
inline constexpr double kPassingSightDistance = 500.0;
// Below this share (%) of the road the passing summary is deficient.
inline constexpr int kMinPassingPercent = 25;

// Whether the walks of the two senses of travel run at the same time (on two
// threads; the listing is the same either way).
enum class SenseWalks { kConcurrent, kOneAfterTheOther };

// Runs everything: the listing start and parameter lines, curve entries,
// obstacles both ways, then pedestrians both ways (two-lane VSA AU70 only)
// or passing both ways (up to three lanes, other road types). While the
// diagnostic log is on, the senses run one after the other.
void visibility_analyses(Console& console, const RoadModel& model, int road_type,
                         const CrossSection& cross_section, SenseWalks senses = SenseWalks::kConcurrent);

// Each circular arc: the sight distance to its start from both approaches
// against the distance needed to slow down to its speed. Kind 0 parameters.
void curve_entry_check(Console& console, const RoadModel& model, const SightParameters& params);

// Stopping sight distance to an obstacle on the lane, in sense +1 or -1.
void obstacle_visibility(Console& console, const RoadModel& model, const SightParameters& params, int sense);

// Whether a pedestrian beside the road is seen in time, in sense +1 or -1.
void pedestrian_visibility(Console& console, const RoadModel& model, const SightParameters& params,
                           int sense);

// Where the whole 500 m reach is seen for passing, in sense +1 or -1, with
// the summary line of the length and share of road where passing is possible.
void passing_visibility(Console& console, const RoadModel& model, const SightParameters& params, int sense);

}  // namespace corvalinde
