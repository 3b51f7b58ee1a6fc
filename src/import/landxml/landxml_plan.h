// The horizontal alignment of a LandXML file: the choice of the alignment
// (every Alignment of every Alignments element is a candidate) and the plan
// step that turns one child of its CoordGeom (Line, Curve, Spiral) into a
// PlanElement. The elements point into the caller's document; failures are
// step results and notes for the console, never exceptions.
#pragma once

#include <string>
#include <vector>

#include "import/design_bounds.h"
#include "import/landxml/landxml_document.h"
#include "road/road_model.h"

namespace corvalinde {

// Elements shorter than this (m) are left out of the plan.
inline constexpr double kShortestPlanElement = 1e-4;
// An arc's end point may lie this far (m) off the circle through its start.
inline constexpr double kArcEndTolerance = 1e-3;
// A spiral radius at least this large (m) is an infinite radius (some writers
// put 5.9e300 where they mean "INF").
inline constexpr double kInfiniteSpiralRadius = 1e12;
// Coordinates, stations and elevations beyond this (m) are not of this
// planet: they read as unreadable numbers.
inline constexpr double kLargestCoordinate = kMaxMagnitude;
// The smallest radius (m) a curve or spiral end may have; smaller ones (and
// subnormal numbers) are refused rather than read as a radius of 0.
inline constexpr double kSmallestRadius = 1e-4;
// A spiral shorter than kShortestPlanElement whose ends lie farther apart
// than this (m) has no geometry: it is refused.
inline constexpr double kLengthlessSpiralChord = 5e-3;
// Width of a display name in a choice list or console line.
inline constexpr std::size_t kDisplayNameWidth = 80;
// Width an element type takes in a console line.
inline constexpr std::size_t kElementTypeWidth = 30;

// What a plan step did besides producing its element.
enum class PlanNote {
  kNone,
  kSpiralAsArc,     // a spiral of constant non-zero curvature, read as an arc
  kSpiralAsLine,    // a spiral without curvature, read as a line
  kUnsupported,     // a child of a type the reader does not handle ends the plan
  kUnreadable,      // a child of a handled type whose geometry cannot be read
  kNoLength,        // a spiral of no length whose ends lie apart (value: the chord) ends the plan
  kRadiusUnusable,  // a radius too small for any road (value: the radius) ends the plan
};

struct PlanStep {
  int status = 0;       // 1 an element, 0 no further child, -1 failure
  PlanElement element;  // name and stations are the caller's
  double length = 0.0;  // metres
  PlanNote note = PlanNote::kNone;
  std::string type;    // the child's type for a note ("Spiral biquadraticParabola")
  double value = 0.0;  // kNoLength: the chord (m); kRadiusUnusable: the radius (m)
};

// Reads the next child element of CoordGeom from `index` (advanced past it).
PlanStep read_plan_element(const XmlElement& coord_geom, int& index, const LandXmlUnits& units);

// Reads a point element: its first text run as northing and easting (a third
// number is ignored), times the factor. False for a missing element, an empty
// text or a number that does not read.
[[nodiscard]] bool read_landxml_point(const XmlElement* point_element, double factor, double& x, double& y);

struct ChosenAlignment {
  XmlElement* alignment = nullptr;
  XmlElement* coord_geom = nullptr;
  double start_station = 0.0;
  std::string name;          // the "name" attribute as written (matched by the grade surfaces)
  std::string display_name;  // UTF-8, as shown on the console
};

struct AlignmentChoice {
  int candidates = 0;  // alignments with a readable first plan element
  bool chosen = false;
  ChosenAlignment alignment;
  std::vector<PlanStep>
      rejected;  // failed first steps of the alignments left out (element.start_station: where)
};

// The station equations of an alignment (its StaEquation children), the
// stations in metres. An equation lies at its internal station (staInternal);
// without one, where the stations running on from the previous equation
// reach its back station (the first one: at its back station, or at the
// alignment's start). `unreadable` counts the equations left out (no
// readable ahead station, no place, or out of order).
// An equation whose back station is not the station the stations before it
// reach at its place (beyond kStationBackTolerance): the ahead station is
// used all the same.
struct StationBackMismatch {
  int number = 0;        // 1-based, in file order
  double back = 0.0;     // the file's back station (m)
  double reached = 0.0;  // the designer's station reached at the equation (m)
};
inline constexpr double kStationBackTolerance = 0.001;
struct StationEquationReading {
  StationEquations stations;
  std::vector<int> unreadable;  // 1-based numbers in file order
  std::vector<StationBackMismatch> mismatched;
};

// A StaEquation element, also with a namespace prefix ("landxml:StaEquation",
// as some writers put it inside an unprefixed document).
bool is_station_equation(const XmlElement& element);
StationEquationReading read_station_equations(const XmlElement& alignment, const LandXmlUnits& units,
                                              double start_station, double end_station);

// The choice of the alignment among the Alignment children of every
// Alignments child of LandXML; several candidates go to the user through
// choose_from_list with `title_message` as its title.
AlignmentChoice get_landxml_axe_p(const LandXmlDocument& document, int title_message);

}  // namespace corvalinde
