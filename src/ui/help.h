// Help and About: the version values (from build-time constants and the
// executable's date, computed once), the user guide beside the program or in
// the installed share folder, opened in the desktop's viewer, and the About
// window. A guide that is missing or cannot be shown is said so in a
// message box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace corvalinde::ui {

inline constexpr int kAboutMessage = 115;
inline constexpr std::size_t kProductVersionWidth = 5;
inline constexpr std::size_t kFileVersionWidth = 8;
inline constexpr std::size_t kBuildDateWidth = 10;
// A guide shorter than this is taken as missing.
inline constexpr long long kMinimumHelpFileBytes = 4;

// Fills version with the file version when it holds kFileVersionWidth
// characters or more (else the product version) and date with the build date
// (all of it in a field of 10 or more, its last 7 characters in one of 7 to
// 9, unchanged in a smaller one); both cut to the field's length.
void version_text(std::string& version, std::string& date);

// The guide's file name in a language: Corvalinde.html in English,
// Corvalinde.fr.html in French.
std::string help_file_name(std::string_view language);
// The guide's path: the file beside the program, else in
// ../share/corvalinde/ of an installed tree; the first of those when neither
// exists.
std::string help_file_path(std::string_view language);
// The file exists and holds at least kMinimumHelpFileBytes bytes.
bool help_file_usable(const std::string& path);

// The lines of the About window: the base name, message 115 and the version,
// the build date.
std::vector<std::string> about_lines();

// Opens the guide of the language in the desktop's viewer; says so in a
// message box (and returns false) when the guide is missing or no viewer
// could be started.
bool open_guide(QWidget* parent, std::string_view language);
void show_about(QWidget* parent);

}  // namespace corvalinde::ui
