#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

namespace corvalinde::cli {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// "plan,profile" -> slot numbers; empty optional on an unknown word.
std::optional<std::vector<int>> parse_analyses(const std::string& text, std::string& error) {
  std::vector<int> slots;
  std::stringstream in(text);
  std::string word;
  while (std::getline(in, word, ',')) {
    word = lower(word);
    if (word == "all") {
      slots = {0, 1, 2, 3};
    } else if (word == "none") {
      slots.clear();
    } else if (word == "plan") {
      slots.push_back(0);
    } else if (word == "crossfall") {
      slots.push_back(1);
    } else if (word == "profile") {
      slots.push_back(2);
    } else if (word == "visibility") {
      slots.push_back(3);
    } else {
      error = "--analyses: unknown analysis '" + word +
              "' (use plan, crossfall, profile, visibility, all or none)";
      return std::nullopt;
    }
  }
  return slots;
}

const char* kDescription =
    "Reviews road designs (native fixed-column files or LandXML) without any window and writes\n"
    "every console line to standard output. Several files or directories (every .xml, .landxml\n"
    "and .txt design in them) are reviewed one after the other in the listing, each under a\n"
    "heading, while up to --jobs of them are reviewed at once.\n"
    "\n"
    "Examples:\n"
    "  corvalinde-cli samples/route-des-cretes.txt\n"
    "  corvalinde-cli --standard ARP --category R80 --lanes 2 --analyses plan,profile design.txt\n"
    "  corvalinde-cli --road-type 10 --median-width 3 --median-blocks-sight --format json road.xml\n"
    "  corvalinde-cli --alignment 2 --profile \"PL 1\" --lang en survey.landxml\n"
    "  corvalinde-cli --points 10 --output axis.csv road.xml\n"
    "  corvalinde-cli --plots diagrams --plot-format png road.xml\n"
    "  corvalinde-cli --report review.pdf road.xml\n"
    "  corvalinde-cli --alignment all --summary review.csv --format json designs/ other.xml\n"
    "\n"
    "Exit status: 0 the run completed; 1 the file could not be read or yielded nothing;\n"
    "2 usage error or a choice that nothing answered; 3 with --fail-on-findings when a finding\n"
    "fails (marker C). With several designs, the worst status of any of them: 2 before 1\n"
    "before 3 before 0.";

}  // namespace

bool reviews_every_alignment(const CliOptions& options) {
  return options.alignment && lower(*options.alignment) == "all";
}

int file_type_from_extension(const std::string& path) {
  const std::string ext = lower(std::filesystem::path(path).extension().string());
  if (ext == ".ifc") return 3;
  return (ext == ".xml" || ext == ".landxml") ? 2 : 1;
}

ParseResult parse_command_line(int argc, const char* const* argv) {
  ParseResult result;
  CliOptions& o = result.options;
  CLI::App app{kDescription, "corvalinde-cli"};
  app.get_formatter()->column_width(34);

  std::string type;
  std::string analyses;
  int road_type = -1;
  app.add_option("FILE", o.files, "Road design files or directories to review")->required();
  app.add_option("--type", type,
                 "File type: native, landxml or ifc (default: from the extension;\n"
                 ".xml and .landxml are LandXML, .ifc is IFC)")
      ->check(CLI::IsMember({"native", "landxml", "ifc"}, CLI::ignore_case));
  auto* road_type_option = app.add_option("--road-type", road_type,
                                          "Road-type code 0 to 28 (e.g. --road-type 3 for ARP R80 2 lanes)")
                               ->check(CLI::Range(0, 28));
  app.add_option("--standard", o.standard, "Design standard: ARP, ICTAAL, VSA or ICTAVRU")
      ->excludes(road_type_option);
  app.add_option("--category", o.category, "Category of the standard (e.g. R60, T80, L2, AU70, U60)")
      ->excludes(road_type_option);
  app.add_option("--lanes", o.lanes, "Lane arrangement: 2, 3 or 2x2")->excludes(road_type_option);
  app.add_option(
      "--analyses", analyses,
      "Comma list of plan, crossfall, profile, visibility, or all, or none\n(e.g. --analyses plan,profile)");
  app.add_option("--lane-width", o.lane_width, "Lane width in m: 2.5, 3.0 or 3.5 (e.g. --lane-width 3.5)");
  app.add_option("--median-width", o.median_width,
                 "Central reserve width in m, 0 to 15 (e.g. --median-width 2.5)");
  app.add_flag("--median-blocks-sight", o.median_blocks_sight, "Sight across the central reserve is blocked");
  app.add_option("--side-clearance", o.side_clearance,
                 "Lateral clearance beyond the carriageway in m, 4 to 10 (e.g. --side-clearance 5)");
  app.add_flag("--save-selection", o.save_selection, "Store the resulting selection in the settings file");
  app.add_option("--alignment", o.alignment,
                 "LandXML or IFC alignment to read: number (1-based), name, or all (every alignment,\n"
                 "each with its first profile and its grade surface unless told otherwise)");
  app.add_option("--profile", o.profile, "LandXML profile to read: number (1-based) or name");
  app.add_option("--surface", o.surface, "LandXML superelevation source: number (1-based) or name");
  auto* points = app.add_option("--points", o.points_step,
                                "Write the road model as CSV points every STEP m (0: element\n"
                                "boundaries only) instead of reviewing it")
                     ->check(CLI::NonNegativeNumber);
  app.add_option("--output", o.output, "With --points: the CSV file to write (default: standard output)")
      ->needs(points);
  add_plot_options(app, o.plots);
  app.add_option("--lang", o.language, "Message language: fr, en or ids (message numbers)")
      ->check(CLI::IsMember({"fr", "en", "ids"}));
  std::string format = "text";
  app.add_option(
         "--format", format,
         "Output: text or json (one document for all designs, laid out as\ndocs/json-schema.json describes)")
      ->check(CLI::IsMember({"text", "json"}));
  app.add_flag("--raw", o.raw, "Write the lines exactly as stored (markers as code 11)");
  app.add_flag("--debug", o.debug, "Write the diagnostic log (Corvalinde.out in the settings folder)");
  app.add_flag("--fail-on-findings", o.fail_on_findings,
               "Exit with status 3 when any finding fails (marker C)");
  app.add_option("--jobs", o.jobs,
                 "Designs reviewed at once (default: the number of cores); 1 uses one thread in all")
      ->check(CLI::Range(1, 256));
  app.add_option("--summary", o.summary,
                 "Write FILE.csv: one row per design and alignment with its counts of findings");

  // "/debug" is accepted as the desktop program accepts it.
  std::vector<std::string> args;
  for (int i = argc - 1; i >= 1; --i) {
    std::string arg = argv[i];
    if (lower(arg) == "/debug") {
      o.debug = true;
    } else {
      args.push_back(std::move(arg));
    }
  }
  try {
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    result.status = ParseResult::Status::kHelp;
    result.message = app.help();
    return result;
  } catch (const CLI::ParseError& e) {
    result.status = ParseResult::Status::kUsageError;
    result.message = e.what();
    return result;
  }

  if (!type.empty()) o.file_type = lower(type) == "ifc" ? 3 : lower(type) == "landxml" ? 2 : 1;
  if (road_type >= 0) o.road_type = road_type;
  o.format = format == "json" ? OutputFormat::kJson : OutputFormat::kText;
  if (!analyses.empty()) {
    std::string error;
    o.analyses = parse_analyses(analyses, error);
    if (!o.analyses) {
      result.status = ParseResult::Status::kUsageError;
      result.message = error;
    }
  }
  return result;
}

}  // namespace corvalinde::cli
