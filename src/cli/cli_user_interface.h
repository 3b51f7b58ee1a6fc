// The user-interface port of corvalinde-cli: list choices are answered from
// the --alignment, --profile and --surface options (by 1-based number or by
// name). A choice nothing answers, or an option that names none of the
// candidates (even the only one), prints the candidates to standard error and
// either ends the program with status 2 (one design) or leaves the choice
// cancelled and remembers it (a design of a batch, which then fails alone).
// Progress goes to standard error when it is a terminal; message windows
// print their lines there. One port serves one design run on one thread.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "services/user_interface.h"

namespace corvalinde::cli {

// Titles of the reader's choice lists.
inline constexpr int kAlignmentChoiceTitle = 144;
inline constexpr int kProfileChoiceTitle = 214;
inline constexpr int kSuperelevationChoiceTitle = 284;

// The 1-based item that `answer` names: a number in range, or an item equal
// to the answer (trailing blanks ignored); 0 when it names none.
int match_choice(const std::string& answer, const std::vector<std::string>& items);

// Answers to the reader's three choices, in the order alignment, profile,
// grade surface.
struct ChoiceAnswers {
  std::array<std::optional<std::string>, 3> answers;
};
ChoiceAnswers choice_answers(const CliOptions& options);

class CliUserInterface final : public UserInterface {
 public:
  CliUserInterface(ChoiceAnswers answers, bool progress_on_terminal, bool exit_when_unanswered = true)
      : answers_(std::move(answers)), progress_(progress_on_terminal), exit_(exit_when_unanswered) {}

  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override;
  // As choose_from_list on the names; an unanswered choice lists each
  // alignment with its length and station range.
  int choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) override;
  bool accept_only_candidate(std::string_view title, std::string_view item) override;
  void progress_window(int value, std::string_view text) override;
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>& buttons) override;

  // The names chosen (alignment, profile, grade surface), empty where the
  // reader asked nothing.
  const std::array<std::string, 3>& chosen() const { return chosen_; }
  // The candidates of the alignment choice, when the reader asked it.
  const std::vector<std::string>& alignment_candidates() const { return alignment_candidates_; }
  // What a choice nothing answered printed (empty when none).
  const std::string& unanswered() const { return unanswered_; }

 private:
  // Prints what a choice nothing answered shows after `text` (which says why,
  // or is empty), remembers it, and ends the program when this port serves
  // one design; returns 0 (cancelled) otherwise.
  int refuse(std::string_view title, std::size_t which, const std::vector<std::string>& items,
             std::string text);
  // The choice among `items` (matched by name); `shown` (one per item) is
  // what an unanswered choice lists.
  int choose(std::string_view title, const std::vector<std::string>& items,
             const std::vector<std::string>& shown);

  ChoiceAnswers answers_;
  bool progress_;
  bool exit_;
  std::array<std::string, 3> chosen_;
  std::vector<std::string> alignment_candidates_;
  std::string unanswered_;
  struct Bar {
    std::string text;
    int scale = 1;
  };
  std::vector<Bar> bars_;
};

}  // namespace corvalinde::cli
