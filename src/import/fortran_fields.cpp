#include "import/fortran_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "output/utf8.h"

namespace corvalinde {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_blank_char(char c) {
  return c == ' ' || c == '\t';
}
bool is_list_separator(char c) {
  return is_blank_char(c) || c == ',' || c == '/';
}

// Scans a run of digits from t[i]; returns how many there were.
std::size_t scan_digits(std::string_view t, std::size_t& i) {
  const std::size_t start = i;
  while (i < t.size() && is_digit(t[i])) ++i;
  return i - start;
}

std::string without_blanks(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (const char c : field) {
    if (!is_blank_char(c)) out += c;
  }
  return out;
}

}  // namespace

ColumnLine::ColumnLine(std::string_view line) : line_(line) {
  offsets_.reserve(line.size() + 1);
  std::string_view rest = line;
  std::size_t offset = 0;
  while (!rest.empty()) {
    offsets_.push_back(offset);
    const std::size_t n = utf8_prefix(rest, 1).size();
    offset += n;
    rest.remove_prefix(n);
  }
  offsets_.push_back(line.size());
}

std::string ColumnLine::field(std::size_t first, std::size_t width) const {
  std::string out;
  const std::size_t count = length();
  if (first >= 1 && first <= count) {
    const std::size_t last = std::min(count, first - 1 + width);  // exclusive, 0-based
    const std::size_t begin = offsets_[first - 1];
    out.assign(line_.substr(begin, offsets_[last] - begin));
    width -= last - (first - 1);
  }
  out.append(width, ' ');
  return out;
}

std::string_view ColumnLine::character(std::size_t column) const {
  if (column < 1 || column > length()) return " ";
  return line_.substr(offsets_[column - 1], offsets_[column] - offsets_[column - 1]);
}

std::size_t ColumnLine::trimmed_length() const {
  std::size_t n = length();
  while (n > 0 && line_[offsets_[n - 1]] == ' ') --n;
  return n;
}

std::optional<double> parse_real_token(std::string_view t) {
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const std::size_t mantissa_begin = i;
  std::size_t digits = scan_digits(t, i);
  if (i < t.size() && t[i] == '.') {
    ++i;
    digits += scan_digits(t, i);
  }
  if (digits == 0) return std::nullopt;
  const std::string_view mantissa = t.substr(mantissa_begin, i - mantissa_begin);

  bool exponent_negative = false;
  std::string_view exponent;
  if (i < t.size()) {
    const char c = t[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
    if (!letter && c != '+' && c != '-') return std::nullopt;
    if (letter) ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
      exponent_negative = t[i] == '-';
      ++i;
    } else if (!letter) {
      return std::nullopt;
    }
    const std::size_t exponent_begin = i;
    if (scan_digits(t, i) == 0 || i != t.size()) return std::nullopt;
    exponent = t.substr(exponent_begin);
  }

  std::string text(mantissa);
  if (!exponent.empty()) {
    text += exponent_negative ? "e-" : "e";
    text += exponent;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Too small to represent reads as zero; too large is no number here.
    if (!exponent_negative) return std::nullopt;
    value = 0.0;
  } else if (error != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::optional<long long> parse_integer_token(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  if (scan_digits(t, i) == 0 || i != t.size()) return std::nullopt;
  // from_chars takes a minus sign but no plus sign.
  const std::size_t skip = t[0] == '+' ? 1 : 0;
  long long value = 0;
  const auto [end, error] = std::from_chars(t.data() + skip, t.data() + t.size(), value, 10);
  if (error != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

std::optional<double> read_fixed_real(std::string_view field) {
  const std::string text = without_blanks(field);
  if (text.empty()) return 0.0;
  return parse_real_token(text);
}

std::optional<long long> read_fixed_integer(std::string_view field) {
  const std::string text = without_blanks(field);
  if (text.empty()) return 0;
  return parse_integer_token(text);
}

void ListDirectedInput::feed(std::string_view record) {
  record_ = record;
  pos_ = 0;
}

ListDirectedInput::Result ListDirectedInput::next_token(std::string_view& token) {
  if (repeat_left_ > 0) {
    --repeat_left_;
    token = repeat_token_;
    return Result::kValue;
  }
  while (true) {
    while (pos_ < record_.size() && is_blank_char(record_[pos_])) ++pos_;
    if (pos_ >= record_.size()) return Result::kEndOfRecord;
    const char c = record_[pos_];
    if (c == ',') {
      if (after_comma_) return Result::kUnreadable;  // null value
      after_comma_ = true;
      ++pos_;
      continue;
    }
    if (c == '/') return Result::kUnreadable;  // the list ends before all values are read
    break;
  }
  const std::size_t start = pos_;
  while (pos_ < record_.size() && !is_list_separator(record_[pos_])) ++pos_;
  const std::string_view raw = record_.substr(start, pos_ - start);
  after_comma_ = false;

  const std::size_t star = raw.find('*');
  if (star == std::string_view::npos) {
    token = raw;
    return Result::kValue;
  }
  const std::string_view count_text = raw.substr(0, star);
  const std::string_view value_text = raw.substr(star + 1);
  std::size_t i = 0;
  if (count_text.empty() || scan_digits(count_text, i) != count_text.size() || value_text.empty()) {
    return Result::kUnreadable;
  }
  const std::optional<long long> count = parse_integer_token(count_text);
  if (!count || *count < 1) return Result::kUnreadable;
  repeat_token_.assign(value_text);
  repeat_left_ = *count - 1;
  token = repeat_token_;
  return Result::kValue;
}

ListDirectedInput::Result ListDirectedInput::next_real(double& value) {
  std::string_view token;
  const Result result = next_token(token);
  if (result != Result::kValue) return result;
  const std::optional<double> parsed = parse_real_token(token);
  if (!parsed) return Result::kUnreadable;
  value = *parsed;
  return Result::kValue;
}

ListDirectedInput::Result ListDirectedInput::next_integer(long long& value) {
  std::string_view token;
  const Result result = next_token(token);
  if (result != Result::kValue) return result;
  const std::optional<long long> parsed = parse_integer_token(token);
  if (!parsed) return Result::kUnreadable;
  value = *parsed;
  return Result::kValue;
}

std::optional<long long> read_free_integer(std::string_view text) {
  ListDirectedInput input;
  input.feed(text);
  long long value = 0;
  if (input.next_integer(value) != ListDirectedInput::Result::kValue) return std::nullopt;
  return value;
}

}  // namespace corvalinde
