// The diagnostic log: one process-wide trace channel, bound to Corvalinde.out
// in the settings folder when diagnostics are on and to the null device
// otherwise, so that writers never check a switch. Writing never fails
// visibly. Also the fatal-error path, which logs, shows and ends the process.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace corvalinde {

inline constexpr std::string_view kNullDevice = "/dev/null";

// Decides the switch and opens the channel. Diagnostics are on when the
// "Debug" setting of section "Main" is neither blank, "OFF" nor "0" (any
// case), or else when one of the arguments (scanned from the last) is
// "/debug" or "--debug" in any case. The previous run's log is deleted in
// every case. When the log cannot be created the channel is the null device.
// arguments excludes the program's own name; the argc/argv form skips argv[0].
void open_diagnostic_log(std::span<const std::string_view> arguments);
void open_diagnostic_log(int argc, const char* const* argv);

// The file the channel writes to, kNullDevice, or empty before it is opened.
std::string diagnostic_log_target();

// True when records reach a file (not the null device, not closed).
bool diagnostic_log_active();

// Appends one record as it stands (no leading blank added).
void write_log_record(std::string_view record);

// An item of a record as written: control characters (from a file name,
// say) as \xHH, so that no item can end its record early or forge another.
std::string log_item(std::string_view text);

// One list-directed record: a leading blank, then the items separated by
// blanks. Nothing is formatted while the channel is the null device.
template <typename... Items>
void write_log(const Items&... items) {
  if (!diagnostic_log_active()) return;
  std::string record;
  ((record += ' ', record += log_item(fmt::format("{}", items))), ...);
  write_log_record(record);
}

// A message trace in the shape "(1x,a,10(z9.8))": a blank, the text, then
// each value as " " and 8 upper-case hexadecimal digits; more than ten values
// continue on further records of ten fields each.
void write_log_trace(std::string_view text, std::span<const std::uint32_t> values);

// Flushes, closes and reopens the log file positioned at its end, so that
// what was written so far is on disk. Keeps the null device as it is.
void reopen_log_for_append();

// Ends the process with exit status 1. A non-blank text is first written to
// the log as "Retour a Windows " + text (opening the channel on the null
// device when it is not open) and shown, split at line feeds, in the
// user-interface port's message window. A blank text ends the process at once.
[[noreturn]] void fatal_error(std::string_view text);

}  // namespace corvalinde
