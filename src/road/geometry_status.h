// Status codes of the plan and profile geometry operations. Every operation
// that can fail returns one of these as a value (0 is success); none throws.
// The readers turn a non-zero status into their own console message.
#pragma once

namespace corvalinde {

enum GeometryStatus : int {
  kGeometryOk = 0,
  kElementKindNotHandled = 8,     // the operation does not handle this element kind
  kNoSolution = 17,               // no intersection / tangency exists
  kSolutionOutsideElements = 31,  // solutions exist, but none in station order
  kRadiusOutOfRange = 34,         // |R| not in (0.0001, 9 999 999.999]
  kCoincidentPoints = 66,         // two points closer than 0.0001: no line through them
  kClothoidAngleUnusable = 79,    // tangent angle above 7 pi, negative or not finite
};

}  // namespace corvalinde
