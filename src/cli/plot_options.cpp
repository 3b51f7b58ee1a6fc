#include "cli/plot_options.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace corvalinde::cli {

void add_plot_options(CLI::App& app, PlotOptions& options) {
  auto* plots = app.add_option("--plots", options.directory,
                               "After the review, write each diagram (plan, long-section,\n"
                               "operating-speed, stopping-sight, passing) of each alignment\n"
                               "reviewed into DIR as <file>-<alignment>-<diagram>.svg");
  if (CLI::Option* points = app.get_option_no_throw("--points")) plots->excludes(points);
  app.add_option("--plot-format", options.format, "With --plots: svg (default) or png")
      ->check(CLI::IsMember({"svg", "png"}))
      ->needs(plots);
  app.add_option("--plot-range", options.range,
                 "With --plots: only the stations FROM:TO along the axis (m, e.g. 1000:2500)")
      ->needs(plots);
  auto* report =
      app.add_option("--report", options.report,
                     "After the review, write its report to FILE.html (one self-contained\n"
                     "file) or FILE.pdf; with several designs or --alignment all, one\n"
                     "report per run, named FILE-<file>-<alignment>.html")
          ->check([](const std::string& path) {
            return report_format_of(path) ? std::string() : std::string("expected FILE.html or FILE.pdf");
          });
  if (CLI::Option* points = app.get_option_no_throw("--points")) report->excludes(points);
}

std::string file_name_part(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    out += (u >= 0x80 || std::isalnum(u) != 0 || c == '-' || c == '_' || c == '.') ? c : '_';
  }
  // A name of dots alone would climb out of the directory.
  if (out.find_first_not_of('.') == std::string::npos) out = "1";
  return out;
}

std::string plot_file_stem(const std::string& design_file, const std::string& alignment) {
  return std::filesystem::path(design_file).stem().string() + "-" + file_name_part(alignment);
}

std::string report_path_for(const std::string& given, const std::string& design_file,
                            const std::string& alignment, bool several) {
  if (!several) return given;
  const std::filesystem::path path(given);
  std::string name =
      path.stem().string() + "-" + file_name_part(std::filesystem::path(design_file).stem().string());
  if (!alignment.empty()) name += "-" + file_name_part(alignment);
  return (path.parent_path() / (name + path.extension().string())).string();
}

bool parse_station_range(const std::string& text, double& from, double& to) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  const std::string first = text.substr(0, colon);
  const std::string second = text.substr(colon + 1);
  char* end = nullptr;
  from = std::strtod(first.c_str(), &end);
  if (end != first.c_str() + first.size()) return false;
  to = std::strtod(second.c_str(), &end);
  if (end != second.c_str() + second.size()) return false;
  return std::isfinite(from) && std::isfinite(to) && to > from;
}

}  // namespace corvalinde::cli
