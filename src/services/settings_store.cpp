#include "services/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "services/service_text.h"

namespace corvalinde {
namespace {

namespace fs = std::filesystem;
using service_text::char_count;
using service_text::trim;
using service_text::trim_right;

constexpr mode_t kPrivateFileMode = 0600;
constexpr std::size_t kMaxRecordBytes = 4096;

// The names resolved once per run (or once per test case, see the reset hook).
// Runs on several threads may ask for them first at the same time: every
// access holds names_mutex().
struct ResolvedNames {
  std::optional<std::string> base_name;
  std::optional<std::string> program_directory;  // with the trailing '/'; empty when unknown
  std::optional<std::string> settings_folder;    // with the trailing '/'; empty when none
  std::string program_directory_override;
  bool fail_writes = false;
};

ResolvedNames& names() {
  static ResolvedNames resolved;
  return resolved;
}

std::mutex& names_mutex() {
  static std::mutex mutex;
  return mutex;
}

// One read-modify-write of the settings file at a time in this process, so
// that two writers never lose each other's key.
std::mutex& file_write_mutex() {
  static std::mutex mutex;
  return mutex;
}

std::string executable_path() {
  std::vector<char> buffer(512);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    const auto length = static_cast<std::size_t>(n);
    if (length < buffer.size()) return std::string(buffer.data(), length);
    if (buffer.size() >= 65536) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string program_directory() {
  const std::lock_guard lock(names_mutex());
  ResolvedNames& resolved = names();
  if (!resolved.program_directory) {
    std::string directory = resolved.program_directory_override;
    if (directory.empty()) {
      const std::string exe = executable_path();
      const std::size_t slash = exe.rfind('/');
      if (slash != std::string::npos) directory = exe.substr(0, slash + 1);
    } else if (directory.back() != '/') {
      directory += '/';
    }
    resolved.program_directory = directory;
  }
  return *resolved.program_directory;
}

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, otherwise ~/.config. Empty when neither can be determined.
std::string user_config_folder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  std::string home;
  if (const char* env_home = std::getenv("HOME"); env_home != nullptr && env_home[0] == '/') {
    home = env_home;
  } else {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
      home = found->pw_dir;
    }
  }
  if (home.empty()) return {};
  if (home.back() != '/') home += '/';
  return home + ".config";
}

std::string settings_folder() {
  const std::lock_guard lock(names_mutex());
  ResolvedNames& resolved = names();
  if (!resolved.settings_folder) {
    std::string folder;
    const std::string_view product = trim(CORVALINDE_PRODUCT_NAME);
    std::string base = product.empty() ? std::string() : user_config_folder();
    if (!base.empty()) {
      if (base.back() != '/') base += '/';
      base += product;
      std::error_code error;
      fs::create_directories(base, error);
      // A folder that cannot be made is no folder: the program directory serves.
      if (fs::is_directory(base, error)) folder = base + '/';
    }
    resolved.settings_folder = folder;
  }
  return *resolved.settings_folder;
}

enum class ReadOutcome { kRead, kMissing, kFailed };

ReadOutcome read_whole_file(const std::string& path, std::string& content) {
  content.clear();
  // O_NONBLOCK: a named pipe (or a terminal) in place of the file must not
  // keep the open waiting for a writer; it is refused below. Reads of a
  // regular file ignore the flag.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kFailed;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadOutcome::kFailed;
  }
  char chunk[8192];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadOutcome::kFailed;
    }
    content.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ReadOutcome::kRead;
}

bool write_all(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Replaces the file at path with content: a temporary file in the same
// folder is written, flushed to disk and renamed over the old one, so that at
// every moment either the old or the new file is there whole. A symbolic link
// is followed, so that the file it names is the one replaced.
bool replace_file(const std::string& path, std::string_view content, mode_t mode) {
  std::string target = path;
  std::error_code error;
  if (fs::is_symlink(path, error)) {
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (!error) target = resolved.string();
  }
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = ::fchmod(fd, mode) == 0;
  bool fail_writes = false;
  {
    const std::lock_guard lock(names_mutex());
    fail_writes = names().fail_writes;
  }
  if (written && fail_writes) {
    (void)write_all(fd, content.substr(0, content.size() / 2));
    written = false;
  }
  written = written && write_all(fd, content) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

// Copies the default file beside the program to the per-user path, only when
// it could be read whole.
void copy_default_file(const std::string& source, const std::string& destination) {
  std::string content;
  if (read_whole_file(source, content) != ReadOutcome::kRead || content.empty()) return;
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0 || static_cast<std::size_t>(info.st_size) != content.size()) {
    return;
  }
  (void)replace_file(destination, content, kPrivateFileMode);
}

bool same_name(std::string_view a, std::string_view b) {
  return service_text::to_lower(a) == service_text::to_lower(b);
}

// One line of a settings file as the reader sees it.
struct ParsedLine {
  enum class Kind { kOther, kHeader, kEntry } kind = Kind::kOther;
  std::string_view name;   // section name or key
  std::string_view value;  // value of an entry
};

ParsedLine parse_line(std::string_view line) {
  ParsedLine parsed;
  const std::string_view text = trim(line);
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      parsed.kind = ParsedLine::Kind::kHeader;
      parsed.name = trim(text.substr(1, close - 1));
    }
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.name = trim(text.substr(0, equals));
  if (parsed.name.empty()) return parsed;
  parsed.kind = ParsedLine::Kind::kEntry;
  parsed.value = trim(text.substr(equals + 1));
  return parsed;
}

// A settings file held as its lines, with the line ending it uses and its
// byte-order mark, if any, which are both written back as they were.
struct SettingsText {
  std::vector<std::string> lines;
  std::string line_end = "\n";
  std::string_view byte_order_mark;

  explicit SettingsText(std::string_view content) {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (content.substr(0, kBom.size()) == kBom) {
      byte_order_mark = kBom;
      content.remove_prefix(kBom.size());
    }
    while (!content.empty()) {
      const std::size_t end = content.find('\n');
      std::string_view line = content.substr(0, end);
      content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
        line_end = "\r\n";
      }
      lines.emplace_back(line);
    }
  }

  // Index of the entry for key in section, or lines.size().
  std::size_t find(std::string_view section, std::string_view key) const {
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const ParsedLine parsed = parse_line(lines[i]);
      if (parsed.kind == ParsedLine::Kind::kHeader) {
        inside = same_name(parsed.name, section);
      } else if (inside && parsed.kind == ParsedLine::Kind::kEntry && same_name(parsed.name, key)) {
        return i;
      }
    }
    return lines.size();
  }

  void set(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(key) + "=" + std::string(value);
    if (const std::size_t found = find(section, key); found < lines.size()) {
      lines[found] = std::move(entry);
      return;
    }
    // A new key goes after the last entry of the first section of that name
    // (right after its header when it has none), or into a new section at the end.
    std::optional<std::size_t> insert_at;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const ParsedLine parsed = parse_line(lines[i]);
      if (parsed.kind == ParsedLine::Kind::kHeader) {
        if (inside) break;
        inside = same_name(parsed.name, section);
        if (inside) insert_at = i + 1;
      } else if (inside && parsed.kind == ParsedLine::Kind::kEntry) {
        insert_at = i + 1;
      }
    }
    if (!insert_at) {
      // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
      std::string heading = "[";
      heading.append(section).append("]");
      lines.push_back(std::move(heading));
      insert_at = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insert_at), std::move(entry));
  }

  std::string text() const {
    std::string out(byte_order_mark);
    for (const std::string& line : lines) {
      out += line;
      out += line_end;
    }
    return out;
  }
};

std::string settings_file() {
  return settings_path(application_base_name("ini"));
}

bool has_line_break(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The stored value of key, uncut; empty when missing.
std::string read_raw_setting(std::string_view key, std::string_view section) {
  std::string content;
  if (read_whole_file(settings_file(), content) != ReadOutcome::kRead) return {};
  const SettingsText file(content);
  const std::size_t found = file.find(trim(section), trim(key));
  return found < file.lines.size() ? std::string(parse_line(file.lines[found]).value) : std::string();
}

std::string record_key(int record) {
  return std::to_string(record);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string application_base_name(std::string_view extension) {
  const std::lock_guard lock(names_mutex());
  ResolvedNames& resolved = names();
  if (!resolved.base_name) {
    std::string base(trim(CORVALINDE_BASE_NAME));
    if (base.empty()) {
      const std::string exe = executable_path();
      std::string_view file = exe;
      if (const std::size_t slash = file.rfind('/'); slash != std::string_view::npos) {
        file.remove_prefix(slash + 1);
      }
      if (const std::size_t dot = file.rfind('.'); dot != std::string_view::npos) {
        file = file.substr(0, dot);
      }
      base = file;
    }
    resolved.base_name = base;
  }
  const std::string_view ext = trim(extension);
  if (ext.empty()) return *resolved.base_name;
  return *resolved.base_name + "." + std::string(ext);
}

std::string program_file_path(std::string_view name) {
  const std::string_view trimmed = trim_right(name);
  const std::string directory = program_directory();
  if (directory.empty() || char_count(directory) + char_count(trimmed) > kProgramPathLimit) {
    return std::string(trimmed);
  }
  return directory + std::string(trimmed);
}

std::string settings_path(std::string_view name) {
  const std::string_view trimmed = trim_right(name);
  const std::string folder = settings_folder();
  if (folder.empty() || char_count(folder) + char_count(trimmed) > kSettingsPathLimit) {
    return program_file_path(trimmed);
  }
  std::string path = folder + std::string(trimmed);
  if (!trimmed.empty()) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT) {
      copy_default_file(program_file_path(trimmed), path);
    }
  }
  return path;
}

std::string read_setting(std::string_view key, std::string_view section) {
  const std::string value = read_raw_setting(key, section);
  return std::string(service_text::char_prefix(value, kSettingValueLimit));
}

bool write_setting(std::string_view key, std::string_view value, std::string_view section) {
  const std::string_view k = trim(key);
  const std::string_view s = trim(section);
  const std::string_view v = trim(value);
  if (k.empty() || has_line_break(k) || k.find('=') != std::string_view::npos || k.front() == '[' ||
      s.empty() || has_line_break(s) || s.find(']') != std::string_view::npos || has_line_break(v)) {
    return false;
  }
  const std::string path = settings_file();
  const std::lock_guard lock(file_write_mutex());
  std::string content;
  const ReadOutcome outcome = read_whole_file(path, content);
  // A file that exists but cannot be read is never replaced by one holding
  // only this key.
  if (outcome == ReadOutcome::kFailed) return false;
  SettingsText file(content);
  file.set(s, k, v);
  mode_t mode = kPrivateFileMode;
  struct stat info {};
  if (outcome == ReadOutcome::kRead && ::stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
  return replace_file(path, file.text(), mode);
}

std::string encode_setting_record(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * bytes.size() + 2);
  unsigned sum = 0;
  const auto put = [&text](unsigned byte) {
    text += kDigits[(byte >> 4) & 0xFU];
    text += kDigits[byte & 0xFU];
  };
  for (const std::uint8_t byte : bytes) {
    put(byte);
    sum += byte;
  }
  put(sum & 0xFFU);
  return text;
}

bool read_setting_record(int record, std::span<std::uint8_t> bytes) {
  if (bytes.size() > kMaxRecordBytes) return false;
  const std::string text = read_raw_setting(record_key(record), kParametersSection);
  if (text.size() != 2 * (bytes.size() + 1)) return false;
  std::vector<std::uint8_t> decoded(bytes.size() + 1);
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const int high = hex_digit(text[2 * i]);
    const int low = hex_digit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    decoded[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  unsigned sum = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) sum += decoded[i];
  if ((sum & 0xFFU) != decoded.back()) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = decoded[i];
  return true;
}

bool write_setting_record(int record, std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kMaxRecordBytes) return false;
  return write_setting(record_key(record), encode_setting_record(bytes), kParametersSection);
}

bool is_removable_path(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  const std::string normal = fs::path(path).lexically_normal().string();
  for (const std::string_view mount : {"/media", "/run/media", "/mnt"}) {
    if (normal.size() >= mount.size() && std::string_view(normal).substr(0, mount.size()) == mount &&
        (normal.size() == mount.size() || normal[mount.size()] == '/')) {
      return true;
    }
  }
  return false;
}

bool store_current_directory(std::string_view directory) {
  if (trim(directory).empty() || is_removable_path(trim(directory))) return false;
  return write_setting("CurDir", directory);
}

void reset_settings_cache_for_tests(std::string_view program_directory) {
  const std::lock_guard lock(names_mutex());
  ResolvedNames& resolved = names();
  resolved = ResolvedNames{};
  resolved.program_directory_override = program_directory;
}

void simulate_settings_write_failure_for_tests(bool enabled) {
  const std::lock_guard lock(names_mutex());
  names().fail_writes = enabled;
}

}  // namespace corvalinde
