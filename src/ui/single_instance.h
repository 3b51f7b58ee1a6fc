// One running instance per user: a lock file in the settings folder and a
// local socket named after the base name. The first instance keeps both for
// the life of the process and, when asked, shows its main window. A later
// start asks it to (handing over the design it was given, if any) and ends
// the process with status 1 through fatal_error; when the running instance
// cannot be reached, with the text "Application en cours d'exécution". A
// lock left by a crashed instance is taken over. Needs a QApplication;
// install the GUI port first so that the text can be shown.
#pragma once

#include <QString>

#include <functional>
#include <string>

namespace corvalinde::ui {

inline constexpr const char* kAlreadyRunningText = "Application en cours d'exécution";

// Returns only in the first instance. `file`: the design this start was
// given (empty: none); a later start hands it over as an absolute path.
void ensure_single_instance(const QString& file = {});

// What the first instance does with a design a later start handed over,
// after showing its window (called from the event loop, never from inside
// the request). Without a handler the window is only shown.
void on_design_handed_over(std::function<void(const QString& path)> handler);

// Where the lock lives and the name the running instance listens on.
std::string single_instance_lock_path();
std::string single_instance_server_name();

// What a running instance does when a later start asks: restore the main
// window if minimised (otherwise show it), then raise and activate the popup
// that was active last, or the main window.
void show_running_window();

}  // namespace corvalinde::ui
