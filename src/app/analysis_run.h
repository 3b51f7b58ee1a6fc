// The analysis run: read a design into the RoadModel, obtain the user's
// AnalysisSelection, run the chosen analyses in the fixed slot order. The
// readers, the selection step and the analyses are plugged in through the
// interfaces below; the run owns none of them (the caller does, for the whole
// run). Nothing here fails: readers and analyses report on the console.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "analysis/cross_section.h"
#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// File types, in the order the open command offers them.
enum FileType : int { kNativeDesignFile = 1, kLandXmlFile = 2, kIfcFile = 3 };

// Modal result of a cancelled dialog (Esc).
inline constexpr int kCancelled = 27;

// The user's choices, stored as a 14-byte little-endian record (settings
// section "Parameters", record 256). Defaults are those of a record never stored.
struct AnalysisSelection {
  static constexpr std::size_t kSize = 14;
  static constexpr int kRecordNumber = 256;

  std::int16_t road_type = 0;                            // 0 to 28
  std::array<std::int16_t, 4> run_analysis{4, 4, 4, 4};  // element k non-zero: run slot k
  CrossSection cross_section;

  std::array<std::uint8_t, kSize> to_bytes() const;
  static AnalysisSelection from_bytes(std::span<const std::uint8_t, kSize> bytes);
};

// Reads a design file into the model. Returns the mask of completed tables
// (1 plan, 2 profile, 4 crossfall); 0 means nothing usable was read.
class DesignReader {
 public:
  virtual ~DesignReader() = default;
  virtual int read(Console& console, RoadModel& model, const std::string& path) = 0;
  // The SHA-256 of the bytes the last read held, when the reader knows it
  // (empty otherwise: the caller hashes the file itself).
  [[nodiscard]] virtual std::string file_sha256() const { return {}; }
};

// Edits the selection. Returns 0 when accepted, kCancelled (27) when the user
// cancelled.
class SelectionStep {
 public:
  virtual ~SelectionStep() = default;
  virtual int select(AnalysisSelection& selection) = 0;
};

// One analysis slot. Checks by itself that the tables it needs are present.
// Slots 0 to 2 ignore the cross-section.
class Analysis {
 public:
  virtual ~Analysis() = default;
  virtual void run(Console& console, const RoadModel& model, int road_type,
                   const CrossSection& cross_section) = 0;
};

// The wiring of one application: the model it owns and the plugged parts
// (not owned; a null reader, step or slot is skipped).
struct AnalysisRun {
  RoadModel* model = nullptr;
  DesignReader* native_reader = nullptr;   // file type 1
  DesignReader* landxml_reader = nullptr;  // file type 2
  DesignReader* ifc_reader = nullptr;      // file type 3
  SelectionStep* selection_step = nullptr;
  // Slot order: 0 horizontal alignment, 1 superelevation, 2 vertical profile, 3 visibility.
  std::array<Analysis*, 4> analyses{};
};

// What one run did (for front ends and tests; the console holds the listing).
struct RunOutcome {
  int mask = 0;                                // the reader's mask
  bool selection_accepted = false;             // the selection step accepted
  std::optional<AnalysisSelection> selection;  // as accepted
  std::string file_sha256;                     // as the reader knows it, or empty
};

// Runs the whole cycle on the file: clear console and model, read, select,
// analyse.
RunOutcome open_design(AnalysisRun& run, Console& console, const std::string& path, int file_type);

}  // namespace corvalinde
