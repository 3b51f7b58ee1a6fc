// Fuzz target for the XML tree parser: any bytes either parse or fail with a
// position, both entry points (and a parse that skips content) agree, a parsed tree is sound (parent links,
// texts terminated inside their blocks, offsets within the text), lookups and
// additions on it work, and releasing it leaves no block behind.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "import/xml_tree.h"

namespace {

using namespace corvalinde;

void require(bool condition) {
  if (!condition) std::abort();
}

// A flat picture of the tree built without recursion (inputs nest deeply).
std::string serialize(const XmlElement& root, std::size_t text_size) {
  std::string out;
  struct Step {
    const XmlElement* element;
    int index;
  };
  std::vector<Step> path{{&root, 0}};
  while (!path.empty()) {
    Step& step = path.back();
    const XmlElement& element = *step.element;
    require(element.count >= 0 && element.count <= element.capacity);
    XmlEntry* entry = next_entry(element, step.index);
    if (entry == nullptr) {
      out += ')';
      path.pop_back();
      continue;
    }
    require(entry->source_offset <= text_size);
    switch (entry->kind) {
      case XmlEntryKind::element: {
        const XmlElement* child = entry->element();
        require(child != nullptr && child->parent == &element && child->name != nullptr);
        out += child->is_declaration != 0 ? "<?" : "<";
        out += child->name;
        out += '(';
        path.push_back({child, 0});
        break;
      }
      case XmlEntryKind::attribute: {
        const XmlAttribute* attribute = entry->attribute();
        require(std::strlen(attribute->name) <= text_size);
        out += '@';
        out += attribute->name;
        if (attribute->value != nullptr) {
          out += '=';
          out += attribute->value;
        }
        break;
      }
      case XmlEntryKind::text:
        out += '\'';
        out += entry->text()->value;
        break;
      case XmlEntryKind::section:
        out += entry->section()->opening_marker;
        out += entry->section()->value;
        break;
      case XmlEntryKind::empty:
        std::abort();
    }
    out += '\n';
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::int64_t blocks_before = xml_live_blocks();
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t text_size = std::strlen(text.c_str());

  int last_percent = -1;
  const XmlProgress progress = [&last_percent](int percent) {
    require(percent > last_percent && percent <= 100);
    last_percent = percent;
  };
  XmlParseResults borrowed;
  XmlParseResults owned;
  XmlTree tree = parse_xml(text.c_str(), &borrowed, progress);
  XmlTree owned_tree = parse_xml(std::string(text), &owned);
  require(borrowed.error == owned.error && borrowed.line == owned.line && borrowed.column == owned.column);
  require((tree == nullptr) == (borrowed.error != XmlError::none));
  require((owned_tree == nullptr) == (tree == nullptr));
  // Skipping content changes what is built, never whether or where the parse fails.
  XmlParseResults skipped;
  const XmlContentFilter skip_odd_names = [](const XmlElement&, std::string_view name) {
    return name.size() % 2 == 1;
  };
  XmlTree skipped_tree = parse_xml(std::string(text), &skipped, {}, skip_odd_names);
  require(skipped.error == owned.error && skipped.line == owned.line && skipped.column == owned.column &&
          skipped.opened_line == owned.opened_line && skipped.opened_column == owned.opened_column);
  if (skipped_tree != nullptr) (void)serialize(*skipped_tree, text_size);
  skipped_tree.reset();

  if (tree == nullptr) {
    require(borrowed.line >= 1 && borrowed.column >= 1);
  } else {
    require(tree->name == nullptr && tree->parent == nullptr);
    const std::string picture = serialize(*tree, text_size);
    require(picture == serialize(*owned_tree, text_size));

    // Lookups with paths taken from the input itself.
    const std::string_view view(text.c_str(), text_size);
    for (std::size_t cut = 0; cut < view.size() && cut < 48; cut += 7) {
      if (const XmlElement* found = find_element(*tree, view.substr(cut, 24))) {
        require(found->name != nullptr);
        (void)find_attribute(*found, view.substr(0, 8));
      }
    }
    // Additions and a detach keep the tree sound.
    int index = 0;
    if (XmlElement* first = next_element(*tree, index)) {
      (void)add_text(*first, view.substr(0, 16), 1);
      (void)add_attribute(*first, "k", std::nullopt, 5);
      XmlElement* added = add_element(*first, "n", true, 2);
      require(added != nullptr && added->parent == first);
      index = 0;
      if (XmlElement* inner = next_element(*first, index)) free_xml(inner);
      (void)serialize(*tree, text_size + 64);
    }
  }
  tree.reset();
  owned_tree.reset();
  require(xml_live_blocks() == blocks_before);
  return 0;
}
