#include "import/xml_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace corvalinde {
namespace {

// Compact picture of a subtree: element `name(children)` (`?name` for a
// declaration), attribute `@name=value` or `@name`, text `'value'`, section
// `{marker|value}`.
std::string dump(const XmlElement& element) {
  std::string out;
  for (const XmlEntry& entry : element.children()) {
    if (!out.empty()) out += ' ';
    if (const XmlAttribute* attribute = entry.attribute()) {
      out += std::string("@") + attribute->name;
      if (attribute->value != nullptr) out += std::string("=") + attribute->value;
    } else if (const XmlElement* child = entry.element()) {
      out += (child->is_declaration != 0 ? "?" : "") + std::string(child->name) + "(" + dump(*child) + ")";
    } else if (const XmlText* text = entry.text()) {
      out += "'" + std::string(text->value) + "'";
    } else if (const XmlSection* section = entry.section()) {
      out += std::string("{") + section->opening_marker + "|" + section->value + "}";
    }
  }
  return out;
}

std::string parse_and_dump(const char* text) {
  XmlParseResults results;
  const XmlTree tree = parse_xml(text, &results);
  if (tree == nullptr) return "error " + std::to_string(static_cast<int>(results.error));
  return dump(*tree);
}

XmlParseResults parse_failure(const char* text) {
  XmlParseResults results;
  const XmlTree tree = parse_xml(text, &results);
  EXPECT_EQ(tree, nullptr) << text;
  return results;
}

TEST(XmlTreeShape, DeclarationStaysOpenAndHoldsTheDocument) {
  XmlParseResults results;
  const XmlTree tree = parse_xml("<?xml version=\"1.0\"?>\n<a><b/></a>", &results);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(results.error, XmlError::none);
  EXPECT_EQ(tree->name, nullptr);
  EXPECT_EQ(tree->parent, nullptr);
  EXPECT_EQ(dump(*tree), "?xml(@version=\"1.0\" a(b()))");

  XmlElement* declaration = find_element(*tree, "xml");
  ASSERT_NE(declaration, nullptr);
  EXPECT_NE(declaration->is_declaration, 0);
  XmlElement* b = find_element(*tree, "xml/a/b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->parent, find_element(*tree, "xml/a"));
  EXPECT_EQ(b->parent->parent, declaration);
  EXPECT_EQ(declaration->parent, tree.get());
}

TEST(XmlTreeShape, AttributesKeepTheirQuotesAndMayBeBare) {
  EXPECT_EQ(parse_and_dump("<a x=1 y/>"), "a(@x=1 @y)");
  EXPECT_EQ(parse_and_dump("<a y z>"), "a(@y @z)");
  EXPECT_EQ(parse_and_dump("<a x = \"1 2\" q='p'/>"), "a(@x=\"1 2\" @q='p')");
  // "?>" closes a declaration without leaving a "?" behind, quoted or not.
  EXPECT_EQ(parse_and_dump("<?xml version=1.0?>"), "?xml(@version=1.0)");
  EXPECT_EQ(parse_and_dump("<?xml standalone?>"), "?xml(@standalone)");
  EXPECT_EQ(parse_and_dump("<?xml v='1' ?>"), "?xml(@v='1')");
  // Only a declaration loses a final "?".
  EXPECT_EQ(parse_and_dump("<a x=1? y?>"), "a(@x=1? @y?)");
}

TEST(XmlTreeShape, TextRunsAroundAnEmptyElementAreTrimmedAtTheEnd) {
  EXPECT_EQ(parse_and_dump("<a>one <b/> two</a>"), "a('one' b() 'two')");
  // Runs keep their tokens as written: no entity replacement, quotes and
  // "=" inside, only trailing white space removed.
  EXPECT_EQ(parse_and_dump("<a>x = &amp;  \"q\" y \r\n\t</a>"), "a('x = &amp;  \"q\" y')");
}

TEST(XmlTreeShape, EndTagUnwindsThroughUnclosedElements) {
  EXPECT_EQ(parse_and_dump("<r><a><b></a><c/></r>"), "r(a(b()) c())");
  EXPECT_EQ(parse_and_dump("<a><b><c>x</a><d/>"), "a(b(c('x'))) d()");
}

TEST(XmlTreeShape, ElementsOpenAtTheEndOfTheTextAreClosed) {
  EXPECT_EQ(parse_and_dump("<a><b>text"), "a(b('text'))");
  EXPECT_EQ(parse_and_dump(""), "");
  EXPECT_EQ(parse_and_dump("  \r\n"), "");
}

TEST(XmlTreeShape, SectionsAreKeptWholeAndSkippedByElementIteration) {
  const XmlTree tree = parse_xml(
      "<!DOCTYPE LandXML><a><!-- a <note> --><![CDATA[<x>&]]><b/><PRE><i></PRE>"
      "<Script>if (a<b) go();</Script><pre/></a>");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(dump(*tree),
            "{<!DOCTYPE| LandXML} a({<!--| a <note> } {<![CDATA[|<x>&} b() {<PRE>|<i>} "
            "{<Script>|if (a<b) go();} pre())");
  const XmlElement* a = find_element(*tree, "a");
  ASSERT_NE(a, nullptr);
  int index = 0;
  const XmlElement* first = next_element(*a, index);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->name, "b");
  EXPECT_EQ(index, 3);
  const XmlElement* second = next_element(*a, index);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second->name, "pre");
  EXPECT_EQ(next_element(*a, index), nullptr);
  EXPECT_EQ(index, a->count);
}

TEST(XmlTreeShape, BackslashIsAnOrdinaryCharacterInQuotedValues) {
  EXPECT_EQ(parse_and_dump(R"(<a path="C:\dir\" next="x"/>)"), R"(a(@path="C:\dir\" @next="x"))");
  EXPECT_EQ(parse_and_dump(R"(<a p='\' q='\\'>)"), R"(a(@p='\' @q='\\'))");
}

TEST(XmlTreeShape, SingleQuotesDelimitLikeDoubleQuotes) {
  EXPECT_EQ(parse_and_dump(R"(<a rot='ccw' say='he said "no"' d="it's"/>)"),
            R"(a(@rot='ccw' @say='he said "no"' @d="it's"))");
}

TEST(XmlTreeShape, QuotedValueFollowedAtOnceByANameKeepsBoth) {
  const char* text = R"(<a x="1"y='2'z/>)";
  EXPECT_EQ(parse_and_dump(text), R"(a(@x="1" @y='2' @z))");
  EXPECT_EQ(dump(*parse_xml(std::string(text))), R"(a(@x="1" @y='2' @z))");
}

TEST(XmlTreeShape, QuotesInContentAreOrdinaryText) {
  // An apostrophe in a text run must not swallow the markup up to the next
  // apostrophe (or reject the file when there is none).
  EXPECT_EQ(parse_and_dump("<a>it's 'odd</a><b/>"), "a('it's 'odd') b()");
  EXPECT_EQ(parse_and_dump("<a>\"</a>"), "a('\"')");
}

TEST(XmlTreeShape, ByteOrderMarkAndCrlfLeaveNoTraces) {
  const XmlTree tree = parse_xml("\xEF\xBB\xBF<?xml version='1.0'?>\r\n<a>\r\n\t<b n='1'/>\r\n</a>\r\n");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(dump(*tree), "?xml(@version='1.0' a(b(@n='1')))");
  EXPECT_EQ(tree->entries[0].source_offset, 5u);  // the name, after the mark and "<?"
}

TEST(XmlTreeShape, SourceOffsetsPointAtWhereEachChildBegins) {
  const char* text = "<a k='v'>  run<!--c--><b/></a>";
  const XmlTree tree = parse_xml(text);
  ASSERT_NE(tree, nullptr);
  const XmlElement* a = find_element(*tree, "a");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->count, 4);
  const std::string source(text);
  EXPECT_EQ(tree->entries[0].source_offset, source.find('a'));
  EXPECT_EQ(a->entries[0].source_offset, source.find('k'));
  EXPECT_EQ(a->entries[1].source_offset, source.find("run"));
  EXPECT_EQ(a->entries[2].source_offset, source.find("<!--"));
  EXPECT_EQ(a->entries[3].source_offset, source.find('b'));
}

TEST(XmlTreeShape, OwnedTextStopsAtItsFirstNul) {
  std::string text("<a/>\0<b", 7);
  EXPECT_EQ(dump(*parse_xml(std::move(text))), "a()");
}

TEST(XmlTreeShape, ValidVariantsRealWritersProduce) {
  // ">" and "/>" in text, a DOCTYPE with an internal subset (kept unread).
  EXPECT_EQ(parse_and_dump("<a>x > y/>z</a>"), "a('x > y/>z')");
  EXPECT_EQ(parse_and_dump("<!DOCTYPE a [<!ENTITY e \"v\"> ]>\n<a/>"),
            "{<!DOCTYPE| a [<!ENTITY e \"v\"> ]} a()");
  EXPECT_EQ(parse_and_dump("<!DOCTYPE a [ <!ENTITY e 'v'>"), "error 6");
}

TEST(XmlTreeShape, SkippedContentIsCheckedButNotBuilt) {
  const auto skip_b = [](const XmlElement&, std::string_view name) { return name == "b"; };
  XmlParseResults results;
  XmlTree tree = parse_xml(std::string("<a><b k='1'><c><d/>t<!--x--></c></b><e/></a>"), &results, {}, skip_b);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(dump(*tree), "a(b(@k='1') e())");
  // Its end tags still unwind as they would, and its errors still count.
  tree = parse_xml(std::string("<a><b><c></a><e/>"), &results, {}, skip_b);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(dump(*tree), "a(b()) e()");
  EXPECT_EQ(parse_xml(std::string("<a><b><c x='1></b></a>"), &results, {}, skip_b), nullptr);
  EXPECT_EQ(results.error, XmlError::unmatched_quote);
  EXPECT_EQ(std::pair(results.opened_line, results.opened_column), std::pair(1, 12));
  // Progress goes on through skipped content.
  std::string big = "<a><b>";
  for (int i = 0; i < 1000; ++i) big += "<c/>";
  int last_percent = -1;
  tree = parse_xml(
      std::move(big += "</b></a>"), &results, [&](int percent) { last_percent = percent; }, skip_b);
  EXPECT_GE(last_percent, 99);
}

struct ErrorCase {
  const char* text;
  XmlError error;
  int line;
  int column;
};

TEST(XmlTreeErrors, CodesAndTheirStopPositions) {
  const ErrorCase cases[] = {
      {"</a>", XmlError::unmatched_end_tag, 1, 5},
      {"<a></a></b>", XmlError::unmatched_end_tag, 1, 12},
      {"<a x=\"1>", XmlError::unmatched_quote, 1, 9},
      {"<a>\n<b x='1></b></a>", XmlError::unmatched_quote, 2, 17},
      {"<a =>", XmlError::unexpected_token, 1, 5},
      {"<a\n  <b>", XmlError::unexpected_token, 2, 4},
      {"<a x=>", XmlError::unexpected_token, 1, 7},
      {"<a x=\"1\"\"2\">", XmlError::unexpected_token, 1, 12},
      {"<a <!-- c -->>", XmlError::unexpected_token, 1, 8},
      {"<>", XmlError::missing_start_tag_name, 1, 3},
      {"<a>\n\n<?=", XmlError::missing_start_tag_name, 3, 4},
      {"</>", XmlError::missing_end_tag_name, 1, 4},
      {"<a></a b>", XmlError::missing_end_tag_name, 1, 9},
      {"<a><!-- never closed", XmlError::unmatched_end_tag, 1, 21},
      {"<a\n>\n<!DOCTYPE [", XmlError::unmatched_end_tag, 3, 12},
      {"<a><![CDATA[x]]", XmlError::unmatched_end_tag, 1, 16},
  };
  for (const ErrorCase& c : cases) {
    const XmlParseResults results = parse_failure(c.text);
    EXPECT_EQ(results.error, c.error) << c.text;
    EXPECT_EQ(results.line, c.line) << c.text;
    EXPECT_EQ(results.column, c.column) << c.text;
  }
}

TEST(XmlTreeErrors, ColumnsCountCharactersNotBytes) {
  const XmlParseResults results = parse_failure("<a>\n  \xC3\xA9 \xE2\x82\xAC </b>");
  EXPECT_EQ(results.error, XmlError::unmatched_end_tag);
  EXPECT_EQ(results.line, 2);
  EXPECT_EQ(results.column, 11);
}

TEST(XmlTreeErrors, LineFeedsThatEndNamesAndValuesStillCount) {
  // Names and values are cut out of the text in place; the line feeds that
  // end them must still count for the error position.
  const XmlParseResults results = parse_failure("<a\nx=\"1\"\ny=2\n>text\n</a>\n</b>");
  EXPECT_EQ(results.error, XmlError::unmatched_end_tag);
  EXPECT_EQ(results.line, 6);
  EXPECT_EQ(results.column, 5);
}

TEST(XmlTreeErrors, EveryTruncationOfADocumentFailsAtTheCutOrParses) {
  // Expected code for each prefix length of the document, 0 for success.
  const std::string document = R"(<?xml v="1"?><a x='2'>t<!--c--><b/></a>)";
  const std::string expected = "0337777775577037777557003776666037703440";
  ASSERT_EQ(expected.size(), document.size() + 1);
  for (std::size_t length = 0; length <= document.size(); ++length) {
    const std::string prefix = document.substr(0, length);
    XmlParseResults results;
    const XmlTree tree = parse_xml(prefix.c_str(), &results);
    const int code = static_cast<int>(results.error);
    EXPECT_EQ(code, expected[length] - '0') << "cut at " << length << ": " << prefix;
    EXPECT_EQ(tree == nullptr, code != 0) << prefix;
    if (code != 0) {
      EXPECT_EQ(results.line, 1) << prefix;
      EXPECT_EQ(results.column, static_cast<int>(length) + 1) << prefix;
    }
  }
  EXPECT_EQ(parse_and_dump(document.substr(0, 23).c_str()), "?xml(@v=\"1\" a(@x='2' 't'))");
}

TEST(XmlTreeErrors, FailedParsesReleaseEverything) {
  const std::int64_t before = xml_live_blocks();
  for (const char* text : {"<a><b><c x='", "</x>", "<a><!--", "<>"}) {
    EXPECT_EQ(parse_xml(text), nullptr);
    EXPECT_EQ(xml_live_blocks(), before) << text;
  }
  {
    const XmlTree tree = parse_xml("<a><b/></a>");
    EXPECT_GT(xml_live_blocks(), before);
  }
  EXPECT_EQ(xml_live_blocks(), before);
}

std::string nested(std::size_t depth, bool closed) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i) text += "<e k='1'>";
  if (closed) {
    for (std::size_t i = 0; i < depth; ++i) text += "</e>";
  }
  return text;
}

TEST(XmlTreeLimits, DeepNestingParsesAndReleasesWithoutRecursion) {
  const std::int64_t before = xml_live_blocks();
  for (const bool closed : {true, false}) {
    const std::size_t depth = 200000;
    XmlParseResults results;
    XmlTree tree = parse_xml(nested(depth, closed), &results);
    ASSERT_NE(tree, nullptr) << xml_error_text(results.error);
    std::size_t levels = 0;
    const XmlElement* element = tree.get();
    while (true) {
      int index = 0;
      const XmlElement* child = next_element(*element, index);
      if (child == nullptr) break;
      ASSERT_EQ(child->parent, element);
      element = child;
      ++levels;
    }
    EXPECT_EQ(levels, depth);
    tree.reset();
    EXPECT_EQ(xml_live_blocks(), before);
  }
}

TEST(XmlTreeLimits, HugeAttributeAndManyChildren) {
  std::string value(10 * 1024 * 1024, 'x');
  value.back() = '\\';
  std::string text = "<s><a v=\"" + value + "\"/>";
  for (int i = 0; i < 300000; ++i) text += "<P id=\"1\">1.5 2.5 3.5</P>";
  text += "</s>";
  const XmlTree tree = parse_xml(std::move(text));
  ASSERT_NE(tree, nullptr);
  const XmlElement* s = find_element(*tree, "s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->count, 300001);
  const XmlAttribute* v = find_attribute(*find_element(*s, "a"), "v");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(std::strlen(v->value), value.size() + 2);
  EXPECT_EQ(v->value[value.size()], '\\');
  const XmlElement& last = *s->entries[s->count - 1].element();
  EXPECT_EQ(dump(last), "@id=\"1\" '1.5 2.5 3.5'");
}

TEST(XmlTreeLookup, PathsFollowFirstMatchesAndRejectEmptySegments) {
  const XmlTree tree = parse_xml("<a><b n='1'><c/></b><b n='2'><d/></b></a>");
  ASSERT_NE(tree, nullptr);
  const XmlElement* a = find_element(*tree, "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(find_element(*tree, "a/b/c"), find_element(*a, "b/c"));
  EXPECT_NE(find_element(*tree, "a/b/c"), nullptr);
  EXPECT_EQ(find_element(*tree, "a/b/d"), nullptr);  // only the first b is searched
  EXPECT_EQ(find_element(*tree, "a/b/c/"), find_element(*tree, "a/b/c"));
  EXPECT_EQ(find_element(*tree, "/a"), nullptr);
  EXPECT_EQ(find_element(*tree, "a//b"), nullptr);
  EXPECT_EQ(find_element(*tree, ""), nullptr);
  EXPECT_EQ(find_element(*tree, "A"), nullptr);
  EXPECT_STREQ(find_attribute(*find_element(*a, "b"), "n")->value, "'1'");
  EXPECT_EQ(find_attribute(*a, "n"), nullptr);
}

TEST(XmlTreeLookup, IterationByKindAdvancesACallerHeldIndex) {
  const XmlTree tree = parse_xml("<a p='1'>t<b/><!--c--><c/><q/></a>");
  ASSERT_NE(tree, nullptr);
  const XmlElement& a = *find_element(*tree, "a");
  std::vector<std::string> elements;
  int index = 0;
  while (const XmlElement* child = next_element(a, index)) elements.emplace_back(child->name);
  EXPECT_EQ(elements, (std::vector<std::string>{"b", "c", "q"}));

  index = 0;
  const XmlAttribute* p = next_attribute(a, index);
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p->name, "p");
  EXPECT_EQ(next_attribute(a, index), nullptr);

  std::vector<XmlEntryKind> kinds;
  index = 0;
  while (const XmlEntry* entry = next_entry(a, index)) kinds.push_back(entry->kind);
  EXPECT_EQ(kinds,
            (std::vector<XmlEntryKind>{XmlEntryKind::attribute, XmlEntryKind::text, XmlEntryKind::element,
                                       XmlEntryKind::section, XmlEntryKind::element, XmlEntryKind::element}));
  index = 4;
  EXPECT_STREQ(next_element(a, index)->name, "c");
}

TEST(XmlTreeLookup, TagsMatchOnTheirSignificantPartCaseSensitively) {
  EXPECT_TRUE(tags_equal("Alignment", "Alignment"));
  EXPECT_TRUE(tags_equal("a>", "a"));
  EXPECT_TRUE(tags_equal("a b", "a\tc"));
  EXPECT_TRUE(tags_equal("a\r\n", "a"));
  EXPECT_FALSE(tags_equal("alignment", "Alignment"));
  EXPECT_FALSE(tags_equal("ab", "a"));
  EXPECT_FALSE(tags_equal(nullptr, "a"));
  EXPECT_FALSE(tags_equal("a", nullptr));
}

TEST(XmlTreeBuilding, EntryArrayGrowsGeometricallyAndNeverByLessThanTheStep) {
  XmlTree tree = parse_xml("<a/>");
  ASSERT_NE(tree, nullptr);
  XmlElement& a = *find_element(*tree, "a");
  ASSERT_NE(add_attribute(a, "k", std::nullopt, 5), nullptr);
  EXPECT_EQ(a.capacity, 5);
  std::set<const XmlEntry*> arrays{a.entries};
  for (int i = 1; i < 100000; ++i) {
    ASSERT_NE(add_text(a, "t", 5), nullptr);
    ASSERT_GE(a.capacity, a.count);
    arrays.insert(a.entries);
  }
  EXPECT_EQ(a.count, 100000);
  EXPECT_LE(arrays.size(), 16u);  // 5, 10, 20, ... : about log2(n / 5) moves
  EXPECT_STREQ(a.entries[0].attribute()->name, "k");
  EXPECT_STREQ(a.entries[99999].text()->value, "t");

  XmlElement& b = *add_element(a, "b", false, 50);
  EXPECT_EQ(b.parent, &a);
  ASSERT_NE(add_text(b, "x", 50), nullptr);
  EXPECT_EQ(b.capacity, 50);
}

TEST(XmlTreeBuilding, AddedChildrenOwnCopiesOfTheirTexts) {
  XmlTree tree = parse_xml("");
  ASSERT_NE(tree, nullptr);
  std::string name = "Alignment";
  std::string value = "\"A1\"";
  XmlElement* element = add_element(*tree, name, false, 5);
  ASSERT_NE(element, nullptr);
  add_attribute(*element, "name", value, 5);
  add_attribute(*element, "bare", std::nullopt, 5);
  add_section(*element, " note ", XmlSectionKind::comment, 5);
  add_element(*element, "xml", true, 5);
  name.assign("changed");
  value.assign("changed");
  EXPECT_EQ(dump(*tree), "Alignment(@name=\"A1\" @bare {<!--| note } ?xml())");
  EXPECT_STREQ(element->entries[2].section()->closing_marker, "-->");
}

TEST(XmlTreeBuilding, FreeingAnInnerElementDetachesIt) {
  XmlTree tree = parse_xml("<a><b/><c/><d/></a>");
  ASSERT_NE(tree, nullptr);
  XmlElement& a = *find_element(*tree, "a");
  free_xml(find_element(a, "c"));
  EXPECT_EQ(dump(a), "b() d()");
  EXPECT_EQ(a.count, 2);
}

TEST(XmlTreeBuilding, DuplicateTextCopiesWholeOrCutCharacters) {
  const std::int64_t before = xml_live_blocks();
  {
    const XmlOwnedText whole = duplicate_text("Pnts", 0);
    EXPECT_STREQ(whole.get(), "Pnts");
    EXPECT_EQ(xml_live_blocks(), before + 1);
    EXPECT_STREQ(duplicate_text("Pnts", 2).get(), "Pn");
    EXPECT_STREQ(duplicate_text("ab", 10).get(), "ab");
    EXPECT_STREQ(duplicate_text("a\xC3\xA9z", 2).get(), "a");  // never half of "é"
    EXPECT_STREQ(duplicate_text("a\xC3\xA9z", 3).get(), "a\xC3\xA9");
  }
  EXPECT_EQ(xml_live_blocks(), before);
}

TEST(XmlTreeProgress, ReportsRisingPercentagesOnlyWhenAsked) {
  std::string text = "<r>";
  for (int i = 0; i < 1000; ++i) text += "<e/>";
  text += "</r>";
  std::vector<int> reported;
  const XmlTree tree = parse_xml(text.c_str(), nullptr, [&](int percent) { reported.push_back(percent); });
  ASSERT_NE(tree, nullptr);
  ASSERT_GE(reported.size(), 90u);
  EXPECT_EQ(reported.front(), 0);
  EXPECT_GE(reported.back(), 99);
  EXPECT_LE(reported.back(), 100);
  for (std::size_t i = 1; i < reported.size(); ++i) EXPECT_GT(reported[i], reported[i - 1]);
}

// Files under tests/data/xml: well-formed seeds parse; each regression input
// (kept from fuzzing) must come back without a crash and with a sound tree.
void check_tree(const XmlElement& root, std::size_t text_size) {
  std::vector<const XmlElement*> pending{&root};
  while (!pending.empty()) {
    const XmlElement* element = pending.back();
    pending.pop_back();
    ASSERT_LE(element->count, element->capacity);
    for (const XmlEntry& entry : element->children()) {
      EXPECT_LE(entry.source_offset, text_size);
      if (const XmlElement* child = entry.element()) {
        ASSERT_EQ(child->parent, element);
        ASSERT_NE(child->name, nullptr);
        pending.push_back(child);
      } else if (const XmlAttribute* attribute = entry.attribute()) {
        EXPECT_LE(std::strlen(attribute->name), text_size);
      } else if (const XmlText* text = entry.text()) {
        EXPECT_LE(std::strlen(text->value), text_size);
      } else if (const XmlSection* section = entry.section()) {
        EXPECT_LE(std::strlen(section->value), text_size);
      } else {
        ADD_FAILURE() << "entry of kind " << static_cast<int>(entry.kind);
      }
    }
  }
}

TEST(XmlTreeFiles, SeedsParseAndRegressionInputsStaySound) {
  const std::filesystem::path folder = std::filesystem::path(CORVALINDE_TEST_DATA_DIR) / "xml";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  int files = 0;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    std::ifstream in(item.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t size = text.size();
    XmlParseResults results;
    const XmlTree tree = parse_xml(std::move(text), &results);
    ++files;
    if (item.path().parent_path().filename() == "seeds") {
      EXPECT_NE(tree, nullptr) << item.path() << ": " << xml_error_text(results.error) << " at "
                               << results.line << ":" << results.column;
    }
    if (tree != nullptr) {
      check_tree(*tree, size);
    } else {
      EXPECT_GE(results.line, 1) << item.path();
      EXPECT_GE(results.column, 1) << item.path();
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace corvalinde
