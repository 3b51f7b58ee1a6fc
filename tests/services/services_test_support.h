// Test support for the services: each case gets its own configuration folder
// and program directory under a fresh temporary folder, because ctest runs
// the cases of one executable in parallel and the names are cached.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "services/settings_store.h"

namespace corvalinde::testing_support {

namespace fs = std::filesystem;

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr) saved_xdg_ = xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr) saved_home_ = home;
    const fs::path base = xdg != nullptr && xdg[0] == '/' ? fs::path(xdg) : fs::temp_directory_path();
    fs::create_directories(base);
    std::string pattern = (base / "case-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    config_ = root_ / "config";
    program_ = root_ / "program";
    fs::create_directories(config_);
    fs::create_directories(program_);
    use_config_folder(config_);
  }

  void TearDown() override {
    restore("XDG_CONFIG_HOME", saved_xdg_);
    restore("HOME", saved_home_);
    simulate_settings_write_failure_for_tests(false);
    reset_settings_cache_for_tests();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Points the store at another configuration folder (names resolved anew).
  void use_config_folder(const fs::path& folder) {
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    reset_settings_cache_for_tests(program_.string());
  }

  fs::path user_file(const std::string& name) const { return config_ / "Corvalinde" / name; }

 public:
  static std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  static void write_file(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
  }

 protected:
  fs::path root_;
  fs::path config_;
  fs::path program_;

 private:
  static void restore(const char* name, const std::string& value) {
    if (value.empty()) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value.c_str(), 1);
    }
  }

  std::string saved_xdg_;
  std::string saved_home_;
};

}  // namespace corvalinde::testing_support
