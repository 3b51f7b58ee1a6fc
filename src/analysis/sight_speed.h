// The speed model of the visibility checks: the operating speed a driver
// reaches at a point (the speed caps behind it, raised by what can be gained
// on the way) and the distance needed to stop from a speed. Pure functions of
// the RoadModel (whose lookup caches they move) and their arguments; they
// never fail and always return a finite, non-negative value.
#pragma once

#include "analysis/sight_parameters.h"
#include "road/axis_point.h"
#include "road/road_model.h"

namespace corvalinde {

// Look-back step of the operating speed (m) and the acceleration it assumes
// (m/s^2, as the km/h gain sqrt(2 x 3 x distance)).
inline constexpr double kSpeedLookBackStep = 10.0;
inline constexpr double kSpeedGainAcceleration = 3.0;

// Distance returned when braking cannot stop the vehicle at all (friction
// plus grade not positive): longer than any sight distance.
inline constexpr double kNoStoppingDistance = 1.0e6;

// Operating speed (km/h) at `point` (evaluated with the parameters' speed
// caps) travelling in `sense`: the lowest cap behind it, each raised by
// sqrt(6 x distance), looking back v^2 / 6 metres and stopping at the end of
// the alignment; at most vreg_max. A cap below 0 counts as 0.
double operating_speed(const RoadModel& model, const AxisPoint& point, int sense,
                       const SightParameters& params);

// Longitudinal friction coefficient for a speed (km/h), linear between the
// table's speeds; speeds outside the table take its end values.
double friction_coefficient(double speed);

// Stopping distance (m) from `speed` km/h on curvature `curvature` (1/m) and
// grade `grade` (fraction, positive uphill): reaction distance plus braking
// distance (x 1.25 on a radius of at most 5 x speed metres), rounded up to the
// next half metre. 0 for a speed of 0 or below; kNoStoppingDistance when the
// friction plus the grade is not positive.
double stopping_distance(double speed, double curvature, double grade);

}  // namespace corvalinde
