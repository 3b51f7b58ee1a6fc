#include "output/review_report.h"

#include <gtest/gtest.h>

#include <string>

#include "services/message_table.h"

namespace corvalinde {
namespace {

class ReviewReport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
  }
};

FindingRecord finding(Review review, const char* check, double from, double to, Verdict verdict,
                      const std::string& text) {
  FindingRecord r;
  r.review = review;
  r.check = check;
  r.from = from;
  r.to = to;
  r.verdict = verdict;
  r.text = text;
  return r;
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(ReviewReport, HtmlHoldsTheTitleBlockAndEveryFindingInStationOrder) {
  Console console;
  console.write(kConsoleHeadingLine, "Visibility <review>");
  // Written out of station order; the report lists them by station.
  console.write_finding(false, finding(Review::kVisibility, "stopping_sight", 300.0, 420.0, Verdict::kFail,
                                       "   300.0 -  420.0 \vCSight distance too short & more"));
  console.write_finding(false, finding(Review::kPlan, "element", 10.0, 10.0, Verdict::kWarning, "\vGShort"));
  console.write_finding(false, finding(Review::kVisibility, "stopping_sight", 0.0, 299.0, Verdict::kOk,
                                       "     0.0 -  299.0 \vASight distance sufficient"));
  ReportInput input;
  input.title.file = "road \xFF.xml";  // an ill-formed byte
  input.title.file_sha256 = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  input.title.road_type = "T80";
  input.console = &console;
  input.diagrams = {{"Plan", "<?xml version=\"1.0\"?>\n<svg viewBox=\"0 0 1 1\"></svg>"}};
  const std::string html = report_html(input);

  EXPECT_NE(html.find(input.title.file_sha256), std::string::npos);
  EXPECT_NE(html.find("road \xEF\xBF\xBD.xml"), std::string::npos) << "U+FFFD for the ill-formed byte";
  EXPECT_EQ(html.find('\xFF'), std::string::npos);
  EXPECT_NE(html.find("<td>#258</td>"), std::string::npos) << "an empty title value shows as none";
  // Every finding is a row, escaped, with its verdict's class, in station order.
  EXPECT_EQ(count_of(html, "<tr class="), 3u);
  const std::size_t first = html.find("Sight distance sufficient</td>");
  const std::size_t second = html.find("<td>Short</td>");
  const std::size_t third = html.find("Sight distance too short &amp; more</td>");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  ASSERT_NE(third, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(html.find("<tr class=\"fail\"><td>300.000 – 420.000</td>"), std::string::npos);
  // The listing keeps its markers as the text output shows them.
  EXPECT_NE(html.find("[C]Sight distance too short &amp; more"), std::string::npos);
  EXPECT_NE(html.find("<b>Visibility &lt;review&gt;</b>"), std::string::npos);
  // One inline SVG without its XML declaration, and nothing to run.
  EXPECT_EQ(count_of(html, "<svg"), 1u);
  EXPECT_EQ(html.find("<?xml"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("#259"), std::string::npos) << "the diagrams are there";

  input.diagrams.clear();
  input.diagrams_available = false;
  EXPECT_NE(report_html(input).find("#259"), std::string::npos) << "a build without diagrams says so";
}

TEST_F(ReviewReport, SummaryCountsEachReviewAndTheFailingLengthOnce) {
  Console console;
  // Both directions fail over 100..200 and 150..260: 160 m of road.
  console.write_finding(false,
                        finding(Review::kVisibility, "stopping_sight", 100.0, 200.0, Verdict::kFail, "a"));
  console.write_finding(false,
                        finding(Review::kVisibility, "stopping_sight", 150.0, 260.0, Verdict::kFail, "b"));
  console.write_finding(false, finding(Review::kVisibility, "passing", 0.0, 500.0, Verdict::kOk, "c"));
  console.write_finding(false,
                        finding(Review::kVisibility, "passing_summary", 0.0, 500.0, Verdict::kFail, "d"));
  ReportInput input;
  input.console = &console;
  const ReportTables tables = report_tables(input);
  ASSERT_EQ(tables.summary.size(), kReviewCount);
  const ReportSummaryRow& visibility = tables.summary[static_cast<std::size_t>(Review::kVisibility)];
  EXPECT_EQ(visibility.checks, 3u);
  EXPECT_EQ(visibility.by_verdict[static_cast<std::size_t>(Verdict::kFail)], 3);
  EXPECT_EQ(visibility.by_verdict[static_cast<std::size_t>(Verdict::kOk)], 1);
  EXPECT_DOUBLE_EQ(visibility.failing_length, 160.0);
  EXPECT_EQ(tables.summary[0].checks, 0u);
}

TEST(ReviewReportFormat, ComesFromTheExtension) {
  EXPECT_EQ(report_format_of("a/b.HTML"), ReportFormat::kHtml);
  EXPECT_EQ(report_format_of("b.pdf"), ReportFormat::kPdf);
  EXPECT_FALSE(report_format_of("b.pdf/report"));
  EXPECT_FALSE(report_format_of("report.txt"));
}

}  // namespace
}  // namespace corvalinde
