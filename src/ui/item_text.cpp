#include "ui/item_text.h"

namespace corvalinde::ui {
namespace {

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> split_items(std::string_view text) {
  std::vector<std::string> items;
  if (trim_blanks(text).empty()) return items;
  for (;;) {
    const std::size_t bar = text.find(kItemSeparator);
    items.emplace_back(trim_blanks(text.substr(0, bar)));
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  return items;
}

}  // namespace corvalinde::ui
