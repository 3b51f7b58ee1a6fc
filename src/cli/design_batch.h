// Reviewing many designs in one command: the inputs (files, and the designs
// in directories) become jobs, one per design and, with --alignment all, one
// per alignment of a LandXML file; the jobs run on up to N threads, each with
// its own road model, console and user-interface port, and their results are
// handed back in the order of the jobs. A design that cannot be read fails
// alone; nothing of the other runs is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core_application.h"
#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/json_output.h"
#include "cli/road_type_choice.h"
#include "import/ifc/ifc_reader.h"
#include "import/landxml/landxml_document.h"

namespace corvalinde::cli {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitUnreadable = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFindings = 3;

// One design file named on the command line or found in a directory.
struct DesignInput {
  std::string path;
  int file_type = 0;
  std::string error;  // why it cannot be read (then nothing is run)
};

// Files as given; each directory becomes its .xml, .landxml, .ifc and .txt files
// (not its subdirectories), sorted by name. forced_type: --type.
std::vector<DesignInput> expand_inputs(const std::vector<std::string>& arguments,
                                       std::optional<int> forced_type);

// One run: a design, and the answers to its reader's choices.
struct DesignJob {
  DesignInput input;
  ChoiceAnswers answers;
  std::string alignment;  // the alignment's name when the job is one of several
  // The LandXML file already read and parsed (shared by the jobs of its
  // alignments), or null: the run reads the file.
  std::shared_ptr<const ParsedLandXml> parsed;
  // The same for an IFC file.
  std::shared_ptr<const ParsedIfc> parsed_ifc;
};

// What every run of a batch shares (read only while the runs go on).
struct BatchSettings {
  const SelectionOverrides* overrides = nullptr;
  bool save_selection = false;
  bool fail_on_findings = false;
  bool several = false;  // more than one run: unanswered choices fail the run alone
  bool progress = false;
  int default_road_type = 0;  // shown for a run that reached no selection
  // Whether a run may walk the two senses of travel on two threads (not
  // with --jobs 1: one thread in all).
  bool concurrent_senses = true;
};

struct DesignResult {
  DesignJob job;
  RunDocument document;
  std::unique_ptr<CoreApplication> app;  // its console holds the lines, records and series
  std::string messages;                  // what the run reports on standard error
  int status = kExitCompleted;
  double length = 0.0;  // of the plan read (m)
};

// Runs one design. live, when given, watches the console while it is written.
DesignResult review_design(const DesignJob& job, const BatchSettings& settings,
                           ConsoleObserver* live = nullptr);

// The alignment names of a LandXML or IFC file when it holds several (empty
// when it holds one or none, or cannot be read). parsed, parsed_ifc: the
// LandXML or IFC file already read, listed without reading it again.
std::vector<std::string> alignment_names(const DesignInput& input, const ParsedLandXml* parsed = nullptr,
                                         const ParsedIfc* parsed_ifc = nullptr);

// Source bytes of the LandXML and IFC files whose readings the jobs of one
// batch keep at most (the readings take a few times more); a file beyond
// it is read again by each of its runs.
inline constexpr std::uint64_t kKeptSourceBudget = 64ULL << 20;

// The jobs of the inputs: with every alignment, one per alignment of each
// LandXML or IFC file, each with its alignment's first profile and grade
// surface unless the answers say otherwise; each LandXML or IFC file is then
// read and parsed once, its runs share that reading (within kKeptSourceBudget).
// jobs: threads for reading the files.
std::vector<DesignJob> design_jobs(const std::vector<DesignInput>& inputs, const CliOptions& options,
                                   unsigned jobs);

// Calls work(i) for i in [0, count) on up to `threads` threads and done(i) on
// the calling thread in the order of i, as soon as work(0..i) have finished.
void run_in_order(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                  const std::function<void(std::size_t)>& done);

// The worse of two exit statuses: 2 before 1 before 3 before 0.
int worse_status(int a, int b);

// The number of threads for --jobs 0: the cores of the machine (at least 1).
unsigned default_jobs();

// The CSV summary: a header, then one row per run.
std::string summary_header();
std::string summary_row(const DesignResult& result);

}  // namespace corvalinde::cli
