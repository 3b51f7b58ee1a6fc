// Fuzz target for the settings-record reader: any bytes as the settings file
// either give the record (of the length asked, which the first byte picks)
// or leave the caller's bytes untouched; storing the record afterwards always
// works, reads back, and leaves the other settings as they read before.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "../reliability/text_checks.h"
#include "services/settings_store.h"

namespace {

using namespace corvalinde;

constexpr int kRecord = 256;
constexpr std::uint8_t kUntouched = 0xA5;
constexpr std::size_t kLengths = 32;

void require(bool condition) {
  if (!condition) std::abort();
}

std::filesystem::path settings_root;
std::filesystem::path settings_file;

void remove_settings_root() {
  std::error_code ignored;
  std::filesystem::remove_all(settings_root, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Memory-backed when possible: every input is written and rewritten.
  char shared[] = "/dev/shm/corvalinde-settings-fuzz-XXXXXX";
  char scratch[] = "/tmp/corvalinde-settings-fuzz-XXXXXX";
  const char* root = ::mkdtemp(shared);
  if (root == nullptr) root = ::mkdtemp(scratch);
  if (root == nullptr) std::abort();
  settings_root = root;
  std::atexit(remove_settings_root);
  ::setenv("XDG_CONFIG_HOME", root, 1);
  reset_settings_cache_for_tests(std::string(root) + "/");
  settings_file = settings_path(application_base_name("ini"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(settings_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::size_t length = size > 0 ? data[0] % kLengths : 14;
  std::vector<std::uint8_t> bytes(length, kUntouched);
  if (!read_setting_record(kRecord, bytes)) require(bytes == std::vector<std::uint8_t>(length, kUntouched));

  const std::string debug = read_setting("Debug");
  const std::string directory = read_setting("CurDir");
  require(reliability::utf8_characters(debug) <= kSettingValueLimit || !reliability::is_valid_utf8(debug));

  std::vector<std::uint8_t> fresh(length);
  for (std::size_t i = 0; i < length; ++i) fresh[i] = static_cast<std::uint8_t>(i * 37 + size);
  require(write_setting_record(kRecord, fresh));
  std::vector<std::uint8_t> again(length, kUntouched);
  require(read_setting_record(kRecord, again) && again == fresh);
  require(read_setting("Debug") == debug && read_setting("CurDir") == directory);
  return 0;
}
