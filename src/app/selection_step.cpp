#include "app/selection_step.h"

#include <mutex>

#include "services/settings_store.h"

namespace corvalinde {

AnalysisSelection stored_selection(bool* found) {
  std::array<std::uint8_t, AnalysisSelection::kSize> bytes = AnalysisSelection{}.to_bytes();
  const bool ok = read_setting_record(AnalysisSelection::kRecordNumber, bytes);
  if (found != nullptr) *found = ok;
  return ok ? AnalysisSelection::from_bytes(bytes) : AnalysisSelection{};
}

bool store_selection(const AnalysisSelection& selection) {
  const auto bytes = selection.to_bytes();
  return write_setting_record(AnalysisSelection::kRecordNumber, bytes);
}

int StoredSelectionStep::select(AnalysisSelection& selection) {
  bool found = false;
  AnalysisSelection record = stored_selection(&found);
  if (!found && policy_.store_defaults_when_missing) store_selection(record);

  SelectionModel edit(record, DesignTables::of(model_));
  if (editor_ && editor_(edit) == kCancelled) return kCancelled;

  selection = edit.accepted();
  if (policy_.store_on_accept) store_selection(selection);
  return 0;
}

int SerialisedSelectionStep::select(AnalysisSelection& selection) {
  static std::mutex settings_file;
  const std::lock_guard lock(settings_file);
  return step_.select(selection);
}

}  // namespace corvalinde
