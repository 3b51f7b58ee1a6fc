// The one UTF-8 decoder: every byte sequence the program meets is either a
// well-formed character of its exact length or refused with 0.
#include "services/utf8_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "services/service_text.h"

namespace corvalinde {
namespace {

using namespace std::literals;

TEST(Utf8Decoder, WellFormedCharactersOfEveryLengthAndAtTheRangeEdges) {
  for (const std::string_view c :
       {"\x00"sv, "\x7F"sv, "\xC2\x80"sv, "\xDF\xBF"sv, "\xE0\xA0\x80"sv, "\xED\x9F\xBF"sv, "\xEE\x80\x80"sv,
        "\xEF\xBF\xBF"sv, "\xF0\x90\x80\x80"sv, "\xF4\x8F\xBF\xBF"sv}) {
    EXPECT_EQ(utf8_sequence_length(c, 0), c.size()) << testing::PrintToString(c);
    EXPECT_EQ(utf8_sequence_length("a"s.append(c).append("b"), 1), c.size());
  }
  EXPECT_TRUE(is_valid_utf8(""));
  EXPECT_TRUE(is_valid_utf8("Élément à 3,5 m — ok €"));
}

TEST(Utf8Decoder, IllFormedBytesStartNoCharacter) {
  for (const std::string_view bad : {
           "\x80"sv,              // stray continuation byte
           "\xC0\xAF"sv,          // overlong two-byte form
           "\xC1\xBF"sv,          // overlong two-byte form
           "\xE0\x9F\xBF"sv,      // overlong three-byte form
           "\xED\xA0\x80"sv,      // surrogate
           "\xF0\x8F\xBF\xBF"sv,  // overlong four-byte form
           "\xF4\x90\x80\x80"sv,  // past U+10FFFF
           "\xF5\x80\x80\x80"sv,  // no such lead byte
           "\xFF"sv,
           "\xC3"sv,  // cut at the end of the text
           "\xE2\x82"sv,
           "\xE2\x41\x41"sv,  // continuation missing
       }) {
    EXPECT_EQ(utf8_sequence_length(bad, 0), 0u) << testing::PrintToString(bad);
    EXPECT_FALSE(is_valid_utf8("ok "s.append(bad))) << testing::PrintToString(bad);
  }
}

TEST(Utf8Decoder, WidthsCountEachIllFormedByteAsOneCharacter) {
  EXPECT_EQ(service_text::char_count("\xED\xA0\x80"), 3u);
  EXPECT_EQ(service_text::char_count("é\xC3"), 2u);
  EXPECT_EQ(service_text::char_prefix("\xE0\x9F\xBFx", 2), "\xE0\x9F");
}

}  // namespace
}  // namespace corvalinde
