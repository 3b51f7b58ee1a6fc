// The sight and speed diagrams read back from their SVG against the run's
// findings and series, and the PDF report's pages.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "draw/diagram_catalogue.h"
#include "draw/report_export.h"
#include "road/plan_geometry.h"
#include "services/message_table.h"

namespace corvalinde::draw {
namespace {

const QRectF kArea(0.0, 0.0, kDiagramWidth, kDiagramHeight);
constexpr double kRoadEnd = 1000.0;

// One straight line east from station 0 to `length`.
RoadModel straight_road(double length) {
  PlanElement e;
  e.end_station = length;
  e.end_x = length;
  LineEquation line;
  EXPECT_EQ(line_through_points({0.0, 0.0}, {length, 0.0}, line), kGeometryOk);
  e.geometry = LineGeometry{line.a, line.b, line.c, line_heading(line)};
  RoadModel model;
  model.set_plan({e});
  return model;
}

FindingRecord finding(const char* check, double from, double to, TravelDirection direction, Verdict verdict) {
  FindingRecord r;
  r.review = Review::kVisibility;
  r.check = check;
  r.from = from;
  r.to = to;
  r.direction = direction;
  r.verdict = verdict;
  r.text = "line";
  return r;
}

// The rectangles filled with a tint of `colour` (the shading of a stretch).
std::vector<QRectF> tinted_rects(const QByteArray& svg, const QString& colour) {
  std::vector<QRectF> found;
  const QRegularExpression rect(
      QStringLiteral("<g fill=\"%1\" fill-opacity=\"0.196078\"[^>]*>\\s*"
                     "<rect x=\"([-0-9.e]+)\" y=\"([-0-9.e]+)\" width=\"([-0-9.e]+)\" "
                     "height=\"([-0-9.e]+)\"")
          .arg(colour));
  auto it = rect.globalMatch(QString::fromUtf8(svg));
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    found.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble());
  }
  return found;
}

bool same_rect(const QRectF& a, const QRectF& b) {
  // SVG numbers carry six significant digits.
  return std::fabs(a.x() - b.x()) < 0.01 && std::fabs(a.y() - b.y()) < 0.01 &&
         std::fabs(a.width() - b.width()) < 0.01 && std::fabs(a.height() - b.height()) < 0.01;
}

QByteArray svg_of(const PreparedDiagram& diagram) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_EQ(
      write_svg(buffer, QStringLiteral("test"), [&](QPainter& p, const QRectF& a) { diagram.paint(p, a); }),
      ExportStatus::kOk);
  return buffer.data();
}

class RunDiagrams : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "draw_tests";
    static char* argv[] = {name, nullptr};
    gui_ = ensure_gui_application(argc, argv).release();
    if (message_table_state() == MessageTableState::kNotInitialised) {
      select_message_language(MessageLanguage::kIds);
      (void)message_text(0, 0);
    }
  }
  void SetUp() override {
    series_.set_grid(0.0, kRoadEnd, 10.0);
    for (const double s : series_.stations()) {
      series_.set("speed_forward", s, 80.0);
      series_.set("stopping_required_forward", s, 110.0);
      series_.set("stopping_available_forward", s, s < 500.0 ? 90.0 : 300.0);
      series_.set("stopping_required_backward", s, 110.0);
    }
    source_.model = &model_;
    source_.findings = &findings_;
    source_.series = &series_;
  }
  static QGuiApplication* gui_;
  RoadModel model_ = straight_road(kRoadEnd);
  RunSeries series_;
  std::vector<FindingRecord> findings_;
  DiagramSource source_;
};
QGuiApplication* RunDiagrams::gui_ = nullptr;

TEST_F(RunDiagrams, StoppingSightShadesEachFailingStretchExactlyAtItsFindingsStations) {
  findings_ = {finding("stopping_sight", 120.0, 180.0, TravelDirection::kForward, Verdict::kFail),
               finding("stopping_sight", 640.5, 640.5, TravelDirection::kForward, Verdict::kFail),
               finding("stopping_sight", 40.0, 90.0, TravelDirection::kBackward, Verdict::kFail),
               finding("stopping_sight", 900.0, 1000.0, TravelDirection::kForward, Verdict::kNotAssessable),
               // Another check's and another review's failures are not this diagram's.
               finding("passing", 300.0, 400.0, TravelDirection::kForward, Verdict::kFail),
               finding("stopping_sight", 500.0, 600.0, TravelDirection::kForward, Verdict::kOk)};
  FindingRecord plan = findings_.front();
  plan.review = Review::kPlan;
  plan.from = 700.0;
  plan.to = 800.0;
  findings_.push_back(plan);
  const PreparedDiagram diagram(Diagram::kStoppingSight, source_, {}, DiagramLanguage::kEnglish);
  const QByteArray svg = svg_of(diagram);
  const SeriesLayout layout =
      series_layout(make_series_diagram_data(SeriesDiagramKind::kStoppingSight, model_, &series_, &findings_,
                                             0.0, {}, DiagramLanguage::kEnglish),
                    kArea);
  const auto expected = [&](std::size_t panel, double from, double to) {
    const QRectF& box = layout.panels[panel];
    return QRectF(layout.x(from), box.top(), std::max(layout.x(to) - layout.x(from), 1.0), box.height());
  };
  const std::vector<QRectF> failing = tinted_rects(svg, QStringLiteral("#d55e00"));
  // Each shaded stretch once, and the legend's swatch.
  ASSERT_EQ(failing.size(), 4u);
  for (const QRectF& want : {expected(0, 120.0, 180.0), expected(0, 640.5, 640.5), expected(1, 40.0, 90.0)}) {
    EXPECT_TRUE(
        std::any_of(failing.begin(), failing.end(), [&](const QRectF& r) { return same_rect(r, want); }))
        << "stretch at x " << want.x() << " width " << want.width();
  }
  const std::vector<QRectF> hatched = tinted_rects(svg, QStringLiteral("#808080"));
  ASSERT_EQ(hatched.size(), 2u);
  EXPECT_TRUE(same_rect(hatched.front(), expected(0, 900.0, 1000.0)));
  // The required distance is drawn at its value.
  EXPECT_TRUE(svg.contains(
      (QStringLiteral(",") + QString::number(layout.y(0, 110.0)) + QStringLiteral(" ")).toUtf8()));
}

TEST_F(RunDiagrams, OperatingSpeedDrawsTheDesignSpeedAtTheRoadTypesValue) {
  source_.design_speed = 90.0;
  const SeriesDiagramData data = make_series_diagram_data(
      SeriesDiagramKind::kOperatingSpeed, model_, &series_, &findings_, 90.0, {}, DiagramLanguage::kEnglish);
  const SeriesLayout layout = series_layout(data, kArea);
  const auto line_at = [&](std::size_t panel, double value) {
    const QRectF& box = layout.panels[panel];
    return QStringLiteral("points=\"%1,%2 %3,%2 \"")
        .arg(QString::number(box.left()), QString::number(layout.y(panel, value)),
             QString::number(box.right()));
  };
  const QByteArray svg =
      svg_of(PreparedDiagram(Diagram::kOperatingSpeed, source_, {}, DiagramLanguage::kEnglish));
  EXPECT_TRUE(svg.contains(line_at(0, 90.0).toUtf8())) << line_at(0, 90.0).toStdString();
  EXPECT_TRUE(svg.contains(line_at(1, 90.0).toUtf8()));
  EXPECT_TRUE(svg.contains("(90 km/h)"));
  source_.design_speed = 0.0;
  const QByteArray without =
      svg_of(PreparedDiagram(Diagram::kOperatingSpeed, source_, {}, DiagramLanguage::kEnglish));
  EXPECT_FALSE(without.contains(line_at(0, 90.0).toUtf8())) << "no road type, no line";
}

TEST_F(RunDiagrams, PassingShadesThePossibleStretchesAndStatesTheirShare) {
  findings_ = {finding("passing", 200.0, 450.0, TravelDirection::kForward, Verdict::kOk),
               finding("passing", 450.0, 1000.0, TravelDirection::kForward, Verdict::kFail)};
  FindingRecord share = finding("passing_summary", 0.0, 1000.0, TravelDirection::kForward, Verdict::kOk);
  share.values = {250.0, 25.0};
  findings_.push_back(share);
  series_.set("passing_available_forward", 0.0, 600.0);
  const QByteArray svg = svg_of(PreparedDiagram(Diagram::kPassing, source_, {}, DiagramLanguage::kEnglish));
  const SeriesLayout layout =
      series_layout(make_series_diagram_data(SeriesDiagramKind::kPassing, model_, &series_, &findings_, 0.0,
                                             {}, DiagramLanguage::kEnglish),
                    kArea);
  const std::vector<QRectF> possible = tinted_rects(svg, QStringLiteral("#009e73"));
  ASSERT_EQ(possible.size(), 2u);  // and the legend's swatch
  EXPECT_TRUE(
      same_rect(possible.front(), QRectF(layout.x(200.0), layout.panels[0].top(),
                                         layout.x(450.0) - layout.x(200.0), layout.panels[0].height())));
  EXPECT_TRUE(svg.contains("Passing possible: 250.0 m (25 %)"));
}

TEST_F(RunDiagrams, PdfReportHasItsPagesAndHtmlItsDiagrams) {
  // 2.5 km: each diagram on three pages, after the title page and before
  // one page of findings and one of the listing.
  model_ = straight_road(2500.0);
  Console console;
  console.write(kConsoleHeadingLine, "Review");
  console.write_finding(false,
                        finding("stopping_sight", 120.0, 180.0, TravelDirection::kForward, Verdict::kFail));
  ReportRequest request;
  request.title.file = "road.xml";
  request.title.file_sha256 = "feedface";
  request.source = source_;
  request.source.findings = &console.records();
  request.console = &console;
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
  ASSERT_EQ(write_report(pdf, ReportFormat::kPdf, request), ExportStatus::kOk);
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
  EXPECT_EQ(QString::fromLatin1(bytes).count(page), 1 + 5 * 3 + 1 + 1);

  const std::string html = report_html_with_diagrams(request);
  std::size_t svgs = 0;
  for (std::size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1)) ++svgs;
  EXPECT_EQ(svgs, kAllDiagrams.size());
  EXPECT_NE(html.find("feedface"), std::string::npos);
  EXPECT_EQ(write_report(dir.filePath(QStringLiteral("missing/report.pdf")), ReportFormat::kPdf, request),
            ExportStatus::kCannotWrite);
}

}  // namespace
}  // namespace corvalinde::draw
