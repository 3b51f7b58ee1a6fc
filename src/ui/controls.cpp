#include "ui/controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>

#include "output/console.h"
#include "output/utf8.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/settings_store.h"
#include "ui/console_view.h"
#include "ui/dialog.h"

namespace corvalinde::ui {
namespace {

constexpr const char* kFirstValueProperty = "corvalindeFirstValue";
constexpr std::string_view kTitleSeparator = " - ";
constexpr int kColourShift = 4;
constexpr int kColourMask = 0xF0;
constexpr int kLowBitsMask = 0x0F;
// Longest walk through a focus chain before giving up (a chain is a ring,
// so this only guards against a broken one).
constexpr int kFocusWalkLimit = 10000;

// The classic sixteen-colour order without white.
constexpr std::array<QRgb, kControlColourCount> kControlColours = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00};

QString to_qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void place(QWidget* widget, QRect rect) {
  if (rect.size().isEmpty()) rect.setSize(widget->sizeHint());
  widget->setGeometry(rect);
}

template <typename Control>
Control* control_as(const Dialog& dialog, int n) {
  return qobject_cast<Control*>(control_window(dialog, n));
}

bool focus_candidate(const Dialog& dialog, QWidget* widget) {
  const std::optional<int> id = dialog.identifier_of(widget);
  return id && *id >= kControlBase && widget->isVisible() && widget->isEnabled() &&
         (widget->focusPolicy() & Qt::TabFocus) != 0;
}

}  // namespace

QString Label::resolve() const {
  if (message > 0) return to_qt(message_trimmed(message));
  return to_qt(trim_right(text));
}

QWidget* control_window(const Dialog& dialog, int n) {
  return dialog.control_by_identifier(control_identifier(n));
}

void set_control_disabled(Dialog& dialog, int n, bool disabled) {
  QWidget* control = control_window(dialog, n);
  if (control == nullptr || control->isEnabled() != disabled) return;
  control->setEnabled(!disabled);
}

bool is_control_disabled(const Dialog& dialog, int n) {
  const QWidget* control = control_window(dialog, n);
  return control != nullptr && !control->isEnabled();
}

void focus_control(Dialog& dialog, int n) {
  QWidget* control = control_window(dialog, n);
  if (control != nullptr && control->isVisible() && control->isEnabled() &&
      control->focusPolicy() != Qt::NoFocus) {
    control->setFocus(Qt::OtherFocusReason);
    return;
  }
  QWidget* start = control != nullptr ? control : static_cast<QWidget*>(&dialog);
  QWidget* walk = start;
  for (int step = 0; step < kFocusWalkLimit; ++step) {
    walk = walk->nextInFocusChain();
    if (walk == nullptr || walk == start) break;
    if (dialog.isAncestorOf(walk) && focus_candidate(dialog, walk)) {
      walk->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  dialog.setFocus(Qt::OtherFocusReason);
}

void set_check(Dialog& dialog, int n, bool on) {
  auto* box = control_as<QAbstractButton>(dialog, n);
  if (box == nullptr) return;
  box->setChecked(on);
  dialog.send_command(command_word(control_identifier(n), kNotifyCheckChanged), box);
}

bool get_check(const Dialog& dialog, int n) {
  const auto* box = control_as<QAbstractButton>(dialog, n);
  return box != nullptr && box->isChecked();
}

int combo_selection(const Dialog& dialog, int n) {
  const auto* combo = control_as<QComboBox>(dialog, n);
  if (combo == nullptr) return 0;
  return combo->currentIndex() + combo->property(kFirstValueProperty).toInt();
}

void set_combo_items(Dialog& dialog, int n, const std::vector<std::string>& items, int index) {
  auto* combo = control_as<QComboBox>(dialog, n);
  if (combo == nullptr) return;
  const QSignalBlocker quiet(combo);
  combo->clear();
  for (const std::string& item : items) combo->addItem(to_qt(trim_right(item)));
  if (combo->count() > 0) combo->setCurrentIndex(std::clamp(index, 0, combo->count() - 1));
}

void set_control_colour(Dialog& dialog, int n, int colour) {
  QWidget* control = control_window(dialog, n);
  if (control == nullptr || colour < 0 || colour >= kControlColourCount) return;
  const int word = user_word(control);
  if (((word & kColourMask) >> kColourShift) == colour + 1) return;
  set_user_word(control, (word & kLowBitsMask) + ((colour + 1) << kColourShift));
  QPalette palette = control->palette();
  const QColor shade = QColor::fromRgb(kControlColours[static_cast<std::size_t>(colour)]);
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::WindowText, shade);
    palette.setColor(group, QPalette::ButtonText, shade);
    palette.setColor(group, QPalette::Text, shade);
  }
  control->setPalette(palette);
  if (!control->isEnabled()) control->repaint();
}

void notify_control(Dialog& dialog, int n) {
  QWidget* control = control_window(dialog, n);
  if (control == nullptr) return;
  dialog.send_command(command_word(control_identifier(n), kNotifySelectionChanged), control);
}

bool press_button(Dialog& dialog, int code) {
  for (const auto& [identifier, widget] : dialog.controls()) {
    auto* button = qobject_cast<QPushButton*>(widget.data());
    if (button == nullptr || user_word(button) != code) continue;
    if (button->isEnabled()) dialog.send_command(command_word(identifier, kNotifyClicked), button);
    return true;
  }
  return false;
}

void set_text(QWidget* window, std::string_view text) {
  if (window == nullptr) return;
  const QString value = to_qt(text);
  if (auto* label = qobject_cast<QLabel*>(window)) {
    label->setText(value);
  } else if (auto* button = qobject_cast<QAbstractButton*>(window)) {
    button->setText(value);
  } else if (auto* edit = qobject_cast<QLineEdit*>(window)) {
    edit->setText(value);
  } else {
    window->setWindowTitle(value);
  }
}

void set_text(Dialog& dialog, int n, std::string_view text) {
  set_text(control_window(dialog, n), text);
}

void set_text_message(Dialog& dialog, int n, int message) {
  set_text(dialog, n, trim_right(message_text(message, kSettingValueLimit)));
}

void set_title_text(QWidget* window, std::string_view text) {
  if (window == nullptr) return;
  QWidget* top = window->window();
  const QString current = top->windowTitle();
  const qsizetype cut = current.indexOf(to_qt(kTitleSeparator));
  QString caption = cut >= 0 ? current.left(cut) : current;
  if (caption.isEmpty()) caption = QString::fromStdString(application_base_name());
  if (!is_blank(text)) caption += to_qt(kTitleSeparator) + to_qt(trim_right(text));
  top->setWindowTitle(caption);
  write_log("SET_TITLE", caption.toStdString(), window_handle_text(top));
}

void set_title_message(QWidget* window, int message) {
  set_title_text(window, message > 0 ? message_trimmed(message) : std::string());
}

namespace {

QSize cell_of(const QWidget* control) {
  if (const auto* console = qobject_cast<const ConsoleView*>(control)) return console->cell_size();
  return dialog_units().cell();
}

QSize borders_of(const QWidget* control) {
  const auto* frame = qobject_cast<const QFrame*>(control);
  const int edge = frame != nullptr ? 2 * frame->frameWidth() : 0;
  return {edge, edge};
}

}  // namespace

QSize control_size_cells(const Dialog& dialog, int n) {
  const QWidget* control = control_window(dialog, n);
  if (control == nullptr) return {};
  const QSize cell = cell_of(control);
  const QSize inner = control->size() - borders_of(control);
  return {std::max(0, inner.width() / cell.width()), std::max(0, inner.height() / cell.height())};
}

void set_control_size_cells(Dialog& dialog, int n, QSize cells) {
  QWidget* control = control_window(dialog, n);
  if (control == nullptr || cells.width() < 0 || cells.height() < 0) return;
  const QSize cell = cell_of(control);
  control->resize(QSize(cells.width() * cell.width(), cells.height() * cell.height()) + borders_of(control));
}

QSize anchor_offset(const Dialog& dialog, int n) {
  const QWidget* control = control_window(dialog, n);
  if (control == nullptr) return {};
  const QRect area = dialog.client()->rect();
  const QRect box = control->geometry();
  return {area.width() - (box.x() + box.width()), area.height() - (box.y() + box.height())};
}

QLabel* create_static(Dialog& dialog, int n, const Label& label, QRect rect) {
  auto* control = new QLabel(label.resolve(), dialog.client());
  control->setTextFormat(Qt::PlainText);
  dialog.register_control(control_identifier(n), control);
  place(control, rect);
  return control;
}

QCheckBox* create_check_box(Dialog& dialog, int n, const Label& label, QRect rect, bool checked) {
  auto* box = new QCheckBox(label.resolve(), dialog.client());
  box->setChecked(checked);
  const int identifier = control_identifier(n);
  dialog.register_control(identifier, box);
  QObject::connect(box, &QCheckBox::clicked, &dialog, [&dialog, box, identifier] {
    dialog.send_command(command_word(identifier, kNotifyCheckChanged), box);
  });
  place(box, rect);
  return box;
}

QComboBox* create_combo(Dialog& dialog, int n, QRect rect, int first_value) {
  auto* combo = new QComboBox(dialog.client());
  combo->setProperty(kFirstValueProperty, first_value);
  const int identifier = control_identifier(n);
  dialog.register_control(identifier, combo);
  // Only the user's choices notify, as the platform's lists do.
  QObject::connect(combo, &QComboBox::activated, &dialog, [&dialog, combo, identifier] {
    dialog.send_command(command_word(identifier, kNotifySelectionChanged), combo);
  });
  place(combo, rect);
  return combo;
}

QPushButton* create_push_button(Dialog& dialog, const Label& label, int code, QRect rect) {
  auto* button = new QPushButton(label.resolve(), dialog.client());
  button->setAutoDefault(false);
  // A click leaves the keyboard focus where it was, so that a number field
  // holding the focus is validated before the button's command runs.
  button->setFocusPolicy(Qt::TabFocus);
  set_user_word(button, code);
  const int identifier = control_identifier(dialog.next_framework_number());
  dialog.register_control(identifier, button);
  QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, button, identifier] {
    dialog.send_command(command_word(identifier, kNotifyClicked), button);
  });
  place(button, rect);
  return button;
}

namespace {

// An option button whose state only the framework changes (command_event).
class OptionButton final : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {}
};

}  // namespace

QRadioButton* create_option_button(Dialog& dialog, int i, const Label& label, QRect rect, bool checked) {
  auto* button = new OptionButton(label.resolve(), dialog.client());
  button->setAutoExclusive(false);
  button->setChecked(checked);
  const int identifier = kOptionBase + i;
  dialog.register_control(identifier, button);
  QObject::connect(button, &QRadioButton::clicked, &dialog, [&dialog, button, identifier] {
    dialog.send_command(command_word(identifier, kNotifyClicked), button);
  });
  place(button, rect);
  return button;
}

QListWidget* create_list(Dialog& dialog, int n, QRect rect) {
  auto* list = new QListWidget(dialog.client());
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  const int identifier = control_identifier(n);
  dialog.register_control(identifier, list);
  QObject::connect(list, &QListWidget::currentRowChanged, &dialog, [&dialog, list, identifier] {
    dialog.send_command(command_word(identifier, kNotifySelectionChanged), list);
  });
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, [&dialog, list, identifier] {
    dialog.send_command(command_word(identifier, kNotifyDoubleClicked), list);
  });
  place(list, rect);
  return list;
}

ConsoleView* create_console(Dialog& dialog, int n, Console& console, QRect rect) {
  auto* view = new ConsoleView(console, dialog.client());
  dialog.register_control(control_identifier(n), view);
  place(view, rect);
  return view;
}

void console_write(Dialog& dialog, int n, unsigned flags, std::string_view text) {
  if (auto* view = control_as<ConsoleView>(dialog, n)) view->console().write(flags, text);
}

}  // namespace corvalinde::ui
