// The LANDXML helpers (attribute values as padded texts and numbers) and the
// conversion of names into valid UTF-8 for the console.
#include <gtest/gtest.h>

#include "import/landxml/landxml_attributes.h"
#include "import/landxml/landxml_document.h"
#include "import/landxml/landxml_text.h"
#include "output/utf8.h"

namespace corvalinde {
namespace {

// The first element of a parsed text.
class ParsedElement {
 public:
  explicit ParsedElement(const std::string& text) : tree_(parse_xml(text.c_str())) {}
  const XmlElement& element() const {
    int index = 0;
    return *next_element(*tree_, index);
  }

 private:
  XmlTree tree_;
};

TEST(LandXmlAttributes, StringValueLosesItsDelimitingQuotesOnlyAndIsPadded) {
  const ParsedElement e(R"(<e a="abc" b='ccw' c="C:\dir\" d="say 'hi'" bare f="">)");
  std::string text;
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "a", text, 6), 3);
  EXPECT_EQ(text, "abc   ");
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "b", text, 3), 3);
  EXPECT_EQ(text, "ccw");
  // A backslash is an ordinary character, also at the end of the value.
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "c", text, 8), 7);
  EXPECT_EQ(text, R"(C:\dir\ )");
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "d", text, 8), 8);
  EXPECT_EQ(text, "say 'hi'");
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "bare", text, 2), 0);
  EXPECT_EQ(text, "  ");
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "f", text, 2), 0);
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "missing", text, 4), -1);
  EXPECT_EQ(text, "    ");
}

TEST(LandXmlAttributes, StringValueIsCutBetweenCharacters) {
  const ParsedElement e("<e n=\"\xC3\xA9t\xC3\xA9 long\">");
  std::string text;
  EXPECT_EQ(XML_FIND_ATTRIBUTE_STR(e.element(), "n", text, 3), 3);
  EXPECT_EQ(text, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(utf8_length(text), 3U);
}

TEST(LandXmlAttributes, NumbersAreReadFreeFormat) {
  const ParsedElement e(
      R"(<e a="0." b=" -12.5e2 " c="1.5D3" d="+7" e="INF" f="nan" g="12abc" h="" i="3 4" j="1e999" k='2.25' n="0x10">)");
  double v = -1.0;
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "a", v));
  EXPECT_EQ(v, 0.0);
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "b", v));
  EXPECT_EQ(v, -1250.0);
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "c", v));
  EXPECT_EQ(v, 1500.0);
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "d", v));
  EXPECT_EQ(v, 7.0);
  // The first item counts.
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "i", v));
  EXPECT_EQ(v, 3.0);
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_REAL8(e.element(), "k", v));
  EXPECT_EQ(v, 2.25);
  v = 42.0;
  for (const char* bad : {"e", "f", "g", "h", "j", "n", "missing"}) {
    EXPECT_FALSE(XML_FIND_ATTRIBUTE_REAL8(e.element(), bad, v)) << bad;
  }
  EXPECT_EQ(v, 42.0);
  std::int32_t n = 0;
  ASSERT_TRUE(XML_FIND_ATTRIBUTE_INT4(e.element(), "d", n));
  EXPECT_EQ(n, 7);
  EXPECT_FALSE(XML_FIND_ATTRIBUTE_INT4(e.element(), "b", n));
}

TEST(LandXmlAttributes, PointTextsAreReadItemByItem) {
  std::string_view text = "\n  6701878.8 , 23474590.6\t12";
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  ASSERT_TRUE(read_free_format_real(text, a));
  ASSERT_TRUE(read_free_format_real(text, b));
  ASSERT_TRUE(read_free_format_real(text, c));
  EXPECT_EQ(a, 6701878.8);
  EXPECT_EQ(b, 23474590.6);
  EXPECT_EQ(c, 12.0);
  EXPECT_FALSE(read_free_format_real(text, c));
}

TEST(LandXmlAttributes, ElementNamesArePaddedToEightyCharacters) {
  const ParsedElement e("<Alignment/>");
  EXPECT_EQ(PELQNODENAME_OBJ(e.element()), utf8_fit("Alignment", 80));
  EXPECT_EQ(PELQNODENAME_PTR(nullptr), std::string(80, ' '));
  EXPECT_EQ(XML_STRDUP("name   "), "name");
  EXPECT_EQ(to_capitals("usSurveyFoot"), "USSURVEYFOOT");
}

TEST(LandXmlUnits, LinearAndElevationFactors) {
  EXPECT_EQ(linear_unit_factor("meter"), 1.0);
  EXPECT_EQ(linear_unit_factor("USSurveyFoot"), 0.3048006096012192);
  EXPECT_EQ(linear_unit_factor("foot"), 0.3048);
  EXPECT_EQ(linear_unit_factor("Millimeter"), 0.001);
  EXPECT_EQ(linear_unit_factor("furlong"), 1.0);
  EXPECT_EQ(elevation_unit_factor("", 0.3048), 0.3048);
  EXPECT_EQ(elevation_unit_factor("meter", 0.3048), 1.0);
  EXPECT_EQ(elevation_unit_factor("FEET", 1.0), 0.3048);
  EXPECT_EQ(elevation_unit_factor("miles", 1.0), 1609.344);
  EXPECT_EQ(elevation_unit_factor("kilometer", 1.0), 1000.0);
}

TEST(LandXmlText, DeclaredLatin1AndStrayBytesBecomeValidUtf8) {
  EXPECT_EQ(encoding_from_declaration(" iso-8859-1 "), LandXmlEncoding::kWindows1252);
  EXPECT_EQ(encoding_from_declaration("UTF-8"), LandXmlEncoding::kUtf8);
  EXPECT_EQ(text_to_utf8("caf\xE9 \x80", LandXmlEncoding::kWindows1252), "caf\u00E9 \u20AC");
  // Valid UTF-8 stays as it is; a byte that starts no character is read as windows-1252.
  EXPECT_EQ(text_to_utf8("\xE2\x97\x8B stra\xDF"
                         "e",
                         LandXmlEncoding::kUtf8),
            "\u25CB stra\u00DFe");
  // A sequence cut short at the end of the text is not taken for a character.
  EXPECT_EQ(text_to_utf8("ab\xE2\x97", LandXmlEncoding::kUtf8), "ab\u00E2\u2014");
}

TEST(LandXmlText, ReferencesAreReplacedAndNamesAreCutBetweenCharacters) {
  EXPECT_EQ(
      replace_references("A &amp; B &lt;1&gt; &quot;x&quot; &apos; &#233;&#xE9; &unknown; &#xD;&#xA;end"),
      "A & B <1> \"x\" ' \u00E9\u00E9 &unknown;   end");
  EXPECT_EQ(replace_references("&#x110000; & ;"), "  & ;");
  EXPECT_EQ(display_name("  Voie \xE9\tnord  ", LandXmlEncoding::kWindows1252, 80), "Voie \u00E9 nord");
  EXPECT_EQ(display_name("\xE9\xE9\xE9", LandXmlEncoding::kWindows1252, 2), "\u00E9\u00E9");
  EXPECT_EQ(display_name("\xEF\xBB\xBF"
                         "A",
                         LandXmlEncoding::kUtf8, 5),
            "A");
}

}  // namespace
}  // namespace corvalinde
