// Checks the readable sources of the three built-in message tables
// (messages/fr.tsv, en.tsv, ids.tsv) against the contract that the readers,
// analyses and dialogs rely on: every message in use has a text, templates take
// exactly their documented values, split messages keep their fields, and every
// listing line fits its width. The files are read straight from the source tree.
#include <fmt/args.h>
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {
namespace {

constexpr int kMessageCount = 395;
constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kFindingWidth = 60;
constexpr std::size_t kZoneTextWidth = 54;  // marker included
constexpr std::size_t kParameterLabelWidth = 25;
constexpr std::size_t kFileTypeWidth = 40;

// ---------------------------------------------------------------------------
// Reading a table source.

struct MessageSource {
  std::map<int, std::string> texts;
  std::vector<std::string> problems;  // one entry per malformed line
};

bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (b < 0x80) {
      extra = 0;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (extra > 0 && i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

// Widths count characters, not bytes.
std::size_t char_count(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

// The first `count` characters of s (whole characters only).
std::string first_chars(std::string_view s, std::size_t count) {
  std::size_t seen = 0;
  std::size_t i = 0;
  for (; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (seen == count) break;
      ++seen;
    }
  }
  return std::string(s.substr(0, i));
}

std::string trim_right(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Field `index` (0-based) of a message cut into fields of `width` characters,
// as the listing helpers cut it; a field beyond the text is blank.
std::string field(std::string_view text, std::size_t width, std::size_t index) {
  std::string padded(text);
  padded.append(width * (index + 1), ' ');
  std::string before = first_chars(padded, width * index);
  std::string upto = first_chars(padded, width * (index + 1));
  return upto.substr(before.size());
}

std::vector<std::string> split(std::string_view s, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = s.find(separator, start);
    parts.emplace_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

MessageSource load_source(const std::string& file_name) {
  MessageSource source;
  std::ifstream in(std::string(CORVALINDE_MESSAGES_DIR) + "/" + file_name, std::ios::binary);
  if (!in) {
    source.problems.push_back("cannot open " + file_name);
    return source;
  }
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    const std::string where = file_name + ":" + std::to_string(line_number);
    if (!is_valid_utf8(line)) {
      source.problems.push_back(where + " is not UTF-8");
      continue;
    }
    if (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) {
      source.problems.push_back(where + " ends in white space (editors strip it)");
    }
    const std::size_t tab = line.find('\t');
    const std::string first = line.substr(0, tab);
    if (first.empty() || first.find_first_not_of("0123456789") != std::string::npos) continue;
    if (tab == std::string::npos) {
      source.problems.push_back(where + " has a number but no tab");
      continue;
    }
    const int n = std::stoi(first);
    const std::string text = line.substr(tab + 1);
    if (n < 1 || n > kMessageCount)
      source.problems.push_back(where + " number out of 1.." + std::to_string(kMessageCount));
    if (text.find('\t') != std::string::npos) source.problems.push_back(where + " holds a second tab");
    for (const char c : text) {
      if (static_cast<unsigned char>(c) < 0x20)
        source.problems.push_back(where + " holds a control character");
    }
    if (!source.texts.emplace(n, text).second) source.problems.push_back(where + " repeats message " + first);
  }
  return source;
}

const MessageSource& french() {
  static const MessageSource source = load_source("fr.tsv");
  return source;
}
const MessageSource& english() {
  static const MessageSource source = load_source("en.tsv");
  return source;
}
const MessageSource& ids() {
  static const MessageSource source = load_source("ids.tsv");
  return source;
}

struct NamedSource {
  const char* name;
  const MessageSource* source;
};
std::vector<NamedSource> worded_sources() {
  return {{"fr", &french()}, {"en", &english()}};
}
std::vector<NamedSource> all_sources() {
  return {{"fr", &french()}, {"en", &english()}, {"ids", &ids()}};
}

std::string text_of(const MessageSource& source, int n) {
  const auto it = source.texts.find(n);
  return it == source.texts.end() ? std::string() : it->second;
}

// ---------------------------------------------------------------------------
// The contract (mirrors messages/README.md).

// Every message number the program uses.
const std::set<int>& used_messages() {
  static const std::set<int> used = [] {
    std::set<int> s = {9, 10, 11, 12, 13, 14, 15, 17, 19, 20, 21, 35, 40, 41, 52, 55, 111, 112, 113, 115, 121,
                       122, 123, 124, 125, 141, 143, 144, 145, 211, 212, 213, 214, 215, 223, 224, 226, 227,
                       281, 283, 284, 292, 378, 391, 392, 393, 394, 395,
                       // LandXML reader: unread content, conversions, where a table ends.
                       142, 146, 147, 148, 149, 216, 217, 218, 282, 285,
                       // IFC reader: file, units, map conversion, cant, shape; its file filter;
                       // referent stations, shared layouts, what a profile could not reproduce.
                       106, 107, 108, 109, 110, 116, 117, 101, 102, 104, 105, 103, 118, 119};
    // Lane arrangements in road-type names (titles, not listings).
    for (int n = 22; n <= 24; ++n) s.insert(n);
    // Plan geometry: transitions, what a plan misses, station equations.
    for (int n = 56; n <= 66; ++n) s.insert(n);
    // Readers: why a file is not read at all.
    for (int n = 80; n <= 94; ++n) s.insert(n);
    for (int n = 129; n <= 140; ++n) s.insert(n);
    for (int n = 153; n <= 157; ++n) s.insert(n);
    for (int n = 161; n <= 183; ++n) {
      if (n != 174 && n != 182) s.insert(n);
    }
    for (int n = 231; n <= 238; ++n) s.insert(n);
    // The review report.
    for (int n = 239; n <= 259; ++n) s.insert(n);
    for (int n = 301; n <= 317; ++n) s.insert(n);
    for (int n = 371; n <= 375; ++n) s.insert(n);
    for (int n = 381; n <= 385; ++n) s.insert(n);
    return s;
  }();
  return used;
}

enum class Value { kInt, kReal, kText };

struct Template {
  int number;
  std::vector<Value> values;
};

constexpr Value I = Value::kInt;
constexpr Value R = Value::kReal;
constexpr Value T = Value::kText;

const std::vector<Template>& templates() {
  static const std::vector<Template> list = {
      {9, {T}},
      {20, {T}},
      {21, {T, T}},
      {55, {T}},
      {106, {T, I}},
      {107, {T, R, T}},
      {108, {R, R, R}},
      {109, {I}},
      {116, {R, R}},
      {117, {T}},
      {101, {I, R, R}},
      {104, {I}},
      {102, {T, T}},
      {105, {T, T}},
      {103, {T, R, R}},
      {118, {R, R}},
      {119, {R, R, R}},
      {141, {I}},
      {145, {T}},
      {211, {I}},
      {124, {I}},
      {125, {I}},
      {215, {T}},
      {281, {I}},
      {153, {R}},
      {154, {R}},
      {155, {R}},
      {156, {R}},
      {157, {I, T, R, R, T}},
      {166, {I}},
      {168, {I}},
      {169, {I, I}},
      {170, {I}},
      {172, {R}},
      {173, {R}},
      {179, {I}},
      {181, {I}},
      {183, {I}},
      {223, {R}},
      {224, {R}},
      {226, {R}},
      {227, {I, R, R, T}},
      {233, {R}},
      {234, {R}},
      {235, {R}},
      {236, {R}},
      {237, {I}},
      {238, {I}},
      {256, {I, I}},
      {292, {I, R, R, R}},
      {304, {R}},
      {305, {R}},
      {308, {R, R}},
      {309, {R, R}},
      {311, {R, R}},
      {313, {R, R}},
      {316, {R, R}},
      {317, {R, R}},
      {142, {T, I}},
      {146, {T, R}},
      {147, {R}},
      {148, {R}},
      {149, {T, R}},
      {216, {T, I}},
      {217, {T, R}},
      {218, {T, R}},
      {282, {R}},
      {285, {R, R}},
      {56, {T}},
      {57, {T, T, R}},
      {58, {I}},
      {59, {T, R}},
      {60, {T, R, R}},
      {61, {T, R, R}},
      {62, {R, T, R}},
      {63, {R, T, R}},
      {64, {I}},
      {66, {I, R, R}},
      {82, {R, R}},
      {83, {I, I}},
      {84, {I, I}},
      {85, {I, I}},
      {86, {I, I}},
      {87, {I, I}},
      {89, {T}},
  };
  return list;
}

// Messages the program cuts into fields or items; their ids text is fixed.
const std::map<int, std::string>& structured_ids() {
  static const std::map<int, std::string> list = {
      {10, "#10.1|#10.2"},
      {11, "#11.1|#11.2"},
      {12, "#12.1#12.2"},
      {111, "#111.1|#111.2"},
      {112, "#112.1|-|#112.3|#112.4"},
      {113, "#113.1|-|#113.3"},
      {121, "#121 (*.txt)"},
      {65, "#65 (*.csv)"},
      {122, "#122 (*.xml)"},
      {110, "#110 (*.ifc)"},
      {373, "#373.1         #373.2"},
      {251, "#251.1|#251.2|#251.3|#251.4"},
      {255, "#255.1|#255.2|#255.3|#255.4|#255.5|#255.6"},
  };
  return list;
}

bool is_template(int n) {
  for (const Template& t : templates()) {
    if (t.number == n) return true;
  }
  return false;
}

// Replacement fields of a format string, counted as the automatic indexing of
// fmt consumes values. Manual indices and nested fields break the "values in
// order" contract and are reported through `ok`.
std::size_t replacement_fields(std::string_view s, bool& ok) {
  ok = true;
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '{') {
      if (i + 1 < s.size() && s[i + 1] == '{') {
        ++i;
        continue;
      }
      const std::size_t close = s.find('}', i);
      if (close == std::string_view::npos) {
        ok = false;
        return count;
      }
      const std::string_view inside = s.substr(i + 1, close - i - 1);
      if (inside.find('{') != std::string_view::npos) ok = false;
      if (!inside.empty() && inside[0] != ':') ok = false;
      ++count;
      i = close;
    } else if (s[i] == '}') {
      if (i + 1 < s.size() && s[i + 1] == '}') {
        ++i;
      } else {
        ok = false;
      }
    }
  }
  return count;
}

// Dummy values of each type, with the text the ids table must show for them.
struct Dummy {
  int integer;
  double real;
  std::string text;
};
constexpr const char* kSmallIdsInt = "42";
constexpr const char* kSmallIdsReal = "-1234.5000";
const Dummy kSmall{42, -1234.5, "DRO001"};
// The widest values a listing must hold: element numbers, stations, radii and
// lengths below 100 km, texts of the widths the callers give.
const Dummy kWide{99999, -99999.999, "CLO999"};
// The widest values a row column holds: element numbers up to 9999, stations
// and lengths of either sign below 100 km.
const Dummy kRow{9999, -99999.999, "CLO999"};

std::string format_with(const std::string& format, const std::vector<Value>& values, const Dummy& dummy,
                        const std::vector<std::string>& texts = {}) {
  fmt::dynamic_format_arg_store<fmt::format_context> store;
  std::size_t next_text = 0;
  for (const Value v : values) {
    switch (v) {
      case Value::kInt:
        store.push_back(dummy.integer);
        break;
      case Value::kReal:
        store.push_back(dummy.real);
        break;
      case Value::kText:
        store.push_back(next_text < texts.size() ? texts[next_text] : dummy.text);
        ++next_text;
        break;
    }
  }
  return fmt::vformat(format, store);
}

const std::vector<Value>& values_of(int n) {
  for (const Template& t : templates()) {
    if (t.number == n) return t.values;
  }
  static const std::vector<Value> none;
  return none;
}

// Message n of a table formatted with the widest values (texts as given).
std::string wide(const MessageSource& source, int n, const std::vector<std::string>& texts = {}) {
  return format_with(text_of(source, n), values_of(n), kWide, texts);
}

// ---------------------------------------------------------------------------

TEST(MessageCatalogue, SourcesAreWellFormedUtf8WithUniqueNumbersInRange) {
  for (const auto& [name, source] : all_sources()) {
    EXPECT_TRUE(source->problems.empty())
        << name << ": " << fmt::format("{}", fmt::join(source->problems, "; "));
    EXPECT_FALSE(source->texts.empty()) << name;
  }
}

TEST(MessageCatalogue, EveryUsedMessageHasATextInEveryTableAndNoOtherNumberDoes) {
  for (const auto& [name, source] : all_sources()) {
    for (const int n : used_messages()) {
      EXPECT_FALSE(trim_right(text_of(*source, n)).empty()) << name << " lacks message " << n;
    }
    for (const auto& [n, text] : source->texts) {
      EXPECT_TRUE(used_messages().count(n) == 1) << name << " holds message " << n << " which nothing uses";
    }
  }
}

TEST(MessageCatalogue, PlainMessagesHoldNoFormatBracesAndAreTheirOwnIdInTheIdsTable) {
  for (const int n : used_messages()) {
    if (is_template(n)) continue;
    for (const auto& [name, source] : worded_sources()) {
      const std::string text = text_of(*source, n);
      EXPECT_EQ(text.find_first_of("{}"), std::string::npos) << name << " message " << n << ": " << text;
    }
    const auto structured = structured_ids().find(n);
    // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
    const std::string expected = structured != structured_ids().end()
                                     ? structured->second
                                     : std::string("#").append(std::to_string(n));
    EXPECT_EQ(text_of(ids(), n), expected);
  }
}

TEST(MessageCatalogue, TemplatesTakeExactlyTheirDocumentedValuesInEveryTable) {
  for (const Template& t : templates()) {
    for (const auto& [name, source] : all_sources()) {
      const std::string text = text_of(*source, t.number);
      bool ok = false;
      EXPECT_EQ(replacement_fields(text, ok), t.values.size())
          << name << " message " << t.number << ": " << text;
      EXPECT_TRUE(ok) << name << " message " << t.number << " is not a plain in-order template: " << text;
      try {
        const std::string result = format_with(text, t.values, kSmall);
        EXPECT_EQ(result.find_first_of("{}"), std::string::npos) << name << " message " << t.number;
      } catch (const fmt::format_error& e) {
        ADD_FAILURE() << name << " message " << t.number << " does not format its values: " << e.what();
      }
    }
  }
}

TEST(MessageCatalogue, IdsTemplatesWriteTheNumberThenEachValueWithRealsToFourDecimals) {
  for (const Template& t : templates()) {
    // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
    std::string expected = "#";
    expected += std::to_string(t.number);
    for (const Value v : t.values) {
      expected += ' ';
      expected += v == Value::kInt ? kSmallIdsInt : v == Value::kReal ? kSmallIdsReal : "DRO001";
    }
    try {
      EXPECT_EQ(format_with(text_of(ids(), t.number), t.values, kSmall), expected);
    } catch (const fmt::format_error& e) {
      ADD_FAILURE() << "ids message " << t.number << ": " << e.what();
    }
  }
}

TEST(MessageCatalogue, ElementRowsWithTheirDescriptionsFitTheListingLine) {
  for (const auto& [name, source] : all_sources()) {
    // Horizontal alignment: row 157 carries the description 153, 154 or 155.
    for (const int description : {153, 154, 155}) {
      const std::string row = wide(*source, 157, {kWide.text, trim_right(wide(*source, description))});
      EXPECT_LE(char_count(row), kLineWidth) << name << ": " << row;
    }
    // Vertical profile: row 227 carries the description 223 or 224.
    for (const int description : {223, 224}) {
      const std::string row = wide(*source, 227, {trim_right(wide(*source, description))});
      EXPECT_LE(char_count(row), kLineWidth) << name << ": " << row;
    }
    for (const int line : {141, 156, 211, 226, 281, 292}) {
      EXPECT_LE(char_count(wide(*source, line)), kLineWidth) << name << " message " << line;
    }
  }
}

TEST(MessageCatalogue, RowsKeepTheirColumnsWhateverTheDescription) {
  // The description starts at the same column in every row, so the listing
  // reads as a table.
  for (const auto& [name, source] : worded_sources()) {
    const std::string marker = "@";
    const Dummy one{1, 0.0, ""};
    const std::string plan = format_with(text_of(*source, 157), values_of(157), one, {"E1", marker});
    const std::string plan_wide =
        format_with(text_of(*source, 157), values_of(157), kRow, {"CLO123", marker});
    EXPECT_EQ(plan.find(marker), plan_wide.find(marker)) << name << ": " << plan << " / " << plan_wide;
    const std::string profile = format_with(text_of(*source, 227), values_of(227), one, {marker});
    const std::string profile_wide = format_with(text_of(*source, 227), values_of(227), kRow, {marker});
    EXPECT_EQ(profile.find(marker), profile_wide.find(marker))
        << name << ": " << profile << " / " << profile_wide;
    const std::string point = format_with(text_of(*source, 292), values_of(292), one);
    const std::string point_wide =
        format_with(text_of(*source, 292), values_of(292), Dummy{9999, -99.99, ""});
    EXPECT_EQ(char_count(point), char_count(point_wide)) << name << ": " << point << " / " << point_wide;
  }
}

TEST(MessageCatalogue, FindingsFitTheSixtyCharactersOfTheFindingList) {
  std::vector<int> findings;
  for (int n = 162; n <= 183; ++n) {
    if (n != 174 && n != 179 && n != 181 && n != 182) findings.push_back(n);
  }
  for (int n = 232; n <= 238; ++n) findings.push_back(n);
  for (int n = 302; n <= 317; ++n) findings.push_back(n);
  for (const auto& [name, source] : all_sources()) {
    for (const int n : findings) {
      const std::string text = trim_right(wide(*source, n));
      EXPECT_LE(char_count(text), kFindingWidth) << name << " message " << n << ": " << text;
    }
    // The long-straight finding is 181 then 179, joined by one blank.
    const std::string long_straight = trim_right(wide(*source, 181)) + " " + trim_right(wide(*source, 179));
    EXPECT_LE(char_count(long_straight), kFindingWidth) << name << ": " << long_straight;
  }
  EXPECT_EQ(format_with(text_of(ids(), 181), {I}, {500, 0, ""}) + " " +
                format_with(text_of(ids(), 179), {I}, {1000, 0, ""}),
            "#181 500 #179 1000");
}

TEST(MessageCatalogue, VisibilityVerdictsFitTheirZoneLinesAndSummaries) {
  const std::size_t marker = 2;
  for (const auto& [name, source] : all_sources()) {
    for (const int n : {383, 384, 385, 392, 394}) {
      EXPECT_LE(marker + char_count(trim_right(text_of(*source, n))), kZoneTextWidth)
          << name << " message " << n;
    }
    // A satisfactory passing stretch also carries " ", two markers' codes,
    // "l=" and its length (at most "99999.9").
    EXPECT_LE(marker + char_count(trim_right(text_of(*source, 393))) + 1 + 4 + 7, kZoneTextWidth) << name;
    // Curve entries: marker, text, and for 375 " D<need".
    for (const int n : {374, 378}) {
      EXPECT_LE(marker + char_count(trim_right(text_of(*source, n))), kLineWidth) << name << " message " << n;
    }
    EXPECT_LE(marker + char_count(trim_right(text_of(*source, 375))) + std::string(" 99999.9<99999.9").size(),
              kLineWidth)
        << name;
    // Section lines: text, " - ", a 15-character direction label.
    for (const int n : {381, 382, 391}) {
      EXPECT_LE(char_count(trim_right(text_of(*source, n))) + 3 + 15, kLineWidth) << name << " message " << n;
    }
    // Passing summary: text " : " total " (" marker percent "%" codes ")".
    EXPECT_LE(char_count(trim_right(text_of(*source, 395))) + 3 + 7 + 2 + marker + 3 + 4, kLineWidth) << name;
  }
}

TEST(MessageCatalogue, ReaderLinesLeaveRoomForTheNamesTheyCarry) {
  // The caller shortens a file or axis name to what is left of the line; the
  // fixed part of each of these messages stays short enough to leave room.
  constexpr std::size_t kFixedPartWidth = 30;
  for (const auto& [name, source] : worded_sources()) {
    for (const int n : {9, 55, 145, 215}) {
      EXPECT_LE(char_count(format_with(text_of(*source, n), {T}, kSmall, {""})), kFixedPartWidth)
          << name << " message " << n;
    }
  }
}

TEST(MessageCatalogue, LandXmlReaderNotesFitTheLineWithAThirtyCharacterElementType) {
  const std::string element_type(30, 'x');
  for (const auto& [name, source] : all_sources()) {
    for (const int n : {142, 146, 147, 148, 149, 216, 217, 218, 282, 285}) {
      const std::string line = wide(*source, n, {element_type});
      EXPECT_LE(char_count(line), kLineWidth) << name << " message " << n << ": " << line;
    }
  }
}

TEST(MessageCatalogue, YesNoWordsAreTwoFiveCharacterFieldsReadableInThreeCharacters) {
  for (const auto& [name, source] : worded_sources()) {
    const std::string text = text_of(*source, 12);
    EXPECT_LE(char_count(text), 10U) << name;
    for (std::size_t k = 0; k < 2; ++k) {
      const std::string word = trim_right(field(text, 5, k));
      EXPECT_FALSE(word.empty()) << name << " field " << k;
      // The central-reserve parameter line shows only three characters.
      EXPECT_LE(char_count(word), 3U) << name << " field " << k << ": " << word;
      EXPECT_NE(word.find_first_not_of(' '), std::string::npos);
    }
    EXPECT_NE(trim_right(field(text, 5, 0)), trim_right(field(text, 5, 1))) << name;
  }
  EXPECT_EQ(field(text_of(ids(), 12), 5, 0), "#12.1");
  EXPECT_EQ(field(text_of(ids(), 12), 5, 1), "#12.2");
}

TEST(MessageCatalogue, DirectionLabelsAreTwoFifteenCharacterFields) {
  for (const auto& [name, source] : all_sources()) {
    const std::string text = text_of(*source, 373);
    EXPECT_LE(char_count(text), 30U) << name;
    const std::string backward = field(text, 15, 0);
    const std::string forward = field(text, 15, 1);
    EXPECT_NE(backward[0], ' ') << name << ": field 1 must start at column 1";
    EXPECT_NE(forward[0], ' ') << name << ": field 2 must start at column 16";
    EXPECT_NE(trim_right(backward), trim_right(forward)) << name;
  }
  EXPECT_EQ(trim_right(field(text_of(ids(), 373), 15, 0)), "#373.1");
  EXPECT_EQ(trim_right(field(text_of(ids(), 373), 15, 1)), "#373.2");
}

TEST(MessageCatalogue, FileTypesCarryTheirPatternWithinFortyCharacters) {
  const std::map<int, std::string> patterns = {
      {121, "(*.txt)"}, {122, "(*.xml)"}, {110, "(*.ifc)"}, {65, "(*.csv)"}};
  for (const auto& [name, source] : all_sources()) {
    for (const auto& [n, pattern] : patterns) {
      const std::string text = text_of(*source, n);
      EXPECT_LE(char_count(text), kFileTypeWidth) << name << " message " << n;
      const std::size_t open = text.find("(*.");
      ASSERT_NE(open, std::string::npos) << name << " message " << n;
      EXPECT_EQ(text.substr(open, text.find(')', open) - open + 1), pattern) << name << " message " << n;
      EXPECT_EQ(text.find("(*.", open + 1), std::string::npos)
          << name << " message " << n << " has two patterns";
      EXPECT_FALSE(trim_right(text.substr(0, open)).empty())
          << name << " message " << n << " has no description";
    }
  }
}

TEST(MessageCatalogue, MenusListTheirItemsWithSeparatorLinesInSecondPlace) {
  const std::map<int, std::size_t> item_counts = {{111, 2}, {112, 4}, {113, 3}};
  for (const auto& [name, source] : all_sources()) {
    for (const auto& [n, count] : item_counts) {
      const std::vector<std::string> items = split(text_of(*source, n), '|');
      ASSERT_EQ(items.size(), count) << name << " message " << n;
      for (std::size_t k = 0; k < items.size(); ++k) {
        if (n != 111 && k == 1) {
          EXPECT_EQ(items[k], "-") << name << " message " << n << ": item 2 carries no command";
          continue;
        }
        std::string label = items[k];
        std::erase(label, '&');
        EXPECT_FALSE(trim_right(label).empty()) << name << " message " << n << " item " << k + 1;
        EXPECT_NE(items[k], "-") << name << " message " << n << " item " << k + 1;
        EXPECT_LE(std::count(items[k].begin(), items[k].end(), '&'), 1) << name << " message " << n;
      }
    }
  }
}

TEST(MessageCatalogue, QuestionButtonsAreTwoLabels) {
  for (const auto& [name, source] : all_sources()) {
    for (const int n : {10, 11}) {
      const std::vector<std::string> labels = split(text_of(*source, n), '|');
      ASSERT_EQ(labels.size(), 2U) << name << " message " << n;
      EXPECT_FALSE(labels[0].empty());
      EXPECT_FALSE(labels[1].empty());
      EXPECT_NE(labels[0], labels[1]) << name << " message " << n;
    }
  }
  // 11 accepts with its first button, 10 with its second: the accepting label
  // is the same word in both sets.
  for (const auto& [name, source] : worded_sources()) {
    EXPECT_EQ(split(text_of(*source, 11), '|')[0], split(text_of(*source, 10), '|')[1]) << name;
  }
}

TEST(MessageCatalogue, DialogAndParameterLabelsFitTheirFields) {
  for (const auto& [name, source] : worded_sources()) {
    for (int n = 137; n <= 140; ++n) {
      EXPECT_LE(char_count(text_of(*source, n)), kParameterLabelWidth) << name << " message " << n;
    }
    // The road-type heading: message 132, " : ", an 18-character label at most.
    EXPECT_LE(char_count(text_of(*source, 132)) + 3 + 18, kLineWidth) << name;
    // About: message 115, a blank and the 5-character version.
    EXPECT_LE(char_count(text_of(*source, 115)) + 1 + 5, kLineWidth) << name;
  }
}

TEST(MessageCatalogue, FrenchAndEnglishDiffer) {
  // A table copied over the other would pass every other check.
  std::size_t same = 0;
  for (const int n : used_messages()) {
    if (text_of(french(), n) == text_of(english(), n)) ++same;
  }
  EXPECT_LT(same, used_messages().size() / 10);
}

}  // namespace
}  // namespace corvalinde
