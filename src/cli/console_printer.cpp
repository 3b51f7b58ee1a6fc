#include "cli/console_printer.h"

#include <nlohmann/json.hpp>

namespace corvalinde::cli {
namespace {

bool is_marker_letter(char c) {
  return c == 'A' || c == 'C' || c == 'G' || c == '2';
}

const char* colour_of(char marker) {
  switch (marker) {
    case 'A':
    case '2':
      return "\x1b[32m";  // green
    case 'C':
      return "\x1b[31m";  // red
    default:
      return "\x1b[33m";  // amber
  }
}

}  // namespace

std::string render_line(const ConsoleLine& line, MarkerStyle style) {
  if (style == MarkerStyle::kRaw) return line.text;
  // Lines are stored blank-padded; a reader of the output wants no trailing blanks.
  const std::string_view text = unpadded(line.text);
  std::string out;
  const bool colour = style == MarkerStyle::kColour;
  if (colour && line.heading) out += "\x1b[1m";
  bool styled = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kMarker) {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && is_marker_letter(text[i + 1])) {
      const char marker = text[++i];
      if (colour) {
        out += "\x1b[22;39m";
        if (line.heading) out += "\x1b[1m";
        // A line written from a finding is coloured by its verdict.
        out += line.has_verdict() ? colour_of(verdict_marker(line.verdict)) : colour_of(marker);
        styled = true;
      } else {
        out += '[';
        out += marker;
        out += ']';
      }
    }
    // A lone code-11 character is dropped.
  }
  if (colour && (styled || line.heading)) out += "\x1b[0m";
  return out;
}

std::string json_string(std::string_view text) {
  return nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string_view unpadded(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

void StreamingPrinter::console_changed(const Console& console, Change change, std::size_t index) {
  if (change == Change::kCleared) return;
  const std::string text = render_line(console.line(index), style_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace corvalinde::cli
