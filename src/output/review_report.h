// The review report of one run: a title block (design file and its SHA-256,
// alignment, profile, crossfall source, road type, selection, program
// version, date), a summary per review (checks run, findings by verdict,
// length of road failing), the diagrams, every finding as a row in station
// order and the console listing as an appendix. report_tables gathers the
// texts (in the run's message language) once for every output; report_html
// renders them through the HTML template, one self-contained file with the
// diagrams inline as SVG. Nothing here fails.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/console.h"
#include "output/finding_record.h"
#include "road/road_model.h"

namespace corvalinde {

enum class ReportFormat { kHtml, kPdf };

// From the file name's extension (.html, .htm, .pdf, in any case); none for
// any other.
std::optional<ReportFormat> report_format_of(std::string_view path);

// What the front end knows of the run besides its console; empty texts are
// shown as "none".
struct ReportTitle {
  std::string file;
  std::string file_sha256;
  std::string alignment;
  std::string profile;
  std::string crossfall_source;
  std::string road_type;
  std::string selection;
  std::string program_version;
  std::string date;
};

// A diagram as the HTML report carries it: its title and an <svg> element.
struct ReportDiagram {
  std::string title;
  std::string svg;
};

struct ReportInput {
  ReportTitle title;
  const RoadModel* model = nullptr;     // the designer's stations; null: internal ones
  const Console* console = nullptr;     // findings and listing; null: none
  std::vector<ReportDiagram> diagrams;  // in their order
  bool diagrams_available = true;       // false: a note says the build has none
};

struct ReportSummaryRow {
  std::string review;
  std::size_t checks = 0;  // distinct checks that reported
  std::array<int, kVerdictCount> by_verdict{};
  // m of road under a failing finding (union of stretches; the passing
  // summary, a verdict on the whole road, left out)
  double failing_length = 0.0;
};

struct ReportFindingRow {
  std::string stations;  // the designer's stations: "from – to", or one for a point
  std::string review;
  std::string check;  // with its direction of travel when it has one
  std::string verdict;
  Verdict verdict_code = Verdict::kOk;
  std::string message;  // the console line, markers and padding removed
  std::string values;
};

struct ReportTables {
  std::string heading;                                           // the report's title
  std::vector<std::pair<std::string, std::string>> title_block;  // label, value
  std::string summary_heading;
  std::vector<std::string> summary_columns;
  std::vector<ReportSummaryRow> summary;
  std::string diagrams_heading;
  std::string diagrams_note;  // empty when the diagrams are there
  std::string findings_heading;
  std::vector<std::string> finding_columns;
  std::vector<ReportFindingRow> findings;  // in station order
  std::string listing_heading;
  std::vector<std::string> listing;  // the console lines as the text output shows them
  std::vector<bool> listing_headings;
};

ReportTables report_tables(const ReportInput& input);

// The HTML report (UTF-8; invalid bytes of names become U+FFFD).
std::string report_html(const ReportInput& input);

// "Page {n} of {count}" in the message language.
std::string report_page_label(int page, int count);

// The length covered by the union of the stretches [from, to].
double covered_length(std::vector<std::pair<double, double>> stretches);

}  // namespace corvalinde
