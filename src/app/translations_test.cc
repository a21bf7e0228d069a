// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QTranslator>

#include "app/error_report.h"
#include "app/status_text.h"
#include "search/time_stamps.h"
#include "testing/test_form.h"

namespace qm {
namespace {

using testing::FormTest;
using testing::LocalTime;
using testing::SetTimes;
using testing::TempDir;
using testing::WriteFile;

TEST(MessageLanguages, ReadAsGettextReadsThem) {
  // No locale, C or POSIX: the program's own English, whatever LANGUAGE says.
  EXPECT_TRUE(MessageLanguages("", "", "", "de").isEmpty());
  EXPECT_TRUE(MessageLanguages("C", "", "de_DE.UTF-8", "de").isEmpty());
  EXPECT_TRUE(MessageLanguages("", "POSIX", "de_DE.UTF-8", "").isEmpty());
  EXPECT_TRUE(MessageLanguages("C.UTF-8", "", "", "de").isEmpty());
  // LC_ALL before LC_MESSAGES before LANG; then LANGUAGE's list, if any.
  EXPECT_EQ(MessageLanguages("", "de_AT.UTF-8", "en_US.UTF-8", ""),
            QStringList{QStringLiteral("de_AT.UTF-8")});
  EXPECT_EQ(MessageLanguages("de_DE.UTF-8", "C", "", ""),
            QStringList{QStringLiteral("de_DE.UTF-8")});
  EXPECT_EQ(MessageLanguages("", "", "en_GB.UTF-8", "fr::de"),
            (QStringList{QStringLiteral("fr"), QStringLiteral("de")}));
}

TEST(PickTranslation, FirstLanguageThatHasOneUnlessEnglishComesFirst) {
  auto has = [](const QString& name) {
    return name == QLatin1String("de") || name == QLatin1String("pt_BR");
  };
  EXPECT_EQ(PickTranslation({QStringLiteral("de_AT.UTF-8@euro")}, has), QStringLiteral("de"));
  EXPECT_EQ(PickTranslation({QStringLiteral("fr_FR"), QStringLiteral("de")}, has),
            QStringLiteral("de"));
  EXPECT_EQ(PickTranslation({QStringLiteral("pt_BR.UTF-8")}, has), QStringLiteral("pt_BR"));
  EXPECT_EQ(PickTranslation({QStringLiteral("pt_PT.UTF-8")}, has), QString());
  // A user who puts English before German gets the program as written.
  EXPECT_EQ(PickTranslation({QStringLiteral("en_GB.UTF-8"), QStringLiteral("de")}, has), QString());
  EXPECT_EQ(PickTranslation({}, has), QString());
}

// The window under de_DE.UTF-8.  The system locale is read once, when the
// application starts, so under any other locale the test runs itself again
// in a child process with LC_ALL=de_DE.UTF-8.
class GermanWindowTest : public FormTest {};

TEST_F(GermanWindowTest, CaptionsMessagesAndDatesAreGerman) {
  if (QLocale::system().name() != QLatin1String("de_DE")) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=GermanWindowTest.CaptionsMessagesAndDatesAreGerman")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("[  PASSED  ] 1 test"))) << out.toStdString();
    return;
  }

  const QList<QTranslator*> translators =
      InstallTranslations(MessageLanguages(), TranslationsFolder());
  ASSERT_EQ(translators.size(), 2) << "the program's and Qt's German translations (Debian's "
                                      "qt6-translations-l10n), from "
                                   << TranslationsFolder().toStdString();
  // Qt's own texts, on the standard dialogs' buttons.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));

  {
    auto form = NewForm();
    form->show();
    EXPECT_EQ(form->PushButton2->text(), QStringLiteral("&Suche nach ungenutzten Dateien starten"));
    EXPECT_EQ(form->Frame2->title(), QStringLiteral("Stichtag wählen"));
    EXPECT_EQ(form->Option4->accessibleName(), QStringLiteral("Später als"));
    EXPECT_EQ(form->DTPicker3->accessibleName(), QStringLiteral("Später als"));
    EXPECT_EQ(form->ListView1->ColumnCaption(1),
              QStringLiteral("Zu durchsuchende Ordner oder Laufwerke"));
    // German runs longer than English: every caption still fits its control.
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>()) {
      if (!b->text().isEmpty() && b->isVisibleTo(form.get())) {
        EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
      }
    }
    // (The last letter's side bearing leaves a pixel: the English "and"
    // takes 22 of its label's 21.)
    for (QLabel* l : form->findChildren<QLabel*>()) {
      EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width() + 1)
          << l->text().toStdString();
    }
    for (QGroupBox* g : form->findChildren<QGroupBox*>()) {
      EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()), g->width() - 20)
          << g->title().toStdString();
    }

    // A message, through the dialog seam.
    form->PushButton2->click();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], QStringLiteral("Es wurden keine Ordner hinzugefügt."));

    // A date in the German format: day, month, four-digit year, 24 hours.
    TempDir tree;
    WriteFile(tree.Sub("old.txt"));
    SetTimes(tree.Sub("old.txt"), LocalTime(2021, 8, 31, 14, 3, 9), LocalTime(2021, 8, 31));
    form->AddFolderRow(QString::fromStdString(tree.path()) + QLatin1Char('/'));
    form->Option1->setChecked(true);
    form->Option5->setChecked(true);
    form->PushButton2->click();
    ASSERT_EQ(form->ListView2->ItemCount(), 1);
    EXPECT_EQ(form->ListView2->ColumnCaption(2), QStringLiteral("Änderungsdatum"));
    EXPECT_EQ(form->ListView2->SubItemText(1), QStringLiteral("31.08.2021 14:03:09"));
    form->DTPicker4->SetValue(DayNumberOf(2021, 8, 31));
    EXPECT_EQ(form->DTPicker4->text(), QStringLiteral("31.08.2021"));
  }

  // Counts after "nach" take the dative; sizes in German numbers.
  EXPECT_EQ(StoppedText(81, 12),
            QStringLiteral("Suche nach 81 Ordnern und 12 Dateien angehalten."));
  EXPECT_EQ(FoundText(1, 1), QStringLiteral("1 Datei gefunden, Größen zusammen 1 Byte"));
  EXPECT_EQ(SizeText(999950), QStringLiteral("1,0 MB"));

  // An error report: German words around the routine's identifier, which
  // stays as it is.
  EXPECT_EQ(ComposeErrorReport(ErrorDescription(kErrPermissionDenied), kPushButton2Id, 104),
            QStringLiteral("Zugriff verweigert\r\nin Tallowick2021/08/31.Form1.PushButton2_Click "
                           "in Zeile 104\r\rBitte senden Sie ein Bildschirmfoto dieser Meldung "
                           "per E-Mail an support@quenmoor.example"));

  for (QTranslator* t : translators) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

}  // namespace
}  // namespace qm
