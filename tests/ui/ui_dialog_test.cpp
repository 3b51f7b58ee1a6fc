// The dialog framework on screen (offscreen platform): command translation,
// the modal and main-window runners, number-field validation, option groups,
// focus walks, menus, captions and the framework's list and message windows.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <string>

#include "services/diagnostic_log.h"
#include "ui/controls.h"
#include "ui/menus.h"
#include "ui/message_window.h"
#include "ui/number_field.h"
#include "ui_test_support.h"

using namespace corvalinde;
using namespace corvalinde::ui;
using testing_support::ScriptedProcedure;

namespace {

constexpr int kFieldNumber = 0;
constexpr int kCheckNumber = 1;

// A shown, active dialog made directly (not through a runner).
class ShownDialog {
 public:
  explicit ShownDialog(ScriptedProcedure& procedure)
      : dialog(DialogKind::kModal, procedure, kModalPointSize) {
    dialog.initialise();
    dialog.resize_client(QSize(320, 200));
    dialog.show();
    dialog.activateWindow();
    active = QTest::qWaitForWindowActive(&dialog);
  }
  Dialog dialog;
  bool active = false;
};

std::string read_log() {
  QFile file(QString::fromStdString(diagnostic_log_target()));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

}  // namespace

class UiDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    testing_support::use_message_ids();
    const std::array<std::string_view, 1> debug = {"/debug"};
    open_diagnostic_log(debug);
  }

  void command_words_translate_by_identifier_range() {
    ScriptedProcedure procedure;
    QPushButton* cancel = nullptr;
    QPushButton* greyed = nullptr;
    procedure.on_initialise = [&](Dialog& d) {
      cancel = create_push_button(d, Label::of_text("Cancel"), kEventCancel, QRect(10, 10, 80, 24));
      greyed = create_push_button(d, Label::of_text("Grey"), 77, QRect(10, 40, 80, 24));
      greyed->setEnabled(false);
    };
    ShownDialog shown(procedure);
    Dialog& d = shown.dialog;
    QCOMPARE(d.identifier_of(cancel).value(), 4095);  // framework number -1
    QCOMPARE(d.identifier_of(greyed).value(), 4094);
    // 4095 with notification 0 is a push-button or menu command, not a control event.
    QCOMPARE(command_event(d, command_word(4095, 0), cancel), kEventCancel);
    QCOMPARE(command_event(d, command_word(4095, 0), nullptr), 0);
    QCOMPARE(command_event(d, command_word(4094, 0), greyed), 0);
    QCOMPARE(command_event(d, command_word(4096, 0), nullptr), kEventControl);
    QCOMPARE(command_event(d, command_word(17, 1), nullptr), kEventControl);
    QVERIFY(press_button(d, 77));  // found although greyed: no command sent
    QVERIFY(procedure.commands.empty());
    QVERIFY(!press_button(d, 5));
  }

  void cancel_button_ends_modal_dialog_with_27() {
    ScriptedProcedure procedure;
    procedure.on_initialise = [](Dialog& d) {
      create_push_button(d, Label::of_text("OK"), kEventAccept, QRect(10, 10, 80, 24));
      create_push_button(d, Label::of_text("Cancel"), kEventCancel, QRect(100, 10, 80, 24));
    };
    testing_support::with_open_dialog(
        [](Dialog& d) { QTest::mouseClick(control_window(d, -2), Qt::LeftButton); });
    QCOMPARE(run_modal_dialog(procedure), 27);
    // Esc presses the cancel button; so does the close box.
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(run_modal_dialog(procedure), 27);
    testing_support::with_open_dialog([](Dialog& d) { d.close(); });
    QCOMPARE(run_modal_dialog(procedure), 27);
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Return); });
    QCOMPARE(run_modal_dialog(procedure), 1);
  }

  void owner_is_enabled_again_before_the_dialog_disappears() {
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    owner.resize(300, 200);
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    bool disabled_while_open = false;
    bool enabled_at_destroy = false;
    ScriptedProcedure procedure;
    procedure.on_initialise = [&](Dialog& d) {
      testing_support::when_shown([&, dialog = &d] {
        disabled_while_open = !owner.isEnabled();
        end_dialog(*dialog, 5);
      });
    };
    procedure.on_destroyed = [&](Dialog& d) { enabled_at_destroy = owner.isEnabled() && d.isHidden(); };
    DialogDescription description;
    description.procedure = &procedure;
    description.owner = &owner;
    description.flags = kSavePlacement;
    QCOMPARE(run_modal_dialog(description), 5);
    QVERIFY(disabled_while_open);
    QVERIFY(enabled_at_destroy);
    QTRY_VERIFY(edit->hasFocus());
    // save_placement stored the five integers.
    QCOMPARE(QString::fromStdString(read_setting("Placement")).split(QLatin1Char(' ')).size(), 5);
  }

  void number_field_refuses_out_of_range_value_and_keeps_focus() {
    ScriptedProcedure procedure;
    NumberField* field = nullptr;
    QCheckBox* check = nullptr;
    QPushButton* ok = nullptr;
    int refusals = 0;
    procedure.on_initialise = [&](Dialog& d) {
      field = create_number_field(d, kFieldNumber, QPoint(10, 10), 4, 1);
      check = create_check_box(d, kCheckNumber, Label::of_message(139), QRect(10, 50, 200, 24));
      ok = create_push_button(d, Label::of_text("OK"), kEventAccept, QRect(10, 90, 80, 24));
      set_number_field(d, kFieldNumber, 4.0);
    };
    procedure.on_event = [&](Dialog& d, std::uint32_t packed_command, int event) {
      if (event == kEventControl && control_number(packed_command) == kFieldNumber &&
          notification_code(packed_command) == kNotifyKillFocus) {
        if (validate_number_field(d, kFieldNumber, kLowerBound | kUpperBound, 4.0, 10.0)) ++refusals;
      } else if (event == kEventAccept) {
        end_dialog(d, 1);
      }
    };
    ShownDialog shown(procedure);
    QVERIFY(shown.active);
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("12"));
    check->setFocus(Qt::TabFocusReason);
    QCOMPARE(refusals, 1);
    QVERIFY(field->hasFocus());
    QCOMPARE(field->text(), QStringLiteral("10.0"));
    QCOMPARE(field->selectedText(), QStringLiteral("10.0"));

    // Within half a unit of the last decimal the value stands.
    field->setText(QStringLiteral("10.04"));
    check->setFocus(Qt::TabFocusReason);
    QVERIFY(check->hasFocus());
    QCOMPARE(refusals, 1);

    // The accept button does not take the focus: the field is validated and
    // the command swallowed.
    field->setFocus();
    field->setText(QStringLiteral("2"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(procedure.last().event, kEventSwallowed);
    QVERIFY(!shown.dialog.close_flag());
    QVERIFY(field->hasFocus());
    QCOMPARE(read_number_field(shown.dialog, kFieldNumber).value, 4.0);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(shown.dialog.close_flag());
    QCOMPARE(refusals, 2);
  }

  void option_buttons_form_groups_up_to_a_gap() {
    ScriptedProcedure procedure;
    std::array<QRadioButton*, 6> options{};
    procedure.on_initialise = [&](Dialog& d) {
      for (int i : {0, 1, 2, 4, 5}) {
        options[static_cast<std::size_t>(i)] = create_option_button(
            d, i, Label::of_text("option"), QRect(QPoint(10, 10 + 25 * i), QSize()), i == 0 || i == 4);
      }
    };
    ShownDialog shown(procedure);
    QTest::mouseClick(options[2], Qt::LeftButton);
    QCOMPARE(procedure.last().event, kEventOptionChanged);
    QVERIFY(options[2]->isChecked());
    QVERIFY(!options[0]->isChecked());
    QVERIFY(options[4]->isChecked());  // the other group is untouched
    options[5]->setEnabled(false);
    QCOMPARE(command_event(shown.dialog, command_word(kOptionBase + 5, 0), options[5]), kEventSwallowed);
    set_user_word(options[1], 1);
    QTest::mouseClick(options[1], Qt::LeftButton);
    QCOMPARE(procedure.last().event, kEventSwallowed);
    QVERIFY(!options[1]->isChecked());
    QVERIFY(options[2]->isChecked());
  }

  void check_boxes_notify_code_5_and_focus_walks_the_tab_order() {
    ScriptedProcedure procedure;
    procedure.on_initialise = [](Dialog& d) {
      create_check_box(d, 0, Label::of_text("zero"), QRect(QPoint(10, 10), QSize()));
      create_check_box(d, 1, Label::of_text("one"), QRect(QPoint(10, 40), QSize()));
      create_check_box(d, 2, Label::of_text("two"), QRect(QPoint(10, 70), QSize()));
      create_push_button(d, Label::of_text("OK"), kEventAccept, QRect(10, 100, 80, 22));
    };
    ShownDialog shown(procedure);
    Dialog& d = shown.dialog;
    set_check(d, 1, true);
    QVERIFY(get_check(d, 1));
    QVERIFY(procedure.received(control_identifier(1), kNotifyCheckChanged));
    QTest::mouseClick(control_window(d, 2), Qt::LeftButton);
    QCOMPARE(procedure.last().identifier, control_identifier(2));
    QCOMPARE(procedure.last().notification, kNotifyCheckChanged);

    set_control_disabled(d, 0, true);
    QVERIFY(is_control_disabled(d, 0));
    control_window(d, 1)->hide();
    focus_control(d, 0);
    QVERIFY(control_window(d, 2)->hasFocus());
    focus_control(d, 42);  // no such control: the first eligible one
    QVERIFY(control_window(d, 2)->hasFocus());
    set_control_disabled(d, 2, true);
    focus_control(d, 0);  // nothing eligible (the button is the framework's)
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&d));
    QVERIFY(!is_control_disabled(d, 99));
  }

  void colours_and_sizes_act_on_controls() {
    ScriptedProcedure procedure;
    procedure.on_initialise = [](Dialog& d) {
      create_static(d, 0, Label::of_message(130), QRect(10, 10, 100, 20));
      create_list(d, 1, QRect(10, 40, 200, 100));
    };
    ShownDialog shown(procedure);
    Dialog& d = shown.dialog;
    set_user_word(control_window(d, 0), 0x23);
    set_control_colour(d, 0, 11);
    QCOMPARE(user_word(control_window(d, 0)), 0x03 + 12 * 16);
    QCOMPARE(control_window(d, 0)->palette().color(QPalette::WindowText), QColor(0x00, 0xFF, 0xFF));
    set_control_colour(d, 0, 99);  // not a colour: nothing changes
    QCOMPARE(user_word(control_window(d, 0)), 0x03 + 12 * 16);
    QCOMPARE(anchor_offset(d, 1), QSize(320 - 210, 200 - 140));
    set_control_size_cells(d, 1, QSize(20, 5));
    QCOMPARE(control_size_cells(d, 1), QSize(20, 5));
    QCOMPARE(control_size_cells(d, 9), QSize());
  }

  void title_keeps_its_first_part_and_is_logged() {
    ScriptedProcedure procedure;
    ShownDialog shown(procedure);
    QWidget* child = shown.dialog.client();
    set_title_message(child, 129);
    QCOMPARE(shown.dialog.windowTitle(), QStringLiteral("Corvalinde - #129"));
    shown.dialog.setWindowTitle(QStringLiteral("Route - old - part"));
    set_title_message(child, 144);
    QCOMPARE(shown.dialog.windowTitle(), QStringLiteral("Route - #144"));
    set_title_message(child, 0);
    QCOMPARE(shown.dialog.windowTitle(), QStringLiteral("Route"));
    const std::string log = read_log();
    QVERIFY(log.find(" SET_TITLE Route - #144 ") != std::string::npos);
    QVERIFY(log.find(" INIT    DIALOG\n dlg font   ") != std::string::npos);
    QVERIFY(log.find(" sortie INIT    DIALOG\n") != std::string::npos);
  }

  void menus_come_from_message_texts_and_send_their_numbers() {
    ScriptedProcedure procedure;
    QMenu* file = nullptr;
    procedure.on_initialise = [&](Dialog& d) {
      file = create_popup_menu(d, 1, 112, {MenuEntry{false, "Ctrl+O"}});
      QMenu* help = create_popup_menu(d, 2, 113, {MenuEntry{true, {}}});
      create_menu_bar(d, 111, {file, help});
    };
    ShownDialog shown(procedure);
    Dialog& d = shown.dialog;
    QMenuBar* bar = d.menu_bar();
    QCOMPARE(bar->actions().size(), 2);
    QCOMPARE(bar->actions()[1]->text(), QStringLiteral("#111.2"));
    QCOMPARE(file->actions().size(), 4);
    QCOMPARE(file->actions()[0]->text(), QStringLiteral("#112.1\tCtrl+O"));
    QVERIFY(file->actions()[1]->isSeparator());
    QVERIFY(!bar->actions()[1]->menu()->actions()[0]->isEnabled());

    file->actions()[2]->trigger();
    QCOMPARE(procedure.last().identifier, menu_command(1, 3));
    QCOMPARE(procedure.last().event, 0);  // read the command from packed_command
    QVERIFY(grey_menu_command(d, menu_command(1, 1), true));
    QVERIFY(!file->actions()[0]->isEnabled());
    QVERIFY(grey_menu_command(d, menu_command(1, 1), false));
    QVERIFY(file->actions()[0]->isEnabled());
    QVERIFY(grey_menu_command(d, 2, true));  // a menu-bar title
    QVERIFY(!bar->actions()[1]->isEnabled());
    QVERIFY(!grey_menu_command(d, menu_command(1, 2), true));  // the separator
    QVERIFY(!grey_menu_command(d, menu_command(3, 1), true));
    QVERIFY(!grey_menu_command(d, menu_command(1, 9), true));
  }

  void main_window_restores_and_stores_current_directory() {
    QTemporaryDir start;
    QTemporaryDir later;
    QVERIFY(write_setting("CurDir", start.path().toStdString()));
    QString seen;
    ScriptedProcedure procedure;
    procedure.on_initialise = [&](Dialog& d) {
      seen = QDir::currentPath();
      testing_support::when_shown([&d, &later] {
        QDir::setCurrent(later.path());
        end_dialog(d, -1);
      });
    };
    DialogDescription description;
    description.procedure = &procedure;
    description.point_size = kMainPointSize;
    QCOMPARE(run_main_window(description), 0);
    QCOMPARE(seen, start.path());
    QCOMPARE(QString::fromStdString(read_setting("CurDir")), later.path());
    QVERIFY(main_window() == nullptr);

    procedure.on_initialise = [](Dialog&) { testing_support::when_shown([] { post_quit(3); }); };
    QCOMPARE(run_main_window(description), 3);
  }

  void list_choice_accepts_double_click_and_cancels_to_zero() {
    const std::vector<std::string> items = {"AXE-1   ", "AXE-2", "AXE-3"};
    int rows_shown = 0;
    QString first;
    auto rows_of = [](const QListWidget* list) {
      return (list->height() - 2 * list->frameWidth()) / list->sizeHintForRow(0);
    };
    testing_support::with_open_dialog([&](Dialog& d) {
      auto* list = qobject_cast<QListWidget*>(control_window(d, 0));
      rows_shown = rows_of(list);
      first = list->item(0)->text();
      const QRect third = list->visualItemRect(list->item(2));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    });
    QCOMPARE(choose_from_list("#144", items), 3);
    QCOMPARE(rows_shown, kListMinimumRows);
    QCOMPARE(first, QStringLiteral("AXE-1"));

    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(choose_from_list("#144", items), 0);

    std::vector<std::string> many(40, "candidate");
    testing_support::with_open_dialog([&](Dialog& d) {
      auto* list = qobject_cast<QListWidget*>(control_window(d, 0));
      rows_shown = rows_of(list);
      list->setCurrentRow(39);
      QTest::keyClick(list, Qt::Key_Return);
    });
    QCOMPARE(choose_from_list("#144", many), 40);
    QCOMPARE(rows_shown, kListMaximumRows);
    QCOMPARE(choose_from_list("#144", {}), 0);
  }

  void message_window_returns_the_button_number() {
    testing_support::with_open_dialog([](Dialog& d) {
      QTest::mouseClick(qobject_cast<QPushButton*>(control_window(d, -2)), Qt::LeftButton);
    });
    QCOMPARE(message_window({"#17"}, kQuestion, message_trimmed(11)), 2);
    // Esc answers no button among several, and the only one otherwise.
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(message_window({"#19"}, kQuestion, message_trimmed(10)), 0);
    testing_support::with_open_dialog([](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(message_window({"line 1", "line 2"}, kError, std::vector<std::string>{}), 1);
  }
};

QTEST_MAIN(UiDialogTest)
#include "ui_dialog_test.moc"
