// Inputs that once broke the LandXML reader (kept from fuzzing) read to a
// sound model: a mask that matches the tables, and tables that obey the
// model's invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "landxml_test_support.h"

namespace corvalinde {
namespace {

namespace fs = std::filesystem;
using namespace landxml_testing;

TEST(LandXmlRegressions, FoundInputsReadToSoundModels) {
  const fs::path folder = fs::path(CORVALINDE_TEST_DATA_DIR) / "landxml" / "regressions";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    for (const int answer : {0, 1, 2}) {
      RecordingInterface ui(answer);
      const ReadResult r = read_text(text);
      expect_sound_model(r.model, r.mask);
      ASSERT_FALSE(r.lines.empty());
    }
  }
}

TEST(LandXmlRegressions, StationsTooLargeToCarryALengthAreRefused) {
  RecordingInterface ui;
  const ReadResult r =
      read_text(landxml(alignments(alignment("A", line(0, 0, 100, 0), {}, R"(staStart="5e115")"))));
  EXPECT_FALSE(r.model.has_plan());
  EXPECT_TRUE(r.has_line_starting("#124 1")) << r.all_lines();
}

}  // namespace
}  // namespace corvalinde
