// Names from a LandXML file made fit for the console and the choice lists:
// the bytes of the declared encoding turned into valid UTF-8, character and
// entity references replaced, control characters blanked, cut to a width in
// characters. Pure functions; every input gives some valid UTF-8 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde {

// How the bytes of a file's texts are to be read.
enum class LandXmlEncoding {
  kUtf8,         // declared UTF-8 or nothing: invalid bytes are read as windows-1252
  kWindows1252,  // declared ISO-8859-1, Latin-1 or windows-1252
};

// The encoding a declaration's "encoding" value names (any case, blanks
// around ignored); anything unknown is read as UTF-8.
LandXmlEncoding encoding_from_declaration(std::string_view declared);

// The bytes as valid UTF-8.
std::string text_to_utf8(std::string_view raw, LandXmlEncoding encoding);

// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#N;" and "&#xH;" replaced by
// their characters (a reference to a control character or to no character
// becomes a blank, an unknown reference stays as written).
std::string replace_references(std::string_view text);

// A name as shown: converted, references replaced, control characters
// blanked, trailing blanks removed, cut to `width` characters.
std::string display_name(std::string_view raw, LandXmlEncoding encoding, std::size_t width);

}  // namespace corvalinde
