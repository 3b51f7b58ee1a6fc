// The SHA-256 of a file, for the JSON output's record of what was reviewed.
#pragma once

#include <string>

namespace corvalinde::cli {

// Lower-case hexadecimal SHA-256 of the file's bytes; empty when the file
// cannot be read.
std::string file_sha256(const std::string& path);

}  // namespace corvalinde::cli
