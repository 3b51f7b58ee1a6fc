#include "app/analysis_run.h"

#include "analysis/road_series.h"

namespace corvalinde {
namespace {

void put16(std::array<std::uint8_t, AnalysisSelection::kSize>& out, std::size_t at, std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  out[at] = static_cast<std::uint8_t>(u & 0xFFU);
  out[at + 1] = static_cast<std::uint8_t>(u >> 8U);
}

std::int16_t get16(std::span<const std::uint8_t, AnalysisSelection::kSize> in, std::size_t at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(in[at] | (in[at + 1] << 8U)));
}

}  // namespace

std::array<std::uint8_t, AnalysisSelection::kSize> AnalysisSelection::to_bytes() const {
  std::array<std::uint8_t, kSize> out{};
  put16(out, 0, road_type);
  for (std::size_t k = 0; k < 4; ++k) put16(out, 2 + 2 * k, run_analysis[k]);
  out[10] = static_cast<std::uint8_t>(cross_section.lane_width_dm);
  out[11] = cross_section.median_width_dm;
  out[12] = static_cast<std::uint8_t>(cross_section.median_blocks_sight);
  out[13] = static_cast<std::uint8_t>(cross_section.side_clearance_dm);
  return out;
}

AnalysisSelection AnalysisSelection::from_bytes(std::span<const std::uint8_t, kSize> bytes) {
  AnalysisSelection s;
  s.road_type = get16(bytes, 0);
  for (std::size_t k = 0; k < 4; ++k) s.run_analysis[k] = get16(bytes, 2 + 2 * k);
  s.cross_section.lane_width_dm = static_cast<std::int8_t>(bytes[10]);
  s.cross_section.median_width_dm = bytes[11];
  s.cross_section.median_blocks_sight = static_cast<std::int8_t>(bytes[12]);
  s.cross_section.side_clearance_dm = static_cast<std::int8_t>(bytes[13]);
  return s;
}

RunOutcome open_design(AnalysisRun& run, Console& console, const std::string& path, int file_type) {
  RunOutcome outcome;
  console_write(console, kConsoleClear);
  if (run.model == nullptr) return outcome;
  RoadModel& model = *run.model;
  model.clear();

  DesignReader* reader = nullptr;
  if (file_type == kNativeDesignFile) reader = run.native_reader;
  if (file_type == kLandXmlFile) reader = run.landxml_reader;
  if (file_type == kIfcFile) reader = run.ifc_reader;
  if (reader == nullptr) return outcome;

  outcome.mask = reader->read(console, model, path);
  outcome.file_sha256 = reader->file_sha256();
  if (outcome.mask == 0) return outcome;

  AnalysisSelection selection;
  if (run.selection_step != nullptr && run.selection_step->select(selection) == kCancelled) return outcome;
  outcome.selection_accepted = true;
  outcome.selection = selection;

  console_write(console, kConsoleOrdinary);
  for (std::size_t k = 0; k < run.analyses.size(); ++k) {
    if (selection.run_analysis[k] != 0 && run.analyses[k] != nullptr) {
      run.analyses[k]->run(console, model, selection.road_type, selection.cross_section);
    }
  }
  keep_road_series(console, model);
  return outcome;
}

}  // namespace corvalinde
