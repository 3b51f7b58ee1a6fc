#include "services/diagnostic_log.h"

#include <gmock/gmock.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/user_interface.h"
#include "services_test_support.h"

namespace corvalinde {
namespace {

using testing_support::ServicesTest;
namespace fs = std::filesystem;

class DiagnosticLog : public ServicesTest {
 protected:
  fs::path log_file() const { return user_file("Corvalinde.out"); }

  bool opened_on(const std::vector<std::string_view>& arguments) {
    open_diagnostic_log(arguments);
    return diagnostic_log_target() == log_file().string();
  }
};

// Prints what the message window would show, so that a death test sees it.
class PrintingPort final : public UserInterface {
 public:
  int choose_from_list(std::string_view, const std::vector<std::string>&) override { return 0; }
  void progress_window(int, std::string_view) override {}
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>&) override {
    std::string shown = "WINDOW " + std::to_string(presentation) + " " + std::to_string(lines.size()) + ":";
    for (const std::string& line : lines) shown += "[" + line + "]";
    std::fprintf(stderr, "%s\n", shown.c_str());
    return 1;
  }
};

TEST_F(DiagnosticLog, DebugSettingIsOffOnlyWhenBlankOffOrZero) {
  for (const char* value : {"", "off", "OFF", "Off", "0", "  off  "}) {
    ASSERT_TRUE(write_setting("Debug", value));
    EXPECT_FALSE(opened_on({})) << value;
    EXPECT_EQ(diagnostic_log_target(), kNullDevice) << value;
  }
  for (const char* value : {"on", "1", "yes", "00", "offline"}) {
    ASSERT_TRUE(write_setting("Debug", value));
    EXPECT_TRUE(opened_on({})) << value;
    EXPECT_TRUE(diagnostic_log_active()) << value;
  }
}

TEST_F(DiagnosticLog, DebugSwitchMatchesWholeArgumentInAnyCase) {
  EXPECT_TRUE(opened_on({"/DEBUG"}));
  EXPECT_TRUE(opened_on({"design.xml", "--Debug"}));
  EXPECT_TRUE(opened_on({"/debug", "design.xml"}));
  EXPECT_FALSE(opened_on({"/debugx"}));
  EXPECT_FALSE(opened_on({"x/debug", "-debug", "debug"}));
  EXPECT_FALSE(opened_on({}));
}

TEST_F(DiagnosticLog, ProgramNameIsNotScannedForTheSwitch) {
  const std::array<const char*, 2> off{"/debug", "design.xml"};
  open_diagnostic_log(static_cast<int>(off.size()), off.data());
  EXPECT_EQ(diagnostic_log_target(), kNullDevice);
  const std::array<const char*, 2> on{"corvalinde", "/Debug"};
  open_diagnostic_log(static_cast<int>(on.size()), on.data());
  EXPECT_EQ(diagnostic_log_target(), log_file().string());
}

TEST_F(DiagnosticLog, PreviousLogIsDeletedEvenWhenDiagnosticsAreOff) {
  write_file(log_file(), "last run\n");
  open_diagnostic_log({});
  EXPECT_FALSE(fs::exists(log_file()));
  write_log("discarded", 1);
  EXPECT_FALSE(fs::exists(log_file()));
}

TEST_F(DiagnosticLog, LogThatCannotBeCreatedFallsBackToNullDevice) {
  fs::create_directories(log_file());  // a folder stands where the file would be
  open_diagnostic_log(std::vector<std::string_view>{"/debug"});
  EXPECT_EQ(diagnostic_log_target(), kNullDevice);
  EXPECT_FALSE(diagnostic_log_active());
  write_log("nothing happens");
}

TEST_F(DiagnosticLog, RecordsAreListDirectedAndTracesHexadecimal) {
  ASSERT_TRUE(write_setting("Debug", "on"));
  open_diagnostic_log({});
  write_log(application_base_name());
  write_log("FIN INIT_DIALOG", 12);
  write_log("TTY font ", -16, 2.5);
  const std::array<std::uint32_t, 3> values{0x1, 0xABCDEF01, 0xFFFFFFFF};
  write_log_trace("WM_COMMAND", values);
  std::array<std::uint32_t, 12> many{};
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = static_cast<std::uint32_t>(i + 1);
  write_log_trace("many", many);
  write_log_trace("none", {});
  write_log("open_landxml", "a\nb\vC.xml");
  EXPECT_EQ(
      read_file(log_file()),
      " Corvalinde\n"
      " FIN INIT_DIALOG 12\n"
      " TTY font  -16 2.5\n"
      " WM_COMMAND 00000001 ABCDEF01 FFFFFFFF\n"
      " many 00000001 00000002 00000003 00000004 00000005 00000006 00000007 00000008 00000009 0000000A\n"
      " 0000000B 0000000C\n"
      " none\n"
      " open_landxml a\\x0Ab\\x0BC.xml\n");
}

TEST_F(DiagnosticLog, ReopenForAppendKeepsWhatWasWritten) {
  open_diagnostic_log(std::vector<std::string_view>{"/debug"});
  write_log("sortie INIT    DIALOG");
  reopen_log_for_append();
  EXPECT_EQ(diagnostic_log_target(), log_file().string());
  write_log("DESTROY DIALOG");
  EXPECT_EQ(read_file(log_file()), " sortie INIT    DIALOG\n DESTROY DIALOG\n");
}

TEST_F(DiagnosticLog, ReopenKeepsTheNullDevice) {
  open_diagnostic_log({});
  reopen_log_for_append();
  EXPECT_EQ(diagnostic_log_target(), kNullDevice);
  EXPECT_FALSE(fs::exists(log_file()));
}

using DiagnosticLogDeathTest = DiagnosticLog;

TEST_F(DiagnosticLogDeathTest, FatalErrorLogsShowsEachLineAndExitsWithStatusOne) {
  open_diagnostic_log(std::vector<std::string_view>{"/debug"});
  PrintingPort port;
  UserInterface* previous = set_user_interface(&port);
  EXPECT_EXIT(fatal_error("premier\ndeuxième\ntroisième"), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("WINDOW 3 3:[premier][deuxième][troisième]"));
  set_user_interface(previous);
  EXPECT_EQ(read_file(log_file()), " Retour a Windows premier\ndeuxième\ntroisième\n");
}

TEST_F(DiagnosticLogDeathTest, FatalErrorCutsEachLineTo256Characters) {
  open_diagnostic_log({});
  PrintingPort port;
  UserInterface* previous = set_user_interface(&port);
  std::string long_line;
  for (int i = 0; i < 300; ++i) long_line += "é";
  std::string shown;
  for (int i = 0; i < 256; ++i) shown += "é";
  EXPECT_EXIT(fatal_error(long_line + "\n"), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("WINDOW 3 2:[" + shown + "][]"));
  set_user_interface(previous);
}

TEST_F(DiagnosticLogDeathTest, BlankFatalErrorExitsAtOnceWithoutWindow) {
  open_diagnostic_log(std::vector<std::string_view>{"/debug"});
  PrintingPort port;
  UserInterface* previous = set_user_interface(&port);
  EXPECT_EXIT(fatal_error("   "), ::testing::ExitedWithCode(1),
              ::testing::Not(::testing::HasSubstr("WINDOW")));
  set_user_interface(previous);
  EXPECT_EQ(read_file(log_file()), "");
}

}  // namespace
}  // namespace corvalinde
