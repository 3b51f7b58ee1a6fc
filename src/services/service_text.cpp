#include "services/service_text.h"

#include "services/utf8_decoder.h"

namespace corvalinde::service_text {

std::size_t char_size(std::string_view text, std::size_t i) {
  const std::size_t length = utf8_sequence_length(text, i);
  return length == 0 ? 1 : length;
}

std::size_t char_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); i += char_size(text, i)) ++count;
  return count;
}

std::string_view char_prefix(std::string_view text, std::size_t width) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < text.size() && count < width; ++count) i += char_size(text, i);
  return text.substr(0, i);
}

std::string fit(std::string_view text, std::size_t width) {
  std::string out(char_prefix(text, width));
  const std::size_t have = char_count(out);
  if (have < width) out.append(width - have, ' ');
  return out;
}

std::string_view trim_right(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

std::string_view trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return text.substr(first, last - first);
}

std::string to_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string to_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace corvalinde::service_text
