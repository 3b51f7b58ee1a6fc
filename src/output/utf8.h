// Character-aware helpers for UTF-8 text: every fixed width of the system
// counts characters, not bytes, and a cut never splits a character. Invalid
// bytes count as one character each and are kept as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde {

// Number of characters in text.
std::size_t utf8_length(std::string_view text);

// The first `width` characters of text (all of it when shorter).
std::string_view utf8_prefix(std::string_view text, std::size_t width);

// text cut or blank-padded to exactly `width` characters.
std::string utf8_fit(std::string_view text, std::size_t width);

// text without trailing blanks.
std::string_view trim_right(std::string_view text);

// True when text is empty or only blanks.
bool is_blank(std::string_view text);

}  // namespace corvalinde
