// --plots in a build without Qt: the diagrams need the drawing module.
#include <cstdio>

#include "cli/plot_options.h"

namespace corvalinde::cli {

std::shared_ptr<void> open_diagram_session() {
  return nullptr;
}

int write_plots(const PlotRun&, const PlotOptions&) {
  std::fprintf(stderr, "corvalinde-cli: --plots is not available in this build (built without Qt)\n");
  return 2;
}

}  // namespace corvalinde::cli
