// Every case of the bad-input catalogue (tests/data/bad/<reader>/cases.json)
// through the built corvalinde-cli with --lang ids --format json: the mask,
// the reader's console lines and the exit status must be those the case
// states, and whatever the analyses then write must be sound (no non-finite
// number, valid UTF-8, the reader's headings as headings), within a time
// limit that stands for "does not hang".
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "generated_inputs.h"
#include "json_value.h"
#include "text_checks.h"

namespace corvalinde::reliability {
namespace {

namespace fs = std::filesystem;

// Seconds a single run may take before it counts as a hang (sanitizer builds
// included).
constexpr int kRunTimeLimit = 120;
// Exit statuses of corvalinde-cli, and the one of timeout(1).
constexpr int kExitCompleted = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitTimedOut = 124;

const fs::path kCatalogue = fs::path(CORVALINDE_TEST_DATA_DIR) / "bad";
constexpr const char* kManifest = "cases.json";
const std::vector<std::string> kCliReaders = {"native", "landxml"};

struct CliCase {
  std::string reader;  // folder under tests/data/bad
  std::string name;
  std::string file;
  std::string generate;  // generator of the input, empty for a file in the folder
  std::vector<std::string> args;
  int mask = 0;
  std::vector<std::string> lines;  // the reader's lines, trailing blanks removed
  std::optional<int> exit;         // default: from the mask
  bool json = true;                // false: the run ends before any document
  std::string stderr_part;
  // An open finding: the mask and lines stated are the outcome still to
  // come; until then the case only checks soundness and is reported skipped.
  std::string open;
};

// How a case shows in test listings: its folder and name.
void PrintTo(const CliCase& c, std::ostream* out) {
  *out << c.reader << "/" << c.name;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string shell_quote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

std::string text_of(const JsonValue* v) {
  return v != nullptr && v->is(JsonValue::Kind::kString) ? v->string() : "";
}

// The cases of one reader's manifest; a manifest that is missing gives none,
// one that does not parse gives none and is reported by ManifestsAreComplete.
std::vector<CliCase> load_cases(const std::string& reader) {
  std::vector<CliCase> cases;
  const fs::path manifest = kCatalogue / reader / kManifest;
  if (!fs::exists(manifest)) return cases;
  const std::optional<JsonValue> doc = JsonValue::parse(read_file(manifest));
  const JsonValue* list = doc ? doc->find("cases") : nullptr;
  if (list == nullptr || !list->is(JsonValue::Kind::kArray)) return cases;
  for (const JsonValue& item : list->array()) {
    CliCase c;
    c.reader = reader;
    c.name = text_of(item.find("name"));
    c.file = text_of(item.find("file"));
    c.generate = text_of(item.find("generate"));
    if (const JsonValue* mask = item.find("mask")) c.mask = static_cast<int>(mask->number());
    if (const JsonValue* lines = item.find("lines")) {
      for (const JsonValue& line : lines->array()) c.lines.push_back(line.string());
    }
    if (const JsonValue* args = item.find("args")) {
      for (const JsonValue& arg : args->array()) c.args.push_back(arg.string());
    }
    if (const JsonValue* exit = item.find("exit")) c.exit = static_cast<int>(exit->number());
    if (const JsonValue* json = item.find("json")) c.json = json->boolean();
    c.stderr_part = text_of(item.find("stderr"));
    c.open = text_of(item.find("open"));
    cases.push_back(std::move(c));
  }
  return cases;
}

std::vector<CliCase> all_cases() {
  std::vector<CliCase> cases;
  for (const std::string& reader : kCliReaders) {
    std::vector<CliCase> some = load_cases(reader);
    cases.insert(cases.end(), some.begin(), some.end());
  }
  return cases;
}

// The messages that carry the file name (which may well contain "inf").
bool names_the_file(std::string_view text) {
  return text.starts_with("#55 ") || text.starts_with("#9 ");
}

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

CliRun run_cli(const fs::path& dir, const std::vector<std::string>& args, const fs::path& scratch) {
  const fs::path config = scratch / "config";
  fs::create_directories(config);
  std::string command = "cd " + shell_quote(dir.string()) +
                        " && XDG_CONFIG_HOME=" + shell_quote(config.string()) + " timeout -k 5 " +
                        std::to_string(kRunTimeLimit) + " " + shell_quote(CORVALINDE_CLI_PATH);
  for (const std::string& arg : args) command += " " + shell_quote(arg);
  command += " >" + shell_quote((scratch / "stdout").string()) + " 2>" +
             shell_quote((scratch / "stderr").string()) + " </dev/null";
  CliRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = read_file(scratch / "stdout");
  run.err = read_file(scratch / "stderr");
  return run;
}

class CatalogueCase : public ::testing::TestWithParam<CliCase> {
 protected:
  void SetUp() override {
    scratch_ = fs::temp_directory_path() / ("corvalinde-bad-" + std::to_string(::getpid()) + "-" +
                                            GetParam().reader + "-" + GetParam().name);
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  void TearDown() override { fs::remove_all(scratch_); }

  fs::path scratch_;
};

TEST_P(CatalogueCase, GivesItsMaskAndLinesAndNothingUnsound) {
  const CliCase& c = GetParam();
  fs::path dir = kCatalogue / c.reader;
  if (!c.generate.empty()) {
    dir = scratch_ / "input";
    fs::create_directories(dir);
    ASSERT_TRUE(write_generated_input(c.generate, dir / c.file)) << "generator " << c.generate;
  }
  std::vector<std::string> args = {"--lang", "ids", "--format", "json"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  args.push_back(c.file);
  const CliRun run = run_cli(dir, args, scratch_);

  ASSERT_NE(run.status, kExitTimedOut) << "no result within " << kRunTimeLimit << " s";
  if (c.open.empty()) {
    EXPECT_EQ(run.status, c.exit.value_or(c.mask != 0 ? kExitCompleted : kExitUnreadable)) << run.err;
  } else {
    EXPECT_TRUE(run.status == kExitCompleted || run.status == kExitUnreadable) << run.err;
  }
  if (!c.stderr_part.empty()) {
    EXPECT_NE(run.err.find(c.stderr_part), std::string::npos) << run.err;
  }
  if (!c.json) {
    EXPECT_TRUE(run.out.empty()) << run.out;
    return;
  }

  const std::optional<JsonValue> doc = JsonValue::parse(run.out);
  ASSERT_TRUE(doc.has_value()) << "not one JSON document: " << run.out.substr(0, 400);
  const JsonValue* runs = doc->find("runs");
  ASSERT_TRUE(runs != nullptr && runs->is(JsonValue::Kind::kArray) && runs->array().size() == 1);
  const JsonValue& one = runs->array().front();
  const JsonValue* mask = one.find("mask");
  const JsonValue* lines = one.find("lines");
  ASSERT_TRUE(mask != nullptr && lines != nullptr && lines->is(JsonValue::Kind::kArray));

  // The reader's lines come before the first empty line, which opens the
  // listings of the analyses.
  std::vector<std::string> reader_lines;
  bool in_reader = true;
  for (const JsonValue& line : lines->array()) {
    const std::string text = text_of(line.find("text"));
    const JsonValue* heading = line.find("heading");
    const bool is_heading = heading != nullptr && heading->boolean();
    EXPECT_TRUE(is_valid_utf8(text)) << "line is not UTF-8: " << text;
    EXPECT_FALSE(!names_the_file(text) && shows_non_finite(text)) << "non-finite value: " << text;
    if (trimmed(text).empty()) in_reader = false;
    if (!in_reader) continue;
    reader_lines.push_back(trimmed(text));
    const bool should_head = text.starts_with("#55 ") || trimmed(text) == "#123";
    EXPECT_EQ(is_heading, should_head) << text;
  }
  const bool as_stated = static_cast<int>(mask->number()) == c.mask && reader_lines == c.lines;
  if (!c.open.empty()) {
    if (as_stated) {
      ADD_FAILURE() << "no longer open (" << c.open << "): remove the note from the case";
    } else {
      GTEST_SKIP() << "open finding: " << c.open;
    }
    return;
  }
  EXPECT_EQ(static_cast<int>(mask->number()), c.mask);
  EXPECT_EQ(reader_lines, c.lines);
}

std::string case_name(const ::testing::TestParamInfo<CliCase>& info) {
  std::string name = info.param.reader + "_" + info.param.name;
  for (char& ch : name) {
    if (std::isalnum(static_cast<unsigned char>(ch)) == 0) ch = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(BadInputs, CatalogueCase, ::testing::ValuesIn(all_cases()), case_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CatalogueCase);

// Each manifest parses, names every file of its folder exactly once, and
// every case says what it expects.
TEST(BadInputCatalogue, ManifestsNameEveryFileOnceAndEveryCaseIsComplete) {
  std::size_t total = 0;
  for (const std::string& reader : kCliReaders) {
    const fs::path folder = kCatalogue / reader;
    if (!fs::exists(folder)) continue;
    SCOPED_TRACE(reader);
    ASSERT_TRUE(JsonValue::parse(read_file(folder / kManifest)).has_value()) << "manifest does not parse";
    const std::vector<CliCase> cases = load_cases(reader);
    std::set<std::string> names;
    std::set<std::string> files;
    for (const CliCase& c : cases) {
      EXPECT_FALSE(c.name.empty() || c.file.empty()) << "case without name or file";
      EXPECT_TRUE(names.insert(c.name).second) << "case named twice: " << c.name;
      EXPECT_TRUE(c.json == false || !c.lines.empty()) << c.name << " expects no line";
      if (c.generate.empty()) {
        EXPECT_TRUE(fs::is_regular_file(folder / c.file)) << c.name << ": no file " << c.file;
        EXPECT_TRUE(files.insert(c.file).second) << "file used twice: " << c.file;
      } else {
        EXPECT_FALSE(fs::exists(folder / c.file)) << c.name << " is generated but " << c.file << " exists";
      }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      const std::string file = entry.path().filename().string();
      if (file != kManifest) {
        EXPECT_TRUE(files.count(file) == 1) << file << " belongs to no case";
      }
    }
    total += cases.size();
  }
  EXPECT_GE(total, 60u);
}

TEST(BadInputCatalogue, NonFiniteWordsAreRecognisedInAnyCaseButNotInsideNames) {
  EXPECT_TRUE(shows_non_finite("#292 8 1027.6714 nan -2.5000"));
  EXPECT_TRUE(shows_non_finite("r=-INF"));
  EXPECT_TRUE(shows_non_finite("Infinity"));
  EXPECT_FALSE(shows_non_finite("#157 2 INFO01 385.0000"));
  EXPECT_FALSE(shows_non_finite("#157 3 nan001 385.0000 96.3333 #155 170.0000"));
  EXPECT_FALSE(shows_non_finite("#157 3 CER001 481.3333 210.0047 #154 -300.0000"));
  EXPECT_TRUE(is_valid_utf8("Élément"));
  EXPECT_FALSE(is_valid_utf8("\xC3"));
  EXPECT_FALSE(is_valid_utf8("a\xFF"));
}

}  // namespace
}  // namespace corvalinde::reliability
