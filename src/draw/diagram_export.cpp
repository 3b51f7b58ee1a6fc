#include "draw/diagram_export.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cstdlib>

namespace corvalinde::draw {
namespace {

const QRectF kArea(0.0, 0.0, kDiagramWidth, kDiagramHeight);
// PNG pixels per diagram unit.
constexpr double kPngScale = 1.0;

}  // namespace

ExportStatus write_svg(QIODevice& device, const QString& title, const DiagramPainter& paint) {
  QSvgGenerator generator;
  generator.setOutputDevice(&device);
  generator.setSize(kArea.size().toSize());
  generator.setViewBox(kArea);
  generator.setTitle(title);
  QPainter painter;
  if (!painter.begin(&generator)) return ExportStatus::kCannotWrite;
  paint(painter, kArea);
  painter.end();
  return ExportStatus::kOk;
}

ExportStatus write_diagram(const QString& path, DiagramFormat format, const QString& title,
                           const DiagramPainter& paint) {
  switch (format) {
    case DiagramFormat::kSvg: {
      QFile file(path);
      if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ExportStatus::kCannotWrite;
      const ExportStatus status = write_svg(file, title, paint);
      file.close();
      return status == ExportStatus::kOk && file.error() == QFileDevice::NoError ? ExportStatus::kOk
                                                                                 : ExportStatus::kCannotWrite;
    }
    case DiagramFormat::kPng: {
      QImage image((kArea.size() * kPngScale).toSize(), QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      painter.scale(kPngScale, kPngScale);
      paint(painter, kArea);
      painter.end();
      return image.save(path, "PNG") ? ExportStatus::kOk : ExportStatus::kCannotWrite;
    }
    case DiagramFormat::kPdf: {
      QFile probe(path);
      if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) return ExportStatus::kCannotWrite;
      probe.close();
      QPdfWriter writer(path);
      writer.setTitle(title);
      writer.setPageSize(QPageSize(QPageSize::A4));
      writer.setPageOrientation(QPageLayout::Landscape);
      writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
      QPainter painter;
      if (!painter.begin(&writer)) return ExportStatus::kCannotWrite;
      const QRect page = painter.viewport();
      const double scale = std::min(page.width() / kArea.width(), page.height() / kArea.height());
      painter.scale(scale, scale);
      paint(painter, kArea);
      painter.end();
      return ExportStatus::kOk;
    }
  }
  return ExportStatus::kCannotWrite;
}

std::unique_ptr<QGuiApplication> ensure_gui_application(int& argc, char** argv) {
  if (QGuiApplication::instance() != nullptr) return nullptr;
  const bool chosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  const bool display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!chosen && !display) qputenv("QT_QPA_PLATFORM", "offscreen");
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace corvalinde::draw
