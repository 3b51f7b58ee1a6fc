// The drawing module's own texts (axis titles, legends, notes) in the two
// languages of the program, chosen by the run's language. The diagrams are
// drawn by the command-line program too, so they do not use the desktop's
// translation files.
#pragma once

#include <QString>

#include "draw/diagram_common.h"

namespace corvalinde::draw {

enum class DiagramText {
  kPlanTitle,
  kLongSectionTitle,
  kLine,
  kArc,
  kTransition,
  kElementBoundary,
  kFailing,
  kWarning,
  kNotAssessable,
  kNorth,
  kStation,
  kElevation,
  kCurvature,
  kCrossfall,
  kCrossfallLeft,
  kCrossfallRight,
  kVerticalExaggeration,  // followed by the factor
  kPvi,
  kNoPlan,
  kNoProfile,
  kNoCrossfall,
  kOperatingSpeedTitle,
  kStoppingSightTitle,
  kPassingTitle,
  kForward,
  kBackward,
  kOperatingSpeed,
  kDesignSpeed,
  kSightDistance,
  kAvailable,
  kRequired,
  kPassingPossible,
  kPassingShare,  // followed by the length (m) and the share (%)
  kNothingComputed,
};

QString diagram_text(DiagramText text, DiagramLanguage language);

}  // namespace corvalinde::draw
