#include "draw/diagram_common.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvalinde::draw {

double nice_step(double raw) {
  if (!(raw > 0.0) || !std::isfinite(raw)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * power >= raw * (1.0 - 1e-12)) return factor * power;
  }
  return 10.0 * power;
}

std::vector<StationTick> designer_station_ticks(const StationEquations& stations, double from, double to,
                                                double step, std::size_t max_ticks) {
  std::vector<StationTick> ticks;
  if (!(step > 0.0) || !std::isfinite(step) || !(to >= from) || !std::isfinite(from) || !std::isfinite(to))
    return ticks;
  // Each region between two equations runs at slope +1 or -1 in the
  // designer's stations, so its round numbers map straight back.
  std::vector<double> bounds{from};
  for (const StationEquation& e : stations.equations) {
    if (e.internal > from && e.internal < to) bounds.push_back(e.internal);
  }
  bounds.push_back(to);
  for (std::size_t r = 0; r + 1 < bounds.size() && ticks.size() < max_ticks; ++r) {
    const double a = bounds[r];
    const double b = bounds[r + 1];
    const double va = designer_station(stations, a).value;
    const double vb = va + (designer_station(stations, b).value >= va ? 1.0 : -1.0) * (b - a);
    const double low = std::min(va, vb);
    const double high = std::max(va, vb);
    const double first = std::ceil(low / step - 1e-9);
    const double count = std::floor(high / step + 1e-9) - first + 1.0;
    if (!(count >= 1.0)) continue;
    const double limit = std::min(count, static_cast<double>(max_ticks - ticks.size()));
    for (double i = 0.0; i < limit; i += 1.0) {
      const double k = first + i;
      const double value = k * step;
      const double internal = a + std::fabs(value - va);
      // A number on a region's far end belongs to the next region.
      if (r + 2 < bounds.size() && internal >= b - 1e-9) continue;
      ticks.push_back({internal, value});
    }
  }
  std::sort(ticks.begin(), ticks.end(),
            [](const StationTick& x, const StationTick& y) { return x.internal < y.internal; });
  return ticks;
}

std::vector<QPointF> thin_by_columns(const std::vector<QPointF>& points, double column) {
  if (points.size() <= 4 || !(column > 0.0)) return points;
  std::vector<QPointF> kept;
  kept.reserve(std::min<std::size_t>(points.size(), 4096));
  std::size_t i = 0;
  while (i < points.size()) {
    const double cell = std::floor(points[i].x() / column);
    std::size_t first = i;
    std::size_t low = i;
    std::size_t high = i;
    std::size_t last = i;
    for (; i < points.size() && std::floor(points[i].x() / column) == cell; ++i) {
      if (points[i].y() < points[low].y()) low = i;
      if (points[i].y() > points[high].y()) high = i;
      last = i;
    }
    std::size_t order[4] = {first, std::min(low, high), std::max(low, high), last};
    for (std::size_t k = 0; k < 4; ++k) {
      if (k > 0 && order[k] == order[k - 1]) continue;
      kept.push_back(points[order[k]]);
    }
  }
  return kept;
}

StationRange clip_to_model(const RoadModel& model, StationRange requested) {
  double from = std::numeric_limits<double>::max();
  double to = std::numeric_limits<double>::lowest();
  if (model.has_plan()) {
    from = model.plan(1).start_station;
    to = model.plan(model.plan_count()).end_station;
  }
  if (model.has_profile()) {
    from = std::min(from, model.profile(1).start_station);
    to = std::max(to, model.profile(model.profile_count()).end_station);
  }
  if (!requested.empty()) {
    from = std::max(from, requested.from);
    to = std::min(to, requested.to);
  }
  return std::isfinite(from) && std::isfinite(to) && to > from ? StationRange{from, to} : StationRange{};
}

QColor stretch_colour(StretchVerdict verdict) {
  switch (verdict) {
    case StretchVerdict::kFailing:
      return palette::kFailing;
    case StretchVerdict::kWarning:
      return palette::kWarning;
    case StretchVerdict::kNotAssessable:
      break;
  }
  return palette::kNotAssessable;
}

QBrush stretch_brush(StretchVerdict verdict) {
  switch (verdict) {
    case StretchVerdict::kFailing:
      return QBrush(palette::kFailing, Qt::DiagCrossPattern);
    case StretchVerdict::kWarning:
      return QBrush(palette::kWarning, Qt::Dense6Pattern);
    case StretchVerdict::kNotAssessable:
      break;
  }
  return QBrush(palette::kNotAssessable, Qt::BDiagPattern);
}

void begin_diagram(QPainter& painter, const QRectF& area, const QString& title) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  QFont font = painter.font();
  font.setPixelSize(12);
  QFont title_font = font;
  title_font.setPixelSize(16);
  title_font.setBold(true);
  painter.setFont(title_font);
  painter.setPen(palette::kInk);
  draw_label(painter, area.topLeft() + QPointF(16, 12), title, Qt::AlignLeft | Qt::AlignTop);
  painter.setFont(font);
}

void draw_label(QPainter& painter, const QPointF& at, const QString& text, Qt::Alignment align) {
  const QFontMetricsF metrics(painter.font());
  const QRectF box = metrics.boundingRect(text);
  QPointF origin = at;
  if (align & Qt::AlignHCenter) origin.rx() -= box.width() / 2.0;
  if (align & Qt::AlignRight) origin.rx() -= box.width();
  if (align & Qt::AlignVCenter) origin.ry() += metrics.ascent() / 2.0 - metrics.descent() / 2.0;
  if (align & Qt::AlignTop) origin.ry() += metrics.ascent();
  if (align & Qt::AlignBottom) origin.ry() -= metrics.descent();
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 220));
  painter.drawRect(
      QRectF(origin.x() - 1.0, origin.y() - metrics.ascent(), box.width() + 2.0, metrics.height()));
  painter.restore();
  painter.drawText(origin, text);
}

QString station_label(double designer, int decimals) {
  const double magnitude = std::fabs(designer);
  const double kilometres = std::floor(magnitude / 1000.0 + 1e-9);
  double metres = magnitude - kilometres * 1000.0;
  if (metres < 0.0) metres = 0.0;
  const int width = decimals > 0 ? decimals + 4 : 3;
  return QStringLiteral("%1%2+%3")
      .arg(designer < 0.0 ? QStringLiteral("-") : QString())
      .arg(static_cast<long long>(kilometres))
      .arg(metres, width, 'f', decimals, QLatin1Char('0'));
}

}  // namespace corvalinde::draw
