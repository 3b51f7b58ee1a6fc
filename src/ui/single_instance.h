// One running instance per user: a lock file in the settings folder and a
// local socket named after the base name. The first instance keeps both for
// the life of the process and, when asked, shows its main window. A later
// start asks it to and ends the process with status 1 through fatal_error;
// when the running instance cannot be reached, with the text
// "Application en cours d'exécution". A lock left by a crashed instance is
// taken over. Needs a QApplication; install the GUI port first so that the
// text can be shown.
#pragma once

#include <string>

namespace corvalinde::ui {

inline constexpr const char* kAlreadyRunningText = "Application en cours d'exécution";

// Returns only in the first instance.
void ensure_single_instance();

// Where the lock lives and the name the running instance listens on.
std::string single_instance_lock_path();
std::string single_instance_server_name();

// What a running instance does when a later start asks: restore the main
// window if minimised (otherwise show it), then raise and activate the popup
// that was active last, or the main window.
void show_running_window();

}  // namespace corvalinde::ui
