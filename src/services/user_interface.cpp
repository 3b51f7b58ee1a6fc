#include "services/user_interface.h"

#include <cstdio>

namespace corvalinde {
namespace {

class QuietUserInterface final : public UserInterface {
 public:
  int choose_from_list(std::string_view, const std::vector<std::string>&) override { return 0; }
  void progress_window(int, std::string_view) override {}
  int message_window(const std::vector<std::string>& lines, int, const std::vector<std::string>&) override {
    for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
    return 1;
  }
};

QuietUserInterface quiet_port;
// Each thread has its own port, so that runs on several threads each ask
// their own front end.
thread_local UserInterface* installed_port = nullptr;

}  // namespace

int UserInterface::choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) {
  std::vector<std::string> names;
  names.reserve(options.size());
  for (const AlignmentOption& option : options) names.push_back(option.name);
  return choose_from_list(title, names);
}

UserInterface& user_interface() {
  return installed_port != nullptr ? *installed_port : quiet_port;
}

UserInterface* set_user_interface(UserInterface* port) {
  UserInterface* previous = installed_port;
  installed_port = port;
  return previous;
}

}  // namespace corvalinde
