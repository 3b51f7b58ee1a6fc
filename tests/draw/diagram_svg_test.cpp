// The diagrams drawn to SVG and read back: their marks must sit where the
// road model puts the element boundaries and the profile its PVIs.
#include <QBuffer>
#include <QGuiApplication>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "draw/diagram_export.h"
#include "draw/long_section_diagram.h"
#include "draw/plan_diagram.h"
#include "road/axis_point.h"
#include "road/plan_geometry.h"

namespace corvalinde::draw {
namespace {

const QRectF kArea(0.0, 0.0, kDiagramWidth, kDiagramHeight);

// Centres of the SVG circles of radius r.
std::vector<QPointF> circles(const QByteArray& svg, double r) {
  std::vector<QPointF> found;
  static const QRegularExpression circle(
      QStringLiteral("<circle cx=\"([-0-9.e]+)\" cy=\"([-0-9.e]+)\" r=\"([0-9.]+)\""));
  auto it = circle.globalMatch(QString::fromUtf8(svg));
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    if (std::fabs(m.captured(3).toDouble() - r) < 1e-6)
      found.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
  }
  return found;
}

bool has_point_near(const std::vector<QPointF>& points, const QPointF& want) {
  for (const QPointF& p : points) {
    if (std::hypot(p.x() - want.x(), p.y() - want.y()) < 0.01) return true;
  }
  return false;
}

QByteArray svg_of(const DiagramPainter& paint) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_EQ(write_svg(buffer, QStringLiteral("test"), paint), ExportStatus::kOk);
  return buffer.data();
}

PlanElement line_element(double s0, double s1, PlanePoint from, PlanePoint to) {
  PlanElement e;
  e.start_station = s0;
  e.end_station = s1;
  e.start_x = from.x;
  e.start_y = from.y;
  e.end_x = to.x;
  e.end_y = to.y;
  LineEquation line;
  EXPECT_EQ(line_through_points(from, to, line), kGeometryOk);
  e.geometry = LineGeometry{line.a, line.b, line.c, line_heading(line)};
  return e;
}

// East 100 m, a quarter circle of radius 100 to the left, north 200 m.
RoadModel line_arc_line() {
  RoadModel model;
  PlanElement arc;
  arc.start_station = 100.0;
  arc.end_station = 100.0 + kPi * 50.0;
  arc.start_x = 100.0;
  arc.end_x = 200.0;
  arc.end_y = 100.0;
  arc.geometry = ArcGeometry{100.0, 100.0, 100.0, 1.5 * kPi, 0.0};
  const double end = arc.end_station;
  model.set_plan({line_element(0.0, 100.0, {0.0, 0.0}, {100.0, 0.0}), arc,
                  line_element(end, end + 200.0, {200.0, 100.0}, {200.0, 300.0})});
  return model;
}

class DiagramSvg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "draw_tests";
    static char* argv[] = {name, nullptr};
    gui_ = ensure_gui_application(argc, argv).release();
  }
  static QGuiApplication* gui_;
};
QGuiApplication* DiagramSvg::gui_ = nullptr;

TEST_F(DiagramSvg, PlanMarksEveryElementBoundaryAtTheModelsPoint) {
  const RoadModel model = line_arc_line();
  PlanDiagramData data = make_plan_data(model, {}, DiagramLanguage::kEnglish);
  // A stretch of 1 mm is far below a pixel here, and is still drawn.
  data.stretches = {{120.0, 180.0, StretchVerdict::kFailing}, {250.0, 250.001, StretchVerdict::kWarning}};
  const QByteArray svg = svg_of([&](QPainter& p, const QRectF& a) { draw_plan(p, a, data); });
  const PlanLayout layout = plan_layout(data, kArea);
  const std::vector<QPointF> marks = circles(svg, 3.0);
  std::vector<double> stations;
  for (const PlanElement& e : model.plan_elements()) stations.push_back(e.start_station);
  stations.push_back(model.plan_elements().back().end_station);
  for (const double s : stations) {
    AxisPoint point;
    ASSERT_NE(evaluate_axis_point(model, s, 1, nullptr, point), 0);
    EXPECT_TRUE(has_point_near(marks, layout.map(point.x, point.y))) << "boundary at station " << s;
  }
  EXPECT_EQ(marks.size(), stations.size() + 1);  // and the legend's sample
  EXPECT_TRUE(svg.contains("Failing")) << "a marked stretch appears in the legend";
  EXPECT_EQ(circles(svg, 4.5).size(), 1u) << "the 1 mm stretch as a dot";
  EXPECT_TRUE(svg.contains("0+100"));
}

TEST_F(DiagramSvg, LongSectionMarksThePvisWhereTheTangentsCross) {
  // +2 % to station 400, a crest of R -4000 to 600, -3 % to 1000: the
  // tangents cross at station 500, elevation 110.
  RoadModel model = line_arc_line();
  ProfileElement up{kProfileGrade, "G1", 0.0, 100.0, 400.0, 108.0, 2.0, 0.0, 0.0};
  ProfileElement crest{kProfileParabola, "P1", 400.0, 108.0, 600.0, 107.0, -4000.0, 480.0, 108.8};
  ProfileElement down{kProfileGrade, "G2", 600.0, 107.0, 1000.0, 95.0, -3.0, 0.0, 0.0};
  model.set_profile({up, crest, down});
  const LongSectionData data = make_long_section_data(model, {}, DiagramLanguage::kFrench);
  const QByteArray svg = svg_of([&](QPainter& p, const QRectF& a) { draw_long_section(p, a, data); });
  const LongSectionLayout layout = long_section_layout(data, kArea);
  const std::vector<QPointF> marks = circles(svg, 3.5);
  for (const QPointF& pvi : {QPointF(0.0, 100.0), QPointF(500.0, 110.0), QPointF(1000.0, 95.0)}) {
    EXPECT_TRUE(has_point_near(marks, {layout.x(pvi.x()), layout.y(pvi.y())})) << "PVI at " << pvi.x();
  }
  EXPECT_EQ(marks.size(), 4u);  // three PVIs and the legend's sample
  EXPECT_TRUE(svg.contains("R -4000"));
  EXPECT_TRUE(svg.contains("2.00 %"));
  EXPECT_TRUE(svg.contains(QStringLiteral("Exagération verticale ×").toUtf8()));
}

TEST(DiagramScale, ThinningKeepsASingleSampleSpike) {
  std::vector<QPointF> points;
  for (int i = 0; i < 100000; ++i) points.emplace_back(i * 0.01, i == 54321 ? 50.0 : 1.0);
  const std::vector<QPointF> kept = thin_by_columns(points, 1.0);
  EXPECT_LE(kept.size(), 4u * 1000u);
  bool spike = false;
  for (const QPointF& p : kept) spike = spike || p.y() == 50.0;
  EXPECT_TRUE(spike);
  EXPECT_EQ(kept.back(), points.back());
}

TEST(DiagramScale, StationTicksFollowTheEquations) {
  // At internal 450 the designer's stations jump ahead to 1000.
  StationEquations stations{0.0, 800.0, {{450.0, 450.0, 1000.0, true}}};
  const std::vector<StationTick> ticks = designer_station_ticks(stations, 0.0, 800.0, 100.0, 1000);
  const std::vector<std::pair<double, double>> want{{0, 0},      {100, 100},  {200, 200},
                                                    {300, 300},  {400, 400},  {450, 1000},
                                                    {550, 1100}, {650, 1200}, {750, 1300}};
  ASSERT_EQ(ticks.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(ticks[i].internal, want[i].first, 1e-9);
    EXPECT_NEAR(ticks[i].designer, want[i].second, 1e-9);
  }
}

}  // namespace
}  // namespace corvalinde::draw
