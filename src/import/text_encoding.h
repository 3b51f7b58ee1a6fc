// The readers' text encodings: UTF-8 written from code points, and files
// saved as UTF-16 (as some Windows editors and exporters do) made UTF-8.
// Pure functions on bytes.
#pragma once

#include <string>

namespace corvalinde {

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
