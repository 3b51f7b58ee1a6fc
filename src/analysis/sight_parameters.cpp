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
  write_log("v85_max", p.max_operating_speed);
  write_log("vreg_max", p.speed_limit);
  write_log("nbv", p.lane_class);
  write_log("lmg", p.clear_zone_left);
  write_log("lg", p.left_width);
  write_log("lc", p.reserve_half_width);
  write_log("ld", p.right_width);
  write_log("lmd", p.clear_zone_right);
  write_log("msg", p.far_end_right_limit);
  write_log("obs", p.eye.offset, p.eye.height);
  write_log("vis", p.target.offset, p.target.height);
  if (p.has_alternative) write_log("alt", p.alternative_offset);
}

}  // namespace

SightParameters sight_parameters(SightKind kind, int road_type, const CrossSection& cross_section) {
  const double w = cross_section.lane_width_dm / 10.0;
  const double m = cross_section.median_width_dm / 10.0;
  const bool reserve_masks = cross_section.median_blocks_sight != 0;
  const double c = cross_section.side_clearance_dm / 10.0;

  SightParameters p;
  if (contains(kThreeLaneCodes, road_type)) {
    p.lane_class = kLaneClassThreeLanes;
    p.max_operating_speed = kThreeLaneV85;
    p.speed_limit = kThreeLaneLimit;
  } else if (contains(kDualCodes, road_type)) {
    p.lane_class = kLaneClassDualCarriageway;
    p.max_operating_speed = kDualV85;
    p.speed_limit = kDualLimit;
  } else if (road_type == kIctaalL1Code) {
    p.lane_class = kLaneClassDualCarriagewayL1;
    p.max_operating_speed = kDualL1V85;
    p.speed_limit = kDualL1Limit;
  } else if (road_type == kVsaAu90Code) {
    p.lane_class = kLaneClassDualCarriageway;
    p.max_operating_speed = kAu90V85;
    p.speed_limit = kAu90Limit;
  } else {
    p.lane_class = kLaneClassTwoLanes;
    p.max_operating_speed = cross_section.lane_width_dm == kNarrowLaneDm ? kNarrowTwoLaneV85 : kTwoLaneV85;
    p.speed_limit = kTwoLaneLimit;
  }
  if (road_type >= kFirstUrban60Code && road_type <= kLastUrban60Code) {
    p.max_operating_speed = kUrban60V85;
    p.speed_limit = kUrban60Limit;
  } else if (road_type >= kFirstUrban80Code && road_type <= kLastUrban80Code) {
    p.max_operating_speed = kUrban80V85;
    p.speed_limit = kUrban80Limit;
  }

  switch (p.lane_class) {
    case kLaneClassDualCarriageway:
    case kLaneClassDualCarriagewayL1:
      p.right_width = 2.0 * w;
      p.reserve_half_width = m / 2.0;
      break;
    case kLaneClassThreeLanes:
      p.right_width = 1.5 * w;
      p.reserve_half_width = 0.0;
      break;
    default:
      p.right_width = w;
      p.reserve_half_width = 0.0;
      break;
  }
  p.left_width = p.right_width;
  p.clear_zone_right = c + p.right_width + p.reserve_half_width;
  p.far_end_right_limit = p.clear_zone_right;
  p.clear_zone_left =
      reserve_masks && p.reserve_half_width >= kMinMaskingReserveHalfWidth ? 0.0 : -p.clear_zone_right;
  p.has_alternative = false;

  p.eye = {p.right_width - kEyeInsideEdge, kEyeHeight};
  switch (kind) {
    case SightKind::kObstacle: {
      const double height =
          p.lane_class < kLaneClassDualCarriageway ? kObstacleHeightSingle : kObstacleHeightDual;
      if (road_type >= 0 && road_type <= kLastArpCode) {
        p.target = {p.reserve_half_width + p.right_width - w / 2.0, height};
      } else if (road_type >= kFirstVsaAu70Code && road_type <= kLastVsaAu70Code) {
        p.target = {p.reserve_half_width + p.right_width - kObstacleInsideEdgeAu70, height};
      } else {
        p.target = {p.reserve_half_width + p.right_width - kObstacleInsideEdge, height};
        p.alternative_offset = p.reserve_half_width + p.right_width - kAlternativeInsideEdge;
        p.has_alternative = true;
      }
      break;
    }
    case SightKind::kPassing:
      if (p.lane_class > kLaneClassTwoLanes) {
        p.eye.offset = p.right_width / 3.0;
        p.target = {0.0, kVehicleHeight};
      } else {
        p.eye.offset = 0.0;
        p.target = {-p.left_width / 2.0, kVehicleHeight};
      }
      p.far_end_right_limit = (w - kPassingVehicleWidth) / 2.0 + p.eye.offset;
      break;
    case SightKind::kPedestrians:
      p.target = {p.reserve_half_width + p.right_width + kPedestrianBeyondEdge, kPedestrianHeight};
      break;
    case SightKind::kCurveEntry:
    default:
      p.target = {p.reserve_half_width, kSurfaceHeight};
      break;
  }

  log_parameters(p);
  return p;
}

}  // namespace corvalinde
