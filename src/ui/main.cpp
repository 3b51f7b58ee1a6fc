// The desktop program: reads its command line (--help, --version, --lang, a
// design to open), sets the language, makes sure it is the only instance,
// and shows the main window until the user quits. Choosing another language
// in the menu rebuilds the window in that language, keeping the review shown.
#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

#include <cstdio>
#include <memory>

#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "services/settings_store.h"
#include "ui/gui_user_interface.h"
#include "ui/languages.h"
#include "ui/main_window.h"
#include "ui/single_instance.h"
#include "ui/window_keeper.h"

#ifndef CORVALINDE_VERSION
#define CORVALINDE_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
  using namespace corvalinde;
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Corvalinde"));
  QApplication::setApplicationName(QStringLiteral("Corvalinde"));
  QApplication::setApplicationDisplayName(QStringLiteral("Corvalinde"));
  QApplication::setApplicationVersion(QStringLiteral(CORVALINDE_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvalinde.svg")));

  // The language first, so that --help speaks it: --lang, else the menu's
  // last choice, else the system's.
  QString language = QSettings().value(QStringLiteral("language")).toString();
  for (int i = 1; i + 1 < argc; ++i) {
    if (QString::fromLocal8Bit(argv[i]) == QStringLiteral("--lang"))
      language = QString::fromLocal8Bit(argv[i + 1]);
  }
  (void)ui::apply_language(language);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QCoreApplication::translate("main", "Reviews a road design for design consistency and safety."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption lang_option(
      QStringLiteral("lang"), QCoreApplication::translate("main", "Language of the program: fr or en."),
      QStringLiteral("language"));
  parser.addOption(lang_option);
  parser.addOption(QCommandLineOption(QStringLiteral("debug"),
                                      QCoreApplication::translate("main", "Write a diagnostic log.")));
  parser.addPositionalArgument(QStringLiteral("design"),
                               QCoreApplication::translate("main", "A road design to open and review."),
                               QStringLiteral("[design]"));
  // "/debug" is the older spelling of --debug (the log reads both).
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeAll(QStringLiteral("/debug"));
  parser.process(arguments);
  if (parser.isSet(lang_option) && !ui::interface_languages().contains(parser.value(lang_option))) {
    std::fprintf(stderr, "%s\n",
                 qPrintable(QCoreApplication::translate("main", "Unknown language %1: use fr or en.")
                                .arg(parser.value(lang_option))));
    return 2;
  }
  if (parser.positionalArguments().size() > 1) {
    std::fprintf(stderr, "%s\n",
                 qPrintable(QCoreApplication::translate("main", "Give at most one design to open.")));
    return 2;
  }

  ui::GuiUserInterface port;
  (void)set_user_interface(&port);
  ui::ensure_single_instance(parser.positionalArguments().value(0));
  open_diagnostic_log(argc, argv);
  write_log_record(application_base_name());

  ui::WindowKeeper keeper;
  keeper.show({}, 0);
  ui::on_design_handed_over([&keeper](const QString& path) {
    if (ui::MainWindow* window = keeper.window()) window->open_file(path);
  });
  if (!parser.positionalArguments().isEmpty())
    keeper.window()->open_file(parser.positionalArguments().front());
  const int code = QApplication::exec();
  ui::on_design_handed_over(nullptr);
  (void)set_user_interface(nullptr);
  return code;
}
