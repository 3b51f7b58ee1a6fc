// The settings store: the per-user settings file (sections of key=value
// lines, read and rewritten whole on every call) and the naming rules the
// other services share (base name, program directory, settings folder).
// Only the resolved names are cached. Reads never fail (missing gives blank or
// false); a write that fails leaves the previous file whole and returns false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvalinde {

inline constexpr std::string_view kMainSection = "Main";
inline constexpr std::string_view kParametersSection = "Parameters";

// Longest program-directory path, longest per-user path and longest value,
// in characters.
inline constexpr std::size_t kProgramPathLimit = 256;
inline constexpr std::size_t kSettingsPathLimit = 260;
inline constexpr std::size_t kSettingValueLimit = 256;

// The base name ("Corvalinde"), or base name + "." + extension when a
// non-blank extension is given ("Corvalinde.ini").
std::string application_base_name(std::string_view extension = {});

// The directory of the running executable followed by the trimmed name; the
// name alone when the directory is unknown or the result would be longer
// than kProgramPathLimit characters.
std::string program_file_path(std::string_view name);

// The per-user file called name: inside $XDG_CONFIG_HOME/<product>/ (default
// ~/.config/<product>/), created on first use. Falls back to
// program_file_path(name) when there is no settings folder or the joined path
// would be longer than kSettingsPathLimit characters. When the per-user file
// is missing and a non-empty file of that name lies beside the program, that
// file is copied first (the default each user receives).
std::string settings_path(std::string_view name);

// The value of key in section (trimmed, cut to kSettingValueLimit
// characters); empty when the file, the section or the key is missing.
// Section and key names compare without regard to ASCII case.
std::string read_setting(std::string_view key, std::string_view section = kMainSection);

// Stores key=value in section (trailing blanks of all three removed), keeping
// every other line of the file as it was. The new file is written beside the
// old one and renamed over it, so a failed write leaves the old file whole.
// Returns false when nothing was written: a name that cannot be stored (empty
// key, key with '=' or a line break, section with ']' or a line break, value
// with a line break), an existing file that cannot be read, or a failed write.
bool write_setting(std::string_view key, std::string_view value, std::string_view section = kMainSection);

// Binary records in section "Parameters" under the decimal record number:
// two upper-case hexadecimal digits per byte, then two for the sum of the
// bytes modulo 256. Reading succeeds only when the key exists, the stored
// length equals bytes.size() and the checksum matches; otherwise bytes are
// left as they were.
[[nodiscard]] bool read_setting_record(int record, std::span<std::uint8_t> bytes);
bool write_setting_record(int record, std::span<const std::uint8_t> bytes);

// The text a record is stored as (also used to check an encoding by hand).
std::string encode_setting_record(std::span<const std::uint8_t> bytes);

// True for a path on a removable drive: /media, /run/media or /mnt, or a
// path below one of them.
bool is_removable_path(std::string_view path);

// Stores directory as "CurDir" in section "Main" unless it lies on a
// removable drive. Returns true when it was written.
bool store_current_directory(std::string_view directory);

// Test support only: forgets the cached names so that the next call resolves
// them again (tests change XDG_CONFIG_HOME between cases). A non-empty
// program_directory stands in for the executable's directory. Also clears a
// simulated write failure.
void reset_settings_cache_for_tests(std::string_view program_directory = {});

// Test support only: while enabled, every settings write stops half way
// through the new file, as a full disk would, and fails.
void simulate_settings_write_failure_for_tests(bool enabled);

}  // namespace corvalinde
