// The units an IFC file states in its IfcUnitAssignment: the length unit
// (SI with its prefix, or a conversion-based unit such as the foot or the US
// survey foot) and the plane angle unit (radian, degree, grad). Values read
// from the file are multiplied by these factors to give metres and radians.
#pragma once

#include <string>

#include "import/step/step_file.h"

namespace corvalinde {

struct IfcUnits {
  double metres_per_length = 1.0;
  double radians_per_angle = 1.0;
  std::string length_name = "METRE";
  std::string angle_name = "RADIAN";
};

// The units of the file's first IfcUnitAssignment; metres and radians for
// what it does not assign (or when a factor is unusable).
IfcUnits read_ifc_units(const step::StepFile& file);

}  // namespace corvalinde
