// Builds a RoadModel from a readable design description: the plan as a chain
// of elements given by length, radius and clothoid parameter, the profile as
// intersection points with vertical-curve radii, and the crossfall break
// points, placed by station or relative to plan elements. Every record field
// is computed with exact formulas (own Fresnel series), so joins are
// continuous in position, direction and curvature. Errors come back as text
// with the description's line number; nothing throws.
//
// Format (one statement a line, "#" starts a comment, key=value words):
//   [plan]
//   start x=X y=Y bearing=GON [station=S]       bearing clockwise from north
//   NAME line length=L
//   NAME arc radius=R length=L                  R > 0 turns left, < 0 right
//   NAME clothoid A=A to=R|line                 from the current curvature
//   [profile]
//   start station=S elevation=Z
//   pvi station=S elevation=Z radius=R          R > 0 sag, < 0 crest
//   end station=S|plan elevation=Z
//   [crossfall]
//   at WHERE LEFT RIGHT                         per cent, left to right
// WHERE is a station, NAME.start or NAME.end with an optional +D or -D, or
// NAME@F for the fraction F of the element's length. Crossfall stations are
// kept at 5 decimals, those of the plan's columns.
//
// Arc start angles are stored at 4 decimals, as the readers store them. So
// that the stored angle is exact, each arc's length is adjusted (the first
// arc: the start bearing) by the few millimetres that bring the next arc's
// start angle onto a 4-decimal value; the description's values are the
// design's, the records the ones built.
#pragma once

#include <string>

#include "road/road_model.h"

namespace corvalinde::sample {

struct BuildResult {
  bool ok = false;
  std::string error;  // "line N: ..." when not ok
  RoadModel model;
};

BuildResult build_design(const std::string& description);

// Exact clothoid coordinates x(l), y(l) for parameter a (the Fresnel
// integrals, summed to full double precision).
void exact_clothoid(double a, double length, double& x, double& y);

}  // namespace corvalinde::sample
