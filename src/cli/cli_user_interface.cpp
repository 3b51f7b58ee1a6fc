#include "cli/cli_user_interface.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include <fmt/format.h>

#include "output/utf8.h"
#include "services/message_table.h"

namespace corvalinde::cli {

int match_choice(const std::string& answer, const std::vector<std::string>& items) {
  int number = 0;
  const char* end = answer.data() + answer.size();
  const auto [ptr, ec] = std::from_chars(answer.data(), end, number);
  if (ec == std::errc{} && ptr == end)
    return number >= 1 && static_cast<std::size_t>(number) <= items.size() ? number : 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (trim_right(items[i]) == trim_right(answer)) return static_cast<int>(i) + 1;
  }
  return 0;
}

ChoiceAnswers choice_answers(const CliOptions& options) {
  ChoiceAnswers a;
  a.answers = {options.alignment, options.profile, options.surface};
  return a;
}

int CliUserInterface::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  const std::string_view wanted = trim_right(title);
  static constexpr std::array<const char*, 3> kOptions = {"--alignment", "--profile", "--surface"};
  std::size_t which = 0;
  bool known = true;
  if (wanted == message_trimmed(kAlignmentChoiceTitle)) {
    which = 0;
    alignment_candidates_.assign(items.begin(), items.end());
  } else if (wanted == message_trimmed(kProfileChoiceTitle)) {
    which = 1;
  } else if (wanted == message_trimmed(kSuperelevationChoiceTitle)) {
    which = 2;
  } else {
    known = false;
  }
  const char* option = kOptions[which];
  std::string text;
  if (known && answers_.answers[which].has_value()) {
    const std::string& answer = *answers_.answers[which];
    const int chosen = match_choice(answer, items);
    if (chosen > 0) {
      chosen_[which] = trim_right(items[static_cast<std::size_t>(chosen - 1)]);
      return chosen;
    }
    text += fmt::format("corvalinde-cli: {} {} names none of the candidates.\n", option, answer);
  }
  text += fmt::format("corvalinde-cli: {}\n", wanted);
  for (std::size_t i = 0; i < items.size(); ++i)
    text += fmt::format("  {}: {}\n", i + 1, trim_right(items[i]));
  text += fmt::format("Choose one with {} N or {} NAME.\n", option, option);
  unanswered_ += text;
  if (!exit_) return 0;
  std::fflush(stdout);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  std::exit(2);
}

void CliUserInterface::progress_window(int value, std::string_view text) {
  if (value >= 1 && !text.empty()) {
    bars_.push_back({std::string(trim_right(text)), value});
    return;
  }
  if (value == -1 || value == -2) {
    if (!bars_.empty()) bars_.pop_back();
    if (progress_) std::fputs("\r\x1b[K", stderr);
    return;
  }
  if (value >= 1 && progress_ && !bars_.empty()) {
    const Bar& bar = bars_.back();
    const int percent = std::clamp(100 * value / std::max(bar.scale, 1), 0, 100);
    std::fprintf(stderr, "\r%s %3d %%", bar.text.c_str(), percent);
    std::fflush(stderr);
  }
}

int CliUserInterface::message_window(const std::vector<std::string>& lines, int,
                                     const std::vector<std::string>&) {
  for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
  return 1;
}

}  // namespace corvalinde::cli
