#include "ui/languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

#include "services/message_table.h"

namespace corvalinde::ui {
namespace {

struct Installed {
  std::unique_ptr<QTranslator> program;
  std::unique_ptr<QTranslator> qt;
  QString language = QStringLiteral("en");
};

Installed& installed() {
  static Installed state;
  return state;
}

}  // namespace

QStringList interface_languages() {
  return {QStringLiteral("fr"), QStringLiteral("en")};
}

QString system_language() {
  return QLocale::system().language() == QLocale::French ? QStringLiteral("fr") : QStringLiteral("en");
}

QString resolve_language(const QString& requested) {
  return interface_languages().contains(requested) ? requested : system_language();
}

bool apply_language(const QString& language) {
  Installed& state = installed();
  for (auto* translator : {state.program.get(), state.qt.get()}) {
    if (translator != nullptr) QCoreApplication::removeTranslator(translator);
  }
  state.program.reset();
  state.qt.reset();
  state.language = resolve_language(language);
  bool loaded = true;
  if (state.language != QStringLiteral("en")) {
    state.program = std::make_unique<QTranslator>();
    loaded = state.program->load(QStringLiteral(":/i18n/corvalinde_") + state.language);
    if (loaded) {
      QCoreApplication::installTranslator(state.program.get());
    } else {
      state.program.reset();
    }
    state.qt = std::make_unique<QTranslator>();
    if (state.qt->load(QStringLiteral("qtbase_") + state.language,
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(state.qt.get());
    } else {
      state.qt.reset();
    }
  }
  QLocale::setDefault(QLocale(state.language));
  select_message_language(state.language == QStringLiteral("fr") ? MessageLanguage::kFrench
                                                                 : MessageLanguage::kEnglish);
  // Message 0 releases a loaded table and loads it again from the selection.
  if (message_table_state() != MessageTableState::kNotInitialised) (void)message_text(0, 0);
  (void)message_text(0, 0);
  return loaded;
}

QString current_language() {
  return installed().language;
}

QString language_name(const QString& language) {
  if (language == QStringLiteral("fr")) return QStringLiteral("Français");
  if (language == QStringLiteral("en")) return QStringLiteral("English");
  return language;
}

}  // namespace corvalinde::ui
