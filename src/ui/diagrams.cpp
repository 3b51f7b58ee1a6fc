#include "ui/diagrams.h"

#include <QCoreApplication>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace corvalinde::ui {
namespace {

// How near the plan's axis (px) a point must be to name a station.
constexpr double kPlanPickDistance = 24.0;
constexpr double kHighlightPen = 12.0;
constexpr double kMinimumBandWidth = 3.0;
const QColor kHighlight(0x00, 0x5f, 0xcc, 150);

}  // namespace

QString diagram_title(DiagramKind kind) {
  switch (kind) {
    case DiagramKind::kPlan:
      return QCoreApplication::translate("Diagrams", "Plan");
    case DiagramKind::kLongSection:
      return QCoreApplication::translate("Diagrams", "Long section");
  }
  return {};
}

std::vector<draw::MarkedStretch> marked_stretches(const std::vector<FindingRecord>& records) {
  std::vector<draw::MarkedStretch> stretches;
  for (const FindingRecord& record : records) {
    if (!std::isfinite(record.from) || !std::isfinite(record.to)) continue;
    draw::MarkedStretch stretch{std::min(record.from, record.to), std::max(record.from, record.to),
                                draw::StretchVerdict::kFailing};
    switch (record.verdict) {
      case Verdict::kOk:
        continue;
      case Verdict::kFail:
        break;
      case Verdict::kWarning:
        stretch.verdict = draw::StretchVerdict::kWarning;
        break;
      case Verdict::kNotAssessable:
        stretch.verdict = draw::StretchVerdict::kNotAssessable;
        break;
    }
    stretches.push_back(stretch);
  }
  return stretches;
}

draw::StationRange model_range(const RoadModel& model) {
  return draw::clip_to_model(model, draw::StationRange{});
}

DiagramPicture::DiagramPicture(DiagramKind kind, const RoadModel& model, draw::StationRange range,
                               draw::DiagramLanguage language, std::vector<draw::MarkedStretch> stretches) {
  if (kind == DiagramKind::kPlan) {
    draw::PlanDiagramData plan = draw::make_plan_data(model, range, language);
    plan.stretches = std::move(stretches);
    data_ = std::move(plan);
  } else {
    draw::LongSectionData section = draw::make_long_section_data(model, range, language);
    section.stretches = std::move(stretches);
    data_ = std::move(section);
  }
}

void DiagramPicture::paint(QPainter& painter, const QRectF& area) const {
  if (const auto* plan = std::get_if<draw::PlanDiagramData>(&data_)) {
    draw::draw_plan(painter, area, *plan);
  } else {
    draw::draw_long_section(painter, area, std::get<draw::LongSectionData>(data_));
  }
}

void DiagramPicture::paint_highlight(QPainter& painter, const QRectF& area, double from, double to) const {
  if (!(to >= from)) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (const auto* plan = std::get_if<draw::PlanDiagramData>(&data_)) {
    const draw::PlanLayout layout = draw::plan_layout(*plan, area);
    QPen pen(kHighlight, kHighlightPen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    for (const draw::PlanPiece& piece : plan->pieces) {
      QPainterPath path;
      bool started = false;
      for (const draw::AxisSample& sample : piece.samples) {
        if (sample.station < from || sample.station > to) continue;
        const QPointF at = layout.map(sample.x, sample.y);
        if (!started) {
          path.moveTo(at);
          started = true;
        } else {
          path.lineTo(at);
        }
      }
      if (started) painter.drawPath(path);
    }
    // A stretch between two samples (or a point) still shows: a dot at the
    // sample nearest its middle.
    const double middle = (from + to) / 2.0;
    const draw::AxisSample* nearest = nullptr;
    for (const draw::PlanPiece& piece : plan->pieces) {
      for (const draw::AxisSample& sample : piece.samples) {
        if (nearest == nullptr || std::abs(sample.station - middle) < std::abs(nearest->station - middle))
          nearest = &sample;
      }
    }
    if (nearest != nullptr) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(kHighlight);
      painter.drawEllipse(layout.map(nearest->x, nearest->y), kHighlightPen, kHighlightPen);
    }
  } else {
    const auto& section = std::get<draw::LongSectionData>(data_);
    const draw::LongSectionLayout layout = draw::long_section_layout(section, area);
    double left = std::clamp(layout.x(from), layout.profile.left(), layout.profile.right());
    double right = std::clamp(layout.x(to), layout.profile.left(), layout.profile.right());
    if (right - left < kMinimumBandWidth) {
      const double centre = (left + right) / 2.0;
      left = centre - kMinimumBandWidth / 2.0;
      right = centre + kMinimumBandWidth / 2.0;
    }
    const double top = layout.profile.top();
    const double bottom =
        std::max({layout.profile.bottom(), layout.curvature.bottom(), layout.crossfall.bottom()});
    painter.fillRect(QRectF(QPointF(left, top), QPointF(right, bottom)), kHighlight);
  }
  painter.restore();
}

std::optional<double> DiagramPicture::station_at(const QRectF& area, QPointF point) const {
  if (const auto* plan = std::get_if<draw::PlanDiagramData>(&data_)) {
    const draw::PlanLayout layout = draw::plan_layout(*plan, area);
    double best = std::numeric_limits<double>::infinity();
    std::optional<double> station;
    for (const draw::PlanPiece& piece : plan->pieces) {
      for (const draw::AxisSample& sample : piece.samples) {
        const QPointF at = layout.map(sample.x, sample.y);
        const double distance = std::hypot(at.x() - point.x(), at.y() - point.y());
        if (distance < best) {
          best = distance;
          station = sample.station;
        }
      }
    }
    if (best > kPlanPickDistance) return std::nullopt;
    return station;
  }
  const auto& section = std::get<draw::LongSectionData>(data_);
  const draw::LongSectionLayout layout = draw::long_section_layout(section, area);
  if (point.x() < layout.profile.left() || point.x() > layout.profile.right() || !(layout.x_scale > 0.0))
    return std::nullopt;
  return layout.from + (point.x() - layout.profile.left()) / layout.x_scale;
}

}  // namespace corvalinde::ui
