// Listing helpers shared by the readers and the analyses: message lines,
// "label : value" lines, messages split into fixed-width fields, the start of
// an analysis listing and its parameter lines. Texts come from the message
// table; lines go to the console the caller owns. Nothing here fails: widths
// count characters, and longer texts are cut at a character boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/console.h"
#include "road/station_equations.h"
#include "services/message_table.h"

namespace corvalinde {

// Width of the listing lines built here.
inline constexpr std::size_t kListingLineWidth = 80;
// Buffer a message is read into for console_write_message.
inline constexpr std::size_t kMessageLineWidth = 256;
// Label width of a parameter line, and the width of its value.
inline constexpr int kParameterLabelWidth = 25;
inline constexpr std::size_t kParameterValueWidth = 4;

// The station a listing shows for an internal station (the distance along
// the axis the analyses run on): the designer's station after the station
// equations, with its region when the same number occurs in another region.
// Without equations it is the internal station itself. Every station of an
// analysis listing goes through here.
ShownStation shown_station(const StationEquations& stations, double internal);

// Messages used here.
inline constexpr int kYesNoMessage = 12;  // two 5-character fields: no, yes
inline constexpr std::size_t kYesNoFieldWidth = 5;
inline constexpr int kRoadTypeHeadingMessage = 132;  // label of the road-type heading

// Writes message n (read into 256 characters) with the given flags; message 0
// (or a blank message) writes with no text, so an ordinary line comes out empty.
void console_write_message(Console& console, unsigned flags, int message);

// label_width > 0: the first label_width characters of the label (at most all
// of it); 0: the whole label; < 0: the label without trailing blanks. Then
// " : ", the whole value, and the line cut or blank-padded to 80 characters.
std::string labelled_line(std::string_view label, int label_width, std::string_view value);

// Message n read into width x count characters and cut into `count` pieces of
// `width` characters each (blank pieces beyond the end of the text).
std::vector<std::string> message_fields(int message, std::size_t width, std::size_t count);

// Field 0 ("no") of message 12 for a flag <= 0, field 1 ("yes") for a flag >= 1;
// 5 characters.
std::string yes_no_word(int flag);

// The start every analysis shares: an empty line, the opening message as a
// heading line, then the heading line trimmed message 132, " : " and the
// road-type label (80 characters).
void start_analysis_listing(Console& console, int opening_message, std::string_view road_type_label);

// A parameter line, written as a heading line: the label message cut or padded
// to 25 characters, " : " and the value as given (callers give 4 characters).
void write_parameter_line(Console& console, int label_message, std::string_view value);
// The same with a length in metres, right-aligned with one decimal in 4
// characters (3.5 gives " 3.5").
void write_parameter_line(Console& console, int label_message, double metres);

}  // namespace corvalinde
