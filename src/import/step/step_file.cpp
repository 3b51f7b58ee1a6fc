#include "import/step/step_file.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <unordered_map>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include "import/content_digest.h"
#include "import/step/step_text.h"

namespace corvalinde::step {
namespace {

constexpr std::uint32_t kIndexLimit = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kChunkSize = std::size_t{1} << 20;
constexpr std::size_t kLookahead = 16;  // bytes a token may look ahead of where it stands
constexpr int kPositionLimit = std::numeric_limits<int>::max();  // lines and columns stop there

char upper_ascii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}
bool is_letter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_keyword_char(int c) {
  return is_letter(c) || is_digit(c) || c == '_' || c == '-';
}

std::string upper(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = upper_ascii(c);
  return out;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The bytes being read: a text in memory, or a file read a chunk at a time.
// Tracks the line and column (in characters) of the next byte.
class Source {
 public:
  explicit Source(std::string_view text) : pos_(text.data()), end_(text.data() + text.size()) {}
  // digest, when given, receives every byte as it is read from the file.
  Source(std::FILE* file, ContentDigest* digest)
      : file_(file), digest_(digest), buffer_(kChunkSize + kLookahead) {
    pos_ = end_ = buffer_.data();
  }

  // The byte `ahead` places on (ahead < kLookahead), or -1 past the end.
  int peek(std::size_t ahead = 0) {
    if (static_cast<std::size_t>(end_ - pos_) <= ahead) {
      refill();
      if (static_cast<std::size_t>(end_ - pos_) <= ahead) return -1;
    }
    return static_cast<unsigned char>(pos_[ahead]);
  }

  void advance() {
    const auto c = static_cast<unsigned char>(*pos_++);
    if (c == '\n') {
      if (line_ < kPositionLimit) ++line_;
      column_ = 1;
    } else if ((c & 0xC0) != 0x80 && column_ < kPositionLimit) {
      ++column_;
    }
  }

  [[nodiscard]] int line() const { return line_; }
  [[nodiscard]] int column() const { return column_; }
  [[nodiscard]] bool failed() const { return failed_; }

  // Reads what is left of the file after the reading stopped, so that the
  // digest covers the whole file; false when the system failed to read it.
  bool read_rest_for_digest() {
    if (file_ == nullptr || failed_) return false;
    while (!at_end_) {
      pos_ = end_;
      refill();
    }
    return !failed_;
  }

 private:
  // Moves what is left to the front of the buffer and reads after it.
  void refill() {
    if (file_ == nullptr || at_end_) return;
    const auto left = static_cast<std::size_t>(end_ - pos_);
    std::copy(pos_, end_, buffer_.data());
    const std::size_t got = std::fread(buffer_.data() + left, 1, buffer_.size() - left, file_);
    if (digest_ != nullptr) digest_->add(std::string_view(buffer_.data() + left, got));
    if (got < buffer_.size() - left) {
      at_end_ = true;
      failed_ = std::ferror(file_) != 0;
    }
    pos_ = buffer_.data();
    end_ = buffer_.data() + left + got;
  }

  std::FILE* file_ = nullptr;
  ContentDigest* digest_ = nullptr;
  std::vector<char> buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  bool at_end_ = false;
  bool failed_ = false;
  int line_ = 1;
  int column_ = 1;
};

enum class Token {
  end,
  instance_name,  // #12
  equals,
  open,
  close,
  comma,
  semicolon,
  keyword,  // upper-cased in token text
  string,   // decoded in token text
  enumeration,
  binary,
  integer,
  real,
  unset,
  derived,
  error,
};

}  // namespace

// Reads tokens from a Source and fills a StepFile; stops at the first error.
class StepReader {
 public:
  StepReader(Source& source, StepFile& file) : source_(source), file_(file) {}
  // input_size: the bytes to read when known, to size the store once (pages
  // reserved beyond what the file needs are never touched).
  StepReadStatus run(std::size_t input_size);

 private:
  StepReadStatus read_all();
  using Value = StepFile::Value;
  struct Frame {
    std::size_t marker = 0;  // where this list's members start in pending_
    std::uint32_t type = 0;  // for a typed value: its type name
    bool typed = false;
  };

  Token next();
  Token fail(StepError error) {
    // A token cut off by the end of the input is a file that ends early,
    // unless the input ended because the system failed to read on.
    if (error == StepError::unexpected_token && source_.peek() < 0) error = StepError::truncated;
    if (source_.failed()) error = StepError::read_failed;
    if (status_.error == StepError::none) {
      status_.error = error;
      status_.line = token_line_;
      status_.column = token_column_;
    }
    return Token::error;
  }
  void skip_space_and_comments();
  Token read_number();
  Token read_string();
  Token read_binary();
  Token read_enumeration();
  Token read_keyword();

  bool expect(Token wanted);
  bool expect_keyword(std::string_view word);
  bool read_header();
  bool read_data();
  bool read_instance();
  // After "(": the members up to the matching ")", appended to the store;
  // first and count of the top-level members come back.
  bool read_parameters(std::uint32_t& first, std::uint32_t& count);
  bool value_from_token(Token token, Value& value);
  bool store(std::span<const Value> values, std::uint32_t& first);
  bool store_text(std::string_view text, Value& value);
  std::uint32_t intern(const std::string& upper_name);

  Source& source_;
  StepFile& file_;
  StepReadStatus status_;
  std::string token_text_;
  std::int64_t token_integer_ = 0;
  double token_real_ = 0.0;
  std::uint64_t token_id_ = 0;
  int token_line_ = 1;
  int token_column_ = 1;
  std::vector<Value> pending_;
  std::vector<Frame> frames_;
  StepTextDecoder decoder_;
};

void StepReader::skip_space_and_comments() {
  for (;;) {
    const int c = source_.peek();
    if (c < 0) return;
    if (c <= ' ' || c == 0x7F) {
      source_.advance();
    } else if (c == '/' && source_.peek(1) == '*') {
      token_line_ = source_.line();
      token_column_ = source_.column();
      source_.advance();
      source_.advance();
      for (;;) {
        const int d = source_.peek();
        if (d < 0) {
          fail(StepError::unterminated_string);
          return;
        }
        if (d == '*' && source_.peek(1) == '/') {
          source_.advance();
          source_.advance();
          break;
        }
        source_.advance();
      }
    } else {
      return;
    }
  }
}

Token StepReader::next() {
  skip_space_and_comments();
  if (status_.error != StepError::none) return Token::error;
  token_line_ = source_.line();
  token_column_ = source_.column();
  const int c = source_.peek();
  if (c < 0) return source_.failed() ? fail(StepError::read_failed) : Token::end;
  switch (c) {
    case '=':
      source_.advance();
      return Token::equals;
    case '(':
      source_.advance();
      return Token::open;
    case ')':
      source_.advance();
      return Token::close;
    case ',':
      source_.advance();
      return Token::comma;
    case ';':
      source_.advance();
      return Token::semicolon;
    case '$':
      source_.advance();
      return Token::unset;
    case '*':
      source_.advance();
      return Token::derived;
    case '\'':
      return read_string();
    case '"':
      return read_binary();
    case '.':
      return read_enumeration();
    case '#': {
      source_.advance();
      if (!is_digit(source_.peek())) return fail(StepError::unexpected_token);
      std::uint64_t id = 0;
      while (is_digit(source_.peek())) {
        const auto digit = static_cast<std::uint64_t>(source_.peek() - '0');
        if (id > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
          return fail(StepError::number_out_of_range);
        id = id * 10 + digit;
        source_.advance();
      }
      token_id_ = id;
      return Token::instance_name;
    }
    default:
      break;
  }
  if (is_digit(c) || c == '-' || c == '+') return read_number();
  if (is_letter(c) || c == '!') return read_keyword();
  if (c == '/' && source_.peek(1) < 0) return fail(StepError::truncated);  // a comment cut short
  return fail(StepError::unexpected_token);
}

Token StepReader::read_number() {
  token_text_.clear();
  bool is_real = false;
  const int sign = source_.peek();
  if (sign == '-' || sign == '+') {
    if (sign == '-') token_text_ += '-';
    source_.advance();
  }
  auto digits = [this] {
    std::size_t n = 0;
    while (is_digit(source_.peek())) {
      token_text_ += static_cast<char>(source_.peek());
      source_.advance();
      ++n;
    }
    return n;
  };
  if (digits() == 0) return fail(StepError::unexpected_token);
  if (source_.peek() == '.') {
    is_real = true;
    token_text_ += '.';
    source_.advance();
    digits();
  }
  // Some writers leave out the point before an exponent: 5E-04.
  const int e = source_.peek();
  if (e == 'E' || e == 'e') {
    is_real = true;
    token_text_ += 'E';
    source_.advance();
    const int s = source_.peek();
    if (s == '-' || s == '+') {
      token_text_ += static_cast<char>(s);
      source_.advance();
    }
    if (digits() == 0) return fail(StepError::unexpected_token);
  }
  if (is_keyword_char(source_.peek()) || source_.peek() == '.') return fail(StepError::unexpected_token);
  const char* begin = token_text_.data();
  const char* end = begin + token_text_.size();
  if (is_real) {
    const auto [ptr, ec] = std::from_chars(begin, end, token_real_);
    if (ec != std::errc() || ptr != end || !std::isfinite(token_real_))
      return fail(StepError::number_out_of_range);
    return Token::real;
  }
  const auto [ptr, ec] = std::from_chars(begin, end, token_integer_);
  if (ec != std::errc() || ptr != end) return fail(StepError::number_out_of_range);
  return Token::integer;
}

Token StepReader::read_string() {
  source_.advance();
  token_text_.clear();
  decoder_.reset();
  for (;;) {
    const int c = source_.peek();
    if (c < 0) return fail(StepError::unterminated_string);
    if (c == '\'') {
      source_.advance();
      if (source_.peek() != '\'') break;
      token_text_ += '\'';
      source_.advance();
      continue;
    }
    if (c != '\\') {
      token_text_ += static_cast<char>(c);
      source_.advance();
      continue;
    }
    // A directive: look at what follows the backslash, bounded by kLookahead.
    char ahead[kLookahead] = {};
    std::size_t have = 0;
    while (have < kLookahead - 1) {
      const int d = source_.peek(have);
      if (d < 0) break;
      ahead[have++] = static_cast<char>(d);
    }
    std::size_t used = 0;
    switch (decoder_.directive(std::string_view(ahead, have), token_text_, used)) {
      case DirectiveResult::done:
        break;
      case DirectiveResult::literal:
        used = 1;
        token_text_ += '\\';
        break;
      case DirectiveResult::malformed:
        return fail(StepError::bad_string_encoding);
      case DirectiveResult::unterminated:
        return fail(StepError::unterminated_string);
    }
    for (std::size_t i = 0; i < used; ++i) source_.advance();
    if (decoder_.in_wide_run()) {
      // \X2\ and \X4\: hex groups up to \X0\, read a group at a time.
      for (;;) {
        have = 0;
        while (have < kLookahead - 1) {
          const int d = source_.peek(have);
          if (d < 0) break;
          ahead[have++] = static_cast<char>(d);
        }
        used = 0;
        const DirectiveResult r = decoder_.wide_group(std::string_view(ahead, have), token_text_, used);
        if (r == DirectiveResult::malformed) return fail(StepError::bad_string_encoding);
        if (r == DirectiveResult::unterminated) return fail(StepError::unterminated_string);
        for (std::size_t i = 0; i < used; ++i) source_.advance();
        if (!decoder_.in_wide_run()) break;
      }
    }
  }
  status_.replaced_characters += decoder_.replaced() + repair_utf8(token_text_);
  return Token::string;
}

Token StepReader::read_binary() {
  source_.advance();
  token_text_.clear();
  for (;;) {
    const int c = source_.peek();
    if (c < 0) return fail(StepError::unterminated_string);
    source_.advance();
    if (c == '"') break;
    const bool hex = is_digit(c) || (c >= 'A' && c <= 'F');
    if (!hex) return fail(StepError::unexpected_token);
    token_text_ += static_cast<char>(c);
  }
  if (token_text_.empty() || token_text_[0] > '3') return fail(StepError::unexpected_token);
  return Token::binary;
}

Token StepReader::read_enumeration() {
  source_.advance();
  token_text_.clear();
  while (is_letter(source_.peek()) || is_digit(source_.peek()) || source_.peek() == '_') {
    token_text_ += upper_ascii(static_cast<char>(source_.peek()));
    source_.advance();
  }
  if (token_text_.empty() || source_.peek() != '.') return fail(StepError::unexpected_token);
  source_.advance();
  return Token::enumeration;
}

Token StepReader::read_keyword() {
  token_text_.clear();
  token_text_ += static_cast<char>(source_.peek());
  source_.advance();
  while (is_keyword_char(source_.peek())) {
    token_text_ += upper_ascii(static_cast<char>(source_.peek()));
    source_.advance();
  }
  token_text_[0] = upper_ascii(token_text_[0]);
  return Token::keyword;
}

bool StepReader::expect(Token wanted) {
  const Token t = next();
  if (t == wanted) return true;
  if (t == Token::end) fail(StepError::truncated);
  if (t != Token::error) fail(StepError::unexpected_token);
  return false;
}

bool StepReader::expect_keyword(std::string_view word) {
  if (!expect(Token::keyword)) return false;
  if (token_text_ == word) return true;
  fail(StepError::unexpected_token);
  return false;
}

std::uint32_t StepReader::intern(const std::string& upper_name) {
  const auto found = file_.type_lookup_.find(upper_name);
  if (found != file_.type_lookup_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(file_.type_names_.size());
  file_.type_names_.push_back(upper_name);
  file_.type_lookup_.emplace(upper_name, index);
  return index;
}

bool StepReader::store(std::span<const Value> values, std::uint32_t& first) {
  if (file_.values_.size() + values.size() >= kIndexLimit) {
    fail(StepError::too_large);
    return false;
  }
  first = static_cast<std::uint32_t>(file_.values_.size());
  file_.values_.insert(file_.values_.end(), values.begin(), values.end());
  return true;
}

bool StepReader::store_text(std::string_view text, Value& value) {
  if (text.size() >= kIndexLimit) {
    fail(StepError::too_large);
    return false;
  }
  value.a = static_cast<std::uint32_t>(text.size());
  value.b = file_.text_.size();
  file_.text_.append(text);
  return true;
}

bool StepReader::value_from_token(Token token, Value& value) {
  value = Value{};
  switch (token) {
    case Token::unset:
      value.kind = StepValueKind::unset;
      return true;
    case Token::derived:
      value.kind = StepValueKind::derived;
      return true;
    case Token::integer:
      value.kind = StepValueKind::integer;
      value.b = static_cast<std::uint64_t>(token_integer_);
      return true;
    case Token::real:
      value.kind = StepValueKind::real;
      value.b = std::bit_cast<std::uint64_t>(token_real_);
      return true;
    case Token::instance_name:
      value.kind = StepValueKind::reference;
      value.b = token_id_;
      return true;
    case Token::string:
      value.kind = StepValueKind::string;
      return store_text(token_text_, value);
    case Token::enumeration:
      value.kind = StepValueKind::enumeration;
      return store_text(token_text_, value);
    case Token::binary:
      value.kind = StepValueKind::binary;
      return store_text(token_text_, value);
    default:
      return false;
  }
}

bool StepReader::read_parameters(std::uint32_t& first, std::uint32_t& count) {
  // Iterative: nesting depth costs a frame each, never a call.
  pending_.clear();
  frames_.clear();
  frames_.push_back(Frame{});
  bool expect_value = true;  // at a list's start or after a comma
  bool at_start = true;
  while (!frames_.empty()) {
    Token t = next();
    if (t == Token::error) return false;
    if (t == Token::end) {
      fail(StepError::truncated);
      return false;
    }
    if (!expect_value) {
      if (t == Token::comma && !frames_.back().typed) {
        expect_value = true;
        at_start = false;
        continue;
      }
      if (t != Token::close) {
        fail(StepError::unexpected_token);
        return false;
      }
    } else if (t == Token::close && !(at_start && !frames_.back().typed)) {
      fail(StepError::unexpected_token);
      return false;
    }
    if (t == Token::close) {
      const Frame frame = frames_.back();
      frames_.pop_back();
      const std::span<const Value> members(pending_.data() + frame.marker, pending_.size() - frame.marker);
      std::uint32_t at = 0;
      if (!store(members, at)) return false;
      if (frames_.empty()) {
        first = at;
        count = static_cast<std::uint32_t>(members.size());
        return true;
      }
      Value made;
      if (frame.typed) {
        made.kind = StepValueKind::typed;
        made.a = frame.type;
      } else {
        made.kind = StepValueKind::list;
        made.a = static_cast<std::uint32_t>(members.size());
      }
      made.b = at;
      pending_.resize(frame.marker);
      pending_.push_back(made);
      expect_value = false;
      continue;
    }
    if (t == Token::open) {
      frames_.push_back(Frame{pending_.size(), 0, false});
      at_start = true;
      continue;
    }
    if (t == Token::keyword) {
      const std::uint32_t type = intern(token_text_);
      if (!expect(Token::open)) return false;
      frames_.push_back(Frame{pending_.size(), type, true});
      at_start = true;
      continue;
    }
    Value value;
    if (!value_from_token(t, value)) {
      fail(StepError::unexpected_token);
      return false;
    }
    pending_.push_back(value);
    expect_value = false;
  }
  return false;
}

bool StepReader::read_header() {
  for (;;) {
    const Token t = next();
    if (t == Token::error) return false;
    if (t != Token::keyword) {
      fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
      return false;
    }
    if (token_text_ == "ENDSEC") return expect(Token::semicolon);
    StepInstance entity;
    entity.line = static_cast<std::uint32_t>(token_line_);
    entity.type = intern(token_text_);
    if (!expect(Token::open) || !read_parameters(entity.first, entity.count) || !expect(Token::semicolon))
      return false;
    file_.header_.push_back(entity);
  }
}

bool StepReader::read_instance() {
  StepInstance instance;
  instance.id = token_id_;
  instance.line = static_cast<std::uint32_t>(token_line_);
  if (!expect(Token::equals)) return false;
  Token t = next();
  if (t == Token::keyword) {
    instance.type = intern(token_text_);
    if (!expect(Token::open) || !read_parameters(instance.first, instance.count)) return false;
  } else if (t == Token::open) {
    // A complex instance: parts NAME(...) one after another, each kept as a
    // typed value holding the list of its attributes.
    std::vector<Value> parts;
    for (t = next(); t == Token::keyword; t = next()) {
      Value part;
      part.kind = StepValueKind::typed;
      part.a = intern(token_text_);
      Value members;
      members.kind = StepValueKind::list;
      std::uint32_t first = 0;
      if (!expect(Token::open) || !read_parameters(first, members.a)) return false;
      members.b = first;
      std::uint32_t at = 0;
      if (!store(std::span<const Value>(&members, 1), at)) return false;
      part.b = at;
      parts.push_back(part);
    }
    if (t != Token::close || parts.empty()) {
      fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
      return false;
    }
    instance.type = 0;
    instance.count = static_cast<std::uint32_t>(parts.size());
    if (!store(parts, instance.first)) return false;
  } else {
    fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
    return false;
  }
  if (!expect(Token::semicolon)) return false;
  if (file_.instances_.size() >= kIndexLimit - 1) {
    fail(StepError::too_large);
    return false;
  }
  file_.instances_.push_back(instance);
  return true;
}

bool StepReader::read_data() {
  // DATA; or DATA(name, schemas);
  Token t = next();
  if (t == Token::open) {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    if (!read_parameters(first, count)) return false;
    t = next();
  }
  if (t != Token::semicolon) {
    if (t != Token::error) fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
    return false;
  }
  for (;;) {
    t = next();
    if (t == Token::instance_name) {
      if (!read_instance()) return false;
      continue;
    }
    if (t == Token::keyword && token_text_ == "ENDSEC") return expect(Token::semicolon);
    if (t != Token::error) fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
    return false;
  }
}

StepReadStatus StepReader::run(std::size_t input_size) {
  file_ = StepFile();
  try {
    // Exports hold about one value per 6 bytes, one instance per 50 and half
    // their bytes in strings at most; a file beyond that grows the arrays.
    file_.values_.reserve(std::min<std::size_t>(input_size / 6, kIndexLimit));
    file_.instances_.reserve(std::min<std::size_t>(input_size / 50, kIndexLimit));
    file_.text_.reserve(input_size / 2);
  } catch (const std::bad_alloc&) {
    // Too much to set aside at once: the arrays grow as they fill instead.
  }
  try {
    return read_all();
  } catch (const std::bad_alloc&) {
    status_.error = StepError::too_large;
    status_.line = source_.line();
    status_.column = source_.column();
    return status_;
  }
}

StepReadStatus StepReader::read_all() {
  if (source_.peek() == 0xEF && source_.peek(1) == 0xBB && source_.peek(2) == 0xBF) {
    for (int i = 0; i < 3; ++i) source_.advance();  // a UTF-8 byte-order mark some editors add
  }
  const Token first = next();
  if (status_.error == StepError::read_failed) return status_;
  if (first != Token::keyword || token_text_ != "ISO-10303-21") {
    status_ = StepReadStatus{};
    token_line_ = 1;
    token_column_ = 1;
    fail(StepError::not_a_step_file);
    return status_;
  }
  bool good =
      expect(Token::semicolon) && expect_keyword("HEADER") && expect(Token::semicolon) && read_header();
  while (good) {
    const Token t = next();
    if (t == Token::keyword && token_text_ == "DATA") {
      good = read_data();
    } else if (t == Token::keyword && token_text_ == "END-ISO-10303-21") {
      good = expect(Token::semicolon);
      break;
    } else {
      if (t != Token::error) fail(t == Token::end ? StepError::truncated : StepError::unexpected_token);
      good = false;
    }
  }
  file_.build_indexes();
  if (status_.error == StepError::none) {
    // The second of two instances with one id is where the file goes wrong.
    for (std::size_t i = 1; i < file_.by_id_.size(); ++i) {
      const StepInstance& a = file_.instances_[file_.by_id_[i - 1]];
      const StepInstance& b = file_.instances_[file_.by_id_[i]];
      if (a.id == b.id) {
        const StepInstance& later = file_.by_id_[i - 1] > file_.by_id_[i] ? a : b;
        status_.error = StepError::duplicate_instance;
        status_.line = static_cast<int>(later.line);
        status_.column = 1;
        break;
      }
    }
  }
  return status_;
}

// ---- store blocks ----

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

void* allocate_store_block(std::size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* block = ::operator new (rounded, std::align_val_t{kHugePage});
#ifdef MADV_HUGEPAGE
  madvise(block, rounded, MADV_HUGEPAGE);  // a hint: refused, the block works as it is
#endif
  return block;
}

void release_store_block(void* block, std::size_t bytes) {
  if (bytes < kHugePage) {
    ::operator delete(block);
  } else {
    ::operator delete (block, std::align_val_t{kHugePage});
  }
}

// ---- StepFile ----

StepFile::StepFile() {
  type_names_.emplace_back();
}

void StepFile::build_indexes() {
  by_id_.resize(instances_.size());
  for (std::uint32_t i = 0; i < by_id_.size(); ++i) by_id_[i] = i;
  std::stable_sort(by_id_.begin(), by_id_.end(),
                   [this](std::uint32_t a, std::uint32_t b) { return instances_[a].id < instances_[b].id; });
  // Counting sort by type keeps file order within a type.
  type_starts_.assign(type_names_.size() + 1, 0);
  for (const StepInstance& instance : instances_) ++type_starts_[instance.type + 1];
  for (std::size_t t = 1; t < type_starts_.size(); ++t) type_starts_[t] += type_starts_[t - 1];
  by_type_.resize(instances_.size());
  std::vector<std::uint32_t> next(type_starts_.begin(), type_starts_.end() - 1);
  for (std::uint32_t i = 0; i < instances_.size(); ++i) by_type_[next[instances_[i].type]++] = i;
}

std::uint32_t StepFile::type_index(const std::string& upper_name) const {
  const auto found = type_lookup_.find(upper_name);
  return found == type_lookup_.end() ? 0 : found->second;
}

const StepInstance* StepFile::header_entity(std::string_view type) const {
  const std::string name = upper(type);
  for (const StepInstance& entity : header_) {
    if (type_names_[entity.type] == name) return &entity;
  }
  return nullptr;
}

const StepInstance* StepFile::find(std::uint64_t id) const {
  const auto at =
      std::lower_bound(by_id_.begin(), by_id_.end(), id,
                       [this](std::uint32_t index, std::uint64_t key) { return instances_[index].id < key; });
  if (at == by_id_.end() || instances_[*at].id != id) return nullptr;
  return &instances_[*at];
}

const StepInstance* StepFile::resolve(const StepValue& value) const {
  const std::optional<std::uint64_t> id = value.reference();
  return id ? find(*id) : nullptr;
}

std::vector<const StepInstance*> StepFile::instances_of(std::string_view type) const {
  std::vector<const StepInstance*> out;
  const std::uint32_t t = type_index(upper(type));
  if (t == 0 || t + 1 >= type_starts_.size()) return out;
  for (std::uint32_t k = type_starts_[t]; k < type_starts_[t + 1]; ++k)
    out.push_back(&instances_[by_type_[k]]);
  return out;
}

std::size_t StepFile::count_of(std::string_view type) const {
  const std::uint32_t t = type_index(upper(type));
  if (t == 0 || t + 1 >= type_starts_.size()) return 0;
  return type_starts_[t + 1] - type_starts_[t];
}

std::string_view StepFile::type_name(const StepInstance& instance) const {
  return instance.type < type_names_.size() ? std::string_view(type_names_[instance.type])
                                            : std::string_view();
}

bool StepFile::is_a(const StepInstance& instance, std::string_view type) const {
  const std::string_view name = type_name(instance);
  return name.size() == type.size() && std::equal(name.begin(), name.end(), type.begin(),
                                                  [](char a, char b) { return a == upper_ascii(b); });
}

StepValue StepFile::attribute(const StepInstance& instance, std::size_t index) const {
  if (index >= instance.count) return {};
  return StepValue(this, static_cast<std::uint32_t>(instance.first + index));
}

std::string_view StepFile::schema() const {
  const StepInstance* entity = header_entity("FILE_SCHEMA");
  if (entity == nullptr) return {};
  return attribute(*entity, 0)[0].string().value_or(std::string_view());
}

std::size_t StepFile::memory_used() const {
  std::size_t bytes = values_.size() * sizeof(Value) + text_.size() +
                      (instances_.size() + header_.size()) * sizeof(StepInstance) +
                      (by_id_.size() + by_type_.size() + type_starts_.size()) * sizeof(std::uint32_t);
  for (const std::string& name : type_names_) bytes += sizeof(std::string) + name.size();
  return bytes;
}

// ---- StepValue ----

StepValueKind StepValue::kind() const {
  return file_ == nullptr ? StepValueKind::absent : file_->values_[index_].kind;
}

std::optional<std::int64_t> StepValue::integer() const {
  if (kind() != StepValueKind::integer) return std::nullopt;
  return static_cast<std::int64_t>(file_->values_[index_].b);
}

std::optional<double> StepValue::real() const {
  const StepValueKind k = kind();
  if (k == StepValueKind::real) return std::bit_cast<double>(file_->values_[index_].b);
  if (k == StepValueKind::integer)
    return static_cast<double>(static_cast<std::int64_t>(file_->values_[index_].b));
  return std::nullopt;
}

std::optional<std::string_view> StepValue::string() const {
  const StepValueKind k = kind();
  if (k != StepValueKind::string && k != StepValueKind::binary) return std::nullopt;
  const StepFile::Value& v = file_->values_[index_];
  return std::string_view(file_->text_).substr(static_cast<std::size_t>(v.b), v.a);
}

std::optional<std::string_view> StepValue::enumeration() const {
  if (kind() != StepValueKind::enumeration) return std::nullopt;
  const StepFile::Value& v = file_->values_[index_];
  return std::string_view(file_->text_).substr(static_cast<std::size_t>(v.b), v.a);
}

std::optional<std::uint64_t> StepValue::reference() const {
  if (kind() != StepValueKind::reference) return std::nullopt;
  return file_->values_[index_].b;
}

std::optional<bool> StepValue::boolean() const {
  const std::optional<std::string_view> e = enumeration();
  if (e == "T") return true;
  if (e == "F") return false;
  return std::nullopt;
}

std::size_t StepValue::size() const {
  return kind() == StepValueKind::list ? file_->values_[index_].a : 0;
}

StepValue StepValue::operator[](std::size_t index) const {
  if (index >= size()) return {};
  return StepValue(file_, static_cast<std::uint32_t>(file_->values_[index_].b + index));
}

std::optional<std::string_view> StepValue::type_name() const {
  if (kind() != StepValueKind::typed) return std::nullopt;
  return std::string_view(file_->type_names_[file_->values_[index_].a]);
}

StepValue StepValue::inner() const {
  if (kind() != StepValueKind::typed) return {};
  return StepValue(file_, static_cast<std::uint32_t>(file_->values_[index_].b));
}

std::optional<double> StepValue::measure() const {
  if (kind() == StepValueKind::typed) return inner().real();
  return real();
}

// ---- reading ----

const char* step_error_text(StepError error) {
  switch (error) {
    case StepError::none:
      return "no error";
    case StepError::cannot_open:
      return "the file cannot be opened";
    case StepError::read_failed:
      return "the file could not be read";
    case StepError::not_a_step_file:
      return "not an ISO 10303-21 file";
    case StepError::unexpected_token:
      return "unexpected token";
    case StepError::unterminated_string:
      return "string, binary or comment not closed";
    case StepError::bad_string_encoding:
      return "malformed character directive in a string";
    case StepError::number_out_of_range:
      return "number out of range";
    case StepError::duplicate_instance:
      return "instance number used twice";
    case StepError::too_large:
      return "file too large to index";
    case StepError::truncated:
      return "the file ends early";
  }
  return "unknown error";
}

StepReadStatus read_step_text(std::string_view text, StepFile& file) {
  Source source(text);
  StepReader reader(source, file);
  return reader.run(text.size());
}

StepReadStatus read_step_file(const std::filesystem::path& path, StepFile& file, std::string* sha256) {
  file = StepFile();
  if (sha256 != nullptr) sha256->clear();
  const std::unique_ptr<std::FILE, FileCloser> handle(std::fopen(path.c_str(), "rb"));
  if (!handle) {
    StepReadStatus status;
    status.error = StepError::cannot_open;
    return status;
  }
  std::error_code size_error;
  const std::uintmax_t size = std::filesystem::file_size(path, size_error);
  ContentDigest digest;
  Source source(handle.get(), sha256 != nullptr ? &digest : nullptr);
  StepReader reader(source, file);
  const StepReadStatus status = reader.run(size_error ? 0 : static_cast<std::size_t>(size));
  if (sha256 != nullptr && status.ok() && source.read_rest_for_digest()) *sha256 = digest.finish();
  return status;
}

}  // namespace corvalinde::step
