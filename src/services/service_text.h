// Small character-aware text helpers of the services library (which
// depends on nothing of ours): widths count UTF-8 characters and a cut never
// splits one. Invalid bytes count as one character each and are kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde::service_text {

// Byte length of the character that starts at text[i] (1 for a byte that
// starts no well-formed character).
std::size_t char_size(std::string_view text, std::size_t i);

// Number of characters in text.
std::size_t char_count(std::string_view text);

// The first `width` characters of text (all of it when shorter).
std::string_view char_prefix(std::string_view text, std::size_t width);

// text cut or blank-padded to exactly `width` characters.
std::string fit(std::string_view text, std::size_t width);

// text without trailing blanks / without leading and trailing blanks and tabs.
std::string_view trim_right(std::string_view text);
std::string_view trim(std::string_view text);

// ASCII case conversion (other bytes unchanged).
std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);

}  // namespace corvalinde::service_text
