// Help and About: the version fields by width, the guide's usability rule,
// and the About window's lines.
#include "ui/help.h"
#include "ui/system_information.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

#include <string>

#include "services/settings_store.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

bool write_file(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A framework dialog on screen other than the two given (top-level widgets
// come in no particular order).
Dialog* other_dialog(const Dialog* first, const Dialog* second) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<Dialog*>(window);
    if (dialog != nullptr && dialog != first && dialog != second && dialog->isVisible() &&
        !dialog->close_flag())
      return dialog;
  }
  return nullptr;
}

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing_support::use_message_ids(); }

  void versionFieldsFollowTheirWidths() {
    std::string product(kProductVersionWidth, ' ');
    std::string file(kFileVersionWidth, ' ');
    std::string date10(kBuildDateWidth, ' ');
    std::string date8(8, '*');
    std::string date6(6, '*');
    version_text(product, date10);
    version_text(file, date8);
    std::string unused(kProductVersionWidth, ' ');
    version_text(unused, date6);

    QCOMPARE(product, std::string(CORVALINDE_VERSION).substr(0, kProductVersionWidth));
    QCOMPARE(file.substr(0, product.size() + 2), product + ".0");
    QCOMPARE(file.size(), kFileVersionWidth);
    // The program's date: a year of four digits first.
    QVERIFY(date10.substr(0, 2) == "20");
    QCOMPARE(date8.size(), std::size_t{8});
    QCOMPARE(date8.substr(0, 7), date10.substr(kBuildDateWidth - 7));
    QCOMPARE(date6, std::string(6, '*'));
  }

  void guideShorterThanFourBytesCountsAsMissing() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString short_guide = folder.filePath(QStringLiteral("short.html"));
    const QString guide = folder.filePath(QStringLiteral("guide.html"));
    QVERIFY(write_file(short_guide, "abc"));
    QVERIFY(write_file(guide, "abcd"));
    QVERIFY(!help_file_usable(short_guide.toStdString()));
    QVERIFY(help_file_usable(guide.toStdString()));
    QVERIFY(!help_file_usable(folder.filePath(QStringLiteral("none.html")).toStdString()));
    QVERIFY(!help_file_usable(folder.path().toStdString()));  // a folder is no guide
    QVERIFY(help_file_path().ends_with(application_base_name("html")));
  }

  void aboutWindowShowsNameVersionAndDate() {
    const std::vector<std::string> lines = about_lines();
    QCOMPARE(lines.size(), std::size_t{3});
    QCOMPARE(lines[0], application_base_name());
    QCOMPARE(lines[1], "#115 " + std::string(CORVALINDE_VERSION).substr(0, kProductVersionWidth));

    QStringList shown;
    testing_support::with_open_dialog([&shown](Dialog& d) {
      for (QLabel* label : d.findChildren<QLabel*>()) shown << label->text();
      QTest::keyClick(&d, Qt::Key_Escape);
    });
    show_help(3);
    QVERIFY(shown.join(QLatin1Char('\n')).contains(QString::fromStdString(lines[1])));
    // Items that carry no command open nothing (no dialog would answer).
    show_help(2);
  }

  void releaseNameComesFromOsRelease() {
    QCOMPARE(os_release_name("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
             std::string("Debian GNU/Linux 12 (bookworm)"));
    QCOMPARE(os_release_name("NAME='Alpine'\r\nVERSION=3.19\n# PRETTY_NAME=no\n"),
             std::string("Alpine 3.19"));
    QCOMPARE(os_release_name("PRETTY_NAME=\"Say \\\"hi\\\"\""), std::string("Say \"hi\""));
    QCOMPARE(os_release_name("garbage\n\n=\n"), std::string(kUnknownRelease));
    QCOMPARE(os_release_name(""), std::string(kUnknownRelease));
  }

  void systemInformationHasItsSevenLines() {
    const std::vector<std::string> lines = system_information_lines();
    QCOMPARE(lines.size(), std::size_t{7});
    QCOMPARE(lines[0], QCoreApplication::applicationFilePath().toStdString());
    std::string version(kFileVersionWidth, ' ');
    std::string date(kBuildDateWidth, ' ');
    version_text(version, date);
    QVERIFY(lines[1].starts_with(version.substr(0, version.find_last_not_of(' ') + 1) + " 20"));
    QVERIFY(!lines[2].empty());
    QVERIFY(lines[3].starts_with("Ansi ") && lines[3].size() > 5);
    QCOMPARE(lines[4], "OEM " + lines[3].substr(5));
    QCOMPARE(lines[5], settings_path(""));
    QVERIFY(!lines[6].empty());
  }

  // The framework's key opens the window over any dialog; asking again while
  // it is open, by the key or directly, shows nothing more.
  void systemInformationOpensOnceOnTheFrameworkKey() {
    testing_support::ScriptedProcedure procedure;
    int windows_seen = 0;
    bool asked_again = true;
    QStringList shown;
    int looks = 0;
    std::function<void()> look_for_window;
    testing_support::with_open_dialog([&](Dialog& outer) {
      QApplication::setActiveWindow(&outer);
      if (!QTest::qWaitForWindowActive(&outer)) return;
      // The window opens inside the key press: look for it until it is up.
      look_for_window = [&] {
        Dialog* information = other_dialog(&outer, nullptr);
        if (information == nullptr) {
          if (++looks < 300) QTimer::singleShot(10, qApp, look_for_window);
          return;
        }
        ++windows_seen;
        for (QLabel* label : information->findChildren<QLabel*>()) shown << label->text();
        QApplication::setActiveWindow(information);
        // A further window (no guard) is counted and closed, not left to hang.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, qApp, [&outer, information, &windows_seen] {
          Dialog* other = other_dialog(&outer, information);
          if (other == nullptr) return;
          ++windows_seen;
          end_dialog(*other, testing_support::kAbandoned);
        });
        closer.start(20);
        if (QTest::qWaitForWindowActive(information))
          QTest::keyClick(information, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
        asked_again = show_system_information();
        QTest::keyClick(information, Qt::Key_Escape);
        if (!information->close_flag()) end_dialog(*information, testing_support::kAbandoned);
      };
      QTimer::singleShot(10, qApp, look_for_window);
      QTest::keyClick(&outer, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
      end_dialog(outer, kEventCancel);
    });
    const int result = run_modal_dialog(procedure);
    QCOMPARE(windows_seen, 1);
    QCOMPARE(result, int{kEventCancel});
    QVERIFY(!asked_again);
    QVERIFY(shown.join(QLatin1Char('\n')).contains(QCoreApplication::applicationFilePath()));
    // Closed, it opens again.
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QVERIFY(show_system_information());
  }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::HelpTest)
#include "ui_help_test.moc"
