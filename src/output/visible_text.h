// Text from a file or a path made safe to show: every control character
// (C0, DEL and the C1 range U+0080 to U+009F) is written as a visible escape
// such as \x0B, so that no name can carry a verdict marker, move the cursor or
// clear a terminal. Pure function; other bytes (invalid UTF-8 included) are
// kept as they are.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde {

[[nodiscard]] std::string visible_text(std::string_view text);

}  // namespace corvalinde
