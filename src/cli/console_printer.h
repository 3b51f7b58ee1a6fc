// Renders console lines for a terminal or a pipe. The printers read the
// Console (not owned) and write to a std::FILE (not owned). Rendering never
// fails; invalid UTF-8 in a JSON string becomes U+FFFD.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "output/console.h"

namespace corvalinde::cli {

enum class MarkerStyle {
  kColour,    // ANSI colours (A green, C red, G amber, 2 green; headings bold)
  kBrackets,  // [A], [C], [G], [2]
  kRaw,       // the line exactly as stored
};

// One stored line as the text output shows it: without trailing blanks
// (except in kRaw) and without a newline. The markers become brackets or
// colours; a line written from a finding takes its colour from its verdict.
std::string render_line(const ConsoleLine& line, MarkerStyle style);

// text as a JSON string literal (with the quotes).
std::string json_string(std::string_view text);

// The text of a line without its trailing blanks.
std::string_view unpadded(std::string_view text);

// Prints each appended line as it arrives (a replaced last line is printed
// again). Used for the text format, so output shows while the run goes on.
class StreamingPrinter final : public ConsoleObserver {
 public:
  StreamingPrinter(std::FILE* out, MarkerStyle style) : out_(out), style_(style) {}
  void console_changed(const Console& console, Change change, std::size_t index) override;

 private:
  std::FILE* out_;
  MarkerStyle style_;
};

}  // namespace corvalinde::cli
