// The analysis-selection dialog driven from the keyboard: the widgets follow
// the model's cascade, the number fields refuse values out of range, Enter
// accepts and Esc restores what was there.
#include "app/selection_step.h"
#include "ui/selection_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "analysis/road_types.h"
#include "ui/controls.h"
#include "ui/number_field.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

constexpr DesignTables kAllTables{true, true, true};

QComboBox* combo(Dialog& d, int n) {
  return qobject_cast<QComboBox*>(control_window(d, n));
}
QCheckBox* box(Dialog& d, int n) {
  return qobject_cast<QCheckBox*>(control_window(d, n));
}
QLineEdit* field(Dialog& d, int n) {
  return qobject_cast<QLineEdit*>(control_window(d, n));
}

QStringList entries(QComboBox* c) {
  QStringList items;
  for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
  return items;
}

// Runs the dialog on model with action applied once it is up and active (the
// focus rules need an active window).
int run_with(SelectionModel& model, std::function<void(Dialog&)> action) {
  testing_support::with_open_dialog([action = std::move(action)](Dialog& d) {
    if (!QTest::qWaitForWindowActive(&d)) return;
    action(d);
  });
  return run_selection_dialog(model);
}

AnalysisSelection record_with(int road_type) {
  AnalysisSelection record;
  record.road_type = static_cast<std::int16_t>(road_type);
  return record;
}

}  // namespace

class SelectionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing_support::use_message_ids(); }

  void opensOnTheStoredRoadTypeWithLabelsAndFocus() {
    SelectionModel model(record_with(24), kAllTables);  // VSA AU70 2 lanes
    QStringList labels;
    QString title;
    QStringList widths;
    bool width_disabled = false;
    bool first_focused = false;
    const int result = run_with(model, [&](Dialog& d) {
      title = d.windowTitle();
      for (int n = 0; n < kSelectionControlCount; ++n)
        labels << qobject_cast<QLabel*>(control_window(d, kSelectionLabelBase + n))->text();
      widths = entries(combo(d, kLaneWidthControl));
      width_disabled = is_control_disabled(d, kLaneWidthControl);
      first_focused = QApplication::focusWidget() == control_window(d, kStandardControl);
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    QCOMPARE(result, kCancelled);
    QVERIFY(title.contains(QStringLiteral("#129")));
    QCOMPARE(labels.size(), 11);
    QCOMPARE(labels.first(), QStringLiteral("#130"));
    QCOMPARE(labels.last(), QStringLiteral("#140"));
    QCOMPARE(widths, QStringList{QStringLiteral("3.00")});
    QVERIFY(width_disabled);
    QVERIFY(first_focused);
  }

  void choosingIctaalByKeyOffersTwoCategoriesAndOnlyDualLanes() {
    SelectionModel model(AnalysisSelection{}, kAllTables);
    QStringList categories;
    QStringList lanes;
    bool lanes_disabled = false;
    bool category_enabled = false;
    const int result = run_with(model, [&](Dialog& d) {
      QTest::keyClick(combo(d, kStandardControl), Qt::Key_Down);
      categories = entries(combo(d, kCategoryControl));
      lanes = entries(combo(d, kLanesControl));
      lanes_disabled = is_control_disabled(d, kLanesControl);
      category_enabled = !is_control_disabled(d, kCategoryControl);
      QTest::keyClick(&d, Qt::Key_Return);
    });
    QCOMPARE(result, 0);
    QCOMPARE(categories, (QStringList{QStringLiteral("L2"), QStringLiteral("L1")}));
    QCOMPARE(lanes, QStringList{QStringLiteral("2x2 voies")});
    QVERIFY(lanes_disabled);
    QVERIFY(category_enabled);
    QCOMPARE(int{model.accepted().road_type}, 10);
  }

  void medianControlsFollowTheLanesAndTheTypedWidth() {
    SelectionModel model(record_with(2), kAllTables);  // ARP R60 2x2
    bool blocks_at_half = true;
    bool blocks_at_one = false;
    bool median_at_two_lanes = true;
    run_with(model, [&](Dialog& d) {
      QLineEdit* median = field(d, kMedianWidthControl);
      median->setFocus();
      QTRY_VERIFY(median->hasFocus());
      median->selectAll();
      QTest::keyClicks(median, QStringLiteral("0.5"));
      blocks_at_half = !is_control_disabled(d, kMedianBlocksControl);
      median->selectAll();
      QTest::keyClicks(median, QStringLiteral("1.0"));
      blocks_at_one = !is_control_disabled(d, kMedianBlocksControl);
      QComboBox* lanes = combo(d, kLanesControl);
      lanes->setFocus();
      QTest::keyClick(lanes, Qt::Key_Home);
      median_at_two_lanes = !is_control_disabled(d, kMedianWidthControl);
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    QVERIFY(!blocks_at_half);
    QVERIFY(blocks_at_one);
    QVERIFY(!median_at_two_lanes);
    QCOMPARE(model.lanes(), 2);  // Esc restored the model
  }

  void spaceOnTheOnlyAvailableAnalysisKeepsItChecked() {
    SelectionModel model(AnalysisSelection{}, DesignTables{true, false, false});
    bool still_checked = false;
    run_with(model, [&](Dialog& d) {
      QCheckBox* alignment = box(d, kAlignmentCheck);
      alignment->setFocus();
      QTest::keyClick(alignment, Qt::Key_Space);
      still_checked = alignment->isChecked();
      QTest::keyClick(&d, Qt::Key_Return);
    });
    QVERIFY(still_checked);
    QCOMPARE(int{model.accepted().run_analysis[0]}, 1);
  }

  void sideClearanceOutOfRangeIsReplacedAndKeepsTheFocus() {
    SelectionModel model(AnalysisSelection{}, kAllTables);
    QString replaced;
    bool kept_focus = false;
    run_with(model, [&](Dialog& d) {
      QLineEdit* clearance = field(d, kSideClearanceControl);
      clearance->setFocus();
      QTRY_VERIFY(clearance->hasFocus());
      clearance->selectAll();
      QTest::keyClicks(clearance, QStringLiteral("12"));
      QTest::keyClick(clearance, Qt::Key_Tab);
      replaced = clearance->text();
      kept_focus = QApplication::focusWidget() == clearance;
      // Enter with a refused value still in range now accepts.
      QTest::keyClick(&d, Qt::Key_Return);
    });
    QCOMPARE(replaced, QStringLiteral("10.0"));
    QVERIFY(kept_focus);
    QCOMPARE(int{model.accepted().cross_section.side_clearance_dm}, 100);
  }

  void enterWithATooWideMedianIsRefusedFirst() {
    SelectionModel model(record_with(2), kAllTables);
    int result_while_refused = -1;
    const int result = run_with(model, [&](Dialog& d) {
      QLineEdit* median = field(d, kMedianWidthControl);
      median->setFocus();
      QTRY_VERIFY(median->hasFocus());
      median->selectAll();
      QTest::keyClicks(median, QStringLiteral("20"));
      QTest::keyClick(&d, Qt::Key_Return);
      result_while_refused = d.close_flag() ? d.result() : 0;
      if (!d.close_flag()) QTest::keyClick(&d, Qt::Key_Return);
    });
    QCOMPARE(result_while_refused, 0);
    QCOMPARE(result, 0);
    QCOMPARE(int{model.accepted().cross_section.median_width_dm}, 150);
  }

  void stepStoresOnAcceptAndEscapeLeavesTheRecordAlone() {
    RoadModel road;  // no tables: nothing can be forced on
    AnalysisSelection stored = record_with(5);
    stored.run_analysis = {0, 1, 0, 1};
    QVERIFY(store_selection(stored));
    StoredSelectionStep step(
        road, [](SelectionModel& m) { return run_selection_dialog(m); }, StoredSelectionStep::Policy{});

    AnalysisSelection out;
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(step.select(out), kCancelled);
    QVERIFY(stored_selection().to_bytes() == stored.to_bytes());

    testing_support::with_open_dialog([](Dialog& d) {
      QComboBox* standard = combo(d, kStandardControl);
      standard->setFocus();
      QTest::keyClick(standard, Qt::Key_End);  // ICTAVRU
      QTest::keyClick(&d, Qt::Key_Return);
    });
    QCOMPARE(step.select(out), 0);
    QCOMPARE(int{out.road_type}, road_type_code(kStandardIctavru, 1, kDualTwoLanes));
    QVERIFY(out.run_analysis == stored.run_analysis);
    QVERIFY(stored_selection().to_bytes() == out.to_bytes());
  }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::SelectionDialogTest)
#include "ui_selection_dialog_test.moc"
