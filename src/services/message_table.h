// The message table: every user-visible text, fetched by number (1 to 395)
// from one process-wide table image (built in, or from the language library
// beside the program). Lookups never fail: an unknown or empty number gives
// blanks. A lookup before initialisation and a failed initialisation end the
// program through fatal_error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace corvalinde {

// Built-in tables.
enum class MessageLanguage { kFrench, kEnglish, kIds };

// Picks the built-in table used by the next initialisation (default French;
// the "Language" setting of section "Main" and the CLI's --lang set it).
void select_message_language(MessageLanguage language);

// n = 0: initialises the table (or releases it when already initialised).
// n >= 1: message n, cut or blank-padded to `width` characters.
std::string message_text(int n, std::size_t width);

// Message n without trailing blanks (width 1024).
std::string message_trimmed(int n);

namespace detail {
std::string format_message_args(int n, std::size_t width, fmt::format_args args,
                                std::string_view fallback_values);
}

// A template message: message n used as an fmt format string for the values,
// in the order the caller gives them, and the result cut or blank-padded to
// `width` characters. A template that does not format (a bad translation)
// never throws: the result is the message text followed by the values.
template <typename... Args>
std::string format_message(int n, std::size_t width, const Args&... args) {
  std::string fallback;
  ((fallback += ' ', fallback += fmt::format("{}", args)), ...);
  return detail::format_message_args(n, width, fmt::make_format_args(args...), fallback);
}

}  // namespace corvalinde
