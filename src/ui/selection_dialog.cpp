#include "ui/selection_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/road_types.h"
#include "ui/controls.h"
#include "ui/number_field.h"

namespace corvalinde::ui {
namespace {

constexpr int kMargin = 12;      // pixels around the controls
constexpr int kGap = 8;          // between a label and its control
constexpr int kRowSpacing = 6;   // between rows
constexpr int kComboChars = 12;  // width of the drop-down lists in character cells
constexpr int kFieldChars = 4;
constexpr int kFieldDecimals = 1;
constexpr int kButtonGap = 14;  // above the push buttons

bool is_combo(int n) {
  return n == kStandardControl || n == kCategoryControl || n == kLanesControl || n == kLaneWidthControl;
}
bool is_field(int n) {
  return n == kMedianWidthControl || n == kSideClearanceControl;
}

std::vector<std::string> lane_entries(const std::vector<int>& lanes) {
  std::vector<std::string> items;
  for (int k : lanes) items.emplace_back(lane_text(k));
  return items;
}

std::vector<std::string> width_entries(const std::vector<int>& widths) {
  std::vector<std::string> items;
  for (int w : widths) items.emplace_back(lane_width_text(w));
  return items;
}

int position_in(const std::vector<int>& values, int value) {
  const auto it = std::find(values.begin(), values.end(), value);
  return it == values.end() ? 0 : static_cast<int>(it - values.begin());
}

void set_box(Dialog& dialog, int n, bool on) {
  // Mirrors the model: no notification, the model already knows.
  if (auto* box = qobject_cast<QCheckBox*>(control_window(dialog, n))) box->setChecked(on);
}

}  // namespace

void SelectionDialogProcedure::initialise(Dialog& dialog) {
  set_title_message(&dialog, kSelectionTitleMessage);

  std::vector<QLabel*> labels;
  int label_width = 0;
  for (int n = 0; n < kSelectionControlCount; ++n) {
    QLabel* label = create_static(dialog, kSelectionLabelBase + n,
                                  Label::of_message(kSelectionFirstLabelMessage + n), QRect());
    label_width = std::max(label_width, label->sizeHint().width());
    labels.push_back(label);
  }

  const QSize cell = dialog_units().cell();
  const int x = kMargin + label_width + kGap;
  const int combo_width = kComboChars * cell.width() + 2 * cell.height();
  int y = kMargin;
  int right = x;
  for (int n = 0; n < kSelectionControlCount; ++n) {
    QWidget* control = nullptr;
    if (is_combo(n)) {
      control = create_combo(dialog, n, QRect(x, y, combo_width, 0));
      control->resize(combo_width, control->sizeHint().height());
    } else if (is_field(n)) {
      control = create_number_field(dialog, n, QPoint(x, y), kFieldChars, kFieldDecimals);
    } else {
      control = create_check_box(dialog, n, Label::of_text({}), QRect(QPoint(x, y), QSize()));
    }
    QLabel* label = labels[static_cast<std::size_t>(n)];
    label->setBuddy(control);
    const int height = std::max(control->height(), label->sizeHint().height());
    control->move(x, y + (height - control->height()) / 2);
    label->setGeometry(kMargin, y + (height - label->sizeHint().height()) / 2, label_width,
                       label->sizeHint().height());
    right = std::max(right, control->geometry().right());
    y += height + kRowSpacing;
  }

  y += kButtonGap - kRowSpacing;
  QPushButton* ok = create_push_button(dialog, Label::of_text("OK"), kEventAccept, QRect());
  QPushButton* cancel = create_push_button(dialog, Label::of_text("Cancel"), kEventCancel, QRect());
  const int button_width = std::max(ok->sizeHint().width(), cancel->sizeHint().width());
  const int width = std::max(right + 1 + kMargin, x + 2 * button_width + kGap + kMargin);
  cancel->setGeometry(width - kMargin - button_width, y, button_width, cancel->sizeHint().height());
  ok->setGeometry(cancel->x() - kGap - button_width, y, button_width, ok->sizeHint().height());
  dialog.resize_client(QSize(width, y + ok->height() + kMargin));

  set_number_field(dialog, kMedianWidthControl, model_.median_width());
  set_number_field(dialog, kSideClearanceControl, model_.side_clearance());
  show_model(dialog);
  // Only a shown control takes the focus: wait until the runner shows us.
  const int first = model_.first_enabled_control();
  QTimer::singleShot(0, &dialog, [&dialog, first] { focus_control(dialog, first); });
}

void SelectionDialogProcedure::show_model(Dialog& dialog) {
  std::vector<std::string> standards;
  for (int s = 0; s < kStandardCount; ++s) standards.emplace_back(standard_name(s));
  set_combo_items(dialog, kStandardControl, standards, model_.standard());
  std::vector<std::string> categories;
  for (int c = 0; c < model_.category_count(); ++c)
    categories.emplace_back(category_name(model_.standard(), c));
  set_combo_items(dialog, kCategoryControl, categories, model_.category());
  const std::vector<int> lanes = model_.offered_lanes();
  set_combo_items(dialog, kLanesControl, lane_entries(lanes), position_in(lanes, model_.lanes()));
  const std::vector<int>& widths = model_.offered_lane_widths();
  set_combo_items(dialog, kLaneWidthControl, width_entries(widths), position_in(widths, model_.lane_width()));
  for (int n = kAlignmentCheck; n <= kVisibilityCheck; ++n) set_box(dialog, n, model_.checked(n));
  set_box(dialog, kMedianBlocksControl, model_.median_blocks_sight());
  for (int n = 0; n < kSelectionControlCount; ++n) set_control_disabled(dialog, n, !model_.enabled(n));
}

void SelectionDialogProcedure::control_changed(Dialog& dialog, int n, int notification) {
  switch (n) {
    case kStandardControl:
      if (notification == kNotifySelectionChanged) model_.choose_standard(combo_selection(dialog, n));
      break;
    case kCategoryControl:
      if (notification == kNotifySelectionChanged) model_.choose_category(combo_selection(dialog, n));
      break;
    case kLanesControl:
      if (notification == kNotifySelectionChanged) {
        const std::vector<int> lanes = model_.offered_lanes();
        const int index = combo_selection(dialog, n);
        if (index >= 0 && index < static_cast<int>(lanes.size()))
          model_.choose_lanes(lanes[static_cast<std::size_t>(index)]);
      }
      break;
    case kLaneWidthControl:
      if (notification == kNotifySelectionChanged) {
        const std::vector<int>& widths = model_.offered_lane_widths();
        const int index = combo_selection(dialog, n);
        if (index >= 0 && index < static_cast<int>(widths.size()))
          model_.choose_lane_width(widths[static_cast<std::size_t>(index)]);
      }
      break;
    case kMedianWidthControl:
      if (notification == kNotifyTextChanged) {
        model_.edit_median_width(read_number_field(dialog, n).value);
      } else if (notification == kNotifyKillFocus) {
        (void)validate_number_field(dialog, n, kLowerBound | kUpperBound, 0.0, kMaxMedianWidth);
        model_.edit_median_width(read_number_field(dialog, n).value);
        (void)model_.leave_median_width();
      }
      break;
    case kSideClearanceControl:
      if (notification == kNotifyTextChanged) {
        model_.edit_side_clearance(read_number_field(dialog, n).value);
      } else if (notification == kNotifyKillFocus) {
        (void)validate_number_field(dialog, n, kLowerBound | kUpperBound, kMinSideClearance,
                                    kMaxSideClearance);
        model_.edit_side_clearance(read_number_field(dialog, n).value);
        (void)model_.leave_side_clearance();
      }
      return;  // nothing depends on the clearance
    default:
      if (notification == kNotifyCheckChanged) model_.set_check(n, get_check(dialog, n));
      break;
  }
  show_model(dialog);
}

void SelectionDialogProcedure::command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) {
  const int event = command_event(dialog, packed_command, source);
  if (event == kEventControl) {
    const int n = control_number(packed_command);
    if (n >= 0 && n < kSelectionControlCount) control_changed(dialog, n, notification_code(packed_command));
    return;
  }
  if (event == kEventAccept) {
    (void)end_dialog(dialog, kSelectionAccepted);
  } else if (event == kEventCancel) {
    (void)end_dialog(dialog, kEventCancel);
  }
}

int run_selection_dialog(SelectionModel& model) {
  const SelectionModel before = model;
  SelectionDialogProcedure procedure(model);
  if (run_modal_dialog(procedure) == kSelectionAccepted) return 0;
  model = before;
  return kCancelled;
}

}  // namespace corvalinde::ui
