// The readers' text encodings: UTF-8 written from code points, and files
// saved as UTF-16 (as some Windows editors and exporters do) made UTF-8.
// Pure functions on bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvalinde {

// How a text in UTF-16 lays out its code units.
struct Utf16Layout {
  bool little_endian = true;
  std::size_t mark_bytes = 0;  // 2 when a byte-order mark opens the text, else 0
};

// The layout of a text in UTF-16, told from its first four bytes (as
// utf16_to_utf8 below tells it), or nothing for any other text.
std::optional<Utf16Layout> detect_utf16(std::string_view head);

// Appends the UTF-8 form of code point c (at most U+10FFFF).
void append_utf8(std::string& out, char32_t c);

// Bytes in UTF-16, little or big endian, told by the byte-order mark or, without
// one, by two plain ASCII characters each beside a zero byte at the start,
// rewritten in place as UTF-8 without the mark. An unpaired surrogate becomes
// U+FFFD and an odd last byte is dropped. Returns false, leaving the bytes as
// they were, for anything else (UTF-8 and single-byte texts have no zero bytes
// among their first four).
bool utf16_to_utf8(std::string& text);

}  // namespace corvalinde
