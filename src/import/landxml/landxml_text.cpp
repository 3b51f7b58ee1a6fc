#include "import/landxml/landxml_text.h"

#include <array>
#include <cstdint>

#include "import/text_encoding.h"
#include "output/utf8.h"
#include "output/visible_text.h"
#include "services/utf8_decoder.h"

namespace corvalinde {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Code points of the bytes 0x80 to 0x9F in windows-1252 (0 where the code page
// has no character).
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t windows1252_char(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) {
    const char32_t c = kWindows1252High[byte - 0x80];
    return c != 0 ? c : kReplacementCharacter;
  }
  return byte;
}

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// The character a reference body ("amp", "#38", "#x26") names; false when the
// body names none that we know.
bool reference_character(std::string_view body, char32_t& c) {
  if (body == "amp")
    c = '&';
  else if (body == "lt")
    c = '<';
  else if (body == "gt")
    c = '>';
  else if (body == "quot")
    c = '"';
  else if (body == "apos")
    c = '\'';
  else if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t value = 0;
    for (const char d : digits) {
      if (hex ? !is_hex_digit(d) : !(d >= '0' && d <= '9')) return false;
      value = value * (hex ? 16U : 10U) + static_cast<std::uint32_t>(hex ? hex_value(d) : d - '0');
    }
    c = value;
  } else {
    return false;
  }
  return true;
}

bool is_unusable_char(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF || c == 0xFEFF;
}

}  // namespace

LandXmlEncoding encoding_from_declaration(std::string_view declared) {
  std::string name;
  for (const char c : declared) {
    if (c == ' ' || c == '\t') continue;
    name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO_8859-1" || name == "LATIN1" ||
      name == "LATIN-1" || name == "WINDOWS-1252" || name == "CP1252" || name == "ISO-8859-15") {
    return LandXmlEncoding::kWindows1252;
  }
  return LandXmlEncoding::kUtf8;
}

std::string text_to_utf8(std::string_view raw, LandXmlEncoding encoding) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size();) {
    const auto byte = static_cast<unsigned char>(raw[i]);
    if (encoding == LandXmlEncoding::kUtf8) {
      const std::size_t length = utf8_sequence_length(raw, i);
      if (length > 0) {
        out.append(raw.substr(i, length));
        i += length;
        continue;
      }
    }
    append_utf8(out, windows1252_char(byte));
    ++i;
  }
  return out;
}

std::string replace_references(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      const std::size_t semicolon = text.find(';', i + 1);
      char32_t c = 0;
      if (semicolon != std::string_view::npos && semicolon - i <= 12 &&
          reference_character(text.substr(i + 1, semicolon - i - 1), c)) {
        append_utf8(out, is_unusable_char(c) ? U' ' : c);
        i = semicolon;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string display_name(std::string_view raw, LandXmlEncoding encoding, std::size_t width) {
  std::string name = replace_references(text_to_utf8(raw, encoding));
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  // A byte-order mark inside a name shows as nothing useful.
  for (std::size_t at = name.find("\xEF\xBB\xBF"); at != std::string::npos; at = name.find("\xEF\xBB\xBF")) {
    name.erase(at, 3);
  }
  const std::string_view trimmed = trim_right(name);
  std::size_t first = 0;
  while (first < trimmed.size() && trimmed[first] == ' ') ++first;
  // C1 controls (from a windows-1252 byte or a reference) are made visible.
  return std::string(utf8_prefix(visible_text(trimmed.substr(first)), width));
}

}  // namespace corvalinde
