// The reader of the native road design file: a fixed-column text file of
// numbered sections (plan elements, profile elements, crossfall points) read
// straight into the RoadModel. The caller owns the console and the model.
// Reading never throws: any unreadable value, unexpected character or early
// end of the file ends the reading, completed tables stay, the table under way
// is discarded with its console message, and the mask tells what was read.
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Reads the design file at `path` into `model` and returns the mask of the
// tables completed (kMaskPlan | kMaskProfile | kMaskCrossfall); 0 when nothing
// usable was read. Progress and errors go to `console`. A path that does not
// exist, is a directory or cannot be opened reads as an empty file (mask 0,
// with the unreadable-file message).
// sha256, when given, receives the digest of the whole file (read to its end
// once, what the reading left included); empty when it was not opened.
[[nodiscard]] int read_native_design(Console& console, RoadModel& model, const std::string& path,
                                     std::string* sha256 = nullptr);

// The same from an open stream; `file_name` is what the console lines show.
[[nodiscard]] int read_native_design(Console& console, RoadModel& model, std::istream& input,
                                     std::string_view file_name);

// Shortens a path for display in at most `width` characters: the beginning
// and the end of the path are kept around "...", the file name first of all.
std::string shorten_path_for_display(std::string_view path, std::size_t width);

}  // namespace corvalinde
