// The finding list: short findings an analysis collects while it works and
// then writes out in one block around a heading line (the early ones before
// it, the others after it). Each run's console holds its own list; entries
// not flushed by one analysis appear at the run's next flush. Each listed
// entry becomes a finding record of the run, placed by the scope the flush is
// given. Adding never fails short of memory exhaustion, which ends the
// program through fatal_error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/finding_record.h"
#include "services/message_table.h"

namespace corvalinde {

class Console;

struct Finding {
  std::string text;      // exactly FindingList::kTextWidth characters, blank-padded
  bool warning = false;  // listed with marker C; otherwise with marker G
  bool early = false;    // listed before the heading line
  int message = 0;       // message number of the text (0: none)
  std::vector<double> values;
};

// Where the findings of one flush belong: review, check, station range.
struct FindingScope {
  Review review = Review::kPlan;
  std::string_view check;
  double from = 0.0;
  double to = 0.0;
};

class FindingList {
 public:
  // Characters of a finding's text; longer texts are cut.
  static constexpr std::size_t kTextWidth = 60;
  // Entries added to the storage each time it is full.
  static constexpr std::size_t kGrowth = 10;
  // Width of a listed entry: the two-character marker and the text.
  static constexpr std::size_t kLineWidth = kTextWidth + 2;

  // Appends an entry, its text cut or blank-padded to 60 characters. When the
  // count has reached the capacity, the storage grows to count + 10 entries.
  void add(bool warning, bool early, std::string_view text, int message = 0, std::vector<double> values = {});

  // Writes the early entries (in order) as heading lines, then the heading,
  // when given, as an ordinary line, then the other entries (in order) as
  // heading lines; then empties the list, keeping its storage. Each entry is
  // written as a record in the scope: a warning fails, another is a warning.
  void flush(Console& console, std::optional<std::string_view> heading = std::nullopt,
             const FindingScope& scope = {});

  std::size_t count() const { return entries_.size(); }
  std::size_t capacity() const { return entries_.capacity(); }
  // 0-based, i < count().
  const Finding& entry(std::size_t i) const { return entries_.at(i); }

 private:
  std::vector<Finding> entries_;
};

// Adds to the console's list. The message forms read message n into 80
// characters (then cut to 60).
void add_finding(Console& console, bool warning, bool early, std::string_view text);
void add_finding(Console& console, bool warning, bool early, int message);
// A finding without the warning flag (marker G).
void add_remark(Console& console, bool early, std::string_view text);
void add_remark(Console& console, bool early, int message);
// A finding with the warning flag (marker C).
void add_warning(Console& console, bool early, std::string_view text);
void add_warning(Console& console, bool early, int message);

// A finding whose text is the template message n filled with the values.
void add_finding_entry(Console& console, bool warning, bool early, std::string_view text, int message,
                       std::vector<double> values);
template <typename... Values>
void add_valued_finding(Console& console, bool warning, bool early, int message, const Values&... values) {
  add_finding_entry(console, warning, early, format_message(message, FindingList::kTextWidth, values...),
                    message, {static_cast<double>(values)...});
}

// Flushes the console's list (see FindingList::flush).
void flush_findings(Console& console, std::optional<std::string_view> heading = std::nullopt,
                    const FindingScope& scope = {});

}  // namespace corvalinde

// Users of the list write to a console; the console holds its run's list.
#include "output/console.h"  // IWYU pragma: export
