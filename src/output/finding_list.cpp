#include "output/finding_list.h"

#include <new>

#include "output/listings.h"
#include "output/utf8.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"

namespace corvalinde {
namespace {

void write_entry(Console& console, const Finding& finding) {
  std::string line;
  line.reserve(2 + finding.text.size());
  line += kMarker;
  line += finding.warning ? 'C' : 'G';
  line += finding.text;
  console_write(console, kConsoleHeadingLine, line);
}

}  // namespace

void FindingList::add(bool warning, bool early, std::string_view text) {
  // Growth has no recovery path: running out of memory here ends the program.
  try {
    Finding finding{utf8_fit(text, kTextWidth), warning, early};
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() + kGrowth);
    entries_.push_back(std::move(finding));
  } catch (const std::bad_alloc&) {
    fatal_error("finding list: out of memory");
  }
}

void FindingList::flush(Console& console, std::optional<std::string_view> heading) {
  for (const Finding& finding : entries_) {
    if (finding.early) write_entry(console, finding);
  }
  if (heading) console_write(console, kConsoleOrdinary, *heading);
  for (const Finding& finding : entries_) {
    if (!finding.early) write_entry(console, finding);
  }
  entries_.clear();
}

FindingList& finding_list() {
  static FindingList list;
  return list;
}

void add_finding(bool warning, bool early, std::string_view text) {
  finding_list().add(warning, early, text);
}

void add_finding(bool warning, bool early, int message) {
  finding_list().add(warning, early, message_text(message, kListingLineWidth));
}

void add_remark(bool early, std::string_view text) {
  add_finding(false, early, text);
}
void add_remark(bool early, int message) {
  add_finding(false, early, message);
}
void add_warning(bool early, std::string_view text) {
  add_finding(true, early, text);
}
void add_warning(bool early, int message) {
  add_finding(true, early, message);
}

void flush_findings(Console& console, std::optional<std::string_view> heading) {
  finding_list().flush(console, heading);
}

}  // namespace corvalinde
