// select_file with Qt's own file dialog driven as a user would: typing a
// name, changing the file type, confirming.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "services/diagnostic_log.h"
#include "ui/file_selection.h"
#include "ui_test_support.h"

using namespace corvalinde;
using namespace corvalinde::ui;

namespace {

const std::vector<std::string> kTypes = {"#121 (*.txt)", "#122 (*.xml)"};

QFileDialog* open_file_dialog() {
  return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}
QLineEdit* name_edit(QFileDialog* dialog) {
  return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Runs action on the file dialog once it is up; a dialog still open after
// the action settles is rejected so that a failure cannot hang the test.
void with_file_dialog(std::function<void(QFileDialog&)> action) {
  testing_support::when_shown([action = std::move(action)] {
    QPointer<QFileDialog> dialog = open_file_dialog();
    if (dialog == nullptr) return;
    QTimer::singleShot(testing_support::kAbandonAfterMs, dialog, [dialog] {
      if (dialog != nullptr && dialog->isVisible()) dialog->reject();
    });
    action(*dialog);
  });
}

void type_and_confirm(QFileDialog& dialog, const QString& name) {
  name_edit(&dialog)->setText(name);
  QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
}

std::string read_log() {
  QFile file(QString::fromStdString(diagnostic_log_target()));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

}  // namespace

class UiFileSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    testing_support::use_message_ids();
    const std::array<std::string_view, 1> debug = {"/debug"};
    open_diagnostic_log(debug);
    QVERIFY(folder_.isValid());
    for (const char* name : {"road.txt", "plan.xml", "notes.dat"}) {
      std::ofstream(QDir(folder_.path()).filePath(QString::fromLatin1(name)).toStdString()) << "data";
    }
  }

  void init() { QDir::setCurrent(folder_.path()); }

  void typed_name_gets_the_selected_type_extension() {
    with_file_dialog([](QFileDialog& dialog) {
      dialog.selectNameFilter(dialog.nameFilters().at(1));
      type_and_confirm(dialog, QStringLiteral("road"));
    });
    std::string name;
    QCOMPARE(select_file(name, kTypes, 0), 1);
    QCOMPARE(QString::fromStdString(name), QDir(folder_.path()).filePath(QStringLiteral("road.txt")));
  }

  void xml_chosen_under_the_combined_entry_is_type_2() {
    QString title;
    QString preselected;
    with_file_dialog([&](QFileDialog& dialog) {
      title = dialog.windowTitle();
      preselected = dialog.selectedNameFilter();
      type_and_confirm(dialog, QStringLiteral("plan.xml"));
    });
    std::string name;
    QCOMPARE(select_file(name, kTypes, 0), 2);
    QCOMPARE(title, QStringLiteral("#13"));
    QVERIFY(preselected.startsWith(QStringLiteral("#40 (*.txt")));
  }

  void suggested_xml_name_preselects_the_xml_type() {
    QString preselected;
    with_file_dialog([&](QFileDialog& dialog) {
      preselected = dialog.selectedNameFilter();
      dialog.reject();
    });
    std::string name = "plan.xml";
    QCOMPARE(select_file(name, kTypes, 0), 0);
    QCOMPARE(name, std::string("plan.xml"));  // a cancel leaves the name alone
    QVERIFY(preselected.startsWith(QStringLiteral("#122 ")));
  }

  void missing_file_keeps_the_dialog_open() {
    bool still_open = false;
    with_file_dialog([&](QFileDialog& dialog) {
      type_and_confirm(dialog, QStringLiteral("absent.txt"));
      still_open = dialog.isVisible();
      type_and_confirm(dialog, QStringLiteral("road.txt"));
    });
    std::string name;
    QCOMPARE(select_file(name, kTypes, 0), 1);
    QVERIFY(still_open);
  }

  void changing_the_type_swaps_the_typed_extension() {
    QString after_change;
    with_file_dialog([&](QFileDialog& dialog) {
      auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      name_edit(&dialog)->setText(QStringLiteral("plan.txt"));
      types->setFocus();
      QTest::keyClick(types, Qt::Key_End);  // the user picks the last type: xml
      after_change = name_edit(&dialog)->text();
      QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
    });
    std::string name;
    QCOMPARE(select_file(name, kTypes, 0), 2);
    QCOMPARE(after_change, QStringLiteral("plan.xml"));
  }

  void file_of_no_type_is_logged_and_gives_0() {
    QTemporaryDir elsewhere;
    const QString path = QDir(elsewhere.path()).filePath(QStringLiteral("x.dat"));
    std::ofstream(path.toStdString()) << "data";
    QVERIFY(QFile::exists(path));
    with_file_dialog([&](QFileDialog& dialog) {
      dialog.selectNameFilter(dialog.nameFilters().last());  // "*.*"
      type_and_confirm(dialog, path);
    });
    std::string name;
    QCOMPARE(select_file(name, kTypes, kAllFilesEntry), 0);
    QVERIFY(name.empty());
    const std::string log = read_log();
    QVERIFY(log.find(" Pb Select_fic |" + path.toStdString() + "|\n") != std::string::npos);
    QVERIFY(log.find(" Ext : *.txt;*.xml;\n") != std::string::npos);
    // The folder of the chosen file became the current directory.
    QCOMPARE(QDir::currentPath(), elsewhere.path());
  }

 private:
  QTemporaryDir folder_;
};

QTEST_MAIN(UiFileSelectionTest)
#include "ui_file_selection_test.moc"
