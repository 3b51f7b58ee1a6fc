#include "draw/long_section_diagram.h"

#include <QFontMetricsF>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>

#include "draw/diagram_text.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"
#include "road/profile_geometry.h"

namespace corvalinde::draw {
namespace {

// A chord of a vertical curve may stray this far (m) from it: small enough
// to stay invisible at the largest exaggerations a short stretch gets.
constexpr double kChordTolerance = 0.001;
constexpr std::size_t kMaxSamplesPerElement = 2000;
constexpr std::size_t kTransitionSamples = 32;
constexpr std::size_t kMaxTicks = 200000;
// Grades that differ by less than this (fraction) make no PVI.
constexpr double kSameGrade = 1e-7;
constexpr double kLargestExaggeration = 1000.0;
constexpr double kPviRadius = 3.5;
// Polylines keep at most four points per column this wide (device units).
constexpr double kThinningColumn = 0.5;

double profile_grade_at(const ProfileElement& e, double s) {
  double z = 0.0;
  double g = 0.0;
  evaluate_profile_element(e, s, z, g);
  return g;
}

// The largest of 1, 2, 5 times a power of ten that is <= raw (at least 1).
double round_down(double raw) {
  const double step = nice_step(raw);
  if (step <= raw * (1.0 + 1e-12)) return std::max(step, 1.0);
  const double power = std::pow(10.0, std::floor(std::log10(step) - 1e-9));
  for (const double factor : {5.0, 2.0, 1.0}) {
    if (factor * power <= raw) return std::max(factor * power, 1.0);
  }
  return 1.0;
}

double signed_curvature_at(const PlanElement& e, double s) {
  switch (e.kind()) {
    case kPlanArc:
      return e.arc()->radius != 0.0 ? 1.0 / e.arc()->radius : 0.0;
    case kPlanClothoid: {
      AxisPoint point;
      evaluate_plan_element(e, s, point);
      return e.clothoid()->turn < 0 ? -point.curvature : point.curvature;
    }
    case kPlanTransition:
      return e.transition()->at(s - e.start_station).curvature;
    default:
      return 0.0;
  }
}

void push_finite(std::vector<StationValue>& values, double s, double v) {
  if (std::isfinite(s) && std::isfinite(v)) values.push_back({s, v});
}

// The series on the device, thinned per column.
QPolygonF device_series(const LongSectionLayout& layout, const std::vector<StationValue>& values,
                        double centre_y, double units_per_value) {
  std::vector<QPointF> points;
  points.reserve(values.size());
  for (const StationValue& v : values)
    points.emplace_back(layout.x(v.station), centre_y - v.value * units_per_value);
  const std::vector<QPointF> kept = thin_by_columns(points, kThinningColumn);
  return QPolygonF(QList<QPointF>(kept.begin(), kept.end()));
}

// Strokes a long polyline in short pieces: the raster engine's cost grows
// much faster than the number of segments in one path when they fold back
// and forth, as a thinned dense series does.
void draw_series(QPainter& painter, const QPolygonF& line) {
  constexpr qsizetype kPiece = 64;
  for (qsizetype i = 0; i + 1 < line.size(); i += kPiece) {
    painter.drawPolyline(line.constData() + i, static_cast<int>(std::min(kPiece + 1, line.size() - i)));
  }
}

void draw_band_frame(QPainter& painter, const QRectF& band, const QString& title, double max_value,
                     const QString& unit) {
  painter.setPen(QPen(palette::kGrid, 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(band);
  painter.drawLine(QPointF(band.left(), band.center().y()), QPointF(band.right(), band.center().y()));
  painter.setPen(palette::kInk);
  draw_label(painter, band.topLeft() + QPointF(4, 2), title, Qt::AlignLeft | Qt::AlignTop);
  draw_label(painter, QPointF(band.left() - 4, band.top()), QStringLiteral("%1%2").arg(max_value).arg(unit),
             Qt::AlignRight | Qt::AlignTop);
  draw_label(painter, QPointF(band.left() - 4, band.center().y()), QStringLiteral("0"),
             Qt::AlignRight | Qt::AlignVCenter);
  draw_label(painter, QPointF(band.left() - 4, band.bottom()),
             QStringLiteral("%1%2").arg(-max_value).arg(unit), Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace

std::vector<Pvi> profile_pvis(const RoadModel& model) {
  std::vector<Pvi> pvis;
  if (!model.has_profile()) return pvis;
  const std::vector<ProfileElement>& elements = model.profile_elements();
  const ProfileElement& first = elements.front();
  pvis.push_back({first.start_station, first.start_elevation, first.start_station, first.start_station});
  std::size_t i = 0;
  while (i < elements.size()) {
    const ProfileElement& e = elements[i];
    if (e.kind == kProfileGrade) {
      if (i + 1 < elements.size() && elements[i + 1].kind == kProfileGrade &&
          std::fabs(profile_grade_at(e, e.end_station) - profile_grade_at(elements[i + 1], e.end_station)) >
              kSameGrade) {
        pvis.push_back({e.end_station, e.end_elevation, e.end_station, e.end_station});
      }
      ++i;
      continue;
    }
    // A run of curves whose grades join (an unsymmetrical curve) is one curve.
    std::size_t last = i;
    while (last + 1 < elements.size() && elements[last + 1].kind != kProfileGrade &&
           std::fabs(profile_grade_at(elements[last], elements[last].end_station) -
                     profile_grade_at(elements[last + 1], elements[last + 1].start_station)) <= 1e-6) {
      ++last;
    }
    const ProfileElement& end = elements[last];
    const double s1 = e.start_station;
    const double z1 = e.start_elevation;
    const double g1 = profile_grade_at(e, s1);
    const double s2 = end.end_station;
    const double z2 = end.end_elevation;
    const double g2 = profile_grade_at(end, s2);
    if (std::fabs(g1 - g2) > kSameGrade) {
      const double s = (z2 - z1 + g1 * s1 - g2 * s2) / (g1 - g2);
      const double z = z1 + g1 * (s - s1);
      if (std::isfinite(s) && std::isfinite(z)) pvis.push_back({s, z, s1, s2});
    }
    i = last + 1;
  }
  const ProfileElement& final_element = elements.back();
  pvis.push_back({final_element.end_station, final_element.end_elevation, final_element.end_station,
                  final_element.end_station});
  return pvis;
}

LongSectionData make_long_section_data(const RoadModel& model, StationRange range, DiagramLanguage language) {
  LongSectionData data;
  data.language = language;
  range = clip_to_model(model, range);
  if (range.empty()) return data;
  data.range = range;

  for (const ProfileElement& e : model.profile_elements()) {
    const double s0 = std::max(e.start_station, range.from);
    const double s1 = std::min(e.end_station, range.to);
    if (!(s1 >= s0)) continue;
    std::size_t n = 2;
    if (e.kind != kProfileGrade && std::fabs(e.grade_or_radius) > 0.0) {
      const double chord = std::sqrt(8.0 * kChordTolerance * std::fabs(e.grade_or_radius));
      n = static_cast<std::size_t>(
          std::clamp(std::ceil((s1 - s0) / chord) + 1.0, 2.0, static_cast<double>(kMaxSamplesPerElement)));
    }
    for (std::size_t k = 0; k < n; ++k) {
      const double s = k + 1 == n ? s1 : s0 + (s1 - s0) * static_cast<double>(k) / static_cast<double>(n - 1);
      double z = 0.0;
      double g = 0.0;
      evaluate_profile_element(e, s, z, g);
      push_finite(data.elevation, s, z);
    }
    (e.kind == kProfileGrade ? data.grades : data.curves).push_back({s0, s1, e.grade_or_radius});
  }
  for (const Pvi& pvi : profile_pvis(model)) {
    if (pvi.station >= range.from && pvi.station <= range.to) data.pvis.push_back(pvi);
  }

  data.has_plan = model.has_plan();
  for (const PlanElement& e : model.plan_elements()) {
    const double s0 = std::max(e.start_station, range.from);
    const double s1 = std::min(e.end_station, range.to);
    if (!(s1 >= s0)) continue;
    const std::size_t n = e.kind() == kPlanTransition ? kTransitionSamples : 2;
    for (std::size_t k = 0; k < n; ++k) {
      const double s = k + 1 == n ? s1 : s0 + (s1 - s0) * static_cast<double>(k) / static_cast<double>(n - 1);
      push_finite(data.curvature, s, 1000.0 * signed_curvature_at(e, s));
    }
  }

  data.has_crossfall = model.has_crossfall();
  if (data.has_crossfall) {
    auto add = [&](double s) {
      double left = 0.0;
      double right = 0.0;
      evaluate_crossfall(model, s, 1, left, right);
      push_finite(data.crossfall_left, s, 100.0 * left);
      push_finite(data.crossfall_right, s, 100.0 * right);
    };
    add(range.from);
    for (const CrossfallPoint& p : model.crossfall_points()) {
      if (p.station > range.from && p.station < range.to) {
        push_finite(data.crossfall_left, p.station, p.left);
        push_finite(data.crossfall_right, p.station, p.right);
      }
    }
    add(range.to);
  }

  const double length = range.to - range.from;
  if (length / data.tick_step > static_cast<double>(kMaxTicks))
    data.tick_step = 100.0 * nice_step(length / 100.0 / static_cast<double>(kMaxTicks));
  data.ticks =
      designer_station_ticks(model.station_equations(), range.from, range.to, data.tick_step, kMaxTicks);
  return data;
}

LongSectionLayout long_section_layout(const LongSectionData& data, const QRectF& area) {
  LongSectionLayout layout;
  const QRectF inner = area.adjusted(80, 60, -30, -90);
  const double band = std::floor(inner.height() * 0.17);
  const double gap = 14.0;
  layout.crossfall = QRectF(inner.left(), inner.bottom() - band, inner.width(), band);
  layout.curvature = QRectF(inner.left(), layout.crossfall.top() - gap - band, inner.width(), band);
  layout.profile =
      QRectF(inner.left(), inner.top(), inner.width(), layout.curvature.top() - gap - inner.top());
  layout.from = data.range.from;
  const double length = std::max(data.range.to - data.range.from, 1e-6);
  layout.x_scale = inner.width() / length;

  double low = std::numeric_limits<double>::max();
  double high = std::numeric_limits<double>::lowest();
  for (const StationValue& v : data.elevation) {
    low = std::min(low, v.value);
    high = std::max(high, v.value);
  }
  for (const Pvi& p : data.pvis) {
    low = std::min(low, p.elevation);
    high = std::max(high, p.elevation);
  }
  if (low > high) low = high = 0.0;
  const double wanted = layout.profile.height() * 0.8 / std::max(high - low, 0.01);
  layout.exaggeration = std::min(round_down(wanted / layout.x_scale), kLargestExaggeration);
  layout.z_scale = layout.x_scale * layout.exaggeration;
  layout.z_middle = (low + high) / 2.0;

  double curvature = 0.0;
  for (const StationValue& v : data.curvature) curvature = std::max(curvature, std::fabs(v.value));
  layout.curvature_max = nice_step(std::max(curvature, 0.1));
  double crossfall = 4.0;
  for (const StationValue& v : data.crossfall_left) crossfall = std::max(crossfall, std::fabs(v.value));
  for (const StationValue& v : data.crossfall_right) crossfall = std::max(crossfall, std::fabs(v.value));
  layout.crossfall_max = std::ceil(crossfall);
  return layout;
}

void draw_long_section(QPainter& painter, const QRectF& area, const LongSectionData& data) {
  begin_diagram(painter, area, diagram_text(DiagramText::kLongSectionTitle, data.language));
  if (data.range.empty()) {
    draw_label(painter, area.center(), diagram_text(DiagramText::kNoProfile, data.language), Qt::AlignCenter);
    painter.restore();
    return;
  }
  const LongSectionLayout layout = long_section_layout(data, area);
  const QFont font = painter.font();
  const QFontMetricsF metrics(font);

  // Marked stretches under everything else, across the panel and the bands.
  for (const MarkedStretch& stretch : data.stretches) {
    const double x0 = layout.x(std::max(stretch.from, data.range.from));
    const double x1 = std::max(layout.x(std::min(stretch.to, data.range.to)), x0 + 1.0);
    const QRectF shade(x0, layout.profile.top(), x1 - x0, layout.crossfall.bottom() - layout.profile.top());
    QColor tint = stretch_colour(stretch.verdict);
    tint.setAlpha(40);
    painter.fillRect(shade, tint);
    painter.fillRect(shade, stretch_brush(stretch.verdict));
  }

  // Station grid and labels, shared by the panel and the bands.
  const double tick_spacing = data.tick_step * layout.x_scale;
  const double label_step = data.tick_step * std::max(1.0, nice_step(90.0 / std::max(tick_spacing, 1e-9)));
  for (const StationTick& tick : data.ticks) {
    const bool labelled = std::fabs(std::remainder(tick.designer, label_step)) < 1e-6;
    if (!labelled && tick_spacing < 6.0) continue;
    const double x = layout.x(tick.internal);
    painter.setPen(QPen(palette::kGrid, labelled ? 1.0 : 0.5));
    painter.drawLine(QPointF(x, layout.profile.top()), QPointF(x, layout.crossfall.bottom()));
    if (labelled) {
      painter.setPen(palette::kInk);
      draw_label(painter, QPointF(x, layout.crossfall.bottom() + 4), station_label(tick.designer, 0),
                 Qt::AlignHCenter | Qt::AlignTop);
    }
  }
  painter.setPen(palette::kInk);
  draw_label(painter, QPointF(layout.profile.center().x(), layout.crossfall.bottom() + 22),
             diagram_text(DiagramText::kStation, data.language), Qt::AlignHCenter | Qt::AlignTop);

  // Elevation panel: grid, axis, profile, tangents, PVIs, labels.
  painter.setPen(QPen(palette::kGrid, 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(layout.profile);
  const double z_step = nice_step(40.0 / layout.z_scale);
  const double z_top = layout.z_middle + layout.profile.height() / 2.0 / layout.z_scale;
  const double z_bottom = layout.z_middle - layout.profile.height() / 2.0 / layout.z_scale;
  const double z_first = std::ceil(z_bottom / z_step);
  for (double i = 0.0; i < 100.0 && (z_first + i) * z_step <= z_top; i += 1.0) {
    const double k = z_first + i;
    const double y = layout.y(k * z_step);
    painter.setPen(QPen(palette::kGrid, 0.5));
    painter.drawLine(QPointF(layout.profile.left(), y), QPointF(layout.profile.right(), y));
    painter.setPen(palette::kInk);
    draw_label(painter, QPointF(layout.profile.left() - 4, y), QStringLiteral("%1").arg(k * z_step),
               Qt::AlignRight | Qt::AlignVCenter);
  }
  painter.save();
  painter.translate(area.left() + 16, layout.profile.center().y());
  painter.rotate(-90);
  draw_label(painter, QPointF(0, 0), diagram_text(DiagramText::kElevation, data.language),
             Qt::AlignHCenter | Qt::AlignVCenter);
  painter.restore();
  draw_label(
      painter, QPointF(layout.profile.right(), area.top() + 14),
      diagram_text(DiagramText::kVerticalExaggeration, data.language) + QString::number(layout.exaggeration),
      Qt::AlignRight | Qt::AlignTop);

  painter.save();
  painter.setClipRect(
      layout.profile.adjusted(-kPviRadius - 1, -kPviRadius - 1, kPviRadius + 1, kPviRadius + 1));
  if (data.elevation.empty()) {
    draw_label(painter, layout.profile.center(), diagram_text(DiagramText::kNoProfile, data.language),
               Qt::AlignCenter);
  } else {
    const double middle = layout.y(0.0);
    painter.setPen(QPen(palette::kLine, 2.0));
    draw_series(painter, device_series(layout, data.elevation, middle, layout.z_scale));
  }
  painter.setPen(QPen(palette::kInk, 0.8, Qt::DotLine));
  for (const Pvi& p : data.pvis) {
    if (p.curve_to <= p.curve_from) continue;
    const QPointF top(layout.x(p.station), layout.y(p.elevation));
    for (const double s : {p.curve_from, p.curve_to}) {
      double z = 0.0;
      for (const StationValue& v : data.elevation) {
        if (v.station >= s) {
          z = v.value;
          break;
        }
      }
      painter.drawLine(QPointF(layout.x(s), layout.y(z)), top);
    }
  }
  painter.setPen(QPen(palette::kInk, 1.0));
  painter.setBrush(palette::kInk);
  for (const Pvi& p : data.pvis) {
    painter.drawEllipse(QPointF(layout.x(p.station), layout.y(p.elevation)), kPviRadius, kPviRadius);
  }
  painter.setBrush(Qt::NoBrush);
  painter.restore();

  // Grade labels above their lines at their middle, radius labels below
  // their curves; a label that would run into the one before is left out
  // (the PVI marks stay, however close).
  auto elevation_at = [&](double s) {
    const auto it = std::lower_bound(data.elevation.begin(), data.elevation.end(), s,
                                     [](const StationValue& v, double x) { return v.station < x; });
    return it == data.elevation.end() ? (data.elevation.empty() ? 0.0 : data.elevation.back().value)
                                      : it->value;
  };
  painter.setPen(palette::kInk);
  double grade_label_end = -1e300;
  for (const ProfileStretch& g : data.grades) {
    const QString text = QStringLiteral("%1 %").arg(g.value, 0, 'f', 2);
    const double s = (g.from + g.to) / 2.0;
    const double width = metrics.horizontalAdvance(text);
    // Kept inside the panel, however near its end the element lies.
    const double x = std::clamp(layout.x(s), layout.profile.left() + width / 2.0 + 2.0,
                                std::max(layout.profile.right() - width / 2.0 - 2.0, layout.profile.left()));
    if (x - width / 2.0 < grade_label_end + 6.0) continue;
    grade_label_end = x + width / 2.0;
    draw_label(painter, QPointF(x, layout.y(elevation_at(s)) - 8), text, Qt::AlignHCenter | Qt::AlignBottom);
  }
  double curve_label_end = -1e300;
  for (const ProfileStretch& c : data.curves) {
    const QString text = QStringLiteral("R %1").arg(c.value, 0, 'f', 0);
    const double s = (c.from + c.to) / 2.0;
    const double width = metrics.horizontalAdvance(text);
    // Kept inside the panel, however near its end the element lies.
    const double x = std::clamp(layout.x(s), layout.profile.left() + width / 2.0 + 2.0,
                                std::max(layout.profile.right() - width / 2.0 - 2.0, layout.profile.left()));
    if (x - width / 2.0 < curve_label_end + 6.0) continue;
    curve_label_end = x + width / 2.0;
    draw_label(painter, QPointF(x, layout.y(elevation_at(s)) + 12), text, Qt::AlignHCenter | Qt::AlignTop);
  }

  // Curvature band.
  draw_band_frame(painter, layout.curvature, diagram_text(DiagramText::kCurvature, data.language),
                  layout.curvature_max, QString());
  if (data.has_plan) {
    painter.setPen(QPen(palette::kCurvature, 1.5));
    draw_series(painter, device_series(layout, data.curvature, layout.curvature.center().y(),
                                       layout.curvature.height() / 2.0 / layout.curvature_max));
  } else {
    draw_label(painter, layout.curvature.center(), diagram_text(DiagramText::kNoPlan, data.language),
               Qt::AlignCenter);
  }

  // Crossfall band: left solid, right dashed.
  draw_band_frame(painter, layout.crossfall, diagram_text(DiagramText::kCrossfall, data.language),
                  layout.crossfall_max, QStringLiteral(" %"));
  if (data.has_crossfall) {
    const double per_cent = layout.crossfall.height() / 2.0 / layout.crossfall_max;
    painter.setPen(QPen(palette::kLeft, 1.5));
    draw_series(painter, device_series(layout, data.crossfall_left, layout.crossfall.center().y(), per_cent));
    painter.setPen(QPen(palette::kRight, 1.5, Qt::DashLine));
    draw_series(painter,
                device_series(layout, data.crossfall_right, layout.crossfall.center().y(), per_cent));
  } else {
    draw_label(painter, layout.crossfall.center(), diagram_text(DiagramText::kNoCrossfall, data.language),
               Qt::AlignCenter);
  }

  // Legend.
  QPointF at(layout.profile.left(), area.bottom() - 24);
  auto entry = [&](const QPen& pen, const QString& text) {
    painter.setPen(pen);
    painter.drawLine(at, at + QPointF(30, 0));
    painter.setPen(palette::kInk);
    draw_label(painter, at + QPointF(36, 0), text, Qt::AlignLeft | Qt::AlignVCenter);
    at.rx() += 52 + metrics.horizontalAdvance(text);
  };
  entry(QPen(palette::kLine, 2.0), diagram_text(DiagramText::kElevation, data.language));
  painter.setPen(QPen(palette::kInk, 1.0));
  painter.setBrush(palette::kInk);
  painter.drawEllipse(at + QPointF(6, 0), kPviRadius, kPviRadius);
  painter.setBrush(Qt::NoBrush);
  draw_label(painter, at + QPointF(14, 0), diagram_text(DiagramText::kPvi, data.language),
             Qt::AlignLeft | Qt::AlignVCenter);
  at.rx() += 36 + metrics.horizontalAdvance(diagram_text(DiagramText::kPvi, data.language));
  entry(QPen(palette::kCurvature, 1.5), diagram_text(DiagramText::kCurvature, data.language));
  entry(QPen(palette::kLeft, 1.5), diagram_text(DiagramText::kCrossfallLeft, data.language));
  entry(QPen(palette::kRight, 1.5, Qt::DashLine), diagram_text(DiagramText::kCrossfallRight, data.language));
  bool shown[3] = {false, false, false};
  for (const MarkedStretch& stretch : data.stretches) shown[static_cast<int>(stretch.verdict)] = true;
  const DiagramText names[3] = {DiagramText::kFailing, DiagramText::kWarning, DiagramText::kNotAssessable};
  for (int v = 0; v < 3; ++v) {
    if (!shown[v]) continue;
    const QRectF swatch(at.x(), at.y() - 7, 30, 14);
    painter.fillRect(swatch, stretch_brush(static_cast<StretchVerdict>(v)));
    painter.setPen(palette::kInk);
    draw_label(painter, at + QPointF(36, 0), diagram_text(names[v], data.language),
               Qt::AlignLeft | Qt::AlignVCenter);
    at.rx() += 52 + metrics.horizontalAdvance(diagram_text(names[v], data.language));
  }
  painter.restore();
}

}  // namespace corvalinde::draw
