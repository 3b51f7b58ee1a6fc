// Help and About: the version fields by width, the guide's usability rule,
// and the About window's lines.
#include "ui/help.h"
#include "ui/system_information.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

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
    QVERIFY(help_file_path("en").ends_with(application_base_name("html")));
  }

  void aboutWindowShowsNameVersionAndDate() {
    const std::vector<std::string> lines = about_lines();
    QCOMPARE(lines.size(), std::size_t{3});
    QCOMPARE(lines[0], application_base_name());
    QCOMPARE(lines[1], "#115 " + std::string(CORVALINDE_VERSION).substr(0, kProductVersionWidth));

    QString shown;
    testing_support::when_modal([&shown](QWidget* box) {
      for (QLabel* label : box->findChildren<QLabel*>()) shown += label->text() + QLatin1Char('\n');
      QTest::keyClick(box, Qt::Key_Escape);
    });
    show_about(nullptr);
    QVERIFY(shown.contains(QString::fromStdString(lines[1])));
  }

  void missingGuideIsSaidSo() {
    QString said;
    testing_support::when_modal([&said](QWidget* box) {
      for (QLabel* label : box->findChildren<QLabel*>()) said += label->text();
      QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(!open_guide(nullptr, "xx"));  // no guide in that language
    QVERIFY(said.contains(QString::fromStdString(help_file_name("xx"))));
    QCOMPARE(help_file_name("en"), application_base_name("html"));
    QCOMPARE(help_file_name("fr"), std::string("Corvalinde.fr.html"));
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

  // Asking again while the window is open shows nothing more.
  void systemInformationOpensOnce() {
    bool asked_again = true;
    QString shown;
    testing_support::when_modal([&](QWidget* box) {
      for (QLabel* label : box->findChildren<QLabel*>()) shown += label->text();
      asked_again = show_system_information(nullptr);
      QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(show_system_information(nullptr));
    QVERIFY(!asked_again);
    QVERIFY(shown.contains(QCoreApplication::applicationFilePath()));
  }
};

}  // namespace corvalinde::ui

QTEST_MAIN(corvalinde::ui::HelpTest)
#include "ui_help_test.moc"
