// --plots in a build without Qt: the diagrams need the drawing module.
#include <cstdio>

#include "cli/plot_options.h"

namespace corvalinde::cli {

int write_plots(const RoadModel&, const std::string&, const std::string&, const std::string&,
                const PlotOptions&) {
  std::fprintf(stderr, "corvalinde-cli: --plots is not available in this build (built without Qt)\n");
  return 2;
}

}  // namespace corvalinde::cli
