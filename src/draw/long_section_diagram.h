// The long section: elevation against station with the vertical
// exaggeration stated, grades and vertical-curve radii labelled and the PVIs
// marked, over the bands of the curvature diagram and the crossfalls left
// and right. make_long_section_data walks the model once;
// draw_long_section paints the result on any QPainter device.
#pragma once

#include <QPainter>
#include <QRectF>

#include <vector>

#include "draw/diagram_common.h"
#include "road/road_model.h"

namespace corvalinde::draw {

// A value along the stations (elevation in m, curvature in 1/km, crossfall
// in per cent).
struct StationValue {
  double station = 0.0;
  double value = 0.0;
};

// A grade line or vertical curve of the profile, clipped to the range.
struct ProfileStretch {
  double from = 0.0;
  double to = 0.0;
  double value = 0.0;  // grade in per cent, or signed radius in m (> 0 sag)
};

// A point of vertical intersection: where the tangents of a vertical curve
// (or two grade lines that meet without one) cross; the profile's ends too.
struct Pvi {
  double station = 0.0;
  double elevation = 0.0;
  double curve_from = 0.0;  // the tangent points of its curve (both the
  double curve_to = 0.0;    // PVI's station when there is none)
};

struct LongSectionData {
  DiagramLanguage language = DiagramLanguage::kEnglish;
  StationRange range;
  std::vector<StationValue> elevation;
  std::vector<ProfileStretch> grades;
  std::vector<ProfileStretch> curves;
  std::vector<Pvi> pvis;  // those in the range, in station order
  bool has_plan = false;
  std::vector<StationValue> curvature;  // signed, > 0 turning left
  bool has_crossfall = false;
  std::vector<StationValue> crossfall_left;
  std::vector<StationValue> crossfall_right;
  std::vector<StationTick> ticks;  // every tick_step m of the designer's stations
  double tick_step = 100.0;
  std::vector<MarkedStretch> stretches;
};

// The PVIs of the whole profile. A run of vertical curves whose grades join
// is one curve with one PVI; a curve whose end grades are equal has none.
std::vector<Pvi> profile_pvis(const RoadModel& model);

// Samples the model over `range` (the whole road for an empty range).
LongSectionData make_long_section_data(const RoadModel& model, StationRange range, DiagramLanguage language);

// Where stations and values land on the device.
struct LongSectionLayout {
  QRectF profile;    // elevation panel
  QRectF curvature;  // curvature band
  QRectF crossfall;  // crossfall band
  double from = 0.0;
  double x_scale = 1.0;        // device units per metre of station
  double z_scale = 1.0;        // device units per metre of elevation
  double z_middle = 0.0;       // elevation at the panel's middle
  double exaggeration = 1.0;   // z_scale / x_scale, a round number
  double curvature_max = 1.0;  // 1/km at the band's edges
  double crossfall_max = 4.0;  // per cent at the band's edges
  double x(double station) const { return profile.left() + (station - from) * x_scale; }
  double y(double elevation) const { return profile.center().y() - (elevation - z_middle) * z_scale; }
};
LongSectionLayout long_section_layout(const LongSectionData& data, const QRectF& area);

void draw_long_section(QPainter& painter, const QRectF& area, const LongSectionData& data);

}  // namespace corvalinde::draw
