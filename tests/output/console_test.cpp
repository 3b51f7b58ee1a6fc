#include "output/console.h"

#include <gtest/gtest.h>

#include <string>

namespace corvalinde {
namespace {

struct Recorder : ConsoleObserver {
  std::string log;
  void console_changed(const Console&, Change change, std::size_t index) override {
    log += change == Change::kCleared ? "X" : change == Change::kAppended ? "A" : "R";
    log += std::to_string(index);
  }
};

TEST(ConsoleStore, ReplaceOnEmptyStoreCreatesFirstLine) {
  Console console;
  console.write(kConsoleReplaceLast, "first");
  ASSERT_EQ(console.line_count(), 1U);
  EXPECT_EQ(console.line(0).text, "first");
  console.write(kConsoleReplaceLast, "second");
  ASSERT_EQ(console.line_count(), 1U);
  EXPECT_EQ(console.line(0).text, "second");
}

TEST(ConsoleStore, ClearThenHeadingLeavesOneHeadingLine) {
  Console console;
  console.write(kConsoleOrdinary, "a");
  console.write(kConsoleOrdinary, "b");
  console.write(kConsoleClear);
  console.write(kConsoleHeadingLine, "title");
  ASSERT_EQ(console.line_count(), 1U);
  EXPECT_TRUE(console.line(0).heading);
  EXPECT_EQ(console.line(0).text, "title");
}

TEST(ConsoleStore, BlankOrMissingTextAppendsEmptyLine) {
  Console console;
  console.write(kConsoleOrdinary);
  console.write(kConsoleOrdinary, "     ");
  ASSERT_EQ(console.line_count(), 2U);
  EXPECT_EQ(console.line(0).text, "");
  EXPECT_EQ(console.line(1).text, "");
  EXPECT_FALSE(console.line(1).heading);
}

TEST(ConsoleStore, RequestWithoutWriteBitsWritesNothing) {
  Console console;
  console.write(kConsoleHeading, "ignored");
  console.write(kConsoleClear | kConsoleHeading, "also ignored");
  EXPECT_EQ(console.line_count(), 0U);
}

TEST(ConsoleStore, LongTextIsCutAtLineWidthOnCharacterBoundary) {
  Console console;
  std::string text(3000, 'x');
  console.write(kConsoleOrdinary, text);
  EXPECT_EQ(console.line(0).text.size(), Console::kLineWidth);

  // Two-byte characters: the cut counts characters and never splits one.
  std::string accented;
  for (int i = 0; i < 200; ++i) accented += "\xC3\xA9";
  console.write(kConsoleOrdinary, accented);
  EXPECT_EQ(console.line(1).text.size(), 2 * Console::kLineWidth);
}

TEST(ConsoleStore, ObserversAreToldEveryChange) {
  Console console;
  Recorder recorder;
  console.add_observer(&recorder);
  console.write(kConsoleOrdinary, "a");
  console.write(kConsoleReplaceLast, "b");
  console.write(kConsoleClear | kConsoleHeadingLine, "c");
  console.remove_observer(&recorder);
  console.write(kConsoleOrdinary, "d");
  EXPECT_EQ(recorder.log, "A0R0X0A0");
}

}  // namespace
}  // namespace corvalinde
