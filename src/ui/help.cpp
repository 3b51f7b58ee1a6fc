#include "ui/help.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include <fmt/format.h>

#include "services/message_table.h"
#include "services/settings_store.h"
#include "ui/gui_user_interface.h"

#ifndef CORVALINDE_VERSION
#define CORVALINDE_VERSION "0.0.0"
#endif

namespace corvalinde::ui {
namespace {

constexpr int kOpenGuideItem = 1;
constexpr int kAboutItem = 3;
constexpr std::size_t kDateTailWidth = 7;
constexpr const char* kHelpExtension = "html";
constexpr const char* kInstalledShareFolder = "/../share/corvalinde/";

struct VersionValues {
  std::string product;  // kProductVersionWidth characters
  std::string file;     // kFileVersionWidth characters
  std::string date;     // kBuildDateWidth characters
};

std::string fitted(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

const VersionValues& version_values() {
  static const VersionValues values = [] {
    VersionValues v;
    const std::string version = CORVALINDE_VERSION;
    v.product = fitted(version, kProductVersionWidth);
    v.file = fitted(version + ".0", kFileVersionWidth);
    std::string date;
    const QString program = QCoreApplication::applicationFilePath();
    const QFileInfo info(program);
    if (!program.isEmpty() && info.exists()) {
      const QDate day = info.lastModified().date();
      date = fmt::format("{} {} {}", day.year(), day.month(), day.day());
    }
    v.date = fitted(date, kBuildDateWidth);
    return v;
  }();
  return values;
}

}  // namespace

void version_text(std::string& version, std::string& date) {
  const VersionValues& v = version_values();
  version = fitted(version.size() >= kFileVersionWidth ? v.file : v.product, version.size());
  if (date.size() >= kBuildDateWidth) {
    date = fitted(v.date, date.size());
  } else if (date.size() >= kDateTailWidth) {
    date = fitted(v.date.substr(kBuildDateWidth - kDateTailWidth), date.size());
  }
}

std::string help_file_name(std::string_view language) {
  const std::string base = application_base_name(kHelpExtension);
  if (language.empty() || language == "en") return base;
  const std::size_t dot = base.rfind('.');
  return base.substr(0, dot) + "." + std::string(language) + base.substr(dot);
}

std::string help_file_path(std::string_view language) {
  const std::string name = help_file_name(language);
  const std::string beside = program_file_path(name);
  if (QFileInfo::exists(QString::fromStdString(beside))) return beside;
  const QString folder = QCoreApplication::applicationDirPath();
  if (!folder.isEmpty()) {
    const std::string shared = folder.toStdString() + kInstalledShareFolder + name;
    if (QFileInfo::exists(QString::fromStdString(shared))) return shared;
  }
  return beside;
}

bool help_file_usable(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  return info.isFile() && info.size() >= kMinimumHelpFileBytes;
}

std::vector<std::string> about_lines() {
  std::string version(kProductVersionWidth, ' ');
  std::string date(kBuildDateWidth, ' ');
  version_text(version, date);
  auto trimmed = [](std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  };
  return {application_base_name(), message_trimmed(kAboutMessage) + " " + trimmed(version), trimmed(date)};
}

bool open_guide(QWidget* parent, std::string_view language) {
  const std::string path = help_file_path(language);
  const QString shown = QString::fromStdString(path);
  if (!help_file_usable(path)) {
    QMessageBox::warning(parent, QCoreApplication::translate("Help", "User guide"),
                         QCoreApplication::translate("Help", "The user guide is missing: %1").arg(shown));
    return false;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(shown))) {
    QMessageBox::warning(parent, QCoreApplication::translate("Help", "User guide"),
                         QCoreApplication::translate("Help",
                                                     "No program could be started to show the user guide. "
                                                     "Open it in a web browser: %1")
                             .arg(shown));
    return false;
  }
  return true;
}

void show_about(QWidget* parent) {
  QStringList lines;
  for (const std::string& line : about_lines()) lines << QString::fromStdString(line);
  QMessageBox::about(parent,
                     QCoreApplication::translate("Help", "About %1").arg(QCoreApplication::applicationName()),
                     lines.join(QLatin1Char('\n')));
}

}  // namespace corvalinde::ui
