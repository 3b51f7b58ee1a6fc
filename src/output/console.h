// The console line store: every line the readers and analyses report, in
// order, each with its heading mark. Producers write with console_write; a
// view (the GUI's console window, the CLI's printer, a test) watches it
// through ConsoleObserver. The store owns its lines; observers are not owned.
// Writes never fail: long texts are cut, never rejected.
//
// One console belongs to one run: beside its lines it keeps the run's finding
// records (a line written from a record carries the record's verdict), the
// findings an analysis has collected and not yet listed, and the series the
// analyses computed along the road. Clearing the console clears all of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/finding_list.h"
#include "output/finding_record.h"
#include "output/run_series.h"

namespace corvalinde {

// Write-request flag bits.
enum ConsoleFlags : unsigned {
  kConsoleNewLine = 1,      // write the text as a new line at the end
  kConsoleReplaceLast = 2,  // write the text into the last line (a new one if none)
  kConsoleHeading = 4,      // the line gets the heading mark
  kConsoleClear = 65536,    // remove all lines first
};
inline constexpr unsigned kConsoleOrdinary = kConsoleNewLine;                       // 1
inline constexpr unsigned kConsoleHeadingLine = kConsoleNewLine | kConsoleHeading;  // 5

// The verdict-marker introducer inside a line: code 11 followed by A, C, G or 2.
inline constexpr char kMarker = '\v';

struct ConsoleLine {
  std::string text;  // UTF-8, at most Console::kLineWidth characters
  bool heading = false;
  // The record the line was written from, and its verdict.
  std::size_t record = kNoRecord;
  static constexpr std::size_t kNoRecord = static_cast<std::size_t>(-1);
  bool has_verdict() const { return record != kNoRecord; }
  Verdict verdict = Verdict::kOk;  // meaningful only with a record
};

class Console;

// Told after every change of the store.
class ConsoleObserver {
 public:
  enum class Change { kCleared, kAppended, kReplaced };
  virtual ~ConsoleObserver() = default;
  // index: 0-based index of the line appended or replaced (0 for kCleared).
  virtual void console_changed(const Console& console, Change change, std::size_t index) = 0;
};

class Console {
 public:
  // Line width in characters (the longest line the system writes is 99).
  static constexpr std::size_t kLineWidth = 160;
  // Longest text a write request carries; longer texts are cut first.
  static constexpr std::size_t kMaxRequestText = 2047;

  // Applies one write request (flags of ConsoleFlags). A blank text counts as
  // no text. Texts are cut at character boundaries.
  void write(unsigned flags, std::string_view text = {});

  // Writes record.text as a new line with the given heading mark, the line
  // carrying the record; the record keeps the line's index. (A blank text
  // still makes a line: the record always has one.)
  void write_finding(bool heading, FindingRecord record);

  // Writes the other console's lines after these, with their records, and
  // takes its series (see RunSeries::merge).
  void append(const Console& other);

  // The finding records of the run, in the order of their lines.
  const std::vector<FindingRecord>& records() const { return records_; }
  // Findings collected by an analysis and not yet listed.
  FindingList& pending_findings() { return pending_; }
  // Series over station kept by the analyses.
  RunSeries& series() { return series_; }
  const RunSeries& series() const { return series_; }

  std::size_t line_count() const { return lines_.size(); }
  // 0-based.
  const ConsoleLine& line(std::size_t i) const { return lines_.at(i); }
  const std::vector<ConsoleLine>& lines() const { return lines_; }

  // Observers are not owned; remove one before it is destroyed.
  void add_observer(ConsoleObserver* observer);
  void remove_observer(ConsoleObserver* observer);

 private:
  void write_line(unsigned flags, std::string_view text, FindingRecord* record);
  void notify(ConsoleObserver::Change change, std::size_t index);

  std::vector<ConsoleLine> lines_;
  std::vector<FindingRecord> records_;
  FindingList pending_;
  RunSeries series_;
  std::vector<ConsoleObserver*> observers_;
};

// The write request as the rest of the system calls it.
inline void console_write(Console& console, unsigned flags, std::string_view text = {}) {
  console.write(flags, text);
}

}  // namespace corvalinde
