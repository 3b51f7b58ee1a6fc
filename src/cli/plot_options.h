// The diagram options of corvalinde-cli (--plots, --plot-format,
// --plot-range) and the command that writes the diagrams. The command is
// built over the drawing module when Qt is found; otherwise it only says
// that the diagrams are not available in this build.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "output/console.h"
#include "output/review_report.h"
#include "road/road_model.h"

namespace CLI {
class App;
}

namespace corvalinde::cli {

struct PlotOptions {
  std::optional<std::string> directory;  // --plots DIR
  std::string format = "svg";            // svg or png
  std::optional<std::string> range;      // FROM:TO, stations along the axis (m)
  std::optional<std::string> report;     // --report FILE.html or FILE.pdf
};

void add_plot_options(CLI::App& app, PlotOptions& options);

// One reviewed run as its diagrams see it (nothing owned).
struct PlotRun {
  const RoadModel* model = nullptr;
  const Console* console = nullptr;  // findings and series; null: none
  std::string file_stem;             // `<file>-<alignment>`, the start of each diagram's file name
  double design_speed = 0.0;         // km/h of the road type; 0: unknown
  std::string language;              // "fr" or "en"
};

// What the diagrams need while the program draws (a QGuiApplication,
// offscreen when there is no display), kept for the returned object's life;
// nothing in a build without diagrams.
std::shared_ptr<void> open_diagram_session();

// "FROM:TO" into from < to, both finite. False on anything else.
bool parse_station_range(const std::string& text, double& from, double& to);

// `<file>-<alignment>`: the design file's name without its folder and
// extension, and the alignment's name, both made safe for file names.
std::string plot_file_stem(const std::string& design_file, const std::string& alignment);

// Writes `<file stem>-<diagram>.<format>` into the directory for each
// diagram of the run. Needs
// an open diagram session. Returns 0 when all were written, 1 when a file
// could not be written, 2 for a range that is not usable or a build without
// diagrams; the reason goes to standard error.
int write_plots(const PlotRun& run, const PlotOptions& options);

// --report: the review report of one run into `path` (HTML or PDF by its
// extension). Needs an open diagram session. Returns 0 when written, 1 when
// the file cannot be written, 2 for a PDF in a build without diagrams (the
// HTML report is written there, saying that its diagrams are missing).
int write_run_report(const PlotRun& run, const ReportTitle& title, const std::string& path);

// The report file of one run among several: the given name with the design
// file's stem and the alignment's name before the extension
// ("review.html" -> "review-road-A_1.html"); the given name for a single run.
std::string report_path_for(const std::string& given, const std::string& design_file,
                            const std::string& alignment, bool several);

// Letters, digits, '-', '_', '.' and non-ASCII characters kept, any other
// character made '_': a name that is safe in a file name ("1" when empty).
std::string file_name_part(const std::string& text);

}  // namespace corvalinde::cli
