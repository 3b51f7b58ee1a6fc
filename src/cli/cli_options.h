// Command line of corvalinde-cli: parsed into CliOptions, or a usage error.
// Parsing never exits the process and never throws: the caller prints the
// message and picks the exit status.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/plot_options.h"

namespace corvalinde::cli {

enum class OutputFormat { kText, kJson };

struct CliOptions {
  std::vector<std::string> files;  // design files and directories, in order
  std::optional<int> file_type;    // 1 native, 2 LandXML, 3 IFC; from the extension when absent

  // Road type: a code, or standard/category/lanes names.
  std::optional<int> road_type;
  std::optional<std::string> standard;
  std::optional<std::string> category;
  std::optional<std::string> lanes;

  std::optional<std::vector<int>> analyses;  // slot numbers to run (others off)

  std::optional<double> lane_width;    // m: 2.5, 3.0 or 3.5
  std::optional<double> median_width;  // m: 0 to 15
  bool median_blocks_sight = false;
  std::optional<double> side_clearance;  // m: 4 to 10
  bool save_selection = false;

  std::optional<std::string> alignment;  // "all": every alignment of each LandXML file
  std::optional<std::string> profile;
  std::optional<std::string> surface;

  // --points STEP: write the road model as CSV (no analysis), to `output`
  // or standard output.
  std::optional<double> points_step;
  std::optional<std::string> output;

  PlotOptions plots;  // --plots DIR and its companions

  std::string language = "fr";
  OutputFormat format = OutputFormat::kText;
  bool raw = false;
  bool debug = false;
  bool fail_on_findings = false;

  unsigned jobs = 0;                   // designs reviewed at once; 0: one per core
  std::optional<std::string> summary;  // CSV file of one row per design and alignment
};

// --alignment all
bool reviews_every_alignment(const CliOptions& options);

struct ParseResult {
  enum class Status { kOk, kHelp, kUsageError };
  Status status = Status::kOk;
  std::string message;  // help text or error message
  CliOptions options;
};

ParseResult parse_command_line(int argc, const char* const* argv);

// The file type the file dialog would choose from the extension: .xml and
// .landxml are LandXML (2), everything else native (1).
int file_type_from_extension(const std::string& path);

}  // namespace corvalinde::cli
