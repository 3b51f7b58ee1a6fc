#include "ui/number_field.h"

#include <QApplication>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <fmt/format.h>

#include <charconv>
#include <cmath>

#include "ui/controls.h"
#include "ui/dialog.h"

namespace corvalinde::ui {
namespace {

// Longest text a field takes; the shown width is the caller's.
constexpr int kNumberTextLimit = 24;
constexpr double kIntegerTolerance = 0.5;
constexpr int kLineEditHintChars = 17;

bool is_blank_char(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

NumberReading parse_number(std::string_view text) {
  while (!text.empty() && is_blank_char(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank_char(text.back())) text.remove_suffix(1);
  NumberReading reading;
  if (text.empty()) {
    reading.empty = true;
    return reading;
  }
  std::string number;
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') {
    if (text[i] == '-') number += '-';
    ++i;
  }
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      number += c;
      ++digits;
    } else if ((c == '.' || c == ',') && !point) {
      number += '.';
      point = true;
    } else {
      digits = 0;
      break;
    }
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (digits == 0 || error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) {
    reading.valid = false;
    return reading;
  }
  reading.value = value;
  return reading;
}

std::string format_number(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  if (decimals <= 0) return fmt::format("{:.0f}", std::round(value) + 0.0);
  const double scale = std::pow(10.0, decimals);
  const double rounded = std::round(value * scale) / scale;
  return fmt::format("{:.{}f}", std::isfinite(rounded) ? rounded + 0.0 : value, decimals);
}

double number_tolerance(int decimals) {
  return decimals > 0 ? kIntegerTolerance * std::pow(10.0, -decimals) : kIntegerTolerance;
}

BoundCheck check_number_bounds(const NumberReading& reading, int decimals, unsigned bounds, double minimum,
                               double maximum) {
  const double tolerance = number_tolerance(decimals);
  const double value = reading.valid ? reading.value : 0.0;
  BoundCheck check;
  if ((bounds & kLowerBound) != 0 && value < minimum - tolerance) {
    check = {true, minimum};
  } else if ((bounds & kUpperBound) != 0 && value > maximum + tolerance) {
    check = {true, maximum};
  } else if (!reading.valid) {
    // Text that is no number is never kept: it becomes 0 (or the bound 0
    // lies beyond, caught above).
    check = {true, 0.0};
  }
  return check;
}

NumberField::NumberField(int decimals, QWidget* parent) : QLineEdit(parent), decimals_(decimals) {
  const QString pattern = decimals > 0 ? QStringLiteral("[+-]?[0-9]*([.,][0-9]{0,%1})?").arg(decimals)
                                       : QStringLiteral("[+-]?[0-9]*");
  setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
  setMaxLength(kNumberTextLimit);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void NumberField::set_value(double value) {
  setText(QString::fromStdString(format_number(value, decimals_)));
}

NumberReading NumberField::reading() const {
  return parse_number(text().toStdString());
}

NumberField* create_number_field(Dialog& dialog, int n, QPoint at, int width_chars, int decimals) {
  auto* field = new NumberField(decimals, dialog.client());
  const int identifier = control_identifier(n);
  dialog.register_control(identifier, field);
  QObject::connect(field, &QLineEdit::textChanged, &dialog, [&dialog, field, identifier] {
    dialog.send_command(command_word(identifier, kNotifyTextChanged), field);
  });
  // A line edit's natural width is kLineEditHintChars 'x' plus its frame and
  // margins; keep those and size the text part for width_chars digits.
  const QFontMetrics metrics = field->fontMetrics();
  const int frame =
      field->sizeHint().width() - metrics.horizontalAdvance(QLatin1Char('x')) * kLineEditHintChars;
  const int width =
      std::max(width_chars, 1) * metrics.horizontalAdvance(QLatin1Char('0')) + std::max(frame, 0);
  field->setGeometry(QRect(at, QSize(width, field->sizeHint().height())));
  return field;
}

void set_number_field(Dialog& dialog, int n, double value) {
  if (auto* field = qobject_cast<NumberField*>(control_window(dialog, n))) field->set_value(value);
}

NumberReading read_number_field(const Dialog& dialog, int n) {
  const auto* field = qobject_cast<const NumberField*>(control_window(dialog, n));
  if (field == nullptr) return NumberReading{0.0, true, true};
  return field->reading();
}

bool validate_number_field(Dialog& dialog, int n, unsigned bounds, double minimum, double maximum) {
  auto* field = qobject_cast<NumberField*>(control_window(dialog, n));
  if (field == nullptr) return false;
  if (!dialog.validation_forced()) {
    // Only a move to another widget of this dialog checks the value: leaving
    // the window (another application, a message box) does not.
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus == field || !dialog.isAncestorOf(focus)) return false;
  }
  const BoundCheck check = check_number_bounds(field->reading(), field->decimals(), bounds, minimum, maximum);
  if (!check.refused) return false;
  field->set_value(check.replacement);
  QApplication::beep();
  dialog.refocus(field);
  field->selectAll();
  dialog.note_refusal();
  return true;
}

}  // namespace corvalinde::ui
