// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/data_folder.h"

namespace qm {

QStringList MessageLanguages(const QString& lc_all, const QString& lc_messages, const QString& lang,
                             const QString& language) {
  const QString locale = !lc_all.isEmpty() ? lc_all : !lc_messages.isEmpty() ? lc_messages : lang;
  const QString bare = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
  if (bare.isEmpty() || bare == QLatin1String("C") || bare == QLatin1String("POSIX")) return {};
  if (!language.isEmpty()) return language.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  return {locale};
}

QStringList MessageLanguages() {
  return MessageLanguages(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
                          qEnvironmentVariable("LANG"), qEnvironmentVariable("LANGUAGE"));
}

QString PickTranslation(const QStringList& languages,
                        const std::function<bool(const QString& name)>& has) {
  for (const QString& entry : languages) {
    // "de_AT.UTF-8@euro" -> "de_AT", then "de".
    const QString name = entry.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    if (language.isEmpty()) continue;
    if (language == QLatin1String("en")) return QString();
    if (name != language && has(name)) return name;
    if (has(language)) return language;
  }
  return QString();
}

namespace {
QString& Installed() {
  static QString name;
  return name;
}
}  // namespace

QLocale NumberLocale() {
  const QLocale user;
  static QString texts_name = QStringLiteral("-");
  static QLocale texts;
  if (texts_name != Installed()) {
    texts_name = Installed();
    texts = texts_name.isEmpty() ? QLocale(QLocale::English, QLocale::UnitedStates)
                                 : QLocale(texts_name);
  }
  return user.textDirection() == texts.textDirection() ? user : texts;
}

QList<QTranslator*> InstallTranslations(const QStringList& languages, const QString& folder) {
  QList<QTranslator*> installed;
  const QString prefix = QStringLiteral("quenmoor_");
  const QString name = PickTranslation(languages, [&](const QString& candidate) {
    return QFileInfo::exists(folder + QLatin1Char('/') + prefix + candidate +
                             QStringLiteral(".qm"));
  });
  Installed() = name;
  if (name.isEmpty()) return installed;
  auto install = [&](const QString& file, const QString& dir) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(file, dir) && QCoreApplication::installTranslator(translator)) {
      installed << translator;
    } else {
      delete translator;
    }
  };
  install(prefix + name, folder);
  install(QStringLiteral("qtbase_") + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return installed;
}

QString TranslationsFolder() {
  return DataFolderFor(QCoreApplication::applicationDirPath()) + QStringLiteral("/translations");
}

}  // namespace qm
