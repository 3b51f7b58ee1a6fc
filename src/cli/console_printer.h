// Renders console lines for a terminal, a pipe or a JSON document. The
// printers read the Console (not owned) and write to a std::FILE (not owned).
// Rendering never fails; invalid UTF-8 in a line becomes U+FFFD in JSON.
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
// (except in kRaw) and without a newline.
std::string render_line(const ConsoleLine& line, MarkerStyle style);

// text as a JSON string literal (with the quotes).
std::string json_string(std::string_view text);

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

// The JSON document of one run.
struct RunDocument {
  std::string file;
  int file_type = 0;
  int mask = 0;
  int road_type = 0;
};
std::string json_document(const RunDocument& run, const Console& console);

}  // namespace corvalinde::cli
