// The console window's scroll rules, drawing, selection and saving, and the
// progress window stack.
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "output/console.h"
#include "ui/console_view.h"
#include "ui/progress_window.h"
#include "ui_test_support.h"

using namespace corvalinde;
using namespace corvalinde::ui;

namespace {

constexpr int kRows = 10;

void write_lines(Console& console, int count, const std::string& prefix = "line ") {
  for (int i = 0; i < count; ++i) console.write(kConsoleOrdinary, prefix + std::to_string(i));
}

// A view showing exactly kRows rows.
struct ShownConsole {
  Console console;
  ConsoleView view{console};
  ShownConsole() {
    view.resize(400, kRows * view.cell_size().height() + 2 * view.frameWidth());
    view.show();
  }
  int last_page_start() const { return static_cast<int>(console.line_count()) - view.visible_rows(); }
};

bool has_colour_near(const QImage& image, QColor wanted) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - wanted.red()) < 40 && std::abs(c.green() - wanted.green()) < 40 &&
          std::abs(c.blue() - wanted.blue()) < 40) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

class UiConsoleTest : public QObject {
  Q_OBJECT

 private slots:
  void new_lines_follow_while_the_last_page_is_shown() {
    ShownConsole shown;
    QCOMPARE(shown.view.visible_rows(), kRows);
    write_lines(shown.console, 100);
    QCOMPARE(shown.view.first_visible_line(), 100 - kRows);
    shown.console.write(kConsoleReplaceLast, "replaced");
    QCOMPARE(shown.view.first_visible_line(), 100 - kRows);
  }

  void scrolled_up_view_does_not_move_until_it_shows_the_last_line_again() {
    ShownConsole shown;
    write_lines(shown.console, 100);
    shown.view.verticalScrollBar()->setValue(20);
    write_lines(shown.console, 5);
    QCOMPARE(shown.view.first_visible_line(), 20);
    shown.view.verticalScrollBar()->setValue(shown.view.verticalScrollBar()->maximum());
    write_lines(shown.console, 3);
    QCOMPARE(shown.view.first_visible_line(), shown.last_page_start());
  }

  void follow_switch_off_never_moves_the_view() {
    ShownConsole shown;
    shown.view.set_follow(false);
    write_lines(shown.console, 50);
    QCOMPARE(shown.view.first_visible_line(), 0);
    shown.view.verticalScrollBar()->setValue(shown.view.verticalScrollBar()->maximum());
    const int bottom = shown.view.first_visible_line();
    write_lines(shown.console, 5);
    QCOMPARE(shown.view.first_visible_line(), bottom);
  }

  void clear_request_resets_the_view() {
    ShownConsole shown;
    write_lines(shown.console, 50);
    shown.view.select_all();
    shown.console.write(kConsoleClear);
    QCOMPARE(shown.view.first_visible_line(), 0);
    QCOMPARE(shown.view.verticalScrollBar()->maximum(), 0);
    QVERIFY(!shown.view.has_selection());
    shown.console.write(kConsoleHeadingLine, "heading");
    QCOMPARE(shown.view.first_visible_line(), 0);
  }

  void markers_are_drawn_in_their_colours() {
    ShownConsole shown;
    shown.console.write(kConsoleOrdinary, "\vAMMMMMMMMMMMMMMMMMMMM");
    shown.console.write(kConsoleOrdinary, "\vCMMMMMMMMMMMMMMMMMMMM");
    QImage image = shown.view.viewport()->grab().toImage();
    QVERIFY(has_colour_near(image, QColor(0x1B, 0x7A, 0x2E)));
    QVERIFY(has_colour_near(image, QColor(0xC0, 0x26, 0x26)));
    QVERIFY(!has_colour_near(image, QColor(0xB3, 0x6B, 0x00)));
    shown.console.write(kConsoleClear);
    shown.console.write(kConsoleOrdinary, "plain MMMMMMMMMMMMMMMMMMMM");
    image = shown.view.viewport()->grab().toImage();
    QVERIFY(!has_colour_near(image, QColor(0x1B, 0x7A, 0x2E)));
  }

  void selection_copies_the_text_as_shown() {
    ShownConsole shown;
    shown.console.write(kConsoleHeadingLine, "Title   ");
    shown.console.write(kConsoleOrdinary, "0.0 - 10.0 \vAgood");
    shown.view.select_all();
    QCOMPARE(shown.view.selected_text(), QStringLiteral("Title\n0.0 - 10.0 good"));

    // A drag over the second line from its first character to its tenth.
    const QSize cell = shown.view.cell_size();
    const QPoint from(1, cell.height() + cell.height() / 2);
    const QPoint to(10 * cell.width() + 1, from.y());
    QTest::mousePress(shown.view.viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, shown.view.viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(shown.view.viewport(), &move);
    QTest::mouseRelease(shown.view.viewport(), Qt::LeftButton, {}, to);
    QCOMPARE(shown.view.selected_text(), QStringLiteral("0.0 - 10.0"));
  }

  void save_as_text_writes_every_line_without_markers() {
    ShownConsole shown;
    shown.console.write(kConsoleOrdinary, "a \vCbad   ");
    shown.console.write(kConsoleOrdinary);
    shown.console.write(kConsoleOrdinary, "\xc3\xa9nd");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("console.txt"));
    QVERIFY(shown.view.save_as_text(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a bad\n\n\xc3\xa9nd\n"));
    QVERIFY(!shown.view.save_as_text(folder.filePath(QStringLiteral("missing/console.txt"))));
  }

  void many_lines_stay_quick() {
    ShownConsole shown;
    QElapsedTimer clock;
    clock.start();
    write_lines(shown.console, 100000, "row of a long listing with some text in it ");
    QCOMPARE(shown.view.first_visible_line(), shown.last_page_start());
    QVERIFY2(clock.elapsed() < 5000, "writing 100 000 lines took too long");
  }

  void progress_windows_stack_up_to_ten() {
    QWidget owner;
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    ProgressStack stack;
    stack.request(200, "reading");
    QVERIFY(!owner.isEnabled());
    QCOMPARE(stack.newest_scale(), 200);
    stack.request(50, {});
    QCOMPARE(stack.newest_value(), 50);
    stack.request(500, "   ");  // a blank text updates, clamped to the scale
    QCOMPARE(stack.newest_value(), 200);
    stack.request(0, "ignored");
    QCOMPARE(stack.depth(), 1);

    for (int i = 0; i < 10; ++i) stack.request(100, "nested");
    QCOMPARE(stack.depth(), 10);
    QCOMPARE(stack.ignored_opens(), 1);
    Dialog* tenth = stack.newest();
    stack.request(40, {});  // progress of the window never shown moves nothing
    QCOMPARE(stack.newest_value(), 0);
    stack.request(kProgressClose, {});  // closes the ignored one
    QCOMPARE(stack.depth(), 10);
    QCOMPARE(stack.newest(), tenth);
    stack.request(kProgressCloseKeepFocus, {});
    QCOMPARE(stack.depth(), 9);
    while (stack.depth() > 1) stack.request(kProgressClose, {});
    QVERIFY(!owner.isEnabled());  // still owned by the first window
    stack.request(kProgressClose, {});
    QCOMPARE(stack.depth(), 0);
    QVERIFY(owner.isEnabled());
    stack.request(kProgressClose, {});  // nothing left: nothing happens
    QCOMPARE(stack.depth(), 0);
  }
};

QTEST_MAIN(UiConsoleTest)
#include "ui_console_test.moc"
