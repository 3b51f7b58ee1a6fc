#include "ui/message_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "output/utf8.h"
#include "services/settings_store.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/item_text.h"

namespace corvalinde::ui {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonMinimumColumns = 9;
constexpr int kListMinimumColumns = 30;
constexpr int kListMaximumColumns = 100;
constexpr int kTextControl = 0;
constexpr int kIconControl = 1;
constexpr int kListControl = 0;

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ok_label() {
  return QCoreApplication::translate("QPlatformTheme", "OK");
}
QString cancel_label() {
  return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

QStyle::StandardPixmap icon_of(int presentation) {
  switch (presentation) {
    case kQuestion:
      return QStyle::SP_MessageBoxQuestion;
    case kWarning:
      return QStyle::SP_MessageBoxWarning;
    case kError:
      return QStyle::SP_MessageBoxCritical;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}

// A row of push buttons along the bottom right of the client area, starting
// at top; returns the bottom edge.
int place_buttons(const std::vector<QPushButton*>& buttons, int right, int top) {
  int x = right;
  int height = 0;
  for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
    QPushButton* button = *it;
    const int width =
        std::max(button->sizeHint().width(), kButtonMinimumColumns * dialog_units().cell().width());
    x -= width;
    button->setGeometry(x, top, width, button->sizeHint().height());
    x -= kMargin / 2;
    height = std::max(height, button->sizeHint().height());
  }
  return top + height;
}

int buttons_width(const std::vector<QPushButton*>& buttons) {
  int width = 0;
  for (QPushButton* button : buttons) {
    width += std::max(button->sizeHint().width(), kButtonMinimumColumns * dialog_units().cell().width()) +
             kMargin / 2;
  }
  return width;
}

class MessageProcedure final : public DialogProcedure {
 public:
  MessageProcedure(const std::vector<std::string>& lines, int presentation,
                   const std::vector<std::string>& buttons)
      : presentation_(presentation) {
    QStringList shown;
    for (const std::string& line : lines) shown << from_utf8(trim_right(line));
    text_ = shown.join(QLatin1Char('\n'));
    for (const std::string& label : buttons) labels_ << from_utf8(label);
    if (labels_.isEmpty()) labels_ << ok_label();
  }

  void initialise(Dialog& dialog) override {
    set_text(&dialog, application_base_name());
    auto* icon = new QLabel(dialog.client());
    icon->setPixmap(dialog.style()->standardIcon(icon_of(presentation_)).pixmap(kIconSize, kIconSize));
    icon->setGeometry(kMargin, kMargin, kIconSize, kIconSize);
    dialog.register_control(control_identifier(kIconControl), icon);
    QLabel* text = create_static(dialog, kTextControl, Label::of_text(text_.toStdString()), QRect());
    text->move(kMargin * 2 + kIconSize, kMargin);
    std::vector<QPushButton*> buttons;
    for (qsizetype i = 0; i < labels_.size(); ++i) {
      buttons.push_back(create_push_button(dialog, Label::of_text(labels_[i].toStdString()),
                                           static_cast<int>(i) + 1, QRect()));
    }
    const int width = std::max(text->x() + text->width(), buttons_width(buttons)) + kMargin;
    const int top = std::max(text->y() + text->height(), kMargin + kIconSize) + kMargin;
    const int bottom = place_buttons(buttons, width - kMargin, top);
    dialog.resize_client(QSize(width, bottom + kMargin));
    buttons.front()->setFocus(Qt::OtherFocusReason);
    QApplication::beep();
  }

  void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) override {
    const int event = command_event(dialog, packed_command, source);
    const int count = static_cast<int>(labels_.size());
    if (event >= 1 && event <= count) {
      finish(dialog, event);
    } else if (event == 0 && command_identifier(packed_command) == kCancelCommand) {
      finish(dialog, count == 1 ? 1 : 0);
    }
  }

  // The button pressed; what Esc gives when the window ended without one.
  int answer() const { return answer_.value_or(labels_.size() == 1 ? 1 : 0); }

 private:
  void finish(Dialog& dialog, int button) {
    answer_ = button;
    end_dialog(dialog, button);
  }

  std::optional<int> answer_;
  int presentation_;
  QString text_;
  QStringList labels_;
};

class ListProcedure final : public DialogProcedure {
 public:
  ListProcedure(std::string_view title, const std::vector<std::string>& items)
      : title_(from_utf8(trim_right(title))) {
    for (const std::string& item : items) items_ << from_utf8(utf8_prefix(trim_right(item), kListItemLimit));
  }

  void initialise(Dialog& dialog) override {
    dialog.setWindowTitle(title_);
    QListWidget* list = create_list(dialog, kListControl, QRect());
    list->addItems(items_);
    list->setCurrentRow(0);
    const QSize cell = dialog_units().cell();
    const int rows = std::clamp(static_cast<int>(items_.size()), kListMinimumRows, kListMaximumRows);
    const int edge = 2 * list->frameWidth();
    const int content = std::clamp(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width(),
                                   kListMinimumColumns * cell.width(), kListMaximumColumns * cell.width());
    list->setGeometry(kMargin, kMargin, content + edge, rows * std::max(1, list->sizeHintForRow(0)) + edge);
    std::vector<QPushButton*> buttons = {
        create_push_button(dialog, Label::of_text(ok_label().toStdString()), kEventAccept, QRect()),
        create_push_button(dialog, Label::of_text(cancel_label().toStdString()), kEventCancel, QRect())};
    const int width = list->width() + 2 * kMargin;
    const int bottom = place_buttons(buttons, width - kMargin, list->y() + list->height() + kMargin);
    dialog.resize_client(QSize(width, bottom + kMargin));
    list->setFocus(Qt::OtherFocusReason);
    list_ = list;
  }

  void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) override {
    const int event = command_event(dialog, packed_command, source);
    if (event == kEventCancel) {
      finish(dialog, 0);
    } else if (event == kEventAccept ||
               (event == kEventControl && control_number(packed_command) == kListControl &&
                notification_code(packed_command) == kNotifyDoubleClicked)) {
      finish(dialog, list_ != nullptr ? list_->currentRow() + 1 : 0);
    }
  }

  int answer() const { return answer_; }

 private:
  void finish(Dialog& dialog, int entry) {
    answer_ = entry;
    end_dialog(dialog, entry);
  }

  int answer_ = 0;
  QString title_;
  QStringList items_;
  QListWidget* list_ = nullptr;
};

}  // namespace

int message_window(const std::vector<std::string>& lines, int presentation,
                   const std::vector<std::string>& buttons, QWidget* owner) {
  if (qApp == nullptr) {
    for (const std::string& line : lines) std::fprintf(stderr, "%s\n", std::string(trim_right(line)).c_str());
    return 1;
  }
  MessageProcedure procedure(lines, presentation, buttons);
  DialogDescription description;
  description.procedure = &procedure;
  description.owner = owner;
  (void)run_modal_dialog(description);
  return procedure.answer();
}

int message_window(const std::vector<std::string>& lines, int presentation, std::string_view button_labels,
                   QWidget* owner) {
  return message_window(lines, presentation, split_items(button_labels), owner);
}

int choose_from_list(std::string_view title, const std::vector<std::string>& items, QWidget* owner) {
  if (qApp == nullptr || items.empty()) return 0;
  ListProcedure procedure(title, items);
  DialogDescription description;
  description.procedure = &procedure;
  description.owner = owner;
  (void)run_modal_dialog(description);
  return procedure.answer();
}

}  // namespace corvalinde::ui
