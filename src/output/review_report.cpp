#include "output/review_report.h"

#include <kainjow/mustache.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <set>
#include <string_view>

#include <fmt/format.h>

#include "output/listings.h"
#include "output/review_report_template.h"
#include "output/utf8.h"
#include "road/station_equations.h"
#include "services/message_table.h"
#include "services/utf8_decoder.h"

namespace corvalinde {
namespace {

// Messages of the report.
constexpr int kReportTitle = 239;
constexpr int kFirstTitleLabel = 240;  // 240 to 248: file ... date
constexpr int kSummaryHeading = 249;
constexpr int kChecksRun = 250;
constexpr int kVerdictNames = 251;  // four fields separated by |
constexpr int kFailingLength = 252;
constexpr int kDiagramsHeading = 253;
constexpr int kFindingsHeading = 254;
constexpr int kFindingColumns = 255;  // six fields separated by |
constexpr int kPageLabel = 256;
constexpr int kListingHeading = 257;
constexpr int kNone = 258;
constexpr int kNoDiagrams = 259;
// The reviews' own titles, in the order of Review.
constexpr std::array<int, kReviewCount> kReviewTitles{161, 301, 231, 371};
// The direction labels of the visibility listing: backward, forward.
constexpr int kDirectionLabels = 373;
constexpr std::size_t kDirectionLabelWidth = 15;

std::vector<std::string> fields_of(int message, std::size_t count) {
  std::vector<std::string> fields;
  const std::string text = message_trimmed(message);
  std::size_t start = 0;
  while (fields.size() < count) {
    const std::size_t bar = text.find('|', start);
    fields.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  fields.resize(count);
  return fields;
}

// Well-formed UTF-8: every ill-formed byte becomes U+FFFD.
std::string well_formed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8_sequence_length(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

// A console line as the text output shows it: markers as [A], [C], [G], [2],
// no trailing blanks, other control characters as visible escapes.
std::string listing_text(std::string_view text) {
  text = trim_right(text);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == kMarker) {
      if (i + 1 < text.size() && std::string_view("ACG2").find(text[i + 1]) != std::string_view::npos) {
        out += '[';
        out += text[++i];
        out += ']';
      }
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\x{:02X}", byte);
    } else {
      out += c;
    }
  }
  return well_formed(out);
}

// The same without the markers, and without the leading blanks: the message.
std::string message_of(std::string_view text) {
  std::string out;
  text = trim_right(text);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kMarker) {
      if (i + 1 < text.size()) ++i;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    out += byte < 0x20 || byte == 0x7F ? ' ' : text[i];
  }
  const std::size_t first = out.find_first_not_of(' ');
  return well_formed(first == std::string::npos ? std::string() : out.substr(first));
}

std::string number_text(double v) {
  if (!std::isfinite(v)) return "-";
  std::string text = fmt::format("{:.3f}", v);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text == "-0" ? "0" : text;
}

std::string station_text(const RoadModel* model, double internal) {
  if (model == nullptr) return fmt::format("{:.3f}", internal);
  return format_designer_station(designer_station(model->station_equations(), internal), 3);
}

std::string value_or_none(const std::string& text) {
  return well_formed(is_blank(text) ? message_trimmed(kNone) : text);
}

}  // namespace

std::optional<ReportFormat> report_format_of(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return std::nullopt;
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "html" || extension == "htm") return ReportFormat::kHtml;
  if (extension == "pdf") return ReportFormat::kPdf;
  return std::nullopt;
}

double covered_length(std::vector<std::pair<double, double>> stretches) {
  std::sort(stretches.begin(), stretches.end());
  double total = 0.0;
  double end = -std::numeric_limits<double>::infinity();
  for (const auto& [from, to] : stretches) {
    if (!std::isfinite(from) || !std::isfinite(to) || to < from) continue;
    if (from > end) {
      total += to - from;
      end = to;
    } else if (to > end) {
      total += to - end;
      end = to;
    }
  }
  return total;
}

std::string report_page_label(int page, int count) {
  return std::string(trim_right(format_message(kPageLabel, 80, page, count)));
}

ReportTables report_tables(const ReportInput& input) {
  ReportTables t;
  t.heading = message_trimmed(kReportTitle);
  const ReportTitle& title = input.title;
  const std::string* values[] = {&title.file,      &title.file_sha256,      &title.alignment,
                                 &title.profile,   &title.crossfall_source, &title.road_type,
                                 &title.selection, &title.program_version,  &title.date};
  for (int k = 0; k < 9; ++k)
    t.title_block.emplace_back(message_trimmed(kFirstTitleLabel + k), value_or_none(*values[k]));

  const std::vector<std::string> verdicts = fields_of(kVerdictNames, kVerdictCount);
  const std::vector<std::string> columns = fields_of(kFindingColumns, 6);
  t.summary_heading = message_trimmed(kSummaryHeading);
  t.summary_columns = {columns[1], message_trimmed(kChecksRun)};
  t.summary_columns.insert(t.summary_columns.end(), verdicts.begin(), verdicts.end());
  t.summary_columns.push_back(message_trimmed(kFailingLength));
  static const std::vector<FindingRecord> kNoRecords;
  const std::vector<FindingRecord>& records =
      input.console != nullptr ? input.console->records() : kNoRecords;
  const FindingCounts counts = count_findings(records);
  for (std::size_t review = 0; review < kReviewCount; ++review) {
    ReportSummaryRow row;
    row.review = message_trimmed(kReviewTitles[review]);
    std::set<std::string> checks;
    std::vector<std::pair<double, double>> failing;
    for (const FindingRecord& r : records) {
      if (static_cast<std::size_t>(r.review) != review) continue;
      checks.insert(r.check);
      // The passing summary judges the whole road, not a stretch of it.
      if (r.verdict == Verdict::kFail && r.check != "passing_summary") failing.emplace_back(r.from, r.to);
    }
    row.checks = checks.size();
    for (std::size_t v = 0; v < kVerdictCount; ++v) row.by_verdict[v] = counts[review][v];
    row.failing_length = covered_length(std::move(failing));
    t.summary.push_back(std::move(row));
  }

  t.diagrams_heading = message_trimmed(kDiagramsHeading);
  if (!input.diagrams_available) t.diagrams_note = message_trimmed(kNoDiagrams);

  t.findings_heading = message_trimmed(kFindingsHeading);
  t.finding_columns = columns;
  const std::vector<std::string> directions = message_fields(kDirectionLabels, kDirectionLabelWidth, 2);
  std::vector<const FindingRecord*> ordered;
  for (const FindingRecord& r : records) ordered.push_back(&r);
  std::stable_sort(ordered.begin(), ordered.end(), [](const FindingRecord* a, const FindingRecord* b) {
    return a->from < b->from || (a->from == b->from && a->to < b->to);
  });
  for (const FindingRecord* r : ordered) {
    ReportFindingRow row;
    row.stations = station_text(input.model, r->from);
    if (r->to != r->from) row.stations += " – " + station_text(input.model, r->to);
    row.review = message_trimmed(kReviewTitles[static_cast<std::size_t>(r->review)]);
    row.check = well_formed(r->check);
    if (r->direction != TravelDirection::kNone) {
      const std::string& label = directions[r->direction == TravelDirection::kForward ? 1 : 0];
      row.check += " (" + std::string(trim_right(label)) + ")";
    }
    row.verdict = verdicts[static_cast<std::size_t>(r->verdict)];
    row.verdict_code = r->verdict;
    row.message = message_of(r->text);
    for (const double v : r->values) row.values += (row.values.empty() ? "" : "; ") + number_text(v);
    t.findings.push_back(std::move(row));
  }

  t.listing_heading = message_trimmed(kListingHeading);
  if (input.console != nullptr) {
    for (const ConsoleLine& line : input.console->lines()) {
      t.listing.push_back(listing_text(line.text));
      t.listing_headings.push_back(line.heading);
    }
  }
  return t;
}

std::string report_html(const ReportInput& input) {
  using kainjow::mustache::data;
  const ReportTables t = report_tables(input);
  data page;
  page.set("heading", t.heading);
  page.set("file", well_formed(input.title.file));
  data title_block{data::type::list};
  for (std::size_t k = 0; k < t.title_block.size(); ++k) {
    data row;
    row.set("label", t.title_block[k].first);
    row.set("value", t.title_block[k].second);
    row.set("hash", data(k == 1));
    title_block.push_back(row);
  }
  page.set("title_block", title_block);

  page.set("summary_heading", t.summary_heading);
  data summary_columns{data::type::list};
  for (const std::string& c : t.summary_columns) summary_columns.push_back(data(c));
  page.set("summary_columns", summary_columns);
  data summary{data::type::list};
  for (const ReportSummaryRow& r : t.summary) {
    data row;
    row.set("review", r.review);
    row.set("checks", std::to_string(r.checks));
    data numbers{data::type::list};
    for (const int n : r.by_verdict) numbers.push_back(data(std::to_string(n)));
    row.set("counts", numbers);
    row.set("failing_length", fmt::format("{:.1f}", r.failing_length));
    summary.push_back(row);
  }
  page.set("summary", summary);

  page.set("diagrams_heading", t.diagrams_heading);
  page.set("has_note", data(!t.diagrams_note.empty()));
  page.set("diagrams_note", t.diagrams_note);
  data diagrams{data::type::list};
  for (const ReportDiagram& d : input.diagrams) {
    data one;
    one.set("title", well_formed(d.title));
    // Only the <svg> element: no XML declaration inside the HTML body.
    const std::size_t start = d.svg.find("<svg");
    one.set("svg", start == std::string::npos ? std::string() : well_formed(d.svg.substr(start)));
    diagrams.push_back(one);
  }
  page.set("diagrams", diagrams);

  page.set("findings_heading", t.findings_heading);
  data finding_columns{data::type::list};
  for (const std::string& c : t.finding_columns) finding_columns.push_back(data(c));
  page.set("finding_columns", finding_columns);
  data findings{data::type::list};
  for (const ReportFindingRow& r : t.findings) {
    data row;
    row.set("stations", r.stations);
    row.set("review", r.review);
    row.set("check", r.check);
    row.set("verdict", r.verdict);
    row.set("verdict_class", std::string(verdict_name(r.verdict_code)));
    row.set("message", r.message);
    row.set("values", r.values);
    findings.push_back(row);
  }
  page.set("findings", findings);

  page.set("listing_heading", t.listing_heading);
  data listing{data::type::list};
  for (std::size_t i = 0; i < t.listing.size(); ++i) {
    data line;
    line.set("text", t.listing[i]);
    line.set("heading", data(t.listing_headings[i] && !t.listing[i].empty()));
    listing.push_back(line);
  }
  page.set("listing", listing);

  kainjow::mustache::mustache html{std::string(kReviewReportTemplate)};
  return html.render(page);
}

}  // namespace corvalinde
