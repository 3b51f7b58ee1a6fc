#include "services/message_image.h"

#include <limits>

#include "services/service_text.h"
#include "services/utf8_decoder.h"

namespace corvalinde {
namespace {

constexpr std::uint8_t kXorSelector1 = 0x5A;
constexpr std::uint8_t kShiftSelector2 = 0x3D;
constexpr unsigned kKeyStartSelector3 = 0xA7;
constexpr unsigned kKeyStepSelector3 = 13;
// The shortest blank run worth the two-byte marker, and the longest one
// marker can hold.
constexpr std::size_t kMinCompressedRun = 3;
constexpr std::size_t kMaxCompressedRun = 255;
// Every character takes at most four bytes, so this many expanded bytes hold
// at least kMessageWorkWidth characters.
constexpr std::size_t kWorkByteLimit = 4 * kMessageWorkWidth;
constexpr std::size_t kMaxTextArea = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kMaxEntries = static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max());
constexpr std::uint16_t kReservedValue = 1;

std::size_t read_u16(const std::uint8_t* bytes) {
  return static_cast<std::size_t>(bytes[0]) | (static_cast<std::size_t>(bytes[1]) << 8);
}

void put_u16(std::vector<std::uint8_t>& out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFU));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFU));
}

int read_count(const std::uint8_t* bytes) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(read_u16(bytes)));
}

std::uint8_t selector3_key(std::size_t index) {
  return static_cast<std::uint8_t>((kKeyStartSelector3 + kKeyStepSelector3 * (index & 0xFFU)) & 0xFFU);
}

}  // namespace

std::size_t MessageImageView::offset(int n) const {
  return read_u16(offsets.data() + 2 * static_cast<std::size_t>(n - 1));
}

std::span<const std::uint8_t> MessageImageView::stored_entry(int n) const {
  if (n < 1 || n > count) return {};
  const std::size_t base = offset(1);
  return text.subspan(offset(n) - base, offset(n + 1) - offset(n));
}

unsigned selector_from_flags(char first, char second) {
  unsigned selector = 0;
  for (const char flag : {first, second}) {
    if (flag == '1') selector |= 1U;
    if (flag == '2') selector |= 2U;
  }
  return selector;
}

MessageImageStatus read_message_image(std::span<const std::uint8_t> image, MessageImageView& view) {
  if (image.size() < kMessageImageHeaderSize) return MessageImageStatus::kTruncatedHeader;
  const int count = read_count(image.data());
  if (count < 1) return MessageImageStatus::kBadCount;
  const std::size_t offsets_size = 2 * (static_cast<std::size_t>(count) + 1);
  if (image.size() - kMessageImageHeaderSize < offsets_size) return MessageImageStatus::kTruncatedOffsets;
  const std::uint8_t* offsets = image.data() + kMessageImageHeaderSize;
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) {
    if (read_u16(offsets + 2 * i) < read_u16(offsets + 2 * (i - 1))) {
      return MessageImageStatus::kDecreasingOffsets;
    }
  }
  const std::size_t text_size = read_u16(offsets + 2 * static_cast<std::size_t>(count)) - read_u16(offsets);
  const std::size_t text_start = kMessageImageHeaderSize + offsets_size;
  if (image.size() - text_start < text_size) return MessageImageStatus::kTruncatedText;
  MessageImageView checked;
  checked.count = count;
  checked.selector = selector_from_flags(static_cast<char>(image[2]), static_cast<char>(image[3]));
  checked.offsets = image.subspan(kMessageImageHeaderSize, offsets_size);
  checked.text = image.subspan(text_start, text_size);
  // Every text ends up in console lines and windows, which hold UTF-8.
  for (int n = 1; n <= count; ++n) {
    if (!is_valid_utf8(expand_stored_entry(checked.stored_entry(n), checked.selector))) {
      return MessageImageStatus::kInvalidText;
    }
  }
  view = checked;
  return MessageImageStatus::kValid;
}

std::size_t declared_message_image_size(const std::uint8_t* image) {
  if (image == nullptr) return 0;
  const int count = read_count(image);
  if (count < 1) return 0;
  const std::uint8_t* offsets = image + kMessageImageHeaderSize;
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) {
    if (read_u16(offsets + 2 * i) < read_u16(offsets + 2 * (i - 1))) return 0;
  }
  const std::size_t offsets_size = 2 * (static_cast<std::size_t>(count) + 1);
  const std::size_t text_size = read_u16(offsets + 2 * static_cast<std::size_t>(count)) - read_u16(offsets);
  return kMessageImageHeaderSize + offsets_size + text_size;
}

std::uint8_t decode_stored_byte(unsigned selector, std::uint8_t byte, std::size_t index) {
  switch (selector) {
    case 1:
      return static_cast<std::uint8_t>(byte ^ kXorSelector1);
    case 2:
      return static_cast<std::uint8_t>((byte + kShiftSelector2) & 0xFFU);
    case 3:
      return static_cast<std::uint8_t>(byte ^ selector3_key(index));
    default:
      return byte;
  }
}

std::uint8_t encode_stored_byte(unsigned selector, std::uint8_t byte, std::size_t index) {
  switch (selector) {
    case 2:
      return static_cast<std::uint8_t>((byte - kShiftSelector2) & 0xFFU);
    default:
      return decode_stored_byte(selector, byte, index);  // the XOR forms are their own inverse
  }
}

void final_pass(std::string& work) {
  // Rotation by 47 within the 94 printable characters '!' to '~'.
  for (char& c : work) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= '!' && byte <= '~') c = static_cast<char>('!' + (byte - '!' + 47) % 94);
  }
}

std::string expand_stored_entry(std::span<const std::uint8_t> stored, unsigned selector) {
  std::string work;
  const std::size_t length = stored.size();
  for (std::size_t i = 0; i < length && work.size() < kWorkByteLimit;) {
    const std::uint8_t byte = decode_stored_byte(selector, stored[i], i);
    if (byte != kBlankRunMarker) {
      work.push_back(static_cast<char>(byte));
      ++i;
      continue;
    }
    if (i + 1 >= length) break;
    const std::size_t blanks = decode_stored_byte(selector, stored[i + 1], i + 1);
    work.append(std::min(blanks, kWorkByteLimit - work.size()), ' ');
    i += 2;
  }
  final_pass(work);
  work.resize(service_text::char_prefix(work, kMessageWorkWidth).size());
  return work;
}

std::vector<std::uint8_t> encode_entry(std::string_view text, unsigned selector) {
  std::string plain(service_text::trim_right(text));
  final_pass(plain);
  std::vector<std::uint8_t> packed;
  for (std::size_t i = 0; i < plain.size();) {
    std::size_t run = 0;
    while (i + run < plain.size() && plain[i + run] == ' ' && run < kMaxCompressedRun) ++run;
    if (run >= kMinCompressedRun) {
      packed.push_back(kBlankRunMarker);
      packed.push_back(static_cast<std::uint8_t>(run));
      i += run;
    } else {
      packed.push_back(static_cast<std::uint8_t>(plain[i]));
      ++i;
    }
  }
  for (std::size_t i = 0; i < packed.size(); ++i) packed[i] = encode_stored_byte(selector, packed[i], i);
  return packed;
}

std::optional<std::vector<std::uint8_t>> encode_message_image(std::span<const std::string> texts,
                                                              std::string_view flags) {
  if (texts.empty() || texts.size() > kMaxEntries) return std::nullopt;
  const char first = flags.size() > 0 ? flags[0] : ' ';
  const char second = flags.size() > 1 ? flags[1] : ' ';
  const unsigned selector = selector_from_flags(first, second);
  std::vector<std::uint8_t> area;
  std::vector<std::size_t> offsets{0};
  for (const std::string& text : texts) {
    const std::vector<std::uint8_t> stored = encode_entry(text, selector);
    area.insert(area.end(), stored.begin(), stored.end());
    if (area.size() > kMaxTextArea) return std::nullopt;
    offsets.push_back(area.size());
  }
  std::vector<std::uint8_t> image;
  put_u16(image, texts.size());
  image.push_back(static_cast<std::uint8_t>(first));
  image.push_back(static_cast<std::uint8_t>(second));
  put_u16(image, kReservedValue);
  for (const std::size_t offset : offsets) put_u16(image, offset);
  image.insert(image.end(), area.begin(), area.end());
  return image;
}

bool parse_message_source(std::string_view source, int count, std::vector<std::string>& texts,
                          MessageSourceError& error) {
  texts.assign(static_cast<std::size_t>(std::max(count, 0)), std::string());
  std::vector<bool> seen(texts.size(), false);
  if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);
  std::size_t line_number = 0;
  while (!source.empty()) {
    ++line_number;
    const std::size_t end = source.find('\n');
    std::string_view line = source.substr(0, end);
    source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    const std::string_view field = service_text::trim(line.substr(0, tab));
    if (field.empty() || field.size() > 9 ||
        field.find_first_not_of("0123456789") != std::string_view::npos) {
      continue;
    }
    const std::string_view text = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    const auto fail = [&](std::string reason) {
      error.line = line_number;
      error.reason = std::move(reason);
      return false;
    };
    const int number = std::stoi(std::string(field));
    if (number < 1 || number > count) {
      return fail("message number " + std::to_string(number) + " outside 1.." + std::to_string(count));
    }
    const auto index = static_cast<std::size_t>(number - 1);
    if (seen[index]) return fail("message " + std::to_string(number) + " given twice");
    if (!is_valid_utf8(text)) return fail("message " + std::to_string(number) + " is not valid UTF-8");
    if (service_text::char_count(text) > kMessageWorkWidth) {
      return fail("message " + std::to_string(number) + " longer than " + std::to_string(kMessageWorkWidth) +
                  " characters");
    }
    seen[index] = true;
    texts[index] = text;
  }
  return true;
}

}  // namespace corvalinde
