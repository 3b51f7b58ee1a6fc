#include "ui/verdict_style.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace corvalinde::ui {

QColor verdict_colour(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return {0x1B, 0x7A, 0x2E};
    case Verdict::kFail:
      return {0xC0, 0x26, 0x26};
    case Verdict::kWarning:
      return {0xB3, 0x6B, 0x00};
    case Verdict::kNotAssessable:
      return {0x3D, 0x5A, 0x9E};
  }
  return {};
}

QString verdict_symbol(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return QStringLiteral("\u2713");
    case Verdict::kFail:
      return QStringLiteral("\u2717");
    case Verdict::kWarning:
      return QStringLiteral("!");
    case Verdict::kNotAssessable:
      return QStringLiteral("?");
  }
  return {};
}

QString verdict_label(Verdict verdict) {
  switch (verdict) {
    case Verdict::kOk:
      return QCoreApplication::translate("Verdict", "Satisfactory");
    case Verdict::kFail:
      return QCoreApplication::translate("Verdict", "Fails");
    case Verdict::kWarning:
      return QCoreApplication::translate("Verdict", "Warning");
    case Verdict::kNotAssessable:
      return QCoreApplication::translate("Verdict", "Not assessable");
  }
  return {};
}

QString review_label(Review review) {
  switch (review) {
    case Review::kPlan:
      return QCoreApplication::translate("Review", "Horizontal alignment");
    case Review::kCrossfall:
      return QCoreApplication::translate("Review", "Superelevation");
    case Review::kProfile:
      return QCoreApplication::translate("Review", "Vertical profile");
    case Review::kVisibility:
      return QCoreApplication::translate("Review", "Visibility");
  }
  return {};
}

QIcon verdict_icon(Verdict verdict) {
  // A shape per verdict (circle, square, triangle, diamond) filled with its
  // colour, the symbol in white on top.
  constexpr int kSize = 32;
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(verdict_colour(verdict));
  const QRectF box(2, 2, kSize - 4, kSize - 4);
  QPainterPath shape;
  switch (verdict) {
    case Verdict::kOk:
      shape.addEllipse(box);
      break;
    case Verdict::kFail:
      shape.addRoundedRect(box, 4, 4);
      break;
    case Verdict::kWarning:
      shape.moveTo(box.center().x(), box.top());
      shape.lineTo(box.bottomRight());
      shape.lineTo(box.bottomLeft());
      shape.closeSubpath();
      break;
    case Verdict::kNotAssessable:
      shape.moveTo(box.center().x(), box.top());
      shape.lineTo(box.right(), box.center().y());
      shape.lineTo(box.center().x(), box.bottom());
      shape.lineTo(box.left(), box.center().y());
      shape.closeSubpath();
      break;
  }
  painter.drawPath(shape);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(kSize / 2);
  painter.setFont(font);
  painter.setPen(Qt::white);
  QRectF text_box = box;
  if (verdict == Verdict::kWarning) text_box.setTop(box.top() + kSize / 5.0);
  painter.drawText(text_box, Qt::AlignCenter, verdict_symbol(verdict));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace corvalinde::ui
