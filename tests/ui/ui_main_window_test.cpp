// The main window end to end: a design opened through the open command with
// the file dialog and the selection dialog answered from the test, the
// listing in the console, and the keys and cancels that must change nothing.
#include "app/core_application.h"
#include "ui/main_window.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <string>

#include "output/console.h"
#include "services/diagnostic_log.h"
#include "ui/help.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

const QString kSample = QStringLiteral(CORVALINDE_SAMPLE_DESIGN);

QAction* open_entry(Dialog& window) {
  QMenuBar* bar = window.menu_bar();
  if (bar == nullptr || bar->actions().isEmpty()) return nullptr;
  QMenu* file = bar->actions().first()->menu();
  return file == nullptr || file->actions().isEmpty() ? nullptr : file->actions().first();
}

bool console_contains(const Console& console, const std::string& text) {
  for (const ConsoleLine& line : console.lines()) {
    if (line.text.find(text) != std::string::npos) return true;
  }
  return false;
}

std::string read_log() {
  QFile file(QString::fromStdString(diagnostic_log_target()));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Answers the modal windows that come up while the main window runs: the
// file dialog gets `file` (an empty name cancels it), the selection dialog
// Enter. Notes whether the open entry was grey while the selection ran.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(QString file) : file_(std::move(file)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
    timer_.start(20);
  }
  bool open_grey_during_selection = false;
  int selections = 0;

 private:
  void answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      if (file_.isEmpty()) {
        files->reject();
      } else {
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file_);
        QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
      }
      return;
    }
    Dialog* selection = testing_support::open_dialog();
    if (selection == nullptr || selection->close_flag()) return;
    ++selections;
    if (Dialog* main = main_window()) {
      QAction* entry = open_entry(*main);
      open_grey_during_selection = entry != nullptr && !entry->isEnabled();
    }
    QTest::keyClick(selection, Qt::Key_Return);
  }

  QString file_;
  QTimer timer_;
};

// Runs the main window, calls action once it is up, then gives the window
// a short while to end before it is made to quit with `abandoned`.
constexpr int kAbandonedQuit = 99;
int run_window(MainWindowProcedure& procedure, std::function<void(Dialog&)> action) {
  DialogDescription description;
  description.procedure = &procedure;
  description.point_size = kMainPointSize;
  testing_support::when_shown([action = std::move(action)] {
    Dialog* window = main_window();
    if (window == nullptr) return;
    QTimer::singleShot(testing_support::kAbandonAfterMs * 10, [] {
      if (main_window() != nullptr) post_quit(kAbandonedQuit);
    });
    action(*window);
  });
  return run_main_window(description);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    testing_support::use_message_ids();
    const std::string_view arguments[] = {"/debug"};
    open_diagnostic_log(arguments);
  }

  void openingTheSampleShowsTheListingAndEscQuits() {
    CoreApplication core;
    MainWindowProcedure procedure(core);
    ModalAnswerer answerer(kSample);
    bool enter_kept_window = false;
    bool listed = false;
    bool open_enabled_after = false;
    QString title;
    bool console_focused = false;
    const int code = run_window(procedure, [&](Dialog& window) {
      // The keys go where a user's would: to the console, which has the focus.
      QWidget* console = window.control_by_identifier(control_identifier(kConsoleControl));
      if (!QTest::qWaitForWindowActive(&window)) return;
      QTRY_VERIFY(console != nullptr && console->hasFocus());
      console_focused = true;
      QTest::keyClick(console, Qt::Key_Return);
      enter_kept_window = !window.close_flag();
      QAction* entry = open_entry(window);
      if (entry == nullptr) return;
      entry->trigger();  // runs the whole analysis before it returns
      listed = console_contains(core.console(), "DRO001");
      open_enabled_after = entry->isEnabled();
      title = window.windowTitle();
      QTest::keyClick(QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window,
                      Qt::Key_Escape);
    });
    QCOMPARE(code, 0);
    QVERIFY(console_focused);
    QVERIFY(enter_kept_window);
    QCOMPARE(procedure.runs(), 1);
    QCOMPARE(answerer.selections, 1);
    QVERIFY(answerer.open_grey_during_selection);
    QVERIFY(listed);
    QVERIFY(open_enabled_after);
    QVERIFY(title.endsWith(QStringLiteral("route-des-cretes.txt")));
    QVERIFY(read_log().find("ON_CLOSE_WIN_APP") != std::string::npos);
  }

  void cancellingTheFileDialogLeavesConsoleAndEntryAlone() {
    CoreApplication core;
    core.console().write(kConsoleOrdinary, "kept line");
    MainWindowProcedure procedure(core);
    ModalAnswerer answerer{QString()};
    std::size_t lines_after = 0;
    bool open_enabled_after = false;
    const int code = run_window(procedure, [&](Dialog& window) {
      QAction* entry = open_entry(window);
      if (entry == nullptr) return;
      entry->trigger();
      lines_after = core.console().line_count();
      open_enabled_after = entry->isEnabled();
      window.close();  // the close box quits as well
    });
    QCOMPARE(code, 0);
    QCOMPARE(procedure.runs(), 0);
    QCOMPARE(answerer.selections, 0);
    QCOMPARE(lines_after, std::size_t{1});
    QVERIFY(console_contains(core.console(), "kept line"));
    QVERIFY(open_enabled_after);
  }

  void quitEntryEndsTheWindowAndHelpEntryFollowsTheGuide() {
    CoreApplication core;
    MainWindowProcedure procedure(core);
    bool help_enabled = true;
    const int code = run_window(procedure, [&](Dialog& window) {
      QMenu* help = window.menu_bar()->actions().at(1)->menu();
      help_enabled = help->actions().first()->isEnabled();
      window.send_command(command_word(kQuitCommand, kNotifyClicked), nullptr);
    });
    QCOMPARE(code, 0);
    // No guide lies beside the test program.
    QCOMPARE(help_enabled, help_file_usable(help_file_path()));
    QVERIFY(!help_enabled);
  }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::MainWindowTest)
#include "ui_main_window_test.moc"
