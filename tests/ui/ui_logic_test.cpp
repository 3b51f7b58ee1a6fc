// The toolkit's screen-free rules: numbering, item texts, marker runs,
// number fields, and the file selection's filter table and name checks.
#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <string>
#include <vector>

#include "ui/console_view.h"
#include "ui/file_selection.h"
#include "ui/item_text.h"
#include "ui/number_field.h"
#include "ui/numbering.h"
#include "ui_test_support.h"

using namespace corvalinde::ui;

namespace {

std::vector<std::string> open_command_types() {
  return {"#121 (*.txt)", "#122 (*.xml)"};
}

void touch(const QString& path) {
  std::ofstream(path.toStdString()) << "x";
}

}  // namespace

class UiLogicTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { testing_support::use_message_ids(); }

  void control_and_menu_numbering() {
    static_assert(control_identifier(0) == 4096);
    static_assert(menu_command(1, 3) == 49 && menu_of(49) == 1 && menu_item_of(49) == 3);
    static_assert(menu_command(2, 1) == 18 && menu_of(18) == 2 && menu_item_of(18) == 1);
    const std::uint32_t word = command_word(control_identifier(7), kNotifyTextChanged);
    QCOMPARE(control_number(word), 7);
    QCOMPARE(notification_code(word), 768);
    // The framework's own controls lie below the application's.
    QCOMPARE(control_number(command_word(control_identifier(-1), 0)), -1);
  }

  void item_texts_split_at_bars() {
    QCOMPARE(split_items("#112.1|-|#112.3   "), (std::vector<std::string>{"#112.1", "-", "#112.3"}));
    QCOMPARE(split_items(" Oui | Non "), (std::vector<std::string>{"Oui", "Non"}));
    QCOMPARE(split_items("a||b"), (std::vector<std::string>{"a", "", "b"}));
    QVERIFY(split_items("    ").empty());
  }

  void markers_select_styles_and_are_not_shown() {
    const std::vector<TextRun> runs = console_runs("x \vAgood \v\vl=12.0");
    QCOMPARE(runs.size(), std::size_t{3});
    QCOMPARE(runs[0].text, QStringLiteral("x "));
    QCOMPARE(runs[0].style, RunStyle::kPlain);
    QCOMPARE(runs[1].text, QStringLiteral("good "));
    QCOMPARE(runs[1].style, RunStyle::kSatisfactory);
    QCOMPARE(runs[2].text, QStringLiteral("l=12.0"));
    QCOMPARE(runs[2].style, RunStyle::kPlain);

    const std::vector<TextRun> summary = console_runs("total (\v245%\v\v)");
    QCOMPARE(summary.size(), std::size_t{3});
    QCOMPARE(summary[1].style, RunStyle::kPassing);
    QCOMPARE(summary[1].text, QStringLiteral("45%"));
    QCOMPARE(console_runs("\vCbad")[0].style, RunStyle::kDeficient);
    QCOMPARE(console_runs("\vGopen")[0].style, RunStyle::kNotAssessable);
    // An unknown selector and a trailing introducer are hidden too.
    QCOMPARE(shown_text("a\vZb\v"), QStringLiteral("ab"));
    QCOMPARE(shown_text("\xc3\xa9t\xc3\xa9 \vAok"), QStringLiteral("\u00e9t\u00e9 ok"));
  }

  void number_fields_read_format_and_tolerate_half_a_unit() {
    QCOMPARE(parse_number(" 12,5 ").value, 12.5);
    QCOMPARE(parse_number("-.5").value, -0.5);
    QVERIFY(parse_number("   ").empty);
    QCOMPARE(parse_number("").value, 0.0);
    QVERIFY(!parse_number("1e5").valid);
    QVERIFY(!parse_number("-").valid);
    QVERIFY(!parse_number("1.2.3").valid);
    QVERIFY(!parse_number(std::string(400, '9')).valid);  // would not be finite

    QCOMPARE(format_number(15.0, 1), std::string("15.0"));
    QCOMPARE(format_number(2.5, 0), std::string("3"));  // halves away from zero
    QCOMPARE(format_number(-0.04, 1), std::string("0.0"));
    QCOMPARE(number_tolerance(1), 0.05);
    QCOMPARE(number_tolerance(-1), 0.5);

    const unsigned both = kLowerBound | kUpperBound;
    QVERIFY(!check_number_bounds(parse_number("10.04"), 1, both, 4.0, 10.0).refused);
    const BoundCheck high = check_number_bounds(parse_number("10.06"), 1, both, 4.0, 10.0);
    QVERIFY(high.refused);
    QCOMPARE(high.replacement, 10.0);
    const BoundCheck low = check_number_bounds(parse_number("3.9"), 1, both, 4.0, 10.0);
    QCOMPARE(low.replacement, 4.0);
    // Only the bounds asked for apply; an empty field reads 0.
    QVERIFY(!check_number_bounds(parse_number("99"), 1, kLowerBound, 4.0, 10.0).refused);
    QCOMPARE(check_number_bounds(parse_number(""), 1, kLowerBound, 4.0, 10.0).replacement, 4.0);
    QVERIFY(check_number_bounds(parse_number("+"), 1, 0, 0.0, 0.0).refused);
  }

  void two_types_give_a_combined_entry_first() {
    const FilterTable table = build_filter_table(open_command_types(), 0);
    QCOMPARE(table.entries.size(), std::size_t{3});
    QCOMPARE(table.entries[0].description, std::string("#40"));
    QCOMPARE(table.entries[0].pattern(), std::string("*.txt;*.xml"));
    QCOMPARE(table.entries[0].type, 0);
    QCOMPARE(table.entries[1].description, std::string("#121"));
    QCOMPARE(table.entries[1].pattern(), std::string("*.txt"));
    QCOMPARE(table.entries[2].type, 2);
    QCOMPARE(table.entries[2].name_filter(), QStringLiteral("#122 (*.xml *.XML)"));
    // A file chosen under the combined entry gets its own type.
    QCOMPARE(file_type_of(table, "/data/road.xml"), 2);
    QCOMPARE(file_type_of(table, "/data/ROAD.TXT"), 1);
    QCOMPARE(file_type_of(table, "/data/road.dat"), 0);
    QCOMPARE(file_type_of(table, "/data.xml/road"), 0);
  }

  void suggested_extension_preselects_its_type() {
    const FilterTable table = build_filter_table(open_command_types(), 0);
    QCOMPARE(preselected_filter(table, "projet.xml"), std::size_t{2});
    QCOMPARE(preselected_filter(table, "projet.TXT"), std::size_t{1});
    QCOMPARE(preselected_filter(table, "projet"), std::size_t{0});
    QCOMPARE(preselected_filter(table, "projet.dat"), std::size_t{0});
  }

  void star_pattern_adds_all_files_entry_and_bare_text_adds_nothing() {
    const std::vector<std::string> descriptions = {"#121 (*.txt)", "no pattern here", "#41 (*.*)"};
    const FilterTable table = build_filter_table(descriptions, 0);
    QVERIFY((table.options & kAllFilesEntry) != 0);
    QCOMPARE(table.entries.size(), std::size_t{2});  // one type, no combined entry, then "*.*"
    QCOMPARE(table.entries[0].pattern(), std::string("*.txt"));
    QVERIFY(table.entries[1].all_files);
    QCOMPARE(table.entries[1].pattern(), std::string("*.*"));
    QCOMPARE(table.entries[1].description, std::string("#41"));
    // Description order decides: txt first, then the "*" type takes the rest.
    QCOMPARE(file_type_of(table, "a.txt"), 1);
    QCOMPARE(file_type_of(table, "a.dat"), 3);

    const FilterTable asked = build_filter_table(open_command_types(), kAllFilesEntry);
    QCOMPARE(asked.entries.size(), std::size_t{4});
    QCOMPARE(asked.entries.back().type, 0);
    QCOMPARE(file_type_of(asked, "a.dat"), 0);
    QVERIFY(build_filter_table(std::vector<std::string>{"(*.)", "txt"}, 0).entries.empty());
  }

  void titles_follow_option_bits() {
    QCOMPARE(title_message(0), 13);
    QCOMPARE(title_message(16), 14);
    QCOMPARE(title_message(32 | kFileForWriting), 15);
    QCOMPARE(title_message(48), 35);
  }

  void missing_extension_is_completed_and_swapped() {
    const FilterTable table = build_filter_table(open_command_types(), kAllFilesEntry);
    QCOMPARE(complete_extension("/d/road", table.entries[1]), std::string("/d/road.txt"));
    QCOMPARE(complete_extension("/d/road.dat", table.entries[1]), std::string("/d/road.dat"));
    QCOMPARE(complete_extension("/d/road", table.entries.back()), std::string("/d/road"));
    QCOMPARE(complete_extension("/d.v2/road.", table.entries[2]), std::string("/d.v2/road.xml"));
    QCOMPARE(extension_of("/d/.profile"), std::string());
    QCOMPARE(swap_extension("road.txt", "xml"), std::string("road.xml"));
    QCOMPARE(swap_extension("road", "xml"), std::string("road"));

    // Under the combined entry the extension whose file exists wins.
    QTemporaryDir folder;
    touch(folder.filePath(QStringLiteral("road.xml")));
    const std::string base = folder.filePath(QStringLiteral("road")).toStdString();
    QCOMPARE(complete_extension(base, table.entries[0]), base + ".xml");
    QCOMPARE(complete_extension(base + "2", table.entries[0]), base + "2.txt");
  }

  void chosen_names_are_checked_before_the_dialog_closes() {
    QTemporaryDir folder;
    touch(folder.filePath(QStringLiteral("road.txt")));
    const FilterTable table = build_filter_table(open_command_types(), 0);
    const FileFilter& txt = table.entries[1];
    std::vector<int> asked;
    auto answer = [&asked](int reply) {
      return [&asked, reply](int message, int buttons) {
        asked.push_back(message);
        asked.push_back(buttons);
        return reply;
      };
    };
    const std::string base = folder.filePath(QStringLiteral("road")).toStdString();

    NameCheck check = check_chosen_name(base, txt, 0, answer(1));
    QVERIFY(check.accepted);
    QCOMPARE(check.path, base + ".txt");
    QVERIFY(asked.empty());

    // Missing: refused, unless confirmed with the second button of message 10.
    QVERIFY(!check_chosen_name(base + "2", txt, 0, answer(2)).accepted);
    QVERIFY(asked.empty());
    QVERIFY(!check_chosen_name(base + "2", txt, kAcceptMissingFile, answer(1)).accepted);
    QVERIFY(check_chosen_name(base + "2", txt, kAcceptMissingFile, answer(2)).accepted);
    QCOMPARE(asked, (std::vector<int>{19, 10, 19, 10}));
    asked.clear();

    // Replacing: the first button of message 11 accepts.
    QVERIFY(!check_chosen_name(base, txt, kFileForWriting | kAskBeforeReplacing, answer(2)).accepted);
    QVERIFY(check_chosen_name(base, txt, kFileForWriting | kAskBeforeReplacing, answer(1)).accepted);
    QCOMPARE(asked, (std::vector<int>{17, 11, 17, 11}));
    QVERIFY(check_chosen_name(base, txt, kFileForWriting, answer(2)).accepted);

    // A folder, or a file that cannot be read, is refused.
    QVERIFY(!check_chosen_name(folder.path().toStdString(), table.entries[0], 0, answer(1)).accepted);
    const QString locked = folder.filePath(QStringLiteral("locked.txt"));
    touch(locked);
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (::geteuid() != 0) QVERIFY(!check_chosen_name(locked.toStdString(), txt, 0, answer(1)).accepted);
  }
};

QTEST_MAIN(UiLogicTest)
#include "ui_logic_test.moc"
