// Writes the review report of one run, as HTML (one self-contained file,
// the diagrams inline as SVG) or as PDF (QPdfWriter: the title block in each
// page's header, page numbers, each diagram on pages of about 1 km, the
// findings and the console listing). Needs a QGuiApplication (see
// ensure_gui_application). Failures come back as a status; nothing throws.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "draw/diagram_catalogue.h"
#include "draw/diagram_export.h"
#include "output/console.h"
#include "output/review_report.h"

namespace corvalinde::draw {

struct ReportRequest {
  ReportTitle title;
  DiagramSource source;              // the run's model, findings, series, design speed
  const Console* console = nullptr;  // findings and listing
  DiagramLanguage language = DiagramLanguage::kEnglish;
};

// The station length of one PDF page of a diagram: 1 km, or more on a road so
// long that 1 km pages would exceed kMostDiagramPages per diagram.
inline constexpr double kDiagramPageLength = 1000.0;
inline constexpr int kMostDiagramPages = 100;
double diagram_page_length(const StationRange& road);

[[nodiscard]] ExportStatus write_report(const QString& path, ReportFormat format,
                                        const ReportRequest& request);

// The HTML text alone (for a caller that stores it elsewhere).
std::string report_html_with_diagrams(const ReportRequest& request);

}  // namespace corvalinde::draw
