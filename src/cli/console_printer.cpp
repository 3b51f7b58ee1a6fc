#include "cli/console_printer.h"

#include <fmt/format.h>

#include "services/utf8_decoder.h"

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
  std::string_view text = line.text;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
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
        out += colour_of(marker);
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
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = utf8_sequence_length(text, i);
    if (n == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (n > 1) {
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += fmt::format("\\u{:04x}", c);
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
  return out;
}

void StreamingPrinter::console_changed(const Console& console, Change change, std::size_t index) {
  if (change == Change::kCleared) return;
  const std::string text = render_line(console.line(index), style_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

std::string json_document(const RunDocument& run, const Console& console) {
  std::string out = fmt::format("{{\"file\":{},\"file_type\":{},\"mask\":{},\"road_type\":{},\"lines\":[",
                                json_string(run.file), run.file_type, run.mask, run.road_type);
  for (std::size_t i = 0; i < console.line_count(); ++i) {
    const ConsoleLine& line = console.line(i);
    if (i > 0) out += ',';
    out += fmt::format("{{\"text\":{},\"heading\":{}}}", json_string(line.text),
                       line.heading ? "true" : "false");
  }
  out += "]}\n";
  return out;
}

}  // namespace corvalinde::cli
