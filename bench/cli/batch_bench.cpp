// Reviewing every shared LandXML sample, every alignment of each, with all
// four analyses, as `corvalinde-cli --alignment all --jobs N` does (without
// printing): wall time for N = 1, 2, 4 and 8 designs at once, and the
// speed-up over N = 1 (run first).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "cli/design_batch.h"
#include "services/message_table.h"

namespace corvalinde::cli {
namespace {

namespace fs = std::filesystem;

void BM_SharedLandXmlEveryAlignment(benchmark::State& state) {
  if (message_table_state() == MessageTableState::kNotInitialised) {
    select_message_language(MessageLanguage::kIds);
    static_cast<void>(message_text(0, 1));
  }
  const fs::path samples = fs::path(CORVALINDE_SHARED_SAMPLES_DIR) / "landxml";
  if (!fs::is_directory(samples)) {
    state.SkipWithError("no shared samples");
    return;
  }
  // The selection step writes nothing and reads a settings folder of its own.
  const fs::path home = fs::temp_directory_path() / "corvalinde-batch-bench";
  fs::create_directories(home);
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);

  CliOptions options;
  options.alignment = "all";
  options.analyses = std::vector<int>{0, 1, 2, 3};
  std::string error;
  const std::optional<SelectionOverrides> overrides =
      selection_overrides(options, AnalysisSelection{}, error);
  const auto jobs = static_cast<unsigned>(state.range(0));
  const std::vector<DesignInput> inputs = expand_inputs({samples.string()}, std::nullopt);
  BatchSettings settings;
  settings.overrides = &*overrides;
  settings.several = true;
  settings.concurrent_senses = jobs > 1;

  static double one_job_seconds = 0.0;
  double seconds = 0.0;
  std::size_t runs = 0;
  std::size_t findings = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<DesignJob> design_list = design_jobs(inputs, options, jobs);
    std::vector<DesignResult> results(design_list.size());
    findings = 0;
    run_in_order(
        design_list.size(), jobs,
        [&](std::size_t i) { results[i] = review_design(design_list[i], settings); },
        [&](std::size_t i) {
          findings += results[i].app->console().records().size();
          results[i] = DesignResult{};
        });
    runs = design_list.size();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  seconds /= static_cast<double>(state.iterations());
  if (jobs == 1) one_job_seconds = seconds;
  if (one_job_seconds > 0.0) state.counters["speedup"] = one_job_seconds / seconds;
  state.counters["files"] = static_cast<double>(inputs.size());
  state.counters["runs"] = static_cast<double>(runs);
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_SharedLandXmlEveryAlignment)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace
}  // namespace corvalinde::cli
