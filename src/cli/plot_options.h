// The diagram options of corvalinde-cli (--plots, --plot-format,
// --plot-range) and the command that writes the diagrams. The command is
// built over the drawing module when Qt is found; otherwise it only says
// that the diagrams are not available in this build.
#pragma once

#include <optional>
#include <string>

#include "road/road_model.h"

namespace CLI {
class App;
}

namespace corvalinde::cli {

struct PlotOptions {
  std::optional<std::string> directory;  // --plots DIR
  std::string format = "svg";            // svg or png
  std::optional<std::string> range;      // FROM:TO, stations along the axis (m)
};

void add_plot_options(CLI::App& app, PlotOptions& options);

// "FROM:TO" into from < to, both finite. False on anything else.
bool parse_station_range(const std::string& text, double& from, double& to);

// Writes `<file>-<alignment>-<diagram>.<format>` into the directory for each
// diagram of the model. Returns 0 when all were written, 1 when a file
// could not be written, 2 for a range that is not usable or a build without
// diagrams; the reason goes to standard error.
int write_plots(const RoadModel& model, const std::string& design_file, const std::string& alignment,
                const std::string& language, const PlotOptions& options);

}  // namespace corvalinde::cli
