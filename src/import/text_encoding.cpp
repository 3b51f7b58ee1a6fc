#include "import/text_encoding.h"

#include <utility>

namespace corvalinde {
namespace {

// A printable ASCII character, a tab or a line end.
bool is_text_byte(unsigned b) {
  return (b >= 0x20 && b < 0x7F) || b == '\t' || b == '\n' || b == '\r';
}

}  // namespace

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<Utf16Layout> detect_utf16(std::string_view head) {
  if (head.size() < 2) return std::nullopt;
  auto byte = [&head](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(head[i])); };
  if (byte(0) == 0xFF && byte(1) == 0xFE) return Utf16Layout{true, 2};
  if (byte(0) == 0xFE && byte(1) == 0xFF) return Utf16Layout{false, 2};
  if (head.size() >= 4 && is_text_byte(byte(0)) && byte(1) == 0 && is_text_byte(byte(2)) && byte(3) == 0) {
    return Utf16Layout{true, 0};
  }
  if (head.size() >= 4 && byte(0) == 0 && is_text_byte(byte(1)) && byte(2) == 0 && is_text_byte(byte(3))) {
    return Utf16Layout{false, 0};
  }
  return std::nullopt;
}

bool utf16_to_utf8(std::string& text) {
  const std::optional<Utf16Layout> layout = detect_utf16(text);
  if (!layout) return false;
  auto byte = [&text](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(text[i])); };
  const bool little = layout->little_endian;
  const std::size_t from = layout->mark_bytes;
  auto unit = [&](std::size_t i) { return little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1); };
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(text.size() / 2 + text.size() / 8);
  for (std::size_t i = from; i + 1 < text.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < text.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    append_utf8(out, cp);
  }
  text = std::move(out);
  return true;
}

}  // namespace corvalinde
