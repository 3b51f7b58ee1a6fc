// The languages of the desktop program: French and English, named as the
// command line's --lang names them ("fr", "en"). Applying one installs the
// program's translations and Qt's own (dialog buttons, file dialog) and
// selects the message table of the analyses' texts.
#pragma once

#include <QString>
#include <QStringList>

namespace corvalinde::ui {

QStringList interface_languages();  // "fr", "en"
// "fr" when the system's locale is French, "en" otherwise.
QString system_language();
// The language in force: requested when it is one of ours, else the system's.
QString resolve_language(const QString& requested);
// Installs the translators of the language (replacing those of the last call)
// and selects and reloads the message table. False when the program's own
// translation could not be loaded (English needs none).
bool apply_language(const QString& language);
QString current_language();
// The language's own name ("Français", "English").
QString language_name(const QString& language);

}  // namespace corvalinde::ui
