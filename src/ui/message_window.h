// The framework's message window and list choice: modal kind-1 dialogs run
// through run_modal_dialog. The framework owns them for the call. Without a
// QApplication they answer at once (the message window with the lines on
// standard error and 1, the list with 0).
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace corvalinde::ui {

// Presentation codes: the icon shown.
enum Presentation : int {
  kInformation = 0,
  kQuestion = 1,
  kWarning = 2,
  kError = 3,
};

// Shows the lines (trailing blanks removed) with the presentation's icon and
// a beep, under buttons with the given labels (none: one "OK" button).
// Returns the 1-based number of the button pressed; Esc or the close box give
// 0 when there are several buttons and 1 when there is one.
int message_window(const std::vector<std::string>& lines, int presentation,
                   const std::vector<std::string>& buttons, QWidget* owner = nullptr);
// The same with the button labels in one text ("Yes|No").
int message_window(const std::vector<std::string>& lines, int presentation, std::string_view button_labels,
                   QWidget* owner = nullptr);

// Items longer than this many characters are cut.
inline constexpr std::size_t kListItemLimit = 255;
inline constexpr int kListMinimumRows = 10;
inline constexpr int kListMaximumRows = 15;

// Modal list under title: returns the 1-based number of the chosen entry
// (accept or double click), 0 when cancelled or when there are no items.
int choose_from_list(std::string_view title, const std::vector<std::string>& items, QWidget* owner = nullptr);

}  // namespace corvalinde::ui
