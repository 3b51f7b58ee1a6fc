// The console window's scroll rules, drawing, selection and saving.
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "output/console.h"
#include "ui/console_view.h"
#include "ui/verdict_style.h"
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

  void records_colour_their_lines_by_verdict() {
    ShownConsole shown;
    auto finding = [&](Verdict verdict) {
      FindingRecord record;
      record.verdict = verdict;
      record.text = "\vGMMMMMMMMMMMMMMMMMMMM";  // warning and not assessable share marker G
      shown.console.write_finding(false, record);
    };
    finding(Verdict::kWarning);
    finding(Verdict::kNotAssessable);
    QImage image = shown.view.viewport()->grab().toImage();
    QVERIFY(has_colour_near(image, verdict_colour(Verdict::kWarning)));
    QVERIFY(has_colour_near(image, verdict_colour(Verdict::kNotAssessable)));
    QVERIFY(!has_colour_near(image, verdict_colour(Verdict::kFail)));
    // A marker without a record draws nothing in colour.
    shown.console.write(kConsoleClear);
    shown.console.write(kConsoleOrdinary, "\vCMMMMMMMMMMMMMMMMMMMM");
    image = shown.view.viewport()->grab().toImage();
    QVERIFY(!has_colour_near(image, verdict_colour(Verdict::kFail)));
  }

  void padded_headings_need_no_horizontal_scrolling() {
    ShownConsole shown;
    shown.console.write(kConsoleHeadingLine, "Heading" + std::string(150, ' '));
    QCOMPARE(shown.view.horizontalScrollBar()->maximum(), 0);
    shown.console.write(kConsoleOrdinary, std::string(150, 'x'));
    QVERIFY(shown.view.horizontalScrollBar()->maximum() > 0);
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

  void many_lines_keep_the_last_page_shown() {
    // How fast this goes is measured in bench/, not here.
    ShownConsole shown;
    write_lines(shown.console, 100000, "row of a long listing with some text in it ");
    QCOMPARE(shown.view.first_visible_line(), shown.last_page_start());
  }
};

QTEST_MAIN(UiConsoleTest)
#include "ui_console_test.moc"
