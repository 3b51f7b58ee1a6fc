#include "import/landxml/landxml_attributes.h"

#include <charconv>
#include <cmath>

#include "output/utf8.h"

namespace corvalinde {
namespace {

bool is_quote(char c) {
  return c == '"' || c == '\'';
}

// The value as written, without the quotes that delimit it.
std::string_view unquoted(const char* value) {
  std::string_view text(value);
  if (text.size() >= 2 && is_quote(text.front()) && text.back() == text.front()) {
    return text.substr(1, text.size() - 2);
  }
  // A lone opening quote (the parser never leaves one, an added attribute may).
  if (!text.empty() && is_quote(text.front())) text.remove_prefix(1);
  return text;
}

bool is_item_separator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '/';
}
bool is_blank_char(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

int XML_FIND_ATTRIBUTE_STR(const XmlElement& element, std::string_view name, std::string& text,
                           std::size_t width) {
  const XmlAttribute* attribute = find_attribute(element, name);
  if (attribute == nullptr) {
    text.assign(width, ' ');
    return -1;
  }
  const std::string_view value =
      attribute->value != nullptr ? unquoted(attribute->value) : std::string_view();
  const std::string_view copied = utf8_prefix(value, width);
  text = utf8_fit(copied, width);
  return static_cast<int>(utf8_length(copied));
}

bool XML_FIND_ATTRIBUTE_REAL8(const XmlElement& element, std::string_view name, double& value) {
  const XmlAttribute* attribute = find_attribute(element, name);
  if (attribute == nullptr || attribute->value == nullptr) return false;
  std::string_view text = unquoted(attribute->value);
  return read_free_format_real(text, value);
}

bool XML_FIND_ATTRIBUTE_INT4(const XmlElement& element, std::string_view name, std::int32_t& value) {
  const XmlAttribute* attribute = find_attribute(element, name);
  if (attribute == nullptr || attribute->value == nullptr) return false;
  std::string_view text = unquoted(attribute->value);
  while (!text.empty() && is_blank_char(text.front())) text.remove_prefix(1);
  std::size_t end = 0;
  while (end < text.size() && !is_item_separator(text[end])) ++end;
  std::string_view item = text.substr(0, end);
  if (!item.empty() && item.front() == '+') item.remove_prefix(1);
  if (item.empty()) return false;
  std::int32_t read = 0;
  const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), read);
  if (ec != std::errc{} || ptr != item.data() + item.size()) return false;
  value = read;
  return true;
}

std::string PELQNODENAME_OBJ(const XmlElement& element) {
  return utf8_fit(element.name != nullptr ? std::string_view(element.name) : std::string_view(),
                  kLandXmlNameWidth);
}

std::string PELQNODENAME_PTR(const XmlElement* element) {
  return element != nullptr ? PELQNODENAME_OBJ(*element) : std::string(kLandXmlNameWidth, ' ');
}

std::string XML_STRDUP(std::string_view padded) {
  return std::string(trim_right(padded));
}

std::string attribute_text(const XmlElement& element, std::string_view name) {
  const XmlAttribute* attribute = find_attribute(element, name);
  if (attribute == nullptr || attribute->value == nullptr) return {};
  return std::string(trim_right(unquoted(attribute->value)));
}

std::string to_capitals(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool read_free_format_real(std::string_view& text, double& value) {
  std::size_t begin = 0;
  while (begin < text.size() && is_blank_char(text[begin])) ++begin;
  if (begin < text.size() && text[begin] == ',') {
    // An empty item before the comma: nothing to read.
    return false;
  }
  std::size_t end = begin;
  while (end < text.size() && !is_item_separator(text[end])) ++end;
  std::string item(text.substr(begin, end - begin));
  if (!item.empty() && item.front() == '+') item.erase(0, 1);
  // Fortran writes the exponent of a double with D.
  for (char& c : item) {
    if (c == 'D' || c == 'd') c = 'e';
  }
  if (item.empty()) return false;
  const char first = item.front() == '-' && item.size() > 1 ? item[1] : item.front();
  // Only numbers: no "inf", "nan" or hexadecimal forms.
  if (!((first >= '0' && first <= '9') || first == '.')) return false;
  for (const char c : item) {
    if (c == 'x' || c == 'X') return false;
  }
  double read = 0.0;
  const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), read);
  if (ec != std::errc{} || ptr != item.data() + item.size() || !std::isfinite(read)) return false;
  value = read;
  // Past the item and one separator (blanks around a comma count as one).
  while (end < text.size() && is_blank_char(text[end])) ++end;
  if (end < text.size() && text[end] == ',') ++end;
  text.remove_prefix(end);
  return true;
}

std::string_view first_text_run(const XmlElement& element) {
  for (const XmlEntry& entry : element.children()) {
    if (const XmlText* text = entry.text()) return text->value != nullptr ? text->value : "";
  }
  return {};
}

XmlElement* child_element(const XmlElement& element, std::string_view name) {
  for (const XmlEntry& entry : element.children()) {
    XmlElement* child = entry.element();
    if (child != nullptr && child->name != nullptr && name == child->name) return child;
  }
  return nullptr;
}

int child_element_count(const XmlElement& element) {
  int count = 0;
  for (const XmlEntry& entry : element.children()) {
    if (entry.element() != nullptr) ++count;
  }
  return count;
}

}  // namespace corvalinde
