// The catalogue's inputs that are no design files: damaged message-table
// images (tests/data/bad/message-image) through load_message_image and the
// lookups, and damaged settings files (tests/data/bad/settings) through
// read_setting_record. Each case states the outcome; whatever the input, the
// services stay usable afterwards.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "json_value.h"
#include "services/message_image.h"
#include "services/message_table.h"
#include "services/settings_store.h"
#include "text_checks.h"

namespace corvalinde::reliability {
namespace {

namespace fs = std::filesystem;

const fs::path kCatalogue = fs::path(CORVALINDE_TEST_DATA_DIR) / "bad";
// Width of the console lines the messages are asked into.
constexpr std::size_t kLookupWidth = 80;
// Settings record under test: the analysis selection, 14 bytes.
constexpr int kRecord = 256;
constexpr std::size_t kRecordBytes = 14;
constexpr std::uint8_t kUntouched = 0xA5;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<JsonValue> manifest_cases(const std::string& folder) {
  const std::optional<JsonValue> doc = JsonValue::parse(read_file(kCatalogue / folder / "cases.json"));
  const JsonValue* cases = doc ? doc->find("cases") : nullptr;
  if (cases == nullptr || !cases->is(JsonValue::Kind::kArray)) return {};
  return cases->array();
}

std::string text_of(const JsonValue& item, const std::string& key) {
  const JsonValue* v = item.find(key);
  return v != nullptr && v->is(JsonValue::Kind::kString) ? v->string() : "";
}

// ---- Message-table images ---------------------------------------------------------

const std::map<std::string, MessageImageStatus>& status_names() {
  static const std::map<std::string, MessageImageStatus> names = {
      {"valid", MessageImageStatus::kValid},
      {"truncated-header", MessageImageStatus::kTruncatedHeader},
      {"bad-count", MessageImageStatus::kBadCount},
      {"truncated-offsets", MessageImageStatus::kTruncatedOffsets},
      {"decreasing-offsets", MessageImageStatus::kDecreasingOffsets},
      {"truncated-text", MessageImageStatus::kTruncatedText},
      {"invalid-text", MessageImageStatus::kInvalidText},
  };
  return names;
}

class MessageImageCases : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_message_table_for_tests();
    select_message_language(MessageLanguage::kIds);
    static_cast<void>(message_text(0, 1));
  }
  void TearDown() override { reset_message_table_for_tests(); }
};

TEST_F(MessageImageCases, EachImageIsRefusedOrReadAsItsCaseStates) {
  const std::vector<JsonValue> cases = manifest_cases("message-image");
  ASSERT_GE(cases.size(), 10u);
  for (const JsonValue& c : cases) {
    SCOPED_TRACE(text_of(c, "name"));
    const std::string bytes = read_file(kCatalogue / "message-image" / text_of(c, "file"));
    const auto expected = status_names().find(text_of(c, "status"));
    ASSERT_NE(expected, status_names().end()) << "unknown status " << text_of(c, "status");

    // Every case starts from the ids table; a refused image leaves it loaded.
    ASSERT_EQ(load_message_image(builtin_message_image(MessageLanguage::kIds)), MessageImageStatus::kValid);
    const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    EXPECT_EQ(load_message_image(image), expected->second);
    if (expected->second != MessageImageStatus::kValid) {
      EXPECT_EQ(message_trimmed(55), "#55 {}");
      continue;
    }
    if (const JsonValue* texts = c.find("texts")) {
      for (const auto& [number, text] : texts->object()) {
        EXPECT_EQ(message_trimmed(std::stoi(number)), text.string()) << "message " << number;
      }
    }
    // Any lookup of any number gives a text of the width asked for that a
    // console line can hold.
    for (int n = -1; n <= kMessageCount + 10; ++n) {
      if (n == 0) continue;  // the release call
      const std::string text = message_text(n, kLookupWidth);
      EXPECT_TRUE(is_valid_utf8(text)) << "message " << n;
      EXPECT_EQ(utf8_characters(text), kLookupWidth) << "message " << n;
    }
  }
}

TEST_F(MessageImageCases, EveryFileOfTheFolderIsACase) {
  std::map<std::string, int> files;
  for (const JsonValue& c : manifest_cases("message-image")) ++files[text_of(c, "file")];
  for (const fs::directory_entry& entry : fs::directory_iterator(kCatalogue / "message-image")) {
    const std::string file = entry.path().filename().string();
    if (file != "cases.json") {
      EXPECT_EQ(files[file], 1) << file;
    }
  }
}

// ---- Settings files -------------------------------------------------------------------

class SettingsCases : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("corvalinde-bad-settings-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "program");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) old_config_ = old;
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
  }
  void TearDown() override {
    if (old_config_) {
      ::setenv("XDG_CONFIG_HOME", old_config_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    reset_settings_cache_for_tests();
    fs::remove_all(root_);
  }

  // A fresh per-user folder holding `content` as the settings file.
  void use_settings_file(const std::string& content) {
    fs::remove_all(root_ / "config");
    reset_settings_cache_for_tests((root_ / "program").string() + "/");
    const fs::path path = settings_path(application_base_name("ini"));
    std::ofstream(path, std::ios::binary) << content;
  }

  fs::path root_;
  std::optional<std::string> old_config_;
};

std::vector<std::uint8_t> from_hex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST_F(SettingsCases, EachRecordReadsOrIsRefusedAndCanBeWrittenAgain) {
  const std::vector<JsonValue> cases = manifest_cases("settings");
  ASSERT_GE(cases.size(), 10u);
  for (const JsonValue& c : cases) {
    SCOPED_TRACE(text_of(c, "name"));
    use_settings_file(read_file(kCatalogue / "settings" / text_of(c, "file")));
    std::vector<std::uint8_t> bytes(kRecordBytes, kUntouched);
    const JsonValue* reads = c.find("reads");
    ASSERT_NE(reads, nullptr);
    if (reads->is(JsonValue::Kind::kString)) {
      EXPECT_TRUE(read_setting_record(kRecord, bytes));
      EXPECT_EQ(bytes, from_hex(reads->string()));
    } else {
      EXPECT_FALSE(read_setting_record(kRecord, bytes));
      EXPECT_EQ(bytes, std::vector<std::uint8_t>(kRecordBytes, kUntouched))
          << "refused read changed the bytes";
    }
    // The selection step stores its record again after the dialog: that
    // must replace whatever was there.
    const std::vector<std::uint8_t> fresh = {3, 1, 1, 1, 1, 35, 0, 0, 40, 0, 0, 0, 0, 0};
    ASSERT_TRUE(write_setting_record(kRecord, fresh));
    std::vector<std::uint8_t> again(kRecordBytes, kUntouched);
    EXPECT_TRUE(read_setting_record(kRecord, again));
    EXPECT_EQ(again, fresh);
  }
}

TEST_F(SettingsCases, EveryFileOfTheFolderIsACase) {
  std::map<std::string, int> files;
  for (const JsonValue& c : manifest_cases("settings")) ++files[text_of(c, "file")];
  for (const fs::directory_entry& entry : fs::directory_iterator(kCatalogue / "settings")) {
    const std::string file = entry.path().filename().string();
    if (file != "cases.json") {
      EXPECT_EQ(files[file], 1) << file;
    }
  }
}

TEST_F(SettingsCases, ARecordOfTenMegabytesIsRefusedAtOnce) {
  use_settings_file("[Parameters]\n256=" + std::string(std::size_t{10} << 20, 'A') + "\n");
  std::vector<std::uint8_t> bytes(kRecordBytes, kUntouched);
  EXPECT_FALSE(read_setting_record(kRecord, bytes));
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(kRecordBytes, kUntouched));
  EXPECT_EQ(read_setting("256", "Parameters").size(), kSettingValueLimit);
}

}  // namespace
}  // namespace corvalinde::reliability
