// The LANDXML helpers: attribute values, element names and text runs of the
// XML tree read as blank-padded texts and numbers, with the free-format number
// reading the LandXML reader relies on. Pure functions over a tree the caller
// owns; a missing attribute or an unreadable number is a returned status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "import/xml_tree.h"

namespace corvalinde {

// Width of the element names PELQNODENAME_* give.
inline constexpr std::size_t kLandXmlNameWidth = 80;

// Copies the value of attribute `name` into `text`, blank-padded or cut to
// `width` characters (a cut never splits a UTF-8 character). The quotes that
// delimit the value (double or single) are skipped; every other character,
// backslashes included, is copied as it stands. Returns the number of
// characters copied, 0 for an attribute written without a value, -1 when the
// attribute does not exist (text is then all blanks).
int XML_FIND_ATTRIBUTE_STR(const XmlElement& element, std::string_view name, std::string& text,
                           std::size_t width);

// The attribute's value read as one real number with the free-format reading
// of read_free_format_real. False when the attribute is missing, has no value
// or does not read as a finite number (value is then left unchanged).
[[nodiscard]] bool XML_FIND_ATTRIBUTE_REAL8(const XmlElement& element, std::string_view name, double& value);

// The same for a 32-bit integer.
[[nodiscard]] bool XML_FIND_ATTRIBUTE_INT4(const XmlElement& element, std::string_view name,
                                           std::int32_t& value);

// The element's name as an 80-character blank-padded text (blanks for the
// document root); the _PTR form also takes a null element.
std::string PELQNODENAME_OBJ(const XmlElement& element);
std::string PELQNODENAME_PTR(const XmlElement* element);

// A blank-padded text without its trailing blanks, as a new text.
std::string XML_STRDUP(std::string_view padded);

// The attribute's value without its delimiting quotes and without trailing
// blanks: "" for a missing attribute or one without value.
std::string attribute_text(const XmlElement& element, std::string_view name);

// ASCII letters turned into capitals (keywords of attribute values and the
// names of the plan elements are compared this way).
std::string to_capitals(std::string_view text);

// The first number of a text read as a list-directed (free-format) read does:
// leading blanks and one comma are skipped, the item ends at a blank, comma,
// slash or the end; an optional sign, digits with an optional point and an
// exponent written with E or D. Moves `text` past the item and its separator.
// False (value unchanged) for an empty or unreadable item, or a value that is
// not finite.
[[nodiscard]] bool read_free_format_real(std::string_view& text, double& value);

// The text of the first text run of an element, or "" when it has none.
std::string_view first_text_run(const XmlElement& element);

// The first child element with this exact name, or null.
[[nodiscard]] XmlElement* child_element(const XmlElement& element, std::string_view name);

// Number of child elements (not attributes or texts).
int child_element_count(const XmlElement& element);

}  // namespace corvalinde
