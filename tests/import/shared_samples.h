// The shared real-world sample files (../shared/samples beside the checkout).
// On a developer's machine without them the tests that need them are skipped
// with a message; in CI (CI=true) they must be there, so a missing folder
// fails the test instead of passing it unseen.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace corvalinde::testing_support {

inline bool running_in_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

}  // namespace corvalinde::testing_support

// Ends the calling test when `sample` (a sample file or folder) is missing:
// skipped on a developer's machine, failed in CI.
#define CORVALINDE_NEED_SHARED_SAMPLE(sample)                                                \
  do {                                                                                       \
    const std::filesystem::path corvalinde_sample_path_(sample);                             \
    if (!std::filesystem::exists(corvalinde_sample_path_)) {                                 \
      if (::corvalinde::testing_support::running_in_ci()) {                                  \
        FAIL() << "shared samples not found at " << corvalinde_sample_path_ << " (CI=true)"; \
      }                                                                                      \
      GTEST_SKIP() << "shared samples not found at " << corvalinde_sample_path_;             \
    }                                                                                        \
  } while (false)
