// Golden listings: each folder under tests/data/golden/ holds a design
// (design.txt or design.xml), the command-line arguments of the run (args,
// one line) and the expected output in the message-id table (expected.txt).
// CORVALINDE_UPDATE_GOLDEN=1 rewrites expected.txt from the current output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "cli_run_support.h"

namespace corvalinde::cli::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(CORVALINDE_TEST_DATA_DIR) / "golden";

std::vector<std::string> golden_cases() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(kGoldenDir, ec)) {
    if (entry.is_directory() && fs::exists(entry.path() / "args")) names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  if (names.empty()) names.push_back("(none)");
  return names;
}

std::string design_of(const fs::path& dir) {
  for (const char* name : {"design.txt", "design.xml"}) {
    if (fs::exists(dir / name)) return name;
  }
  return {};
}

class GoldenListing : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenListing, MatchesExpectedIdsListing) {
  if (GetParam() == "(none)") GTEST_SKIP() << "no golden cases under " << kGoldenDir;
  const fs::path dir = kGoldenDir / GetParam();
  const std::string design = design_of(dir);
  ASSERT_FALSE(design.empty()) << "no design file in " << dir;
  std::string args = read_file(dir / "args");
  while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.pop_back();

  const fs::path home = fs::temp_directory_path() / ("corvalinde-golden-" + GetParam());
  fs::remove_all(home);
  const CliResult r = run_cli("--lang ids " + args + " " + design, dir, home);
  fs::remove_all(home);
  EXPECT_EQ(r.err, "");

  const char* update = std::getenv("CORVALINDE_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream(dir / "expected.txt", std::ios::binary) << r.out;
    GTEST_SKIP() << "rewrote " << (dir / "expected.txt");
  }
  const std::string expected = read_file(dir / "expected.txt");
  ASSERT_FALSE(expected.empty()) << "missing expected.txt in " << dir;
  if (r.out == expected) return;
  // Report the first differing line rather than two whole listings.
  std::size_t line = 1, i = 0;
  while (i < r.out.size() && i < expected.size() && r.out[i] == expected[i]) {
    if (r.out[i] == '\n') ++line;
    ++i;
  }
  const auto line_at = [](const std::string& text, std::size_t pos) {
    const std::size_t b = text.rfind('\n', pos == 0 ? 0 : pos - 1);
    const std::size_t start = (b == std::string::npos || pos == 0) ? 0 : b + 1;
    return text.substr(start, text.find('\n', start) - start);
  };
  ADD_FAILURE() << "listing differs at line " << line << "\n  expected: " << line_at(expected, i)
                << "\n  actual:   " << line_at(r.out, i);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenListing, ::testing::ValuesIn(golden_cases()),
                         [](const auto& param_info) {
                           std::string name = param_info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace corvalinde::cli::testing
