// The diagrams on screen. StationAxis is the range of stations every view
// shows: zooming or panning one view moves them all. DiagramView paints one
// diagram over the axis's range, marks the selected finding's stretch,
// tells the station under the mouse and the station clicked. Wheel zooms
// about the mouse, dragging pans, double click shows the whole road.
#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "ui/diagrams.h"

namespace corvalinde::ui {

class StationAxis final : public QObject {
  Q_OBJECT

 public:
  explicit StationAxis(QObject* parent = nullptr) : QObject(parent) {}

  // The whole range; the shown range becomes all of it.
  void set_full(draw::StationRange full);
  draw::StationRange full() const { return full_; }
  draw::StationRange shown() const { return shown_; }

  // factor < 1 zooms in; the station `about` stays where it is. The shown
  // range never leaves the full one nor shrinks below kMinimumSpan.
  void zoom(double factor, double about);
  void pan(double metres);
  void show_all();
  static constexpr double kMinimumSpan = 20.0;

 signals:
  void changed();

 private:
  void set_shown(double from, double to);

  draw::StationRange full_;
  draw::StationRange shown_;
};

class DiagramView final : public QWidget {
  Q_OBJECT

 public:
  DiagramView(DiagramKind kind, StationAxis& axis, QWidget* parent = nullptr);

  // What the source points to is not owned and must outlive the view or the
  // next call; a source without a model shows nothing.
  void set_content(const draw::DiagramSource& source, draw::DiagramLanguage language);
  void set_highlight(std::optional<std::pair<double, double>> stretch);
  DiagramKind kind() const { return kind_; }
  const std::optional<std::pair<double, double>>& highlight() const { return highlight_; }

 signals:
  void hovered(std::optional<double> station);
  void station_clicked(double station);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const DiagramPicture* picture();
  QRectF area() const;

  DiagramKind kind_;
  StationAxis& axis_;
  draw::DiagramSource source_;
  draw::DiagramLanguage language_ = draw::DiagramLanguage::kEnglish;
  std::optional<std::pair<double, double>> highlight_;
  std::unique_ptr<DiagramPicture> picture_;
  draw::StationRange picture_range_;
  std::optional<QPoint> press_;
  bool dragged_ = false;
};

}  // namespace corvalinde::ui
