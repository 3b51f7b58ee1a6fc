// corvalinde-cli: the whole analysis run on one design file, without any
// window. Console lines go to standard output as they are produced.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "analysis/road_types.h"
#include "app/core_application.h"
#include "app/selection_step.h"
#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/console_printer.h"
#include "cli/road_type_choice.h"
#include "output/road_model_export.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/settings_store.h"
#include "services/user_interface.h"

namespace corvalinde::cli {
namespace {

constexpr int kExitCompleted = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFindings = 3;

bool has_deficiency_marker(const Console& console) {
  for (const ConsoleLine& line : console.lines()) {
    if (line.text.find("\vC") != std::string::npos) return true;
  }
  return false;
}

// A one-line reason when the file cannot be read, empty when it can.
std::string unreadable_reason(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return "no such file";
  if (std::filesystem::is_directory(status)) return "is a directory";
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return "cannot be opened for reading";
  return {};
}

// Answers the selection with a cancel: the design is read, nothing is reviewed.
class ReadOnlyStep final : public SelectionStep {
 public:
  int select(AnalysisSelection&) override { return kCancelled; }
};

// --points: the road model as CSV, to the output file or standard output.
int write_points(CoreApplication& app, const CliOptions& options) {
  std::ofstream file;
  if (options.output) {
    file.open(*options.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", options.output->c_str());
      return kExitUnreadable;
    }
  }
  std::ostream& out = options.output ? static_cast<std::ostream&>(file) : std::cout;
  const PointsStatus status = write_road_model_points(app.model(), *options.points_step, out);
  if (status == PointsStatus::kBadStep) {
    std::fprintf(stderr, "corvalinde-cli: --points %g gives too many rows\n", *options.points_step);
    return kExitUsage;
  }
  if (status != PointsStatus::kOk) {
    std::fprintf(stderr, "corvalinde-cli: the points could not be written\n");
    return kExitUnreadable;
  }
  return kExitCompleted;
}

int run(int argc, const char* const* argv) {
  const ParseResult parsed = parse_command_line(argc, argv);
  if (parsed.status == ParseResult::Status::kHelp) {
    std::fputs(parsed.message.c_str(), stdout);
    return kExitCompleted;
  }
  if (parsed.status == ParseResult::Status::kUsageError) {
    std::fprintf(stderr, "corvalinde-cli: %s\nRun with --help for the options.\n", parsed.message.c_str());
    return kExitUsage;
  }
  const CliOptions& options = parsed.options;

  // Settings-derived defaults, then the options on top.
  const AnalysisSelection stored = stored_selection();
  std::string error;
  const std::optional<SelectionOverrides> overrides = selection_overrides(options, stored, error);
  if (!overrides) {
    std::fprintf(stderr, "corvalinde-cli: %s\n", error.c_str());
    return kExitUsage;
  }

  std::vector<const char*> log_args(argv, argv + argc);
  if (options.debug) log_args.push_back("/debug");
  open_diagnostic_log(static_cast<int>(log_args.size()), log_args.data());
  write_log(application_base_name());

  select_message_language(*parse_message_language(options.language));
  message_text(0, 1);

  const std::string reason = unreadable_reason(options.file);
  if (!reason.empty()) {
    std::fprintf(stderr, "corvalinde-cli: %s: %s\n", options.file.c_str(), reason.c_str());
    return kExitUnreadable;
  }
  const int file_type = options.file_type.value_or(file_type_from_extension(options.file));

  CliUserInterface port(options, isatty(STDERR_FILENO) != 0);
  set_user_interface(&port);

  CoreApplication app;
  const MarkerStyle style = options.raw                  ? MarkerStyle::kRaw
                            : isatty(STDOUT_FILENO) != 0 ? MarkerStyle::kColour
                                                         : MarkerStyle::kBrackets;
  StreamingPrinter printer(stdout, style);
  if (options.format == OutputFormat::kText) app.console().add_observer(&printer);

  if (options.points_step || options.plots.directory) {
    // The reader's lines go to standard error, the table to its own stream.
    app.console().remove_observer(&printer);
    StreamingPrinter notes(stderr, options.raw ? MarkerStyle::kRaw : MarkerStyle::kBrackets);
    app.console().add_observer(&notes);
    ReadOnlyStep read_only;
    const RunOutcome read = app.open_design(options.file, file_type, read_only);
    app.console().remove_observer(&notes);
    set_user_interface(nullptr);
    if (read.mask == 0) return kExitUnreadable;
    if (options.plots.directory)
      return write_plots(app.model(), options.file, options.alignment.value_or("1"), options.language,
                         options.plots);
    return write_points(app, options);
  }

  StoredSelectionStep step(
      app.model(), [&](SelectionModel& model) { return apply_overrides(*overrides, model); },
      StoredSelectionStep::Policy{options.save_selection, options.save_selection});
  const RunOutcome outcome = app.open_design(options.file, file_type, step);
  app.console().remove_observer(&printer);
  set_user_interface(nullptr);

  if (options.format == OutputFormat::kJson) {
    RunDocument doc;
    doc.file = options.file;
    doc.file_type = file_type;
    doc.mask = outcome.mask;
    doc.road_type = outcome.selection ? outcome.selection->road_type : stored.road_type;
    const std::string text = json_document(doc, app.console());
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  std::fflush(stdout);

  if (outcome.mask == 0) return kExitUnreadable;
  if (options.fail_on_findings && has_deficiency_marker(app.console())) return kExitFindings;
  return kExitCompleted;
}

}  // namespace
}  // namespace corvalinde::cli

int main(int argc, char** argv) {
  try {
    return corvalinde::cli::run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvalinde-cli: internal error: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "corvalinde-cli: internal error\n");
  }
  return 1;
}
