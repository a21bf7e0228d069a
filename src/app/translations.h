// SPDX-License-Identifier: GPL-3.0-or-later
// The program's texts in the user's language.
//
// The program is written in English.  A translation, compiled from
// translations/quenmoor_LANG.ts into quenmoor_LANG.qm in the data folder's
// translations/, replaces its texts; Qt's own translation of the same
// language (qtbase_LANG.qm) those of the standard dialogs and buttons.
#ifndef QUENMOOR_APP_TRANSLATIONS_H_
#define QUENMOOR_APP_TRANSLATIONS_H_

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>

class QTranslator;

namespace qm {

// The languages the user wants messages in, most wanted first, read as
// gettext reads them: the messages locale is LC_ALL, else LC_MESSAGES,
// else LANG; when that is unset, C or POSIX there are none (the program's
// own English), otherwise the list in LANGUAGE when it is set, else that
// locale.
QStringList MessageLanguages(const QString& lc_all, const QString& lc_messages, const QString& lang,
                             const QString& language);
QStringList MessageLanguages();  // from the environment

// The translation for `languages`: the first language that `has` a
// translation, tried with its country ("de_AT") and then without ("de"),
// without codeset or modifier; "" when there is none, or when English (the
// program's own language) comes first.
QString PickTranslation(const QStringList& languages,
                        const std::function<bool(const QString& name)>& has);

// Installs into the application the program's translation for `languages`
// from `folder`, and Qt's own of the same language when it is there.
// Returns the translators installed (none for English).
QList<QTranslator*> InstallTranslations(const QStringList& languages, const QString& folder);

// The locale numbers in the program's texts are written in: the user's,
// unless it writes in the other direction than the texts' language (an
// Arabic locale under the English texts, where its digits and the English
// words would be reordered against each other); then the texts' language's.
QLocale NumberLocale();

// The compiled translations: translations/ in the data folder.
QString TranslationsFolder();

}  // namespace qm

#endif  // QUENMOOR_APP_TRANSLATIONS_H_
