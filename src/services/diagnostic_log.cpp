#include "services/diagnostic_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "services/service_text.h"
#include "services/settings_store.h"
#include "services/user_interface.h"

namespace corvalinde {
namespace {

constexpr mode_t kLogFileMode = 0600;
constexpr std::size_t kTraceValuesPerRecord = 10;
constexpr std::size_t kFatalLineLimit = 256;
constexpr int kErrorPresentation = 3;

struct LogChannel {
  std::FILE* stream = nullptr;
  std::string target;  // file path, kNullDevice, or empty when closed
};

LogChannel& channel() {
  static LogChannel log;
  return log;
}

void close_channel() {
  LogChannel& log = channel();
  if (log.stream != nullptr) std::fclose(log.stream);
  log.stream = nullptr;
  log.target.clear();
}

// Binds the channel to path; flags are those of open(2). Returns false when
// the file cannot be opened (the channel is then closed).
bool bind_channel(const std::string& path, int flags, const char* mode) {
  close_channel();
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, kLogFileMode);
  if (fd < 0) return false;
  std::FILE* stream = ::fdopen(fd, mode);
  if (stream == nullptr) {
    ::close(fd);
    return false;
  }
  // Line buffering: each record reaches the file as it is written, which is
  // what a log read after a crash needs.
  std::setvbuf(stream, nullptr, _IOLBF, BUFSIZ);
  channel().stream = stream;
  channel().target = path;
  return true;
}

void bind_null_device() {
  if (!bind_channel(std::string(kNullDevice), O_WRONLY, "w")) channel().target = kNullDevice;
}

bool debug_setting_on() {
  const std::string value = service_text::to_upper(service_text::trim(read_setting("Debug")));
  return !value.empty() && value != "OFF" && value != "0";
}

bool debug_switch_given(std::span<const std::string_view> arguments) {
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
    const std::string argument = service_text::to_lower(*it);
    if (argument == "/debug" || argument == "--debug") return true;
  }
  return false;
}

}  // namespace

void open_diagnostic_log(std::span<const std::string_view> arguments) {
  const bool on = debug_setting_on() || debug_switch_given(arguments);
  const std::string path = settings_path(application_base_name("out"));
  ::unlink(path.c_str());
  if (on && bind_channel(path, O_WRONLY | O_CREAT | O_TRUNC, "w")) return;
  bind_null_device();
}

void open_diagnostic_log(int argc, const char* const* argv) {
  std::vector<std::string_view> arguments;
  for (int i = 1; i < argc && argv != nullptr; ++i) {
    if (argv[i] != nullptr) arguments.emplace_back(argv[i]);
  }
  open_diagnostic_log(arguments);
}

std::string diagnostic_log_target() {
  return channel().target;
}

bool diagnostic_log_active() {
  const LogChannel& log = channel();
  return log.stream != nullptr && log.target != kNullDevice;
}

void write_log_record(std::string_view record) {
  std::FILE* stream = channel().stream;
  if (stream == nullptr || !diagnostic_log_active()) return;
  // Runs on several threads write whole records, never pieces of two.
  ::flockfile(stream);
  std::fwrite(record.data(), 1, record.size(), stream);
  std::fputc('\n', stream);
  ::funlockfile(stream);
}

void write_log_trace(std::string_view text, std::span<const std::uint32_t> values) {
  if (!diagnostic_log_active()) return;
  std::string record = " " + std::string(text);
  std::size_t in_record = 0;
  for (const std::uint32_t value : values) {
    if (in_record == kTraceValuesPerRecord) {
      write_log_record(record);
      record.clear();
      in_record = 0;
    }
    record += fmt::format("{:>9}", fmt::format("{:08X}", value));
    ++in_record;
  }
  write_log_record(record);
}

void reopen_log_for_append() {
  const std::string target = channel().target;
  if (target.empty() || target == kNullDevice) return;
  if (!bind_channel(target, O_WRONLY | O_APPEND, "a")) bind_null_device();
}

void fatal_error(std::string_view text) {
  // A second fatal error raised while the first is being shown (the window
  // itself failing) ends the process at once.
  static bool ending = false;
  if (ending || service_text::trim(text).empty()) std::exit(1);
  ending = true;
  if (channel().target.empty()) bind_null_device();
  write_log_record(" Retour a Windows " + std::string(text));
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    lines.emplace_back(service_text::char_prefix(line, kFatalLineLimit));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (channel().stream != nullptr) std::fflush(channel().stream);
  (void)user_interface().message_window(lines, kErrorPresentation, {});
  std::exit(1);
}

}  // namespace corvalinde
