#include "draw/diagram_catalogue.h"

#include <algorithm>

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

std::vector<MarkedStretch> marked_stretches(const std::vector<FindingRecord>& findings,
                                            std::initializer_list<Review> reviews, bool warnings) {
  std::vector<MarkedStretch> marked;
  for (const StretchVerdict verdict : {StretchVerdict::kFailing, StretchVerdict::kWarning}) {
    if (verdict == StretchVerdict::kWarning && !warnings) continue;
    const Verdict wanted = verdict == StretchVerdict::kFailing ? Verdict::kFail : Verdict::kWarning;
    std::vector<MarkedStretch> these;
    for (const FindingRecord& r : findings) {
      if (r.verdict != wanted || !(r.to >= r.from) ||
          std::find(reviews.begin(), reviews.end(), r.review) == reviews.end())
        continue;
      // Where passing is impossible the road is not at fault there, and the
      // share of passing judges the road as a whole: the passing diagram
      // shows both.
      if (r.check == "passing" || r.check == "passing_summary") continue;
      these.push_back({r.from, r.to, verdict});
    }
    std::sort(these.begin(), these.end(),
              [](const MarkedStretch& a, const MarkedStretch& b) { return a.from < b.from; });
    for (const MarkedStretch& m : these) {
      if (!marked.empty() && marked.back().verdict == verdict && m.from <= marked.back().to) {
        marked.back().to = std::max(marked.back().to, m.to);
      } else {
        marked.push_back(m);
      }
    }
  }
  return marked;
}

PreparedDiagram::PreparedDiagram(Diagram diagram, const DiagramSource& source, StationRange range,
                                 DiagramLanguage language)
    : diagram_(diagram) {
  static const RoadModel kNoRoad;
  const RoadModel& model = source.model != nullptr ? *source.model : kNoRoad;
  range_ = clip_to_model(model, range);
  static const std::vector<FindingRecord> kNoFindings;
  const std::vector<FindingRecord>& findings = source.findings != nullptr ? *source.findings : kNoFindings;
  switch (diagram) {
    case Diagram::kPlan: {
      PlanDiagramData data = make_plan_data(model, range, language);
      data.stretches = marked_stretches(
          findings, {Review::kPlan, Review::kCrossfall, Review::kProfile, Review::kVisibility}, false);
      data_ = std::move(data);
      break;
    }
    case Diagram::kLongSection: {
      LongSectionData data = make_long_section_data(model, range, language);
      data.stretches = marked_stretches(findings, {Review::kProfile, Review::kCrossfall}, true);
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

ExportStatus export_diagram(const QString& path, DiagramFormat format, Diagram diagram,
                            const DiagramSource& source, StationRange range, DiagramLanguage language) {
  const PreparedDiagram prepared(diagram, source, range, language);
  return write_diagram(path, format, diagram_title(diagram, language),
                       [&](QPainter& painter, const QRectF& area) { prepared.paint(painter, area); });
}

}  // namespace corvalinde::draw
