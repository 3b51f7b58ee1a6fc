// The user-interface port: what the core needs from whoever presents it (the
// Qt application, the command-line front end, a test). The front end owns its
// implementation and installs it with set_user_interface; the core never owns
// it. Without one installed, a quiet default answers (choices cancelled,
// progress ignored, messages written to standard error).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Modal list: returns the 1-based number of the chosen item, 0 when cancelled.
  virtual int choose_from_list(std::string_view title, const std::vector<std::string>& items) = 0;

  // Progress window stack: value >= 1 with a text opens a new window (value is
  // the scale); value >= 1 without text advances the newest; 0 does nothing;
  // -1 and -2 close the newest.
  virtual void progress_window(int value, std::string_view text) = 0;

  // Modal message window: shows the lines, returns the 1-based number of the
  // button pressed. `buttons` lists the labels (empty: one OK button).
  // presentation: 0 information, 1 question, 2 warning, 3 error.
  virtual int message_window(const std::vector<std::string>& lines, int presentation,
                             const std::vector<std::string>& buttons) = 0;
};

// The port installed on the calling thread (never null: the quiet default
// when none is installed).
UserInterface& user_interface();

// Installs a port for the calling thread (not owned; nullptr restores the
// default). Returns the previous one, or nullptr when the default was in use.
UserInterface* set_user_interface(UserInterface* port);

}  // namespace corvalinde
