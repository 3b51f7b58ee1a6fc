#include "cli/console_printer.h"

#include <gtest/gtest.h>

#include "cli/cli_options.h"
#include "cli/cli_user_interface.h"

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
}

TEST(TextOutput, ColoursFollowTheMarkerAndHeadingsAreBold) {
  const std::string out = render_line(line("x \vCbad", true), MarkerStyle::kColour);
  EXPECT_EQ(out.rfind("\x1b[1m", 0), 0U) << "heading starts bold";
  EXPECT_NE(out.find("\x1b[31mbad"), std::string::npos) << "C is red";
  EXPECT_EQ(out.substr(out.size() - 4), "\x1b[0m");
  EXPECT_EQ(render_line(line("plain"), MarkerStyle::kColour), "plain");
}

TEST(JsonOutput, EscapesControlCharactersAndRepairsInvalidUtf8) {
  EXPECT_EQ(json_string("a\"b\\c\vd\n"), "\"a\\\"b\\\\c\\u000bd\\n\"");
  EXPECT_EQ(json_string("d\xC3\xA9vers"), "\"d\xC3\xA9vers\"");
  EXPECT_EQ(json_string("bad\xFFz\xC3"), "\"bad\\ufffdz\\ufffd\"");
  EXPECT_EQ(json_string("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"") << "surrogates are not UTF-8";
}

TEST(JsonOutput, DocumentHoldsRunFieldsAndEveryLine) {
  Console console;
  console.write(kConsoleHeadingLine, "title");
  console.write(kConsoleOrdinary);
  RunDocument doc{"r.txt", 1, 7, 3};
  EXPECT_EQ(json_document(doc, console),
            "{\"file\":\"r.txt\",\"file_type\":1,\"mask\":7,\"road_type\":3,\"lines\":["
            "{\"text\":\"title\",\"heading\":true},{\"text\":\"\",\"heading\":false}]}\n");
}

ParseResult parse(std::vector<const char*> args) {
  args.insert(args.begin(), "corvalinde-cli");
  return parse_command_line(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, ParsesOptionsAndAcceptsSlashDebug) {
  const ParseResult r = parse({"--analyses", "plan,visibility", "--lane-width", "3.0", "/DEBUG", "--format",
                               "json", "--type", "LandXML", "road.dat"});
  ASSERT_EQ(r.status, ParseResult::Status::kOk) << r.message;
  EXPECT_EQ(r.options.file, "road.dat");
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
