#include "draw/diagram_catalogue.h"

#include "draw/diagram_text.h"

namespace corvalinde::draw {
namespace {

SeriesDiagramKind series_kind(Diagram diagram) {
  switch (diagram) {
    case Diagram::kStoppingSight:
      return SeriesDiagramKind::kStoppingSight;
    case Diagram::kPassing:
      return SeriesDiagramKind::kPassing;
    default:
      return SeriesDiagramKind::kOperatingSpeed;
  }
}

}  // namespace

std::string_view diagram_file_stem(Diagram diagram) {
  switch (diagram) {
    case Diagram::kPlan:
      return "plan";
    case Diagram::kLongSection:
      return "long-section";
    case Diagram::kOperatingSpeed:
      return "operating-speed";
    case Diagram::kStoppingSight:
      return "stopping-sight";
    case Diagram::kPassing:
      break;
  }
  return "passing";
}

QString diagram_title(Diagram diagram, DiagramLanguage language) {
  switch (diagram) {
    case Diagram::kPlan:
      return diagram_text(DiagramText::kPlanTitle, language);
    case Diagram::kLongSection:
      return diagram_text(DiagramText::kLongSectionTitle, language);
    case Diagram::kOperatingSpeed:
      return diagram_text(DiagramText::kOperatingSpeedTitle, language);
    case Diagram::kStoppingSight:
      return diagram_text(DiagramText::kStoppingSightTitle, language);
    case Diagram::kPassing:
      break;
  }
  return diagram_text(DiagramText::kPassingTitle, language);
}

std::vector<MarkedStretch> marked_stretches(const std::vector<FindingRecord>& findings) {
  std::vector<MarkedStretch> stretches;
  for (const FindingRecord& r : findings) {
    if (!(r.to >= r.from)) continue;
    if (r.verdict == Verdict::kFail) stretches.push_back({r.from, r.to, StretchVerdict::kFailing});
    if (r.verdict == Verdict::kWarning) stretches.push_back({r.from, r.to, StretchVerdict::kWarning});
  }
  return stretches;
}

PreparedDiagram::PreparedDiagram(Diagram diagram, const DiagramSource& source, StationRange range,
                                 DiagramLanguage language)
    : diagram_(diagram) {
  static const RoadModel kNoRoad;
  const RoadModel& model = source.model != nullptr ? *source.model : kNoRoad;
  range_ = clip_to_model(model, range);
  const std::vector<MarkedStretch> stretches =
      source.findings != nullptr ? marked_stretches(*source.findings) : std::vector<MarkedStretch>{};
  switch (diagram) {
    case Diagram::kPlan: {
      PlanDiagramData data = make_plan_data(model, range, language);
      data.stretches = stretches;
      data_ = std::move(data);
      break;
    }
    case Diagram::kLongSection: {
      LongSectionData data = make_long_section_data(model, range, language);
      data.stretches = stretches;
      data_ = std::move(data);
      break;
    }
    case Diagram::kOperatingSpeed:
    case Diagram::kStoppingSight:
    case Diagram::kPassing:
      data_ = make_series_diagram_data(series_kind(diagram), model, source.series, source.findings,
                                       source.design_speed, range, language);
      break;
  }
}

void PreparedDiagram::paint(QPainter& painter, const QRectF& area) const {
  if (const auto* plan = std::get_if<PlanDiagramData>(&data_)) {
    draw_plan(painter, area, *plan);
  } else if (const auto* section = std::get_if<LongSectionData>(&data_)) {
    draw_long_section(painter, area, *section);
  } else if (const auto* series = std::get_if<SeriesDiagramData>(&data_)) {
    draw_series_diagram(painter, area, *series);
  }
}

void paint_diagram(QPainter& painter, const QRectF& area, Diagram diagram, const DiagramSource& source,
                   StationRange range, DiagramLanguage language) {
  PreparedDiagram(diagram, source, range, language).paint(painter, area);
}

}  // namespace corvalinde::draw
