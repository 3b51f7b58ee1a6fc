// STEP physical files (the clear-text exchange structure IFC files are written
// in): a streaming reader that keeps every entity instance of the HEADER and
// DATA sections in a few flat arrays, and the lookups a model reader needs.
// A StepFile owns all it holds; StepValue and StepInstance are views into it,
// valid while it lives. Nothing throws: a read returns its status as a value
// with the line and column where it stopped, and keeps what it read up to there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvalinde::step {

enum class StepError : std::int32_t {
  none = 0,                 // the whole file was read
  cannot_open = 1,          // the file could not be opened
  read_failed = 2,          // the system failed while reading it
  not_a_step_file = 3,      // it does not begin with "ISO-10303-21;"
  unexpected_token = 4,     // a token the structure does not allow where it stands
  unterminated_string = 5,  // a string, binary or comment runs to the end of the input
  bad_string_encoding = 6,  // a \X2\, \X4\, \X\ or \S\ directive that is malformed
  number_out_of_range = 7,  // an integer beyond 64 bits or a real beyond double range
  duplicate_instance = 8,   // a second instance with the same #id (where: the second)
  too_large = 9,            // more than the store can index, or than memory can hold
  truncated = 10,           // the input ends before "END-ISO-10303-21;"
};

// A short English text for an error code (diagnostics and tests).
[[nodiscard]] const char* step_error_text(StepError error);

struct StepReadStatus {
  StepError error = StepError::none;
  int line = 0;    // on error: where reading stopped, from 1
  int column = 0;  // on error: characters (not bytes) from 1
  // Characters of strings that became U+FFFD (the file is read anyway): an
  // unpaired UTF-16 surrogate in \X2\, a \S\ character its code page lacks,
  // or bytes written outside any directive that are not UTF-8.
  std::size_t replaced_characters = 0;

  [[nodiscard]] bool ok() const { return error == StepError::none; }
};

enum class StepValueKind : std::uint8_t {
  absent = 0,       // not a value: an attribute index past the end, or a wrong step into a list
  unset = 1,        // $
  derived = 2,      // *
  integer = 3,      // 42, -7
  real = 4,         // 1.5, 2., -3.E-2
  string = 5,       // 'text', decoded to UTF-8
  enumeration = 6,  // .NAME. (also .T., .F., .U.), kept without the dots
  binary = 7,       // "0FF", kept as written without the quotes
  reference = 8,    // #12
  list = 9,         // (a, b, ...)
  typed = 10,       // IFCLENGTHMEASURE(1.5): a type name around one value
};

class StepFile;

// Bytes for the store's large arrays: blocks of 2 MB and more ask the system
// for huge pages where it grants them on request, so that filling the store
// costs a page fault per 2 MB rather than per 4 KB.
void* allocate_store_block(std::size_t bytes);
void release_store_block(void* block, std::size_t bytes);

template <class T>
struct StepStoreAllocator {
  using value_type = T;
  StepStoreAllocator() = default;
  template <class U>
  explicit StepStoreAllocator(const StepStoreAllocator<U>& /*other*/) {}
  T* allocate(std::size_t n) { return static_cast<T*>(allocate_store_block(n * sizeof(T))); }
  void deallocate(T* block, std::size_t n) { release_store_block(block, n * sizeof(T)); }
  friend bool operator==(const StepStoreAllocator&, const StepStoreAllocator&) { return true; }
};

// One value of an instance's attribute list. Accessors return nothing when
// the value is not of their kind.
class StepValue {
 public:
  StepValue() = default;

  [[nodiscard]] StepValueKind kind() const;
  [[nodiscard]] bool is_unset() const { return kind() == StepValueKind::unset; }

  [[nodiscard]] std::optional<std::int64_t> integer() const;
  // A real, or an integer taken as a real (some writers omit the point).
  [[nodiscard]] std::optional<double> real() const;
  // The decoded text of a string; the bytes as written for a binary.
  [[nodiscard]] std::optional<std::string_view> string() const;
  [[nodiscard]] std::optional<std::string_view> enumeration() const;
  [[nodiscard]] std::optional<std::uint64_t> reference() const;
  // .T. and .F.; nothing for .U. or any other value.
  [[nodiscard]] std::optional<bool> boolean() const;

  // A list's size and members (absent past the end); 0 for a value that is no list.
  [[nodiscard]] std::size_t size() const;
  [[nodiscard]] StepValue operator[](std::size_t index) const;

  // A typed value's type name (upper case) and the value it holds.
  [[nodiscard]] std::optional<std::string_view> type_name() const;
  [[nodiscard]] StepValue inner() const;
  // A real written bare or inside a typed value: IFCLENGTHMEASURE(1.5) gives 1.5.
  [[nodiscard]] std::optional<double> measure() const;

 private:
  friend class StepFile;
  StepValue(const StepFile* file, std::uint32_t index) : file_(file), index_(index) {}
  const StepFile* file_ = nullptr;
  std::uint32_t index_ = 0;
};

// One entity instance: #id=NAME(attributes);. A complex instance
// #id=(A(...)B(...)); has the empty type name and one typed value per part.
struct StepInstance {
  std::uint64_t id = 0;     // 0 for the header's entities
  std::uint32_t type = 0;   // index into the file's type names
  std::uint32_t line = 0;   // line where "#id" stands, from 1
  std::uint32_t first = 0;  // first attribute in the file's value store
  std::uint32_t count = 0;  // number of attributes
};

class StepFile {
 public:
  StepFile();

  // The DATA sections' instances in file order, and the HEADER's entities.
  [[nodiscard]] std::span<const StepInstance> instances() const { return instances_; }
  [[nodiscard]] std::span<const StepInstance> header() const { return header_; }
  [[nodiscard]] const StepInstance* header_entity(std::string_view type) const;

  // The instance with that id, or null when nothing has it (a reference that
  // points nowhere). One step only: a chain of references is followed by the
  // caller, one lookup at a time, so a cycle cannot run away.
  [[nodiscard]] const StepInstance* find(std::uint64_t id) const;
  [[nodiscard]] const StepInstance* resolve(const StepValue& value) const;
  // Every instance of that entity type (case-insensitive), in file order.
  [[nodiscard]] std::vector<const StepInstance*> instances_of(std::string_view type) const;
  [[nodiscard]] std::size_t count_of(std::string_view type) const;

  [[nodiscard]] std::string_view type_name(const StepInstance& instance) const;
  [[nodiscard]] bool is_a(const StepInstance& instance, std::string_view type) const;
  // Attribute `index` from 0; absent past the end.
  [[nodiscard]] StepValue attribute(const StepInstance& instance, std::size_t index) const;

  // The FILE_SCHEMA's first identifier (e.g. "IFC4X3_ADD2"), empty when none.
  [[nodiscard]] std::string_view schema() const;
  // Bytes the store's contents take (values, texts, instances and indexes);
  // capacity reserved and never written is not counted (it is never touched).
  [[nodiscard]] std::size_t memory_used() const;

 private:
  friend class StepValue;
  friend class StepReader;

  struct Value {
    StepValueKind kind = StepValueKind::absent;
    std::uint32_t a = 0;  // string: length; list: count; typed: type name index
    std::uint64_t b = 0;  // integer/real bits, reference id, text offset, first member
  };

  [[nodiscard]] std::uint32_t type_index(const std::string& upper_name) const;
  void build_indexes();

  std::vector<Value, StepStoreAllocator<Value>> values_;
  std::string text_;
  std::vector<std::string> type_names_;                         // upper case; index 0 is the empty name
  std::unordered_map<std::string, std::uint32_t> type_lookup_;  // names to indexes, the empty one left out
  std::vector<StepInstance, StepStoreAllocator<StepInstance>> instances_;
  std::vector<StepInstance> header_;
  std::vector<std::uint32_t> by_id_;    // instance indexes sorted by id
  std::vector<std::uint32_t> by_type_;  // instance indexes sorted by type, then file order
  std::vector<std::uint32_t> type_starts_;
};

// Reads a file, a piece at a time: memory grows with what it holds, never
// with a copy of the text. sha256, when given, receives the digest of the
// file's bytes as they were read when the whole file was read, else nothing.
[[nodiscard]] StepReadStatus read_step_file(const std::filesystem::path& path, StepFile& file,
                                            std::string* sha256 = nullptr);
// Reads a text already in memory.
[[nodiscard]] StepReadStatus read_step_text(std::string_view text, StepFile& file);

}  // namespace corvalinde::step
