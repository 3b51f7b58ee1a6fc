#include "ui/help.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <fmt/format.h>

#include "services/message_table.h"
#include "services/settings_store.h"
#include "ui/message_window.h"

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

std::string help_file_path() {
  const std::string name = application_base_name(kHelpExtension);
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

void show_help(int item) {
  if (item == kOpenGuideItem) {
    (void)QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(help_file_path())));
  } else if (item == kAboutItem) {
    (void)message_window(about_lines(), kInformation, std::vector<std::string>{});
  }
}

}  // namespace corvalinde::ui
