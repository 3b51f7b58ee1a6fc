#include "services/settings_store.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <string>

#include "services_test_support.h"

namespace corvalinde {
namespace {

using testing_support::ServicesTest;
namespace fs = std::filesystem;

class SettingsStore : public ServicesTest {};

const fs::path kData = fs::path(CORVALINDE_TEST_DATA_DIR) / "settings";

TEST_F(SettingsStore, NamesComeFromTheBaseNameWithTrimmedExtension) {
  EXPECT_EQ(application_base_name(), "Corvalinde");
  EXPECT_EQ(application_base_name("   "), "Corvalinde");
  EXPECT_EQ(application_base_name(" out "), "Corvalinde.out");
  EXPECT_EQ(program_file_path("Corvalinde.chm   "), (program_ / "Corvalinde.chm").string());
  EXPECT_EQ(settings_path("Corvalinde.ini"), user_file("Corvalinde.ini").string());
  EXPECT_TRUE(fs::is_directory(config_ / "Corvalinde"));
}

TEST_F(SettingsStore, RealExecutableDirectoryIsUsedWithoutOverride) {
  reset_settings_cache_for_tests();
  const fs::path self = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(program_file_path("x.so"), (self.parent_path() / "x.so").string());
}

TEST_F(SettingsStore, RelativeConfigHomeFallsBackToDotConfigInHome) {
  ::setenv("HOME", root_.c_str(), 1);
  use_config_folder("relative/config");
  EXPECT_EQ(settings_path("Corvalinde.ini"), (root_ / ".config" / "Corvalinde" / "Corvalinde.ini").string());
  EXPECT_TRUE(fs::is_directory(root_ / ".config" / "Corvalinde"));
}

TEST_F(SettingsStore, ProgramPathLongerThan256CharactersGivesTheNameAlone) {
  // 240 characters of directory, 'é' counting as one character (two bytes).
  const std::string directory = "/" + std::string(237, 'd') + "é/";
  ASSERT_EQ(directory.size(), 241U);
  reset_settings_cache_for_tests(directory);
  EXPECT_EQ(program_file_path(std::string(16, 'n')), directory + std::string(16, 'n'));  // 256 characters
  EXPECT_EQ(program_file_path(std::string(17, 'n')), std::string(17, 'n'));
}

TEST_F(SettingsStore, SettingsPathLongerThan260CharactersFallsBackToProgramDirectory) {
  // Folder "<config>/Corvalinde/" padded so that folder + "Corvalinde.ini" is
  // exactly 260 characters; the multi-byte 'é' counts once.
  const std::string name = "Corvalinde.ini";
  const std::size_t fixed = config_.string().size() + std::string("//Corvalinde/").size() + name.size();
  ASSERT_LT(fixed + 2, 260U);
  const std::string pad = std::string(260 - fixed - 1, 'p') + "é";  // 260 - fixed characters
  const fs::path long_config = config_ / pad;
  use_config_folder(long_config);
  EXPECT_EQ(settings_path(name), (long_config / "Corvalinde" / name).string());
  EXPECT_EQ(settings_path(name + "x"), (program_ / (name + "x")).string());
  ASSERT_TRUE(write_setting("Key", "v"));
  EXPECT_TRUE(fs::exists(long_config / "Corvalinde" / name));
}

TEST_F(SettingsStore, ValuesRoundTripWithoutRegardToCaseOfNames) {
  ASSERT_TRUE(write_setting("CurDir  ", "/home/user/roads   "));
  ASSERT_TRUE(write_setting("Debug", "off", "Main"));
  ASSERT_TRUE(write_setting("Debug", "2", "Other"));
  EXPECT_EQ(read_setting("curdir"), "/home/user/roads");
  EXPECT_EQ(read_setting("DEBUG", "main"), "off");
  EXPECT_EQ(read_setting("Debug", "Other"), "2");
  EXPECT_EQ(read_setting("Missing"), "");
  EXPECT_EQ(read_setting("CurDir", "Other"), "");
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")),
            "[Main]\nCurDir=/home/user/roads\nDebug=off\n[Other]\nDebug=2\n");
}

TEST_F(SettingsStore, RewritingKeepsForeignSectionsKeysAndOtherLines) {
  write_file(user_file("Corvalinde.ini"), read_file(kData / "foreign.ini"));
  EXPECT_EQ(read_setting("Debug"), "off");
  ASSERT_TRUE(write_setting("Debug", "on"));
  ASSERT_TRUE(write_setting("CurDir", "/home/user/roads"));
  ASSERT_TRUE(write_setting("Key", "value", "Extra"));
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")), read_file(kData / "foreign_expected.ini"));
  EXPECT_EQ(read_setting("Colour", "Other"), "blue");
}

TEST_F(SettingsStore, CrLfLinesAndByteOrderMarkAreWrittenBackAsTheyWere) {
  write_file(user_file("Corvalinde.ini"), "\xEF\xBB\xBF[Main]\r\nCurDir=/a\r\n");
  EXPECT_EQ(read_setting("CurDir"), "/a");
  ASSERT_TRUE(write_setting("Debug", "1"));
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")), "\xEF\xBB\xBF[Main]\r\nCurDir=/a\r\nDebug=1\r\n");
}

TEST_F(SettingsStore, ValuesAreCutTo256CharactersNeverInsideACharacter) {
  std::string value;
  for (int i = 0; i < 300; ++i) value += "é";
  ASSERT_TRUE(write_setting("Long", value));
  std::string expected;
  for (int i = 0; i < 256; ++i) expected += "é";
  EXPECT_EQ(read_setting("Long"), expected);
}

TEST_F(SettingsStore, NamesAndValuesThatWouldBreakTheFileAreRefused) {
  ASSERT_TRUE(write_setting("CurDir", "/a"));
  const std::string before = read_file(user_file("Corvalinde.ini"));
  EXPECT_FALSE(write_setting("CurDir", "/b\n[Parameters]\n256=00"));
  EXPECT_FALSE(write_setting("Cur=Dir", "x"));
  EXPECT_FALSE(write_setting("", "x"));
  EXPECT_FALSE(write_setting("[Key]", "x"));
  EXPECT_FALSE(write_setting("Key", "x", "Ma]in"));
  EXPECT_FALSE(write_setting("Key", "x", "Ma\nin"));
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")), before);
}

TEST_F(SettingsStore, FailedWriteLeavesTheOldFileWholeAndNoLeftovers) {
  ASSERT_TRUE(write_setting("CurDir", "/old"));
  const std::string before = read_file(user_file("Corvalinde.ini"));
  simulate_settings_write_failure_for_tests(true);
  EXPECT_FALSE(write_setting("CurDir", "/new/and/much/longer/than/before"));
  EXPECT_FALSE(write_setting("Other", "x"));
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")), before);
  EXPECT_EQ(read_setting("CurDir"), "/old");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(config_ / "Corvalinde")) ++files;
  EXPECT_EQ(files, 1U);
  simulate_settings_write_failure_for_tests(false);
  EXPECT_TRUE(write_setting("CurDir", "/new"));
  EXPECT_EQ(read_setting("CurDir"), "/new");
}

TEST_F(SettingsStore, UnreadableSettingsFileIsNotReplaced) {
  fs::create_directories(user_file("Corvalinde.ini"));  // a folder where the file should be
  EXPECT_FALSE(write_setting("CurDir", "/a"));
  EXPECT_TRUE(fs::is_directory(user_file("Corvalinde.ini")));
  EXPECT_EQ(read_setting("CurDir"), "");
  // A named pipe without a writer: refused at once, never waited on.
  fs::remove(user_file("Corvalinde.ini"));
  ASSERT_EQ(::mkfifo(user_file("Corvalinde.ini").c_str(), 0600), 0);
  EXPECT_EQ(read_setting("CurDir"), "");
  EXPECT_FALSE(write_setting("CurDir", "/a"));
  EXPECT_TRUE(fs::is_fifo(user_file("Corvalinde.ini")));
}

TEST_F(SettingsStore, WritingThroughASymbolicLinkReplacesTheLinkedFile) {
  const fs::path real = root_ / "dotfiles" / "Corvalinde.ini";
  write_file(real, "[Main]\nCurDir=/a\n");
  fs::create_directories(user_file("").parent_path());
  fs::create_symlink(real, user_file("Corvalinde.ini"));
  ASSERT_TRUE(write_setting("CurDir", "/b"));
  EXPECT_TRUE(fs::is_symlink(user_file("Corvalinde.ini")));
  EXPECT_EQ(read_file(real), "[Main]\nCurDir=/b\n");
}

TEST_F(SettingsStore, RecordEncodingMatchesHandComputedText) {
  // The default analysis selection: road type 0, four run flags 4, lane
  // width 35 dm, median 0, no sight block, side clearance 40 dm.
  // Sum 4 * 4 + 35 + 40 = 91 = 0x5B.
  const std::array<std::uint8_t, 14> bytes{0, 0, 4, 0, 4, 0, 4, 0, 4, 0, 35, 0, 0, 40};
  EXPECT_EQ(encode_setting_record(bytes), "00000400040004000400230000285B");
  const std::array<std::uint8_t, 3> wraps{0xFF, 0xFF, 0x03};  // 0x201 mod 256 = 0x01
  EXPECT_EQ(encode_setting_record(wraps), "FFFF0301");
  ASSERT_TRUE(write_setting_record(256, bytes));
  EXPECT_EQ(read_setting("256", "Parameters"), "00000400040004000400230000285B");
}

TEST_F(SettingsStore, RecordReadsBackOnlyWithItsOwnLength) {
  const std::array<std::uint8_t, 14> stored{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 250};
  ASSERT_TRUE(write_setting_record(256, stored));
  std::array<std::uint8_t, 13> shorter{};
  shorter.fill(0xAA);
  EXPECT_FALSE(read_setting_record(256, shorter));
  for (const std::uint8_t byte : shorter) EXPECT_EQ(byte, 0xAA);
  std::array<std::uint8_t, 15> longer{};
  EXPECT_FALSE(read_setting_record(256, longer));
  std::array<std::uint8_t, 14> same{};
  ASSERT_TRUE(read_setting_record(256, same));
  EXPECT_EQ(same, stored);
  std::array<std::uint8_t, 14> other{};
  EXPECT_FALSE(read_setting_record(257, other));
}

TEST_F(SettingsStore, DamagedRecordsAreRefusedAndLeaveBytesUntouched) {
  std::array<std::uint8_t, 2> bytes{7, 7};
  for (const char* text : {"010204", "0102", "01020", "0G0203", "01 0203"}) {
    ASSERT_TRUE(write_setting("256", text, "Parameters"));
    EXPECT_FALSE(read_setting_record(256, bytes)) << text;
    EXPECT_EQ(bytes[0], 7) << text;
    EXPECT_EQ(bytes[1], 7) << text;
  }
  ASSERT_TRUE(write_setting("256", "0aff09", "Parameters"));  // lower case: 0x0A + 0xFF = 0x109
  ASSERT_TRUE(read_setting_record(256, bytes));
  EXPECT_EQ(bytes[0], 0x0A);
  EXPECT_EQ(bytes[1], 0xFF);
}

TEST_F(SettingsStore, DefaultBesideTheProgramIsCopiedOnceWhenNotEmpty) {
  write_file(program_ / "Corvalinde.ini", "[Main]\nDebug=on\n");
  write_file(program_ / "Empty.ini", "");
  EXPECT_EQ(read_setting("Debug"), "on");
  EXPECT_EQ(read_file(user_file("Corvalinde.ini")), "[Main]\nDebug=on\n");
  struct stat info {};
  ASSERT_EQ(::stat(user_file("Corvalinde.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600U);

  ASSERT_TRUE(write_setting("Debug", "off"));
  write_file(program_ / "Corvalinde.ini", "[Main]\nDebug=changed\n");
  EXPECT_EQ(read_setting("Debug"), "off");

  EXPECT_EQ(settings_path("Empty.ini"), user_file("Empty.ini").string());
  EXPECT_FALSE(fs::exists(user_file("Empty.ini")));
}

TEST_F(SettingsStore, RemovableDrivesAreMediaRunMediaAndMnt) {
  for (const char* path : {"/media", "/media/usb", "/run/media/user/KEY", "/mnt/", "/mnt//disk/x"}) {
    EXPECT_TRUE(is_removable_path(path)) << path;
  }
  for (const char* path : {"/mntx", "/home/user/media", "/run", "/mnt/../home", "media/usb", ""}) {
    EXPECT_FALSE(is_removable_path(path)) << path;
  }
}

TEST_F(SettingsStore, CurrentDirectoryOnRemovableDriveIsNotStored) {
  ASSERT_TRUE(store_current_directory("/home/user/roads"));
  EXPECT_FALSE(store_current_directory("/media/usb/roads"));
  EXPECT_FALSE(store_current_directory("   "));
  EXPECT_EQ(read_setting("CurDir"), "/home/user/roads");
}

}  // namespace
}  // namespace corvalinde
