// Control operations of the dialog framework: creating the control kinds the
// application uses (labels, check boxes, drop-down lists, push buttons,
// option buttons, lists, the console) and acting on them by control number.
// The dialog's widget tree owns the controls. A number without a control
// makes an operation do nothing and return 0 / false / an empty size.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QWidget;

namespace corvalinde {
class Console;
}

namespace corvalinde::ui {

class ConsoleView;
class Dialog;

// A label given as a message number or as a text.
struct Label {
  int message = 0;
  std::string text;

  static Label of_message(int n) { return Label{n, {}}; }
  static Label of_text(std::string_view text) { return Label{0, std::string(text)}; }
  // The text to show (a message without its trailing blanks).
  QString resolve() const;
};

QWidget* control_window(const Dialog& dialog, int n);

void set_control_disabled(Dialog& dialog, int n, bool disabled);
bool is_control_disabled(const Dialog& dialog, int n);

// Focuses control n when it exists, is visible and enabled; otherwise the
// next such application control in tab order (from the first when n has no
// control); the dialog itself when the walk finds none.
void focus_control(Dialog& dialog, int n);

// set_check then notifies the dialog with kNotifyCheckChanged, as a click does.
void set_check(Dialog& dialog, int n, bool on);
bool get_check(const Dialog& dialog, int n);

// Index of the selected entry plus the list's first value (-1 + first value
// when nothing is selected).
int combo_selection(const Dialog& dialog, int n);
// Replaces the entries (trailing blanks removed) and selects index (0-based,
// clamped) without notifying.
void set_combo_items(Dialog& dialog, int n, const std::vector<std::string>& items, int index);

// Colour numbers 0 to 14 (the classic sixteen-colour order without white);
// kept in bits 4 to 7 of the user word as colour + 1. Others are ignored.
inline constexpr int kControlColourCount = 15;
void set_control_colour(Dialog& dialog, int n, int colour);

// Sends the dialog a notification with code kNotifySelectionChanged from n.
void notify_control(Dialog& dialog, int n);

// Finds the push button whose user word is code; when it is enabled, sends
// its command as a click would. Returns whether such a button exists.
bool press_button(Dialog& dialog, int code);

// Window or control texts (a Dialog's text is its caption).
void set_text(QWidget* window, std::string_view text);
void set_text(Dialog& dialog, int n, std::string_view text);
void set_text_message(Dialog& dialog, int n, int message);

// Caption of window's top-level window: the part before " - " (the base
// name when there is none), then " - " and the text; a blank text (or a
// message <= 0) keeps only the first part. Logged as "SET_TITLE".
void set_title_text(QWidget* window, std::string_view text);
void set_title_message(QWidget* window, int message);

// Size of a list-like control in character cells, and back.
QSize control_size_cells(const Dialog& dialog, int n);
void set_control_size_cells(Dialog& dialog, int n, QSize cells);

// Distance of control n from the right and bottom edges of the client area.
QSize anchor_offset(const Dialog& dialog, int n);

// Creation. A rect with an empty size takes the control's natural size.
QLabel* create_static(Dialog& dialog, int n, const Label& label, QRect rect);
QCheckBox* create_check_box(Dialog& dialog, int n, const Label& label, QRect rect, bool checked = false);
QComboBox* create_combo(Dialog& dialog, int n, QRect rect, int first_value = 0);
// A framework push button (the next free negative number) returning code.
QPushButton* create_push_button(Dialog& dialog, const Label& label, int code, QRect rect);
// Option button i of a framework-managed group (identifier kOptionBase + i).
QRadioButton* create_option_button(Dialog& dialog, int i, const Label& label, QRect rect,
                                   bool checked = false);
// A list: kNotifySelectionChanged on a new current entry, kNotifyDoubleClicked.
QListWidget* create_list(Dialog& dialog, int n, QRect rect);
// The console window showing console (not owned; it must outlive the view).
ConsoleView* create_console(Dialog& dialog, int n, Console& console, QRect rect);

// The console write request delivered to console control n of dialog.
void console_write(Dialog& dialog, int n, unsigned flags, std::string_view text = {});

}  // namespace corvalinde::ui
