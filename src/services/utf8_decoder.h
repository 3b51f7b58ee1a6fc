// The program's one UTF-8 decoder: which bytes form a well-formed character.
// Well-formed means the shortest form of a code point up to U+10FFFF that is
// not a surrogate, with every byte present; anything else is ill-formed and
// each caller says what it makes of such a byte (counts it as a character,
// reads the line as Windows-1252, writes U+FFFD, ...).
#pragma once

#include <cstddef>
#include <string_view>

namespace corvalinde {

// Byte length (1 to 4) of the well-formed character that starts at text[i],
// or 0 when the bytes there form none. i must be below text.size().
std::size_t utf8_sequence_length(std::string_view text, std::size_t i);

// True when the whole of text is well-formed UTF-8 (an empty text is).
bool is_valid_utf8(std::string_view text);

}  // namespace corvalinde
