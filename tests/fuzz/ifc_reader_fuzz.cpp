// Fuzz target for the IFC alignment reader: any bytes read to a mask that
// matches the tables present, every table obeys the model's invariants
// (elements in station order without gaps, every value finite), the choice
// of alignment is answered from the input, every console line is UTF-8, and
// a reading of the file already read gives the same mask and lines.
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
  const std::uint8_t seed = size > 0 ? data[size - 1] : 1;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SeededInterface ui(seed);
  UserInterface* previous = set_user_interface(&ui);
  Console console;
  RoadModel model;
  const int mask = read_ifc_text(console, model, text, "fuzz.ifc");
  check_model(model, mask);
  require(console.line_count() >= 1);
  for (const ConsoleLine& line : console.lines()) require(valid_utf8(line.text));

  SeededInterface again(seed);
  set_user_interface(&again);
  ParsedIfc parsed;
  parsed.status = step::read_step_text(text, parsed.file);
  Console shared_console;
  RoadModel shared_model;
  require(read_ifc(shared_console, shared_model, parsed, "fuzz.ifc") == mask);
  require(shared_console.line_count() == console.line_count());
  for (std::size_t i = 0; i < console.line_count(); ++i)
    require(shared_console.lines()[i].text == console.lines()[i].text);
  set_user_interface(previous);
  return 0;
}
