#include "analysis/alignment_review.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "analysis/design_limits.h"
#include "analysis/listing_start.h"
#include "analysis/plan_element_ends.h"
#include "output/finding_list.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "road/plan_geometry.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Messages of the review.
constexpr int kLineDescription = 153;
constexpr int kArcDescription = 154;
constexpr int kClothoidDescription = 155;
constexpr int kTransitionDescription = 56;
constexpr int kEndLine = 156;
constexpr int kElementRow = 157;
constexpr int kDirectionChangeAtJoin = 162;
constexpr int kCurvatureReversesAtJoin = 163;
constexpr int kCurvatureJumpsAtJoin = 164;
constexpr int kSameDirectionWithoutStraight = 165;
constexpr int kShortStraightSameDirection = 166;
constexpr int kReverseWithoutStraight = 167;
constexpr int kShortStraightReverse = 168;
constexpr int kRadiusRatioTooLarge = 169;
constexpr int kRadiusBelowMinimum = 170;
constexpr int kTransitionMissing = 171;
constexpr int kClothoidTooShort = 172;
constexpr int kClothoidTooLong = 173;
constexpr int kNeedlessClothoid = 175;
constexpr int kApexClothoids = 176;
constexpr int kClothoidBetweenArcs = 177;
constexpr int kSuccessiveClothoidsBetweenArcs = 178;
constexpr int kLongStraightUpperPart = 179;
constexpr int kArcTooShortBetweenClothoids = 180;
constexpr int kLongStraightLowerPart = 181;
constexpr int kTransitionOver500 = 183;

// Two elements join in direction when the cosine of their angle is at least
// this (an angle of about 2.69 degrees).
constexpr double kJoinDirectionCosine = 0.9989;
// Successive radii may differ by this factor.
constexpr double kRadiusRatioLimit = 1.5;
// A transition (m) longer than this is listed for AU90 and AU110 roads.
constexpr double kLongTransitionLength = 500.0;
// An arc between two transitions must be at least this fraction of the
// distance from the start of the first to the end of the second.
constexpr double kShortArcFraction = 1.0 / 5.0;

// Long straights (ARP roads): the length bands and the radius the curve
// before or after must reach.
constexpr double kShortStraightBand = 500.0;
constexpr double kShortStraightRadiusDivisor = 4.0;
constexpr double kShortStraightRadiusCap = 120.0;
constexpr double kMediumStraightBand = 1000.0;
constexpr double kMediumStraightRadius = 200.0;
constexpr double kLongStraightBand = 5000.0;
constexpr double kLongStraightRadius = 300.0;
constexpr double kVeryLongStraightRadius = 500.0;
// Beyond 5000 m the finding is a warning only past this length and below
// this radius.
constexpr double kVeryLongStraightWarningLength = 10000.0;
constexpr double kVeryLongStraightWarningRadius = 400.0;

// Bearing in grads clockwise from north: (500 - heading in grads) mod 400.
constexpr double kGradsPerRadian = 200.0 / kPi;
constexpr double kBearingOffset = 500.0;
constexpr double kFullCircleGrads = 400.0;

// Radii are judged as the element rows show them, to 0.1 mm: a radius
// computed from rounded coordinates (899.99999 m) meets the limits as the
// designer's figure (900 m) does.
constexpr double kShownRadiusSteps = 1e4;  // per metre

// Findings carrying values are formatted into the finding width.
constexpr std::size_t kFindingWidth = FindingList::kTextWidth;

int whole_metres(double metres) {
  return static_cast<int>(std::lround(metres));
}

// The radius the rules judge; a radius that would round to 0, or too large
// to round, stays as it is.
double judged_radius(double radius) {
  const double shown = std::round(radius * kShownRadiusSteps) / kShownRadiusSteps;
  return std::isfinite(shown) && shown != 0.0 ? shown : radius;
}

double bearing_grads(double heading) {
  double b = std::fmod(kBearingOffset - heading * kGradsPerRadian, kFullCircleGrads);
  if (b < 0.0) b += kFullCircleGrads;
  return b;
}

class AlignmentReview {
 public:
  AlignmentReview(Console& console, const RoadModel& model, const DesignLimits& limits)
      : console_(console), model_(model), limits_(limits), count_(model.plan_count()) {}

  void run() {
    start_analysis_listing(console_, kAlignmentReviewTitle, limits_.road_type);
    for (std::size_t i = 1; i <= count_; ++i) {
      const PlanElement& e = model_.plan(i);
      const ElementEnd start = element_start(e);
      if (i >= 2) check_join(i, start);
      switch (e.kind()) {
        case kPlanLine:
          review_line(e);
          break;
        case kPlanArc:
          review_arc(i);
          break;
        case kPlanClothoid:
        case kPlanTransition:  // the same rules: they read the element's ends and length only
          review_clothoid(i, start);
          break;
        default:
          break;
      }
      previous_end_ = element_end(e);
      flush_findings(console_, row(i),
                     FindingScope{Review::kPlan, "element", e.start_station, e.end_station});
    }
    const double end_station = model_.plan(count_).end_station;
    console_write(
        console_, kConsoleOrdinary,
        format_message(kEndLine, kListingLineWidth, shown_station(model_.station_equations(), end_station)));
  }

 private:
  // ---- Joins -------------------------------------------------------------

  void check_join(std::size_t i, const ElementEnd& start) {
    if (std::cos(start.heading - previous_end_.heading) < kJoinDirectionCosine) {
      add_finding(console_, true, true, kDirectionChangeAtJoin);
    }
    const auto is_transition = [](const PlanElement& e) {
      return e.kind() == kPlanClothoid || e.kind() == kPlanTransition;
    };
    if (is_transition(model_.plan(i)) || is_transition(model_.plan(i - 1))) {
      if (start.curvature * previous_end_.curvature < 0.0) {
        add_finding(console_, false, false, kCurvatureReversesAtJoin);
      } else if (std::fabs(start.curvature - previous_end_.curvature) >
                 1.0 / limits_.no_superelevation_radius) {
        add_finding(console_, false, false, kCurvatureJumpsAtJoin);
      }
    }
  }

  // ---- Lines -------------------------------------------------------------

  void review_line(const PlanElement& e) {
    const double length = element_length(e);
    long_straight_rule(previous_arc_radius_, length);
    last_straight_length_ = length;
  }

  // ---- Arcs --------------------------------------------------------------

  void review_arc(std::size_t i) {
    const PlanElement& e = model_.plan(i);
    const double radius = judged_radius(e.arc()->radius);
    const double curvature = radius != 0.0 ? 1.0 / radius : 0.0;
    const double tr = transition_length(radius);
    if (std::fabs(curvature) <= limits_.straight_curvature) {
      // Flat enough to count as a straight: no radius, ratio or transition test.
      previous_arc_radius_ = 0.0;
      return;
    }
    long_straight_rule(radius, last_straight_length_);
    straight_between_curves(radius, tr);
    radius_ratio(i, radius);
    last_straight_length_ = 0.0;
    if (std::fabs(radius) < kRadiusLimitFactor * limits_.minimum_radius) {
      add_valued_finding(console_, true, false, kRadiusBelowMinimum, whole_metres(limits_.minimum_radius));
    }
    arc_transitions(i, tr);
    previous_arc_radius_ = radius;
  }

  void straight_between_curves(double radius, double tr) {
    const double ls = last_straight_length_;
    const double rp = previous_arc_radius_;
    const bool no_straight = ls == 0.0 && limits_.arp;
    if (ls < limits_.same_direction_straight && rp * radius > 0.0) {
      if (no_straight) {
        add_finding(console_, true, true, kSameDirectionWithoutStraight);
      } else {
        add_valued_finding(console_, true, true, kShortStraightSameDirection,
                           whole_metres(limits_.same_direction_straight));
      }
    } else if (ls < limits_.reverse_straight && rp * radius < 0.0 && transition_length(rp) * tr == 0.0) {
      if (no_straight) {
        add_finding(console_, true, true, kReverseWithoutStraight);
      } else {
        add_valued_finding(console_, true, true, kShortStraightReverse,
                           whole_metres(limits_.reverse_straight));
      }
    }
  }

  void radius_ratio(std::size_t i, double radius) {
    const double rp = previous_arc_radius_;
    if (rp == 0.0) return;
    const bool current_is_smaller = std::fabs(radius) <= std::fabs(rp);
    const double rmax = std::max(std::fabs(rp), std::fabs(radius));
    const double rmin = std::min(std::fabs(rp), std::fabs(radius));
    if (limits_.has_ratio_cap && rmin <= limits_.ratio_cap && rmax / rmin > kRadiusRatioLimit) {
      add_valued_finding(console_, true, true, kRadiusRatioTooLarge, whole_metres(rmax), whole_metres(rmin));
    }
    if (limits_.lists_long_transitions) {
      // The transition of the smaller radius: the clothoid that leads into it
      // when there is one, else the length that radius requires.
      double lt = transition_length(rmin);
      if (current_is_smaller) {
        if (i >= 2 && is_clothoid_joining_straight(model_.plan(i - 1)))
          lt = element_length(model_.plan(i - 1));
      } else if (i >= 3 && is_clothoid_joining_straight(model_.plan(i - 2))) {
        lt = element_length(model_.plan(i - 2));
      }
      if (whole_metres(lt) > kLongTransitionLength) {
        add_valued_finding(console_, true, true, kTransitionOver500, whole_metres(lt));
      }
    }
  }

  void arc_transitions(std::size_t i, double tr) {
    const PlanElement* before = i >= 2 ? &model_.plan(i - 1) : nullptr;
    const PlanElement* after = i < count_ ? &model_.plan(i + 1) : nullptr;
    if (tr == 0.0) {
      if (before != nullptr && is_clothoid_joining_straight(*before))
        add_finding(console_, true, true, kNeedlessClothoid);
      if (after != nullptr && is_clothoid_joining_straight(*after))
        add_finding(console_, true, false, kNeedlessClothoid);
      return;
    }
    neighbour_transition(before, tr, true);
    if (!limits_.ictavru && before != nullptr && after != nullptr && is_clothoid_joining_straight(*before) &&
        is_clothoid_joining_straight(*after)) {
      const double span = after->end_station - before->start_station;
      if (element_length(model_.plan(i)) < kShortArcFraction * span) {
        add_finding(console_, true, false, kArcTooShortBetweenClothoids);
      }
    }
    neighbour_transition(after, tr, false);
  }

  // The element before (early) or after an arc that requires a transition.
  void neighbour_transition(const PlanElement* neighbour, double tr, bool early) {
    if (neighbour != nullptr && is_clothoid_between_arcs(*neighbour)) return;
    if (neighbour != nullptr && is_clothoid_joining_straight(*neighbour)) {
      transition_length_rule(early, element_length(*neighbour), tr);
      return;
    }
    add_finding(console_, true, early, kTransitionMissing);
  }

  // ---- Clothoids ---------------------------------------------------------

  void review_clothoid(std::size_t i, const ElementEnd& start) {
    const PlanElement& e = model_.plan(i);
    const PlanElement* before = i >= 2 ? &model_.plan(i - 1) : nullptr;
    const PlanElement* after = i < count_ ? &model_.plan(i + 1) : nullptr;
    if (is_clothoid_between_arcs(e)) {
      if (limits_.ictavru) {
        if (after != nullptr && is_clothoid_between_arcs(*after)) {
          add_finding(console_, true, false, kSuccessiveClothoidsBetweenArcs);
        } else if (before == nullptr || !is_clothoid_between_arcs(*before)) {
          add_finding(console_, true, false, kClothoidBetweenArcs);
        }
      }
      return;
    }
    if (before == nullptr || !is_clothoid_joining_straight(*before)) return;
    if (previous_end_.curvature == 0.0 || start.curvature == 0.0) return;
    // Two transitions meeting at their full curvature, with no arc between
    // them: the apex acts as the arc, its radius keeping the turn's sign.
    if (!limits_.ictavru) add_finding(console_, true, true, kApexClothoids);
    const double rj = judged_radius(1.0 / start.curvature);
    const double tr = transition_length(rj);
    if (std::fabs(rj) < kRadiusLimitFactor * limits_.minimum_radius) {
      add_valued_finding(console_, true, true, kRadiusBelowMinimum, whole_metres(limits_.minimum_radius));
    } else if (tr == 0.0) {
      add_finding(console_, true, true, kNeedlessClothoid);
      add_finding(console_, true, false, kNeedlessClothoid);
    } else {
      transition_length_rule(true, element_length(*before), tr);
      transition_length_rule(false, element_length(e), tr);
    }
    previous_arc_radius_ = rj;
  }

  // ---- Shared rules ------------------------------------------------------

  double transition_length(double radius) const { return required_transition_length(limits_, radius); }

  // A clothoid of length la beside a curve that requires tr.
  void transition_length_rule(bool early, double la, double tr) {
    if (tr == 0.0) return;
    if (la < kLengthLowerFactor * tr) {
      add_valued_finding(console_, false, early, kClothoidTooShort, tr);
    } else if (la > kLengthUpperFactor * tr) {
      add_valued_finding(console_, false, early, kClothoidTooLong, tr);
    }
  }

  // The curve of radius `radius` before or after a straight of `length`
  // (ARP roads; nothing for radius 0).
  void long_straight_rule(double radius, double length) const {
    if (!limits_.arp || radius == 0.0) return;
    const double r = std::fabs(radius);
    double minimum = 0.0;
    bool warning = true;
    int lower = 0;
    int upper = 0;
    if (length <= kShortStraightBand) {
      minimum = std::min(length / kShortStraightRadiusDivisor, kShortStraightRadiusCap);
      upper = whole_metres(kShortStraightBand);
    } else if (length <= kMediumStraightBand) {
      minimum = kMediumStraightRadius;
      lower = whole_metres(kShortStraightBand);
      upper = whole_metres(kMediumStraightBand);
    } else if (length <= kLongStraightBand) {
      minimum = kLongStraightRadius;
      lower = whole_metres(kMediumStraightBand);
      upper = whole_metres(kLongStraightBand);
    } else {
      minimum = kVeryLongStraightRadius;
      warning = length > kVeryLongStraightWarningLength && r < kVeryLongStraightWarningRadius;
      lower = whole_metres(kLongStraightBand);
      upper = whole_metres(kVeryLongStraightWarningLength);
    }
    if (r >= minimum) return;
    std::string text(trim_right(format_message(kLongStraightLowerPart, kFindingWidth, lower)));
    text += ' ';
    text += trim_right(format_message(kLongStraightUpperPart, kFindingWidth, upper));
    add_finding_entry(console_, warning, true, text, kLongStraightLowerPart,
                      {static_cast<double>(lower), static_cast<double>(upper)});
  }

  // ---- Rows --------------------------------------------------------------

  std::string row(std::size_t i) const {
    const PlanElement& e = model_.plan(i);
    std::string description;
    switch (e.kind()) {
      case kPlanLine:
        description = format_message(kLineDescription, kListingLineWidth, bearing_grads(e.line()->heading));
        break;
      case kPlanArc:
        description = format_message(kArcDescription, kListingLineWidth, e.arc()->radius);
        break;
      case kPlanClothoid:
        description = format_message(kClothoidDescription, kListingLineWidth, e.clothoid()->parameter);
        break;
      case kPlanTransition:
        description = format_message(kTransitionDescription, kListingLineWidth,
                                     std::string(transition_law_name(e.transition()->law())));
        break;
      default:
        break;
    }
    return format_message(kElementRow, kListingLineWidth, static_cast<int>(i),
                          std::string(trim_right(e.name)),
                          shown_station(model_.station_equations(), e.start_station), element_length(e),
                          std::string(trim_right(description)));
  }

  Console& console_;
  const RoadModel& model_;
  const DesignLimits& limits_;
  const std::size_t count_;
  ElementEnd previous_end_;
  // Signed radius of the previous arc (or apex); 0 at the start and after an
  // arc that counted as a straight.
  double previous_arc_radius_ = 0.0;
  double last_straight_length_ = 0.0;
};

}  // namespace

void horizontal_alignment_review(Console& console, const RoadModel& model, int road_type) {
  const DesignLimits* limits = design_limits(road_type);
  if (!model.has_plan() || limits == nullptr) return;
  AlignmentReview(console, model, *limits).run();
}

}  // namespace corvalinde
