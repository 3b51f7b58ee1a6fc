// Help and About: the version fields by width, the guide's usability rule,
// and the About window's lines.
#include "ui/help.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <string>

#include "services/settings_store.h"
#include "ui_test_support.h"

namespace corvalinde::ui {
namespace {

bool write_file(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::HelpTest)
#include "ui_help_test.moc"
