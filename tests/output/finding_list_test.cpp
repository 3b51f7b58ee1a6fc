#include "output/finding_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

std::string listed(char marker, std::string_view text) {
  return std::string{kMarker, marker} + utf8_fit(text, FindingList::kTextWidth);
}

std::vector<std::string> texts(const Console& console) {
  std::vector<std::string> out;
  for (const ConsoleLine& line : console.lines()) out.push_back(line.text);
  return out;
}

TEST(FindingList, LongTextIsListedWithItsFirstSixtyCharacters) {
  std::string text;
  for (int i = 0; i < 75; ++i) text += static_cast<char>('a' + i % 26);
  FindingList list;
  list.add(true, false, text);
  Console console;
  list.flush(console);
  ASSERT_EQ(console.line_count(), 1U);
  EXPECT_EQ(console.line(0).text, listed('C', text.substr(0, 60)));
  EXPECT_EQ(utf8_length(console.line(0).text), FindingList::kLineWidth);
  EXPECT_TRUE(console.line(0).heading);

  std::string accented;  // 70 two-byte characters: the cut keeps 60 whole
  for (int i = 0; i < 70; ++i) accented += "é";
  list.add(false, false, accented);
  EXPECT_EQ(list.entry(0).text, utf8_prefix(accented, 60));
}

TEST(FindingList, EmptyListFlushesOnlyTheHeading) {
  FindingList list;
  Console with_heading;
  list.flush(with_heading, "row 1");
  ASSERT_EQ(with_heading.line_count(), 1U);
  EXPECT_EQ(with_heading.line(0).text, "row 1");
  EXPECT_FALSE(with_heading.line(0).heading);

  Console without;
  list.flush(without);
  EXPECT_EQ(without.line_count(), 0U);
}

TEST(FindingList, EarlyEntriesPrecedeTheHeadingEachGroupInInsertionOrder) {
  FindingList list;
  list.add(false, false, "late 1");
  list.add(true, true, "early 1");
  list.add(true, false, "late 2");
  list.add(false, true, "early 2");  // early, added last: still before the heading
  Console console;
  list.flush(console, "row");
  EXPECT_EQ(texts(console), (std::vector<std::string>{listed('C', "early 1"), listed('G', "early 2"), "row",
                                                      listed('G', "late 1"), listed('C', "late 2")}));
  EXPECT_EQ(list.count(), 0U);
  // Flushed entries are gone: a second flush writes only its heading.
  Console again;
  list.flush(again, "next");
  EXPECT_EQ(texts(again), std::vector<std::string>{"next"});
}

TEST(FindingList, EleventhEntryGrowsTheStorageAndKeepsTheEarlierEntries) {
  FindingList list;
  EXPECT_EQ(list.capacity(), 0U);
  for (int i = 0; i < 10; ++i) list.add(i % 2 == 0, i % 3 == 0, "entry " + std::to_string(i));
  EXPECT_EQ(list.capacity(), 10U);
  list.add(false, false, "entry 10");
  EXPECT_EQ(list.capacity(), 20U);
  ASSERT_EQ(list.count(), 11U);
  for (std::size_t i = 0; i < 11; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list.entry(i).text, utf8_fit("entry " + std::to_string(i), 60));
    EXPECT_EQ(list.entry(i).warning, i < 10 && i % 2 == 0);
    EXPECT_EQ(list.entry(i).early, i < 10 && i % 3 == 0);
  }
  // Flushing keeps the storage for the next analysis.
  Console console;
  list.flush(console);
  EXPECT_EQ(console.line_count(), 11U);
  EXPECT_EQ(list.count(), 0U);
  EXPECT_EQ(list.capacity(), 20U);
}

// A run's list (the console's), with message-id texts.
class ProgramFindingList : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
  }
  static void TearDownTestSuite() { (void)message_text(0, 0); }
  Console run;
};

TEST_F(ProgramFindingList, ConvenienceFormsSetTheFlagsAndReadMessages) {
  add_remark(run, true, "remark");
  add_warning(run, false, "warning");
  add_remark(run, false, 171);
  add_warning(run, true, 175);
  add_finding(run, true, false, 176);
  add_finding(run, false, true, "both");
  const FindingList& list = run.pending_findings();
  ASSERT_EQ(list.count(), 6U);
  const struct {
    const char* text;
    bool warning;
    bool early;
  } expected[] = {{"remark", false, true}, {"warning", true, false}, {"#171", false, false},
                  {"#175", true, true},    {"#176", true, false},    {"both", false, true}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list.entry(i).text, utf8_fit(expected[i].text, 60));
    EXPECT_EQ(list.entry(i).warning, expected[i].warning);
    EXPECT_EQ(list.entry(i).early, expected[i].early);
  }
}

TEST_F(ProgramFindingList, EntriesLeftByOneAnalysisAppearAtTheNextFlush) {
  add_warning(run, false, 171);  // one analysis adds and never flushes
  add_remark(run, true, 175);    // the next adds its own, then flushes
  flush_findings(run, "row", FindingScope{Review::kProfile, "element", 10.0, 20.0});
  EXPECT_EQ(texts(run), (std::vector<std::string>{listed('G', "#175"), "row", listed('C', "#171")}));
  EXPECT_EQ(run.pending_findings().count(), 0U);
  // Each listed entry is a record of its line, placed by the flush's scope.
  ASSERT_EQ(run.records().size(), 2U);
  EXPECT_EQ(run.records()[0].line, 0U);
  EXPECT_EQ(run.records()[0].verdict, Verdict::kWarning);
  EXPECT_EQ(run.records()[1].line, 2U);
  EXPECT_EQ(run.records()[1].verdict, Verdict::kFail);
  EXPECT_EQ(run.records()[1].message, 171);
  EXPECT_EQ(run.records()[1].from, 10.0);
  EXPECT_EQ(run.line(2).record, 1U);
  EXPECT_FALSE(run.line(1).has_verdict());
}

}  // namespace
}  // namespace corvalinde
