// The STEP reader: every token kind, the string directives, lookups by id and
// type, references that loop or point nowhere, malformed input with where it
// stops, a sweep over every truncation point, and a file read in chunks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "import/step/step_file.h"

namespace corvalinde::step {
namespace {

std::string wrap(const std::string& data) {
  return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('x'),'2;1');\nFILE_SCHEMA(('IFC4X3_ADD2'));\nENDSEC;\n"
         "DATA;\n" +
         data + "ENDSEC;\nEND-ISO-10303-21;\n";
}

StepFile read_ok(const std::string& text) {
  StepFile file;
  const StepReadStatus status = read_step_text(text, file);
  EXPECT_TRUE(status.ok()) << step_error_text(status.error) << " at " << status.line << ":" << status.column;
  return file;
}

TEST(StepFile, EveryTokenKindIsReadAsItsValue) {
  const StepFile file = read_ok(
      wrap("/* a comment */ #10 = IfcThing($, *, -42, 1.5, 2., -3.E-2, 'it''s', .ELEMENT., .T., \"2F0\",\n"
           "  #7, (1, (2., 'x'), (), 5E-04), IFCLENGTHMEASURE(0.25), IFCLIST((#1, #2)));\n"));
  EXPECT_EQ(file.schema(), "IFC4X3_ADD2");
  ASSERT_EQ(file.instances().size(), 1U);
  const StepInstance& thing = file.instances()[0];
  EXPECT_EQ(thing.id, 10U);
  EXPECT_EQ(thing.line, 7U);
  EXPECT_EQ(file.type_name(thing), "IFCTHING");
  ASSERT_EQ(thing.count, 14U);
  auto at = [&](std::size_t i) { return file.attribute(thing, i); };
  EXPECT_TRUE(at(0).is_unset());
  EXPECT_EQ(at(1).kind(), StepValueKind::derived);
  EXPECT_EQ(at(2).integer(), -42);
  EXPECT_EQ(at(2).real(), -42.0);
  EXPECT_EQ(at(3).real(), 1.5);
  EXPECT_EQ(at(4).real(), 2.0);
  EXPECT_EQ(at(5).real(), -0.03);
  EXPECT_EQ(at(5).integer(), std::nullopt);
  EXPECT_EQ(at(6).string(), "it's");
  EXPECT_EQ(at(7).enumeration(), "ELEMENT");
  EXPECT_EQ(at(8).boolean(), true);
  EXPECT_EQ(at(9).kind(), StepValueKind::binary);
  EXPECT_EQ(at(9).string(), "2F0");
  EXPECT_EQ(at(10).reference(), 7U);
  const StepValue list = at(11);
  ASSERT_EQ(list.size(), 4U);
  EXPECT_EQ(list[0].integer(), 1);
  EXPECT_EQ(list[1][1].string(), "x");
  EXPECT_EQ(list[2].kind(), StepValueKind::list);
  EXPECT_EQ(list[2].size(), 0U);
  EXPECT_EQ(list[3].real(), 5E-04);  // no point before the exponent
  EXPECT_EQ(list[4].kind(), StepValueKind::absent);
  EXPECT_EQ(at(12).type_name(), "IFCLENGTHMEASURE");
  EXPECT_EQ(at(12).measure(), 0.25);
  EXPECT_EQ(at(13).inner()[1].reference(), 2U);
  EXPECT_EQ(at(14).kind(), StepValueKind::absent);
  EXPECT_EQ(at(3).string(), std::nullopt);
  EXPECT_EQ(read_ok("\xEF\xBB\xBF" + wrap("#1=A();\n")).instances().size(), 1U);  // byte-order mark
}

TEST(StepFile, DeepNestingIsReadWithoutRecursion) {
  const std::size_t depth = 200'000;
  const StepFile file =
      read_ok(wrap("#1=A(" + std::string(depth, '(') + "7" + std::string(depth, ')') + ");\n"));
  StepValue value = file.attribute(file.instances()[0], 0);
  for (std::size_t level = 0; level < depth; ++level) value = value[0];
  EXPECT_EQ(value.integer(), 7);
}

TEST(StepFile, StringDirectivesAreDecodedToUtf8) {
  const struct {
    const char* written;
    const char* decoded;
  } cases[] = {
      {R"(a\\b)", "a\\b"},
      {R"(\X\E9t\X\E9)", "été"},
      {R"(\S\i)", "é"},      // 'i' + 128 in ISO 8859-1
      {R"(\PE\\S\d)", "ф"},  // ISO 8859-5, 0xE4
      {R"(D\X2\00270041\X0\Urso)", "D'AUrso"},
      {R"(\X2\D834DD1E\X0\)", "𝄞"},  // a surrogate pair
      {R"(\X4\0001D11E00000041\X0\)", "𝄞A"},
      {R"(C:\Xavier\Sx)", "C:\\Xavier\\Sx"},  // no directive: the backslash stays
      {R"(\X2\\X0\)", ""},
  };
  for (const auto& c : cases) {
    const StepFile file = read_ok(wrap(std::string("#1=A('") + c.written + "');\n"));
    ASSERT_EQ(file.instances().size(), 1U) << c.written;
    EXPECT_EQ(file.attribute(file.instances()[0], 0).string(), c.decoded) << c.written;
  }
  // What cannot be decoded becomes U+FFFD and is counted: an unpaired
  // surrogate, and raw bytes that are not UTF-8 (here Latin-1 "é" and a cut "€").
  StepFile file;
  const StepReadStatus status =
      read_step_text(wrap("#1=A('\\X2\\D834\\X0\\',' \xE9t\xE2\x82 ok \xE2\x82\xAC');\n"), file);
  EXPECT_TRUE(status.ok());
  EXPECT_EQ(status.replaced_characters, 4U);
  EXPECT_EQ(file.attribute(file.instances()[0], 0).string(), "\xEF\xBF\xBD");
  EXPECT_EQ(file.attribute(file.instances()[0], 1).string(), " \xEF\xBF\xBDt\xEF\xBF\xBD\xEF\xBF\xBD ok €");
}

TEST(StepFile, LookupsByTypeAndIdToleratesCyclesAndDanglingReferences) {
  const StepFile file = read_ok(
      wrap("#5=IFCNODE(#6);\n#6=IfcNode(#5);\n#2=IFCOTHER(#99);\n#7=(IFCA(1)IFCB('b'));\n#1=IFCNODE($);\n"));
  const auto nodes = file.instances_of("IfcNode");
  ASSERT_EQ(nodes.size(), 3U);
  EXPECT_EQ(nodes[0]->id, 5U);
  EXPECT_EQ(nodes[2]->id, 1U);
  EXPECT_EQ(file.count_of("ifcother"), 1U);
  EXPECT_EQ(file.count_of("IFCMISSING"), 0U);
  EXPECT_TRUE(file.is_a(*nodes[1], "IfcNode"));
  // Following the loop a fixed number of steps comes back where it began.
  const StepInstance* at = nodes[0];
  for (int step = 0; step < 4; ++step) at = file.resolve(file.attribute(*at, 0));
  EXPECT_EQ(at, nodes[0]);
  EXPECT_EQ(file.resolve(file.attribute(*file.find(2), 0)), nullptr);
  EXPECT_EQ(file.resolve(file.attribute(*nodes[2], 0)), nullptr);
  const StepInstance* complex = file.find(7);
  ASSERT_NE(complex, nullptr);
  EXPECT_EQ(file.type_name(*complex), "");
  EXPECT_EQ(file.attribute(*complex, 1).type_name(), "IFCB");
  EXPECT_EQ(file.attribute(*complex, 1).inner()[0].string(), "b");
  ASSERT_NE(file.header_entity("file_description"), nullptr);
}

TEST(StepFile, MalformedInputStopsWithItsErrorAndPosition) {
  const struct {
    std::string text;
    StepError error;
    int line;
    int column;
  } cases[] = {
      {"", StepError::not_a_step_file, 1, 1},
      {"<?xml version='1.0'?>", StepError::not_a_step_file, 1, 1},
      {wrap("#1=A(1,,2);\n"), StepError::unexpected_token, 7, 8},
      {wrap("#1=A(1)\n#2=A(2);\n"), StepError::unexpected_token, 8, 1},
      {wrap("#1=A((1);\n"), StepError::unexpected_token, 7, 9},
      {wrap("#1=A(T());\n"), StepError::unexpected_token, 7, 8},
      {wrap("#1=A(T(1,2));\n"), StepError::unexpected_token, 7, 9},
      {wrap("#1=A(.E);\n"), StepError::unexpected_token, 7, 6},
      {wrap("#1=A(1.5.);\n"), StepError::unexpected_token, 7, 6},
      {wrap("#1=A(\"4F\");\n"), StepError::unexpected_token, 7, 6},
      {wrap("#1=A(@3);\n"), StepError::unexpected_token, 7, 6},
      {wrap("#1=A('é\\X2\\00G1\\X0\\');\n"), StepError::bad_string_encoding, 7, 6},
      {wrap("#1=A('\\X\\0');\n"), StepError::bad_string_encoding, 7, 6},
      {wrap("#1=A(99999999999999999999);\n"), StepError::number_out_of_range, 7, 6},
      {wrap("#1=A(1.E999);\n"), StepError::number_out_of_range, 7, 6},
      {wrap("#1=A(1);\n#2=A(2);\n#1=A(3);\n"), StepError::duplicate_instance, 9, 1},
      {wrap("#1=A(1); /* open\n"), StepError::unterminated_string, 7, 10},
  };
  for (const auto& c : cases) {
    StepFile file;
    const StepReadStatus status = read_step_text(c.text, file);
    EXPECT_EQ(status.error, c.error) << c.text;
    EXPECT_EQ(status.line, c.line) << c.text;
    EXPECT_EQ(status.column, c.column) << c.text;
  }
}

TEST(StepFile, EveryTruncationPointIsReportedAndKeepsTheInstancesBeforeIt) {
  const std::string text = wrap(
      "#1=IFCA('it''s \\X2\\00E9\\X0\\ \\X\\E9 \\S\\i',.EN.,\"1F\");\n"
      "#2=IFCB((1.5E-3,-2),IFCREAL(3.),$,*,#1);\n"
      "#3=(IFCC(1)IFCD(/* c */#2));\n");
  std::vector<std::size_t> instance_ends;  // offsets just past each instance's ";"
  for (std::size_t at = text.find("\n#"); at != std::string::npos; at = text.find("\n#", at + 1))
    instance_ends.push_back(text.find(";\n", at) + 1);
  ASSERT_EQ(read_ok(text).instances().size(), instance_ends.size());
  for (std::size_t cut = std::string("ISO-10303-21;").size(); cut < text.size() - 1; ++cut) {
    StepFile file;
    const StepReadStatus status = read_step_text(std::string_view(text).substr(0, cut), file);
    EXPECT_TRUE(status.error == StepError::truncated || status.error == StepError::unterminated_string)
        << "cut at " << cut << ": " << step_error_text(status.error);
    std::size_t complete = 0;
    while (complete < instance_ends.size() && instance_ends[complete] <= cut) ++complete;
    EXPECT_EQ(file.instances().size(), complete) << "cut at " << cut;
  }
}

TEST(StepFile, AFileReadInChunksGivesWhatTheWholeTextGives) {
  // Long enough to cross several read chunks, with directives on every line.
  std::string data;
  for (int i = 1; i <= 40000; ++i)
    data += "#" + std::to_string(i) + "=IFCPOINT('p\\X2\\00E9\\X0\\" + std::to_string(i) + "',(" +
            std::to_string(i) + ".5,-" + std::to_string(i) + ".25),#" + std::to_string(i + 1) + ");\n";
  const std::string text = wrap(data);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("step_chunks_" + std::to_string(::getpid()) + ".ifc");
  std::ofstream(path, std::ios::binary) << text;
  StepFile from_file;
  const StepReadStatus status = read_step_file(path, from_file);
  std::filesystem::remove(path);
  ASSERT_TRUE(status.ok()) << step_error_text(status.error) << " at " << status.line;
  const StepFile from_text = read_ok(text);
  ASSERT_EQ(from_file.instances().size(), 40000U);
  ASSERT_EQ(from_text.instances().size(), 40000U);
  for (std::size_t i = 0; i < 40000; i += 997) {
    const StepInstance& a = from_file.instances()[i];
    const StepInstance& b = from_text.instances()[i];
    EXPECT_EQ(a.line, b.line);
    EXPECT_EQ(from_file.attribute(a, 0).string(), from_text.attribute(b, 0).string());
    EXPECT_EQ(from_file.attribute(a, 0).string(), "pé" + std::to_string(i + 1));
    EXPECT_EQ(from_file.attribute(a, 1)[1].real(), -(static_cast<double>(i) + 1.25));
  }
  StepFile missing;
  EXPECT_EQ(read_step_file(path, missing).error, StepError::cannot_open);
  EXPECT_EQ(read_step_file(path.parent_path(), missing).error, StepError::read_failed);  // a folder
}

}  // namespace
}  // namespace corvalinde::step
