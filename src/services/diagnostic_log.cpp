#include "services/diagnostic_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
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

// Opened and rebound by the front end; written by runs on any thread. The
// mutex guards every member; `active` lets writers skip formatting without it.
struct LogChannel {
  std::mutex mutex;
  std::FILE* stream = nullptr;
  std::string target;  // file path, kNullDevice, or empty when closed
  std::atomic<bool> active{false};
};

LogChannel& channel() {
  static LogChannel log;
  return log;
}

// Called with the channel locked.
void close_channel() {
  LogChannel& log = channel();
  log.active = false;
  if (log.stream != nullptr) std::fclose(log.stream);
  log.stream = nullptr;
  log.target.clear();
}

// Binds the channel to path; flags are those of open(2). Returns false when
// the file cannot be opened (the channel is then closed). Called with the
// channel locked.
bool bind_channel(const std::string& path, int flags, const char* mode) {
  close_channel();
  // O_NONBLOCK: a named pipe without a reader as the log fails at once
  // instead of holding the start of the program; writes then block as usual.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, kLogFileMode);
  if (fd < 0) return false;
  const int status_flags = ::fcntl(fd, F_GETFL);
  if (status_flags >= 0) (void)::fcntl(fd, F_SETFL, status_flags & ~O_NONBLOCK);
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
  channel().active = path != kNullDevice;
  return true;
}

// Called with the channel locked.
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
  const std::lock_guard lock(channel().mutex);
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
  const std::lock_guard lock(channel().mutex);
  return channel().target;
}

bool diagnostic_log_active() {
  return channel().active;
}

void write_log_record(std::string_view record) {
  LogChannel& log = channel();
  if (!log.active) return;
  // Runs on several threads write whole records, never pieces of two.
  const std::lock_guard lock(log.mutex);
  if (log.stream == nullptr || !log.active) return;
  std::fwrite(record.data(), 1, record.size(), log.stream);
  std::fputc('\n', log.stream);
}

std::string log_item(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += fmt::format("\\x{:02X}", byte);
    } else {
      out += c;
    }
  }
  return out;
}

void write_log_trace(std::string_view text, std::span<const std::uint32_t> values) {
  if (!diagnostic_log_active()) return;
  // Appended to: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string.
  std::string record = " ";
  record += text;
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
  const std::lock_guard lock(channel().mutex);
  const std::string target = channel().target;
  if (target.empty() || target == kNullDevice) return;
  if (!bind_channel(target, O_WRONLY | O_APPEND, "a")) bind_null_device();
}

void fatal_error(std::string_view text) {
  // A second fatal error raised while the first is being shown (the window
  // itself failing) ends the process at once.
  static std::atomic<bool> ending{false};
  if (ending.exchange(true) || service_text::trim(text).empty()) std::exit(1);
  {
    const std::lock_guard lock(channel().mutex);
    if (channel().target.empty()) bind_null_device();
  }
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
  {
    const std::lock_guard lock(channel().mutex);
    if (channel().stream != nullptr) std::fflush(channel().stream);
  }
  (void)user_interface().message_window(lines, kErrorPresentation, {});
  std::exit(1);
}

}  // namespace corvalinde
