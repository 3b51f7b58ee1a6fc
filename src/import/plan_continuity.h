// What a reader could not reproduce of a plan: each element evaluated at its
// own end against the end point the file gives, and each join between an
// element's computed end and the next element's computed start. Misses over
// 5 mm go to the console, one line each with a count; the plan is kept as
// read (a file whose own numbers disagree is shown, never corrected).
#pragma once

#include <vector>

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Distance (m) beyond which a computed end or a join is reported.
inline constexpr double kReportedEndMiss = 0.005;

// Writes the misses of `plan` (stations already set) to the console; the
// stations shown are the designer's, after `stations`. Returns the number of
// elements whose end misses.
int report_plan_misses(Console& console, const std::vector<PlanElement>& plan,
                       const StationEquations& stations);

}  // namespace corvalinde
