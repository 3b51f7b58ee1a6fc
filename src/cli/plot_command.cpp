// --plots over the drawing module: one file per diagram, drawn without a
// display (the offscreen platform is chosen when there is none).
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/plot_options.h"
#include "draw/diagram_export.h"
#include "draw/long_section_diagram.h"
#include "draw/plan_diagram.h"

namespace corvalinde::cli {
namespace {

// Characters other than letters, digits, '-', '_' and '.' become '_', so
// that an alignment name makes a safe file name.
std::string file_name_part(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    out += (u >= 0x80 || std::isalnum(u) || c == '-' || c == '_' || c == '.') ? c : '_';
  }
  return out.empty() ? std::string("1") : out;
}

}  // namespace

int write_plots(const RoadModel& model, const std::string& design_file, const std::string& alignment,
                const std::string& language, const PlotOptions& options) {
  draw::StationRange range;
  if (options.range && !parse_station_range(*options.range, range.from, range.to)) {
    std::fprintf(stderr, "corvalinde-cli: --plot-range %s: expected FROM:TO with FROM < TO\n",
                 options.range->c_str());
    return 2;
  }
  const QString directory = QString::fromStdString(*options.directory);
  if (!QDir().mkpath(directory)) {
    std::fprintf(stderr, "corvalinde-cli: %s: the directory cannot be created\n", options.directory->c_str());
    return 1;
  }
  int argc = 1;
  char name[] = "corvalinde-cli";
  char* argv[] = {name, nullptr};
  const std::unique_ptr<QGuiApplication> gui = draw::ensure_gui_application(argc, argv);

  const draw::DiagramLanguage lang =
      language == "fr" ? draw::DiagramLanguage::kFrench : draw::DiagramLanguage::kEnglish;
  const bool png = options.format == "png";
  const std::string stem =
      std::filesystem::path(design_file).stem().string() + "-" + file_name_part(alignment);

  const draw::PlanDiagramData plan = draw::make_plan_data(model, range, lang);
  const draw::LongSectionData section = draw::make_long_section_data(model, range, lang);
  struct Diagram {
    const char* name;
    draw::DiagramPainter paint;
  };
  const Diagram diagrams[] = {
      {"plan", [&](QPainter& p, const QRectF& area) { draw::draw_plan(p, area, plan); }},
      {"long-section", [&](QPainter& p, const QRectF& area) { draw::draw_long_section(p, area, section); }},
  };
  int status = 0;
  for (const Diagram& diagram : diagrams) {
    const std::string file = stem + "-" + diagram.name + (png ? ".png" : ".svg");
    const QString path = QDir(directory).filePath(QString::fromStdString(file));
    if (draw::write_diagram(path, png ? draw::DiagramFormat::kPng : draw::DiagramFormat::kSvg,
                            QString::fromStdString(file), diagram.paint) != draw::ExportStatus::kOk) {
      std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", path.toStdString().c_str());
      status = 1;
    }
  }
  return status;
}

}  // namespace corvalinde::cli
