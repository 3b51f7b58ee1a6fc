#include "ui/selection_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "analysis/road_types.h"
#include "services/message_table.h"

namespace corvalinde::ui {
namespace {

constexpr int kFieldDecimals = 1;
constexpr double kFieldMaximum = 99.9;  // what four characters with one decimal hold

QString trimmed(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

int position_in(const std::vector<int>& values, int value) {
  const auto it = std::find(values.begin(), values.end(), value);
  return it == values.end() ? 0 : static_cast<int>(it - values.begin());
}

void fill(QComboBox* box, const QStringList& items, int selected) {
  const QSignalBlocker blocker(box);
  QStringList current;
  for (int i = 0; i < box->count(); ++i) current << box->itemText(i);
  if (current != items) {
    box->clear();
    box->addItems(items);
  }
  box->setCurrentIndex(selected);
}

}  // namespace

QString lane_arrangement_label(int lanes) {
  switch (lanes) {
    case kTwoLanes:
      return QCoreApplication::translate("RoadType", "2 lanes");
    case kThreeLanes:
      return QCoreApplication::translate("RoadType", "3 lanes");
    case kDualTwoLanes:
      return QCoreApplication::translate("RoadType", "2x2 lanes");
    default:
      return {};
  }
}

QString road_type_label_text(int code) {
  const std::optional<RoadTypeIndices> found = find_road_type(code);
  if (!found) return {};
  return trimmed(standard_name(found->standard)) + QLatin1Char(' ') +
         trimmed(category_name(found->standard, found->category)) + QLatin1Char(' ') +
         lane_arrangement_label(found->lanes);
}

SelectionDialog::SelectionDialog(SelectionModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setWindowTitle(QString::fromStdString(message_trimmed(kSelectionTitleMessage)));
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  for (int n = 0; n < kSelectionControlCount; ++n) {
    QWidget* widget = nullptr;
    switch (n) {
      case kStandardControl:
      case kCategoryControl:
      case kLanesControl:
      case kLaneWidthControl: {
        auto* box = new QComboBox(this);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        widget = box;
        break;
      }
      case kMedianWidthControl:
      case kSideClearanceControl: {
        auto* field = new QDoubleSpinBox(this);
        field->setDecimals(kFieldDecimals);
        field->setRange(0.0, kFieldMaximum);
        field->setSingleStep(0.5);
        field->setKeyboardTracking(true);
        widget = field;
        break;
      }
      default:
        widget = new QCheckBox(this);
        break;
    }
    controls_[static_cast<std::size_t>(n)] = widget;
    auto* label = new QLabel(QString::fromStdString(message_trimmed(kSelectionFirstLabelMessage + n)), this);
    label->setBuddy(widget);
    form->addRow(label, widget);
  }
  standard_ = qobject_cast<QComboBox*>(control(kStandardControl));
  category_ = qobject_cast<QComboBox*>(control(kCategoryControl));
  lanes_ = qobject_cast<QComboBox*>(control(kLanesControl));
  lane_width_ = qobject_cast<QComboBox*>(control(kLaneWidthControl));
  median_ = qobject_cast<QDoubleSpinBox*>(control(kMedianWidthControl));
  clearance_ = qobject_cast<QDoubleSpinBox*>(control(kSideClearanceControl));

  QStringList standards;
  for (int s = 0; s < kStandardCount; ++s) standards << trimmed(standard_name(s));
  fill(standard_, standards, model_.standard());
  median_->setValue(model_.median_width());
  clearance_->setValue(model_.side_clearance());

  connect(standard_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_ || index < 0) return;
    model_.choose_standard(index);
    show_model();
  });
  connect(category_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_ || index < 0) return;
    model_.choose_category(index);
    show_model();
  });
  connect(lanes_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const std::vector<int> offered = model_.offered_lanes();
    if (showing_ || index < 0 || static_cast<std::size_t>(index) >= offered.size()) return;
    model_.choose_lanes(offered[static_cast<std::size_t>(index)]);
    show_model();
  });
  connect(lane_width_, &QComboBox::currentIndexChanged, this, [this](int index) {
    const std::vector<int>& offered = model_.offered_lane_widths();
    if (showing_ || index < 0 || static_cast<std::size_t>(index) >= offered.size()) return;
    model_.choose_lane_width(offered[static_cast<std::size_t>(index)]);
    show_model();
  });
  for (int n : {int{kAlignmentCheck}, int{kSuperelevationCheck}, int{kProfileCheck}, int{kVisibilityCheck},
                int{kMedianBlocksControl}}) {
    auto* box = qobject_cast<QCheckBox*>(control(n));
    connect(box, &QCheckBox::toggled, this, [this, n](bool on) {
      if (showing_) return;
      model_.set_check(n, on);
      show_model();
    });
  }
  connect(median_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    if (showing_) return;
    model_.edit_median_width(value);
    show_model();
  });
  connect(clearance_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    if (!showing_) model_.edit_side_clearance(value);
  });
  connect(median_, &QDoubleSpinBox::editingFinished, this,
          [this] { leave_number_field(kMedianWidthControl); });
  connect(clearance_, &QDoubleSpinBox::editingFinished, this,
          [this] { leave_number_field(kSideClearanceControl); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    // A value still being typed is checked as when its field loses the focus.
    leave_number_field(kMedianWidthControl);
    leave_number_field(kSideClearanceControl);
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  show_model();
  // The lists and fields in one column of one width.
  int width = 0;
  for (QWidget* field : {static_cast<QWidget*>(standard_), static_cast<QWidget*>(category_),
                         static_cast<QWidget*>(lanes_), static_cast<QWidget*>(lane_width_),
                         static_cast<QWidget*>(median_), static_cast<QWidget*>(clearance_)})
    width = std::max(width, field->sizeHint().width());
  for (QWidget* field : {static_cast<QWidget*>(standard_), static_cast<QWidget*>(category_),
                         static_cast<QWidget*>(lanes_), static_cast<QWidget*>(lane_width_),
                         static_cast<QWidget*>(median_), static_cast<QWidget*>(clearance_)})
    field->setMinimumWidth(width);
  const int first = model_.first_enabled_control();
  if (first >= 0) control(first)->setFocus();
}

void SelectionDialog::leave_number_field(int n) {
  const bool median = n == kMedianWidthControl;
  QDoubleSpinBox* field = median ? median_ : clearance_;
  if (median) {
    model_.edit_median_width(field->value());
  } else {
    model_.edit_side_clearance(field->value());
  }
  const bool replaced = median ? model_.leave_median_width() : model_.leave_side_clearance();
  if (replaced) {
    QApplication::beep();
    show_model();
    field->setFocus();
    field->selectAll();
  }
}

void SelectionDialog::show_model() {
  showing_ = true;
  fill(
      standard_,
      [] {
        QStringList standards;
        for (int s = 0; s < kStandardCount; ++s) standards << trimmed(standard_name(s));
        return standards;
      }(),
      model_.standard());
  QStringList categories;
  for (int c = 0; c < model_.category_count(); ++c)
    categories << trimmed(category_name(model_.standard(), c));
  fill(category_, categories, model_.category());
  const std::vector<int> lanes = model_.offered_lanes();
  QStringList lane_items;
  for (int k : lanes) lane_items << lane_arrangement_label(k);
  fill(lanes_, lane_items, position_in(lanes, model_.lanes()));
  const std::vector<int>& widths = model_.offered_lane_widths();
  QStringList width_items;
  for (int w : widths) width_items << QLocale().toString(2.5 + 0.5 * w, 'f', 2);
  fill(lane_width_, width_items, position_in(widths, model_.lane_width()));
  for (int n : {int{kAlignmentCheck}, int{kSuperelevationCheck}, int{kProfileCheck}, int{kVisibilityCheck},
                int{kMedianBlocksControl}}) {
    auto* box = qobject_cast<QCheckBox*>(control(n));
    const QSignalBlocker blocker(box);
    box->setChecked(model_.checked(n));
  }
  {
    const QSignalBlocker blocker(median_);
    if (median_->value() != model_.median_width()) median_->setValue(model_.median_width());
  }
  {
    const QSignalBlocker blocker(clearance_);
    if (clearance_->value() != model_.side_clearance()) clearance_->setValue(model_.side_clearance());
  }
  for (int n = 0; n < kSelectionControlCount; ++n) control(n)->setEnabled(model_.enabled(n));
  showing_ = false;
}

int run_selection_dialog(SelectionModel& model) {
  const SelectionModel before = model;
  SelectionDialog dialog(model, QApplication::activeWindow());
  if (dialog.exec() == QDialog::Accepted) return 0;
  model = before;
  return kCancelled;
}

}  // namespace corvalinde::ui
