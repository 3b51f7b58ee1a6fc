// The message-table image: its byte layout, its encodings (blank-run
// compression, the per-byte transforms and the final pass) and the reading of
// the readable message sources. Shared by the build-time message compiler and
// the run-time table. Pure functions; failures are returned as values, and an
// image of any content is checked without reading outside it.
//
// Layout (little-endian): int16 entry count N, two flag characters ("1" sets
// selector bit 0, "2" bit 1), uint16 reserved, (N+1) uint16 offsets that
// never decrease, then the stored bytes of all entries back to back. Entry n
// is the stored run from offset(n) - offset(1) to offset(n+1) - offset(1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

inline constexpr int kMessageCount = 395;
// Characters of the work text an entry expands into.
inline constexpr std::size_t kMessageWorkWidth = 1024;
// A stored 0xFF followed by a count byte k stands for k blanks.
inline constexpr std::uint8_t kBlankRunMarker = 0xFF;
inline constexpr std::size_t kMessageImageHeaderSize = 6;
inline constexpr std::string_view kBuiltInFlags = "12";

enum class MessageImageStatus {
  kValid,              // the image can be used
  kTruncatedHeader,    // shorter than the 6-byte header
  kBadCount,           // entry count below 1
  kTruncatedOffsets,   // the offset table runs past the end
  kDecreasingOffsets,  // an offset is smaller than the one before it
  kTruncatedText,      // the text area runs past the end
  kInvalidText,        // an entry does not expand to valid UTF-8
};

// A checked image; the spans point into the image it was read from.
struct MessageImageView {
  int count = 0;
  unsigned selector = 0;
  std::span<const std::uint8_t> offsets;  // (count + 1) little-endian uint16
  std::span<const std::uint8_t> text;     // offset(N+1) - offset(1) bytes

  std::size_t offset(int n) const;                          // offset(n), 1 <= n <= count + 1
  std::span<const std::uint8_t> stored_entry(int n) const;  // empty outside 1..count
};

// The transform selector of two flag characters.
unsigned selector_from_flags(char first, char second);

[[nodiscard]] MessageImageStatus read_message_image(std::span<const std::uint8_t> image,
                                                    MessageImageView& view);

// The size an image declares through its header and offsets, read from a
// pointer whose extent is unknown (an image handed over by a library); 0 when
// the header is not that of a usable image. Reads only the header and offsets.
std::size_t declared_message_image_size(const std::uint8_t* image);

// Per-byte transform of the selector (0: none) applied to the stored byte at
// index within its run, and its inverse.
std::uint8_t decode_stored_byte(unsigned selector, std::uint8_t byte, std::size_t index);
std::uint8_t encode_stored_byte(unsigned selector, std::uint8_t byte, std::size_t index);

// The final pass over the expanded work text (its own inverse). It changes
// only printable ASCII bytes other than the blank, so blanks and the UTF-8
// structure of the text are the same before and after it.
void final_pass(std::string& work);

// Entry text from its stored run: transform, blank-run expansion, final pass;
// cut to kMessageWorkWidth characters (never inside a character) and not
// padded. A count byte missing at the end of the run expands to nothing.
std::string expand_stored_entry(std::span<const std::uint8_t> stored, unsigned selector);

// The stored run of a text (trailing blanks are not stored).
std::vector<std::uint8_t> encode_entry(std::string_view text, unsigned selector);

// An image holding texts[n - 1] as entry n, with the given flag characters
// and reserved value 1. Empty when the text area would exceed 65535 bytes or
// there are more than 32767 entries.
std::optional<std::vector<std::uint8_t>> encode_message_image(std::span<const std::string> texts,
                                                              std::string_view flags = kBuiltInFlags);

// Readable message source: one message a line, number, tab, text (UTF-8).
// Blank lines and lines whose first field is not a number are ignored; a
// line ending in CR has it removed. Fails on a number outside 1..count, a
// number given twice, invalid UTF-8 or a text longer than kMessageWorkWidth
// characters, telling the 1-based line.
struct MessageSourceError {
  std::size_t line = 0;
  std::string reason;
};
[[nodiscard]] bool parse_message_source(std::string_view source, int count, std::vector<std::string>& texts,
                                        MessageSourceError& error);

}  // namespace corvalinde
