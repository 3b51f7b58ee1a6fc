// Number and column reading for fixed-column design files, with the rules of
// the program that wrote them: fixed-column fields are read like a formatted
// read (a short line is padded with blanks, blanks inside a numeric field are
// ignored, an all-blank field is 0) and free-format values like a
// list-directed read (blanks or commas separate, exponent forms allowed).
// Nothing here throws or allocates for long: every parser returns std::nullopt
// or a status for text it cannot read, and never yields a non-finite number.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

// One text line addressed by 1-based character columns (UTF-8 characters, not
// bytes). Columns beyond the end of the line read as blanks. The line is
// viewed, not copied: it must outlive the object.
class ColumnLine {
 public:
  explicit ColumnLine(std::string_view line);

  // Characters [first, first + width) as text, blank-padded to `width`
  // characters when the line is shorter.
  std::string field(std::size_t first, std::size_t width) const;
  // The character at column `column` (a blank beyond the line's end). A
  // multi-byte character comes back as its bytes.
  std::string_view character(std::size_t column) const;

  // Length in characters, and without trailing blanks.
  std::size_t length() const { return offsets_.size() - 1; }
  std::size_t trimmed_length() const;

 private:
  std::string_view line_;
  std::vector<std::size_t> offsets_;  // byte offset of each character, then line_.size()
};

// A real number in the notation both readers accept, after blanks are removed:
// optional sign, digits with an optional decimal point (at least one digit),
// then optionally an exponent: E, D or Q (either case) with an optional sign
// and digits, or a bare sign and digits ("1.5-3" is 1.5e-3, the form a
// three-digit exponent is written in). Infinity, NaN and overflow are not
// numbers here; an underflow reads as 0.
[[nodiscard]] std::optional<double> parse_real_token(std::string_view token);

// A decimal integer: optional sign and digits only. Leading zeros are decimal
// ("0012" is twelve). Values outside long long are unreadable.
[[nodiscard]] std::optional<long long> parse_integer_token(std::string_view token);

// Fixed-column numeric fields: blanks anywhere in the field are ignored, an
// all-blank field is 0. A field without a decimal point reads as the number
// written (no implied decimal places).
[[nodiscard]] std::optional<double> read_fixed_real(std::string_view field);
[[nodiscard]] std::optional<long long> read_fixed_integer(std::string_view field);

// Values of one list-directed read, taken from consecutive records (lines).
// Separators are blanks, tabs and a comma with optional blanks around it; the
// end of a record separates too. "r*c" stands for r copies of c. A null value
// (two commas in a row, a leading comma, "r*"), a slash ending the list early
// and any unreadable token are errors, so no value is ever left undefined.
class ListDirectedInput {
 public:
  enum class Result {
    kValue,        // `value` holds the next value
    kEndOfRecord,  // this record has no more values: feed the next one
    kUnreadable,   // the text at the current position is no value
  };

  // Makes `record` the current record (viewed, not copied). Separator state
  // and pending repeats carry over, as they do across records of one read.
  void feed(std::string_view record);

  Result next_real(double& value);
  Result next_integer(long long& value);

 private:
  // Next raw token of the current record, or an empty view at its end.
  Result next_token(std::string_view& token);

  std::string_view record_;
  std::size_t pos_ = 0;
  bool after_comma_ = true;  // a comma now would be a null value
  long long repeat_left_ = 0;
  std::string repeat_token_;  // copied: it may outlive its record
};

// The first value of a list-directed integer read of `text` alone (a header
// field): std::nullopt when `text` holds no value or the first one is no
// integer.
[[nodiscard]] std::optional<long long> read_free_integer(std::string_view text);

}  // namespace corvalinde
