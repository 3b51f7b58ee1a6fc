// A small JSON reader for the reliability tests: the case manifests of the
// bad-input catalogue and the documents corvalinde-cli writes. Parsing
// returns std::nullopt for text that is not exactly one JSON value; strings
// come back as UTF-8 (\u escapes, surrogate pairs included, are decoded).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::reliability {

class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  Kind kind() const { return kind_; }
  bool is(Kind k) const { return kind_ == k; }

  bool boolean() const { return bool_; }
  double number() const { return number_; }
  const std::string& string() const { return string_; }
  const std::vector<JsonValue>& array() const { return array_; }
  const std::map<std::string, JsonValue>& object() const { return object_; }

  // The member `key` of an object, or null when absent (or not an object).
  const JsonValue* find(const std::string& key) const;

  // Parses one JSON document (white space around it allowed).
  static std::optional<JsonValue> parse(std::string_view text);

 private:
  friend class JsonParser;
  Kind kind_ = Kind::kNull;
  bool bool_ = false;
  double number_ = 0.0;
  std::string string_;
  std::vector<JsonValue> array_;
  std::map<std::string, JsonValue> object_;
};

}  // namespace corvalinde::reliability
