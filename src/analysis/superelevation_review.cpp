#include "analysis/superelevation_review.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "analysis/design_limits.h"
#include "analysis/listing_start.h"
#include "analysis/plan_element_ends.h"
#include "analysis/profile_review.h"
#include "output/finding_list.h"
#include "output/listings.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Messages of the review.
constexpr int kPointRow = 292;
constexpr int kNeitherCrownedNorOneWay = 302;
constexpr int kCrownOtherThanNormal = 303;
constexpr int kOneWayAboveMaximum = 304;
constexpr int kOneWayBelowMinimum = 305;
constexpr int kOneWayToOneWay = 306;
constexpr int kNoIntermediateStep = 307;
constexpr int kRunTooShort = 308;
constexpr int kRunTooLong = 309;
constexpr int kRunInsideArc = 310;
constexpr int kSuperelevationDiffers = 311;
constexpr int kFallsToOutside = 312;
constexpr int kCrownedInCurve = 313;
constexpr int kOneWayOnStraight = 314;
constexpr int kNeedlessSuperelevation = 315;
constexpr int kIntermediateStepMisplaced = 316;
constexpr int kPoorDrainage = 317;

// The probes of a stretch or a run lie this far (m) inside its end points,
// or at its middle when it is shorter than twice that.
constexpr double kProbeOffset = 1.0;
// A one-way section may differ from the required superelevation by this
// much (per cent).
constexpr double kSuperelevationTolerance = 0.5;
// The intermediate point of a two-step run may lie this far (m) from the
// station where the rotating side reaches the one-way 2.5 % shape.
constexpr double kIntermediatePointTolerance = 1.0;

bool is_one_way(const CrossfallPoint& p) {
  return p.left == p.right;
}
bool is_crowned(const CrossfallPoint& p) {
  return p.left == -p.right;
}
bool same_section(const CrossfallPoint& p, const CrossfallPoint& q) {
  return p.left == q.left && p.right == q.right;
}

class SuperelevationReview {
 public:
  SuperelevationReview(Console& console, const RoadModel& model, const DesignLimits& limits)
      : console_(console),
        model_(model),
        limits_(limits),
        count_(model.crossfall_count()),
        threshold_(drainage_threshold(limits.road_type)) {}

  void run() {
    start_analysis_listing(console_, kSuperelevationReviewTitle, limits_.road_type);
    // True when point i was already covered by the stretch check of the
    // step before (a step without transition).
    bool covered = false;
    std::size_t i = 1;
    while (i <= count_) {
      if (!section_check(i, true) || !look_ahead_admissible(i)) {
        write_row(i);
        covered = false;
        ++i;
        continue;
      }
      const std::size_t e = transition_end(i);
      if (e == 0) {
        stretch_check(i, i < count_ ? i + 1 : i);
        write_row(i);
        covered = true;
        ++i;
        continue;
      }
      if (!covered) stretch_check(i, i);
      review_transition(i, e);
      for (std::size_t j = i; j < e; ++j) write_row(j);
      covered = false;
      i = e;
    }
  }

 private:
  const CrossfallPoint& point(std::size_t i) const { return model_.crossfall(i); }
  ShownStation shown(double s) const { return shown_station(model_.station_equations(), s); }

  // ---- Sections ----------------------------------------------------------

  // Whether point i is an admissible section; with `report`, an
  // inadmissible one is a finding (warning, listed after the row).
  bool section_check(std::size_t i, bool report) const {
    const CrossfallPoint& p = point(i);
    int message = 0;
    if (is_one_way(p)) {
      const double d = std::fabs(p.left);
      if (d < kCrownCrossfall) {
        message = kOneWayBelowMinimum;
      } else if (d > kMaxOneWayCrossfall) {
        message = kOneWayAboveMaximum;
      }
    } else if (is_crowned(p)) {
      if (p.left != kCrownCrossfall) message = kCrownOtherThanNormal;
    } else {
      message = kNeitherCrownedNorOneWay;
    }
    if (message == 0) return true;
    if (report) {
      if (message == kOneWayBelowMinimum) {
        add_valued_finding(console_, true, false, message, kCrownCrossfall);
      } else if (message == kOneWayAboveMaximum) {
        add_valued_finding(console_, true, false, message, kMaxOneWayCrossfall);
      } else {
        add_finding(console_, true, false, message);
      }
    }
    return false;
  }

  // The points a transition from i could reach must be admissible too: i + 1,
  // and i + 2 when i + 1 differs from i. These checks report nothing.
  bool look_ahead_admissible(std::size_t i) const {
    if (i >= count_) return true;
    if (!section_check(i + 1, false)) return false;
    if (same_section(point(i), point(i + 1))) return true;
    return i + 2 > count_ || section_check(i + 2, false);
  }

  // The end point of the transition starting at i, or 0 when i and i + 1 are
  // the same section (or i is the last point). Two steps when i + 1 is the
  // one-way 2.5 % shape between the crown and a steeper one-way section of
  // the same sign, in either order.
  std::size_t transition_end(std::size_t i) const {
    if (i >= count_ || same_section(point(i), point(i + 1))) return 0;
    if (i + 2 <= count_) {
      const CrossfallPoint& a = point(i);
      const CrossfallPoint& m = point(i + 1);
      const CrossfallPoint& b = point(i + 2);
      const auto steeper_same_sign = [&m](const CrossfallPoint& p) {
        return is_one_way(p) && std::fabs(p.left) > kCrownCrossfall && p.left * m.left > 0.0;
      };
      if (is_one_way(m) && std::fabs(m.left) == kCrownCrossfall &&
          ((is_crowned(a) && steeper_same_sign(b)) || (steeper_same_sign(a) && is_crowned(b)))) {
        return i + 2;
      }
    }
    return i + 1;
  }

  // ---- Transitions -------------------------------------------------------

  void review_transition(std::size_t i, std::size_t e) {
    const CrossfallPoint& pi = point(i);
    const CrossfallPoint& pe = point(e);
    if (is_one_way(pi) && is_one_way(pe)) {
      add_finding(console_, true, true, kOneWayToOneWay);
      return;
    }
    // One end is the crown (2.5, -2.5), the other one-way at d.
    const bool starts_one_way = is_one_way(pi);
    const std::size_t crown = starts_one_way ? e : i;
    const std::size_t one_way = starts_one_way ? i : e;
    const double d = point(one_way).left;
    const double magnitude = std::fabs(d);
    const bool two_steps = e == i + 2;
    const double mid = (pi.station + pe.station) / 2.0;
    const double s_one =
        starts_one_way ? std::min(pi.station + kProbeOffset, mid) : std::max(pe.station - kProbeOffset, mid);
    const std::size_t plan_at_one = model_.has_plan() ? locate_plan_element(model_, s_one) : 0;

    // The rotating side is the one whose crown value has the opposite sign
    // to d: it turns from c through -c (the one-way 2.5 % shape) to d.
    const double c = d > 0.0 ? point(crown).right : point(crown).left;
    const double s_crown = point(crown).station;
    const double s_end = point(one_way).station;
    const double s_reach = interpolate_linear(c, s_crown, d, s_end, -c);

    if (magnitude > kCrownCrossfall) {
      if (!two_steps) {
        add_finding(console_, true, true, kNoIntermediateStep);
      } else {
        const double s_mid = point(i + 1).station;
        if (std::fabs(s_mid - s_reach) > kIntermediatePointTolerance) {
          add_valued_finding(console_, false, crown == i, kIntermediateStepMisplaced, shown(s_mid),
                             shown(s_reach));
        }
      }
    }

    if (model_.has_profile()) {
      // The rotating side passes from c to -c between the crown and the
      // intermediate point (two steps), or runs from c to d across the whole
      // transition (one step, |d| >= 2.5 > t).
      const std::size_t far = two_steps ? i + 1 : one_way;
      const double v_far = two_steps ? -c : d;
      const double s_far = point(far).station;
      const double h = interpolate_linear(c, s_crown, v_far, s_far, threshold_);
      const double k = interpolate_linear(c, s_crown, v_far, s_far, -threshold_);
      drainage(std::min(h, k), std::max(h, k), !two_steps || crown == i);
    }

    if (plan_at_one != 0 && model_.plan(plan_at_one).kind() == kPlanArc)
      add_finding(console_, true, true, kRunInsideArc);

    const double lt = pe.station - pi.station;
    const double tr = superelevation_transition_length(limits_, magnitude);
    if (tr == 0.0) return;  // the road type requires no run length
    if (lt < kLengthLowerFactor * tr) {
      add_valued_finding(console_, true, true, kRunTooShort, lt, tr);
    } else if (lt > kLengthUpperFactor * tr) {
      add_valued_finding(console_, false, true, kRunTooLong, lt, tr);
    }
  }

  // The drainage test over [zone_start, zone_end] on every profile element
  // the zone touches; the first that holds gives the finding.
  void drainage(double zone_start, double zone_end, bool early) const {
    const std::size_t last = model_.profile_count();
    std::size_t j = locate_profile_element(model_, zone_start);
    if (j == 0) {
      if (!(zone_start < model_.profile(1).start_station)) return;
      j = 1;
    }
    for (; j <= last && model_.profile(j).start_station <= zone_end; ++j) {
      if (drainage_test(model_.profile(j), threshold_, zone_start, zone_end)) {
        add_valued_finding(console_, true, early, kPoorDrainage, shown(zone_start), shown(zone_end));
        return;
      }
    }
  }

  // ---- Stretches ---------------------------------------------------------

  // The plan elements under the stretch from point j to point k (k = j for a
  // single point) against the section of point j.
  void stretch_check(std::size_t j, std::size_t k) const {
    if (!model_.has_plan()) return;
    const double sj = point(j).station;
    const double sk = point(k).station;
    const double mid = (sj + sk) / 2.0;
    const std::size_t first = locate_plan_element(model_, std::min(sj + kProbeOffset, mid));
    const std::size_t last = locate_plan_element(model_, std::max(sk - kProbeOffset, mid));
    if (first == 0 || last == 0) return;
    const CrossfallPoint& p = point(j);
    for (std::size_t m = std::min(first, last); m <= std::max(first, last); ++m) {
      if (is_one_way(p)) {
        one_way_over_element(m, p.left, sj, sk);
      } else if (is_crowned(p)) {
        crown_over_element(m);
      }
    }
  }

  void one_way_over_element(std::size_t m, double d, double sj, double sk) const {
    const PlanElement& e = model_.plan(m);
    double k = 0.0;
    if (e.kind() == kPlanArc) {
      k = arc_curvature(e);
    } else if (is_clothoid_between_arcs(e)) {
      // Curved at both ends: the arcs on either side are judged themselves.
      return;
    } else if (is_clothoid_joining_straight(e)) {
      k = apex_curvature(m, sj, sk);
    }
    if (k == 0.0) {
      add_finding(console_, true, true, kOneWayOnStraight);
      return;
    }
    const double magnitude = std::fabs(d);
    const double dr = required_superelevation(limits_, 1.0 / k);
    if (dr == 0.0) {
      add_finding(console_, true, true, kNeedlessSuperelevation);
    } else if (std::fabs(dr - magnitude) > kSuperelevationTolerance) {
      add_valued_finding(console_, magnitude < dr, true, kSuperelevationDiffers, magnitude, dr);
    } else if (k * d < 0.0) {
      add_finding(console_, true, true, kFallsToOutside);
    }
  }

  // The curvature of a transition clothoid at its end of full curvature when
  // that end is the apex shared with another transition (no arc between
  // them) and lies in [sj, sk); 0 otherwise.
  double apex_curvature(std::size_t m, double sj, double sk) const {
    const PlanElement& e = model_.plan(m);
    // The full-curvature end is the far one from the origin: the element's
    // end when the stations grow away from the origin, its start otherwise.
    const TransitionCurve* t = e.transition();
    const ClothoidGeometry* c = e.clothoid();
    const bool at_end = t != nullptr ? std::fabs(t->end_curvature()) >= std::fabs(t->start_curvature())
                                     : c == nullptr || c->orientation >= 0;
    const double station = at_end ? e.end_station : e.start_station;
    const std::size_t neighbour = at_end ? m + 1 : m - 1;
    if (neighbour < 1 || neighbour > model_.plan_count()) return 0.0;
    if (!is_clothoid_joining_straight(model_.plan(neighbour))) return 0.0;
    if (!(station >= sj && station < sk)) return 0.0;
    return at_end ? element_end(e).curvature : element_start(e).curvature;
  }

  void crown_over_element(std::size_t m) const {
    const PlanElement& e = model_.plan(m);
    if (e.kind() != kPlanArc || required_superelevation(limits_, e.arc()->radius) == 0.0) return;
    add_valued_finding(console_, true, true, kCrownedInCurve, shown(e.start_station), shown(e.end_station));
  }

  // ---- Rows --------------------------------------------------------------

  void write_row(std::size_t i) const {
    const CrossfallPoint& p = point(i);
    flush_findings(
        console_,
        format_message(kPointRow, kListingLineWidth, static_cast<int>(i), shown(p.station), p.left, p.right),
        FindingScope{Review::kCrossfall, "crossfall_point", p.station, p.station});
  }

  Console& console_;
  const RoadModel& model_;
  const DesignLimits& limits_;
  const std::size_t count_;
  const double threshold_;
};

}  // namespace

void superelevation_review(Console& console, const RoadModel& model, int road_type) {
  const DesignLimits* limits = design_limits(road_type);
  if (!model.has_crossfall() || limits == nullptr) return;
  SuperelevationReview(console, model, *limits).run();
}

}  // namespace corvalinde
