// The diagrams the window shows, behind one small interface over the
// drawing module's catalogue: which there are, how one is prepared from a
// review over a station range and painted (the same picture as the report's),
// and how the window marks a stretch on it and maps a point back to a
// station.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

#include <optional>
#include <variant>

#include "draw/diagram_catalogue.h"
#include "draw/series_diagram.h"

namespace corvalinde::ui {

using DiagramKind = draw::Diagram;
inline constexpr const auto& kShownDiagrams = draw::kAllDiagrams;

// The range of internal stations the model covers (empty without plan and profile).
draw::StationRange model_range(const RoadModel& model);

// One diagram prepared over one range. What the source points to must
// outlive the preparation only.
class DiagramPicture {
 public:
  DiagramPicture(DiagramKind kind, const draw::DiagramSource& source, draw::StationRange range,
                 draw::DiagramLanguage language);

  void paint(QPainter& painter, const QRectF& area) const;
  // Marks [from, to] over the painted diagram.
  void paint_highlight(QPainter& painter, const QRectF& area, double from, double to) const;
  // The internal station under `point`, when the point is on the diagram's
  // station axis (or near the axis line on the plan).
  std::optional<double> station_at(const QRectF& area, QPointF point) const;

 private:
  // Where the stations run on the device (diagrams with a station axis).
  struct Axis {
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;
    double bottom = 0.0;
    double from = 0.0;
    double scale = 0.0;  // device units per metre of station; 0: no axis
  };
  Axis station_axis(const QRectF& area) const;

  draw::PreparedDiagram prepared_;
  // The same diagram's data, for the mapping between stations and the device.
  std::variant<draw::PlanDiagramData, draw::LongSectionData, draw::SeriesDiagramData> layout_data_;
};

}  // namespace corvalinde::ui
