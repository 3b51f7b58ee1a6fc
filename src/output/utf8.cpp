#include "output/utf8.h"

namespace corvalinde {
namespace {

// Byte length of the character starting at text[i]; an invalid lead or a
// truncated sequence counts as one byte.
std::size_t char_size(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t n = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
  }
  if (i + n > text.size()) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

std::size_t utf8_length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); i += char_size(text, i)) ++count;
  return count;
}

std::string_view utf8_prefix(std::string_view text, std::size_t width) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < text.size() && count < width; ++count) i += char_size(text, i);
  return text.substr(0, i);
}

std::string utf8_fit(std::string_view text, std::size_t width) {
  std::string out(utf8_prefix(text, width));
  const std::size_t have = utf8_length(out);
  if (have < width) out.append(width - have, ' ');
  return out;
}

std::string_view trim_right(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

bool is_blank(std::string_view text) { return trim_right(text).empty(); }

}  // namespace corvalinde
