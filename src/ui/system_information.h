// The system-information window (Help menu): where the program is, which build it is, the
// system it runs on and the folders it uses. It reads only; any value it
// cannot tell is shown as such.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace corvalinde::ui {

inline constexpr const char* kUnknownRelease = "unknown version";

// The release named by the text of an os-release file: PRETTY_NAME, else
// NAME and VERSION, quotes and escapes removed; kUnknownRelease when neither
// is there.
std::string os_release_name(std::string_view os_release);

// The seven lines, in order: the program's full path; its file version and
// build date; the system's release (from /etc/os-release, else
// /usr/lib/os-release); "Ansi" and "OEM" each followed by the locale's
// character set (Linux has one for windows and terminals alike); the settings
// folder; the folder for temporary files.
std::vector<std::string> system_information_lines();

// Shows the lines in a message box over parent. A request while the box is
// open is ignored: false then, true once the box was shown.
bool show_system_information(QWidget* parent);

}  // namespace corvalinde::ui
