#include "import/landxml/landxml_document.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

#include "import/landxml/landxml_attributes.h"
#include "import/native_design_reader.h"
#include "import/text_encoding.h"
#include "services/diagnostic_log.h"
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

// Finds the declaration, the LandXML element, its units and its Alignments.
LandXmlDocument examine(XmlTree tree) {
  LandXmlDocument document;
  document.tree = std::move(tree);
  if (document.tree == nullptr) return document;
  XmlElement* declaration = find_element(*document.tree, "xml");
  if (declaration == nullptr) {
    write_log("no declaration");
    document.tree.reset();
    return document;
  }
  std::string encoding;
  if (XML_FIND_ATTRIBUTE_STR(*declaration, "encoding", encoding, kLandXmlNameWidth) >= 0) {
    write_log(std::string("encoding '") + XML_STRDUP(encoding) + "'");
    document.encoding = encoding_from_declaration(XML_STRDUP(encoding));
  }
  document.landxml = find_element(*declaration, "LandXML");
  XmlElement* units = document.landxml != nullptr ? find_element(*document.landxml, "Units") : nullptr;
  XmlElement* system = nullptr;
  if (units != nullptr) {
    system = find_element(*units, "Metric");
    if (system == nullptr) system = find_element(*units, "Imperial");
  }
  if (system == nullptr) {
    document.tree.reset();
    document.landxml = nullptr;
    return document;
  }
  document.units.linear = linear_unit_factor(attribute_text(*system, "linearUnit"));
  document.units.elevation =
      elevation_unit_factor(attribute_text(*system, "elevationUnit"), document.units.linear);
  document.alignments = find_element(*document.landxml, "Alignments");
  write_log("aligns", document.alignments != nullptr ? "found" : "none");
  document.status =
      document.alignments != nullptr ? LandXmlOpenStatus::kOpened : LandXmlOpenStatus::kNoAlignments;
  return document;
}

XmlTree parse_logged(std::string&& text, const XmlProgress& progress) {
  if (utf16_to_utf8(text)) write_log("open  root", "UTF-16 read as UTF-8");
  XmlParseResults results;
  XmlTree tree = parse_xml(std::move(text), &results, progress);
  write_log("open  root", tree != nullptr ? "parsed" : "failed", static_cast<int>(results.error),
            results.line, results.column);
  return tree;
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
  return examine(parse_logged(std::move(text), {}));
}

LandXmlDocument open_landxml(const std::string& path) {
  write_log("open_landxml", path);
  std::error_code error;
  const std::filesystem::path file(path);
  if (std::filesystem::is_directory(file, error)) return {};
  std::ifstream stream(file, std::ios::in | std::ios::binary);
  if (!stream.is_open()) return {};
  const std::uintmax_t file_size = std::filesystem::file_size(file, error);
  if (error || file_size >= static_cast<std::uintmax_t>(std::string().max_size())) return {};
  const auto size = static_cast<std::size_t>(file_size);

  std::string buffer;
  try {
    buffer.resize(size);
  } catch (const std::bad_alloc&) {
    write_log("open_landxml", "no memory for", size);
    return {};
  } catch (const std::length_error&) {
    return {};
  }
  const std::size_t block = std::max(size / kReadBlocksPerFile, kMinimumReadBlock);
  const bool show_progress = size > block;
  UserInterface& ui = user_interface();
  if (show_progress) ui.progress_window(kProgressScale, shorten_path_for_display(path, kProgressNameWidth));
  std::size_t done = 0;
  while (done < size) {
    const std::size_t wanted = std::min(block, size - done);
    stream.read(buffer.data() + done, static_cast<std::streamsize>(wanted));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(stream.gcount(), 0));
    done += got;
    if (show_progress) {
      ui.progress_window(
          static_cast<int>(static_cast<double>(done) * kReadingShare / static_cast<double>(size)), {});
    }
    if (got < wanted) break;
  }
  if (done < size) {
    if (show_progress) ui.progress_window(-1, {});
    write_log("open_landxml", "read", done, "of", size);
    return {};
  }
  XmlProgress progress;
  if (show_progress) {
    progress = [&ui](int percent) { ui.progress_window(kReadingShare + percent / 2, {}); };
  }
  XmlTree tree = parse_logged(std::move(buffer), progress);
  if (show_progress) ui.progress_window(-1, {});
  return examine(std::move(tree));
}

}  // namespace corvalinde
