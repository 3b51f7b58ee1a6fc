// The finding list: short findings an analysis collects while it works and
// then writes out in one block around a heading line (the early ones before
// it, the others after it). One process-wide list, owned by the output module;
// entries not flushed by one analysis appear at the next flush. Adding never
// fails short of memory exhaustion, which ends the program through fatal_error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/console.h"

namespace corvalinde {

struct Finding {
  std::string text;      // exactly FindingList::kTextWidth characters, blank-padded
  bool warning = false;  // listed with marker C; otherwise with marker G
  bool early = false;    // listed before the heading line
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
  void add(bool warning, bool early, std::string_view text);

  // Writes the early entries (in order) as heading lines, then the heading,
  // when given, as an ordinary line, then the other entries (in order) as
  // heading lines; then empties the list, keeping its storage.
  void flush(Console& console, std::optional<std::string_view> heading = std::nullopt);

  std::size_t count() const { return entries_.size(); }
  std::size_t capacity() const { return entries_.capacity(); }
  // 0-based, i < count().
  const Finding& entry(std::size_t i) const { return entries_.at(i); }

 private:
  std::vector<Finding> entries_;
};

// The program's one list.
FindingList& finding_list();

// Adds to the program's list. The message forms read message n into 80
// characters (then cut to 60).
void add_finding(bool warning, bool early, std::string_view text);
void add_finding(bool warning, bool early, int message);
// A finding without the warning flag (marker G).
void add_remark(bool early, std::string_view text);
void add_remark(bool early, int message);
// A finding with the warning flag (marker C).
void add_warning(bool early, std::string_view text);
void add_warning(bool early, int message);

// Flushes the program's list (see FindingList::flush).
void flush_findings(Console& console, std::optional<std::string_view> heading = std::nullopt);

}  // namespace corvalinde
