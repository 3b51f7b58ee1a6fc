// The selection dialog mirrors its SelectionModel: the cascades reach the
// widgets, user actions reach the model, number fields fall back to their
// limits, and Escape restores the model.
#include "ui/selection_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTest>

#include "analysis/road_types.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

constexpr DesignTables kAllTables{true, true, true};

AnalysisSelection record_for(int road_type, std::array<std::int16_t, 4> run = {1, 1, 1, 1}) {
  AnalysisSelection r;
  r.road_type = static_cast<std::int16_t>(road_type);
  r.run_analysis = run;
  return r;
}

QComboBox* combo(SelectionDialog& d, int n) {
  return qobject_cast<QComboBox*>(d.control(n));
}
QCheckBox* box(SelectionDialog& d, int n) {
  return qobject_cast<QCheckBox*>(d.control(n));
}

}  // namespace

class SelectionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing_support::use_message_ids(); }

  void standardCascadesToCategoriesLanesAndWidths() {
    SelectionModel model(record_for(0), kAllTables);
    SelectionDialog dialog(model);
    QCOMPARE(combo(dialog, kStandardControl)->count(), kStandardCount);
    QCOMPARE(combo(dialog, kLanesControl)->currentText(), lane_arrangement_label(kTwoLanes));
    combo(dialog, kStandardControl)->setCurrentIndex(1);  // ICTAAL: two categories, 2x2 only
    QCOMPARE(model.standard(), 1);
    QCOMPARE(combo(dialog, kCategoryControl)->count(), 2);
    QCOMPARE(combo(dialog, kLanesControl)->count(), 1);
    QVERIFY(!combo(dialog, kLanesControl)->isEnabled());
    QVERIFY(d_enabled(dialog, kMedianWidthControl));

    SelectionModel narrow(record_for(24), kAllTables);  // one lane width only
    SelectionDialog narrow_dialog(narrow);
    QCOMPARE(combo(narrow_dialog, kLaneWidthControl)->count(), 1);
    QVERIFY(!combo(narrow_dialog, kLaneWidthControl)->isEnabled());
  }

  void uncheckingTheLastAnalysisRechecksItAndMedianFollowsItsWidth() {
    SelectionModel model(record_for(0, {0, 0, 0, 1}), kAllTables);
    SelectionDialog dialog(model);
    box(dialog, kVisibilityCheck)->click();
    QVERIFY(box(dialog, kVisibilityCheck)->isChecked());
    QVERIFY(model.checked(kVisibilityCheck));

    SelectionModel dual(record_for(23), kAllTables);  // a 2x2 road
    SelectionDialog dual_dialog(dual);
    auto* median = qobject_cast<QDoubleSpinBox*>(dual_dialog.control(kMedianWidthControl));
    QCOMPARE(dual.lanes(), int{kDualTwoLanes});
    median->setValue(0.5);
    QVERIFY(!box(dual_dialog, kMedianBlocksControl)->isEnabled());
    median->setValue(1.0);
    QVERIFY(box(dual_dialog, kMedianBlocksControl)->isEnabled());
  }

  // Stored checks that add up to nothing with the visibility check unavailable:
  // the lane widths are still offered (disabled), never an empty enabled list.
  void checksAddingUpToNothingStillFillTheLaneWidths() {
    SelectionModel model(record_for(0, {0, 0, 0, 0}), DesignTables{true, false, true});
    SelectionDialog dialog(model);
    QVERIFY(combo(dialog, kLaneWidthControl)->count() > 0);
    QVERIFY(!combo(dialog, kLaneWidthControl)->isEnabled());
  }

  void clearanceOutOfRangeFallsBackToItsLimit() {
    SelectionModel model(record_for(0), kAllTables);
    SelectionDialog dialog(model);
    auto* clearance = qobject_cast<QDoubleSpinBox*>(dialog.control(kSideClearanceControl));
    clearance->setValue(12.0);
    emit clearance->editingFinished();
    QCOMPARE(model.side_clearance(), kMaxSideClearance);
    QCOMPARE(clearance->value(), kMaxSideClearance);
  }

  void escapeRestoresTheModel() {
    SelectionModel model(record_for(0), kAllTables);
    const AnalysisSelection before = model.accepted();
    testing_support::when_modal([](QWidget* dialog) {
      auto* standard =
          qobject_cast<QComboBox*>(qobject_cast<SelectionDialog*>(dialog)->control(kStandardControl));
      standard->setCurrentIndex(2);
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QCOMPARE(run_selection_dialog(model), int{kCancelled});
    QVERIFY(model.accepted().to_bytes() == before.to_bytes());

    testing_support::when_modal([](QWidget* dialog) {
      auto* standard =
          qobject_cast<QComboBox*>(qobject_cast<SelectionDialog*>(dialog)->control(kStandardControl));
      standard->setCurrentIndex(2);
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    QCOMPARE(run_selection_dialog(model), 0);
    QCOMPARE(model.standard(), 2);
  }

 private:
  static bool d_enabled(SelectionDialog& d, int n) { return d.control(n)->isEnabled(); }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::SelectionDialogTest)
#include "ui_selection_dialog_test.moc"
