#include "ui/file_selection.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <filesystem>

#include "output/utf8.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "ui/message_window.h"

namespace corvalinde::ui {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPatternStart = "(*.";
constexpr std::string_view kAllFilesPattern = "*.*";
constexpr std::string_view kAnyExtension = "*";
constexpr int kTitleShift = 4;
constexpr int kTitleMessages[] = {13, 14, 15, 35};

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return trim_right(text);
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return out;
}

std::string upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return out;
}

bool same_extension(std::string_view a, std::string_view b) {
  return lower(a) == lower(b);
}

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool readable_file(const std::string& path) {
  // O_NONBLOCK: a named pipe must not hold the dialog until a writer comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool writable(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

std::string FileFilter::pattern() const {
  if (all_files) return std::string(kAllFilesPattern);
  std::string joined;
  for (const std::string& extension : extensions) {
    if (!joined.empty()) joined += ';';
    joined += "*." + extension;
  }
  return joined;
}

QString FileFilter::name_filter() const {
  QStringList patterns;
  if (all_files) {
    patterns << from_utf8(kAllFilesPattern);
  } else {
    // File names are case-sensitive here: offer both cases of an extension.
    for (const std::string& extension : extensions) {
      patterns << from_utf8("*." + extension);
      for (const std::string& other : {lower(extension), upper(extension)}) {
        const QString variant = from_utf8("*." + other);
        if (!patterns.contains(variant)) patterns << variant;
      }
    }
  }
  return from_utf8(description) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

std::vector<const FileFilter*> FilterTable::types() const {
  std::vector<const FileFilter*> found;
  for (const FileFilter& entry : entries) {
    if (entry.type > 0) found.push_back(&entry);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const FileFilter* a, const FileFilter* b) { return a->type < b->type; });
  return found;
}

FilterTable build_filter_table(std::span<const std::string> descriptions, unsigned options) {
  FilterTable table;
  table.options = options;
  int any_type = 0;  // the description whose pattern is "*", if any
  for (std::size_t k = 0; k < descriptions.size(); ++k) {
    const std::string_view text = descriptions[k];
    const std::size_t start = text.find(kPatternStart);
    if (start == std::string_view::npos) continue;
    const std::size_t end = text.find(')', start + kPatternStart.size());
    if (end == std::string_view::npos) continue;
    const std::string_view extension =
        trim_blanks(text.substr(start + kPatternStart.size(), end - start - kPatternStart.size()));
    const int type = static_cast<int>(k) + 1;
    if (extension == kAnyExtension) {
      table.options |= kAllFilesEntry;
      if (any_type == 0) any_type = type;
      continue;
    }
    if (extension.empty()) continue;
    table.entries.push_back(
        FileFilter{std::string(trim_blanks(text.substr(0, start))), {std::string(extension)}, false, type});
  }
  if (table.entries.size() > 1) {
    FileFilter combined{message_trimmed(kCombinedEntryMessage), {}, false, 0};
    for (const FileFilter& entry : table.entries) combined.extensions.push_back(entry.extensions.front());
    table.entries.insert(table.entries.begin(), std::move(combined));
  }
  if ((table.options & kAllFilesEntry) != 0) {
    table.entries.push_back(FileFilter{message_trimmed(kAllFilesMessage), {}, true, any_type});
  }
  return table;
}

int title_message(unsigned options) {
  return kTitleMessages[(options & kTitleBits) >> kTitleShift];
}

std::string extension_of(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t point = name.find_last_of('.');
  if (point == std::string_view::npos || point == 0) return {};
  return std::string(name.substr(point + 1));
}

std::size_t preselected_filter(const FilterTable& table, std::string_view name) {
  const std::string extension = extension_of(trim_blanks(name));
  if (extension.empty()) return 0;
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const FileFilter& entry = table.entries[i];
    if (entry.type > 0 && !entry.all_files && same_extension(entry.extensions.front(), extension)) return i;
  }
  return 0;
}

std::string complete_extension(std::string_view path, const FileFilter& entry) {
  std::string completed(path);
  if (entry.all_files || entry.extensions.empty() || !extension_of(path).empty()) return completed;
  if (!completed.empty() && completed.back() != '.') completed += '.';
  if (entry.extensions.size() > 1) {
    for (const std::string& extension : entry.extensions) {
      std::error_code error;
      if (fs::is_regular_file(completed + extension, error)) return completed + extension;
    }
  }
  return completed + entry.extensions.front();
}

std::string swap_extension(std::string_view name, std::string_view extension) {
  const std::string current = extension_of(name);
  if (current.empty() || extension.empty()) return std::string(name);
  return std::string(name.substr(0, name.size() - current.size())) + std::string(extension);
}

int file_type_of(const FilterTable& table, std::string_view path) {
  const std::string extension = extension_of(path);
  for (const FileFilter* type : table.types()) {
    if (type->all_files) return type->type;
    if (!extension.empty() && same_extension(type->extensions.front(), extension)) return type->type;
  }
  return 0;
}

NameCheck check_chosen_name(std::string_view path, const FileFilter& selected, unsigned options,
                            const QuestionAsker& ask) {
  NameCheck check;
  check.path = complete_extension(trim_blanks(path), selected);
  if (check.path.empty()) return check;
  std::error_code error;
  const fs::file_status status = fs::status(check.path, error);
  if (fs::is_directory(status)) return check;
  const bool for_writing = (options & kFileForWriting) != 0;
  if (!fs::exists(status)) {
    if ((options & kAcceptMissingFile) == 0 || ask(kCreateQuestion, kCreateButtons) != 2) return check;
    // The file will be made: its folder must exist and take it.
    const fs::path folder = fs::path(check.path).parent_path();
    check.accepted = fs::is_directory(folder, error) && (!for_writing || writable(folder.string()));
    return check;
  }
  if (for_writing) {
    if ((options & kAskBeforeReplacing) != 0 && ask(kReplaceQuestion, kReplaceButtons) != 1) return check;
    check.accepted = writable(check.path);
  } else {
    check.accepted = readable_file(check.path);
  }
  return check;
}

namespace {

// Qt's own file dialog with the checks run before it may close.
class SelectionDialog final : public QFileDialog {
 public:
  SelectionDialog(QWidget* parent, const FilterTable& table) : QFileDialog(parent), table_(table) {
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setFileMode(QFileDialog::AnyFile);
    setAcceptMode((table.options & kFileForWriting) != 0 ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setSizeGripEnabled(true);
    QStringList filters;
    for (const FileFilter& entry : table.entries) filters << entry.name_filter();
    if (!filters.isEmpty()) setNameFilters(filters);
    const std::vector<const FileFilter*> types = table.types();
    if (types.size() == 1 && !types.front()->all_files) {
      setDefaultSuffix(from_utf8(types.front()->extensions.front()));
    }
    connect(this, &QFileDialog::filterSelected, this,
            [this](const QString& filter) { swap_typed_extension(filter); });
    if (auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
      QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
      connect(help, &QPushButton::clicked, this, [this] { show_details(); });
    }
    if ((table.options & kExtraTextLine) != 0) {
      if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        auto* line = new QLabel(from_utf8(message_trimmed(kExtraLineMessage)), this);
        grid->addWidget(line, grid->rowCount(), 0, 1, grid->columnCount());
      }
    }
  }

  const std::string& chosen() const { return chosen_; }
  const FileFilter* chosen_entry() const { return chosen_entry_; }

  void accept() override {
    const QString path = chosen_path();
    if (path.isEmpty()) return;
    if (QFileInfo(path).isDir()) {
      QFileDialog::accept();  // opens the folder
      return;
    }
    const FileFilter* entry = selected_entry();
    const FileFilter any{std::string(), {}, true, 0};
    bool asked = false;
    const NameCheck check = check_chosen_name(path.toStdString(), entry != nullptr ? *entry : any,
                                              table_.options, [this, &asked](int message, int buttons) {
                                                asked = true;
                                                return message_window({message_trimmed(message)}, kQuestion,
                                                                      message_trimmed(buttons), this);
                                              });
    if (!check.accepted) {
      if (!asked) QApplication::beep();
      return;  // stays open on the name
    }
    chosen_ = check.path;
    chosen_entry_ = entry;
    QDialog::accept();
  }

 private:
  QLineEdit* name_edit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

  // The name as Qt resolves what was typed or picked (a typed absolute path
  // moves the dialog to its folder and leaves only the name in the field).
  QString chosen_path() const {
    const QString resolved = selectedFiles().value(0);
    if (!resolved.isEmpty()) return resolved;
    const QLineEdit* edit = name_edit();
    const QString typed = edit != nullptr ? edit->text().trimmed() : QString();
    return typed.isEmpty() ? QString() : directory().absoluteFilePath(typed);
  }

  const FileFilter* entry_for(const QString& filter) const {
    for (const FileFilter& entry : table_.entries) {
      if (entry.name_filter() == filter) return &entry;
    }
    return nullptr;
  }

  const FileFilter* selected_entry() const { return entry_for(selectedNameFilter()); }

  void swap_typed_extension(const QString& filter) {
    const FileFilter* entry = entry_for(filter);
    QLineEdit* edit = name_edit();
    if (entry == nullptr || entry->all_files || entry->type == 0 || edit == nullptr) return;
    const std::string name = edit->text().toStdString();
    const std::string swapped = swap_extension(name, entry->extensions.front());
    if (swapped != name) edit->setText(from_utf8(swapped));
  }

  // The help button: what the selected file is.
  void show_details() {
    const QFileInfo info(chosen_path());
    if (!info.isFile()) {
      QApplication::beep();
      return;
    }
    const QLocale locale;
    (void)message_window(
        {info.absoluteFilePath().toStdString(), locale.formattedDataSize(info.size()).toStdString(),
         locale.toString(info.lastModified(), QLocale::LongFormat).toStdString()},
        kInformation, std::vector<std::string>{}, this);
  }

  const FilterTable& table_;
  std::string chosen_;
  const FileFilter* chosen_entry_ = nullptr;
};

}  // namespace

int select_file(std::string& file_name, std::span<const std::string> descriptions, unsigned options,
                QWidget* parent) {
  if (qApp == nullptr) return 0;
  const FilterTable table = build_filter_table(descriptions, options);
  SelectionDialog dialog(parent != nullptr ? parent : QApplication::activeWindow(), table);
  dialog.setWindowTitle(from_utf8(message_trimmed(title_message(options))));
  dialog.setDirectory(QDir::currentPath());
  if (!table.entries.empty()) {
    dialog.selectNameFilter(table.entries[preselected_filter(table, file_name)].name_filter());
  }
  const std::string_view suggested = trim_blanks(file_name);
  if (!suggested.empty()) dialog.selectFile(from_utf8(suggested));
  if (dialog.exec() != QDialog::Accepted || dialog.chosen().empty()) return 0;

  const std::string& path = dialog.chosen();
  const int type = file_type_of(table, path);
  if (type == 0) {
    write_log("Pb Select_fic |" + path + "|");
    std::string patterns;
    for (const FileFilter* known : table.types()) patterns += known->pattern() + ";";
    write_log("Ext :", patterns);
  }
  (void)QDir::setCurrent(QFileInfo(from_utf8(path)).absolutePath());
  if (type > 0) file_name = path;
  return type;
}

}  // namespace corvalinde::ui
