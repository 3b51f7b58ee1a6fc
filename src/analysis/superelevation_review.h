// The superelevation review: walks the crossfall points in station order,
// checks each cross-section, finds the superelevation transitions and judges
// stretches and transitions against the plan (curvature, required
// superelevation and run length) and the profile (drainage). Lists one row
// per point with its findings; reads the model only and never fails.
#pragma once

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Does nothing when the model has no crossfall points or the road-type code
// has no limits (outside 0..28). Without a plan the checks against the plan
// find nothing; without a profile there is no drainage test.
void superelevation_review(Console& console, const RoadModel& model, int road_type);

}  // namespace corvalinde
