#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "import/fortran_fields.h"

namespace corvalinde {
namespace {

TEST(FixedColumns, ShortLineIsPaddedWithBlanksAndColumnsCountCharacters) {
  const std::string text = "3é12";  // é is two bytes but one column
  const ColumnLine line(text);
  EXPECT_EQ(line.length(), 4u);
  EXPECT_EQ(line.field(2, 2), "é1");
  EXPECT_EQ(line.field(3, 5), "12   ");
  EXPECT_EQ(line.field(9, 3), "   ");
  EXPECT_EQ(line.character(2), "é");
  EXPECT_EQ(line.character(40), " ");
  EXPECT_EQ(ColumnLine("  3   400  12   ").trimmed_length(), 13u);
}

TEST(FixedColumns, BlankFieldReadsZeroAndEmbeddedBlanksAreIgnored) {
  EXPECT_EQ(read_fixed_real("             "), 0.0);
  EXPECT_EQ(read_fixed_real(""), 0.0);
  EXPECT_EQ(read_fixed_real("  1 234.5 "), 1234.5);
  EXPECT_EQ(read_fixed_real("  -0.5E 03"), -500.0);
  EXPECT_EQ(read_fixed_integer("   "), 0);
  EXPECT_EQ(read_fixed_integer(" 1 2"), 12);
  // No implied decimals: a field without a point reads as written.
  EXPECT_EQ(read_fixed_real("      1000"), 1000.0);
}

TEST(FixedColumns, ExponentFormsOfTheWritingProgramAreRead) {
  EXPECT_DOUBLE_EQ(*parse_real_token("0.1234567890123456E+03"), 123.4567890123456);
  EXPECT_DOUBLE_EQ(*parse_real_token("1.5D-3"), 1.5e-3);
  EXPECT_DOUBLE_EQ(*parse_real_token("1.5d3"), 1500.0);
  EXPECT_DOUBLE_EQ(*parse_real_token("-2.5e0"), -2.5);
  // A three-digit exponent is written without its letter.
  EXPECT_DOUBLE_EQ(*parse_real_token("0.25-100"), 0.25e-100);
  EXPECT_DOUBLE_EQ(*parse_real_token("1.+2"), 100.0);
  EXPECT_DOUBLE_EQ(*parse_real_token(".5"), 0.5);
  EXPECT_DOUBLE_EQ(*parse_real_token("+7"), 7.0);
  EXPECT_EQ(*parse_real_token("1E-400"), 0.0);  // underflow is zero
}

TEST(FixedColumns, NonNumbersAndNonFiniteValuesAreUnreadable) {
  for (const char* bad : {"NaN", "nan", "Inf", "-Infinity", "1E999", "1.5E", "1.5E+", "E5", ".", "-", "1.2.3",
                          "12x", "1,5", "0x10", "1e5.5"}) {
    EXPECT_FALSE(parse_real_token(bad).has_value()) << bad;
    EXPECT_FALSE(read_fixed_real(bad).has_value()) << bad;
  }
  EXPECT_FALSE(read_fixed_integer("1.0").has_value());
  EXPECT_FALSE(read_fixed_integer("99999999999999999999").has_value());
}

TEST(FreeFormat, CountsAreDecimalWhateverTheirLeadingZeros) {
  EXPECT_EQ(read_free_integer("0012"), 12);
  EXPECT_EQ(read_free_integer("0010"), 10);
  EXPECT_EQ(read_free_integer(" 7  "), 7);
  EXPECT_EQ(read_free_integer("12 3"), 12);  // the first value only
  EXPECT_EQ(read_free_integer("3*4"), 4);
  EXPECT_EQ(read_free_integer("-3"), -3);
  for (const char* bad : {"    ", "1.5", "1e2", ",12", "/", "x", "***"}) {
    EXPECT_FALSE(read_free_integer(bad).has_value()) << bad;
  }
}

std::vector<double> all_reals(const std::vector<std::string>& records, bool* unreadable) {
  ListDirectedInput input;
  std::vector<double> values;
  *unreadable = false;
  for (const std::string& record : records) {
    input.feed(record);
    double v = 0.0;
    ListDirectedInput::Result r;
    while ((r = input.next_real(v)) == ListDirectedInput::Result::kValue) values.push_back(v);
    if (r == ListDirectedInput::Result::kUnreadable) {
      *unreadable = true;
      break;
    }
  }
  return values;
}

TEST(FreeFormat, BlanksCommasAndRecordEndsSeparateValues) {
  bool unreadable = false;
  EXPECT_EQ(all_reals({"1 2.5,-2.5", " 4 , 5\t6,", "7", "", "8,9"}, &unreadable),
            (std::vector<double>{1, 2.5, -2.5, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(unreadable);
  EXPECT_EQ(all_reals({"3*2.5 1D1"}, &unreadable), (std::vector<double>{2.5, 2.5, 2.5, 10}));
  EXPECT_FALSE(unreadable);
  // A repeat that runs past the end of a record carries on into the next one.
  ListDirectedInput input;
  input.feed("2*-1");
  double v = 0.0;
  ASSERT_EQ(input.next_real(v), ListDirectedInput::Result::kValue);
  input.feed("9");
  ASSERT_EQ(input.next_real(v), ListDirectedInput::Result::kValue);
  EXPECT_EQ(v, -1.0);
  ASSERT_EQ(input.next_real(v), ListDirectedInput::Result::kValue);
  EXPECT_EQ(v, 9.0);
}

TEST(FreeFormat, NullValuesSlashesAndBadTokensAreUnreadable) {
  for (const auto& records : std::vector<std::vector<std::string>>{{"1,,2"},
                                                                   {",1"},
                                                                   {"1,", ",2"},
                                                                   {"1 / 2"},
                                                                   {"1 2*"},
                                                                   {"0*5"},
                                                                   {"1 nan"},
                                                                   {"1 inf"},
                                                                   {"1 2e999"},
                                                                   {"1;2"}}) {
    bool unreadable = false;
    all_reals(records, &unreadable);
    EXPECT_TRUE(unreadable) << records.front();
  }
}

}  // namespace
}  // namespace corvalinde
