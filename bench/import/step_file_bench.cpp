// Read speed and peak memory of the STEP reader on generated IFC-like files:
// alignment segments, points, typed measures, nesting lists and encoded
// strings in the proportions design exports have. Speed (bytes per second)
// comes from Google Benchmark on a file of about 20 MB, read from memory and
// from disk; peak memory is measured in a child process reading a file of
// about 200 MB from disk (the process's peak resident set).
//
//   step_file_bench [benchmark options]
//   CORVALINDE_BENCH_STEP_MB=n     size of the peak-memory file (default 200)
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "import/step/step_file.h"

namespace corvalinde::step {
namespace {

// Appends instances from #first until the text holds `bytes`; returns the next id.
std::uint64_t append_instances(std::string& out, std::uint64_t first, std::size_t bytes) {
  std::uint64_t id = first;
  std::uint64_t segment = 0;
  while (out.size() < bytes) {
    const double x = 2600000.0 + static_cast<double>(segment) * 37.123456789;
    const double y = 1200000.0 - static_cast<double>(segment) * 11.987654321;
    out += fmt::format("#{}=IFCCARTESIANPOINT(({:.10f},{:.10f}));\n", id, x, y);
    out += fmt::format(
        "#{}=IFCALIGNMENTHORIZONTALSEGMENT($,$,#{},{:.15f},{:.6f},{:.6f},{:.9f},$,.CLOTHOID.);\n", id + 1, id,
        static_cast<double>(segment % 628) / 100.0, -250.0 - static_cast<double>(segment % 7), 0.0,
        120.0 + static_cast<double>(segment % 13));
    out += fmt::format(
        "#{}=IFCALIGNMENTSEGMENT('2qy7e2h$X209837c8g$N{:04}',#1,'Segment \\X2\\00E9\\X0\\ {}',$,$,#{},"
        "#{},#{});\n",
        id + 2, segment % 10000, segment, id + 3, id + 4, id + 1);
    out += fmt::format("#{}=IFCLOCALPLACEMENT($,#{});\n", id + 3, id + 4);
    out += fmt::format(
        "#{}=IFCCURVESEGMENT(.CONTINUOUS.,#{},IFCLENGTHMEASURE({:.9f}),IFCLENGTHMEASURE({:.9f}),#{});\n",
        id + 4, id + 3, 0.0, 120.0 + static_cast<double>(segment % 13), id);
    if (segment % 20 == 19)
      out += fmt::format("#{}=IFCRELNESTS('1wV_u4EpX2eRQmudiG$MZe',#1,'Nests',$,#2,(#{},#{},#{},#{},#{}));\n",
                         id + 5, id - 98, id - 73, id - 48, id - 23, id + 2);
    id += 6;
    ++segment;
  }
  return id;
}

std::string ifc_text(std::size_t bytes) {
  std::string text =
      "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [Alignment]'),'2;1');\n"
      "FILE_NAME('bench.ifc','2026-01-01T00:00:00',(''),(''),'','','');\nFILE_SCHEMA(('IFC4X3_ADD2'));\n"
      "ENDSEC;\nDATA;\n";
  text.reserve(bytes + 4096);
  append_instances(text, 10, bytes);
  text += "ENDSEC;\nEND-ISO-10303-21;\n";
  return text;
}

// Writes the file a piece at a time so that the generator stays small too.
void write_ifc(const std::filesystem::path& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::string piece = ifc_text(0);
  piece.resize(piece.size() - std::strlen("ENDSEC;\nEND-ISO-10303-21;\n"));
  std::uint64_t id = 10;
  std::size_t written = 0;
  while (written < bytes) {
    id = append_instances(piece, id, piece.size() + (std::size_t{4} << 20));
    out << piece;
    written += piece.size();
    piece.clear();
  }
  out << "ENDSEC;\nEND-ISO-10303-21;\n";
}

std::string g_text;
std::filesystem::path g_path;

void BM_read_step_text(benchmark::State& state) {
  std::size_t instances = 0;
  for (auto _ : state) {
    StepFile file;
    const StepReadStatus status = read_step_text(g_text, file);
    if (!status.ok()) state.SkipWithError(step_error_text(status.error));
    instances = file.instances().size();
    benchmark::DoNotOptimize(instances);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
  state.counters["instances"] = static_cast<double>(instances);
}

void BM_read_step_file(benchmark::State& state) {
  for (auto _ : state) {
    StepFile file;
    const StepReadStatus status = read_step_file(g_path, file);
    if (!status.ok()) state.SkipWithError(step_error_text(status.error));
    benchmark::DoNotOptimize(file.instances().data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(g_text.size()));
}

void BM_instances_of_type(benchmark::State& state) {
  StepFile file;
  if (!read_step_text(g_text, file).ok()) state.SkipWithError("read failed");
  for (auto _ : state) {
    const auto segments = file.instances_of("IfcAlignmentSegment");
    double total = 0.0;
    for (const StepInstance* segment : segments) {
      const StepInstance* parameters = file.resolve(file.attribute(*segment, 7));
      if (parameters != nullptr) total += file.attribute(*parameters, 6).real().value_or(0.0);
    }
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK(BM_read_step_text)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_read_step_file)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_instances_of_type)->Unit(benchmark::kMillisecond)->UseRealTime();

long peak_resident_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Child mode: read the file from disk, report the peak and what the store holds.
int measure_peak(const char* path) {
  const long before_kb = peak_resident_kb();
  StepFile file;
  const StepReadStatus status = read_step_file(path, file);
  if (!status.ok()) return 1;
  std::printf("%ld %ld %zu %zu\n", before_kb, peak_resident_kb(), file.instances().size(),
              file.memory_used());
  return 0;
}

void report_peak(std::size_t megabytes) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / fmt::format("corvalinde-step-bench-{}.ifc", getpid());
  write_ifc(path, megabytes << 20);
  const auto size = std::filesystem::file_size(path);
  const std::string command = fmt::format("'/proc/{}/exe' --peak '{}'", getpid(), path.string());
  std::FILE* child = popen(command.c_str(), "r");
  long start_kb = 0;
  long peak_kb = 0;
  std::size_t instances = 0;
  std::size_t held = 0;
  const bool read =
      child != nullptr && std::fscanf(child, "%ld %ld %zu %zu", &start_kb, &peak_kb, &instances, &held) == 4;
  if (child != nullptr) pclose(child);
  std::filesystem::remove(path);
  if (!read) {
    std::printf("\npeak memory: the child failed\n");
    return;
  }
  const double file_mb = static_cast<double>(size) / 1e6;
  std::printf("\nPeak resident memory reading a %.1f MB file from disk (%zu instances)\n", file_mb,
              instances);
  std::printf("start %.1f MB, peak %.1f MB (%.2f x the file), store %.1f MB (%.2f x the file)\n",
              static_cast<double>(start_kb) / 1024.0, static_cast<double>(peak_kb) / 1024.0,
              static_cast<double>(peak_kb) * 1024.0 / static_cast<double>(size),
              static_cast<double>(held) / 1e6, static_cast<double>(held) / static_cast<double>(size));
}

}  // namespace
}  // namespace corvalinde::step

int main(int argc, char** argv) {
  using namespace corvalinde::step;
  if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) return measure_peak(argv[2]);
  std::size_t megabytes = 200;
  if (const char* given = std::getenv("CORVALINDE_BENCH_STEP_MB"); given != nullptr && *given != '\0')
    megabytes = static_cast<std::size_t>(std::strtoul(given, nullptr, 10));

  g_text = ifc_text(std::size_t{20} << 20);
  g_path = std::filesystem::temp_directory_path() / fmt::format("corvalinde-step-speed-{}.ifc", getpid());
  std::ofstream(g_path, std::ios::binary) << g_text;
  std::printf("generated IFC text: %.1f MB\n", static_cast<double>(g_text.size()) / 1e6);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(g_path);
  g_text = std::string();

  if (megabytes > 0) report_peak(megabytes);
  return 0;
}
