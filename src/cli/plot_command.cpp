// --plots over the drawing module: one file per diagram, drawn without a
// display (the offscreen platform is chosen when there is none).
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/plot_options.h"
#include "draw/diagram_catalogue.h"
#include "draw/diagram_export.h"
#include "draw/report_export.h"
#include "output/visible_text.h"

namespace corvalinde::cli {

std::shared_ptr<void> open_diagram_session() {
  static int argc = 1;
  static char name[] = "corvalinde-cli";
  static char* argv[] = {name, nullptr};
  return std::shared_ptr<QGuiApplication>(draw::ensure_gui_application(argc, argv));
}

namespace {

draw::DiagramLanguage language_of(const PlotRun& run) {
  return run.language == "fr" ? draw::DiagramLanguage::kFrench : draw::DiagramLanguage::kEnglish;
}

draw::DiagramSource source_of(const PlotRun& run) {
  draw::DiagramSource source;
  source.model = run.model;
  if (run.console != nullptr) {
    source.findings = &run.console->records();
    source.series = &run.console->series();
  }
  source.design_speed = run.design_speed;
  return source;
}

}  // namespace

int write_run_report(const PlotRun& run, const ReportTitle& title, const std::string& path) {
  const std::optional<ReportFormat> format = report_format_of(path);
  if (!format) {
    std::fprintf(stderr, "corvalinde-cli: --report %s: expected FILE.html or FILE.pdf\n",
                 visible_text(path).c_str());
    return 2;
  }
  draw::ReportRequest request;
  request.title = title;
  request.source = source_of(run);
  request.console = run.console;
  request.language = language_of(run);
  if (draw::write_report(QString::fromStdString(path), *format, request) != draw::ExportStatus::kOk) {
    std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", visible_text(path).c_str());
    return 1;
  }
  return 0;
}

int write_plots(const PlotRun& run, const PlotOptions& options) {
  draw::StationRange range;
  if (options.range && !parse_station_range(*options.range, range.from, range.to)) {
    std::fprintf(stderr, "corvalinde-cli: --plot-range %s: expected FROM:TO with FROM < TO\n",
                 visible_text(*options.range).c_str());
    return 2;
  }
  const QString directory = QString::fromStdString(*options.directory);
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "corvalinde-cli: %s: the directory cannot be created\n",
                 visible_text(*options.directory).c_str());
    return 1;
  }
  const draw::DiagramLanguage lang = language_of(run);
  const bool png = options.format == "png";
  const draw::DiagramSource source = source_of(run);
  int status = 0;
  for (const draw::Diagram diagram : draw::kAllDiagrams) {
    const std::string file =
        run.file_stem + "-" + std::string(draw::diagram_file_stem(diagram)) + (png ? ".png" : ".svg");
    const QString path = QDir(directory).filePath(QString::fromStdString(file));
    if (draw::export_diagram(path, png ? draw::DiagramFormat::kPng : draw::DiagramFormat::kSvg, diagram,
                             source, range, lang) != draw::ExportStatus::kOk) {
      std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n",
                   visible_text(path.toStdString()).c_str());
      status = 1;
    }
  }
  return status;
}

}  // namespace corvalinde::cli
