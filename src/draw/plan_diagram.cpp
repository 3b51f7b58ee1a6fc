#include "draw/plan_diagram.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>

#include "draw/diagram_text.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"

namespace corvalinde::draw {
namespace {

// A chord may stray this far (m) from the curve it stands for.
constexpr double kChordTolerance = 0.05;
// and turn through at most this angle (radians).
constexpr double kChordAngle = 2.0 * kPi / 180.0;
constexpr std::size_t kMaxSamplesPerElement = 4000;
constexpr std::size_t kMaxTicks = 200000;
// Points closer than this (device units) to the last one drawn are skipped.
constexpr double kMinPointSpacing = 0.7;
constexpr double kBoundaryRadius = 3.0;
// A marked stretch shorter than this on the device (units) is drawn as a dot.
constexpr double kShortestStretch = 3.0;
constexpr double kStretchDotRadius = 4.5;

double curvature_at(const PlanElement& e, double s) {
  AxisPoint point;
  return evaluate_plan_element(e, s, point) ? point.curvature : 0.0;
}

std::size_t sample_count(const PlanElement& e, double s0, double s1) {
  const double length = s1 - s0;
  if (e.kind() == kPlanLine || !(length > 0.0)) return 2;
  double k = std::max(curvature_at(e, s0), curvature_at(e, s1));
  if (e.kind() == kPlanTransition) {
    for (int i = 1; i < 8; ++i) k = std::max(k, curvature_at(e, s0 + length * i / 8.0));
  }
  if (!(k > 0.0) || !std::isfinite(k)) return 2;
  const double by_angle = length * k / kChordAngle;
  const double by_sagitta = length / std::sqrt(8.0 * kChordTolerance / k);
  const double n = std::ceil(std::max(by_angle, by_sagitta)) + 1.0;
  return static_cast<std::size_t>(std::clamp(n, 2.0, static_cast<double>(kMaxSamplesPerElement)));
}

QPen kind_pen(int kind) {
  switch (kind) {
    case kPlanArc:
      return QPen(palette::kArc, 3.5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    case kPlanClothoid:
    case kPlanTransition:
      return QPen(palette::kTransition, 2.5, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin);
    default:
      return QPen(palette::kLine, 1.5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
  }
}

QPen stretch_pen(StretchVerdict verdict) {
  QColor colour = stretch_colour(verdict);
  colour.setAlpha(150);
  const Qt::PenStyle style = verdict == StretchVerdict::kFailing   ? Qt::SolidLine
                             : verdict == StretchVerdict::kWarning ? Qt::DashLine
                                                                   : Qt::DotLine;
  return QPen(colour, 9.0, style, Qt::FlatCap, Qt::RoundJoin);
}

// The polyline of `samples` on the device, without points that would fall
// on the one before; the last point is always kept.
QPolygonF device_polyline(const PlanLayout& layout, const std::vector<AxisSample>& samples) {
  QPolygonF line;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const QPointF p = layout.map(samples[i].x, samples[i].y);
    if (!line.isEmpty() && i + 1 < samples.size()) {
      const QPointF d = p - line.back();
      if (std::fabs(d.x()) + std::fabs(d.y()) < kMinPointSpacing) continue;
    }
    line.append(p);
  }
  return line;
}

AxisSample interpolate(const AxisSample& a, const AxisSample& b, double s) {
  const double t = b.station > a.station ? (s - a.station) / (b.station - a.station) : 0.0;
  return {s, a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// The samples of the axis between stations from and to (inclusive).
std::vector<AxisSample> axis_between(const PlanDiagramData& data, double from, double to) {
  std::vector<AxisSample> out;
  for (const PlanPiece& piece : data.pieces) {
    const std::vector<AxisSample>& s = piece.samples;
    if (s.back().station < from || s.front().station > to) continue;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
      if (s[i + 1].station < from || s[i].station > to) continue;
      if (s[i].station >= from) {
        out.push_back(s[i]);
      } else {
        out.push_back(interpolate(s[i], s[i + 1], from));
      }
      if (s[i + 1].station > to) out.push_back(interpolate(s[i], s[i + 1], to));
    }
    if (s.back().station <= to && s.back().station >= from) out.push_back(s.back());
  }
  return out;
}

void draw_north_arrow(QPainter& painter, const QPointF& tip, DiagramLanguage language) {
  painter.save();
  painter.setPen(QPen(palette::kInk, 1.2));
  QPolygonF left{tip, tip + QPointF(-8, 28), tip + QPointF(0, 22)};
  QPolygonF right{tip, tip + QPointF(8, 28), tip + QPointF(0, 22)};
  painter.setBrush(palette::kInk);
  painter.drawPolygon(left);
  painter.setBrush(Qt::white);
  painter.drawPolygon(right);
  draw_label(painter, tip + QPointF(0, -4), diagram_text(DiagramText::kNorth, language),
             Qt::AlignHCenter | Qt::AlignBottom);
  painter.restore();
}

void draw_scale_bar(QPainter& painter, const QPointF& at, double scale) {
  const double metres = nice_step(120.0 / scale);
  const double width = metres * scale;
  painter.save();
  painter.setPen(QPen(palette::kInk, 1.0));
  painter.setBrush(palette::kInk);
  painter.drawRect(QRectF(at.x(), at.y() - 4, width / 2.0, 4));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(at.x() + width / 2.0, at.y() - 4, width / 2.0, 4));
  const QString text =
      metres >= 1000.0 ? QStringLiteral("%1 km").arg(metres / 1000.0) : QStringLiteral("%1 m").arg(metres);
  draw_label(painter, at + QPointF(0, 4), QStringLiteral("0"), Qt::AlignHCenter | Qt::AlignTop);
  draw_label(painter, at + QPointF(width, 4), text, Qt::AlignHCenter | Qt::AlignTop);
  painter.restore();
}

void draw_legend(QPainter& painter, QPointF at, const PlanDiagramData& data) {
  painter.save();
  const QFontMetricsF metrics(painter.font());
  auto entry = [&](const QPen& pen, const QString& text) {
    painter.setPen(pen);
    painter.drawLine(at, at + QPointF(30, 0));
    painter.setPen(palette::kInk);
    draw_label(painter, at + QPointF(36, 0), text, Qt::AlignLeft | Qt::AlignVCenter);
    at.rx() += 48 + metrics.horizontalAdvance(text);
  };
  entry(kind_pen(kPlanLine), diagram_text(DiagramText::kLine, data.language));
  entry(kind_pen(kPlanArc), diagram_text(DiagramText::kArc, data.language));
  entry(kind_pen(kPlanTransition), diagram_text(DiagramText::kTransition, data.language));
  painter.setPen(QPen(palette::kInk, 1.0));
  painter.setBrush(Qt::white);
  painter.drawEllipse(at + QPointF(6, 0), kBoundaryRadius, kBoundaryRadius);
  const QString boundary = diagram_text(DiagramText::kElementBoundary, data.language);
  draw_label(painter, at + QPointF(14, 0), boundary, Qt::AlignLeft | Qt::AlignVCenter);
  at.rx() += 30 + metrics.horizontalAdvance(boundary);
  bool shown[3] = {false, false, false};
  for (const MarkedStretch& stretch : data.stretches) shown[static_cast<int>(stretch.verdict)] = true;
  const DiagramText names[3] = {DiagramText::kFailing, DiagramText::kWarning, DiagramText::kNotAssessable};
  for (int v = 0; v < 3; ++v) {
    if (shown[v]) entry(stretch_pen(static_cast<StretchVerdict>(v)), diagram_text(names[v], data.language));
  }
  painter.restore();
}

}  // namespace

PlanDiagramData make_plan_data(const RoadModel& model, StationRange range, DiagramLanguage language) {
  PlanDiagramData data;
  data.language = language;
  if (!model.has_plan()) return data;
  range = clip_to_model(model, range);
  if (range.empty()) return data;
  data.range = range;
  for (const PlanElement& e : model.plan_elements()) {
    const double s0 = std::max(e.start_station, range.from);
    const double s1 = std::min(e.end_station, range.to);
    if (!(s1 >= s0) || !std::isfinite(s0) || !std::isfinite(s1)) continue;
    PlanPiece piece;
    piece.kind = e.kind();
    const std::size_t n = sample_count(e, s0, s1);
    piece.samples.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double s = i + 1 == n ? s1 : s0 + (s1 - s0) * static_cast<double>(i) / static_cast<double>(n - 1);
      AxisPoint point;
      if (!evaluate_plan_element(e, s, point) || !std::isfinite(point.x) || !std::isfinite(point.y)) continue;
      piece.samples.push_back({s, point.x, point.y});
    }
    if (piece.samples.size() < 2) continue;
    data.boundaries.push_back(piece.samples.front());
    data.pieces.push_back(std::move(piece));
  }
  if (!data.pieces.empty()) data.boundaries.push_back(data.pieces.back().samples.back());
  const double length = range.to - range.from;
  if (length / data.tick_step > static_cast<double>(kMaxTicks))
    data.tick_step = 100.0 * nice_step(length / 100.0 / static_cast<double>(kMaxTicks));
  for (const StationTick& tick :
       designer_station_ticks(model.station_equations(), range.from, range.to, data.tick_step, kMaxTicks)) {
    const std::size_t i = locate_plan_element(model, tick.internal);
    AxisPoint point;
    if (i == 0 || !evaluate_plan_element(model.plan(i), tick.internal, point)) continue;
    data.ticks.push_back({tick, point.x, point.y, point.normal_direction});
  }
  return data;
}

PlanLayout plan_layout(const PlanDiagramData& data, const QRectF& area) {
  PlanLayout layout;
  layout.frame = area.adjusted(50, 60, -50, -90);
  double min_x = std::numeric_limits<double>::max();
  double min_y = min_x;
  double max_x = std::numeric_limits<double>::lowest();
  double max_y = max_x;
  for (const PlanPiece& piece : data.pieces) {
    for (const AxisSample& s : piece.samples) {
      min_x = std::min(min_x, s.x);
      max_x = std::max(max_x, s.x);
      min_y = std::min(min_y, s.y);
      max_y = std::max(max_y, s.y);
    }
  }
  if (min_x > max_x) return layout;
  layout.centre_x = (min_x + max_x) / 2.0;
  layout.centre_y = (min_y + max_y) / 2.0;
  const double width = std::max(max_x - min_x, 1.0);
  const double height = std::max(max_y - min_y, 1.0);
  layout.scale = std::min(layout.frame.width() / width, layout.frame.height() / height);
  return layout;
}

void draw_plan(QPainter& painter, const QRectF& area, const PlanDiagramData& data) {
  begin_diagram(painter, area, diagram_text(DiagramText::kPlanTitle, data.language));
  const PlanLayout layout = plan_layout(data, area);
  if (data.pieces.empty()) {
    draw_label(painter, area.center(), diagram_text(DiagramText::kNoPlan, data.language), Qt::AlignCenter);
    painter.restore();
    return;
  }

  for (const MarkedStretch& stretch : data.stretches) {
    std::vector<AxisSample> samples = axis_between(data, stretch.from, stretch.to);
    if (samples.empty()) continue;
    const QPolygonF line = device_polyline(layout, samples);
    const QRectF extent = line.boundingRect();
    if (extent.width() + extent.height() < kShortestStretch) {
      // Too short to show as a line at this scale: a dot the width of the
      // stretch pen, so that it is never lost.
      painter.setPen(Qt::NoPen);
      painter.setBrush(stretch_colour(stretch.verdict));
      painter.drawEllipse(extent.center(), kStretchDotRadius, kStretchDotRadius);
      painter.setBrush(Qt::NoBrush);
      continue;
    }
    painter.setPen(stretch_pen(stretch.verdict));
    painter.drawPolyline(line);
  }
  painter.setBrush(Qt::NoBrush);
  for (const PlanPiece& piece : data.pieces) {
    painter.setPen(kind_pen(piece.kind));
    painter.drawPolyline(device_polyline(layout, piece.samples));
  }

  // Ticks every tick step when they stand far enough apart, labels at a
  // round multiple that leaves room for the text.
  const double tick_spacing = data.tick_step * layout.scale;
  const double label_step = data.tick_step * std::max(1.0, nice_step(90.0 / std::max(tick_spacing, 1e-9)));
  painter.setPen(QPen(palette::kInk, 1.0));
  for (const PlanTick& tick : data.ticks) {
    const bool labelled = std::fabs(std::remainder(tick.station.designer, label_step)) < 1e-6;
    if (!labelled && tick_spacing < 4.0) continue;
    const QPointF p = layout.map(tick.x, tick.y);
    const QPointF normal(std::cos(tick.normal), -std::sin(tick.normal));
    painter.drawLine(p - normal * (labelled ? 6.0 : 3.0), p + normal * (labelled ? 6.0 : 3.0));
    if (labelled) {
      draw_label(painter, p + normal * 24.0, station_label(tick.station.designer, 0), Qt::AlignCenter);
    }
  }
  painter.setPen(QPen(palette::kInk, 1.0));
  painter.setBrush(Qt::white);
  for (const AxisSample& b : data.boundaries) {
    painter.drawEllipse(layout.map(b.x, b.y), kBoundaryRadius, kBoundaryRadius);
  }
  painter.setBrush(Qt::NoBrush);

  draw_north_arrow(painter, QPointF(area.right() - 40, area.top() + 30), data.language);
  draw_scale_bar(painter, QPointF(area.left() + 30, area.bottom() - 50), layout.scale);
  draw_legend(painter, QPointF(area.left() + 200, area.bottom() - 46), data);
  painter.restore();
}

}  // namespace corvalinde::draw
