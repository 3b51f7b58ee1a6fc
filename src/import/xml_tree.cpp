#include "import/xml_tree.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvalinde {
namespace {

std::atomic<std::int64_t> g_live_blocks{0};

// One block of storage from the system, counted while it lives. Blocks of a
// few MiB are mapped on their own and offered to the kernel as huge pages
// where it supports them: the nodes of a 100 MB file then cost a few hundred
// page faults instead of tens of thousands.
class Chunk {
 public:
  explicit Chunk(std::size_t size) {
#if defined(__linux__)
    if (size >= kHugePage) {
      map(size);
      ++g_live_blocks;
      return;
    }
#endif
    data_ = new std::byte[size];
    ++g_live_blocks;
  }
  Chunk(Chunk&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), mapped_size_(std::exchange(other.mapped_size_, 0)) {}
  Chunk& operator=(Chunk&&) = delete;
  Chunk(const Chunk&) = delete;
  Chunk& operator=(const Chunk&) = delete;
  ~Chunk() {
    if (data_ == nullptr) return;
    --g_live_blocks;
#if defined(__linux__)
    if (mapped_size_ != 0) {
      munmap(data_, mapped_size_);
      return;
    }
#endif
    delete[] data_;
  }

  [[nodiscard]] std::byte* data() const {
    return data_;
  }

 private:
  static constexpr std::size_t kHugePage = 2 * 1024 * 1024;

#if defined(__linux__)
  // Maps whole huge pages, aligned to one, trimming the slack around them.
  void map(std::size_t size) {
    const std::size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* mapping =
        mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<std::byte*>(mapping);
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(start) % kHugePage;
    const std::size_t head = misalignment == 0 ? 0 : kHugePage - misalignment;
    if (head != 0) munmap(start, head);
    if (kHugePage - head != 0) munmap(start + head + length, kHugePage - head);
    data_ = start + head;
    mapped_size_ = length;
    madvise(data_, length, MADV_HUGEPAGE);
  }
#endif

  std::byte* data_ = nullptr;
  std::size_t mapped_size_ = 0;  // non-zero for a mapped block
};

// Bulk storage for the nodes of one document: nodes are carved out of large
// chunks and released all at once with the document, so that a surface of a
// million points costs a few hundred allocations instead of millions.
class Arena {
 public:
  void* allocate(std::size_t size, std::size_t align) {
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(top_) % align;
    const std::size_t padding = misalignment == 0 ? 0 : align - misalignment;
    if (static_cast<std::size_t>(limit_ - top_) >= size + padding) {
      std::byte* result = top_ + padding;
      top_ = result + size;
      return result;
    }
    return allocate_from_new_chunk(size);
  }

  template <class T>
  T* create() {
    return new (allocate(sizeof(T), alignof(T))) T{};
  }

  // Storage for `count` entries, not yet constructed.
  XmlEntry* allocate_entries(std::size_t count) {
    return static_cast<XmlEntry*>(allocate(count * sizeof(XmlEntry), alignof(XmlEntry)));
  }

  char* copy_text(std::string_view text) {
    auto* copy = static_cast<char*>(allocate(text.size() + 1, 1));
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
  }

 private:
  static constexpr std::size_t kFirstChunk = 64 * 1024;
  static constexpr std::size_t kLargestChunk = 4 * 1024 * 1024;

  // Chunks are aligned for any node type.
  void* allocate_from_new_chunk(std::size_t size) {
    if (size > chunk_size_ / 4) {
      // A big entry array or text gets a chunk of its own; the current chunk
      // stays open for the small nodes that follow.
      return add_chunk(size);
    }
    std::byte* chunk = add_chunk(chunk_size_);
    top_ = chunk + size;
    limit_ = chunk + chunk_size_;
    chunk_size_ = std::min(chunk_size_ * 2, kLargestChunk);
    return chunk;
  }

  std::byte* add_chunk(std::size_t size) {
    chunks_.emplace_back(size);
    return chunks_.back().data();
  }

  std::vector<Chunk> chunks_;
  std::byte* top_ = nullptr;
  std::byte* limit_ = nullptr;
  std::size_t chunk_size_ = kFirstChunk;
};

// A document is its root element plus what the tree's texts point into.
class XmlDocument final : public XmlElement {
 public:
  XmlDocument() { ++g_live_blocks; }
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;
  ~XmlDocument() { --g_live_blocks; }

  std::string source;  // the parsed text; names and values are cut out of it
  Arena arena;
};

XmlDocument& document_of(XmlElement& element) {
  XmlElement* root = &element;
  while (root->parent != nullptr) root = root->parent;
  // Every element without a parent is the root of a document: only
  // parse_xml makes roots, every other element is added under a parent.
  return static_cast<XmlDocument&>(*root);
}

struct SectionMarkers {
  const char* opening;
  const char* closing;
};

// In the order they are tried; the comparison is exact and case-sensitive.
constexpr std::array<SectionMarkers, 5> kSections{{
    {"<![CDATA[", "]]>"},
    {"<PRE>", "</PRE>"},
    {"<Script>", "</Script>"},
    {"<!--", "-->"},
    {"<!DOCTYPE", ">"},
}};

constexpr std::array<const char*, 10> kErrorTexts{
    "No error",
    "No XML data",
    "First token not start tag",
    "Missing start tag name",
    "Missing end tag name",
    "Unmatched quote",
    "Unmatched end tag",
    "Unexpected token found",
    "Invalid tag found",
    "No elements found",
};

constexpr unsigned char kWhite = 1;     // space, tab, line feed, carriage return
constexpr unsigned char kEndsText = 2;  // may end a text token (a "/" only before ">")
constexpr unsigned char kEndsRun = 4;   // ends a text run in content

constexpr std::array<unsigned char, 256> make_char_classes() {
  std::array<unsigned char, 256> classes{};
  for (const char c : {' ', '\t', '\n', '\r'}) classes[static_cast<unsigned char>(c)] = kWhite | kEndsText;
  for (const char c : {'\0', '<', '=', '>', '/'}) classes[static_cast<unsigned char>(c)] = kEndsText;
  // In content only "<" (or the end) ends a text run: ">" and "/>" are
  // characters of the text there.
  for (const char c : {'\0', '<'}) classes[static_cast<unsigned char>(c)] |= kEndsRun;
  return classes;
}
constexpr std::array<unsigned char, 256> kCharClasses = make_char_classes();

bool is_white(char c) {
  return (kCharClasses[static_cast<unsigned char>(c)] & kWhite) != 0;
}
bool may_end_text(char c) {
  return (kCharClasses[static_cast<unsigned char>(c)] & kEndsText) != 0;
}
bool may_end_run(char c) {
  return (kCharClasses[static_cast<unsigned char>(c)] & kEndsRun) != 0;
}

bool ends_name(char c) {
  return c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

std::string_view significant_part(std::string_view name) {
  std::size_t length = 0;
  while (length < name.size() && !ends_name(name[length])) ++length;
  return name.substr(0, length);
}

std::string_view significant_part(const char* name) {
  std::size_t length = 0;
  while (!ends_name(name[length])) ++length;
  return {name, length};
}

bool name_matches(const char* name, std::string_view tag) {
  return name != nullptr && significant_part(name) == significant_part(tag);
}

// The ">" that ends a DOCTYPE whose text starts at `value`: the first one,
// or, when an internal subset ("[ ... ]") comes first, the first after the
// subset's "]". Null when there is none. The subset is never read.
char* doctype_end(char* value) {
  char* end = std::strpbrk(value, "[>");
  if (end == nullptr || *end == '>') return end;
  char* bracket = std::strchr(end, ']');
  while (bracket != nullptr) {
    char* after = bracket + 1;
    while (is_white(*after)) ++after;
    if (*after == '>') return after;
    bracket = std::strchr(bracket + 1, ']');
  }
  return nullptr;
}

enum class TokenKind {
  end,
  text,
  quoted,
  start_tag,
  end_tag,
  declaration,
  short_close,
  equals,
  close,
  section,
};

struct Token {
  TokenKind kind = TokenKind::end;
  char* begin = nullptr;
  char* end = nullptr;  // the characters of a text or quoted token
  std::size_t section = 0;
};

// One parse over a document's own text. Names and values stay where they are
// in the text and are NUL-terminated in place once the tokenizer has moved
// past the character that ends them; the line count of an error position
// stays right because every line feed so overwritten is counted.
class Parser {
 public:
  Parser(XmlDocument& document, const XmlProgress& progress, const XmlContentFilter& skip_content)
      : document_(document),
        base_(document.source.data()),
        position_(base_),
        total_(std::max<std::size_t>(document.source.size(), 1)),
        progress_(progress),
        skip_content_(skip_content) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (document.source.starts_with(kByteOrderMark)) position_ += kByteOrderMark.size();
    text_start_ = position_;
  }

  XmlError run();
  void locate(const char* stop, int& line, int& column) const;
  void locate_stop(int& line, int& column) const { locate(position_, line, column); }
  // The quoted value or section left open by the error, or null.
  const char* unclosed() const { return unclosed_; }
  bool unclosed_is_section() const { return unclosed_ != nullptr && *unclosed_ == '<'; }

 private:
  enum class Mode { content, expect_name, expect_equals, expect_value };

  // An open element. Inside content that is skipped no element is built:
  // the frame then only keeps the name, so that end tags match as they would.
  struct Frame {
    XmlElement* element;      // null when not built
    std::string_view name;    // as written, up to the end of the name token
    std::size_t first_child;  // index of its first entry in children_
    bool builds_children;     // false: the content is checked, not built
    bool is_declaration;
  };

  // A string whose terminating NUL waits until the next token is read.
  struct PendingEnd {
    char* at = nullptr;
    const char** owner = nullptr;
    const char* begin = nullptr;
  };

  Token next_token(bool in_content);
  void skip_rest_of_run();
  Token scan(bool in_content);
  std::size_t match_section(const char* at) const;
  void terminate(char* at);
  void end_later(const char** owner, char* begin, char* end);
  std::uint32_t offset_of(const char* at) const;

  XmlError fail(XmlError error) { return error_ = error; }
  // Whether a child of that kind is built under the innermost open element.
  bool keeps(XmlEntryKind kind) const {
    const Frame& frame = open_.back();
    return kind == XmlEntryKind::attribute ? frame.element != nullptr : frame.builds_children;
  }
  bool add_child(XmlEntryKind kind, const char* at, void* node);
  void open_element(const Token& name, bool is_declaration);
  void close_innermost();
  XmlError close_by_end_tag(std::string_view tag);
  bool add_text_run(char* begin, char* end);
  XmlError add_section(const Token& marker);
  bool add_attribute(char* name_begin, char* name_end, const Token* value);
  void report_progress();

  XmlDocument& document_;
  char* base_;
  char* position_;
  char* text_start_ = nullptr;
  std::size_t total_;
  const XmlProgress& progress_;
  const XmlContentFilter& skip_content_;
  const char* unclosed_ = nullptr;
  int last_percent_ = -1;
  std::size_t next_report_at_ = 0;
  XmlError error_ = XmlError::none;
  PendingEnd pending_;
  std::size_t overwritten_line_feeds_ = 0;
  const char* last_overwritten_line_feed_ = nullptr;
  std::vector<Frame> open_;         // innermost last; open_[0] is the root
  std::vector<XmlEntry> children_;  // entries of the open elements, in order
};

std::uint32_t Parser::offset_of(const char* at) const {
  const auto offset = static_cast<std::size_t>(at - base_);
  return offset > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(offset);
}

void Parser::terminate(char* at) {
  if (*at == '\n') {
    ++overwritten_line_feeds_;
    if (last_overwritten_line_feed_ == nullptr || at > last_overwritten_line_feed_) {
      last_overwritten_line_feed_ = at;
    }
  }
  *at = '\0';
}

void Parser::end_later(const char** owner, char* begin, char* end) {
  assert(pending_.at == nullptr);
  pending_ = {end, owner, begin};
}

std::size_t Parser::match_section(const char* at) const {
  for (std::size_t i = 0; i < kSections.size(); ++i) {
    const char* marker = kSections[i].opening;
    // strncmp stops at the text's NUL, so a short text is never overrun.
    if (marker[1] == at[1] && std::strncmp(at, marker, std::strlen(marker)) == 0) return i;
  }
  return kSections.size();
}

Token Parser::scan(bool in_content) {
  char* p = position_;
  while (is_white(*p)) ++p;
  Token token;
  token.begin = p;
  const char c = *p;
  if (c == '\0') {
    token.kind = TokenKind::end;
  } else if (c == '<') {
    const char next = p[1];
    const std::size_t section =
        next == '!' || next == 'P' || next == 'S' ? match_section(p) : kSections.size();
    if (section < kSections.size()) {
      token.kind = TokenKind::section;
      token.section = section;
      p += std::strlen(kSections[section].opening);
    } else if (next == '/') {
      token.kind = TokenKind::end_tag;
      p += 2;
    } else if (next == '?') {
      token.kind = TokenKind::declaration;
      p += 2;
    } else {
      token.kind = TokenKind::start_tag;
      p += 1;
    }
  } else if ((c == '"' || c == '\'') && !in_content) {
    // XML has no escapes inside a quoted value: a backslash is an ordinary
    // character (Windows paths end in one), so the value ends at the next
    // quote of the same kind.
    char* closing = std::strchr(p + 1, c);
    if (closing == nullptr) {
      error_ = XmlError::unmatched_quote;
      unclosed_ = p;
      position_ = p + std::strlen(p);
      token.kind = TokenKind::end;
      return token;
    }
    p = closing + 1;
    token.kind = TokenKind::quoted;
    token.end = p;
    while (is_white(*p)) ++p;
  } else if (c == '/' && p[1] == '>') {
    token.kind = TokenKind::short_close;
    p += 2;
  } else if (c == '=') {
    token.kind = TokenKind::equals;
    p += 1;
  } else if (c == '>') {
    token.kind = TokenKind::close;
    p += 1;
  } else {
    ++p;
    for (;;) {
      while (!may_end_text(*p)) ++p;
      if (*p == '/' && p[1] != '>') {
        ++p;
        continue;
      }
      break;
    }
    token.kind = TokenKind::text;
    token.end = p;
    if (is_white(*p)) ++p;
  }
  if (token.end == nullptr) token.end = p;
  position_ = p;
  return token;
}

// In content, text tokens, "=", ">", "/>" and white space all continue a
// text run, so the run can be passed over in one sweep up to the next "<" or
// the end of the text.
void Parser::skip_rest_of_run() {
  char* p = position_;
  while (!may_end_run(*p)) ++p;
  position_ = p;
}

Token Parser::next_token(bool in_content) {
  const Token token = scan(in_content);
  if (pending_.at != nullptr) {
    if (token.begin == pending_.at && (token.kind == TokenKind::text || token.kind == TokenKind::quoted)) {
      // The next token starts right where the string ends (a quoted value
      // followed at once by a name): the string gets a copy of its own.
      *pending_.owner =
          document_.arena.copy_text({pending_.begin, static_cast<std::size_t>(pending_.at - pending_.begin)});
    } else {
      terminate(pending_.at);
    }
    pending_ = {};
  }
  return token;
}

void Parser::report_progress() {
  if (!progress_) return;
  const auto consumed = static_cast<std::size_t>(position_ - base_);
  if (consumed < next_report_at_) return;
  const int percent = static_cast<int>(consumed * 100 / total_);
  if (percent > last_percent_) {
    last_percent_ = percent;
    progress_(percent);
  }
  // First position at which the integer percentage exceeds the last one.
  const auto next = static_cast<std::size_t>(last_percent_ + 1);
  next_report_at_ = (next * total_ + 99) / 100;
}

bool Parser::add_child(XmlEntryKind kind, const char* at, void* node) {
  const std::size_t siblings = children_.size() - open_.back().first_child;
  if (siblings >= static_cast<std::size_t>(INT32_MAX)) return false;
  children_.push_back({kind, offset_of(at), node});
  return true;
}

void Parser::open_element(const Token& name, bool is_declaration) {
  const std::string_view written(name.begin, static_cast<std::size_t>(name.end - name.begin));
  if (!open_.back().builds_children) {
    open_.push_back({nullptr, written, children_.size(), false, is_declaration});
    report_progress();
    return;
  }
  auto* element = document_.arena.create<XmlElement>();
  element->name = name.begin;
  element->is_declaration = is_declaration ? 1 : 0;
  element->parent = open_.back().element;
  end_later(&element->name, name.begin, name.end);
  if (!add_child(XmlEntryKind::element, name.begin, element)) {
    error_ = XmlError::unexpected_token;
    return;
  }
  const bool skip = skip_content_ && skip_content_(*open_.back().element, written);
  open_.push_back({element, written, children_.size(), !skip, is_declaration});
  report_progress();
}

void Parser::close_innermost() {
  const Frame frame = open_.back();
  if (frame.element == nullptr) {
    open_.pop_back();
    return;
  }
  const std::size_t count = children_.size() - frame.first_child;
  XmlElement& element = *frame.element;
  if (count > 0) {
    // Exactly sized: a parsed element never grows again unless the caller
    // adds to it, and then the add_ operations grow it geometrically.
    element.entries = document_.arena.allocate_entries(count);
    std::uninitialized_copy(children_.begin() + static_cast<std::ptrdiff_t>(frame.first_child),
                            children_.end(), element.entries);
  }
  element.count = static_cast<std::int32_t>(count);
  element.capacity = element.count;
  children_.resize(frame.first_child);
  open_.pop_back();
}

XmlError Parser::close_by_end_tag(std::string_view tag) {
  // Each open element whose name differs is closed in turn until one matches;
  // none matching (the root reached) is an unmatched end tag.
  while (open_.size() > 1) {
    const bool matches = significant_part(open_.back().name) == significant_part(tag);
    close_innermost();
    if (matches) return XmlError::none;
  }
  return fail(XmlError::unmatched_end_tag);
}

bool Parser::add_text_run(char* begin, char* end) {
  if (!keeps(XmlEntryKind::text)) return true;
  while (end > begin && is_white(end[-1])) --end;
  terminate(end);
  auto* text = document_.arena.create<XmlText>();
  text->value = begin;
  return add_child(XmlEntryKind::text, begin, text);
}

XmlError Parser::add_section(const Token& marker) {
  const SectionMarkers& markers = kSections[marker.section];
  char* value = position_;
  char* closing = marker.section == static_cast<std::size_t>(XmlSectionKind::doctype)
                      ? doctype_end(value)
                      : std::strstr(value, markers.closing);
  if (closing == nullptr) {
    // Like an unmatched quote: the search consumed the rest of the text.
    unclosed_ = marker.begin;
    position_ = value + std::strlen(value);
    return fail(XmlError::unmatched_end_tag);
  }
  position_ = closing + std::strlen(markers.closing);
  if (!keeps(XmlEntryKind::section)) return XmlError::none;
  terminate(closing);
  auto* section = document_.arena.create<XmlSection>();
  section->opening_marker = markers.opening;
  section->value = value;
  section->closing_marker = markers.closing;
  if (!add_child(XmlEntryKind::section, marker.begin, section)) return fail(XmlError::unexpected_token);
  return XmlError::none;
}

bool Parser::add_attribute(char* name_begin, char* name_end, const Token* value) {
  if (!keeps(XmlEntryKind::attribute)) return true;
  // The tokenizer is past the end of the name by now.
  terminate(name_end);
  auto* attribute = document_.arena.create<XmlAttribute>();
  attribute->name = name_begin;
  if (value != nullptr) {
    char* value_end = value->end;
    if (open_.back().is_declaration && value->kind == TokenKind::text && value_end[-1] == '?') {
      --value_end;
    }
    attribute->value = value->begin;
    end_later(&attribute->value, value->begin, value_end);
  }
  return add_child(XmlEntryKind::attribute, name_begin, attribute);
}

XmlError Parser::run() {
  open_.push_back({&document_, {}, 0, true, false});
  Mode mode = Mode::content;
  char* run_begin = nullptr;   // first token of the pending text run
  char* name_begin = nullptr;  // attribute name remembered in a tag
  char* name_end = nullptr;

  for (;;) {
    if (mode == Mode::content) {
      const Token token = next_token(true);
      if (error_ != XmlError::none) return error_;
      const bool ends_run = token.kind != TokenKind::text && token.kind != TokenKind::equals &&
                            token.kind != TokenKind::quoted && token.kind != TokenKind::close &&
                            token.kind != TokenKind::short_close;
      if (ends_run && run_begin != nullptr) {
        if (!add_text_run(run_begin, token.begin)) return fail(XmlError::unexpected_token);
        run_begin = nullptr;
      }
      switch (token.kind) {
        case TokenKind::text:
        case TokenKind::quoted:
        case TokenKind::equals:
        case TokenKind::close:
        case TokenKind::short_close:
          if (run_begin == nullptr) run_begin = token.begin;
          skip_rest_of_run();
          break;
        case TokenKind::start_tag:
        case TokenKind::declaration: {
          const Token name = next_token(false);
          if (error_ != XmlError::none) return error_;
          if (name.kind != TokenKind::text) return fail(XmlError::missing_start_tag_name);
          open_element(name, token.kind == TokenKind::declaration);
          if (error_ != XmlError::none) return error_;
          mode = Mode::expect_name;
          break;
        }
        case TokenKind::end_tag: {
          const Token name = next_token(false);
          if (error_ != XmlError::none) return error_;
          if (name.kind != TokenKind::text) return fail(XmlError::missing_end_tag_name);
          const Token close = next_token(false);
          if (error_ != XmlError::none) return error_;
          if (close.kind != TokenKind::close) return fail(XmlError::missing_end_tag_name);
          if (close_by_end_tag({name.begin, static_cast<std::size_t>(name.end - name.begin)}) !=
              XmlError::none) {
            return error_;
          }
          break;
        }
        case TokenKind::section:
          if (add_section(token) != XmlError::none) return error_;
          break;
        case TokenKind::end:
          // Elements still open at the end of the text are simply closed.
          while (!open_.empty()) close_innermost();
          return XmlError::none;
      }
      continue;
    }

    const Token token = next_token(false);
    if (error_ != XmlError::none) return error_;
    const bool is_declaration = open_.back().is_declaration;
    switch (mode) {
      case Mode::expect_name:
        if (token.kind == TokenKind::text) {
          name_begin = token.begin;
          name_end = token.end;
          mode = Mode::expect_equals;
        } else if (token.kind == TokenKind::close) {
          mode = Mode::content;
        } else if (token.kind == TokenKind::short_close) {
          close_innermost();
          mode = Mode::content;
        } else {
          return fail(XmlError::unexpected_token);
        }
        break;
      case Mode::expect_equals:
        if (token.kind == TokenKind::text) {
          if (!add_attribute(name_begin, name_end, nullptr)) return fail(XmlError::unexpected_token);
          name_begin = token.begin;
          name_end = token.end;
        } else if (token.kind == TokenKind::close || token.kind == TokenKind::short_close) {
          // "?>" ends a declaration: the "?" read as a name is not one.
          if (is_declaration && name_end[-1] == '?') --name_end;
          if (name_end > name_begin && !add_attribute(name_begin, name_end, nullptr)) {
            return fail(XmlError::unexpected_token);
          }
          if (token.kind == TokenKind::short_close) close_innermost();
          mode = Mode::content;
        } else if (token.kind == TokenKind::equals) {
          mode = Mode::expect_value;
        } else {
          return fail(XmlError::unexpected_token);
        }
        break;
      case Mode::expect_value:
        if (token.kind == TokenKind::text || token.kind == TokenKind::quoted) {
          if (!add_attribute(name_begin, name_end, &token)) return fail(XmlError::unexpected_token);
          mode = Mode::expect_name;
        } else {
          return fail(XmlError::unexpected_token);
        }
        break;
      case Mode::content:
        break;
    }
  }
}

void Parser::locate(const char* stop, int& line, int& column) const {
  std::size_t lines = 1 + overwritten_line_feeds_;
  const char* line_start = text_start_;
  for (const char* p = base_; p < stop; ++p) {
    if (*p == '\n') {
      ++lines;
      line_start = p + 1;
    }
  }
  if (last_overwritten_line_feed_ != nullptr && last_overwritten_line_feed_ + 1 > line_start) {
    line_start = last_overwritten_line_feed_ + 1;
  }
  std::size_t characters = 1;
  for (const char* p = line_start; p < stop; ++p) {
    if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) ++characters;
  }
  line = static_cast<int>(std::min<std::size_t>(lines, INT_MAX));
  column = static_cast<int>(std::min<std::size_t>(characters, INT_MAX));
}

XmlTree parse_text(std::string&& text, XmlParseResults* results, const XmlProgress& progress,
                   const XmlContentFilter& skip_content) {
  XmlParseResults outcome;
  XmlTree tree;
  try {
    auto document = std::make_unique<XmlDocument>();
    document->source = std::move(text);
    Parser parser(*document, progress, skip_content);
    outcome.error = parser.run();
    if (outcome.error == XmlError::none) {
      tree.reset(document.release());
    } else {
      parser.locate_stop(outcome.line, outcome.column);
      if (parser.unclosed() != nullptr) {
        parser.locate(parser.unclosed(), outcome.opened_line, outcome.opened_column);
        outcome.unclosed_section = parser.unclosed_is_section();
      }
    }
  } catch (const std::bad_alloc&) {
    outcome = {XmlError::no_data, 0, 0};
    tree.reset();
  }
  if (results != nullptr) *results = outcome;
  return tree;
}

// Room for one more entry: the array at least doubles and grows by at least
// `step`, so that building an element of n children stays linear.
XmlEntry* append_entry(XmlElement& element, int step) {
  assert(step > 0 && "a growth step below 1 is a programming error");
  if (element.count == element.capacity) {
    const std::int64_t growth = std::max<std::int64_t>({step, element.capacity, 1});
    const std::int64_t capacity = std::min<std::int64_t>(element.capacity + growth, INT32_MAX);
    if (capacity <= element.count) throw std::bad_alloc();
    const auto size = static_cast<std::size_t>(capacity);
    XmlEntry* entries = document_of(element).arena.allocate_entries(size);
    std::uninitialized_value_construct_n(entries, size);
    std::copy_n(element.entries, element.count, entries);
    element.entries = entries;
    element.capacity = static_cast<std::int32_t>(capacity);
  }
  return &element.entries[element.count++];
}

template <class Node, class Fill>
Node* append_node(XmlElement& element, XmlEntryKind kind, int step, Fill fill) noexcept {
  try {
    Arena& arena = document_of(element).arena;
    auto* node = arena.create<Node>();
    fill(*node, arena);
    XmlEntry* entry = append_entry(element, step);
    *entry = {kind, 0, node};
    return node;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

XmlElement* XmlEntry::element() const {
  return kind == XmlEntryKind::element ? static_cast<XmlElement*>(node) : nullptr;
}
XmlAttribute* XmlEntry::attribute() const {
  return kind == XmlEntryKind::attribute ? static_cast<XmlAttribute*>(node) : nullptr;
}
XmlText* XmlEntry::text() const {
  return kind == XmlEntryKind::text ? static_cast<XmlText*>(node) : nullptr;
}
XmlSection* XmlEntry::section() const {
  return kind == XmlEntryKind::section ? static_cast<XmlSection*>(node) : nullptr;
}

const char* xml_error_text(XmlError error) {
  const auto code = static_cast<std::size_t>(error);
  return code < kErrorTexts.size() ? kErrorTexts[code] : "Unknown error";
}

void XmlTreeRelease::operator()(XmlElement* root) const {
  free_xml(root);
}

XmlTree parse_xml(const char* text, XmlParseResults* results, const XmlProgress& progress) {
  assert(text != nullptr);
  try {
    return parse_text(std::string(text != nullptr ? text : ""), results, progress, {});
  } catch (const std::bad_alloc&) {
    if (results != nullptr) *results = {XmlError::no_data, 0, 0};
    return nullptr;
  }
}

XmlTree parse_xml(std::string&& text, XmlParseResults* results, const XmlProgress& progress,
                  const XmlContentFilter& skip_content) {
  text.resize(std::strlen(text.c_str()));  // the text ends at its first NUL
  return parse_text(std::move(text), results, progress, skip_content);
}

void free_xml(XmlElement* element) {
  if (element == nullptr) return;
  if (element->parent == nullptr) {
    delete static_cast<XmlDocument*>(element);
    return;
  }
  XmlElement& parent = *element->parent;
  const auto children = parent.children();
  const auto kept = std::remove_if(children.begin(), children.end(),
                                   [element](const XmlEntry& entry) { return entry.node == element; });
  parent.count = static_cast<std::int32_t>(kept - children.begin());
}

XmlElement* find_element(const XmlElement& element, std::string_view path) {
  if (path.empty()) return nullptr;
  const XmlElement* current = &element;
  XmlElement* found = nullptr;
  std::size_t position = 0;
  while (position < path.size()) {
    const std::size_t slash = path.find('/', position);
    const std::string_view segment =
        path.substr(position, slash == std::string_view::npos ? std::string_view::npos : slash - position);
    if (segment.empty()) return nullptr;
    found = nullptr;
    for (const XmlEntry& entry : current->children()) {
      XmlElement* child = entry.element();
      if (child != nullptr && name_matches(child->name, segment)) {
        found = child;
        break;
      }
    }
    if (found == nullptr) return nullptr;
    current = found;
    if (slash == std::string_view::npos) break;
    position = slash + 1;
  }
  return found;
}

XmlAttribute* find_attribute(const XmlElement& element, std::string_view name) {
  for (const XmlEntry& entry : element.children()) {
    XmlAttribute* attribute = entry.attribute();
    if (attribute != nullptr && name_matches(attribute->name, name)) return attribute;
  }
  return nullptr;
}

XmlEntry* next_entry(const XmlElement& element, int& index) {
  index = std::max(index, 0);
  if (index >= element.count) {
    index = element.count;
    return nullptr;
  }
  return &element.entries[index++];
}

XmlElement* next_element(const XmlElement& element, int& index) {
  while (XmlEntry* entry = next_entry(element, index)) {
    if (XmlElement* child = entry->element()) return child;
  }
  return nullptr;
}

XmlAttribute* next_attribute(const XmlElement& element, int& index) {
  while (XmlEntry* entry = next_entry(element, index)) {
    if (XmlAttribute* attribute = entry->attribute()) return attribute;
  }
  return nullptr;
}

XmlElement* add_element(XmlElement& element, std::string_view name, bool is_declaration, int step) {
  XmlElement* parent = &element;
  return append_node<XmlElement>(element, XmlEntryKind::element, step, [&](XmlElement& child, Arena& arena) {
    child.name = arena.copy_text(name);
    child.is_declaration = is_declaration ? 1 : 0;
    child.parent = parent;
  });
}

XmlAttribute* add_attribute(XmlElement& element, std::string_view name, std::optional<std::string_view> value,
                            int step) {
  return append_node<XmlAttribute>(element, XmlEntryKind::attribute, step,
                                   [&](XmlAttribute& attribute, Arena& arena) {
                                     attribute.name = arena.copy_text(name);
                                     if (value) attribute.value = arena.copy_text(*value);
                                   });
}

XmlText* add_text(XmlElement& element, std::string_view value, int step) {
  return append_node<XmlText>(element, XmlEntryKind::text, step,
                              [&](XmlText& text, Arena& arena) { text.value = arena.copy_text(value); });
}

XmlSection* add_section(XmlElement& element, std::string_view value, XmlSectionKind kind, int step) {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= kSections.size()) return nullptr;
  return append_node<XmlSection>(element, XmlEntryKind::section, step,
                                 [&](XmlSection& section, Arena& arena) {
                                   section.opening_marker = kSections[index].opening;
                                   section.value = arena.copy_text(value);
                                   section.closing_marker = kSections[index].closing;
                                 });
}

void XmlOwnedTextRelease::operator()(char* text) const {
  if (text == nullptr) return;
  delete[] text;
  --g_live_blocks;
}

XmlOwnedText duplicate_text(const char* text, std::size_t length) {
  assert(text != nullptr);
  if (text == nullptr) text = "";
  std::size_t size = length == 0 ? std::strlen(text) : strnlen(text, length);
  // Back off to the start of a character rather than cut one in two.
  while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
  XmlOwnedText copy(new (std::nothrow) char[size + 1]);
  if (copy == nullptr) return copy;
  ++g_live_blocks;
  std::memcpy(copy.get(), text, size);
  copy[size] = '\0';
  return copy;
}

bool tags_equal(const char* a, const char* b) {
  return a != nullptr && b != nullptr && significant_part(a) == significant_part(b);
}

std::int64_t xml_live_blocks() {
  return g_live_blocks.load();
}

}  // namespace corvalinde
