#include "cli/console_printer.h"

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"
#include "cli/json_output.h"

namespace corvalinde::cli {
namespace {

ConsoleLine line(std::string text, bool heading = false) {
  return ConsoleLine{std::move(text), heading};
}

TEST(TextOutput, MarkersBecomeBracketsAndLoneCodeElevenIsDropped) {
  EXPECT_EQ(render_line(line("\vA ok \vC bad \vG n/a \v2"), MarkerStyle::kBrackets),
            "[A] ok [C] bad [G] n/a [2]");
  EXPECT_EQ(render_line(line("25.0 %\v\vl=120"), MarkerStyle::kBrackets), "25.0 %l=120");
  EXPECT_EQ(render_line(line("end\v"), MarkerStyle::kBrackets), "end");
  EXPECT_EQ(render_line(line("a\vCb  "), MarkerStyle::kRaw), "a\vCb  ");
  EXPECT_EQ(render_line(line("padded   "), MarkerStyle::kBrackets), "padded");
  // No other control character reaches a terminal: ESC, CR, NUL are escaped.
  EXPECT_EQ(render_line(line(std::string("a\x1b[2J\rb\0c", 9)), MarkerStyle::kColour),
            "a\\x1B[2J\\x0Db\\x00c");
}

TEST(TextOutput, ColoursFollowTheMarkerAndHeadingsAreBold) {
  const std::string out = render_line(line("x \vCbad", true), MarkerStyle::kColour);
  EXPECT_EQ(out.rfind("\x1b[1m", 0), 0U) << "heading starts bold";
  EXPECT_NE(out.find("\x1b[31mbad"), std::string::npos) << "C is red";
  EXPECT_EQ(out.substr(out.size() - 4), "\x1b[0m");
  EXPECT_EQ(render_line(line("plain"), MarkerStyle::kColour), "plain");
  ConsoleLine finding = line("\vGx");
  finding.record = 0;
  finding.verdict = Verdict::kFail;
  EXPECT_NE(render_line(finding, MarkerStyle::kColour).find("\x1b[31mx"), std::string::npos)
      << "by its verdict";
}

TEST(JsonOutput, EscapesControlCharactersAndRepairsInvalidUtf8) {
  EXPECT_EQ(json_string("a\"b\\c\vd\n"), "\"a\\\"b\\\\c\\u000bd\\n\"");
  EXPECT_EQ(json_string("d\xC3\xA9vers"), "\"d\xC3\xA9vers\"");
  EXPECT_EQ(json_string("bad\xFFz\xC3"), "\"bad\xEF\xBF\xBDz\xEF\xBF\xBD\"");
  EXPECT_EQ(json_string("\xED\xA0\x80").find("\xED"), std::string::npos) << "surrogates are not UTF-8";
}

TEST(JsonOutput, RunHoldsItsFieldsRecordsSummaryAndUnpaddedLines) {
  Console console;
  console.write(kConsoleHeadingLine, "title   ");
  console.write(kConsoleOrdinary);
  FindingRecord r{Review::kVisibility,
                  "passing",
                  10.0,
                  30.0,
                  TravelDirection::kBackward,
                  Verdict::kFail,
                  392,
                  {},
                  "    10.0 -      30.0 \vCno   ",
                  0};
  console.write_finding(false, r);
  RunDocument doc;
  doc.file = "r.txt";
  doc.file_type = 1;
  doc.mask = 7;
  doc.road_type = 3;
  const nlohmann::json run = json_run(doc, console);
  EXPECT_EQ(run["file"], "r.txt");
  EXPECT_EQ(run["mask"], 7);
  EXPECT_EQ(run["road_type"], 3);
  EXPECT_TRUE(run["alignment"].is_null());
  EXPECT_EQ(run["lines"][0], (nlohmann::json{{"text", "title"}, {"heading", true}}));
  EXPECT_EQ(run["lines"][1]["text"], "");
  const nlohmann::json& finding = run["findings"].at(0);
  EXPECT_EQ(finding["direction"], "backward");
  EXPECT_EQ(finding["verdict"], "fail");
  EXPECT_EQ(finding["line"], 2);
  EXPECT_EQ(finding["text"], "    10.0 -      30.0 \vCno");
  EXPECT_EQ(run["summary"]["visibility"]["fail"], 1);
  EXPECT_EQ(run["summary"]["plan"]["ok"], 0);
  EXPECT_TRUE(run["series"]["speed_forward"].empty());
}

ParseResult parse(std::vector<const char*> args) {
  args.insert(args.begin(), "corvalinde-cli");
  return parse_command_line(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, ParsesOptionsAndAcceptsSlashDebug) {
  const ParseResult r = parse({"--analyses", "plan,visibility", "--lane-width", "3.0", "/DEBUG", "--format",
                               "json", "--type", "LandXML", "road.dat"});
  ASSERT_EQ(r.status, ParseResult::Status::kOk) << r.message;
  EXPECT_EQ(r.options.files, std::vector<std::string>{"road.dat"});
  EXPECT_EQ(r.options.file_type, 2);
  EXPECT_EQ(r.options.analyses, (std::vector<int>{0, 3}));
  EXPECT_TRUE(r.options.debug);
  EXPECT_EQ(r.options.format, OutputFormat::kJson);
  EXPECT_DOUBLE_EQ(r.options.lane_width.value(), 3.0);
}

TEST(CommandLine, UsageErrors) {
  EXPECT_EQ(parse({}).status, ParseResult::Status::kUsageError) << "FILE is required";
  EXPECT_EQ(parse({"--analyses", "plan,bogus", "f"}).status, ParseResult::Status::kUsageError);
  EXPECT_EQ(parse({"--road-type", "29", "f"}).status, ParseResult::Status::kUsageError);
  EXPECT_EQ(parse({"--road-type", "3", "--standard", "ARP", "f"}).status, ParseResult::Status::kUsageError);
  EXPECT_EQ(parse({"--lang", "de", "f"}).status, ParseResult::Status::kUsageError);
  EXPECT_EQ(parse({"--help"}).status, ParseResult::Status::kHelp);
  EXPECT_EQ(parse({"--analyses", "none", "f"}).options.analyses, std::vector<int>{});
}

TEST(CommandLine, FileTypeFollowsTheExtension) {
  EXPECT_EQ(file_type_from_extension("a/b.XML"), 2);
  EXPECT_EQ(file_type_from_extension("b.landxml"), 2);
  EXPECT_EQ(file_type_from_extension("b.txt"), 1);
  EXPECT_EQ(file_type_from_extension("noext"), 1);
  EXPECT_EQ(file_type_from_extension("a/b.IFC"), 3);
  EXPECT_EQ(parse({"--type", "ifc", "road.dat"}).options.file_type, 3);
}

TEST(CommandLine, ChoicesMatchByNumberOrName) {
  const std::vector<std::string> items{"Axe 1   ", "Bretelle"};
  EXPECT_EQ(match_choice("2", items), 2);
  EXPECT_EQ(match_choice("Axe 1", items), 1);
  EXPECT_EQ(match_choice("3", items), 0);
  EXPECT_EQ(match_choice("0", items), 0);
  EXPECT_EQ(match_choice("axe", items), 0);
}

}  // namespace
}  // namespace corvalinde::cli
