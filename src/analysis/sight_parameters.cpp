#include "analysis/sight_parameters.h"

#include <algorithm>
#include <array>

#include "services/diagnostic_log.h"

namespace corvalinde {
namespace {

// Speeds by lane arrangement (km/h): maximum operating speed and limit.
constexpr double kTwoLaneV85 = 102.0;
constexpr double kNarrowTwoLaneV85 = 92.0;  // lanes of 2.50 m
constexpr double kTwoLaneLimit = 90.0;
constexpr double kThreeLaneV85 = 102.0;
constexpr double kThreeLaneLimit = 90.0;
constexpr double kDualV85 = 120.0;
constexpr double kDualLimit = 110.0;
constexpr double kDualL1V85 = 150.0;
constexpr double kDualL1Limit = 130.0;
constexpr double kAu90V85 = 102.0;
constexpr double kAu90Limit = 90.0;
// Urban categories override the speeds whatever the lane class.
constexpr double kUrban60V85 = 62.0;
constexpr double kUrban60Limit = 50.0;
constexpr double kUrban80V85 = 82.0;
constexpr double kUrban80Limit = 70.0;

constexpr std::array kThreeLaneCodes{1, 4, 7, 9, 13, 16, 19, 22, 25};
constexpr std::array kDualCodes{2, 5, 10, 14, 17, 20, 23, 26, 28};
constexpr int kIctaalL1Code = 11;
constexpr int kVsaAu90Code = 27;
constexpr int kFirstUrban60Code = 18;  // ICTAVRU U60, all lane arrangements
constexpr int kLastUrban60Code = 20;
constexpr int kFirstUrban80Code = 21;  // ICTAVRU U80 and VSA AU70
constexpr int kLastUrban80Code = 26;
constexpr int kLastArpCode = 9;        // ARP codes 0 to 9
constexpr int kFirstVsaAu70Code = 24;  // VSA AU70 codes 24 to 26
constexpr int kLastVsaAu70Code = 26;
constexpr int kNarrowLaneDm = 25;

// A central reserve narrower than this (m) never masks the view.
constexpr double kMinMaskingReserveHalfWidth = 1.0;
// Target heights (m): an obstacle on a single carriageway, on a dual one, a
// pedestrian, an oncoming vehicle, the road surface at a curve entry.
constexpr double kObstacleHeightSingle = 0.35;
constexpr double kObstacleHeightDual = 0.6;
constexpr double kPedestrianHeight = 0.6;
constexpr double kVehicleHeight = 1.0;
constexpr double kSurfaceHeight = 0.0;
// The eye sits this far (m) inside the right edge of the carriageway.
constexpr double kEyeInsideEdge = 2.0;
// Obstacle offsets inside the right edge (m): VSA AU70, other non-ARP roads,
// and their alternative target.
constexpr double kObstacleInsideEdgeAu70 = 2.0;
constexpr double kObstacleInsideEdge = 1.0;
constexpr double kAlternativeInsideEdge = 2.5;
// A pedestrian stands this far (m) beyond the right edge.
constexpr double kPedestrianBeyondEdge = 1.0;
// Passing: the lane width (m) whose vehicle fills it; the margin of a wider
// lane, halved, widens the right limit at the required distance.
constexpr double kPassingVehicleWidth = 2.5;

bool contains(const auto& codes, int code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

void log_parameters(const SightParameters& p) {
  write_log("Paramètres de calcul de visibilité");
  write_log("v85_max", p.v85_max);
  write_log("vreg_max", p.vreg_max);
  write_log("nbv", p.nbv);
  write_log("lmg", p.lmg);
  write_log("lg", p.lg);
  write_log("lc", p.lc);
  write_log("ld", p.ld);
  write_log("lmd", p.lmd);
  write_log("msg", p.msg);
  write_log("obs", p.obs.offset, p.obs.height);
  write_log("vis", p.vis.offset, p.vis.height);
  if (p.has_alternative) write_log("alt", p.alt);
}

}  // namespace

SightParameters sight_parameters(SightKind kind, int road_type, const CrossSection& cross_section) {
  const double w = cross_section.lane_width_dm / 10.0;
  const double m = cross_section.median_width_dm / 10.0;
  const bool reserve_masks = cross_section.median_blocks_sight != 0;
  const double c = cross_section.side_clearance_dm / 10.0;

  SightParameters p;
  if (contains(kThreeLaneCodes, road_type)) {
    p.nbv = kLaneClassThreeLanes;
    p.v85_max = kThreeLaneV85;
    p.vreg_max = kThreeLaneLimit;
  } else if (contains(kDualCodes, road_type)) {
    p.nbv = kLaneClassDualCarriageway;
    p.v85_max = kDualV85;
    p.vreg_max = kDualLimit;
  } else if (road_type == kIctaalL1Code) {
    p.nbv = kLaneClassDualCarriagewayL1;
    p.v85_max = kDualL1V85;
    p.vreg_max = kDualL1Limit;
  } else if (road_type == kVsaAu90Code) {
    p.nbv = kLaneClassDualCarriageway;
    p.v85_max = kAu90V85;
    p.vreg_max = kAu90Limit;
  } else {
    p.nbv = kLaneClassTwoLanes;
    p.v85_max = cross_section.lane_width_dm == kNarrowLaneDm ? kNarrowTwoLaneV85 : kTwoLaneV85;
    p.vreg_max = kTwoLaneLimit;
  }
  if (road_type >= kFirstUrban60Code && road_type <= kLastUrban60Code) {
    p.v85_max = kUrban60V85;
    p.vreg_max = kUrban60Limit;
  } else if (road_type >= kFirstUrban80Code && road_type <= kLastUrban80Code) {
    p.v85_max = kUrban80V85;
    p.vreg_max = kUrban80Limit;
  }

  switch (p.nbv) {
    case kLaneClassDualCarriageway:
    case kLaneClassDualCarriagewayL1:
      p.ld = 2.0 * w;
      p.lc = m / 2.0;
      break;
    case kLaneClassThreeLanes:
      p.ld = 1.5 * w;
      p.lc = 0.0;
      break;
    default:
      p.ld = w;
      p.lc = 0.0;
      break;
  }
  p.lg = p.ld;
  p.lmd = c + p.ld + p.lc;
  p.msg = p.lmd;
  p.lmg = reserve_masks && p.lc >= kMinMaskingReserveHalfWidth ? 0.0 : -p.lmd;
  p.has_alternative = false;

  p.obs = {p.ld - kEyeInsideEdge, kEyeHeight};
  switch (kind) {
    case SightKind::kObstacle: {
      const double height = p.nbv < kLaneClassDualCarriageway ? kObstacleHeightSingle : kObstacleHeightDual;
      if (road_type >= 0 && road_type <= kLastArpCode) {
        p.vis = {p.lc + p.ld - w / 2.0, height};
      } else if (road_type >= kFirstVsaAu70Code && road_type <= kLastVsaAu70Code) {
        p.vis = {p.lc + p.ld - kObstacleInsideEdgeAu70, height};
      } else {
        p.vis = {p.lc + p.ld - kObstacleInsideEdge, height};
        p.alt = p.lc + p.ld - kAlternativeInsideEdge;
        p.has_alternative = true;
      }
      break;
    }
    case SightKind::kPassing:
      if (p.nbv > kLaneClassTwoLanes) {
        p.obs.offset = p.ld / 3.0;
        p.vis = {0.0, kVehicleHeight};
      } else {
        p.obs.offset = 0.0;
        p.vis = {-p.lg / 2.0, kVehicleHeight};
      }
      p.msg = (w - kPassingVehicleWidth) / 2.0 + p.obs.offset;
      break;
    case SightKind::kPedestrians:
      p.vis = {p.lc + p.ld + kPedestrianBeyondEdge, kPedestrianHeight};
      break;
    case SightKind::kCurveEntry:
    default:
      p.vis = {p.lc, kSurfaceHeight};
      break;
  }

  log_parameters(p);
  return p;
}

}  // namespace corvalinde
