// corvalinde-cli: the whole analysis run on design files, without any
// window. Console lines go to standard output; with one design as they are
// produced, with several design by design in the order given, each under a
// heading, while up to --jobs designs are reviewed at once.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include <fmt/chrono.h>
#include <fmt/format.h>

#include "analysis/road_types.h"
#include "analysis/sight_parameters.h"
#include "app/core_application.h"
#include "app/selection_step.h"
#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/console_printer.h"
#include "cli/design_batch.h"
#include "cli/json_output.h"
#include "cli/road_type_choice.h"
#include "output/listings.h"
#include "output/review_report.h"
#include "output/road_model_export.h"
#include "output/utf8.h"
#include "output/visible_text.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/settings_store.h"
#include "services/user_interface.h"

namespace corvalinde::cli {
namespace {

// Headings of the designs in a listing of several.
constexpr int kDesignHeading = 20;
constexpr int kAlignmentHeading = 21;

void print_line(const ConsoleLine& line, MarkerStyle style) {
  const std::string text = render_line(line, style);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

// The heading line of one design in a listing of several.
ConsoleLine design_heading(const DesignJob& job) {
  ConsoleLine line;
  line.heading = true;
  line.text = job.alignment.empty()
                  ? format_message(kDesignHeading, kListingLineWidth, job.input.path)
                  : format_message(kAlignmentHeading, kListingLineWidth, job.input.path, job.alignment);
  return line;
}

// The title block of a run's report.
ReportTitle report_title(const DesignResult& result) {
  const RunDocument& doc = result.document;
  ReportTitle title;
  title.file = visible_text(doc.file);
  title.file_sha256 = doc.file_sha256;
  title.alignment = visible_text(doc.alignment);
  title.profile = visible_text(doc.profile);
  if (!doc.surface.empty()) {
    title.crossfall_source = visible_text(doc.surface);
  } else if (result.app->model().has_crossfall()) {
    title.crossfall_source = visible_text(std::filesystem::path(doc.file).filename().string());
  }
  title.road_type = fmt::format("{} ({})", road_type_name(doc.road_type), doc.road_type);
  if (doc.selection) {
    static constexpr int kReviewTitles[] = {161, 301, 231, 371};
    std::string reviews;
    for (std::size_t k = 0; k < doc.selection->run_analysis.size(); ++k) {
      if (doc.selection->run_analysis[k] == 0) continue;
      if (!reviews.empty()) reviews += ", ";
      reviews += message_trimmed(kReviewTitles[k]);
    }
    const CrossSection& c = doc.selection->cross_section;
    title.selection =
        fmt::format("{}; {} {:.1f}; {} {:.1f}; {}: {}; {} {:.1f}", reviews, message_trimmed(137),
                    c.lane_width_dm / 10.0, message_trimmed(138), c.median_width_dm / 10.0,
                    message_trimmed(139), trim_right(yes_no_word(c.median_blocks_sight != 0 ? 1 : 0)),
                    message_trimmed(140), c.side_clearance_dm / 10.0);
  }
  title.program_version = CORVALINDE_VERSION;
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  title.date = fmt::format("{:%Y-%m-%d %H:%M} UTC", utc);
  return title;
}

// `stem` + `extension`, or the first of `stem-2` + `extension`, `stem-3`...
// that is not in `used`; recorded there.
std::string claim_name(const std::string& stem, const std::string& extension, std::set<std::string>& used) {
  std::string name = stem + extension;
  for (int k = 2; used.count(name) != 0; ++k) name = stem + "-" + std::to_string(k) + extension;
  used.insert(name);
  return name;
}

// The diagrams (--plots) and the report (--report) of one reviewed run; the
// worse exit status. `used` holds the report files and diagram names of the
// runs before, so that no run overwrites another's (two designs of one name
// in two folders, or one design given twice).
int write_run_outputs(const DesignResult& result, const CliOptions& options, bool several,
                      std::set<std::string>& used) {
  if ((!options.plots.directory && !options.plots.report) || result.app == nullptr ||
      result.document.mask == 0)
    return kExitCompleted;
  PlotRun run;
  run.model = &result.app->model();
  run.console = &result.app->console();
  // The alignment's own name where the file gave one; else as asked.
  const std::string alignment = !result.job.alignment.empty()        ? result.job.alignment
                                : !result.document.alignment.empty() ? result.document.alignment
                                : reviews_every_alignment(options)   ? std::string("1")
                                                                     : options.alignment.value_or("1");
  run.file_stem = claim_name(plot_file_stem(result.job.input.path, alignment), "", used);
  if (result.document.selection) {
    run.design_speed = sight_parameters(SightKind::kObstacle, result.document.road_type,
                                        result.document.selection->cross_section)
                           .speed_limit;
  }
  run.language = options.language;
  int status = options.plots.directory ? write_plots(run, options.plots) : kExitCompleted;
  if (options.plots.report) {
    const std::filesystem::path first =
        report_path_for(*options.plots.report, result.job.input.path, result.job.alignment, several);
    const std::string path =
        claim_name((first.parent_path() / first.stem()).string(), first.extension().string(), used);
    status = worse_status(status, write_run_report(run, report_title(result), path));
  }
  return status;
}

// Answers the selection with a cancel: the design is read, nothing is reviewed.
class ReadOnlyStep final : public SelectionStep {
 public:
  int select(AnalysisSelection&) override { return kCancelled; }
};

// --points: reads one design without reviewing it and writes its road model
// as CSV to the output file or standard output; the reader's lines go to
// standard error.
int write_points(const CliOptions& options, MarkerStyle notes_style) {
  if (options.files.size() != 1) {
    std::fprintf(stderr, "corvalinde-cli: --points takes exactly one design file\n");
    return kExitUsage;
  }
  const std::vector<DesignInput> inputs = expand_inputs(options.files, options.file_type);
  if (inputs.size() != 1 || !inputs.front().error.empty()) {
    const std::string reason = inputs.size() == 1 ? inputs.front().error : "not one design file";
    std::fprintf(stderr, "corvalinde-cli: %s: %s\n", visible_text(options.files.front()).c_str(),
                 reason.c_str());
    return kExitUnreadable;
  }
  const DesignInput& input = inputs.front();
  CoreApplication app;
  CliUserInterface port(choice_answers(options), isatty(STDERR_FILENO) != 0);
  UserInterface* previous = set_user_interface(&port);
  StreamingPrinter notes(stderr, notes_style);
  app.console().add_observer(&notes);
  ReadOnlyStep read_only;
  const RunOutcome read = app.open_design(input.path, input.file_type, read_only);
  app.console().remove_observer(&notes);
  set_user_interface(previous);
  if (read.mask == 0) return kExitUnreadable;

  std::ofstream file;
  if (options.output) {
    file.open(*options.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", visible_text(*options.output).c_str());
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

  // The table is initialised once, before any run: runs only read it.
  select_message_language(*parse_message_language(options.language));
  message_text(0, 1);
  if (options.points_step) {
    return write_points(options, options.raw ? MarkerStyle::kRaw : MarkerStyle::kBrackets);
  }

  std::FILE* summary = nullptr;
  if (options.summary) {
    summary = std::fopen(options.summary->c_str(), "wb");
    if (summary == nullptr) {
      std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", visible_text(*options.summary).c_str());
      return kExitUsage;
    }
    const std::string header = summary_header();
    std::fwrite(header.data(), 1, header.size(), summary);
  }

  const unsigned jobs = options.jobs != 0 ? options.jobs : default_jobs();
  const std::vector<DesignInput> inputs = expand_inputs(options.files, options.file_type);
  std::vector<DesignJob> design_list = design_jobs(inputs, options, jobs);
  const bool several = design_list.size() > 1;

  BatchSettings settings;
  settings.overrides = &*overrides;
  settings.save_selection = options.save_selection;
  settings.fail_on_findings = options.fail_on_findings;
  settings.several = several;
  settings.progress = !several && isatty(STDERR_FILENO) != 0;
  settings.default_road_type = stored.road_type;
  settings.concurrent_senses = jobs > 1;

  // A single file that cannot be opened gives its reason and no document.
  const bool json = options.format == OutputFormat::kJson &&
                    (several || design_list.empty() || design_list.front().input.error.empty());
  const MarkerStyle style = options.raw                  ? MarkerStyle::kRaw
                            : isatty(STDOUT_FILENO) != 0 ? MarkerStyle::kColour
                                                         : MarkerStyle::kBrackets;
  // One design in text: its lines show while it runs.
  StreamingPrinter printer(stdout, style);
  ConsoleObserver* live = !json && !several ? &printer : nullptr;

  // The document opens with its first run, so that a run that ends the
  // program (a choice nothing answered) leaves no half document behind.
  bool json_open = false;
  const auto open_json = [&] {
    if (json_open) return;
    const std::string start = json_document_start();
    std::fwrite(start.data(), 1, start.size(), stdout);
    json_open = true;
  };
  std::vector<DesignResult> results(design_list.size());
  int worst = kExitCompleted;
  const std::shared_ptr<void> diagrams =
      options.plots.directory || options.plots.report ? open_diagram_session() : nullptr;
  std::set<std::string> output_names;
  run_in_order(
      design_list.size(), jobs,
      [&](std::size_t i) { results[i] = review_design(design_list[i], settings, live); },
      [&](std::size_t i) {
        DesignResult& result = results[i];
        std::fflush(stdout);
        std::fputs(result.messages.c_str(), stderr);
        std::fflush(stderr);
        const Console& console = result.app->console();
        if (json) {
          open_json();
          if (i > 0) std::fwrite(kJsonRunSeparator.data(), 1, kJsonRunSeparator.size(), stdout);
          const std::string text = json_text(json_run(result.document, console));
          std::fwrite(text.data(), 1, text.size(), stdout);
        } else if (several) {
          if (i > 0) std::fputc('\n', stdout);
          print_line(design_heading(result.job), style);
          for (const ConsoleLine& line : console.lines()) print_line(line, style);
        }
        if (summary != nullptr) {
          const std::string row = summary_row(result);
          std::fwrite(row.data(), 1, row.size(), summary);
        }
        worst = worse_status(worst, result.status);
        worst = worse_status(worst, write_run_outputs(result, options, several, output_names));
        results[i] = DesignResult{};    // its lines are out: release them
        design_list[i].parsed.reset();  // and the file's reading once its last run is out
        design_list[i].parsed_ifc.reset();
      });
  if (json) {
    open_json();
    const std::string end = json_document_end();
    std::fwrite(end.data(), 1, end.size(), stdout);
  }
  std::fflush(stdout);
  if (summary != nullptr && std::fclose(summary) != 0) {
    std::fprintf(stderr, "corvalinde-cli: %s: cannot be written\n", visible_text(*options.summary).c_str());
    worst = worse_status(worst, kExitUsage);
  }
  return worst;
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
