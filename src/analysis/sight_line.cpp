#include "analysis/sight_line.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>

#include "road/profile_geometry.h"

namespace corvalinde {
namespace {

// Each thread counts in its own tally (no shared counter to fight over in
// the walks); a thread's counts join the finished ones when it ends.
std::atomic<std::uint64_t> g_finished_lines{0};
std::atomic<std::uint64_t> g_finished_point_checks{0};

struct ThreadTally : SightLineTally {
  ThreadTally() = default;
  ThreadTally(const ThreadTally&) = delete;
  ThreadTally& operator=(const ThreadTally&) = delete;
  ~ThreadTally() {
    g_finished_lines.fetch_add(lines, std::memory_order_relaxed);
    g_finished_point_checks.fetch_add(point_checks, std::memory_order_relaxed);
  }
};
thread_local ThreadTally g_tally;

// An axis point prepared for the sight-line tests: its normal as a unit
// vector and its cross-section line, computed once however many lines cross it.
struct SectionPoint {
  double station = 0.0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  double cos_n = 0.0;
  double sin_n = 0.0;
  double left = 0.0;  // crossfalls, fractions
  double right = 0.0;
  LineEquation cross;  // through (x, y) in the direction of the normal
};

SectionPoint section_point(const AxisPoint& p) {
  SectionPoint s;
  s.station = p.station;
  s.x = p.x;
  s.y = p.y;
  s.z = p.z;
  s.cos_n = std::cos(p.normal_direction);
  s.sin_n = std::sin(p.normal_direction);
  s.left = p.left_crossfall;
  s.right = p.right_crossfall;
  // The line through the point with direction (cos, sin), oriented as
  // line_through_points orients the line towards a second point.
  s.cross.a = -s.sin_n;
  s.cross.b = s.cos_n;
  s.cross.c = -(s.cross.a * s.x + s.cross.b * s.y);
  return s;
}

// Height of the surface above the axis elevation at lateral offset o, seen
// from the end's side: the crossfall applies up to the carriageway's edge.
double end_rise(double o, double left, double right, const SightParameters& p) {
  if (o > p.reserve_half_width) return std::min(o - p.reserve_half_width, p.right_width) * right;
  if (o < -p.reserve_half_width) return std::max(o + p.reserve_half_width, -p.left_width) * left;
  return 0.0;
}

SightLineEnd section_end(const SectionPoint& s, double offset, double height, const SightParameters& p) {
  return {{s.x + offset * s.cos_n, s.y + offset * s.sin_n},
          s.z + height + end_rise(offset, s.left, s.right, p)};
}

// Road surface at lateral offset o of the section, by zone: beyond the right
// edge, right carriageway, central reserve, left carriageway, beyond the left edge.
double surface_elevation(const SectionPoint& s, double o, const SightParameters& p) {
  if (o >= p.reserve_half_width + p.right_width) return s.z + p.right_width * s.right;
  if (o >= p.reserve_half_width) return s.z + (o - p.reserve_half_width) * s.right;
  if (o >= -p.reserve_half_width) return s.z;
  if (o >= -(p.reserve_half_width + p.left_width)) return s.z + (o + p.reserve_half_width) * s.left;
  return s.z - p.left_width * s.left;
}

struct LineUnderTest {
  PlanePoint first_end;
  LineEquation line;
  double plan_length = 0.0;
  double z1 = 0.0;
  double z2 = 0.0;
  double far_station = 0.0;
};

bool section_blocks(const LineUnderTest& t, const SectionPoint& s, const SightParameters& p) {
  PlanePoint crossing;
  if (intersect_lines(t.line, s.cross, crossing) != kGeometryOk) return true;  // parallel
  const double o = (crossing.x - s.x) * s.cos_n + (crossing.y - s.y) * s.sin_n;
  if (o < p.clear_zone_left || o > p.clear_zone_right) return true;  // outside the clear zone: masked
  if (o > p.far_end_right_limit && s.station == t.far_station) return true;
  const double z_line =
      interpolate_linear(0.0, t.z1, t.plan_length, t.z2, point_distance(t.first_end, crossing));
  return z_line + kSurfaceTolerance < surface_elevation(s, o, p);
}

template <typename Sections>
bool line_blocked(const LineUnderTest& t, const Sections& sections, std::size_t count,
                  const SightParameters& p) {
  ++g_tally.lines;
  for (std::size_t k = 0; k < count; ++k) {
    if (section_blocks(t, sections[k], p)) {
      g_tally.point_checks += k + 1;
      return true;
    }
  }
  g_tally.point_checks += count;
  return false;
}

// The line between the observer's end and the target's end, or none when
// the ends coincide in plan.
bool make_line(const SightLineEnd& observer, const SightLineEnd& target, LineEquation& line) {
  return line_through_points(observer.position, target.position, line) == kGeometryOk;
}

}  // namespace

UsableStations usable_stations(const RoadModel& model) {
  UsableStations u;
  if (!model.has_plan() || !model.has_profile()) return u;
  u.first = std::max(model.plan(1).start_station, model.profile(1).start_station);
  u.last =
      std::min(model.plan(model.plan_count()).end_station, model.profile(model.profile_count()).end_station);
  u.valid = std::isfinite(u.first) && std::isfinite(u.last) && u.last - u.first <= kMaxUsableLength;
  return u;
}

SightLineEnd sight_line_end(const AxisPoint& point, double offset, double height,
                            const SightParameters& params) {
  return section_end(section_point(point), offset, height, params);
}

bool sight_line_blocked(PlanePoint first_end, const LineEquation& line,
                        std::span<const AxisPoint> intermediate, const SightParameters& params,
                        double plan_length, double z1, double z2, double far_station) {
  const LineUnderTest t{first_end, line, plan_length, z1, z2, far_station};
  ++g_tally.lines;
  for (const AxisPoint& point : intermediate) {
    ++g_tally.point_checks;
    if (section_blocks(t, section_point(point), params)) return true;
  }
  return false;
}

SightDistance sight_distance(const RoadModel& model, const AxisPoint& p, const SightParameters& params,
                             bool use_alternative, int sense, SightRole role,
                             std::optional<double> required_distance) {
  SightDistance result;
  const UsableStations usable = usable_stations(model);
  if (!usable.valid) return result;
  const double s_min = usable.first;
  const double s_max = usable.last;
  const double d = sense < 0 ? -1.0 : 1.0;
  const bool target = role == SightRole::kTarget;

  const double target_offset =
      use_alternative && params.has_alternative ? params.alternative_offset : params.target.offset;
  const SightEndSpec target_spec{target_offset, params.target.height};
  const SightEndSpec own = target ? target_spec : params.eye;
  const SightEndSpec other = target ? params.eye : target_spec;
  const double step = target ? -kSightStep * d : kSightStep * d;
  const double s_far =
      required_distance ? p.station + d * std::round(*required_distance) : p.station + 100.0 * step;

  double s = p.station + step;
  if (!(s >= s_min && s <= s_max)) return result;

  // The listed points, from the one next to P outwards.
  std::array<SectionPoint, kSightPointLimitWithFarPoint> points;
  std::size_t count = 0;
  std::size_t limit = kSightPointLimit;
  double regular = s;
  AxisPoint at;
  for (;;) {
    if (evaluate_axis_point(model, std::clamp(s, s_min, s_max), sense, nullptr, at) == 0) break;
    points[count++] = section_point(at);
    if (s <= s_min || s >= s_max) break;  // the end of the road is reached
    if (d * s_far <= d * s || !(d * (regular + step) > d * s_far)) {
      regular += step;
      s = regular;
    } else {
      s = s_far;
      limit = kSightPointLimitWithFarPoint;
    }
    if (count >= limit) break;
  }
  if (count == 0) return result;
  result.distance = std::fabs(p.station - points[0].station);
  result.status = SightStatus::kCutByRoadEnd;
  if (count == 1) return result;

  const SightLineEnd own_end = section_end(section_point(p), own.offset, own.height, params);
  LineUnderTest t{own_end.position, {}, 0.0, own_end.z, 0.0, s_far};
  // Tests the line from P's end to the other end at `section` against the
  // first `intermediate` listed points.
  const auto blocked = [&](const SectionPoint& section, std::size_t intermediate) {
    const SightLineEnd other_end = section_end(section, other.offset, other.height, params);
    const bool made = target ? make_line(other_end, own_end, t.line) : make_line(own_end, other_end, t.line);
    if (!made) return false;  // coinciding ends: nothing lies between them
    t.plan_length = point_distance(own_end.position, other_end.position);
    t.z2 = other_end.z;
    return line_blocked(t, points, intermediate, params);
  };

  bool found_blocked = false;
  for (std::size_t i = 1; i < count; ++i) {
    if (!blocked(points[i], i)) {
      result.distance = std::fabs(p.station - points[i].station);
      continue;
    }
    double clear = points[i - 1].station;
    double hidden = points[i].station;
    while (std::fabs(hidden - clear) > kSightRefinement) {
      const double mean = (clear + hidden) / 2.0;
      if (evaluate_axis_point(model, mean, sense, nullptr, at) == 0) break;
      if (blocked(section_point(at), i)) {
        hidden = mean;
      } else {
        clear = mean;
        result.distance = std::fabs(p.station - mean);
      }
    }
    found_blocked = true;
    break;
  }
  result.status = !found_blocked && count < limit ? SightStatus::kCutByRoadEnd : SightStatus::kReal;
  return result;
}

SightLineTally sight_line_tally() {
  SightLineTally total;
  total.lines = g_finished_lines.load(std::memory_order_relaxed) + g_tally.lines;
  total.point_checks = g_finished_point_checks.load(std::memory_order_relaxed) + g_tally.point_checks;
  return total;
}

}  // namespace corvalinde
