#include "app/core_application.h"

#include "import/native_design_reader.h"

namespace corvalinde {
namespace {

class NativeReader final : public DesignReader {
 public:
  int read(Console& console, RoadModel& model, const std::string& path) override {
    return read_native_design(console, model, path);
  }
};

}  // namespace

struct CoreApplication::Parts {
  NativeReader native;
  AnalysisRun run;
};

CoreApplication::CoreApplication() : parts_(std::make_unique<Parts>()) {
  parts_->run.model = &model_;
  parts_->run.native_reader = &parts_->native;
}

CoreApplication::~CoreApplication() = default;

RunOutcome CoreApplication::open_design(const std::string& path, int file_type, SelectionStep& step) {
  parts_->run.selection_step = &step;
  RunOutcome outcome = corvalinde::open_design(parts_->run, console_, path, file_type);
  parts_->run.selection_step = nullptr;
  return outcome;
}

}  // namespace corvalinde
