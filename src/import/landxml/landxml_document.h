// Opening a LandXML file: the whole file read in blocks (with a progress
// window for large files), parsed into an XML tree, checked for the elements
// every design carries, and its unit factors worked out. The document element
// may follow an XML declaration and other processing instructions or stand
// alone, and may carry a namespace prefix (dropped from every element that
// shares it). A file that is not a regular file, is larger than memory allows,
// holds a NUL byte inside its text or does not parse is rejected, and
// `refusal` says why. The document owns
// its tree; everything the other reader steps find points into it. Opening
// never throws: the status says how far it got.
#pragma once

#include <string>
#include <string_view>

#include "import/landxml/landxml_text.h"
#include "import/xml_tree.h"

namespace corvalinde {

// Factors that turn the file's lengths into metres.
struct LandXmlUnits {
  double linear = 1.0;     // coordinates, stations, lengths, radii
  double elevation = 1.0;  // elevations of the profile
};

// Linear factor of a "linearUnit" value (any case); 1 for metres and for
// anything not recognised.
double linear_unit_factor(std::string_view unit);

// The elevation factor: the factor of "elevationUnit" when the file gives a
// unit we know, else the linear factor.
double elevation_unit_factor(std::string_view unit, double linear_factor);

enum class LandXmlOpenStatus {
  kOpened,        // declaration, LandXML, Units and Alignments found
  kNoAlignments,  // a LandXML document with units but no Alignments (the tree is kept)
  kRejected,      // unreadable, not parsed, or without LandXML or Units (see `refusal`)
};

struct LandXmlDocument {
  LandXmlOpenStatus status = LandXmlOpenStatus::kRejected;
  XmlTree tree;
  XmlElement* landxml = nullptr;     // the LandXML element
  XmlElement* alignments = nullptr;  // its first Alignments child
  LandXmlUnits units;
  LandXmlEncoding encoding = LandXmlEncoding::kUtf8;
  std::string refusal;  // rejected: the console line that says why (what was found, and where)
};

// Block size of the file reading: max(size / 50, 102 400) bytes.
inline constexpr std::size_t kMinimumReadBlock = 102400;
inline constexpr std::size_t kReadBlocksPerFile = 50;

// Reads and parses the file at `path`. A progress window (shown through the
// user-interface port with the shortened file name) follows the reading and
// the parsing of files larger than one block. sha256, when given, receives
// the digest of the bytes read (what the document holds), or nothing when
// the file was refused before it was read.
LandXmlDocument open_landxml(const std::string& path, std::string* sha256 = nullptr);

// The same for a text already in memory (nothing is shown).
LandXmlDocument open_landxml_text(std::string text);

// A LandXML file read and parsed once, so that several readings (one per
// alignment, on several threads at once) share it: a reading only looks at
// the document.
struct ParsedLandXml {
  LandXmlDocument document;
  std::string sha256;  // of the bytes read; empty when the file was refused unread
};

}  // namespace corvalinde
