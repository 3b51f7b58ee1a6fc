// The diagrams the window shows, behind one small interface: which there
// are, how one is prepared over a station range with the stretches the
// findings mark, painted, and how a point of it maps back to a station.
// Only this file knows the drawing module's entry points.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

#include "draw/diagram_common.h"
#include "draw/long_section_diagram.h"
#include "draw/plan_diagram.h"
#include "output/finding_record.h"
#include "road/road_model.h"

namespace corvalinde::ui {

enum class DiagramKind { kPlan, kLongSection };
inline constexpr DiagramKind kShownDiagrams[] = {DiagramKind::kPlan, DiagramKind::kLongSection};

QString diagram_title(DiagramKind kind);  // translated

// The stretches of the findings that did not pass, in the drawing's terms.
std::vector<draw::MarkedStretch> marked_stretches(const std::vector<FindingRecord>& records);

// The range of internal stations the model covers (empty without plan and profile).
draw::StationRange model_range(const RoadModel& model);

// One diagram prepared over one range. The model must outlive the picture
// only while it is being prepared.
class DiagramPicture {
 public:
  DiagramPicture(DiagramKind kind, const RoadModel& model, draw::StationRange range,
                 draw::DiagramLanguage language, std::vector<draw::MarkedStretch> stretches);

  void paint(QPainter& painter, const QRectF& area) const;
  // Marks [from, to] over the painted diagram.
  void paint_highlight(QPainter& painter, const QRectF& area, double from, double to) const;
  // The internal station under `point`, when the point is on the diagram's
  // station axis (long section) or near the axis line (plan).
  std::optional<double> station_at(const QRectF& area, QPointF point) const;

 private:
  std::variant<draw::PlanDiagramData, draw::LongSectionData> data_;
};

}  // namespace corvalinde::ui
