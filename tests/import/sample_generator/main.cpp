// native_sample_generator DESCRIPTION OUTPUT: builds the design that a
// readable description gives and writes it as a native design file.
// Exit status 0 on success, 1 when the description or the output fails.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "import/native_design_writer.h"
#include "sample_generator/design_description.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: native_sample_generator DESCRIPTION OUTPUT\n";
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const corvalinde::sample::BuildResult built = corvalinde::sample::build_design(text.str());
  if (!built.ok) {
    std::cerr << argv[1] << ": " << built.error << '\n';
    return 1;
  }
  if (const corvalinde::NativeWriteStatus status =
          corvalinde::write_native_design(built.model, std::string(argv[2]));
      status != corvalinde::NativeWriteStatus::kOk) {
    std::cerr << argv[2] << ": cannot be written: " << corvalinde::native_write_status_text(status) << '\n';
    return 1;
  }
  const corvalinde::RoadModel& m = built.model;
  std::cout << argv[2] << ": " << m.plan_count() << " plan elements, " << m.profile_count()
            << " profile elements, " << m.crossfall_count() << " crossfall points, "
            << m.plan(m.plan_count()).end_station - m.plan(1).start_station << " m\n";
  return 0;
}
