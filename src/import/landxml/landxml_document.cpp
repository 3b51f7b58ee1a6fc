#include "import/landxml/landxml_document.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "import/content_digest.h"
#include "import/design_file.h"
#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_messages.h"
#include "import/native_design_reader.h"
#include "import/text_encoding.h"
#include "output/listings.h"
#include "output/visible_text.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

struct UnitFactor {
  const char* keyword;
  double factor;
};

// Units of length a LandXML file may name, in capitals.
constexpr UnitFactor kLinearUnits[] = {
    {"MILLIMETER", 0.001},
    {"CENTIMETER", 0.01},
    {"KILOMETER", 1000.0},
    {"FOOT", 0.3048},
    {"USSURVEYFOOT", 0.3048006096012192},
    {"INCH", 0.0254},
    {"MILE", 1609.344},
};
// Elevation units, with the plural spellings some writers use.
constexpr UnitFactor kElevationUnits[] = {
    {"METER", 1.0},
    {"MILLIMETER", 0.001},
    {"CENTIMETER", 0.01},
    {"KILOMETER", 1000.0},
    {"FOOT", 0.3048},
    {"FEET", 0.3048},
    {"USSURVEYFOOT", 0.3048006096012192},
    {"INCH", 0.0254},
    {"MILE", 1609.344},
    {"MILES", 1609.344},
};

// The progress window's scale: the reading fills the first half, the parsing
// the second.
constexpr int kProgressScale = 100;
constexpr int kReadingShare = 50;
// Room the progress window gives the file name.
constexpr std::size_t kProgressNameWidth = 60;

namespace msg = landxml_message;

// Room the refusal line gives the name of a root element that is not LandXML.
constexpr std::size_t kRootNameWidth = 30;

LandXmlDocument rejected(std::string refusal) {
  LandXmlDocument document;
  document.refusal = std::move(refusal);
  return document;
}

// Line and column (characters, from 1) of a byte offset in a text.
std::pair<int, int> text_position(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const std::size_t line_start = text.rfind('\n', offset == 0 ? 0 : offset - 1);
  const std::size_t from = line_start == std::string_view::npos || offset == 0 ? 0 : line_start + 1;
  const auto lines = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(from), '\n');
  std::size_t characters = 1;
  for (std::size_t i = from; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++characters;
  }
  const auto clamp = [](auto v) {
    return static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(v), INT_MAX));
  };
  return {clamp(lines + 1), clamp(characters)};
}

// The document element: the first element that is not a processing
// instruction. The parser keeps an instruction ("<?xml ...?>",
// "<?xml-stylesheet ...?>") open, so what follows one lies inside it.
XmlElement* document_element(XmlElement& root) {
  XmlElement* scope = &root;
  while (scope != nullptr) {
    XmlElement* instruction = nullptr;
    int index = 0;
    while (XmlElement* child = next_element(*scope, index)) {
      if (child->is_declaration == 0) return child;
      instruction = child;
    }
    scope = instruction;
  }
  return nullptr;
}

XmlElement* xml_declaration(XmlElement& root) {
  int index = 0;
  while (XmlElement* child = next_element(root, index)) {
    if (child->is_declaration != 0 && tags_equal(child->name, "xml")) return child;
  }
  return nullptr;
}

// Drops the document element's namespace prefix ("lx:" of "lx:LandXML") from
// every element of its subtree that carries it.
void drop_namespace_prefix(XmlElement& top) {
  const std::string_view name = top.name;
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos) return;
  const std::string prefix(name.substr(0, colon + 1));
  std::vector<XmlElement*> pending = {&top};
  while (!pending.empty()) {
    XmlElement* element = pending.back();
    pending.pop_back();
    if (std::string_view(element->name).starts_with(prefix)) element->name += prefix.size();
    int index = 0;
    while (XmlElement* child = next_element(*element, index)) pending.push_back(child);
  }
}

// Finds the LandXML element, its units and its Alignments.
LandXmlDocument examine(XmlTree tree) {
  LandXmlDocument document;
  document.tree = std::move(tree);
  if (document.tree == nullptr) return document;
  if (XmlElement* declaration = xml_declaration(*document.tree)) {
    std::string encoding;
    if (XML_FIND_ATTRIBUTE_STR(*declaration, "encoding", encoding, kLandXmlNameWidth) >= 0) {
      write_log(std::string("encoding '") + XML_STRDUP(encoding) + "'");
      document.encoding = encoding_from_declaration(XML_STRDUP(encoding));
    }
  } else {
    write_log("no declaration");
  }
  XmlElement* top = document_element(*document.tree);
  if (top == nullptr) return rejected(format_message(msg::kNoElement, kListingLineWidth));
  drop_namespace_prefix(*top);
  if (!tags_equal(top->name, "LandXML")) {
    return rejected(format_message(msg::kNotLandXml, kListingLineWidth,
                                   display_name(top->name, document.encoding, kRootNameWidth)));
  }
  document.landxml = top;
  XmlElement* units = find_element(*document.landxml, "Units");
  XmlElement* system = nullptr;
  if (units != nullptr) {
    system = find_element(*units, "Metric");
    if (system == nullptr) system = find_element(*units, "Imperial");
  }
  if (system == nullptr) return rejected(format_message(msg::kNoUnits, kListingLineWidth));
  document.units.linear = linear_unit_factor(attribute_text(*system, "linearUnit"));
  document.units.elevation =
      elevation_unit_factor(attribute_text(*system, "elevationUnit"), document.units.linear);
  document.alignments = find_element(*document.landxml, "Alignments");
  write_log("aligns", document.alignments != nullptr ? "found" : "none");
  document.status =
      document.alignments != nullptr ? LandXmlOpenStatus::kOpened : LandXmlOpenStatus::kNoAlignments;
  return document;
}

// The line that says where and why a text does not parse.
std::string parse_failure_line(const XmlParseResults& results) {
  int message = msg::kMalformedTag;
  switch (results.error) {
    case XmlError::no_data:
      return format_message(msg::kNoMemory, kListingLineWidth);
    case XmlError::unmatched_quote:
      message = msg::kQuoteNotClosed;
      break;
    case XmlError::unmatched_end_tag:
      message = results.unclosed_section ? msg::kSectionNotClosed : msg::kEndTagClosesNothing;
      break;
    default:
      break;
  }
  // An unclosed quote or section is shown where it opens, not where the
  // search for its end gave up (the end of the text).
  const bool opened = results.opened_line > 0;
  return format_message(message, kListingLineWidth, opened ? results.opened_line : results.line,
                        opened ? results.opened_column : results.column);
}

std::string_view without_prefix(std::string_view name) {
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// No reader visits the content of the document element's children other
// than these (a terrain surface can be most of a file): their content is
// checked, not built.
bool content_unread(const XmlElement& parent, std::string_view name) {
  if (parent.name == nullptr || without_prefix(parent.name) != "LandXML") return false;
  const std::string_view local = without_prefix(name);
  return local != "Units" && local != "Alignments" && local != "GradeModel";
}

// Parses the whole text of a file. A NUL byte ends no text silently: NUL
// bytes that only pad the end are dropped, one with text after it rejects
// the file.
LandXmlDocument parse_and_examine(std::string&& text, const XmlProgress& progress) {
  if (utf16_to_utf8(text)) write_log("open  root", "UTF-16 read as UTF-8");
  if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
    if (text.find_first_not_of('\0', nul) != std::string::npos) {
      const auto [line, column] = text_position(text, nul);
      write_log("open  root", "NUL byte at", line, column);
      return rejected(format_message(msg::kNulByte, kListingLineWidth, line, column));
    }
    text.resize(nul);
  }
  XmlParseResults results;
  XmlTree tree = parse_xml(std::move(text), &results, progress, content_unread);
  write_log("open  root", tree != nullptr ? "parsed" : "failed", static_cast<int>(results.error),
            results.line, results.column);
  if (tree == nullptr) return rejected(parse_failure_line(results));
  return examine(std::move(tree));
}

}  // namespace

double linear_unit_factor(std::string_view unit) {
  const std::string keyword = to_capitals(unit);
  for (const UnitFactor& u : kLinearUnits) {
    if (keyword == u.keyword) return u.factor;
  }
  return 1.0;
}

double elevation_unit_factor(std::string_view unit, double linear_factor) {
  const std::string keyword = to_capitals(unit);
  for (const UnitFactor& u : kElevationUnits) {
    if (keyword == u.keyword) return u.factor;
  }
  return linear_factor;
}

LandXmlDocument open_landxml_text(std::string text) {
  return parse_and_examine(std::move(text), {});
}

LandXmlDocument open_landxml(const std::string& path, std::string* sha256) {
  write_log("open_landxml", path);
  DesignFile file = DesignFile::open(path);
  if (!file.is_open()) return rejected(refusal_line(file.status()));
  const std::uint64_t limit = largest_file_in_memory();
  if (file.size() > limit) {
    write_log("open_landxml", "too large", static_cast<double>(file.size()));
    return rejected(too_large_line(file.size(), limit));
  }
  const auto size = static_cast<std::size_t>(file.size());

  std::string buffer;
  try {
    buffer.resize(size);
  } catch (const std::bad_alloc&) {
    write_log("open_landxml", "no memory for", size);
    return rejected(format_message(msg::kNoMemory, kListingLineWidth));
  }
  const std::size_t block = std::max(size / kReadBlocksPerFile, kMinimumReadBlock);
  const bool show_progress = size > block;
  UserInterface& ui = user_interface();
  if (show_progress)
    ui.progress_window(kProgressScale, shorten_path_for_display(visible_text(path), kProgressNameWidth));
  std::size_t done = 0;
  while (done < size) {
    const std::size_t wanted = std::min(block, size - done);
    const std::size_t got = file.read(buffer.data() + done, wanted);
    done += got;
    if (show_progress) {
      ui.progress_window(
          static_cast<int>(static_cast<double>(done) * kReadingShare / static_cast<double>(size)), {});
    }
    if (got < wanted) break;
  }
  // The file may have shrunk or grown since it was opened: what was read is
  // the text.
  buffer.resize(done);
  if (sha256 != nullptr) {
    ContentDigest digest;
    digest.add(buffer);
    *sha256 = digest.finish();
  }
  XmlProgress progress;
  if (show_progress) {
    progress = [&ui](int percent) { ui.progress_window(kReadingShare + percent / 2, {}); };
  }
  LandXmlDocument document = parse_and_examine(std::move(buffer), progress);
  if (show_progress) ui.progress_window(-1, {});
  return document;
}

}  // namespace corvalinde
