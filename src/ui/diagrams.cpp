#include "ui/diagrams.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvalinde::ui {
namespace {

// How near the plan's axis (px) a point must be to name a station.
constexpr double kPlanPickDistance = 24.0;
constexpr double kHighlightPen = 12.0;
constexpr double kMinimumBandWidth = 3.0;
const QColor kHighlight(0x00, 0x5f, 0xcc, 150);

draw::SeriesDiagramKind series_kind(DiagramKind kind) {
  switch (kind) {
    case DiagramKind::kStoppingSight:
      return draw::SeriesDiagramKind::kStoppingSight;
    case DiagramKind::kPassing:
      return draw::SeriesDiagramKind::kPassing;
    default:
      return draw::SeriesDiagramKind::kOperatingSpeed;
  }
}

}  // namespace

draw::StationRange model_range(const RoadModel& model) {
  return draw::clip_to_model(model, draw::StationRange{});
}

DiagramPicture::DiagramPicture(DiagramKind kind, const draw::DiagramSource& source, draw::StationRange range,
                               draw::DiagramLanguage language)
    : prepared_(kind, source, range, language) {
  static const RoadModel kNoRoad;
  const RoadModel& model = source.model != nullptr ? *source.model : kNoRoad;
  switch (kind) {
    case DiagramKind::kPlan:
      layout_data_ = draw::make_plan_data(model, range, language);
      break;
    case DiagramKind::kLongSection:
      layout_data_ = draw::make_long_section_data(model, range, language);
      break;
    default:
      layout_data_ = draw::make_series_diagram_data(series_kind(kind), model, source.series, nullptr,
                                                    source.design_speed, range, language);
      break;
  }
}

void DiagramPicture::paint(QPainter& painter, const QRectF& area) const {
  prepared_.paint(painter, area);
}

void DiagramPicture::paint_highlight(QPainter& painter, const QRectF& area, double from, double to) const {
  if (!(to >= from)) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (const auto* plan = std::get_if<draw::PlanDiagramData>(&layout_data_)) {
    const draw::PlanLayout layout = draw::plan_layout(*plan, area);
    painter.setPen(QPen(kHighlight, kHighlightPen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
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
  } else if (const Axis axis = station_axis(area); axis.scale > 0.0) {
    // A band across the panels over the stretch's stations.
    const auto x = [&axis](double station) {
      return std::clamp(axis.left + (station - axis.from) * axis.scale, axis.left, axis.right);
    };
    double left = x(from);
    double right = x(to);
    if (right - left < kMinimumBandWidth) {
      const double centre = (left + right) / 2.0;
      left = centre - kMinimumBandWidth / 2.0;
      right = centre + kMinimumBandWidth / 2.0;
    }
    painter.fillRect(QRectF(QPointF(left, axis.top), QPointF(right, axis.bottom)), kHighlight);
  }
  painter.restore();
}

std::optional<double> DiagramPicture::station_at(const QRectF& area, QPointF point) const {
  if (const auto* plan = std::get_if<draw::PlanDiagramData>(&layout_data_)) {
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
  const Axis axis = station_axis(area);
  if (!(axis.scale > 0.0) || point.x() < axis.left || point.x() > axis.right) return std::nullopt;
  return axis.from + (point.x() - axis.left) / axis.scale;
}

DiagramPicture::Axis DiagramPicture::station_axis(const QRectF& area) const {
  if (const auto* section = std::get_if<draw::LongSectionData>(&layout_data_)) {
    const draw::LongSectionLayout layout = draw::long_section_layout(*section, area);
    const double bottom =
        std::max({layout.profile.bottom(), layout.curvature.bottom(), layout.crossfall.bottom()});
    return {layout.profile.left(), layout.profile.right(), layout.profile.top(), bottom,
            layout.from,           layout.x_scale};
  }
  if (const auto* series = std::get_if<draw::SeriesDiagramData>(&layout_data_)) {
    const draw::SeriesLayout layout = draw::series_layout(*series, area);
    return {layout.panels[0].left(),
            layout.panels[0].right(),
            layout.panels[0].top(),
            layout.panels[1].bottom(),
            layout.from,
            layout.x_scale};
  }
  return {};
}

}  // namespace corvalinde::ui
