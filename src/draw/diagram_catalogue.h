// The diagrams of a review, in one list: the command line's --plots, the
// review report and the desktop's views all draw them through here, so that
// each shows the same picture. A diagram is prepared once from a run (its
// road model, findings and series) for a station range and a language, then
// painted into any rectangle of any QPainter device as often as needed.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>

#include <array>
#include <initializer_list>
#include <string_view>
#include <variant>
#include <vector>

#include "draw/diagram_common.h"
#include "draw/diagram_export.h"
#include "draw/long_section_diagram.h"
#include "draw/plan_diagram.h"
#include "draw/series_diagram.h"
#include "output/finding_record.h"
#include "output/run_series.h"
#include "road/road_model.h"

namespace corvalinde::draw {

enum class Diagram { kPlan, kLongSection, kOperatingSpeed, kStoppingSight, kPassing };
inline constexpr std::array<Diagram, 5> kAllDiagrams{Diagram::kPlan, Diagram::kLongSection,
                                                     Diagram::kOperatingSpeed, Diagram::kStoppingSight,
                                                     Diagram::kPassing};

// The diagram's part of a file name: plan, long-section, operating-speed,
// stopping-sight, passing.
std::string_view diagram_file_stem(Diagram diagram);
// Its title in the language.
QString diagram_title(Diagram diagram, DiagramLanguage language);

// What a run gives the diagrams. Nothing is owned; what is pointed to must
// outlive the preparation only (the prepared diagram keeps its own copy).
struct DiagramSource {
  const RoadModel* model = nullptr;                      // null: an empty diagram
  const std::vector<FindingRecord>* findings = nullptr;  // null: no marked stretches
  const RunSeries* series = nullptr;                     // null: no speed or sight curves
  double design_speed = 0.0;                             // km/h of the road type; 0: not drawn
};

// One diagram ready to paint. The plan marks the failing stretches of every
// review; the long section the failing and warning stretches of the profile
// and crossfall reviews; the sight diagrams those of their own checks.
class PreparedDiagram {
 public:
  PreparedDiagram(Diagram diagram, const DiagramSource& source, StationRange range, DiagramLanguage language);
  Diagram diagram() const { return diagram_; }
  // The stations drawn (empty when the model has nothing there).
  StationRange range() const { return range_; }
  void paint(QPainter& painter, const QRectF& area) const;

 private:
  Diagram diagram_;
  StationRange range_;
  std::variant<PlanDiagramData, LongSectionData, SeriesDiagramData> data_;
};

// Prepares and paints in one call.
void paint_diagram(QPainter& painter, const QRectF& area, Diagram diagram, const DiagramSource& source,
                   StationRange range, DiagramLanguage language);

// Prepares one diagram and writes it to a file (SVG, PNG or PDF), titled
// with its title.
[[nodiscard]] ExportStatus export_diagram(const QString& path, DiagramFormat format, Diagram diagram,
                                          const DiagramSource& source, StationRange range,
                                          DiagramLanguage language);

// The stretches the plan and the long section mark: the failing (and, with
// `warnings`, the warning) findings of the reviews in `reviews` but those of
// passing (drawn by the passing diagram), overlapping ones of a verdict
// joined, so that no shade is laid twice.
std::vector<MarkedStretch> marked_stretches(const std::vector<FindingRecord>& findings,
                                            std::initializer_list<Review> reviews, bool warnings);

}  // namespace corvalinde::draw
