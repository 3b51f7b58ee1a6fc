#include "ui/system_information.h"

#include <langinfo.h>

#include <QCoreApplication>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "services/settings_store.h"
#include "ui/gui_user_interface.h"
#include "ui/help.h"

namespace corvalinde::ui {
namespace {

constexpr const char* kReleaseFiles[] = {"/etc/os-release", "/usr/lib/os-release"};
// os-release files are a few hundred bytes; more is not one.
constexpr std::streamsize kLargestReleaseFile = 64 * 1024;

bool window_open = false;

// A value of an os-release line: shell-like quoting with backslash escapes.
std::string unquoted(std::string_view value) {
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
    value.remove_suffix(1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    const char quote = value.front();
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
      out += value[i];
    }
    return out;
  }
  return std::string(value);
}

std::string read_small_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(static_cast<std::size_t>(kLargestReleaseFile), '\0');
  in.read(text.data(), kLargestReleaseFile);
  text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return text;
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string character_set() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr && *codeset != '\0' ? codeset : "unknown";
}

std::string temporary_folder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  return error ? std::string("/tmp") : folder.string();
}

}  // namespace

std::string os_release_name(std::string_view os_release) {
  std::string pretty;
  std::string name;
  std::string version;
  while (!os_release.empty()) {
    const std::size_t end = os_release.find('\n');
    std::string_view line = os_release.substr(0, end);
    os_release.remove_prefix(end == std::string_view::npos ? os_release.size() : end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string value = unquoted(line.substr(equals + 1));
    if (key == "PRETTY_NAME") pretty = value;
    if (key == "NAME") name = value;
    if (key == "VERSION") version = value;
  }
  if (!pretty.empty()) return pretty;
  if (!name.empty()) return version.empty() ? name : name + " " + version;
  return kUnknownRelease;
}

std::vector<std::string> system_information_lines() {
  std::vector<std::string> lines;
  const QString program = QCoreApplication::applicationFilePath();
  lines.push_back(program.isEmpty() ? program_file_path(application_base_name()) : program.toStdString());

  std::string version(kFileVersionWidth, ' ');
  std::string date(kBuildDateWidth, ' ');
  version_text(version, date);
  lines.push_back(trimmed(trimmed(version) + " " + date));

  std::string release = kUnknownRelease;
  for (const char* path : kReleaseFiles) {
    const std::string text = read_small_file(path);
    if (text.empty()) continue;
    release = os_release_name(text);
    break;
  }
  lines.push_back(release);
  const std::string charset = character_set();
  lines.push_back("Ansi " + charset);
  lines.push_back("OEM " + charset);
  lines.push_back(settings_path(""));
  lines.push_back(temporary_folder());
  return lines;
}

bool show_system_information(QWidget* parent) {
  if (window_open) return false;
  window_open = true;
  struct Closed {
    ~Closed() { window_open = false; }
  } closed;
  QStringList lines;
  for (const std::string& line : system_information_lines()) lines << QString::fromStdString(line);
  (void)ask_message(parent, lines, 0, {});
  return true;
}

}  // namespace corvalinde::ui
