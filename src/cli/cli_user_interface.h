// The user-interface port of corvalinde-cli: list choices are answered from
// the --alignment, --profile and --surface options (by 1-based number or by
// name); a choice nothing answers, or an option that names none of the
// candidates (even the only one), prints the candidates to standard error and
// ends the program with status 2. Progress goes to standard error when it is
// a terminal; message windows print their lines there.
#pragma once

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

class CliUserInterface final : public UserInterface {
 public:
  CliUserInterface(const CliOptions& options, bool progress_on_terminal)
      : options_(options), progress_(progress_on_terminal) {}

  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override;
  bool accept_only_candidate(std::string_view title, std::string_view item) override;
  void progress_window(int value, std::string_view text) override;
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>& buttons) override;

 private:
  struct Answer {
    const std::optional<std::string>* value = nullptr;  // the option answering the title, if any
    const char* option = "--alignment";
  };
  Answer answer_for(std::string_view title) const;
  [[noreturn]] void refuse(std::string_view title, const char* option, const std::vector<std::string>& items);

  const CliOptions& options_;
  bool progress_;
  struct Bar {
    std::string text;
    int scale = 1;
  };
  std::vector<Bar> bars_;
};

}  // namespace corvalinde::cli
