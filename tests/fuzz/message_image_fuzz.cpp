// Fuzz target for the message-table image loader: any bytes are either
// refused (and the table loaded before stays in use) or become a table whose
// every lookup, at any width, is valid UTF-8 of exactly that width, and whose
// texts, used as templates with values of every type, never throw.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "../reliability/text_checks.h"
#include "services/message_image.h"
#include "services/message_table.h"

namespace {

using namespace corvalinde;

// Lookups per input: the numbers around the program's range and the end of
// the image's own.
constexpr int kLookupsBeyond = 3;
constexpr int kProgramMessages = 395;

void require(bool condition) {
  if (!condition) std::abort();
}

void check_lookup(int n, std::size_t width) {
  const std::string text = message_text(n, width);
  require(reliability::is_valid_utf8(text) && reliability::utf8_characters(text) == width);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  select_message_language(MessageLanguage::kIds);
  static_cast<void>(message_text(0, 1));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  require(load_message_image(builtin_message_image(MessageLanguage::kIds)) == MessageImageStatus::kValid);
  const std::vector<std::uint8_t> image(data, data + size);
  MessageImageView view;
  const MessageImageStatus status = read_message_image(image, view);
  require(load_message_image(image) == status);
  if (status != MessageImageStatus::kValid) {
    require(message_trimmed(55) == "#55 {}");
    return 0;
  }
  require(view.count >= 1 && view.selector <= 3);
  const std::size_t width = size > 0 ? 1 + data[size - 1] % 200 : 80;
  const int last = view.count < kProgramMessages ? view.count : kProgramMessages;
  for (int n = -1; n <= last + kLookupsBeyond; ++n) {
    if (n != 0) check_lookup(n, width);
  }
  for (int n = view.count - kLookupsBeyond; n <= view.count + kLookupsBeyond; ++n) {
    if (n > last + kLookupsBeyond) check_lookup(n, width);
  }
  // Any text may be a bad translation of a template: formatting never throws
  // and gives the width asked for.
  for (int n = 1; n <= last; ++n) {
    const std::string formatted = format_message(n, width, 42, -1234.5, std::string("CLO001"));
    require(reliability::is_valid_utf8(formatted) && reliability::utf8_characters(formatted) == width);
  }
  return 0;
}
