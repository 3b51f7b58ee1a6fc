// The file selection dialog: file types described by message texts that end
// in their pattern ("Road design (*.txt)"), turned into a filter table, a
// non-native file dialog that checks the chosen name before it closes, and
// the file type of the chosen file. The filter table and the name checks are
// plain functions. select_file returns 0 on cancel or when the chosen file
// matches no type (logged); it changes the current directory to the chosen
// file's folder.
#pragma once

#include <QString>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace corvalinde::ui {

// Options word of select_file.
enum FileOptions : unsigned {
  kFileForWriting = 1,      // the file must be writable instead of readable
  kAskBeforeReplacing = 2,  // with kFileForWriting: confirm replacing an existing file
  kAcceptMissingFile = 4,   // a missing file is accepted after the user confirms
  kTitleBits = 48,          // 0, 16, 32, 48: the dialog's title message
  kExtraTextLine = 256,     // an extra text line below the dialog's controls
  kAllFilesEntry = 512,     // a last "*.*" entry
};

// Messages the dialog uses.
inline constexpr int kCombinedEntryMessage = 40;
inline constexpr int kAllFilesMessage = 41;
inline constexpr int kExtraLineMessage = 52;
inline constexpr int kReplaceQuestion = 17;
inline constexpr int kReplaceButtons = 11;  // the first button accepts
inline constexpr int kCreateQuestion = 19;
inline constexpr int kCreateButtons = 10;  // the second button accepts

struct FileFilter {
  std::string description;
  // Extensions without the point; empty for the "*.*" entry.
  std::vector<std::string> extensions;
  bool all_files = false;
  // 1-based number of the description it came from; 0 for the combined and
  // the all-files entries.
  int type = 0;

  // "*.txt", "*.txt;*.xml" or "*.*".
  std::string pattern() const;
  // The entry as Qt's name filter: "description (*.txt *.xml)".
  QString name_filter() const;
};

struct FilterTable {
  std::vector<FileFilter> entries;
  unsigned options = 0;  // the options, with kAllFilesEntry added by a "*" pattern
  // The per-type entries in description order (no combined, no all-files).
  std::vector<const FileFilter*> types() const;
};

// Builds the table: one entry per description holding "(*." + extension +
// ")", the description being the text before the '(' (blanks removed); a
// description without such a pattern adds nothing, one whose extension is "*"
// sets kAllFilesEntry instead. Several entries get a combined entry first
// (message 40); kAllFilesEntry appends "*.*" (message 41).
FilterTable build_filter_table(std::span<const std::string> descriptions, unsigned options);

// The title message for the options (13, 14, 15 or 35).
int title_message(unsigned options);

// The extension of a path's last component (after its last point, not a
// leading one), empty when there is none.
std::string extension_of(std::string_view path);

// Index of the entry preselected for a suggested name: the first per-type
// entry whose extension equals the name's (any case), else 0.
std::size_t preselected_filter(const FilterTable& table, std::string_view name);

// The path with a missing extension completed from the entry: the single
// extension of a type; for the combined entry the first of its extensions
// whose file exists, else its first. Unchanged for the all-files entry or a
// path that has an extension.
std::string complete_extension(std::string_view path, const FileFilter& entry);

// The name with its extension replaced by extension; a name without one is
// returned unchanged.
std::string swap_extension(std::string_view name, std::string_view extension);

// The number of the first type, in description order, whose extension equals
// the path's (any case; a type with pattern "*.*" matches all); 0 for none.
int file_type_of(const FilterTable& table, std::string_view path);

// The checks made when the user confirms a name. ask(message, buttons)
// shows a question and returns the 1-based button pressed.
using QuestionAsker = std::function<int(int message, int buttons)>;
struct NameCheck {
  bool accepted = false;
  std::string path;  // with the extension completed
};
NameCheck check_chosen_name(std::string_view path, const FileFilter& selected, unsigned options,
                            const QuestionAsker& ask);

// Shows the dialog. file_name: the suggested name in, the chosen full path
// out (only when a type is returned). Returns the 1-based file type, or 0.
int select_file(std::string& file_name, std::span<const std::string> descriptions, unsigned options,
                QWidget* parent = nullptr);

}  // namespace corvalinde::ui
