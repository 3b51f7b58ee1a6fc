// What every diagram of the drawing module shares: the station range drawn,
// the stretches a review marks over it, the run's language, the palette and
// the small scale helpers. Qt Gui only (no widgets); nothing here fails: a
// range or a value that cannot be drawn is left out of the picture.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <cstddef>
#include <vector>

#include "road/road_model.h"
#include "road/station_equations.h"

namespace corvalinde::draw {

// The language of a diagram's own texts (axis titles, legends).
enum class DiagramLanguage { kFrench, kEnglish };

// A range of internal stations, from <= to. An empty range means "the whole
// model".
struct StationRange {
  double from = 0.0;
  double to = 0.0;
  bool empty() const { return !(to > from); }
};

// How a review judged a stretch of road. Each verdict is drawn with its own
// colour and its own pattern, so that it reads in black-and-white print too.
enum class StretchVerdict {
  kFailing,        // the design fails the check here
  kWarning,        // below the desirable value, above the limit
  kNotAssessable,  // the check could not be made here
};

// The part of `requested` (the whole road when empty) that the model's plan
// or profile covers; empty when they do not meet.
StationRange clip_to_model(const RoadModel& model, StationRange requested);

// A stretch of internal stations [from, to] with its verdict; a stretch of
// zero length is drawn as a point-sized mark, never dropped.
struct MarkedStretch {
  double from = 0.0;
  double to = 0.0;
  StretchVerdict verdict = StretchVerdict::kFailing;
};

// A station tick: the internal station where the designer's station is a
// round number, and that number.
struct StationTick {
  double internal = 0.0;
  double designer = 0.0;
};

// The smallest of 1, 2, 5 times a power of ten that is >= raw (raw > 0);
// 1 for a raw value that is not positive or not finite.
double nice_step(double raw);

// The internal stations in [from, to] where the designer's station (after the
// equations) is a multiple of `step`, in increasing internal station. At most
// `max_ticks` ticks (the rest are dropped); none for a step that is not
// positive or not finite.
std::vector<StationTick> designer_station_ticks(const StationEquations& stations, double from, double to,
                                                double step, std::size_t max_ticks);

// Thins a polyline in device coordinates whose x never decreases: within
// each column `column` px wide it keeps the first, lowest, highest and last
// point, in their order, so that no spike, however short, disappears.
std::vector<QPointF> thin_by_columns(const std::vector<QPointF>& points, double column);

// The palette: safe for the common colour-vision deficiencies and told
// apart by line style and width as well.
namespace palette {
inline const QColor kInk{0x20, 0x20, 0x20};
inline const QColor kGrid{0xd0, 0xd0, 0xd0};
inline const QColor kLine{0x00, 0x00, 0x00};
inline const QColor kArc{0x00, 0x72, 0xb2};
inline const QColor kTransition{0x00, 0x9e, 0x73};
inline const QColor kLeft{0x00, 0x72, 0xb2};
inline const QColor kRight{0xd5, 0x5e, 0x00};
inline const QColor kCurvature{0xcc, 0x79, 0xa7};
inline const QColor kFailing{0xd5, 0x5e, 0x00};
inline const QColor kWarning{0xe6, 0x9f, 0x00};
inline const QColor kNotAssessable{0x80, 0x80, 0x80};
}  // namespace palette

// The brush of a marked stretch: its colour with its own hatching.
QBrush stretch_brush(StretchVerdict verdict);
QColor stretch_colour(StretchVerdict verdict);

// Draws `text` centred on `at`, on a white halo so that it stays readable
// over lines.
void draw_label(QPainter& painter, const QPointF& at, const QString& text, Qt::Alignment align);

// Starts a diagram: saves the painter, clears `area` to white, writes the
// title at its top left and leaves the painter antialiased, in the body font
// and the ink colour. The caller restores the painter when done.
void begin_diagram(QPainter& painter, const QRectF& area, const QString& title);

// The designer's station as a label: "1+250" style with `decimals` decimals
// on the metres ("12+345.67"). Negative stations keep their sign.
QString station_label(double designer, int decimals);

}  // namespace corvalinde::draw
