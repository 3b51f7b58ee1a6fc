// Writes one diagram to a file: SVG (Qt Svg), PNG (QImage) or PDF
// (QPdfWriter), all through the same painting function. Needs a
// QGuiApplication (ensure_gui_application makes one, offscreen when there is
// no display). Failures come back as a status; nothing throws.
#pragma once

#include <QIODevice>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QGuiApplication;

namespace corvalinde::draw {

enum class DiagramFormat { kSvg, kPng, kPdf };

// The size every diagram is drawn at, in device units (SVG user units,
// PNG pixels at scale 1, PDF points after scaling to the page).
inline constexpr double kDiagramWidth = 1600.0;
inline constexpr double kDiagramHeight = 1000.0;

using DiagramPainter = std::function<void(QPainter&, const QRectF&)>;

enum class ExportStatus {
  kOk,
  kCannotWrite,  // the file could not be created or written
};

[[nodiscard]] ExportStatus write_diagram(const QString& path, DiagramFormat format, const QString& title,
                                         const DiagramPainter& paint);
// The same into an open device (SVG only; used by tests and the report).
[[nodiscard]] ExportStatus write_svg(QIODevice& device, const QString& title, const DiagramPainter& paint);

// A QGuiApplication for a program that has none, on the offscreen platform
// when neither QT_QPA_PLATFORM nor a display is set. Null when one exists.
std::unique_ptr<QGuiApplication> ensure_gui_application(int& argc, char** argv);

}  // namespace corvalinde::draw
