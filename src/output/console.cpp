#include "output/console.h"

#include <algorithm>

#include "output/utf8.h"

namespace corvalinde {

void Console::write(unsigned flags, std::string_view text) {
  write_line(flags, text, nullptr);
}

void Console::write_finding(bool heading, FindingRecord record) {
  write_line(heading ? kConsoleHeadingLine : kConsoleOrdinary, record.text, &record);
}

void Console::append(const Console& other) {
  for (const ConsoleLine& line : other.lines_) {
    const unsigned flags = line.heading ? kConsoleHeadingLine : kConsoleOrdinary;
    if (line.has_verdict()) {
      FindingRecord record = other.records_[line.record];
      write_line(flags, line.text, &record);
    } else {
      write_line(flags, line.text, nullptr);
    }
  }
  series_.merge(other.series_);
}

void Console::write_line(unsigned flags, std::string_view text, FindingRecord* record) {
  if ((flags & kConsoleClear) != 0U) {
    lines_.clear();
    records_.clear();
    pending_ = FindingList{};
    series_.clear();
    notify(ConsoleObserver::Change::kCleared, 0);
    if (is_blank(text)) return;
  }
  if ((flags & (kConsoleNewLine | kConsoleReplaceLast)) == 0U) return;

  ConsoleLine line;
  if (!is_blank(text)) {
    line.text = std::string(utf8_prefix(utf8_prefix(text, kMaxRequestText), kLineWidth));
  }
  line.heading = (flags & kConsoleHeading) != 0U;

  const bool replace = (flags & kConsoleReplaceLast) != 0U && !lines_.empty();
  const std::size_t index = replace ? lines_.size() - 1 : lines_.size();
  // A replaced line takes its record with it.
  if (replace && lines_.back().has_verdict() && lines_.back().record + 1 == records_.size())
    records_.pop_back();
  if (record != nullptr) {
    record->line = index;
    line.record = records_.size();
    line.verdict = record->verdict;
    records_.push_back(std::move(*record));
  }
  if (replace) {
    lines_.back() = std::move(line);
    notify(ConsoleObserver::Change::kReplaced, index);
  } else {
    lines_.push_back(std::move(line));
    notify(ConsoleObserver::Change::kAppended, index);
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
