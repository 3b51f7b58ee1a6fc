// The main window end to end on the sample design: opening a file as the
// command line does, the review off the user-interface thread, the findings
// table and its filters, the link between table, diagrams and listing, and
// the cancels and bad paths that must change nothing.
#include "ui/main_window.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>

#include "ui/console_view.h"
#include "ui/diagram_view.h"
#include "ui/findings_model.h"
#include "ui/languages.h"
#include "ui/window_keeper.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

const QString kSample = QStringLiteral(CORVALINDE_SAMPLE_DESIGN);
constexpr int kReviewTimeout = 60000;

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing_support::use_message_ids(); }

  void openingAFileReviewsItAndShowsEverything() {
    int selections = 0;
    MainWindow window([&selections](SelectionModel&) {
      ++selections;
      return 0;
    });
    window.show();
    QCOMPARE(window.page(), 0);
    QVERIFY(!window.windowIcon().isNull());
    QSignalSpy shown(&window, &MainWindow::review_shown);
    window.open_file(kSample);
    QVERIFY(window.runner().running());
    QVERIFY(shown.wait(kReviewTimeout));
    QCOMPARE(selections, 1);
    QCOMPARE(window.page(), 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("route-des-cretes.txt — Corvalinde"));
    const auto& records = window.result()->app->console().records();
    QVERIFY(!records.empty());
    QCOMPARE(window.findings().rowCount(), static_cast<int>(records.size()));
    QCOMPARE(window.console_view()->console().line_count(), window.result()->app->console().line_count());

    // Only failing findings, then the first of them selected: every diagram
    // marks its stretch and the listing selects its line.
    window.filter().set_verdict(Verdict::kFail);
    QVERIFY(window.filter().rowCount() > 0);
    for (int row = 0; row < window.filter().rowCount(); ++row) {
      const int source =
          window.filter().data(window.filter().index(row, 0), FindingsModel::kRecordRole).toInt();
      QCOMPARE(records[static_cast<std::size_t>(source)].verdict, Verdict::kFail);
    }
    window.table()->setCurrentIndex(window.filter().index(0, 0));
    const int chosen =
        window.filter().data(window.table()->currentIndex(), FindingsModel::kRecordRole).toInt();
    const FindingRecord& record = records[static_cast<std::size_t>(chosen)];
    for (DiagramView* view : window.diagrams()) {
      QVERIFY(view->highlight().has_value());
      QCOMPARE(view->highlight()->first, std::min(record.from, record.to));
    }
    QVERIFY(window.console_view()->selected_text().size() > 0);

    // A click in a diagram selects the findings there.
    window.table()->clearSelection();
    window.select_findings_at((record.from + record.to) / 2.0);
    const QModelIndexList rows = window.table()->selectionModel()->selectedRows();
    QVERIFY(!rows.isEmpty());
    QVERIFY(std::any_of(rows.begin(), rows.end(), [&](const QModelIndex& index) {
      return window.filter().data(index, FindingsModel::kRecordRole).toInt() == chosen;
    }));
    window.filter().set_verdict(std::nullopt);
    QCOMPARE(window.filter().rowCount(), window.findings().rowCount());
    window.filter().set_review(Review::kVisibility);
    QVERIFY(window.filter().rowCount() < window.findings().rowCount());

    // The report of the review shown; a folder that is not there is said so.
    QTemporaryDir folder;
    const QString report = folder.filePath(QStringLiteral("report.html"));
    QVERIFY(window.write_report_file(report, ReportFormat::kHtml));
    QFile written(report);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray html = written.readAll();
    QVERIFY(html.contains("route-des-cretes.txt"));
    QVERIFY(html.contains("<svg"));
    QVERIFY(
        !window.write_report_file(folder.filePath(QStringLiteral("none/report.html")), ReportFormat::kHtml));
  }

  void cancelDropsTheReviewAndBadPathsStartNothing() {
    MainWindow* self = nullptr;
    MainWindow window([&self](SelectionModel&) {
      self->runner().cancel();  // the user pressed Cancel meanwhile
      return 0;
    });
    self = &window;
    QSignalSpy shown(&window, &MainWindow::review_shown);
    QSignalSpy cancelled(&window.runner(), &ReviewRunner::cancelled);
    window.open_file(kSample);
    QVERIFY(cancelled.wait(kReviewTimeout));
    window.runner().wait_all();
    QTest::qWait(50);
    QCOMPARE(shown.count(), 0);
    QCOMPARE(window.page(), 0);
    QVERIFY(!window.runner().running());

    QTemporaryDir folder;
    testing_support::when_modal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    window.open_file(folder.path());  // a directory
    QVERIFY(!window.runner().running());
    testing_support::when_modal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    window.open_file(folder.filePath(QStringLiteral("missing.xml")));
    QVERIFY(!window.runner().running());
    QCOMPARE(window.page(), 0);
  }

  void allAlignmentsReviewsEachAndTheWindowSwitches() {
    const QString design =
        QStringLiteral(CORVALINDE_SHARED_SAMPLES_DIR "/landxml/civil3d-metric-4-alignments-spirals.xml");
    if (!QFileInfo::exists(design)) QSKIP("the shared samples are not there");
    int selections = 0;
    MainWindow window([&selections](SelectionModel&) {
      ++selections;
      return 0;
    });
    QStringList offered;
    testing_support::when_modal([&offered](QWidget* dialog) {
      auto* list = dialog->findChild<QListWidget*>();
      for (int row = 0; row < list->count(); ++row) offered << list->item(row)->text();
      list->setCurrentRow(list->count() - 1);  // "All alignments"
      QTest::keyClick(dialog, Qt::Key_Return);
    });
    QSignalSpy shown(&window, &MainWindow::review_shown);
    window.open_file(design);
    QVERIFY(shown.wait(kReviewTimeout));
    QCOMPARE(offered.size(), 5);
    QCOMPARE(selections, 1);  // one selection for all of them
    QCOMPARE(window.results().size(), std::size_t{4});
    // Each offered with its length and station range; the result keeps the name alone.
    QCOMPARE(offered[1], QStringLiteral("SAN1_XD-B02 — 1 709.845 m, -8.250 to 1 701.595"));
    for (int k = 0; k < 4; ++k)
      QVERIFY(offered[k].startsWith(window.results()[static_cast<std::size_t>(k)]->alignment +
                                    QStringLiteral(" — ")));
    QCOMPARE(window.shown_index(), 0);
    window.show_alignment(2);
    QCOMPARE(window.result(), window.results()[2]);
    QCOMPARE(window.findings().rowCount(),
             static_cast<int>(window.results()[2]->app->console().records().size()));
  }

  void droppingAFileOpensIt() {
    int selections = 0;
    MainWindow window([&selections](SelectionModel&) {
      ++selections;
      return int{kCancelled};
    });
    QSignalSpy shown(&window, &MainWindow::review_shown);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(kSample)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    QVERIFY(shown.wait(kReviewTimeout));
    QCOMPARE(selections, 1);
    // Cancelled at the selection: the design is shown as read, nothing reviewed.
    QVERIFY(!window.result()->outcome.selection_accepted);
    QCOMPARE(window.findings().rowCount(), 0);
  }

  // Another language rebuilds the window in it and keeps the review shown.
  void languageChoiceRebuildsTheWindowKeepingTheReview() {
    WindowKeeper keeper;
    keeper.show({}, 0);
    QPointer<MainWindow> first = keeper.window();
    QVERIFY(first != nullptr);
    auto result = std::make_shared<ReviewResult>();
    result->app = std::make_unique<CoreApplication>();
    result->path = kSample;
    first->show_results({result});
    emit first->language_requested(QStringLiteral("fr"));
    QTRY_VERIFY(first.isNull());
    MainWindow* second = keeper.window();
    QVERIFY(second != nullptr && second != first);
    QCOMPARE(second->result(), result);
    QCOMPARE(current_language(), QStringLiteral("fr"));
    QVERIFY(second->menuBar()->actions().front()->text().contains(QStringLiteral("Fichier")));
    emit second->language_requested(QStringLiteral("en"));
    QTRY_VERIFY(keeper.window() != second);
    QVERIFY(keeper.window()->menuBar()->actions().front()->text().contains(QStringLiteral("File")));
    keeper.window()->close();
    QTRY_VERIFY(keeper.window() == nullptr);  // the window deletes itself
  }

  void fileTypesFollowTheExtension() {
    QCOMPARE(design_file_type(QStringLiteral("a/b.XML")), int{kLandXmlFile});
    QCOMPARE(design_file_type(QStringLiteral("b.landxml")), int{kLandXmlFile});
    QCOMPARE(design_file_type(QStringLiteral("b.ifc")), int{kIfcFile});
    QCOMPARE(design_file_type(QStringLiteral("b.txt")), int{kNativeDesignFile});
  }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::MainWindowTest)
#include "ui_main_window_test.moc"
