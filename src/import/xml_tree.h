// XML tree: a small, lenient parser of a whole XML text held in memory into a
// tree of elements, attributes, text runs and unparsed sections, with lookups.
// A tree owns all it points to (texts are cut out of its own copy of the
// source); free_xml of its root, or the XmlTree handle, releases it. Nothing
// throws: a failed parse gives a null tree, an error code and where it stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvalinde {

// What a child entry of an element holds.
enum class XmlEntryKind : std::int32_t {
  empty = 0,
  attribute = 1,
  element = 2,
  text = 3,
  section = 4,
};

struct XmlElement;

// An attribute of an element. The value keeps its quotes exactly as written
// (`"1.0"` or `'ccw'`); it is null for an attribute written without "=".
struct XmlAttribute {
  const char* name = nullptr;
  const char* value = nullptr;
};

// A text run: its tokens as written, trailing white space removed, no entity
// replacement.
struct XmlText {
  const char* value = nullptr;
};

// The constructs kept unparsed, in the order they are recognised.
enum class XmlSectionKind : std::int32_t {
  cdata = 0,    // <![CDATA[ ... ]]>
  pre = 1,      // <PRE> ... </PRE>
  script = 2,   // <Script> ... </Script>
  comment = 3,  // <!-- ... -->
  doctype = 4,  // <!DOCTYPE ... >
};

// An unparsed section: the text between its markers. The markers are static
// texts, not owned by the tree.
struct XmlSection {
  const char* opening_marker = nullptr;
  const char* value = nullptr;
  const char* closing_marker = nullptr;
};

// One child of an element, in document order. source_offset is the byte
// offset in the parsed text where the child begins (attribute or element
// name, first character of a text run, "<" of a section's marker); it is 0
// for children added through the add_ operations.
struct XmlEntry {
  XmlEntryKind kind = XmlEntryKind::empty;
  std::uint32_t source_offset = 0;
  void* node = nullptr;

  // The node when it is of that kind, else null.
  [[nodiscard]] XmlElement* element() const;
  [[nodiscard]] XmlAttribute* attribute() const;
  [[nodiscard]] XmlText* text() const;
  [[nodiscard]] XmlSection* section() const;
};

// An element. The document root made by parse_xml has no name and no parent.
// All attributes, text runs, sections and child elements share `entries`.
struct XmlElement {
  const char* name = nullptr;
  std::int32_t count = 0;           // entries in use
  std::int32_t capacity = 0;        // entries allocated
  std::int32_t is_declaration = 0;  // non-zero when opened by "<?"
  XmlEntry* entries = nullptr;
  XmlElement* parent = nullptr;

  [[nodiscard]] std::span<XmlEntry> children() const { return {entries, static_cast<std::size_t>(count)}; }
};

enum class XmlError : std::int32_t {
  none = 0,                       // success
  no_data = 1,                    // the text could not be held (memory exhausted)
  first_token_not_start_tag = 2,  // kept for the table; never set
  missing_start_tag_name = 3,     // "<" or "<?" not followed by a name
  missing_end_tag_name = 4,       // "</" not followed by a name and ">"
  unmatched_quote = 5,            // a quoted value runs to the end of the text
  unmatched_end_tag = 6,          // end tag matching no open element, or a section not closed
  unexpected_token = 7,           // a token the current state does not allow
  invalid_tag = 8,                // kept for the table; never set
  no_elements = 9,                // kept for the table; never set
};

// The parser's own text for an error code (diagnostics only).
[[nodiscard]] const char* xml_error_text(XmlError error);

struct XmlParseResults {
  XmlError error = XmlError::none;
  int line = 0;    // on error: where parsing stopped, from 1
  int column = 0;  // on error: characters (not bytes) from 1
  // A quoted value or a section never closed: where it opened (else 0).
  int opened_line = 0;
  int opened_column = 0;
  bool unclosed_section = false;  // error 6 for a section without its closing marker
};

// Called with the percentage of the text consumed, each time it grows.
using XmlProgress = std::function<void(int percent)>;

// Asked for each element as it opens under an element of the tree: true when
// nothing inside it is wanted. Its content is then only checked, not built:
// the element keeps its name and attributes and gets no children.
using XmlContentFilter = std::function<bool(const XmlElement& parent, std::string_view name)>;

struct XmlTreeRelease {
  void operator()(XmlElement* root) const;
};
using XmlTree = std::unique_ptr<XmlElement, XmlTreeRelease>;

// Parses a NUL-terminated text; the tree keeps its own copy of it.
[[nodiscard]] XmlTree parse_xml(const char* text, XmlParseResults* results = nullptr,
                                const XmlProgress& progress = {});
// Parses the text up to its first NUL, taking over its storage: a caller that
// has read a whole file hands it over instead of holding two copies.
[[nodiscard]] XmlTree parse_xml(std::string&& text, XmlParseResults* results = nullptr,
                                const XmlProgress& progress = {}, const XmlContentFilter& skip_content = {});

// Releases a document given its root. Given an element inside a document, it
// removes that element from its parent; its storage goes with the document.
void free_xml(XmlElement* element);

// The first descendant reached by element names separated by "/", or null.
// An empty segment (leading "/", "//", an empty path) gives null; a final "/"
// is ignored.
[[nodiscard]] XmlElement* find_element(const XmlElement& element, std::string_view path);

// The first attribute of the element whose name matches, or null.
[[nodiscard]] XmlAttribute* find_attribute(const XmlElement& element, std::string_view name);

// Iteration over the children from a caller-held index (start at 0): returns
// the next child of that kind at or after index and moves index past it; null
// (and index at the end) when there is none.
[[nodiscard]] XmlElement* next_element(const XmlElement& element, int& index);
[[nodiscard]] XmlAttribute* next_attribute(const XmlElement& element, int& index);
[[nodiscard]] XmlEntry* next_entry(const XmlElement& element, int& index);

// Append one child, copying the given texts into the element's document. The
// entry array grows by at least `step` entries and at least doubles, so that
// appending n children costs O(n). A step below 1 is a programming error.
XmlElement* add_element(XmlElement& element, std::string_view name, bool is_declaration, int step);
XmlAttribute* add_attribute(XmlElement& element, std::string_view name, std::optional<std::string_view> value,
                            int step);
XmlText* add_text(XmlElement& element, std::string_view value, int step);
XmlSection* add_section(XmlElement& element, std::string_view value, XmlSectionKind kind, int step);

struct XmlOwnedTextRelease {
  void operator()(char* text) const;
};
using XmlOwnedText = std::unique_ptr<char[], XmlOwnedTextRelease>;

// A new NUL-terminated copy of the first `length` bytes of text (all of it
// when length is 0, never past its NUL). A cut never splits a UTF-8 character.
[[nodiscard]] XmlOwnedText duplicate_text(const char* text, std::size_t length);

// Two names match when their significant parts (up to the terminator or the
// first ">", space, line feed, tab or carriage return) are equal byte for
// byte. A missing name (the root's) matches nothing.
[[nodiscard]] bool tags_equal(const char* a, const char* b);

// Blocks this module holds from the system right now (documents, their bulk
// storage, duplicated texts); for diagnostics and leak checks.
[[nodiscard]] std::int64_t xml_live_blocks();

}  // namespace corvalinde
