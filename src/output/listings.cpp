#include "output/listings.h"

#include <algorithm>

#include <fmt/format.h>

#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde {

ShownStation shown_station(const StationEquations& stations, double internal) {
  const DesignerStation designer = designer_station(stations, internal);
  return {designer.value, designer.ambiguous ? designer.region : 0};
}

void console_write_message(Console& console, unsigned flags, int message) {
  if (message == 0) {
    console_write(console, flags);
    return;
  }
  console_write(console, flags, message_text(message, kMessageLineWidth));
}

std::string labelled_line(std::string_view label, int label_width, std::string_view value) {
  std::string line;
  if (label_width > 0) {
    line = utf8_prefix(label, static_cast<std::size_t>(label_width));
  } else if (label_width == 0) {
    line = label;
  } else {
    line = trim_right(label);
  }
  line += " : ";
  line += value;
  return utf8_fit(line, kListingLineWidth);
}

std::vector<std::string> message_fields(int message, std::size_t width, std::size_t count) {
  const std::string text = message_text(message, width * count);
  std::string_view rest = text;
  std::vector<std::string> fields;
  fields.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view piece = utf8_prefix(rest, width);
    rest.remove_prefix(piece.size());
    fields.push_back(utf8_fit(piece, width));
  }
  return fields;
}

std::string yes_no_word(int flag) {
  const auto fields = message_fields(kYesNoMessage, kYesNoFieldWidth, 2);
  return fields[static_cast<std::size_t>(std::clamp(flag, 0, 1))];
}

void start_analysis_listing(Console& console, int opening_message, std::string_view road_type_label) {
  console_write(console, kConsoleOrdinary);
  console_write_message(console, kConsoleHeadingLine, opening_message);
  const std::string label = message_text(kRoadTypeHeadingMessage, kListingLineWidth);
  console_write(console, kConsoleHeadingLine, labelled_line(label, -1, road_type_label));
}

void write_parameter_line(Console& console, int label_message, std::string_view value) {
  const std::string label = message_text(label_message, kListingLineWidth);
  console_write(console, kConsoleHeadingLine, labelled_line(label, kParameterLabelWidth, value));
}

void write_parameter_line(Console& console, int label_message, double metres) {
  write_parameter_line(console, label_message, fmt::format("{:>4.1f}", metres));
}

}  // namespace corvalinde
