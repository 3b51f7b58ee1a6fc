#include "cli/cli_user_interface.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "output/utf8.h"
#include "output/visible_text.h"
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

CliUserInterface::Answer CliUserInterface::answer_for(std::string_view title) const {
  const std::string_view wanted = trim_right(title);
  if (wanted == message_trimmed(kAlignmentChoiceTitle)) return {&options_.alignment, "--alignment"};
  if (wanted == message_trimmed(kProfileChoiceTitle)) return {&options_.profile, "--profile"};
  if (wanted == message_trimmed(kSuperelevationChoiceTitle)) return {&options_.surface, "--surface"};
  return {};
}

void CliUserInterface::refuse(std::string_view title, const char* option,
                              const std::vector<std::string>& items) {
  std::fflush(stdout);
  std::fprintf(stderr, "corvalinde-cli: %s\n", std::string(trim_right(title)).c_str());
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::fprintf(stderr, "  %zu: %s\n", i + 1, std::string(trim_right(items[i])).c_str());
  }
  std::fprintf(stderr, "Choose one with %s N or %s NAME.\n", option, option);
  std::fflush(stderr);
  std::exit(2);
}

int CliUserInterface::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  const Answer answer = answer_for(title);
  if (answer.value != nullptr && answer.value->has_value()) {
    const int chosen = match_choice(**answer.value, items);
    if (chosen > 0) return chosen;
    std::fprintf(stderr, "corvalinde-cli: %s %s names none of the candidates.\n", answer.option,
                 visible_text(**answer.value).c_str());
  }
  refuse(title, answer.option, items);
}

bool CliUserInterface::accept_only_candidate(std::string_view title, std::string_view item) {
  const Answer answer = answer_for(title);
  if (answer.value == nullptr || !answer.value->has_value()) return true;
  const std::vector<std::string> items = {std::string(item)};
  if (match_choice(**answer.value, items) == 1) return true;
  std::fprintf(stderr, "corvalinde-cli: %s %s names none of the candidates.\n", answer.option,
               visible_text(**answer.value).c_str());
  refuse(title, answer.option, items);
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
