// Fuzz target for the IFC alignment reader: any bytes read to a mask that
// matches the tables present, every table obeys the model's invariants
// (elements in station order without gaps, every value finite), the choice
// of alignment is answered from the input, and every console line is UTF-8.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "import/ifc/ifc_reader.h"
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
  SeededInterface ui(size > 0 ? data[size - 1] : 1);
  UserInterface* previous = set_user_interface(&ui);
  Console console;
  RoadModel model;
  const int mask =
      read_ifc_text(console, model, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.ifc");
  check_model(model, mask);
  require(console.line_count() >= 1);
  for (const ConsoleLine& line : console.lines()) require(valid_utf8(line.text));
  set_user_interface(previous);
  return 0;
}
