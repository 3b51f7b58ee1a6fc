#include "output/utf8.h"

#include "services/service_text.h"

// The character rules live with the services, which everything may use; the
// listings keep these names for them.
namespace corvalinde {

std::size_t utf8_length(std::string_view text) {
  return service_text::char_count(text);
}

std::string_view utf8_prefix(std::string_view text, std::size_t width) {
  return service_text::char_prefix(text, width);
}

std::string utf8_fit(std::string_view text, std::size_t width) {
  return service_text::fit(text, width);
}

std::string_view trim_right(std::string_view text) {
  return service_text::trim_right(text);
}

bool is_blank(std::string_view text) {
  return trim_right(text).empty();
}

}  // namespace corvalinde
