// Texts that list several items in one message: menu entries, menu-bar
// titles and button labels are separated by '|'; an item "-" is a separator
// line. Pure text handling; never fails.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::ui {

inline constexpr char kItemSeparator = '|';
inline constexpr std::string_view kSeparatorItem = "-";

// The items of text, blanks around each removed. A blank text gives no item;
// empty items between two separators are kept (as empty strings).
std::vector<std::string> split_items(std::string_view text);

}  // namespace corvalinde::ui
