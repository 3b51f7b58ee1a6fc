#include "services/message_table.h"

#include <cmath>

#include <dlfcn.h>

#include <exception>
#include <vector>

#include "services/diagnostic_log.h"
#include "services/service_text.h"
#include "services/settings_store.h"

namespace corvalinde {

namespace generated {
extern const unsigned char kMessageImageFrench[];
extern const std::size_t kMessageImageFrenchSize;
extern const unsigned char kMessageImageEnglish[];
extern const std::size_t kMessageImageEnglishSize;
extern const unsigned char kMessageImageIds[];
extern const std::size_t kMessageImageIdsSize;
}  // namespace generated

namespace {

using LanguageEntry = const unsigned char* (*)();

// The loaded table: its own copy of the offsets and stored text, so that it
// does not depend on where the image came from.
struct LoadedTable {
  MessageTableState state = MessageTableState::kNotInitialised;
  void* library = nullptr;
  unsigned selector = 0;
  int count = 0;
  std::vector<std::uint8_t> image;  // header, offsets and text area
  MessageImageView view;

  MessageLanguage language = MessageLanguage::kFrench;
  bool language_selected = false;
  std::span<const std::uint8_t> builtin_override;
};

LoadedTable& table() {
  static LoadedTable loaded;
  return loaded;
}

std::string library_name() {
  return application_base_name("so");
}

void release_table() {
  LoadedTable& t = table();
  if (t.state == MessageTableState::kLibrary && t.library != nullptr) ::dlclose(t.library);
  t.library = nullptr;
  t.state = MessageTableState::kNotInitialised;
  t.image.clear();
  t.view = MessageImageView{};
  t.count = 0;
  t.selector = 0;
}

// Copies a valid image into the table; the previous table is released.
MessageImageStatus adopt_image(std::span<const std::uint8_t> image, MessageTableState state, void* library) {
  MessageImageView checked;
  const MessageImageStatus status = read_message_image(image, checked);
  if (status != MessageImageStatus::kValid) return status;
  const std::size_t used = kMessageImageHeaderSize + checked.offsets.size() + checked.text.size();
  std::vector<std::uint8_t> copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(used));
  release_table();
  LoadedTable& t = table();
  t.image = std::move(copy);
  (void)read_message_image(t.image, t.view);
  t.count = t.view.count;
  t.selector = t.view.selector;
  t.state = state;
  t.library = library;
  return MessageImageStatus::kValid;
}

std::span<const std::uint8_t> chosen_builtin_image() {
  LoadedTable& t = table();
  if (!t.builtin_override.empty()) return t.builtin_override;
  if (!t.language_selected) {
    if (const auto language = parse_message_language(read_setting("Language", kMainSection))) {
      t.language = *language;
    }
  }
  return builtin_message_image(t.language);
}

[[noreturn]] void cannot_load() {
  fatal_error("Impossible de charger le fichier " + library_name());
}

void load_language_library() {
  const std::string path = program_file_path(library_name());
  // Only the library beside the program: a bare name would make the loader
  // search the system's library path.
  if (path.find('/') == std::string::npos) cannot_load();
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) cannot_load();
  void* entry = ::dlsym(library, kLanguageLibraryEntry);
  const unsigned char* image = nullptr;
  if (entry != nullptr) image = reinterpret_cast<LanguageEntry>(entry)();
  const std::size_t size = declared_message_image_size(image);
  if (size == 0 ||
      adopt_image({image, size}, MessageTableState::kLibrary, library) != MessageImageStatus::kValid) {
    ::dlclose(library);
    cannot_load();
  }
}

void initialise_table() {
  const std::span<const std::uint8_t> builtin = chosen_builtin_image();
  const bool has_builtin = builtin.size() >= 2 && (builtin[0] != 0 || builtin[1] != 0);
  if (!has_builtin) {
    load_language_library();
    return;
  }
  if (adopt_image(builtin, MessageTableState::kBuiltIn, nullptr) != MessageImageStatus::kValid) cannot_load();
}

}  // namespace

std::optional<MessageLanguage> parse_message_language(std::string_view name) {
  const std::string lower = service_text::to_lower(service_text::trim(name));
  if (lower == "fr") return MessageLanguage::kFrench;
  if (lower == "en") return MessageLanguage::kEnglish;
  if (lower == "ids") return MessageLanguage::kIds;
  return std::nullopt;
}

void select_message_language(MessageLanguage language) {
  table().language = language;
  table().language_selected = true;
}

std::span<const std::uint8_t> builtin_message_image(MessageLanguage language) {
  switch (language) {
    case MessageLanguage::kEnglish:
      return {generated::kMessageImageEnglish, generated::kMessageImageEnglishSize};
    case MessageLanguage::kIds:
      return {generated::kMessageImageIds, generated::kMessageImageIdsSize};
    case MessageLanguage::kFrench:
      break;
  }
  return {generated::kMessageImageFrench, generated::kMessageImageFrenchSize};
}

MessageTableState message_table_state() {
  return table().state;
}

std::string message_text(int n, std::size_t width) {
  LoadedTable& t = table();
  if (n == 0) {
    if (t.state == MessageTableState::kNotInitialised) {
      initialise_table();
    } else {
      release_table();
    }
    return std::string(width, ' ');
  }
  if (t.state == MessageTableState::kNotInitialised) {
    fatal_error("Fichier " + library_name() + " non chargé");
  }
  std::string work;
  if (n >= 1 && n <= t.count) work = expand_stored_entry(t.view.stored_entry(n), t.selector);
  return service_text::fit(work, width);
}

std::string message_trimmed(int n) {
  return std::string(service_text::trim_right(message_text(n, kMessageWorkWidth)));
}

MessageImageStatus load_message_image(std::span<const std::uint8_t> image) {
  return adopt_image(image, MessageTableState::kBuiltIn, nullptr);
}

void reset_message_table_for_tests() {
  release_table();
  LoadedTable& t = table();
  t.language = MessageLanguage::kFrench;
  t.language_selected = false;
  t.builtin_override = {};
}

void use_message_image_as_builtin_for_tests(std::span<const std::uint8_t> image) {
  table().builtin_override = image;
}

namespace detail {

double round_half_away(double x, int decimals) {
  // Beyond 2^52 a double has no fractional digits left to round.
  constexpr double kNoFraction = 4503599627370496.0;
  if (decimals < 0 || decimals > 15) return x;
  const double scale = std::pow(10.0, decimals);
  const double scaled = x * scale;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= kNoFraction) return x;
  return std::round(scaled) / scale;
}

std::string format_message_args(int n, std::size_t width, fmt::format_args args, std::size_t value_count) {
  const std::string pattern = message_trimmed(n);
  std::string text;
  try {
    text = fmt::vformat(pattern, args);
  } catch (const std::exception&) {
    // Every value has a plain "{}" form, so this pattern always formats.
    std::string plain;
    for (std::size_t i = 0; i < value_count; ++i) plain += " {}";
    try {
      text = pattern + fmt::vformat(plain, args);
    } catch (const std::exception&) {
      text = pattern;
    }
  }
  return service_text::fit(text, width);
}

}  // namespace detail

}  // namespace corvalinde
