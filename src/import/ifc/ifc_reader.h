// The IFC alignment reader: reads the design parameters of one IfcAlignment
// (its nested horizontal and vertical layouts, in their nesting order) into
// the RoadModel's plan and profile, asking the user through the
// user-interface port when the file holds several alignments, and reporting
// on the console what it read, converted, could not reproduce or left aside.
// Reading never throws; the mask tells which tables it completed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "import/step/step_file.h"
#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Reads the file at `path`; returns kMaskPlan | kMaskProfile as completed,
// 0 when nothing usable was read. sha256, when given, receives the digest of
// the bytes read when the whole file was read.
[[nodiscard]] int read_ifc(Console& console, RoadModel& model, const std::string& path,
                           std::string* sha256 = nullptr);

// An IFC file read and indexed once, so that several readings (one per
// alignment, on several threads at once) share it: a reading only looks at
// the file's store.
struct ParsedIfc {
  step::StepFile file;
  step::StepReadStatus status;
  std::string sha256;  // of the bytes read; empty unless the whole file was read
};

// Reads the file at `path` once for the readings that share it; null when
// memory ran out.
[[nodiscard]] std::shared_ptr<const ParsedIfc> parse_ifc_file(const std::string& path);

// Reads one alignment from a file already read (path: the file's name, as
// the console shows it), as read_ifc does from the file.
[[nodiscard]] int read_ifc(Console& console, RoadModel& model, const ParsedIfc& parsed,
                           const std::string& path);

// The same for a file's text already in memory; `file_name` is what the
// console lines show.
[[nodiscard]] int read_ifc_text(Console& console, RoadModel& model, std::string_view text,
                                std::string_view file_name);

}  // namespace corvalinde
