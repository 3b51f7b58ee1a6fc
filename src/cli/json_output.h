// The JSON output of corvalinde-cli: one document with the schema version
// and an array of runs, each run with its file, choices and selection, its
// finding records, the series over station, the counts by review and
// verdict, and the console lines without their padding. The layout is
// described by docs/json-schema.json; a change of it changes
// kJsonSchemaVersion. Building the document never fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "app/analysis_run.h"
#include "output/console.h"
#include "road/station_equations.h"

namespace corvalinde::cli {

inline constexpr int kJsonSchemaVersion = 1;

// What the command line knows of one run besides its console.
struct RunDocument {
  std::string file;
  std::string file_sha256;  // empty when the file could not be read
  int file_type = 0;
  int mask = 0;
  int road_type = 0;
  std::string alignment;  // names chosen; empty when none was asked or chosen
  std::string profile;
  std::string surface;
  std::optional<AnalysisSelection> selection;  // as accepted
  int status = 0;                              // exit status of this run alone
  std::string error;                           // why it failed, empty otherwise
  StationEquations stations;                   // of the plan read: the stations the user reads
};

// One element of "runs".
nlohmann::json json_run(const RunDocument& run, const Console& console);

// The document is written as start, the runs separated by commas, end.
std::string json_document_start();
inline constexpr std::string_view kJsonRunSeparator = ",\n";
std::string json_document_end();

// A JSON text of a value (invalid UTF-8 replaced by U+FFFD).
std::string json_text(const nlohmann::json& value);

}  // namespace corvalinde::cli
