// The vertical profile of a LandXML alignment: the choice of one ProfAlign
// and the profile step, which turns its PVI list (PVI, ParaCurve, CircCurve,
// UnsymParaCurve) into grade lines and parabolic vertical curves, a few at a
// time. The step reads the caller's tree and keeps its own window of points;
// failures are step results and notes, never exceptions.
#pragma once

#include <string>
#include <vector>

#include "import/landxml/landxml_document.h"
#include "road/profile_geometry.h"
#include "road/road_model.h"

namespace corvalinde {

// Profile elements shorter than this (m) are dropped; an element whose end
// lies more than this before its start stops the profile.
inline constexpr double kShortestProfileElement = 5e-4;
// Two vertical curves that overlap by at most this (m) touch: files round
// their stations, and touching curves leave no grade line between them.
inline constexpr double kTouchingCurvesOverlap = 5e-2;

// What the profile step tells the console about.
enum class ProfileNote {
  kUnsupported,  // a child the reader does not handle ends the profile
  kUnreadable,   // a point or vertical curve that cannot be read stops the profile
};

struct ProfileNoteLine {
  ProfileNote note = ProfileNote::kUnreadable;
  std::string type;      // the child's type
  double station = 0.0;  // where the profile ends (m)
};

// The reading state of one ProfAlign, kept between calls of next().
class ProfileStep {
 public:
  ProfileStep(const XmlElement& prof_align, const LandXmlUnits& units)
      : prof_align_(prof_align), units_(units) {}

  // Replaces `elements` by the next elements produced (kind, stations,
  // elevations, grade or radius, vertex; names are the caller's) and returns
  // their number (1 to 3), 0 when the PVIs are exhausted without producing one,
  // or -1 after the closing grade line and after a failure.
  int next(std::vector<ProfileElement>& elements);

  const std::vector<ProfileNoteLine>& notes() const { return notes_; }
  // Circular (CircCurve) and unsymmetrical (UnsymParaCurve) curves read as parabolas.
  int circular_curves_converted() const { return circular_converted_; }
  int unsymmetrical_curves_converted() const { return unsymmetrical_converted_; }

 private:
  enum class CurveKind { kNone, kParabolic, kCircular, kUnsymmetrical };
  struct Point {
    ProfilePoint at;
    CurveKind curve = CurveKind::kNone;
    double length = 0.0;      // parabolic: length; circular: length when no radius
    double radius = 0.0;      // circular
    double length_in = 0.0;   // unsymmetrical
    double length_out = 0.0;  // unsymmetrical
    std::string type;         // the child's name
  };
  enum class Read { kPoint, kEnd, kFailed };

  Read read_point(Point& point);
  int fail(ProfileNote note, const std::string& type, double station);
  // The vertical curve(s) at the previous point between g1_ and g2; false on
  // failure. `curves` receives 0 (a plain grade break), 1 or 2 parabolas with
  // their tangent stations.
  bool curves_at_previous(const GradeLine& g2, std::vector<VerticalCurve>& curves, bool& plain);
  // Appends the grade line from p0_ to p1 (grade of g1_) unless it is too short;
  // false when it runs backwards.
  bool add_grade_line(ProfilePoint p1, std::vector<ProfileElement>& elements);

  const XmlElement& prof_align_;
  LandXmlUnits units_;
  int index_ = 0;
  int points_read_ = 0;
  bool finished_ = false;
  ProfilePoint p0_;  // start of the grade line to come
  Point previous_;   // the last point read
  GradeLine g1_;     // grade line through the last two points
  std::vector<ProfileNoteLine> notes_;
  int circular_converted_ = 0;
  int unsymmetrical_converted_ = 0;
};

struct ChosenProfile {
  XmlElement* prof_align = nullptr;
  std::string display_name;
  double start_station = 0.0;  // the alignment's start station (the elements take theirs from the PVIs)
};

struct ProfileChoice {
  int candidates = 0;
  bool chosen = false;
  ChosenProfile profile;
  std::vector<ProfileNoteLine> rejected;  // why the ProfAligns that are no candidates failed
};

// The choice of the ProfAlign among the Profile children of an Alignment (or
// of every Alignment of an Alignments element): a ProfAlign is a candidate
// when its first profile step produces an element; several go to the user
// through choose_from_list with `title_message` as its title.
ProfileChoice get_landxml_axe_l(const XmlElement& alignment, const LandXmlUnits& units,
                                LandXmlEncoding encoding, int title_message);

}  // namespace corvalinde
