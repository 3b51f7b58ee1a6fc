#include "import/reader_lines.h"

#include <fmt/format.h>

#include "import/landxml/landxml_messages.h"
#include "import/native_design_reader.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "output/visible_text.h"

namespace corvalinde {
namespace {

namespace msg = landxml_message;

// Messages 9 and 55 take the file name; their fixed part is at most this wide.
constexpr std::size_t kFileMessageFixedPart = 30;

}  // namespace

std::string file_message_line(int message, std::string_view file_name) {
  const std::string shortened =
      shorten_path_for_display(visible_text(file_name), kListingLineWidth - kFileMessageFixedPart);
  return format_message(message, kListingLineWidth, shortened);
}

std::string serial_name(const char* prefix, int serial) {
  return fmt::format("{}{:03d}", prefix, serial);
}

int close_reading(Console& console, RoadModel& model, int mask, std::string_view file_name) {
  console_write_message(console, kConsoleHeadingLine, msg::kReadingEnded);
  if (model.has_plan() && (mask & kMaskPlan) == 0) {
    console_write_message(console, kConsoleOrdinary, msg::kPlanDiscarded);
    model.discard_plan();
  }
  if (model.has_profile() && (mask & kMaskProfile) == 0) {
    console_write_message(console, kConsoleOrdinary, msg::kProfileDiscarded);
    model.discard_profile();
  }
  if (model.has_crossfall() && (mask & kMaskCrossfall) == 0) {
    console_write_message(console, kConsoleOrdinary, msg::kCrossfallDiscarded);
    model.discard_crossfall();
  }
  if (mask == 0) console_write(console, kConsoleOrdinary, file_message_line(msg::kNothingRead, file_name));
  return mask;
}

}  // namespace corvalinde
