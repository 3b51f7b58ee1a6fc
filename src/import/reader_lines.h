// Console lines every design reader writes the same way: the lines that name
// the file, the serial names of elements the file leaves unnamed, and the close
// of a reading, which drops the tables the reader did not complete. Plain
// functions; none fails.
#pragma once

#include <string>
#include <string_view>

#include "output/console.h"
#include "road/road_model.h"

namespace corvalinde {

// Message `message` with the file name (control characters escaped, a long
// path shortened to fit the listing line) as its one value.
std::string file_message_line(int message, std::string_view file_name);

// "PREFIX001", "PREFIX002", ...: the name of an element the file leaves unnamed.
std::string serial_name(const char* prefix, int serial);

// Writes the end-of-reading heading, discards each table of `model` that
// `mask` does not hold (saying so), and says that nothing was read when the
// mask is 0. Returns the mask.
int close_reading(Console& console, RoadModel& model, int mask, std::string_view file_name);

}  // namespace corvalinde
