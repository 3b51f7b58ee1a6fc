// Checks the reliability tests apply to every text the program produces.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde::reliability {

// True when s is well-formed UTF-8 (no stray continuation byte, no cut
// character, no overlong lead byte).
inline bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (b < 0x80) {
      extra = 0;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size() && extra > 0) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Number of characters of valid UTF-8 text.
inline std::size_t utf8_characters(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// True when the text holds a word that is how a non-finite number prints
// (nan, inf, infinity, in any case); words run over letters and digits, so a
// name such as NAN001 is no such word.
inline bool shows_non_finite(std::string_view text) {
  const auto is_bad = [](const std::string& w) { return w == "nan" || w == "inf" || w == "infinity"; };
  std::string word;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) != 0) {
      word += static_cast<char>(std::tolower(u));
      continue;
    }
    if (is_bad(word)) return true;
    word.clear();
  }
  return is_bad(word);
}

}  // namespace corvalinde::reliability
