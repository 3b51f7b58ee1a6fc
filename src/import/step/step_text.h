// The character directives of STEP strings, decoded to UTF-8: \\ for a
// backslash, \X\hh (ISO 8859-1), \S\c under the code page \PA\ to \PI\ chose
// (ISO 8859-1 to 9), and the runs \X2\...\X0\ (UTF-16) and \X4\...\X0\ (UCS-4).
// The decoder sees a few bytes ahead of the reader and says how many it took;
// it holds the state of one string (code page, open run).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde::step {

enum class DirectiveResult {
  done,          // decoded: `used` bytes were taken
  literal,       // no directive here: the backslash stands for itself
  malformed,     // a directive with a wrong digit or character
  unterminated,  // the input ends inside a directive
};

// Replaces each byte sequence of `text` from `from` on that is not UTF-8 by
// U+FFFD; returns how many it replaced.
std::size_t repair_utf8(std::string& text, std::size_t from = 0);

class StepTextDecoder {
 public:
  StepTextDecoder() = default;
  StepTextDecoder(const StepTextDecoder&) = delete;
  StepTextDecoder& operator=(const StepTextDecoder&) = delete;
  ~StepTextDecoder();

  // Back to the state at the start of a string.
  void reset();

  // `ahead` starts at a backslash and holds what follows it (short only at
  // the end of the input). Appends the decoded text to out.
  [[nodiscard]] DirectiveResult directive(std::string_view ahead, std::string& out, std::size_t& used);
  // Inside a \X2\ or \X4\ run: one group of hex digits, or the closing \X0\.
  [[nodiscard]] DirectiveResult wide_group(std::string_view ahead, std::string& out, std::size_t& used);
  [[nodiscard]] bool in_wide_run() const { return wide_digits_ != 0; }

  // Characters that became U+FFFD in this string: an unpaired UTF-16
  // surrogate, or a \S\ character its code page does not define.
  [[nodiscard]] std::size_t replaced() const { return replaced_; }

 private:
  void append_code_point(std::string& out, char32_t c);
  void append_paged(std::string& out, unsigned char byte);

  int page_ = 0;         // 0 for \PA\ (ISO 8859-1) up to 8 for \PI\ (ISO 8859-9)
  int wide_digits_ = 0;  // 4 inside \X2\, 8 inside \X4\, else 0
  char32_t high_surrogate_ = 0;
  std::size_t replaced_ = 0;
  std::array<void*, 9> converters_{};  // iconv handles by code page, opened when first needed
};

}  // namespace corvalinde::step
