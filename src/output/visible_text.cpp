#include "output/visible_text.h"

#include <fmt/format.h>

namespace corvalinde {
namespace {

constexpr unsigned char kDelete = 0x7F;
// The C1 controls are U+0080 to U+009F: in UTF-8, 0xC2 followed by 0x80 to 0x9F.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1First = 0x80;
constexpr unsigned char kC1Last = 0x9F;

}  // namespace

std::string visible_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == kDelete) {
      out += fmt::format("\\x{:02X}", byte);
      continue;
    }
    if (byte == kC1Lead && i + 1 < text.size()) {
      const auto next = static_cast<unsigned char>(text[i + 1]);
      if (next >= kC1First && next <= kC1Last) {
        out += fmt::format("\\x{:02X}", next);
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace corvalinde
