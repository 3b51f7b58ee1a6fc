// Help and About: the version values (from build-time constants and the
// executable's date, computed once), the user guide beside the program or in
// the installed share folder, opened in the desktop's viewer, and the About
// window. Nothing here fails loudly: a missing guide leaves the help entry
// grey and the viewer reports what it cannot open.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

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

// The guide's path: Corvalinde.html beside the program, else in
// ../share/corvalinde/ of an installed tree; the first of those when neither
// exists.
std::string help_file_path();
// The file exists and holds at least kMinimumHelpFileBytes bytes.
bool help_file_usable(const std::string& path);

// The lines of the About window: the base name, message 115 and the version,
// the build date.
std::vector<std::string> about_lines();

// Item 1: opens the guide; item 3: the About window; other items: nothing.
void show_help(int item);

}  // namespace corvalinde::ui
