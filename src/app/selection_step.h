// The selection step of the analysis run: takes the AnalysisSelection stored
// in the settings (or its defaults), lets an editor (the dialog, or the
// command-line options) change it through a SelectionModel, and stores it
// again when accepted. The step keeps a reference to the model (not owned)
// to know which analyses are available.
#pragma once

#include <functional>

#include "app/analysis_run.h"
#include "app/selection_model.h"

namespace corvalinde {

// The stored record, or the defaults of a record never stored (and whether it
// was found).
AnalysisSelection stored_selection(bool* found = nullptr);
bool store_selection(const AnalysisSelection& selection);

class StoredSelectionStep final : public SelectionStep {
 public:
  // Returns 0 to accept what the model holds, kCancelled to cancel.
  using Editor = std::function<int(SelectionModel&)>;
  struct Policy {
    bool store_defaults_when_missing = true;  // before the editor runs
    bool store_on_accept = true;
  };

  StoredSelectionStep(const RoadModel& model, Editor editor, Policy policy)
      : model_(model), editor_(std::move(editor)), policy_(policy) {}

  int select(AnalysisSelection& selection) override;

 private:
  const RoadModel& model_;
  Editor editor_;
  Policy policy_;
};

// Lets one selection step at a time near the settings file, whatever thread
// or run it belongs to: the front ends that review on several threads wrap
// their step in it. `step` is not owned and must outlive this object.
class SerialisedSelectionStep final : public SelectionStep {
 public:
  explicit SerialisedSelectionStep(SelectionStep& step) : step_(step) {}
  int select(AnalysisSelection& selection) override;

 private:
  SelectionStep& step_;
};

}  // namespace corvalinde
