// The analysis-selection dialog: a form of labelled widgets bound to one
// SelectionModel, which keeps the whole cascade. Every user action goes to
// the model and the widgets are then refreshed from it; the dialog keeps no
// state of its own. Also the translated names of road types.
#pragma once

#include <QDialog>
#include <QString>

#include <array>

#include "app/selection_model.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

namespace corvalinde::ui {

inline constexpr int kSelectionTitleMessage = 129;
inline constexpr int kSelectionFirstLabelMessage = 130;  // + control number

// "2 lanes", "3 lanes", "2x2 lanes" in the interface's language.
QString lane_arrangement_label(int lanes);
// "ARP R60 2 lanes": standard, category and lanes of a road-type code
// (empty for a code in no cell).
QString road_type_label_text(int code);

class SelectionDialog final : public QDialog {
  Q_OBJECT

 public:
  // The model is not owned; the dialog changes it while it runs.
  explicit SelectionDialog(SelectionModel& model, QWidget* parent = nullptr);

  // The widget of a control (0 to 10), for tests.
  QWidget* control(int n) const { return controls_.at(static_cast<std::size_t>(n)); }

 private:
  void show_model();
  void leave_number_field(int n);

  SelectionModel& model_;
  std::array<QWidget*, kSelectionControlCount> controls_{};
  QComboBox* standard_ = nullptr;
  QComboBox* category_ = nullptr;
  QComboBox* lanes_ = nullptr;
  QComboBox* lane_width_ = nullptr;
  QDoubleSpinBox* median_ = nullptr;
  QDoubleSpinBox* clearance_ = nullptr;
  bool showing_ = false;
};

// Runs the dialog modally on model. Returns 0 when accepted (the model then
// holds the user's choices) and kCancelled when escaped (the model restored).
int run_selection_dialog(SelectionModel& model);

}  // namespace corvalinde::ui
