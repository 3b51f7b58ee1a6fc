// The plan diagram: the axis seen from above, coloured and styled by element
// kind, with the designer's stations, the element boundaries, a north arrow,
// a scale bar, a legend and the stretches a review marks. make_plan_data
// walks the model once; draw_plan paints the result on any QPainter device.
#pragma once

#include <QPainter>
#include <QRectF>

#include <vector>

#include "draw/diagram_common.h"
#include "road/road_model.h"

namespace corvalinde::draw {

// A point of the axis: internal station and plane coordinates (x east,
// y north).
struct AxisSample {
  double station = 0.0;
  double x = 0.0;
  double y = 0.0;
};

// One plan element clipped to the range, sampled finely enough that its
// chords stay within a small angle of the curve.
struct PlanPiece {
  int kind = 0;
  std::vector<AxisSample> samples;  // at least two
};

// A station tick on the axis, with the direction of the normal to the right.
struct PlanTick {
  StationTick station;
  double x = 0.0;
  double y = 0.0;
  double normal = 0.0;  // polar angle, radians
};

struct PlanDiagramData {
  DiagramLanguage language = DiagramLanguage::kEnglish;
  StationRange range;
  std::vector<PlanPiece> pieces;
  std::vector<AxisSample> boundaries;  // each element start and the last end in the range
  std::vector<PlanTick> ticks;         // every 100 m of the designer's stations
  std::vector<MarkedStretch> stretches;
  double tick_step = 100.0;  // m of designer's station between ticks
};

// Samples the plan elements that overlap `range` (the whole plan for an
// empty range). Elements of an unknown kind are skipped. No plan: no pieces.
PlanDiagramData make_plan_data(const RoadModel& model, StationRange range, DiagramLanguage language);

// Where the plane lands on the device: equal scale on both axes, north up.
struct PlanLayout {
  QRectF frame;           // the drawing area inside the margins
  double scale = 1.0;     // device units per metre
  double centre_x = 0.0;  // the plane point shown at the frame's centre
  double centre_y = 0.0;
  QPointF map(double x, double y) const {
    return {frame.center().x() + (x - centre_x) * scale, frame.center().y() - (y - centre_y) * scale};
  }
};
PlanLayout plan_layout(const PlanDiagramData& data, const QRectF& area);

// Paints the plan into `area`.
void draw_plan(QPainter& painter, const QRectF& area, const PlanDiagramData& data);

}  // namespace corvalinde::draw
