// Writes a RoadModel as a version-400 native design file (sections 3, 4 and
// 10 for the tables present), for tests and tools that need design files;
// the application itself never writes designs. The caller owns the model and
// the stream. Nothing throws: the status says why a model could not be written.
#pragma once

#include <ostream>
#include <string>

#include "road/road_model.h"

namespace corvalinde {

enum class NativeWriteStatus {
  kOk,
  kTooManyItems,      // a table holds more items than a header can count (9999)
  kValueNotWritable,  // a non-finite value, or one too wide for its columns
  kBadRecord,         // a kind, orientation or turn the format cannot hold
  kIoError,           // the stream or the file failed
};

// Writes the tables present in `model`, in the order plan, profile,
// crossfall. Every value keeps the precision of its columns: stations and
// coordinates 5 decimals, plan angles 13 decimals, the other plan and
// profile values 17 significant digits, crossfall values exactly. When the
// status is not kOk, part of the file may have been written.
[[nodiscard]] NativeWriteStatus write_native_design(const RoadModel& model, std::ostream& output);
[[nodiscard]] NativeWriteStatus write_native_design(const RoadModel& model, const std::string& path);

}  // namespace corvalinde
