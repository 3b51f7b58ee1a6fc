// Takes the README's screenshots: opens the sample design in the main window
// in the language given, accepts the default selection, selects the first
// failing finding, and saves the window (and the selection dialog) as PNG.
// Run by scripts/screenshots under Xvfb: ui_screenshots LANG DESIGN FOLDER.
#include <QApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <cstdio>

#include "ui/findings_model.h"
#include "ui/languages.h"
#include "ui/main_window.h"
#include "ui/selection_dialog.h"

int main(int argc, char** argv) {
  using namespace corvalinde;
  using namespace corvalinde::ui;
  QApplication application(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: ui_screenshots fr|en DESIGN FOLDER\n");
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("Corvalinde"));
  QApplication::setApplicationDisplayName(QStringLiteral("Corvalinde"));
  const QString language = QString::fromLocal8Bit(argv[1]);
  const QString design = QString::fromLocal8Bit(argv[2]);
  const QDir folder(QString::fromLocal8Bit(argv[3]));
  (void)apply_language(language);

  MainWindow window([&](SelectionModel& model) {
    SelectionDialog dialog(model, &window);
    dialog.show();
    QApplication::processEvents();
    (void)dialog.grab().save(
        folder.filePath(QStringLiteral("screenshot-selection-dialog-%1.png").arg(language)));
    return 0;
  });
  window.resize(1440, 900);
  window.show();
  QSignalSpy shown(&window, &MainWindow::review_shown);
  window.open_file(design);
  if (!shown.wait(120000)) {
    std::fprintf(stderr, "the review did not finish\n");
    return 1;
  }
  FindingsFilter& filter = window.filter();
  for (int row = 0; row < filter.rowCount(); ++row) {
    const QModelIndex index = filter.index(row, FindingsModel::kVerdict);
    const int source = filter.data(index, FindingsModel::kRecordRole).toInt();
    const FindingRecord& record = window.findings().records()[static_cast<std::size_t>(source)];
    // A short failing stretch, so that its mark stands out.
    if (record.verdict != Verdict::kFail || record.to - record.from > 400.0 || record.to <= record.from)
      continue;
    window.table()->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window.table()->scrollTo(index);
    break;
  }
  // The plan in English, the stopping sight distances in French.
  if (auto* tabs = window.findChild<QTabWidget*>(); tabs != nullptr && language == QStringLiteral("fr"))
    tabs->setCurrentIndex(3);
  QTimer::singleShot(300, &window, [&] {
    // The mouse over the diagram shown: the status bar gives the station and the road's values.
    if (auto* tabs = window.findChild<QTabWidget*>()) {
      QWidget* view = tabs->currentWidget();
      const QPointF at(view->width() * 0.45, view->height() * 0.4);
      QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
      QApplication::sendEvent(view, &move);
    }
  });
  QTimer::singleShot(500, &window, [&] {
    const QString path = folder.filePath(QStringLiteral("screenshot-main-window-%1.png").arg(language));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    QApplication::exit(saved ? 0 : 1);
  });
  return QApplication::exec();
}
