#include "analysis/sight_speed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "road/profile_geometry.h"

namespace corvalinde {
namespace {

// Friction table: speed (km/h) -> longitudinal friction coefficient.
constexpr std::array kFrictionSpeeds{0.0, 50.0, 70.0, 90.0, 110.0, 130.0, 999.0};
constexpr std::array kFrictionCoefficients{0.46, 0.46, 0.44, 0.40, 0.36, 0.32, 0.32};

// Reaction time (s): up to and above this speed (km/h).
constexpr double kReactionTimeSpeed = 100.0;
constexpr double kSlowReactionTime = 2.0;
constexpr double kFastReactionTime = 1.8;
// Braking is 25 % longer on a radius of at most this many metres per km/h.
constexpr double kCurveFactorRadiusPerSpeed = 5.0;
constexpr double kCurveFactor = 1.25;
// 2 g as the braking formula has always carried it: the single-precision
// value of 19.62 (19.6200008392334).
constexpr double kTwiceGravity = static_cast<double>(19.62F);
constexpr double kKmhPerMs = 3.6;

}  // namespace

double operating_speed(const RoadModel& model, const AxisPoint& point, int sense,
                       const SightParameters& params) {
  const double d = sense < 0 ? -1.0 : 1.0;
  const SpeedCapInputs caps = params.speed_cap_inputs();
  double v = std::max(point.speed_cap, 0.0);
  double walked = 0.0;
  double s = point.station;
  AxisPoint behind;
  while (v * v * 0.5 / kSpeedGainAcceleration > walked) {
    s -= kSpeedLookBackStep * d;
    walked += kSpeedLookBackStep;
    if (evaluate_axis_point(model, s, sense, &caps, behind) == 0) break;
    v = std::min(v, std::max(behind.speed_cap, 0.0) + std::sqrt(2.0 * kSpeedGainAcceleration * walked));
  }
  return std::min(v, params.speed_limit);
}

double friction_coefficient(double speed) {
  const double v = std::clamp(speed, kFrictionSpeeds.front(), kFrictionSpeeds.back());
  std::size_t i = 1;
  while (i + 1 < kFrictionSpeeds.size() && kFrictionSpeeds[i] < v) ++i;
  return interpolate_linear(kFrictionSpeeds[i - 1], kFrictionCoefficients[i - 1], kFrictionSpeeds[i],
                            kFrictionCoefficients[i], v);
}

double stopping_distance(double speed, double curvature, double grade) {
  if (!(speed > 0.0)) return 0.0;  // standing still (NaN included): nothing to stop
  const double f = friction_coefficient(speed);
  const double t = speed <= kReactionTimeSpeed ? kSlowReactionTime : kFastReactionTime;
  const double r = curvature >= 1.0 / (kCurveFactorRadiusPerSpeed * speed) ? kCurveFactor : 1.0;
  const double deceleration = f + grade;
  if (!(deceleration > 0.0)) return kNoStoppingDistance;
  const double u = speed / kKmhPerMs;
  const double distance = u * t + r * u * u / (deceleration * kTwiceGravity);
  return std::min(std::ceil(2.0 * distance) / 2.0, kNoStoppingDistance);
}

}  // namespace corvalinde
