// The analysis-selection dialog: eleven labelled controls bound to one
// SelectionModel, which keeps the whole cascade; the dialog only mirrors the
// model into its widgets and passes the user's actions on. The caller owns
// the model; the dialog changes it only while it runs. Never fails: a run
// without a screen ends as cancelled.
#pragma once

#include "app/selection_model.h"
#include "ui/dialog.h"

namespace corvalinde::ui {

inline constexpr int kSelectionTitleMessage = 129;
inline constexpr int kSelectionFirstLabelMessage = 130;  // + control number
// Label of control n is static control kSelectionLabelBase + n.
inline constexpr int kSelectionLabelBase = 20;
// The code the dialog ends with when accepted (kEventCancel when escaped).
inline constexpr int kSelectionAccepted = 1;

class SelectionDialogProcedure final : public DialogProcedure {
 public:
  explicit SelectionDialogProcedure(SelectionModel& model) : model_(model) {}

  void initialise(Dialog& dialog) override;
  void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) override;

 private:
  // Copies lists, selections, checks and enabled states from the model.
  void show_model(Dialog& dialog);
  void control_changed(Dialog& dialog, int n, int notification);

  SelectionModel& model_;
};

// Runs the dialog on model. Returns 0 when accepted (the model then holds
// the user's choices) and kCancelled when escaped (the model is restored).
int run_selection_dialog(SelectionModel& model);

}  // namespace corvalinde::ui
