#include "draw/report_export.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "road/station_equations.h"

namespace corvalinde::draw {
namespace {

// PDF pages: A4 landscape drawn at this many device units per inch.
constexpr int kPdfResolution = 96;
constexpr double kHeaderHeight = 40.0;
constexpr double kFooterHeight = 20.0;
constexpr double kCellPadding = 3.0;
// Room for a page's own title above its table or listing.
constexpr double kTitleSpace = 30.0;
// Shares of the page width of the finding table's columns.
constexpr std::array<double, 6> kFindingColumnShares{0.15, 0.13, 0.17, 0.10, 0.35, 0.10};

QString qs(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont sized_font(int pixels, bool bold = false, bool mono = false) {
  QFont font(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  if (mono) font.setStyleHint(QFont::Monospace);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

using PagePainter = std::function<void(QPainter&, const QRectF&)>;

// A table row of wrapped cells; its height fits the tallest cell.
struct TableRow {
  std::vector<QString> cells;
  double height = 0.0;
  bool shaded = false;
  std::size_t numbers_from = std::numeric_limits<std::size_t>::max();  // cells set right from here on
};

// Lays text out in lines `width` wide, broken between words, or inside a
// word too long for a line; returns its height.
double lay_out(QTextLayout& layout, double width, Qt::Alignment alignment = Qt::AlignLeft) {
  QTextOption option(alignment);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  double y = 0.0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(std::max(width, 1.0));
    line.setPosition(QPointF(0.0, y));
    y += line.height();
  }
  layout.endLayout();
  return y;
}

double row_height(const QFont& font, QPaintDevice* device, const std::vector<QString>& cells,
                  const std::vector<double>& widths) {
  double height = QFontMetricsF(font, device).height();
  for (std::size_t c = 0; c < cells.size() && c < widths.size(); ++c) {
    QTextLayout layout(cells[c], font, device);
    height = std::max(height, lay_out(layout, widths[c] - 2 * kCellPadding));
  }
  return height + 2 * kCellPadding;
}

double draw_row(QPainter& painter, double top, double left, const std::vector<double>& widths,
                const TableRow& row, const QFont& font) {
  double x = left;
  for (std::size_t c = 0; c < row.cells.size() && c < widths.size(); ++c) {
    const QRectF cell(x, top, widths[c], row.height);
    if (row.shaded) painter.fillRect(cell, QColor(0xee, 0xee, 0xee));
    painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0.5));
    painter.drawRect(cell);
    painter.setPen(palette::kInk);
    QTextLayout layout(row.cells[c], font, painter.device());
    lay_out(layout, widths[c] - 2 * kCellPadding, c >= row.numbers_from ? Qt::AlignRight : Qt::AlignLeft);
    layout.draw(&painter, QPointF(x + kCellPadding, top + kCellPadding));
    x += widths[c];
  }
  return top + row.height;
}

// Rows spread over pages of `height`, the header row repeated on each.
std::vector<std::vector<TableRow>> paginate(const TableRow& header, const std::vector<TableRow>& rows,
                                            double height) {
  std::vector<std::vector<TableRow>> pages;
  double used = 0.0;
  for (const TableRow& row : rows) {
    // A row taller than a page still gets one of its own.
    if (pages.empty() || (used + row.height > height && pages.back().size() > 1)) {
      pages.push_back({header});
      used = header.height;
    }
    pages.back().push_back(row);
    used += row.height;
  }
  if (pages.empty()) pages.push_back({header});
  return pages;
}

QString station_text(const RoadModel& model, double internal) {
  return station_label(designer_station(model.station_equations(), internal).value, 0);
}

QByteArray diagram_svg(const PreparedDiagram& diagram, const QString& title) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (write_svg(buffer, title, [&](QPainter& p, const QRectF& area) { diagram.paint(p, area); }) !=
      ExportStatus::kOk)
    return {};
  return buffer.data();
}

ReportInput report_input(const ReportRequest& request) {
  ReportInput input;
  input.title = request.title;
  input.model = request.source.model;
  input.console = request.console;
  input.diagrams_available = true;
  return input;
}

ExportStatus write_pdf(const QString& path, const ReportRequest& request) {
  QFile probe(path);
  if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ExportStatus::kCannotWrite;
  probe.close();
  const ReportTables tables = report_tables(report_input(request));
  QPdfWriter writer(path);
  writer.setTitle(qs(tables.heading + " – " + request.title.file));
  writer.setResolution(kPdfResolution);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageOrientation(QPageLayout::Landscape);
  writer.setPageMargins(QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter);
  const QRectF page(QPointF(0, 0), QSizeF(writer.pageLayout().paintRectPixels(kPdfResolution).size()));
  const QRectF body = page.adjusted(0, kHeaderHeight, 0, -kFooterHeight);

  const QFont text_font = sized_font(11);
  const QFont bold_font = sized_font(11, true);
  const QFont heading_font = sized_font(18, true);
  const QFont small_font = sized_font(9);
  const QFont small_bold_font = sized_font(9, true);
  const QFont mono_font = sized_font(9, false, true);
  std::vector<PagePainter> pages;

  // Title block and summary.
  pages.push_back([&](QPainter& p, const QRectF& area) {
    p.setFont(heading_font);
    p.setPen(palette::kInk);
    p.drawText(QRectF(area.left(), area.top(), area.width(), 30), Qt::AlignLeft | Qt::AlignVCenter,
               qs(tables.heading));
    const double table_width = area.width() - 1.0;  // the right border inside the clip
    const std::vector<double> title_widths{table_width * 0.22, table_width * 0.78};
    double y = area.top() + 40;
    for (const auto& [label, value] : tables.title_block) {
      TableRow row{{qs(label), qs(value)}, 0.0, false};
      row.height = row_height(text_font, &writer, row.cells, title_widths);
      y = draw_row(p, y, area.left(), title_widths, row, text_font);
    }
    y += 24;
    p.setFont(bold_font);
    p.drawText(QPointF(area.left(), y), qs(tables.summary_heading));
    y += 10;
    // The review, the counts, the failing length.
    std::vector<double> widths(tables.summary_columns.size(), table_width * 0.1);
    widths.front() = table_width * 0.25;
    widths.back() = table_width - 0.1 * table_width * static_cast<double>(widths.size() - 2) - widths.front();
    TableRow header{{}, 0.0, true};
    for (const std::string& c : tables.summary_columns) header.cells.push_back(qs(c));
    header.height = row_height(bold_font, &writer, header.cells, widths);
    y = draw_row(p, y, area.left(), widths, header, bold_font);
    for (const ReportSummaryRow& r : tables.summary) {
      TableRow row{{qs(r.review), QString::number(r.checks)}, 0.0, false, 1};
      for (const int n : r.by_verdict) row.cells.push_back(QString::number(n));
      row.cells.push_back(QString::number(r.failing_length, 'f', 1));
      row.height = row_height(text_font, &writer, row.cells, widths);
      y = draw_row(p, y, area.left(), widths, row, text_font);
    }
  });

  // The diagrams, each over pages of about 1 km.
  static const RoadModel kNoRoad;
  const RoadModel& model = request.source.model != nullptr ? *request.source.model : kNoRoad;
  const StationRange road = clip_to_model(model, {});
  std::vector<StationRange> stretches;
  if (!road.empty()) {
    const double step = diagram_page_length(road);
    const auto count = static_cast<int>(std::ceil((road.to - road.from) / step - 1e-9));
    for (int k = 0; k < std::max(count, 1); ++k) {
      stretches.push_back(
          {road.from + step * k, k + 1 >= count ? road.to : std::min(road.to, road.from + step * (k + 1))});
    }
  } else {
    stretches.push_back({});
  }
  for (const Diagram diagram : kAllDiagrams) {
    for (const StationRange& stretch : stretches) {
      pages.push_back([&, diagram, stretch](QPainter& p, const QRectF& area) {
        p.setFont(bold_font);
        p.setPen(palette::kInk);
        QString caption = diagram_title(diagram, request.language);
        if (!stretch.empty())
          caption += QStringLiteral("  %1 – %2")
                         .arg(station_text(model, stretch.from), station_text(model, stretch.to));
        p.drawText(QRectF(area.left(), area.top(), area.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                   caption);
        // Drawn as in the diagram files, scaled to the page: the same picture.
        const PreparedDiagram prepared(diagram, request.source, stretch, request.language);
        const QRectF room = area.adjusted(0, 24, 0, 0);
        const double scale = std::min(room.width() / kDiagramWidth, room.height() / kDiagramHeight);
        p.translate(room.left() + (room.width() - kDiagramWidth * scale) / 2.0, room.top());
        p.scale(scale, scale);
        prepared.paint(p, QRectF(0.0, 0.0, kDiagramWidth, kDiagramHeight));
      });
    }
  }

  // The findings, in station order.
  {
    std::vector<double> widths;
    for (const double share : kFindingColumnShares) widths.push_back((body.width() - 1.0) * share);
    TableRow header{{}, 0.0, true};
    for (const std::string& c : tables.finding_columns) header.cells.push_back(qs(c));
    header.height = row_height(small_bold_font, &writer, header.cells, widths);
    std::vector<TableRow> rows;
    for (const ReportFindingRow& r : tables.findings) {
      TableRow row{{qs(r.stations), qs(r.review), qs(r.check), qs(r.verdict), qs(r.message), qs(r.values)},
                   0.0,
                   r.verdict_code == Verdict::kFail,
                   5};
      if (r.verdict_code == Verdict::kFail) row.cells[3] = QStringLiteral("■ ") + row.cells[3];
      row.height = row_height(small_font, &writer, row.cells, widths);
      rows.push_back(std::move(row));
    }
    for (std::vector<TableRow>& rows_of_page : paginate(header, rows, body.height() - kTitleSpace)) {
      pages.push_back([&, widths, page_rows = std::move(rows_of_page)](QPainter& p, const QRectF& area) {
        p.setFont(bold_font);
        p.setPen(palette::kInk);
        p.drawText(QRectF(area.left(), area.top(), area.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(tables.findings_heading));
        double y = area.top() + kTitleSpace;
        for (std::size_t i = 0; i < page_rows.size(); ++i)
          y = draw_row(p, y, area.left(), widths, page_rows[i], i == 0 ? small_bold_font : small_font);
      });
    }
  }

  // The console listing.
  {
    const QFontMetricsF metrics(mono_font, &writer);
    const auto per_page = static_cast<std::size_t>(
        std::max(1.0, std::floor((body.height() - kTitleSpace) / metrics.lineSpacing())));
    const std::size_t count = std::max<std::size_t>(1, (tables.listing.size() + per_page - 1) / per_page);
    for (std::size_t k = 0; k < count; ++k) {
      pages.push_back([&, k, per_page](QPainter& p, const QRectF& area) {
        p.setFont(bold_font);
        p.setPen(palette::kInk);
        p.drawText(QRectF(area.left(), area.top(), area.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(tables.listing_heading));
        const QFontMetricsF line_metrics(mono_font, p.device());
        double y = area.top() + kTitleSpace + line_metrics.ascent();
        for (std::size_t i = k * per_page; i < std::min(tables.listing.size(), (k + 1) * per_page); ++i) {
          QFont font = mono_font;
          font.setBold(tables.listing_headings[i]);
          p.setFont(font);
          p.drawText(QPointF(area.left(), y), qs(tables.listing[i]));
          y += line_metrics.lineSpacing();
        }
      });
    }
  }

  // The header of every page: the title block in two lines.
  const ReportTitle& t = request.title;
  const auto value = [&](std::size_t k) { return qs(tables.title_block[k].second); };
  const QString header_first =
      QStringLiteral("%1 — %2 · %3 · %4").arg(qs(tables.heading), value(0), value(2), value(3));
  const QString header_second =
      QStringLiteral("SHA-256 %1 · %2 · %3 · %4").arg(value(1), value(5), qs(t.program_version), value(8));

  QPainter painter;
  if (!painter.begin(&writer)) return ExportStatus::kCannotWrite;
  const int total = static_cast<int>(pages.size());
  for (int i = 0; i < total; ++i) {
    if (i > 0 && !writer.newPage()) {
      painter.end();
      return ExportStatus::kCannotWrite;
    }
    painter.save();
    painter.setPen(palette::kInk);
    painter.setFont(small_font);
    const QFontMetricsF metrics(small_font, &writer);
    painter.drawText(QRectF(page.left(), page.top(), page.width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(header_first, Qt::ElideMiddle, page.width()));
    painter.drawText(QRectF(page.left(), page.top() + 16, page.width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(header_second, Qt::ElideMiddle, page.width()));
    painter.setPen(QPen(palette::kGrid, 1.0));
    painter.drawLine(QPointF(page.left(), page.top() + kHeaderHeight - 4),
                     QPointF(page.right(), page.top() + kHeaderHeight - 4));
    painter.setPen(palette::kInk);
    painter.drawText(QRectF(page.left(), page.bottom() - kFooterHeight + 4, page.width(), kFooterHeight - 4),
                     Qt::AlignHCenter | Qt::AlignVCenter, qs(report_page_label(i + 1, total)));
    painter.restore();
    painter.save();
    painter.setClipRect(body);
    pages[static_cast<std::size_t>(i)](painter, body);
    painter.restore();
  }
  painter.end();
  QFile written(path);
  return written.size() > 0 ? ExportStatus::kOk : ExportStatus::kCannotWrite;
}

}  // namespace

double diagram_page_length(const StationRange& road) {
  const double length = road.to - road.from;
  if (!(length > 0.0) || !std::isfinite(length)) return kDiagramPageLength;
  if (length <= kDiagramPageLength * kMostDiagramPages) return kDiagramPageLength;
  return kDiagramPageLength * nice_step(length / kDiagramPageLength / kMostDiagramPages);
}

std::string report_html_with_diagrams(const ReportRequest& request) {
  ReportInput input = report_input(request);
  for (const Diagram diagram : kAllDiagrams) {
    const PreparedDiagram prepared(diagram, request.source, {}, request.language);
    const QString title = diagram_title(diagram, request.language);
    const QByteArray svg = diagram_svg(prepared, title);
    input.diagrams.push_back({title.toStdString(), svg.toStdString()});
  }
  return report_html(input);
}

ExportStatus write_report(const QString& path, ReportFormat format, const ReportRequest& request) {
  if (format == ReportFormat::kPdf) return write_pdf(path, request);
  const std::string html = report_html_with_diagrams(request);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ExportStatus::kCannotWrite;
  const qint64 written = file.write(html.data(), static_cast<qint64>(html.size()));
  file.close();
  return written == static_cast<qint64>(html.size()) && file.error() == QFileDevice::NoError
             ? ExportStatus::kOk
             : ExportStatus::kCannotWrite;
}

}  // namespace corvalinde::draw
