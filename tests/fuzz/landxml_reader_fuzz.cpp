// Fuzz target for the LandXML reader: any bytes read to a mask that matches
// the tables present, every table obeys the model's invariants (elements in
// station order without gaps, crossfall points increasing, every value
// finite), choices are answered from the input, and the XML tree is released.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "import/landxml/landxml_reader.h"
#include "import/xml_tree.h"
#include "output/console.h"
#include "reader_fuzz_checks.h"
#include "road/road_model.h"
#include "services/message_table.h"
#include "services/user_interface.h"

using namespace corvalinde;
using namespace corvalinde::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialised = [] {
    select_message_language(MessageLanguage::kIds);
    (void)message_text(0, 0);
    return true;
  }();
  (void)initialised;
  const std::int64_t blocks_before = xml_live_blocks();
  SeededInterface ui(size > 0 ? data[size - 1] : 1);
  UserInterface* previous = set_user_interface(&ui);
  Console console;
  RoadModel model;
  const int mask =
      read_landxml_text(console, model, std::string(reinterpret_cast<const char*>(data), size), "fuzz.xml");
  check_model(model, mask);
  require(console.line_count() >= 1);
  for (const ConsoleLine& line : console.lines()) require(valid_utf8(line.text));
  set_user_interface(previous);
  require(xml_live_blocks() == blocks_before);
  return 0;
}
