#include "json_value.h"

#include <charconv>
#include <cstdint>

namespace corvalinde::reliability {

// Recursive descent over the text; nesting is bounded so that a hostile
// document cannot exhaust the stack.
class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : s_(text) {}

  std::optional<JsonValue> document() {
    JsonValue v;
    skip();
    if (!value(v, 0)) return std::nullopt;
    skip();
    if (i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  static constexpr int kMaxDepth = 64;

  void skip() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }

  bool literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  static void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool hex4(std::uint32_t& cp) {
    if (i_ + 4 > s_.size()) return false;
    const auto [end, error] = std::from_chars(s_.data() + i_, s_.data() + i_ + 4, cp, 16);
    if (error != std::errc() || end != s_.data() + i_ + 4) return false;
    i_ += 4;
    return true;
  }

  bool string(std::string& out) {
    if (i_ >= s_.size() || s_[i_] != '"') return false;
    ++i_;
    while (i_ < s_.size()) {
      const char c = s_[i_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      const char e = s_[i_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t cp = 0;
          if (!hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            std::uint32_t low = 0;
            if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            return false;
          }
          append_utf8(out, cp);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool number(double& out) {
    const std::size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    while (i_ < s_.size() && ((s_[i_] >= '0' && s_[i_] <= '9') || s_[i_] == '.' || s_[i_] == 'e' ||
                              s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-')) {
      ++i_;
    }
    const auto [end, error] = std::from_chars(s_.data() + start, s_.data() + i_, out);
    return i_ > start && error == std::errc() && end == s_.data() + i_;
  }

  bool value(JsonValue& v, int depth) {
    if (depth > kMaxDepth || i_ >= s_.size()) return false;
    switch (s_[i_]) {
      case '{': {
        v.kind_ = JsonValue::Kind::kObject;
        ++i_;
        skip();
        if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
        while (true) {
          std::string key;
          skip();
          if (!string(key)) return false;
          skip();
          if (i_ >= s_.size() || s_[i_] != ':') return false;
          ++i_;
          skip();
          JsonValue member;
          if (!value(member, depth + 1)) return false;
          v.object_[key] = std::move(member);
          skip();
          if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
          if (i_ >= s_.size() || s_[i_] != ',') return false;
          ++i_;
        }
      }
      case '[': {
        v.kind_ = JsonValue::Kind::kArray;
        ++i_;
        skip();
        if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
        while (true) {
          skip();
          JsonValue item;
          if (!value(item, depth + 1)) return false;
          v.array_.push_back(std::move(item));
          skip();
          if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
          if (i_ >= s_.size() || s_[i_] != ',') return false;
          ++i_;
        }
      }
      case '"':
        v.kind_ = JsonValue::Kind::kString;
        return string(v.string_);
      case 't':
        v.kind_ = JsonValue::Kind::kBool;
        v.bool_ = true;
        return literal("true");
      case 'f':
        v.kind_ = JsonValue::Kind::kBool;
        return literal("false");
      case 'n':
        return literal("null");
      default:
        v.kind_ = JsonValue::Kind::kNumber;
        return number(v.number_);
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

const JsonValue* JsonValue::find(const std::string& key) const {
  if (kind_ != Kind::kObject) return nullptr;
  const auto it = object_.find(key);
  return it == object_.end() ? nullptr : &it->second;
}

std::optional<JsonValue> JsonValue::parse(std::string_view text) {
  return JsonParser(text).document();
}

}  // namespace corvalinde::reliability
