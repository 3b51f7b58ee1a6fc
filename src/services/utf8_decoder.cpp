#include "services/utf8_decoder.h"

namespace corvalinde {

std::size_t utf8_sequence_length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return 1;
  // The second byte's range depends on the lead byte: it rules out overlong
  // forms (E0, F0), surrogates (ED) and code points past U+10FFFF (F4).
  std::size_t length = 0;
  unsigned char second_low = 0x80;
  unsigned char second_high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_low = 0xA0;
    if (lead == 0xED) second_high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;
  } else {
    return 0;  // a continuation byte, C0, C1 or F5..FF
  }
  if (length > text.size() - i) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(text[i + k]);
    const unsigned char low = k == 1 ? second_low : 0x80;
    const unsigned char high = k == 1 ? second_high : 0xBF;
    if (byte < low || byte > high) return 0;
  }
  return length;
}

bool is_valid_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8_sequence_length(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace corvalinde
