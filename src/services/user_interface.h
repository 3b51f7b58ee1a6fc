// The user-interface port: what the core needs from whoever presents it (the
// Qt application, the command-line front end, a test). The front end owns its
// implementation and installs it with set_user_interface; the core never owns
// it. Without one installed, a quiet default answers (choices cancelled,
// progress ignored, messages written to standard error).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

// One alignment offered in a choice: its name and, where the file gives them,
// its length and its start station (the designer's station, metres). A value
// the file does not give stays empty: it is shown as unknown.
struct AlignmentOption {
  std::string name;
  std::optional<double> length;
  std::optional<double> start_station;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // Modal list: returns the 1-based number of the chosen item, 0 when cancelled.
  virtual int choose_from_list(std::string_view title, const std::vector<std::string>& items) = 0;

  // The choice of an alignment among several: 1-based, 0 when cancelled.
  // The default offers the names alone through choose_from_list.
  virtual int choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options);

  // A choice with one candidate is taken without asking; this is told the
  // title and the candidate, and returns false to refuse it (a front end
  // told beforehand to choose another). The default takes it.
  virtual bool accept_only_candidate(std::string_view /*title*/, std::string_view /*item*/) { return true; }

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

// Installs `port` for the calling thread for the lifetime of the object and
// then puts back the one it replaced. `port` is not owned.
class ScopedUserInterface {
 public:
  explicit ScopedUserInterface(UserInterface& port) : previous_(set_user_interface(&port)) {}
  ~ScopedUserInterface() { set_user_interface(previous_); }
  ScopedUserInterface(const ScopedUserInterface&) = delete;
  ScopedUserInterface& operator=(const ScopedUserInterface&) = delete;

 private:
  UserInterface* previous_;
};

}  // namespace corvalinde
