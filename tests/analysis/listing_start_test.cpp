#include "analysis/listing_start.h"

#include <gtest/gtest.h>

#include <string>

#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

// Message-id texts, so that the lines do not depend on the wording.
class ListingStart : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
  }
  static void TearDownTestSuite() { (void)message_text(0, 0); }
};

TEST_F(ListingStart, EmptyLineTitleThenRoadTypeHeading) {
  Console console;
  start_analysis_listing(console, kProfileReviewTitle, 0);
  ASSERT_EQ(console.line_count(), 3U);
  EXPECT_EQ(console.line(0).text, "");
  EXPECT_FALSE(console.line(0).heading);
  EXPECT_EQ(trim_right(console.line(1).text), "#231");
  EXPECT_TRUE(console.line(1).heading);
  EXPECT_EQ(console.line(2).text, utf8_fit("#132 : ARP R60  2  voies", 80));
  EXPECT_TRUE(console.line(2).heading);
}

TEST_F(ListingStart, DualCarriagewayIctaalHeading) {
  Console console;
  start_analysis_listing(console, kVisibilityAnalysesTitle, 10);
  ASSERT_EQ(console.line_count(), 3U);
  EXPECT_EQ(trim_right(console.line(1).text), "#371");
  EXPECT_EQ(console.line(2).text, utf8_fit("#132 : ICTAAL L2 2x2 voies", 80));
}

}  // namespace
}  // namespace corvalinde
