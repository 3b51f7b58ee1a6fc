// The machine-readable output and the batch runs of corvalinde-cli: the JSON
// document against docs/json-schema.json, finding records against their lines
// for every golden design, a batch with a broken file, every alignment of a
// file, and parallel runs against sequential ones.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <latch>
#include <regex>
#include <thread>

#include <nlohmann/json.hpp>

#include "cli/design_batch.h"
#include "cli/file_digest.h"
#include "cli_run_support.h"
#include "services/message_table.h"

namespace corvalinde::cli::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kData = CORVALINDE_TEST_DATA_DIR;
const fs::path kSchema = fs::path(CORVALINDE_SOURCE_DIR) / "docs" / "json-schema.json";

// No Debian package validates JSON Schema from C++: this checks the keywords
// the schema uses (type, const, enum, required, properties,
// additionalProperties, items, $ref into $defs, oneOf, minimum, maximum,
// pattern). Returns the first violation's path, empty when valid.
class SchemaCheck {
 public:
  explicit SchemaCheck(json root) : root_(std::move(root)) {}
  std::string check(const json& value) const { return at(root_, value, "$"); }

 private:
  static bool has_type(const json& v, const std::string& type) {
    if (type == "object") return v.is_object();
    if (type == "array") return v.is_array();
    if (type == "string") return v.is_string();
    if (type == "integer") return v.is_number_integer();
    if (type == "number") return v.is_number();
    if (type == "boolean") return v.is_boolean();
    return type == "null" && v.is_null();
  }

  std::string at(const json& s, const json& v, const std::string& path) const {
    if (s.contains("$ref")) {
      const std::string ref = s["$ref"];
      return at(root_["$defs"][ref.substr(std::string("#/$defs/").size())], v, path);
    }
    if (s.contains("type")) {
      const json types = s["type"].is_array() ? s["type"] : json::array({s["type"]});
      if (std::none_of(types.begin(), types.end(), [&](const json& t) { return has_type(v, t); }))
        return path + ": type";
    }
    if (s.contains("const") && v != s["const"]) return path + ": const";
    if (s.contains("enum") && std::find(s["enum"].begin(), s["enum"].end(), v) == s["enum"].end())
      return path + ": enum";
    if (v.is_number() && s.contains("minimum") && v.get<double>() < s["minimum"].get<double>())
      return path + ": minimum";
    if (v.is_number() && s.contains("maximum") && v.get<double>() > s["maximum"].get<double>())
      return path + ": maximum";
    if (v.is_string() && s.contains("pattern") &&
        !std::regex_search(v.get<std::string>(), std::regex(s["pattern"].get<std::string>())))
      return path + ": pattern";
    if (s.contains("oneOf")) {
      const auto matching = std::count_if(s["oneOf"].begin(), s["oneOf"].end(),
                                          [&](const json& one) { return at(one, v, path).empty(); });
      if (matching != 1) return path + ": oneOf";
    }
    if (v.is_object()) {
      for (const json& name : s.value("required", json::array())) {
        if (!v.contains(name.get<std::string>())) return path + ": required " + name.get<std::string>();
      }
      for (const auto& [name, member] : v.items()) {
        const std::string sub = path + "." + name;
        if (s.contains("properties") && s["properties"].contains(name)) {
          if (auto e = at(s["properties"][name], member, sub); !e.empty()) return e;
        } else if (s.contains("additionalProperties")) {
          const json& extra = s["additionalProperties"];
          if (extra.is_boolean() && !extra.get<bool>()) return sub + ": not allowed";
          if (extra.is_object())
            if (auto e = at(extra, member, sub); !e.empty()) return e;
        }
      }
    }
    if (v.is_array() && s.contains("items")) {
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (auto e = at(s["items"], v[i], path + "[" + std::to_string(i) + "]"); !e.empty()) return e;
      }
    }
    return {};
  }

  json root_;
};

class JsonAndBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("corvalinde-json-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  CliResult run(const std::string& args, const fs::path& where) {
    return run_cli(args, where, dir_ / "home");
  }

  // test-road.xml with a second alignment (and its profile and surface).
  fs::path two_alignment_file() {
    std::string text = read_file(kData / "landxml" / "test-road.xml");
    const auto open = text.find("    <Alignment ");
    const auto close = text.find("</Alignment>") + std::string("</Alignment>").size();
    std::string second = text.substr(open, close - open);
    second = std::regex_replace(second, std::regex("Route d'essai"), "Bretelle");
    text.insert(close, "\n" + second);
    const auto surface_open = text.find("    <GradeSurface ");
    const auto surface_close = text.find("</GradeSurface>") + std::string("</GradeSurface>").size();
    std::string surface = text.substr(surface_open, surface_close - surface_open);
    surface = std::regex_replace(surface, std::regex("Route d'essai"), "Bretelle");
    text.insert(surface_close, "\n" + surface);
    std::ofstream(dir_ / "two.xml", std::ios::binary) << text;
    return dir_ / "two.xml";
  }

  fs::path dir_;
};

std::vector<fs::path> golden_designs() {
  std::vector<fs::path> designs;
  for (const auto& entry : fs::directory_iterator(kData / "golden")) {
    for (const char* name : {"design.txt", "design.xml"}) {
      if (fs::exists(entry.path() / name)) designs.push_back(entry.path() / name);
    }
  }
  std::sort(designs.begin(), designs.end());
  return designs;
}

// The numbers of a text, in order.
std::vector<double> numbers_in(const std::string& text) {
  static const std::regex number(R"(-?\d+(\.\d+)?)");
  std::vector<double> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
    out.push_back(std::stod(it->str()));
  return out;
}

TEST_F(JsonAndBatch, EveryGoldenDesignValidatesAndItsRecordsAgreeWithTheirLines) {
  const SchemaCheck schema(json::parse(read_file(kSchema)));
  std::string args = "--lang ids --format json --road-type 0 --analyses all";
  for (const fs::path& design : golden_designs()) args += " " + shell_quote(design.string());
  const CliResult r = run(args, dir_);
  ASSERT_EQ(r.status, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(schema.check(doc), "");
  ASSERT_EQ(doc["runs"].size(), golden_designs().size());
  std::size_t zones = 0;
  std::size_t compared = 0;
  for (const json& run : doc["runs"]) {
    SCOPED_TRACE(run["file"].get<std::string>());
    const json& series = run["series"];
    for (const auto& [name, values] : series.items())
      EXPECT_EQ(values.size(), series["station"].size()) << name;
    // Where the series hold both distances, the stopping-sight finding over
    // that station has the verdict they give.
    for (const std::string sense : {"forward", "backward"}) {
      const json& needed = series["stopping_required_" + sense];
      const json& seen = series["stopping_available_" + sense];
      for (std::size_t i = 0; i < needed.size(); ++i) {
        if (needed[i].is_null() || seen[i].is_null()) continue;
        if (std::fabs(seen[i].get<double>() - needed[i].get<double>()) < 0.01) continue;
        const double s = series["station"][i];
        for (const json& f : run["findings"]) {
          if (f["check"] != "stopping_sight" || f["direction"] != sense || f["from"] > s || f["to"] < s)
            continue;
          ++compared;
          EXPECT_EQ(f["verdict"], seen[i] >= needed[i] ? "ok" : "fail") << sense << " at " << s;
        }
      }
    }
    for (const json& f : run["findings"]) {
      const std::string text = f["text"];
      SCOPED_TRACE(text);
      EXPECT_EQ(run["lines"][f["line"].get<std::size_t>()]["text"], text);
      const std::string verdict = f["verdict"];
      const char letter = verdict == "ok"     ? (f["check"] == "passing_summary" ? '2' : 'A')
                          : verdict == "fail" ? 'C'
                                              : 'G';
      EXPECT_NE(text.find(std::string{'\v', letter}), std::string::npos);
      const std::string id = "#" + std::to_string(f["message"].get<int>());
      ASSERT_NE(text.find(id), std::string::npos);
      // A station's region, written after it where station equations make
      // the number ambiguous, is no value of its own.
      const std::regex region(R"( \(\d+\))");
      const std::string plain = std::regex_replace(text, region, "");
      // The values after the message number, other message numbers left out.
      const std::vector<double> shown =
          numbers_in(std::regex_replace(plain.substr(plain.find(id) + id.size()), std::regex(R"(#\d+)"), ""));
      const std::string check = f["check"];
      if (check == "stopping_sight" || check == "pedestrian" || check == "passing") {
        ++zones;
        // The line shows the designer's stations, as from_display and to_display say them.
        const std::vector<double> stations = numbers_in(plain.substr(0, plain.find('\v')));
        ASSERT_EQ(stations.size(), 2U);
        const bool forward = f["direction"] == "forward";
        const std::string first = f[forward ? "from_display" : "to_display"];
        const std::string second = f[forward ? "to_display" : "from_display"];
        EXPECT_NEAR(stations[0], std::stod(first), 0.051);
        EXPECT_NEAR(stations[1], std::stod(second), 0.051);
        const auto regions = [&region](const std::string& t) {
          std::string found;
          for (std::sregex_iterator m(t.begin(), t.end(), region), end; m != end; ++m) found += m->str();
          return found;
        };
        EXPECT_EQ(regions(text.substr(0, text.find('\v'))), regions(first) + regions(second));
      } else if (check != "curve_entry" && check != "passing_summary") {
        // The ids table writes each value after the number.
        ASSERT_GE(shown.size(), f["values"].size());
        for (std::size_t i = 0; i < f["values"].size(); ++i)
          EXPECT_NEAR(shown[i], f["values"][i].get<double>(), 1e-4);
      }
    }
  }
  EXPECT_GT(zones, 10U) << "the golden designs have visibility stretches";
  EXPECT_GT(compared, 100U) << "stations where the series and the stopping-sight findings meet";
}

TEST_F(JsonAndBatch, BrokenFileInABatchFailsAloneAndTheWorstStatusWins) {
  std::ofstream(dir_ / "broken.txt") << "not a design\n";
  const fs::path good = kData / "golden" / "plan-r80-route-des-cretes" / "design.txt";
  const CliResult r =
      run("--lang ids --format json --road-type 3 --jobs 2 --summary sum.csv broken.txt missing.txt " +
              shell_quote(good.string()),
          dir_);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("missing.txt: no such file"), std::string::npos) << r.err;
  const json doc = json::parse(r.out);
  ASSERT_EQ(doc["runs"].size(), 3U);
  EXPECT_EQ(doc["runs"][0]["status"], 1);
  EXPECT_EQ(doc["runs"][1]["error"], "no such file");
  EXPECT_EQ(doc["runs"][2]["status"], 0);
  EXPECT_EQ(doc["runs"][2]["mask"], 7);
  EXPECT_EQ(doc["runs"][2]["file_sha256"], file_sha256(good.string())) << "hashed as the reader read it";
  EXPECT_FALSE(doc["runs"][2]["findings"].empty());
  const std::string csv = read_file(dir_ / "sum.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;
  EXPECT_NE(csv.find("design.txt,,"), std::string::npos) << csv;
}

TEST_F(JsonAndBatch, AlignmentAllReviewsEachAlignmentUnderItsHeading) {
  const fs::path file = two_alignment_file();
  const CliResult one = run("--lang ids two.xml", dir_);
  EXPECT_EQ(one.status, 2) << "two alignments and no choice";
  const CliResult r = run("--lang ids --road-type 3 --alignment all two.xml", dir_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("#21 two.xml Route d'essai"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#21 two.xml Bretelle"), std::string::npos) << r.out;
  const CliResult j =
      run("--lang ids --road-type 3 --alignment all --format json --summary s.csv two.xml", dir_);
  const json doc = json::parse(j.out);
  ASSERT_EQ(doc["runs"].size(), 2U);
  EXPECT_EQ(doc["runs"][1]["alignment"], "Bretelle");
  EXPECT_EQ(doc["runs"][1]["mask"], 7);
  EXPECT_EQ(doc["runs"][0]["file_sha256"].get<std::string>().size(), 64U);
  EXPECT_NE(read_file(dir_ / "s.csv").find("two.xml,Bretelle,380.000,3,"), std::string::npos);
  // One report per run, named by the file and the alignment (made safe).
  ASSERT_EQ(run("--lang ids --road-type 3 --alignment all --report rep.html two.xml", dir_).status, 0);
  EXPECT_NE(read_file(dir_ / "rep-two-Route_d_essai.html").find("<td>Route d&apos;essai</td>"),
            std::string::npos);
  EXPECT_NE(read_file(dir_ / "rep-two-Bretelle.html").find("<td>Bretelle</td>"), std::string::npos);
#ifdef CORVALINDE_HAVE_DIAGRAMS
  ASSERT_EQ(run("--lang ids --road-type 3 --alignment all --plots out two.xml", dir_).status, 0);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "out/two-Route_d_essai-stopping-sight.svg"));
  EXPECT_TRUE(fs::is_regular_file(dir_ / "out/two-Bretelle-passing.svg"));
#endif
}

TEST_F(JsonAndBatch, TheAlignmentsOfAFileShareOneReadingThatReviewsAsTheFileDoes) {
  select_message_language(MessageLanguage::kIds);
  (void)message_text(0, 0);
  const fs::path file = two_alignment_file();
  CliOptions options;
  options.alignment = "all";
  std::vector<DesignJob> jobs = design_jobs(expand_inputs({file.string()}, {}), options, 1);
  ASSERT_EQ(jobs.size(), 2U);
  ASSERT_NE(jobs[0].parsed, nullptr);
  EXPECT_EQ(jobs[0].parsed, jobs[1].parsed);
  SelectionOverrides overrides;
  overrides.road_type = find_road_type(3);
  BatchSettings settings;
  settings.overrides = &overrides;
  settings.several = true;
  // The two readings of the one document run at the same time.
  std::vector<DesignResult> shared(jobs.size());
  std::latch both_started(2);
  run_in_order(
      jobs.size(), 2,
      [&](std::size_t i) {
        both_started.arrive_and_wait();
        shared[i] = review_design(jobs[i], settings);
      },
      [](std::size_t) {});
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    jobs[i].parsed.reset();
    const DesignResult own = review_design(jobs[i], settings);
    EXPECT_EQ(shared[i].document.mask, 7);
    EXPECT_EQ(shared[i].document.alignment, own.document.alignment);
    EXPECT_EQ(shared[i].document.file_sha256, file_sha256(file.string()));
    EXPECT_EQ(own.document.file_sha256, shared[i].document.file_sha256);
    std::vector<std::string> a;
    std::vector<std::string> b;
    for (const ConsoleLine& line : shared[i].app->console().lines()) a.push_back(line.text);
    for (const ConsoleLine& line : own.app->console().lines()) b.push_back(line.text);
    EXPECT_EQ(a, b) << jobs[i].alignment;
    EXPECT_EQ(shared[i].app->console().records().size(), own.app->console().records().size());
  }
  (void)message_text(0, 0);
}

TEST(ParallelRuns, TwoDesignsOnTwoThreadsGiveWhatTheyGiveOneAfterTheOther) {
  select_message_language(MessageLanguage::kIds);
  (void)message_text(0, 0);
  SelectionOverrides overrides;
  overrides.road_type = find_road_type(0);
  BatchSettings settings;
  settings.overrides = &overrides;
  settings.several = true;
  std::vector<DesignJob> jobs;
  for (const fs::path& design : golden_designs())
    jobs.push_back({expand_inputs({design.string()}, {}).front(), {}, {}, {}, {}});
  ASSERT_GE(jobs.size(), 2U);
  const auto lines_of = [](const DesignResult& r) {
    std::vector<std::string> lines;
    for (const ConsoleLine& line : r.app->console().lines()) lines.push_back(line.text);
    for (const FindingRecord& f : r.app->console().records())
      lines.push_back(std::to_string(f.from) + f.check);
    return lines;
  };
  std::vector<std::vector<std::string>> sequential;
  for (const DesignJob& job : jobs) sequential.push_back(lines_of(review_design(job, settings)));
  std::vector<std::vector<std::string>> parallel(jobs.size());
  // The first two runs wait for each other, so that they do overlap.
  std::latch both_started(2);
  run_in_order(
      jobs.size(), 2,
      [&](std::size_t i) {
        if (i < 2) both_started.arrive_and_wait();
        parallel[i] = lines_of(review_design(jobs[i], settings));
      },
      [](std::size_t) {});
  EXPECT_EQ(parallel, sequential);
  (void)message_text(0, 0);
}

}  // namespace
}  // namespace corvalinde::cli::testing
