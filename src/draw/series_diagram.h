// The diagrams of what the visibility review computed along the road, one
// panel per direction of travel over the designer's stations: the operating
// speed with the road type's design speed; the stopping sight distance
// available against the one required, with the failing stretches shaded and
// the stretches that could not be assessed hatched, both exactly at their
// findings' station ranges; and the stretches where passing is possible,
// with their share of the length. make_series_diagram_data reads the run's
// series and findings once; draw_series_diagram paints on any device.
#pragma once

#include <QPainter>
#include <QRectF>

#include <array>
#include <vector>

#include "draw/diagram_common.h"
#include "draw/long_section_diagram.h"
#include "output/finding_record.h"
#include "output/run_series.h"
#include "road/road_model.h"

namespace corvalinde::draw {

enum class SeriesDiagramKind { kOperatingSpeed, kStoppingSight, kPassing };

// A quantity along the stations, in pieces: a station where it was not
// computed ends a piece.
using SeriesPieces = std::vector<std::vector<StationValue>>;

struct DirectionPanel {
  TravelDirection direction = TravelDirection::kForward;
  SeriesPieces measured;  // speed (km/h), or the sight distance available (m)
  SeriesPieces required;  // the stopping sight distance required (m)
  // Stretches of the findings, clipped to the range: failing and not
  // assessable (for passing: no passing is not marked, it is the rest).
  std::vector<MarkedStretch> stretches;
  std::vector<StationRange> passing_possible;  // passing: the review's stretches
  bool has_share = false;                      // passing: the review's length and share below
  double passing_length = 0.0;
  double passing_percent = 0.0;
};

struct SeriesDiagramData {
  SeriesDiagramKind kind = SeriesDiagramKind::kOperatingSpeed;
  DiagramLanguage language = DiagramLanguage::kEnglish;
  StationRange range;
  std::array<DirectionPanel, 2> panels;  // forward, backward
  double design_speed = 0.0;             // km/h; 0: not drawn
  bool has_series = false;               // any value in the range
  double value_max = 1.0;                // the value at the panels' top
  std::vector<StationTick> ticks;
  double tick_step = 100.0;
};

// Reads the series (may be null) and the findings (may be null) of a run over
// `range` (the whole road for an empty range).
SeriesDiagramData make_series_diagram_data(SeriesDiagramKind kind, const RoadModel& model,
                                           const RunSeries* series,
                                           const std::vector<FindingRecord>* findings, double design_speed,
                                           StationRange range, DiagramLanguage language);

// Where stations and values land on the device.
struct SeriesLayout {
  std::array<QRectF, 2> panels;
  double from = 0.0;
  double x_scale = 1.0;  // device units per metre of station
  double value_max = 1.0;
  double x(double station) const { return panels[0].left() + (station - from) * x_scale; }
  double y(std::size_t panel, double value) const {
    return panels[panel].bottom() - value / value_max * panels[panel].height();
  }
};
SeriesLayout series_layout(const SeriesDiagramData& data, const QRectF& area);

void draw_series_diagram(QPainter& painter, const QRectF& area, const SeriesDiagramData& data);

}  // namespace corvalinde::draw
