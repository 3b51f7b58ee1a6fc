#include "cli/design_batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include <fmt/format.h>

#include "app/selection_step.h"
#include "cli/file_digest.h"
#include "import/landxml/landxml_reader.h"
#include "output/utf8.h"
#include "output/visible_text.h"
#include "services/user_interface.h"

namespace corvalinde::cli {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool is_design_file(const fs::path& path) {
  const std::string ext = lower(path.extension().string());
  return ext == ".xml" || ext == ".landxml" || ext == ".ifc" || ext == ".txt";
}

// A one-line reason when the file cannot be read, empty when it can. The
// file is only examined, never opened: the reader opens it, once (opening a
// named pipe here would wait for a writer).
std::string unreadable_reason(const std::string& path) {
  std::error_code ec;
  const auto status = fs::status(path, ec);
  if (ec || !fs::exists(status)) return "no such file";
  if (fs::is_directory(status)) return "is a directory";
  if (!fs::is_regular_file(status)) return "is not a regular file (a pipe, a device or a socket)";
  if (::access(path.c_str(), R_OK) != 0) return "cannot be opened for reading";
  return {};
}

DesignInput input_of(const std::string& path, std::optional<int> forced_type) {
  DesignInput input;
  input.path = path;
  input.file_type = forced_type.value_or(file_type_from_extension(path));
  input.error = unreadable_reason(path);
  return input;
}

// Cancels the selection: the probe reads and runs nothing.
class CancellingStep final : public SelectionStep {
 public:
  int select(AnalysisSelection&) override { return kCancelled; }
};

double plan_length(const RoadModel& model) {
  if (!model.has_plan()) return 0.0;
  return model.plan(model.plan_count()).end_station - model.plan(1).start_station;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\n\r") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace

std::vector<DesignInput> expand_inputs(const std::vector<std::string>& arguments,
                                       std::optional<int> forced_type) {
  std::vector<DesignInput> inputs;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    if (!fs::is_directory(argument, ec)) {
      inputs.push_back(input_of(argument, forced_type));
      continue;
    }
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(argument, ec)) {
      std::error_code file_ec;
      if (entry.is_regular_file(file_ec) && is_design_file(entry.path()))
        found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    if (found.empty()) {
      DesignInput none;
      none.path = argument;
      none.error = ec ? "is a directory that cannot be listed" : "is a directory holding no design file";
      inputs.push_back(std::move(none));
    }
    for (const std::string& path : found) inputs.push_back(input_of(path, forced_type));
  }
  return inputs;
}

DesignResult review_design(const DesignJob& job, const BatchSettings& settings, ConsoleObserver* live) {
  DesignResult result;
  result.job = job;
  RunDocument& doc = result.document;
  doc.file = job.input.path;
  doc.file_type = job.input.file_type;
  doc.alignment = job.alignment;
  doc.road_type = settings.default_road_type;
  result.app = std::make_unique<CoreApplication>();
  if (!job.input.error.empty()) {
    result.status = kExitUnreadable;
    doc.error = job.input.error;
    result.messages = fmt::format("corvalinde-cli: {}: {}\n", visible_text(job.input.path), job.input.error);
    doc.status = result.status;
    return result;
  }

  CoreApplication& app = *result.app;
  app.set_concurrent_senses(settings.concurrent_senses);
  CliUserInterface port(job.answers, settings.progress, !settings.several);
  const ScopedUserInterface installed(port);
  StoredSelectionStep stored(
      app.model(),
      [&](SelectionModel& model) {
        return settings.overrides != nullptr ? apply_overrides(*settings.overrides, model) : 0;
      },
      StoredSelectionStep::Policy{settings.save_selection, settings.save_selection});
  SerialisedSelectionStep step(stored);
  if (live != nullptr) app.console().add_observer(live);
  const RunOutcome outcome = job.parsed != nullptr ? app.open_design(job.input.path, *job.parsed, step)
                             : job.parsed_ifc != nullptr
                                 ? app.open_design(job.input.path, *job.parsed_ifc, step)
                                 : app.open_design(job.input.path, job.input.file_type, step);
  if (live != nullptr) app.console().remove_observer(live);

  doc.mask = outcome.mask;
  // The digest is of a file the reader accepted: one it refused (too large,
  // not text) is not read a second time just to be hashed. A reader that
  // held the file whole gives the digest of what it read.
  if (outcome.mask != 0) {
    doc.file_sha256 = !outcome.file_sha256.empty() ? outcome.file_sha256 : file_sha256(job.input.path);
  }
  doc.selection = outcome.selection;
  if (outcome.selection) doc.road_type = outcome.selection->road_type;
  const auto& chosen = port.chosen();
  if (!chosen[0].empty()) doc.alignment = chosen[0];
  doc.profile = chosen[1];
  doc.surface = chosen[2];
  doc.stations = app.model().station_equations();
  result.length = plan_length(app.model());
  result.messages = port.unanswered();

  if (!port.unanswered().empty()) {
    result.status = kExitUsage;
    doc.error = "a choice that nothing answered";
  } else if (outcome.mask == 0) {
    result.status = kExitUnreadable;
    doc.error = "nothing usable was read";
  } else if (settings.fail_on_findings) {
    const auto& records = app.console().records();
    if (std::any_of(records.begin(), records.end(),
                    [](const FindingRecord& r) { return r.verdict == Verdict::kFail; }))
      result.status = kExitFindings;
  }
  doc.status = result.status;
  return result;
}

std::vector<std::string> alignment_names(const DesignInput& input, const ParsedLandXml* parsed,
                                         const ParsedIfc* parsed_ifc) {
  if (!input.error.empty() || (input.file_type != kLandXmlFile && input.file_type != kIfcFile)) return {};
  // Read with every choice cancelled: the reader lists the alignments when
  // there is more than one to choose from.
  CliUserInterface probe(ChoiceAnswers{}, false, false);
  const ScopedUserInterface installed(probe);
  CoreApplication app;
  CancellingStep cancel;
  if (parsed != nullptr && input.file_type == kLandXmlFile) {
    static_cast<void>(app.open_design(input.path, *parsed, cancel));
  } else if (parsed_ifc != nullptr && input.file_type == kIfcFile) {
    static_cast<void>(app.open_design(input.path, *parsed_ifc, cancel));
  } else {
    static_cast<void>(app.open_design(input.path, input.file_type, cancel));
  }
  return probe.alignment_candidates();
}

std::vector<DesignJob> design_jobs(const std::vector<DesignInput>& inputs, const CliOptions& options,
                                   unsigned jobs) {
  const ChoiceAnswers answers = choice_answers(options);
  std::vector<std::vector<DesignJob>> per_input(inputs.size());
  const bool every = reviews_every_alignment(options);
  std::atomic<std::uint64_t> kept_source{0};
  run_in_order(
      inputs.size(), jobs,
      [&](std::size_t i) {
        DesignJob job{inputs[i], answers, {}, {}, {}};
        if (!every) {
          per_input[i].push_back(std::move(job));
          return;
        }
        // The first profile and the grade surface of the alignment, unless told.
        job.answers.answers[0].reset();
        for (std::size_t k = 1; k < 3; ++k) {
          if (!job.answers.answers[k]) job.answers.answers[k] = "1";
        }
        if (inputs[i].error.empty() && inputs[i].file_type == kLandXmlFile) {
          job.parsed = parse_landxml_file(inputs[i].path);
        } else if (inputs[i].error.empty() && inputs[i].file_type == kIfcFile) {
          job.parsed_ifc = parse_ifc_file(inputs[i].path);
        }
        const std::vector<std::string> names =
            alignment_names(inputs[i], job.parsed.get(), job.parsed_ifc.get());
        std::error_code ec;
        const std::uint64_t size = fs::file_size(inputs[i].path, ec);
        if ((job.parsed != nullptr || job.parsed_ifc != nullptr) &&
            (ec || kept_source.fetch_add(size) + size > kKeptSourceBudget)) {
          job.parsed.reset();  // beyond the budget: each run reads the file
          job.parsed_ifc.reset();
        }
        if (names.empty()) {
          per_input[i].push_back(std::move(job));
          return;
        }
        for (std::size_t k = 0; k < names.size(); ++k) {
          DesignJob one = job;
          one.answers.answers[0] = std::to_string(k + 1);
          one.alignment = std::string(trim_right(names[k]));
          per_input[i].push_back(std::move(one));
        }
      },
      [](std::size_t) {});
  std::vector<DesignJob> all;
  for (auto& list : per_input) {
    for (DesignJob& job : list) all.push_back(std::move(job));
  }
  return all;
}

void run_in_order(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                  const std::function<void(std::size_t)>& done) {
  threads = std::max(1U, std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(count, 1))));
  if (threads == 1) {
    for (std::size_t i = 0; i < count; ++i) {
      work(i);
      done(i);
    }
    return;
  }
  std::mutex mutex;
  std::condition_variable finished_one;
  std::vector<bool> finished(count, false);
  std::size_t next = 0;
  {
    std::vector<std::jthread> workers;
    for (unsigned t = 0; t < threads; ++t) {
      workers.emplace_back([&] {
        for (;;) {
          std::size_t i = 0;
          {
            const std::lock_guard lock(mutex);
            if (next == count) return;
            i = next++;
          }
          work(i);
          {
            const std::lock_guard lock(mutex);
            finished[i] = true;
          }
          finished_one.notify_all();
        }
      });
    }
    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(mutex);
      finished_one.wait(lock, [&] { return finished[i]; });
      lock.unlock();
      done(i);
    }
  }
}

int worse_status(int a, int b) {
  // From the least to the most severe.
  static constexpr int kOrder[] = {kExitCompleted, kExitFindings, kExitUnreadable, kExitUsage};
  const auto rank = [](int status) {
    const auto* it = std::find(std::begin(kOrder), std::end(kOrder), status);
    return it - std::begin(kOrder);
  };
  return rank(b) > rank(a) ? b : a;
}

unsigned default_jobs() {
  return std::max(1U, std::thread::hardware_concurrency());
}

std::string summary_header() {
  std::string header = "file,alignment,length,road_type";
  for (std::size_t review = 0; review < kReviewCount; ++review) {
    for (std::size_t verdict = 0; verdict < kVerdictCount; ++verdict) {
      header += fmt::format(",{}_{}", review_name(static_cast<Review>(review)),
                            verdict_name(static_cast<Verdict>(verdict)));
    }
  }
  return header + ",status\n";
}

std::string summary_row(const DesignResult& result) {
  const RunDocument& doc = result.document;
  std::string row = csv_field(doc.file) + "," + csv_field(doc.alignment) + "," +
                    fmt::format("{:.3f}", result.length) + "," + std::to_string(doc.road_type);
  const FindingCounts counts = count_findings(result.app->console().records());
  for (const auto& by_verdict : counts) {
    for (const int n : by_verdict) row += fmt::format(",{}", n);
  }
  return row + fmt::format(",{}\n", result.status);
}

}  // namespace corvalinde::cli
