#include "ui/diagram_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace corvalinde::ui {
namespace {

constexpr double kWheelStep = 0.8;    // range factor per wheel notch
constexpr int kDragThreshold = 4;     // px before a press becomes a drag
constexpr double kKeyPanShare = 0.1;  // of the shown range per arrow key

}  // namespace

void StationAxis::set_full(draw::StationRange full) {
  full_ = full;
  shown_ = full;
  emit changed();
}

void StationAxis::set_shown(double from, double to) {
  if (full_.empty() || !std::isfinite(from) || !std::isfinite(to)) return;
  const double full_span = full_.to - full_.from;
  double span = std::clamp(to - from, std::min(kMinimumSpan, full_span), full_span);
  from = std::clamp(from, full_.from, full_.to - span);
  if (from == shown_.from && from + span == shown_.to) return;
  shown_ = {from, from + span};
  emit changed();
}

void StationAxis::zoom(double factor, double about) {
  if (shown_.empty() || !(factor > 0.0) || !std::isfinite(factor)) return;
  about = std::clamp(std::isfinite(about) ? about : (shown_.from + shown_.to) / 2.0, shown_.from, shown_.to);
  set_shown(about - (about - shown_.from) * factor, about + (shown_.to - about) * factor);
}

void StationAxis::pan(double metres) {
  set_shown(shown_.from + metres, shown_.to + metres);
}

void StationAxis::show_all() {
  set_shown(full_.from, full_.to);
}

DiagramView::DiagramView(DiagramKind kind, StationAxis& axis, QWidget* parent)
    : QWidget(parent), kind_(kind), axis_(axis) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(240, 160);
  connect(&axis_, &StationAxis::changed, this, qOverload<>(&QWidget::update));
}

void DiagramView::set_content(const draw::DiagramSource& source, draw::DiagramLanguage language) {
  source_ = source;
  language_ = language;
  picture_.reset();
  highlight_.reset();
  update();
}

void DiagramView::set_highlight(std::optional<std::pair<double, double>> stretch) {
  highlight_ = stretch;
  update();
}

QRectF DiagramView::area() const {
  return QRectF(rect());
}

const DiagramPicture* DiagramView::picture() {
  if (source_.model == nullptr || axis_.shown().empty()) return nullptr;
  const draw::StationRange range = axis_.shown();
  if (!picture_ || picture_range_.from != range.from || picture_range_.to != range.to) {
    picture_ = std::make_unique<DiagramPicture>(kind_, source_, range, language_);
    picture_range_ = range;
  }
  return picture_.get();
}

void DiagramView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const DiagramPicture* shown = picture();
  if (shown == nullptr) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, tr("Nothing to draw: no design reviewed yet."));
    return;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  shown->paint(painter, area());
  if (highlight_) shown->paint_highlight(painter, area(), highlight_->first, highlight_->second);
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void DiagramView::wheelEvent(QWheelEvent* event) {
  const DiagramPicture* shown = picture();
  const int notches = event->angleDelta().y() / 120;
  if (shown == nullptr || notches == 0) {
    event->ignore();
    return;
  }
  const std::optional<double> about = shown->station_at(area(), event->position());
  const draw::StationRange range = axis_.shown();
  axis_.zoom(std::pow(kWheelStep, notches), about.value_or((range.from + range.to) / 2.0));
  event->accept();
}

void DiagramView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_ = event->position().toPoint();
  dragged_ = false;
}

void DiagramView::mouseMoveEvent(QMouseEvent* event) {
  const DiagramPicture* shown = picture();
  if (shown == nullptr) return;
  const QPoint at = event->position().toPoint();
  if (press_ && (event->buttons() & Qt::LeftButton) != 0) {
    const int dx = at.x() - press_->x();
    if (dragged_ || std::abs(dx) >= kDragThreshold) {
      dragged_ = true;
      const draw::StationRange range = axis_.shown();
      axis_.pan(-dx * (range.to - range.from) / std::max(1, width()));
      press_ = at;
    }
  }
  emit hovered(shown->station_at(area(), event->position()));
}

void DiagramView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !press_) return;
  press_.reset();
  if (dragged_) return;
  if (const DiagramPicture* shown = picture()) {
    if (const std::optional<double> station = shown->station_at(area(), event->position()))
      emit station_clicked(*station);
  }
}

void DiagramView::mouseDoubleClickEvent(QMouseEvent*) {
  axis_.show_all();
}

void DiagramView::leaveEvent(QEvent*) {
  emit hovered(std::nullopt);
}

void DiagramView::keyPressEvent(QKeyEvent* event) {
  const draw::StationRange range = axis_.shown();
  const double middle = (range.from + range.to) / 2.0;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      axis_.zoom(kWheelStep, middle);
      return;
    case Qt::Key_Minus:
      axis_.zoom(1.0 / kWheelStep, middle);
      return;
    case Qt::Key_Left:
      axis_.pan(-kKeyPanShare * (range.to - range.from));
      return;
    case Qt::Key_Right:
      axis_.pan(kKeyPanShare * (range.to - range.from));
      return;
    case Qt::Key_Home:
      axis_.show_all();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace corvalinde::ui
