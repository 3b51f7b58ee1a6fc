#include "draw/series_diagram.h"

#include <QFontMetricsF>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "draw/diagram_text.h"

namespace corvalinde::draw {
namespace {

constexpr std::size_t kMaxTicks = 200000;
// Polylines keep at most four points per column this wide (device units).
constexpr double kThinningColumn = 0.5;
// A stretch narrower than this on the device is widened to it, never lost.
constexpr double kNarrowestStretch = 1.0;
// The available sight distance is drawn up to this many times the largest
// required one; beyond, it runs along the panel's top.
constexpr double kAvailableOverRequired = 3.0;

const QColor kPassingColour{0x00, 0x9e, 0x73};
const QColor kDesignSpeedColour{0xd5, 0x5e, 0x00};

std::string_view series_quantity(SeriesDiagramKind kind, bool required) {
  switch (kind) {
    case SeriesDiagramKind::kOperatingSpeed:
      return "speed";
    case SeriesDiagramKind::kStoppingSight:
      return required ? "stopping_required" : "stopping_available";
    case SeriesDiagramKind::kPassing:
      break;
  }
  return "passing_available";
}

std::string_view finding_check(SeriesDiagramKind kind) {
  return kind == SeriesDiagramKind::kPassing ? "passing" : "stopping_sight";
}

// The values of one series inside the range, cut where a value is missing.
SeriesPieces pieces_in_range(const RunSeries* series, std::string_view name, const StationRange& range) {
  SeriesPieces pieces;
  const std::vector<float>* values = series != nullptr ? series->values(name) : nullptr;
  if (values == nullptr) return pieces;
  const std::vector<double>& stations = series->stations();
  const auto first = std::lower_bound(stations.begin(), stations.end(), range.from);
  bool open = false;
  for (auto i = static_cast<std::size_t>(first - stations.begin());
       i < stations.size() && stations[i] <= range.to && i < values->size(); ++i) {
    const double v = static_cast<double>((*values)[i]);
    if (!std::isfinite(v)) {
      open = false;
      continue;
    }
    if (!open) pieces.emplace_back();
    open = true;
    pieces.back().push_back({stations[i], v});
  }
  return pieces;
}

double largest(const SeriesPieces& pieces) {
  double m = 0.0;
  for (const auto& piece : pieces) {
    for (const StationValue& v : piece) m = std::max(m, v.value);
  }
  return m;
}

// A round value at or above v: a whole number of nice steps.
double round_up(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 1.0;
  const double step = nice_step(v / 5.0);
  return std::max(step, std::ceil(v / step - 1e-9) * step);
}

QString direction_text(TravelDirection direction, DiagramLanguage language) {
  return diagram_text(
      direction == TravelDirection::kBackward ? DiagramText::kBackward : DiagramText::kForward, language);
}

void fill_stretch(QPainter& painter, const SeriesLayout& layout, std::size_t panel, double from, double to,
                  const QColor& colour, const QBrush& pattern) {
  const double x0 = layout.x(from);
  const double x1 = std::max(layout.x(to), x0 + kNarrowestStretch);
  const QRectF box(x0, layout.panels[panel].top(), x1 - x0, layout.panels[panel].height());
  QColor tint = colour;
  tint.setAlpha(50);
  painter.fillRect(box, tint);
  painter.fillRect(box, pattern);
}

void draw_pieces(QPainter& painter, const SeriesLayout& layout, std::size_t panel,
                 const SeriesPieces& pieces) {
  const double top = layout.panels[panel].top();
  for (const auto& piece : pieces) {
    std::vector<QPointF> points;
    points.reserve(piece.size());
    for (const StationValue& v : piece)
      points.emplace_back(layout.x(v.station), std::max(layout.y(panel, v.value), top));
    const std::vector<QPointF> kept = thin_by_columns(points, kThinningColumn);
    if (kept.size() == 1) {
      painter.drawPoint(kept.front());
      continue;
    }
    // In short pieces: the raster engine slows down on long folded paths.
    constexpr std::size_t kPiece = 64;
    for (std::size_t i = 0; i + 1 < kept.size(); i += kPiece) {
      painter.drawPolyline(kept.data() + i, static_cast<int>(std::min(kPiece + 1, kept.size() - i)));
    }
  }
}

}  // namespace

SeriesDiagramData make_series_diagram_data(SeriesDiagramKind kind, const RoadModel& model,
                                           const RunSeries* series,
                                           const std::vector<FindingRecord>* findings, double design_speed,
                                           StationRange range, DiagramLanguage language) {
  SeriesDiagramData data;
  data.kind = kind;
  data.language = language;
  data.range = clip_to_model(model, range);
  if (kind == SeriesDiagramKind::kOperatingSpeed && std::isfinite(design_speed) && design_speed > 0.0)
    data.design_speed = design_speed;
  data.panels[0].direction = TravelDirection::kForward;
  data.panels[1].direction = TravelDirection::kBackward;
  if (data.range.empty()) return data;

  double required_max = 0.0;
  double measured_max = 0.0;
  for (DirectionPanel& panel : data.panels) {
    const std::string suffix = panel.direction == TravelDirection::kForward ? "_forward" : "_backward";
    panel.measured = pieces_in_range(series, std::string(series_quantity(kind, false)) + suffix, data.range);
    if (kind == SeriesDiagramKind::kStoppingSight)
      panel.required = pieces_in_range(series, std::string(series_quantity(kind, true)) + suffix, data.range);
    data.has_series = data.has_series || !panel.measured.empty() || !panel.required.empty();
    measured_max = std::max(measured_max, largest(panel.measured));
    required_max = std::max(required_max, largest(panel.required));
  }

  if (findings != nullptr && kind != SeriesDiagramKind::kOperatingSpeed) {
    for (const FindingRecord& r : *findings) {
      if (r.review != Review::kVisibility) continue;
      DirectionPanel* panel = r.direction == TravelDirection::kForward    ? &data.panels[0]
                              : r.direction == TravelDirection::kBackward ? &data.panels[1]
                                                                          : nullptr;
      if (panel == nullptr) continue;
      if (kind == SeriesDiagramKind::kPassing && r.check == "passing_summary" && r.values.size() >= 2) {
        panel->has_share = true;
        panel->passing_length = r.values[0];
        panel->passing_percent = r.values[1];
        continue;
      }
      if (r.check != finding_check(kind) || !(r.to >= data.range.from) || !(r.from <= data.range.to))
        continue;
      const double from = std::max(r.from, data.range.from);
      const double to = std::min(r.to, data.range.to);
      if (r.verdict == Verdict::kFail && kind == SeriesDiagramKind::kStoppingSight) {
        panel->stretches.push_back({from, to, StretchVerdict::kFailing});
      } else if (r.verdict == Verdict::kNotAssessable) {
        panel->stretches.push_back({from, to, StretchVerdict::kNotAssessable});
      } else if (r.verdict == Verdict::kOk && kind == SeriesDiagramKind::kPassing) {
        panel->passing_possible.push_back({from, to});
      }
    }
  }

  double top = std::max(measured_max, data.design_speed);
  if (kind == SeriesDiagramKind::kStoppingSight && required_max > 0.0)
    top = std::max(required_max, std::min(measured_max, kAvailableOverRequired * required_max));
  data.value_max = round_up(top * (kind == SeriesDiagramKind::kOperatingSpeed ? 1.1 : 1.0));

  const double length = data.range.to - data.range.from;
  if (length / data.tick_step > static_cast<double>(kMaxTicks))
    data.tick_step = 100.0 * nice_step(length / 100.0 / static_cast<double>(kMaxTicks));
  data.ticks = designer_station_ticks(model.station_equations(), data.range.from, data.range.to,
                                      data.tick_step, kMaxTicks);
  return data;
}

SeriesLayout series_layout(const SeriesDiagramData& data, const QRectF& area) {
  SeriesLayout layout;
  const QRectF inner = area.adjusted(90, 70, -30, -100);
  const double gap = 44.0;
  const double height = std::max((inner.height() - gap) / 2.0, 1.0);
  layout.panels[0] = QRectF(inner.left(), inner.top(), inner.width(), height);
  layout.panels[1] = QRectF(inner.left(), inner.top() + height + gap, inner.width(), height);
  layout.from = data.range.from;
  layout.x_scale = inner.width() / std::max(data.range.to - data.range.from, 1e-6);
  layout.value_max = data.value_max > 0.0 ? data.value_max : 1.0;
  return layout;
}

void draw_series_diagram(QPainter& painter, const QRectF& area, const SeriesDiagramData& data) {
  const DiagramText title =
      data.kind == SeriesDiagramKind::kOperatingSpeed  ? DiagramText::kOperatingSpeedTitle
      : data.kind == SeriesDiagramKind::kStoppingSight ? DiagramText::kStoppingSightTitle
                                                       : DiagramText::kPassingTitle;
  begin_diagram(painter, area, diagram_text(title, data.language));
  if (data.range.empty() || !data.has_series) {
    draw_label(painter, area.center(), diagram_text(DiagramText::kNothingComputed, data.language),
               Qt::AlignCenter);
    painter.restore();
    return;
  }
  const SeriesLayout layout = series_layout(data, area);
  const QFont font = painter.font();
  const QFontMetricsF metrics(font);
  const QBrush passing_pattern(kPassingColour, Qt::HorPattern);

  // Stretches first, under the grid and the lines.
  for (std::size_t p = 0; p < 2; ++p) {
    const DirectionPanel& panel = data.panels[p];
    for (const StationRange& r : panel.passing_possible)
      fill_stretch(painter, layout, p, r.from, r.to, kPassingColour, passing_pattern);
    for (const MarkedStretch& s : panel.stretches)
      fill_stretch(painter, layout, p, s.from, s.to, stretch_colour(s.verdict), stretch_brush(s.verdict));
  }

  // Station grid across both panels, labels under the lower one.
  const double tick_spacing = data.tick_step * layout.x_scale;
  const double label_step = data.tick_step * std::max(1.0, nice_step(90.0 / std::max(tick_spacing, 1e-9)));
  const QRectF& lower = layout.panels[1];
  for (const StationTick& tick : data.ticks) {
    const bool labelled = std::fabs(std::remainder(tick.designer, label_step)) < 1e-6;
    if (!labelled && tick_spacing < 6.0) continue;
    const double x = layout.x(tick.internal);
    painter.setPen(QPen(palette::kGrid, labelled ? 1.0 : 0.5));
    for (const QRectF& box : layout.panels) painter.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
    if (labelled) {
      painter.setPen(palette::kInk);
      draw_label(painter, QPointF(x, lower.bottom() + 4), station_label(tick.designer, 0),
                 Qt::AlignHCenter | Qt::AlignTop);
    }
  }
  painter.setPen(palette::kInk);
  draw_label(painter, QPointF(lower.center().x(), lower.bottom() + 22),
             diagram_text(DiagramText::kStation, data.language), Qt::AlignHCenter | Qt::AlignTop);

  const double value_step = nice_step(layout.value_max / 5.0);
  const QString value_title =
      diagram_text(data.kind == SeriesDiagramKind::kOperatingSpeed ? DiagramText::kOperatingSpeed
                                                                   : DiagramText::kSightDistance,
                   data.language);
  for (std::size_t p = 0; p < 2; ++p) {
    const QRectF& box = layout.panels[p];
    const DirectionPanel& panel = data.panels[p];
    for (double k = 0.0; k <= 50.0 && k * value_step <= layout.value_max * (1.0 + 1e-9); k += 1.0) {
      const double y = layout.y(p, k * value_step);
      painter.setPen(QPen(palette::kGrid, 0.5));
      painter.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
      painter.setPen(palette::kInk);
      draw_label(painter, QPointF(box.left() - 4, y), QString::number(k * value_step),
                 Qt::AlignRight | Qt::AlignVCenter);
    }
    painter.setPen(QPen(palette::kGrid, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.save();
    painter.translate(area.left() + 16, box.center().y());
    painter.rotate(-90);
    painter.setPen(palette::kInk);
    draw_label(painter, QPointF(0, 0), value_title, Qt::AlignHCenter | Qt::AlignVCenter);
    painter.restore();

    painter.setPen(palette::kInk);
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    draw_label(painter, QPointF(box.left(), box.top() - 6), direction_text(panel.direction, data.language),
               Qt::AlignLeft | Qt::AlignBottom);
    painter.setFont(font);
    if (panel.has_share) {
      draw_label(painter, QPointF(box.right(), box.top() - 6),
                 QStringLiteral("%1 %2 m (%3 %)")
                     .arg(diagram_text(DiagramText::kPassingShare, data.language))
                     .arg(panel.passing_length, 0, 'f', 1)
                     .arg(panel.passing_percent, 0, 'f', 0),
                 Qt::AlignRight | Qt::AlignBottom);
    }

    painter.save();
    painter.setClipRect(box.adjusted(-2, -2, 2, 2));
    painter.setPen(QPen(palette::kInk, 1.5, Qt::DashLine));
    draw_pieces(painter, layout, p, panel.required);
    painter.setPen(QPen(palette::kArc, 2.0));
    draw_pieces(painter, layout, p, panel.measured);
    // Over the speed, which the design speed caps: both stay visible.
    if (data.design_speed > 0.0) {
      painter.setPen(QPen(kDesignSpeedColour, 2.0, Qt::DashDotLine));
      const double y = layout.y(p, data.design_speed);
      painter.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    }
    painter.restore();
  }

  // Legend.
  QPointF at(layout.panels[0].left(), area.bottom() - 24);
  auto line_entry = [&](const QPen& pen, const QString& text) {
    painter.setPen(pen);
    painter.drawLine(at, at + QPointF(30, 0));
    painter.setPen(palette::kInk);
    draw_label(painter, at + QPointF(36, 0), text, Qt::AlignLeft | Qt::AlignVCenter);
    at.rx() += 52 + metrics.horizontalAdvance(text);
  };
  auto swatch_entry = [&](const QColor& colour, const QBrush& pattern, const QString& text) {
    const QRectF swatch(at.x(), at.y() - 7, 30, 14);
    QColor tint = colour;
    tint.setAlpha(50);
    painter.fillRect(swatch, tint);
    painter.fillRect(swatch, pattern);
    painter.setPen(palette::kInk);
    draw_label(painter, at + QPointF(36, 0), text, Qt::AlignLeft | Qt::AlignVCenter);
    at.rx() += 52 + metrics.horizontalAdvance(text);
  };
  switch (data.kind) {
    case SeriesDiagramKind::kOperatingSpeed:
      line_entry(QPen(palette::kArc, 2.0), diagram_text(DiagramText::kOperatingSpeed, data.language));
      if (data.design_speed > 0.0) {
        line_entry(QPen(kDesignSpeedColour, 2.0, Qt::DashDotLine),
                   QStringLiteral("%1 (%2 km/h)")
                       .arg(diagram_text(DiagramText::kDesignSpeed, data.language))
                       .arg(data.design_speed, 0, 'f', 0));
      }
      break;
    case SeriesDiagramKind::kStoppingSight:
      line_entry(QPen(palette::kArc, 2.0), diagram_text(DiagramText::kAvailable, data.language));
      line_entry(QPen(palette::kInk, 1.5, Qt::DashLine), diagram_text(DiagramText::kRequired, data.language));
      swatch_entry(stretch_colour(StretchVerdict::kFailing), stretch_brush(StretchVerdict::kFailing),
                   diagram_text(DiagramText::kFailing, data.language));
      swatch_entry(stretch_colour(StretchVerdict::kNotAssessable),
                   stretch_brush(StretchVerdict::kNotAssessable),
                   diagram_text(DiagramText::kNotAssessable, data.language));
      break;
    case SeriesDiagramKind::kPassing:
      line_entry(QPen(palette::kArc, 2.0), diagram_text(DiagramText::kAvailable, data.language));
      swatch_entry(kPassingColour, passing_pattern,
                   diagram_text(DiagramText::kPassingPossible, data.language));
      swatch_entry(stretch_colour(StretchVerdict::kNotAssessable),
                   stretch_brush(StretchVerdict::kNotAssessable),
                   diagram_text(DiagramText::kNotAssessable, data.language));
      break;
  }
  painter.restore();
}

}  // namespace corvalinde::draw
