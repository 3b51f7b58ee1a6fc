// Text files saved as UTF-16 (as some Windows editors and exporters do) made
// readable by the readers, which read UTF-8. A pure function on bytes.
#pragma once

#include <string>

namespace corvalinde {

// Bytes in UTF-16, little or big endian, told by the byte-order mark or, without
// one, by two plain ASCII characters each beside a zero byte at the start,
// rewritten in place as UTF-8 without the mark. An unpaired surrogate becomes
// U+FFFD and an odd last byte is dropped. Returns false, leaving the bytes as
// they were, for anything else (UTF-8 and single-byte texts have no zero bytes
// among their first four).
bool utf16_to_utf8(std::string& text);

}  // namespace corvalinde
