#include "services/message_table.h"

#include <cmath>

#include <dlfcn.h>

#include <exception>
#include <memory>
#include <mutex>
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

// A loaded table: its own copy of the offsets and stored text, so that it
// does not depend on where the image came from. Never changed once made:
// lookups on any thread read it without a lock, and a release or a reload
// only replaces the table that the next lookups see.
struct LoadedTable {
  MessageTableState state = MessageTableState::kNotInitialised;
  void* library = nullptr;  // the language library, closed with the table
  unsigned selector = 0;
  int count = 0;
  std::vector<std::uint8_t> image;  // header, offsets and text area
  MessageImageView view;

  LoadedTable() = default;
  LoadedTable(const LoadedTable&) = delete;
  LoadedTable& operator=(const LoadedTable&) = delete;
  ~LoadedTable() {
    if (library != nullptr) ::dlclose(library);
  }
};

// The table the process uses and what its next initialisation reads. The
// mutex guards every member; a lookup only copies `table` under it.
struct TableSlot {
  std::mutex mutex;
  std::shared_ptr<const LoadedTable> table;
  MessageLanguage language = MessageLanguage::kFrench;
  bool language_selected = false;
  std::span<const std::uint8_t> builtin_override;
};

TableSlot& slot() {
  static TableSlot the_slot;
  return the_slot;
}

std::shared_ptr<const LoadedTable> current_table() {
  TableSlot& s = slot();
  const std::lock_guard lock(s.mutex);
  return s.table;
}

std::string library_name() {
  return application_base_name("so");
}

// A table holding a copy of a valid image; null (and the status) otherwise.
std::shared_ptr<LoadedTable> table_of(std::span<const std::uint8_t> image, MessageTableState state,
                                      MessageImageStatus& status) {
  MessageImageView checked;
  status = read_message_image(image, checked);
  if (status != MessageImageStatus::kValid) return nullptr;
  const std::size_t used = kMessageImageHeaderSize + checked.offsets.size() + checked.text.size();
  auto table = std::make_shared<LoadedTable>();
  table->image.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(used));
  (void)read_message_image(table->image, table->view);
  table->count = table->view.count;
  table->selector = table->view.selector;
  table->state = state;
  return table;
}

// Called with the slot locked.
std::span<const std::uint8_t> chosen_builtin_image(TableSlot& s) {
  if (!s.builtin_override.empty()) return s.builtin_override;
  if (!s.language_selected) {
    if (const auto language = parse_message_language(read_setting("Language", kMainSection))) {
      s.language = *language;
    }
  }
  return builtin_message_image(s.language);
}

[[noreturn]] void cannot_load() {
  fatal_error("Impossible de charger le fichier " + library_name());
}

// The table of the language library beside the program; null when it cannot
// be loaded.
std::shared_ptr<const LoadedTable> language_library_table() {
  const std::string path = program_file_path(library_name());
  // Only the library beside the program: a bare name would make the loader
  // search the system's library path.
  if (path.find('/') == std::string::npos) return nullptr;
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  void* entry = ::dlsym(library, kLanguageLibraryEntry);
  const unsigned char* image = nullptr;
  if (entry != nullptr) image = reinterpret_cast<LanguageEntry>(entry)();
  const std::size_t size = declared_message_image_size(image);
  MessageImageStatus status = MessageImageStatus::kValid;
  std::shared_ptr<LoadedTable> table;
  if (size != 0) table = table_of({image, size}, MessageTableState::kLibrary, status);
  if (!table) {
    ::dlclose(library);
    return nullptr;
  }
  table->library = library;
  return table;
}

// The table an initialisation makes; null when it cannot be made. Called
// with the slot locked.
std::shared_ptr<const LoadedTable> initial_table(TableSlot& s) {
  const std::span<const std::uint8_t> builtin = chosen_builtin_image(s);
  const bool has_builtin = builtin.size() >= 2 && (builtin[0] != 0 || builtin[1] != 0);
  if (!has_builtin) return language_library_table();
  MessageImageStatus status = MessageImageStatus::kValid;
  return table_of(builtin, MessageTableState::kBuiltIn, status);
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
  TableSlot& s = slot();
  const std::lock_guard lock(s.mutex);
  s.language = language;
  s.language_selected = true;
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
  const auto table = current_table();
  return table ? table->state : MessageTableState::kNotInitialised;
}

std::string message_text(int n, std::size_t width) {
  if (n == 0) {
    bool failed = false;
    {
      TableSlot& s = slot();
      const std::lock_guard lock(s.mutex);
      if (s.table) {
        s.table.reset();
      } else {
        s.table = initial_table(s);
        failed = !s.table;
      }
    }
    // Outside the lock: the fatal path shows a window, which may look up texts.
    if (failed) cannot_load();
    return std::string(width, ' ');
  }
  const auto table = current_table();
  if (!table) fatal_error("Fichier " + library_name() + " non chargé");
  std::string work;
  if (n >= 1 && n <= table->count) work = expand_stored_entry(table->view.stored_entry(n), table->selector);
  return service_text::fit(work, width);
}

std::string message_trimmed(int n) {
  return std::string(service_text::trim_right(message_text(n, kMessageWorkWidth)));
}

MessageImageStatus load_message_image(std::span<const std::uint8_t> image) {
  MessageImageStatus status = MessageImageStatus::kValid;
  auto table = table_of(image, MessageTableState::kBuiltIn, status);
  if (!table) return status;
  TableSlot& s = slot();
  const std::lock_guard lock(s.mutex);
  s.table = std::move(table);
  return status;
}

void reset_message_table_for_tests() {
  TableSlot& s = slot();
  const std::lock_guard lock(s.mutex);
  s.table.reset();
  s.language = MessageLanguage::kFrench;
  s.language_selected = false;
  s.builtin_override = {};
}

void use_message_image_as_builtin_for_tests(std::span<const std::uint8_t> image) {
  TableSlot& s = slot();
  const std::lock_guard lock(s.mutex);
  s.builtin_override = image;
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
