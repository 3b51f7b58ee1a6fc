// The message table: every user-visible text, fetched by number (1 to 395)
// from one process-wide table image (built in, or from the language library
// beside the program). Lookups never fail: an unknown or empty number gives
// blanks. A lookup before initialisation and a failed initialisation end the
// program through fatal_error; loading a given image reports its status.
// A table never changes once loaded: lookups may run on any number of threads
// at once, and an initialisation, release or load made meanwhile only decides
// which table the lookups that follow it read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "services/message_image.h"

namespace corvalinde {

// Built-in tables.
enum class MessageLanguage { kFrench, kEnglish, kIds };

// "fr", "en" or "ids" (any case, blanks around ignored); empty otherwise.
std::optional<MessageLanguage> parse_message_language(std::string_view name);

// Picks the built-in table used by the next initialisation (default French;
// the "Language" setting of section "Main" and the CLI's --lang set it). Once
// called, the setting is no longer read.
void select_message_language(MessageLanguage language);

// The generated image of a built-in table.
std::span<const std::uint8_t> builtin_message_image(MessageLanguage language);

enum class MessageTableState {
  kNotInitialised,  // no table: lookups are fatal
  kBuiltIn,         // a built-in table, or an image given to load_message_image
  kLibrary,         // the image of the language library, which stays loaded
};
MessageTableState message_table_state();

// n = 0: initialises the table (or releases it when already initialised) and
// returns blanks. n >= 1: message n, cut or blank-padded to `width`
// characters. Initialisation uses the selected built-in table; when its entry
// count is 0 it loads Corvalinde.so beside the program and takes the image
// its entry function returns.
std::string message_text(int n, std::size_t width);

// Message n without trailing blanks (width 1024).
std::string message_trimmed(int n);

// Makes image the loaded table (copied; the caller keeps ownership), in place
// of any table or library loaded before. An image that is not valid is
// refused and the previous state kept.
[[nodiscard]] MessageImageStatus load_message_image(std::span<const std::uint8_t> image);

// Name of the C function the language library exports: the undecorated ELF
// form of the stdcall name "_INI_DLL@0" (no arguments, returns the image).
inline constexpr const char* kLanguageLibraryEntry = "INI_DLL";

// Test support only: releases the table, forgets the language selection and
// stops using the image given to use_message_image_as_builtin_for_tests.
void reset_message_table_for_tests();

// Test support only: the next initialisations take image (not copied; it must
// outlive its use) in place of the selected built-in table, for instance one
// with entry count 0 to exercise the language library.
void use_message_image_as_builtin_for_tests(std::span<const std::uint8_t> image);

// A station as a template shows it: the number the user reads and, when the
// same number stands for another place, the region that tells them apart
// (0: none). The template's number format applies to the value; the region
// follows it as " (2)". Converts to the value (a finding's values).
struct ShownStation {
  double value = 0.0;
  std::size_t region = 0;
  explicit operator double() const { return value; }
};

namespace detail {
std::string format_message_args(int n, std::size_t width, fmt::format_args args, std::size_t value_count);

// A real value of a template. Fixed forms ("{:.2f}") round halves away from
// zero (0.125 gives 0.13), where fmt alone would round them to even. A region
// other than 0 is written after the number as " (region)".
struct MessageReal {
  double value;
  std::size_t region = 0;
};

// x rounded to `decimals` decimals, halves away from zero; x itself when the
// scaled value has no fraction left to round or is not finite.
double round_half_away(double x, int decimals);

inline MessageReal message_value(double v) {
  return {v};
}
inline MessageReal message_value(const ShownStation& s) {
  return {s.value, s.region};
}
inline MessageReal message_value(float v) {
  return {static_cast<double>(v)};
}
template <typename T>
const T& message_value(const T& v) {
  return v;
}

template <typename... Values>
std::string format_message_values(int n, std::size_t width, const Values&... values) {
  return format_message_args(n, width, fmt::make_format_args(values...), sizeof...(Values));
}
}  // namespace detail

// A template message: message n used as an fmt format string for the values,
// in the order the caller gives them, and the result cut or blank-padded to
// `width` characters. A template that does not format (a bad translation)
// never throws: the result is the message text followed by the values.
template <typename... Args>
std::string format_message(int n, std::size_t width, const Args&... args) {
  return detail::format_message_values(n, width, detail::message_value(args)...);
}

}  // namespace corvalinde

// Formats a MessageReal as a double, rounding fixed forms half away from zero.
template <>
struct fmt::formatter<corvalinde::detail::MessageReal> : fmt::formatter<double> {
  // Reads the precision and the presentation type, then lets the double
  // formatter parse the same format string.
  auto parse(fmt::format_parse_context& ctx) -> decltype(ctx.begin()) {
    auto it = ctx.begin();
    const auto end = ctx.end();
    for (; it != end && *it != '}'; ++it) {
      if (*it == '.' && it + 1 != end && *(it + 1) >= '0' && *(it + 1) <= '9') {
        int p = 0;
        while (it + 1 != end && *(it + 1) >= '0' && *(it + 1) <= '9') p = p * 10 + (*++it - '0');
        precision_ = p;
      }
      type_ = *it;
    }
    return fmt::formatter<double>::parse(ctx);
  }
  template <typename FormatContext>
  auto format(corvalinde::detail::MessageReal real, FormatContext& ctx) const -> decltype(ctx.out()) {
    double v = real.value;
    if (precision_ >= 0 && (type_ == 'f' || type_ == 'F'))
      v = corvalinde::detail::round_half_away(v, precision_);
    auto out = fmt::formatter<double>::format(v, ctx);
    if (real.region != 0) out = fmt::format_to(out, " ({})", real.region);
    return out;
  }

 private:
  int precision_ = -1;
  char type_ = 0;
};
