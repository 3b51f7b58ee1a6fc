// Inputs of the bad-input catalogue that are too big (or not files at all) to
// keep in the repository: written at test time by name, from the "generate"
// field of a catalogue case. Each is described where it is built.
#pragma once

#include <filesystem>
#include <string_view>

namespace corvalinde::reliability {

// Writes the input named `generator` at `path`; false for an unknown name or
// a failed write.
[[nodiscard]] bool write_generated_input(std::string_view generator, const std::filesystem::path& path);

}  // namespace corvalinde::reliability
