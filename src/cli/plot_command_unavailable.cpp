// --plots in a build without Qt: the diagrams need the drawing module.
#include <cstdio>
#include <fstream>

#include "output/visible_text.h"

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

namespace corvalinde::cli {

int write_run_report(const PlotRun& run, const ReportTitle& title, const std::string& path) {
  if (report_format_of(path) != ReportFormat::kHtml) {
    std::fprintf(stderr,
                 "corvalinde-cli: --report %s: only an HTML report can be written in this build (built "
                 "without Qt)\n",
                 visible_text(path).c_str());
    return 2;
  }
  ReportInput input;
  input.title = title;
  input.model = run.model;
  input.console = run.console;
  input.diagrams_available = false;
  const std::string html = report_html(input);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(html.data(), static_cast<std::streamsize>(html.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", visible_text(path).c_str());
    return 1;
  }
  return 0;
}

}  // namespace corvalinde::cli
