#include "output/console.h"

#include <algorithm>

#include "output/utf8.h"

namespace corvalinde {

void Console::write(unsigned flags, std::string_view text) {
  if ((flags & kConsoleClear) != 0U) {
    lines_.clear();
    notify(ConsoleObserver::Change::kCleared, 0);
    if (is_blank(text)) return;
  }
  if ((flags & (kConsoleNewLine | kConsoleReplaceLast)) == 0U) return;

  ConsoleLine line;
  if (!is_blank(text)) {
    line.text = std::string(utf8_prefix(utf8_prefix(text, kMaxRequestText), kLineWidth));
  }
  line.heading = (flags & kConsoleHeading) != 0U;

  if ((flags & kConsoleReplaceLast) != 0U && !lines_.empty()) {
    lines_.back() = std::move(line);
    notify(ConsoleObserver::Change::kReplaced, lines_.size() - 1);
  } else {
    lines_.push_back(std::move(line));
    notify(ConsoleObserver::Change::kAppended, lines_.size() - 1);
  }
}

void Console::add_observer(ConsoleObserver* observer) {
  if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void Console::remove_observer(ConsoleObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Console::notify(ConsoleObserver::Change change, std::size_t index) {
  // Copy: an observer may remove itself while being told.
  const auto observers = observers_;
  for (ConsoleObserver* observer : observers) observer->console_changed(*this, change, index);
}

}  // namespace corvalinde
