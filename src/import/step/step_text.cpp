#include "import/step/step_text.h"

#include <iconv.h>

#include <string>
#include <utility>

#include "import/text_encoding.h"
#include "services/utf8_decoder.h"

namespace corvalinde::step {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of the hex digits, or -1 when one is not a hex digit.
long long hex_value(std::string_view digits) {
  long long value = 0;
  for (const char c : digits) {
    const int d = hex_digit(c);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

std::size_t repair_utf8(std::string& text, std::size_t from) {
  std::size_t i = from;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  if (i == text.size()) return 0;
  std::string out = text.substr(0, i);
  std::size_t replaced = 0;
  while (i < text.size()) {
    const std::size_t length = utf8_sequence_length(text, i);
    if (length != 0) {
      out.append(text, i, length);
      i += length;
    } else {
      append_utf8(out, kReplacement);
      ++replaced;
      ++i;
    }
  }
  text = std::move(out);
  return replaced;
}

StepTextDecoder::~StepTextDecoder() {
  for (void* handle : converters_) {
    if (handle != nullptr && handle != kNoConverter) iconv_close(handle);
  }
}

void StepTextDecoder::reset() {
  page_ = 0;
  wide_digits_ = 0;
  high_surrogate_ = 0;
  replaced_ = 0;
}

void StepTextDecoder::append_code_point(std::string& out, char32_t c) {
  if (high_surrogate_ != 0) {
    if (c >= 0xDC00 && c <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (c - 0xDC00));
      high_surrogate_ = 0;
      return;
    }
    append_utf8(out, kReplacement);
    ++replaced_;
    high_surrogate_ = 0;
  }
  if (c >= 0xD800 && c <= 0xDBFF) {
    high_surrogate_ = c;
  } else if (c >= 0xDC00 && c <= 0xDFFF) {
    append_utf8(out, kReplacement);
    ++replaced_;
  } else {
    append_utf8(out, c);
  }
}

void StepTextDecoder::append_paged(std::string& out, unsigned char byte) {
  if (page_ == 0) {
    append_utf8(out, byte);
    return;
  }
  void*& handle = converters_[static_cast<std::size_t>(page_)];
  if (handle == nullptr) {
    const std::string name = "ISO-8859-" + std::to_string(page_ + 1);
    handle = iconv_open("UTF-8", name.c_str());
  }
  char in[1] = {static_cast<char>(byte)};
  char converted[8] = {};
  char* in_at = in;
  char* out_at = converted;
  std::size_t in_left = 1;
  std::size_t out_left = sizeof converted;
  if (handle != kNoConverter &&
      iconv(handle, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1)) {
    out.append(converted, static_cast<std::size_t>(out_at - converted));
    return;
  }
  if (handle != kNoConverter) iconv(handle, nullptr, nullptr, nullptr, nullptr);
  append_utf8(out, kReplacement);
  ++replaced_;
}

DirectiveResult StepTextDecoder::directive(std::string_view ahead, std::string& out, std::size_t& used) {
  used = 0;
  if (ahead.size() < 2) return DirectiveResult::literal;
  const char kind = ahead[1];
  if (kind == '\\') {
    out += '\\';
    used = 2;
    return DirectiveResult::done;
  }
  if (kind == 'X') {
    if (ahead.size() < 3) return DirectiveResult::literal;
    if (ahead[2] == '\\') {  // \X\hh
      if (ahead.size() < 5) return DirectiveResult::unterminated;
      const long long value = hex_value(ahead.substr(3, 2));
      if (value <= 0) return DirectiveResult::malformed;
      append_utf8(out, static_cast<char32_t>(value));
      used = 5;
      return DirectiveResult::done;
    }
    if ((ahead[2] == '2' || ahead[2] == '4') && ahead.size() >= 4 && ahead[3] == '\\') {
      wide_digits_ = ahead[2] == '2' ? 4 : 8;
      used = 4;
      return DirectiveResult::done;
    }
    return DirectiveResult::literal;
  }
  if (kind == 'S') {
    if (ahead.size() < 3 || ahead[2] != '\\') return DirectiveResult::literal;
    if (ahead.size() < 4) return DirectiveResult::unterminated;
    const auto c = static_cast<unsigned char>(ahead[3]);
    if (c < 0x20 || c > 0x7E) return DirectiveResult::malformed;
    append_paged(out, static_cast<unsigned char>(c + 0x80));
    used = 4;
    return DirectiveResult::done;
  }
  if (kind == 'P') {
    if (ahead.size() >= 4 && ahead[2] >= 'A' && ahead[2] <= 'I' && ahead[3] == '\\') {
      page_ = ahead[2] - 'A';
      used = 4;
      return DirectiveResult::done;
    }
    return DirectiveResult::literal;
  }
  return DirectiveResult::literal;
}

DirectiveResult StepTextDecoder::wide_group(std::string_view ahead, std::string& out, std::size_t& used) {
  used = 0;
  if (ahead.substr(0, 4) == "\\X0\\") {
    if (high_surrogate_ != 0) {
      append_utf8(out, kReplacement);
      ++replaced_;
      high_surrogate_ = 0;
    }
    wide_digits_ = 0;
    used = 4;
    return DirectiveResult::done;
  }
  const auto digits = static_cast<std::size_t>(wide_digits_);
  if (ahead.size() < digits) {
    // Only the end of the input cuts `ahead` short: either it stops inside
    // the group, or a wrong character stands before it does.
    const bool cut_short = hex_value(ahead) >= 0 || std::string_view("\\X0\\").starts_with(ahead);
    return cut_short ? DirectiveResult::unterminated : DirectiveResult::malformed;
  }
  const long long value = hex_value(ahead.substr(0, digits));
  if (value <= 0 || value > 0x10FFFF) return DirectiveResult::malformed;
  if (wide_digits_ == 8 && value >= 0xD800 && value <= 0xDFFF) return DirectiveResult::malformed;
  append_code_point(out, static_cast<char32_t>(value));
  used = digits;
  return DirectiveResult::done;
}

}  // namespace corvalinde::step
