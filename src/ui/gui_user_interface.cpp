#include "ui/gui_user_interface.h"

#include "ui/message_window.h"
#include "ui/progress_window.h"

namespace corvalinde::ui {

int GuiUserInterface::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  return ui::choose_from_list(title, items);
}

void GuiUserInterface::progress_window(int value, std::string_view text) {
  ui::progress_window(value, text);
}

int GuiUserInterface::message_window(const std::vector<std::string>& lines, int presentation,
                                     const std::vector<std::string>& buttons) {
  return ui::message_window(lines, presentation, buttons);
}

}  // namespace corvalinde::ui
