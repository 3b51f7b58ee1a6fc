// UTF-16 files turned into UTF-8: both byte orders, with and without mark,
// characters beyond the basic plane, broken surrogates, and the texts that
// must be left alone.
#include <gtest/gtest.h>

#include <string>

#include "import/text_encoding.h"

namespace corvalinde {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out += static_cast<char>(v);
  return out;
}

TEST(Utf16Text, BothByteOrdersWithOrWithoutMarkGiveTheSameUtf8) {
  // "<é𝄞" : U+003C U+00E9 U+D834 U+DD1E
  std::string le = bytes({0xFF, 0xFE, '<', 0, 0xE9, 0, 0x34, 0xD8, 0x1E, 0xDD});
  std::string be = bytes({0xFE, 0xFF, 0, '<', 0, 0xE9, 0xD8, 0x34, 0xDD, 0x1E});
  std::string bare = bytes({'<', 0, '?', 0, 0xAC, 0x20});
  ASSERT_TRUE(utf16_to_utf8(le));
  ASSERT_TRUE(utf16_to_utf8(be));
  ASSERT_TRUE(utf16_to_utf8(bare));
  EXPECT_EQ(le, "<é𝄞");
  EXPECT_EQ(be, "<é𝄞");
  EXPECT_EQ(bare, "<?€");
}

TEST(Utf16Text, BrokenSurrogatesBecomeReplacementCharactersAndAnOddByteIsDropped) {
  // A lone high surrogate before 'a', a lone low surrogate, a high surrogate
  // as the last unit, then half a unit.
  std::string text = bytes({0xFF, 0xFE, 0x00, 0xD8, 'a', 0, 0x00, 0xDC, 0x00, 0xD8, 'z'});
  ASSERT_TRUE(utf16_to_utf8(text));
  EXPECT_EQ(text,
            "\xEF\xBF\xBD"
            "a"
            "\xEF\xBF\xBD"
            "\xEF\xBF\xBD");
  std::string mark_only = bytes({0xFE, 0xFF});
  ASSERT_TRUE(utf16_to_utf8(mark_only));
  EXPECT_EQ(mark_only, "");
}

TEST(Utf16Text, OtherTextsAreLeftAsTheyAre) {
  for (std::string text : {std::string("<?xml version=\"1.0\"?>"), std::string("\xEF\xBB\xBF<?xml"),
                           std::string("Cr\xEAte  3"), std::string("a"), std::string(), bytes({'1', 0, 0, 0}),
                           bytes({0, 0, 0, '1'}), bytes({0x01, 0, 0x02, 0})}) {
    const std::string before = text;
    EXPECT_FALSE(utf16_to_utf8(text)) << before;
    EXPECT_EQ(text, before);
  }
}

}  // namespace
}  // namespace corvalinde
