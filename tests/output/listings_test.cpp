#include "output/listings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Message-id texts, so that the lines do not depend on the wording.
class Listings : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
  }
  static void TearDownTestSuite() { (void)message_text(0, 0); }
};

TEST(LabelledLine, PositiveCountKeepsThatManyLabelCharacters) {
  const std::string label(40, 'x');
  const std::string line = labelled_line(label, 25, "3.5");
  EXPECT_EQ(line, utf8_fit(std::string(25, 'x') + " : 3.5", 80));
  // A count beyond the label keeps the label as it is, unpadded.
  EXPECT_EQ(labelled_line("abc", 25, "v"), utf8_fit("abc : v", 80));
}

TEST(LabelledLine, ZeroKeepsTheWholeLabelNegativeTrimsIt) {
  EXPECT_EQ(labelled_line("Lane    ", 0, "3.5"), utf8_fit("Lane     : 3.5", 80));
  EXPECT_EQ(labelled_line("Lane    ", -1, "3.5"), utf8_fit("Lane : 3.5", 80));
  EXPECT_EQ(labelled_line("        ", -1, "v"), utf8_fit(" : v", 80));
}

TEST(LabelledLine, CountsCharactersNotBytes) {
  std::string text;  // 100 two-byte characters
  for (int i = 0; i < 100; ++i) text += "é";
  const std::string cut_label = labelled_line(text, 25, "oui");
  EXPECT_EQ(utf8_length(cut_label), 80U);
  EXPECT_EQ(trim_right(cut_label), std::string(utf8_prefix(text, 25)) + " : oui");
  const std::string cut_value = labelled_line("L", -1, text);
  EXPECT_EQ(cut_value, "L : " + std::string(utf8_prefix(text, 76)));
}

TEST_F(Listings, YesNoWordClampsTheFlag) {
  EXPECT_EQ(yes_no_word(0), "#12.1");
  EXPECT_EQ(yes_no_word(1), "#12.2");
  EXPECT_EQ(yes_no_word(-1), "#12.1");
  EXPECT_EQ(yes_no_word(7), "#12.2");
}

TEST_F(Listings, MessageFieldsCutTheTextIntoFixedPieces) {
  const std::vector<std::string> fields = message_fields(373, 15, 2);
  ASSERT_EQ(fields.size(), 2U);
  EXPECT_EQ(fields[0], utf8_fit("#373.1", 15));
  EXPECT_EQ(fields[1], utf8_fit("#373.2", 15));
  // Pieces beyond the end of the text are blank.
  const std::vector<std::string> more = message_fields(12, 5, 4);
  ASSERT_EQ(more.size(), 4U);
  EXPECT_EQ(more[1], "#12.2");
  EXPECT_EQ(more[2], "     ");
  EXPECT_EQ(more[3], "     ");
}

TEST_F(Listings, ConsoleWriteMessageWritesTheTextOrAnEmptyLine) {
  Console console;
  console_write_message(console, kConsoleHeadingLine, 171);
  console_write_message(console, kConsoleOrdinary, 0);
  console_write_message(console, 0, 171);  // no write bit: nothing
  ASSERT_EQ(console.line_count(), 2U);
  EXPECT_EQ(trim_right(console.line(0).text), "#171");
  EXPECT_TRUE(console.line(0).heading);
  EXPECT_EQ(console.line(1).text, "");
  EXPECT_FALSE(console.line(1).heading);
}

TEST_F(Listings, ParameterLinePadsTheLabelToTwentyFiveCharacters) {
  Console console;
  write_parameter_line(console, 137, 3.5);
  write_parameter_line(console, 140, 10.0);
  // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on std::string + std::string&&.
  write_parameter_line(console, 139, std::string(" ").append(yes_no_word(1).substr(0, 3)));
  ASSERT_EQ(console.line_count(), 3U);
  EXPECT_EQ(console.line(0).text, utf8_fit(utf8_fit("#137", 25) + " :  3.5", 80));
  EXPECT_TRUE(console.line(0).heading);
  EXPECT_EQ(trim_right(console.line(1).text), utf8_fit("#140", 25) + " : 10.0");
  EXPECT_EQ(trim_right(console.line(2).text), utf8_fit("#139", 25) + " :  #12");
}

}  // namespace
}  // namespace corvalinde
