// The horizontal alignment review: walks the plan elements in station order
// and lists one row per element with its findings (joins, radii, transition
// lengths, straights between curves, radius ratios, curves after long
// straights) against the limits of the road type. Reads the model, writes to
// the console through the finding list; never fails (problems are findings).
#pragma once

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Does nothing when the model has no plan elements or the road-type code has
// no limits (outside 0..28).
void horizontal_alignment_review(Console& console, const RoadModel& model, int road_type);

}  // namespace corvalinde
