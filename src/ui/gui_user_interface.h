// The user-interface port of the desktop program: list choices, progress
// windows and message windows (also fatal_error's window) through the
// dialog toolkit. The program owns the port and installs it with
// set_user_interface; it uses the process-wide progress stack.
#pragma once

#include "services/user_interface.h"

namespace corvalinde::ui {

class GuiUserInterface final : public UserInterface {
 public:
  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override;
  void progress_window(int value, std::string_view text) override;
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>& buttons) override;
};

}  // namespace corvalinde::ui
