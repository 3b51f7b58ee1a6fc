#include "cli/json_output.h"

#include <cmath>

#include "cli/console_printer.h"

namespace corvalinde::cli {
namespace {

using nlohmann::json;

// Series values are kept as float; three decimals say all they hold.
constexpr double kSeriesScale = 1000.0;

// The series every document carries, present even when no analysis filled them.
constexpr const char* kFixedSeries[] = {
    "speed_forward",
    "speed_backward",
    "stopping_required_forward",
    "stopping_available_forward",
    "stopping_required_backward",
    "stopping_available_backward",
};

constexpr const char* kAnalysisNames[] = {"plan", "crossfall", "profile", "visibility"};

json name_or_null(const std::string& name) {
  return name.empty() ? json(nullptr) : json(name);
}

json series_value(float v) {
  if (!std::isfinite(v)) return nullptr;
  return std::round(static_cast<double>(v) * kSeriesScale) / kSeriesScale;
}

json selection_json(const AnalysisSelection& s) {
  json analyses = json::array();
  for (std::size_t k = 0; k < s.run_analysis.size(); ++k) {
    if (s.run_analysis[k] != 0) analyses.push_back(kAnalysisNames[k]);
  }
  const CrossSection& c = s.cross_section;
  return {{"road_type", s.road_type},
          {"analyses", analyses},
          {"lane_width", c.lane_width_dm / 10.0},
          {"median_width", c.median_width_dm / 10.0},
          {"median_blocks_sight", c.median_blocks_sight != 0},
          {"side_clearance", c.side_clearance_dm / 10.0}};
}

// The station the user reads for an internal one (3 decimals, with its region
// when ambiguous), as the listings show it.
std::string display_station(const StationEquations& stations, double internal) {
  return format_designer_station(designer_station(stations, internal));
}

json finding_json(const FindingRecord& r, const StationEquations& stations) {
  const std::string_view direction = direction_name(r.direction);
  return {{"review", review_name(r.review)},
          {"check", r.check},
          {"from", r.from},
          {"to", r.to},
          {"from_display", display_station(stations, r.from)},
          {"to_display", display_station(stations, r.to)},
          {"direction", direction.empty() ? json(nullptr) : json(direction)},
          {"verdict", verdict_name(r.verdict)},
          {"message", r.message},
          {"values", r.values},
          {"text", unpadded(r.text)},
          {"line", r.line}};
}

json series_json(const RunSeries& series) {
  json out = json::object();
  out["station"] = series.stations();
  const std::size_t n = series.stations().size();
  for (const char* name : kFixedSeries) {
    out[name] = json::array();
    for (std::size_t i = 0; i < n; ++i) out[name].push_back(nullptr);
  }
  for (const auto& [name, values] : series.quantities()) {
    json column = json::array();
    for (const float v : values) column.push_back(series_value(v));
    out[name] = std::move(column);
  }
  return out;
}

json summary_json(const Console& console) {
  const FindingCounts counts = count_findings(console.records());
  json out = json::object();
  for (std::size_t review = 0; review < kReviewCount; ++review) {
    json by_verdict = json::object();
    for (std::size_t verdict = 0; verdict < kVerdictCount; ++verdict) {
      by_verdict[std::string(verdict_name(static_cast<Verdict>(verdict)))] = counts[review][verdict];
    }
    out[std::string(review_name(static_cast<Review>(review)))] = std::move(by_verdict);
  }
  return out;
}

}  // namespace

json json_run(const RunDocument& run, const Console& console) {
  json out = json::object();
  out["program_version"] = CORVALINDE_VERSION;
  out["file"] = run.file;
  out["file_sha256"] = name_or_null(run.file_sha256);
  out["file_type"] = run.file_type;
  out["alignment"] = name_or_null(run.alignment);
  out["profile"] = name_or_null(run.profile);
  out["surface"] = name_or_null(run.surface);
  out["mask"] = run.mask;
  out["road_type"] = run.road_type;
  out["selection"] = run.selection ? selection_json(*run.selection) : json(nullptr);
  out["status"] = run.status;
  out["error"] = name_or_null(run.error);
  json findings = json::array();
  for (const FindingRecord& r : console.records()) findings.push_back(finding_json(r, run.stations));
  out["findings"] = std::move(findings);
  out["series"] = series_json(console.series());
  out["summary"] = summary_json(console);
  json lines = json::array();
  for (const ConsoleLine& line : console.lines()) {
    lines.push_back({{"text", unpadded(line.text)}, {"heading", line.heading}});
  }
  out["lines"] = std::move(lines);
  return out;
}

std::string json_document_start() {
  return "{\"schema_version\":" + std::to_string(kJsonSchemaVersion) + ",\"runs\":[\n";
}

std::string json_document_end() {
  return "]}\n";
}

std::string json_text(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace corvalinde::cli
