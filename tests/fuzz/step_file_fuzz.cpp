// Fuzz target for the STEP reader: any bytes either read whole or stop with a
// position inside the text; every instance kept is reachable by its id and by
// its type; every value is walked (without recursion: inputs nest deeply)
// through accessors that agree with its kind; strings are UTF-8; references
// resolve or give null.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "import/step/step_file.h"

namespace {

using namespace corvalinde::step;

void require(bool condition) {
  if (!condition) std::abort();
}

// Well-formed UTF-8: no stray continuation, no overlong form, no surrogate,
// nothing past U+10FFFF.
bool is_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && c < 0x800) || (length == 4 && c < 0x10000) || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

void walk_values(const StepFile& file, const StepInstance& instance) {
  std::vector<StepValue> stack;
  for (std::size_t i = 0; i < instance.count; ++i) stack.push_back(file.attribute(instance, i));
  require(file.attribute(instance, instance.count).kind() == StepValueKind::absent);
  while (!stack.empty()) {
    const StepValue value = stack.back();
    stack.pop_back();
    const StepValueKind kind = value.kind();
    require(kind != StepValueKind::absent);
    require(value.integer().has_value() == (kind == StepValueKind::integer));
    require(value.real().has_value() == (kind == StepValueKind::integer || kind == StepValueKind::real));
    require(value.string().has_value() == (kind == StepValueKind::string || kind == StepValueKind::binary));
    require(value.reference().has_value() == (kind == StepValueKind::reference));
    if (const auto real = value.real()) require(*real == *real);  // never NaN
    if (const auto name = value.enumeration()) require(!name->empty());
    if (kind == StepValueKind::string) require(is_utf8(*value.string()));
    if (kind == StepValueKind::reference) {
      const StepInstance* target = file.resolve(value);
      require(target == nullptr || target->id == *value.reference());
    }
    if (kind == StepValueKind::list) {
      for (std::size_t i = 0; i < value.size(); ++i) stack.push_back(value[i]);
      require(value[value.size()].kind() == StepValueKind::absent);
    } else {
      require(value.size() == 0);
    }
    if (kind == StepValueKind::typed) {
      require(value.type_name().has_value() && !value.type_name()->empty());
      stack.push_back(value.inner());
    } else {
      require(value.inner().kind() == StepValueKind::absent);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = 1;
  for (const char c : text) lines += c == '\n' ? 1 : 0;

  StepFile file;
  const StepReadStatus status = read_step_text(text, file);
  if (!status.ok()) {
    require(status.line >= 1 && status.line <= lines && status.column >= 1);
    require(static_cast<std::size_t>(status.column) <= size + 1);
  }
  for (const StepInstance& entity : file.header()) {
    require(entity.id == 0 && !file.type_name(entity).empty());
    walk_values(file, entity);
  }
  for (const StepInstance& instance : file.instances()) {
    require(instance.line >= 1 && static_cast<int>(instance.line) <= lines);
    const StepInstance* found = file.find(instance.id);
    require(found != nullptr && found->id == instance.id);
    const std::string_view type = file.type_name(instance);
    require(file.is_a(instance, type));
    if (!type.empty()) {
      const std::vector<const StepInstance*> same = file.instances_of(type);
      require(same.size() == file.count_of(type) && !same.empty());
      for (std::size_t i = 1; i < same.size(); ++i) require(same[i - 1] < same[i]);
    }
    walk_values(file, instance);
  }
  (void)file.schema();
  require(file.memory_used() >= file.instances().size() * sizeof(StepInstance));
  return 0;
}
