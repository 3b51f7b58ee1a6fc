#include "cli/cli_user_interface.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <fmt/format.h>

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

ChoiceAnswers choice_answers(const CliOptions& options) {
  ChoiceAnswers a;
  a.answers = {options.alignment, options.profile, options.surface};
  return a;
}

namespace {

constexpr std::array<const char*, 3> kChoiceOptions = {"--alignment", "--profile", "--surface"};
constexpr std::size_t kUnknownChoice = kChoiceOptions.size();

// Which of the three choices a (trimmed) title asks.
std::size_t choice_index(std::string_view title) {
  if (title == message_trimmed(kAlignmentChoiceTitle)) return 0;
  if (title == message_trimmed(kProfileChoiceTitle)) return 1;
  if (title == message_trimmed(kSuperelevationChoiceTitle)) return 2;
  return kUnknownChoice;
}

std::string names_none(std::size_t which, const std::string& answer) {
  return fmt::format("corvalinde-cli: {} {} names none of the candidates.\n", kChoiceOptions[which],
                     visible_text(answer));
}

}  // namespace

int CliUserInterface::refuse(std::string_view title, std::size_t which, const std::vector<std::string>& items,
                             std::string text) {
  const char* option = kChoiceOptions[which < kUnknownChoice ? which : 0];
  text += fmt::format("corvalinde-cli: {}\n", visible_text(title));
  for (std::size_t i = 0; i < items.size(); ++i)
    text += fmt::format("  {}: {}\n", i + 1, visible_text(trim_right(items[i])));
  text += fmt::format("Choose one with {} N or {} NAME.\n", option, option);
  unanswered_ += text;
  if (!exit_) return 0;
  std::fflush(stdout);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  std::exit(2);
}

int CliUserInterface::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  return choose(title, items, items);
}

int CliUserInterface::choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) {
  const auto metres = [](const std::optional<double>& value) {
    return value ? fmt::format("{:.3f}", *value) : std::string("unknown");
  };
  std::vector<std::string> names;
  std::vector<std::string> shown;
  for (const AlignmentOption& option : options) {
    names.push_back(option.name);
    std::optional<double> end;
    if (option.start_station && option.length) end = *option.start_station + *option.length;
    shown.push_back(fmt::format("{} — {} m, {} to {}", trim_right(option.name), metres(option.length),
                                metres(option.start_station), metres(end)));
  }
  return choose(title, names, shown);
}

int CliUserInterface::choose(std::string_view title, const std::vector<std::string>& items,
                             const std::vector<std::string>& shown) {
  const std::string_view wanted = trim_right(title);
  const std::size_t which = choice_index(wanted);
  if (which == 0) alignment_candidates_.assign(items.begin(), items.end());
  std::string text;
  if (which != kUnknownChoice && answers_.answers[which].has_value()) {
    const std::string& answer = *answers_.answers[which];
    const int chosen = match_choice(answer, items);
    if (chosen > 0) {
      chosen_[which] = trim_right(items[static_cast<std::size_t>(chosen - 1)]);
      return chosen;
    }
    text = names_none(which, answer);
  }
  return refuse(wanted, which, shown, std::move(text));
}

bool CliUserInterface::accept_only_candidate(std::string_view title, std::string_view item) {
  const std::string_view wanted = trim_right(title);
  const std::size_t which = choice_index(wanted);
  if (which == kUnknownChoice) return true;
  const std::vector<std::string> items = {std::string(item)};
  if (!answers_.answers[which].has_value() || match_choice(*answers_.answers[which], items) == 1) {
    chosen_[which] = trim_right(item);
    return true;
  }
  refuse(wanted, which, items, names_none(which, *answers_.answers[which]));
  return false;
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
