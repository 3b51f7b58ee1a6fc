// Runs the built corvalinde-cli in a child process for the end-to-end tests,
// with its settings folder in a fresh temporary directory.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace corvalinde::cli::testing {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string shell_quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

inline std::string read_file(const std::filesystem::path& p) {
  std::string text;
  if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) text.append(buf.data(), n);
    std::fclose(f);
  }
  return text;
}

// Runs `corvalinde-cli ARGS` in `dir` (args already shell-quoted as needed).
inline CliResult run_cli(const std::string& args, const std::filesystem::path& dir,
                         const std::filesystem::path& config_home) {
  std::filesystem::create_directories(config_home);
  const std::filesystem::path out = config_home / "stdout.txt";
  const std::filesystem::path err = config_home / "stderr.txt";
  const std::string command = "cd " + shell_quote(dir.string()) +
                              " && XDG_CONFIG_HOME=" + shell_quote(config_home.string()) + " " +
                              shell_quote(CORVALINDE_CLI_PATH) + " " + args + " >" +
                              shell_quote(out.string()) + " 2>" + shell_quote(err.string()) + " </dev/null";
  CliResult result;
  const int raw = std::system(command.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = read_file(out);
  result.err = read_file(err);
  return result;
}

}  // namespace corvalinde::cli::testing
