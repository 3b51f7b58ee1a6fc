// Writes a RoadModel as a version-400 native design file (sections 3, 4 and
// 10 for the tables present), for tests and tools that need design files;
// the application itself never writes designs. The caller owns the model and
// the stream. Nothing throws: the status says why a model could not be
// written, and a model that cannot be written whole leaves nothing behind.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "road/road_model.h"

namespace corvalinde {

enum class NativeWriteStatus {
  kOk,
  kTooManyItems,      // a table holds more items than a header can count (9999)
  kValueNotWritable,  // a non-finite value, or one too wide for its columns
  kBadRecord,         // a kind, orientation or turn the format cannot hold
  kStationEquations,  // the plan has station equations, which the format cannot hold
  kIoError,           // the stream or the file failed
};

// What a status means, in a few words, for a tool's message.
std::string_view native_write_status_text(NativeWriteStatus status);

// Writes the tables present in `model`, in the order plan, profile,
// crossfall. Every value keeps the precision of its columns: stations and
// coordinates 5 decimals, plan angles 13 decimals, the other plan and
// profile values 17 significant digits, crossfall values exactly. A design
// with station equations is refused: a file without them would show other
// stations than the designer's. The file is composed in memory first: when
// the status is not kOk, nothing was written to the stream, and the file at
// `path` was not touched (a failure while writing it removes it).
[[nodiscard]] NativeWriteStatus write_native_design(const RoadModel& model, std::ostream& output);
[[nodiscard]] NativeWriteStatus write_native_design(const RoadModel& model, const std::string& path);

}  // namespace corvalinde
