// Test support for the plan and superelevation reviews: a design (from a
// readable description or built in the test) is written as a native design
// file and opened through the application's analysis run with a fixed
// selection; the listing comes back in the message-id table, compacted to
// what the tests judge: rows as "#157 N" / "#292 N", findings with their
// marker as "[C]#170 120", other lines of the reviews as they stand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/analysis_run.h"
#include "app/core_application.h"
#include "import/native_design_writer.h"
#include "output/utf8.h"
#include "road/road_model.h"
#include "sample_generator/design_description.h"
#include "services/message_table.h"

namespace corvalinde::testing {

// Analysis slots.
inline constexpr int kPlanSlot = 0;
inline constexpr int kCrossfallSlot = 1;

inline void use_message_ids() {
  static const bool initialised = [] {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 1);
    return true;
  }();
  (void)initialised;
}

class FixedSelection final : public SelectionStep {
 public:
  FixedSelection(int road_type, int slot) {
    answer_.road_type = static_cast<std::int16_t>(road_type);
    answer_.run_analysis = {0, 0, 0, 0};
    answer_.run_analysis[static_cast<std::size_t>(slot)] = 1;
  }
  int select(AnalysisSelection& selection) override {
    selection = answer_;
    return 0;
  }

 private:
  AnalysisSelection answer_;
};

inline RoadModel design_from(const std::string& description) {
  sample::BuildResult built = sample::build_design(description);
  EXPECT_TRUE(built.ok) << built.error;
  return std::move(built.model);
}

// The lines one review wrote, compacted: everything after its title line
// (`title` message) up to the end of the listing.
inline std::vector<std::string> run_review(const RoadModel& model, int road_type, int slot) {
  use_message_ids();
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      (std::string("corvalinde-review-") + info->test_suite_name() + "-" + info->name() + ".txt");
  EXPECT_EQ(write_native_design(model, path.string()), NativeWriteStatus::kOk);
  CoreApplication app;
  FixedSelection selection(road_type, slot);
  app.open_design(path.string(), kNativeDesignFile, selection);
  std::filesystem::remove(path);

  const std::string title = slot == kPlanSlot ? "#161" : "#301";
  std::vector<std::string> out;
  bool inside = false;
  for (const ConsoleLine& line : app.console().lines()) {
    std::string text(trim_right(line.text));
    if (!inside) {
      inside = text == title;
      continue;
    }
    if (text.size() >= 2 && text[0] == '\v') text = "[" + text.substr(1, 1) + "]" + text.substr(2);
    if (text.rfind("#157 ", 0) == 0 || text.rfind("#292 ", 0) == 0) {
      text = text.substr(0, text.find(' ', 5));
    }
    out.push_back(text);
  }
  EXPECT_TRUE(inside) << "the review wrote no title " << title;
  return out;
}

// The lines between two consecutive lines of the listing (exclusive); empty
// when either is missing or they are out of order.
inline std::vector<std::string> between(const std::vector<std::string>& listing, const std::string& from,
                                        const std::string& to) {
  const auto a = std::find(listing.begin(), listing.end(), from);
  if (a == listing.end()) return {"(missing " + from + ")"};
  const auto b = std::find(a + 1, listing.end(), to);
  if (b == listing.end()) return {"(missing " + to + " after " + from + ")"};
  return {a + 1, b};
}

// Lines of the listing that start with `prefix` (a message id).
inline std::vector<std::string> lines_with(const std::vector<std::string>& listing,
                                           const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : listing) {
    const std::size_t at = line.find(prefix);
    if (at != std::string::npos && (at + prefix.size() == line.size() || line[at + prefix.size()] == ' ')) {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace corvalinde::testing
