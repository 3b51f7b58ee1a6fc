#include "output/finding_list.h"

#include <new>

#include "output/console.h"
#include "output/listings.h"
#include "output/utf8.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

void write_entry(Console& console, const Finding& finding, const FindingScope& scope) {
  FindingRecord record;
  record.review = scope.review;
  record.check = scope.check;
  record.from = scope.from;
  record.to = scope.to;
  record.verdict = finding.warning ? Verdict::kFail : Verdict::kWarning;
  record.message = finding.message;
  record.values = finding.values;
  record.text.reserve(2 + finding.text.size());
  record.text += kMarker;
  record.text += verdict_marker(record.verdict);
  record.text += finding.text;
  console.write_finding(true, std::move(record));
}

}  // namespace

void FindingList::add(bool warning, bool early, std::string_view text, int message,
                      std::vector<double> values) {
  // Growth has no recovery path: running out of memory here ends the program.
  try {
    Finding finding{utf8_fit(text, kTextWidth), warning, early, message, std::move(values)};
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + kGrowth);
    entries_.push_back(std::move(finding));
  } catch (const std::bad_alloc&) {
    fatal_error("finding list: out of memory");
  }
}

void FindingList::flush(Console& console, std::optional<std::string_view> heading,
                        const FindingScope& scope) {
  for (const Finding& finding : entries_) {
    if (finding.early) write_entry(console, finding, scope);
  }
  if (heading) console_write(console, kConsoleOrdinary, *heading);
  for (const Finding& finding : entries_) {
    if (!finding.early) write_entry(console, finding, scope);
  }
  entries_.clear();
}

void add_finding(Console& console, bool warning, bool early, std::string_view text) {
  console.pending_findings().add(warning, early, text);
}

void add_finding(Console& console, bool warning, bool early, int message) {
  console.pending_findings().add(warning, early, message_text(message, kListingLineWidth), message);
}

void add_remark(Console& console, bool early, std::string_view text) {
  add_finding(console, false, early, text);
}
void add_remark(Console& console, bool early, int message) {
  add_finding(console, false, early, message);
}
void add_warning(Console& console, bool early, std::string_view text) {
  add_finding(console, true, early, text);
}
void add_warning(Console& console, bool early, int message) {
  add_finding(console, true, early, message);
}

void add_finding_entry(Console& console, bool warning, bool early, std::string_view text, int message,
                       std::vector<double> values) {
  console.pending_findings().add(warning, early, text, message, std::move(values));
}

void flush_findings(Console& console, std::optional<std::string_view> heading, const FindingScope& scope) {
  console.pending_findings().flush(console, heading, scope);
}

}  // namespace corvalinde
