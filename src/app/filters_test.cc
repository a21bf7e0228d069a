// SPDX-License-Identifier: GPL-3.0-or-later
// The filters on the window: "Filters…" and its dialog, the settings they
// are kept in, the line that says they are on, and a search by them.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include "app/filters_dialog.h"
#include "base/date_value.h"
#include "settings/settings_store.h"
#include "testing/test_form.h"

namespace qm {
namespace {

using testing::FormTest;
using testing::LocalTime;
using testing::SetTimes;
using testing::WriteFile;

class FiltersTest : public FormTest {
 protected:
  // Opens the dialog with "Filters…", as a click does.
  FiltersDialog* Open(Form1& form) {
    form.PushButton10->click();
    auto* dialog = form.findChild<FiltersDialog*>();
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
      EXPECT_TRUE(dialog->isVisible());
    }
    return dialog;
  }
};

TEST_F(FiltersTest, TheDialogKeepsTheFiltersUnderNewKeysAndTheWindowSaysTheyAreOn) {
  // Settings written before, by the window's own controls and by hand.
  WriteSetting(QStringLiteral("Option5"), QStringLiteral("True"));
  WriteSetting(QStringLiteral("Access in days"), QStringLiteral("300"));
  const std::string before = SettingsText();
  auto form = NewForm();
  // No filter: the status line has its button and says nothing more.
  EXPECT_FALSE(form->Label3->isVisibleTo(form.get()));
  EXPECT_EQ(form->PushButton10->accessibleName(), QStringLiteral("Filters…"));
  EXPECT_TRUE(form->PushButton10->text().contains(QLatin1Char('&')));  // an Alt+letter
  EXPECT_TRUE(form->PushButton10->focusPolicy() & Qt::TabFocus);

  FiltersDialog* dialog = Open(*form);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->Text2->toPlainText().isEmpty());
  dialog->Text2->setPlainText(QStringLiteral(".git\n\n  node_modules  \n/home/me/Backups\n"));
  dialog->Check1->setChecked(true);
  dialog->Text3->setText(QStringLiteral("*.iso *.mkv"));
  dialog->Text4->setText(QStringLiteral("10M"));
  dialog->PushButton12->click();  // OK
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog->isVisible());

  const FilterTexts& kept = form->Filters();
  EXPECT_EQ(kept.exclude, QStringList({".git", "node_modules", "/home/me/Backups"}));
  EXPECT_TRUE(kept.one_file_system);
  EXPECT_EQ(kept.names, QStringLiteral("*.iso *.mkv"));
  EXPECT_EQ(kept.min_size, QStringLiteral("10M"));
  EXPECT_TRUE(form->Label3->isVisibleTo(form.get()));
  EXPECT_EQ(form->Label3->text(),
            QStringLiteral("Filters on: leaving out 3 folder patterns; staying on each listed "
                           "folder's file system; only files named *.iso, *.mkv; only files of "
                           "10 MB or more"));
  EXPECT_NE(form->Label3->toolTip().indexOf(
                QLatin1String("leaving out folders: .git, node_modules, /home/me/Backups")),
            -1);

  // Every line that was there stays byte for byte; the filters follow.
  const std::string after = SettingsText();
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_NE(after.find("Excluded folders=.git\\nnode_modules\\n/home/me/Backups"),
            std::string::npos)
      << after;
  EXPECT_NE(after.find("One file system=True"), std::string::npos);
  EXPECT_NE(after.find("File names=*.iso *.mkv"), std::string::npos);
  EXPECT_NE(after.find("Min size=10M"), std::string::npos);

  // The next start shows them again, and the dialog opens with them.
  auto again = NewForm();
  EXPECT_TRUE(again->Filters() == kept);
  EXPECT_EQ(again->Label3->text(), form->Label3->text());
  dialog = Open(*again);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Text2->toPlainText(), QStringLiteral(".git\nnode_modules\n/home/me/Backups"));
  // Clear Filters and OK: every filter is off, and the line goes.
  dialog->PushButton11->click();
  dialog->PushButton12->click();
  QCoreApplication::processEvents();
  EXPECT_FALSE(again->Filters().one_file_system);
  EXPECT_TRUE(again->Filters().exclude.isEmpty());
  EXPECT_FALSE(again->Label3->isVisibleTo(again.get()));
  EXPECT_TRUE(ErrorReports().empty());
}

TEST_F(FiltersTest, AFilterThatCannotBeUsedIsSaidAndNothingIsLost) {
  auto form = NewForm();
  FiltersDialog* dialog = Open(*form);
  ASSERT_NE(dialog, nullptr);
  dialog->Text4->setText(QStringLiteral("ten"));
  dialog->PushButton12->click();
  QCoreApplication::processEvents();
  // The dialog stays, with the reason, and nothing is kept.
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->Label10->isVisibleTo(dialog));
  EXPECT_NE(dialog->Label10->text().indexOf(QLatin1String("'ten' is not a size")), -1);
  EXPECT_TRUE(form->Filters().min_size.isEmpty());
  dialog->Text4->setText(QStringLiteral("2G"));
  dialog->Text5->setText(QStringLiteral("1GiB"));
  dialog->PushButton12->click();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_NE(dialog->Label10->text().indexOf(QLatin1String("larger than")), -1);
  dialog->PushButton13->click();  // Cancel
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->Filters() == FilterTexts());
  EXPECT_EQ(SettingsText().find("Min size"), std::string::npos);

  // A value edited by hand into the store is kept as it is, said beside
  // the button, and stops a search before it starts; the rows listed stay.
  testing::TempDir tree;
  WriteFile(tree.Sub("a.txt"));
  SetTimes(tree.Sub("a.txt"), LocalTime(2001, 1, 1), LocalTime(2001, 1, 1));
  form->AddFolderRow(QString::fromStdString(tree.path() + "/"));
  form->Option5->setChecked(true);
  form->DTPicker4->SetValue(DayNumberOf(2020, 1, 1));
  form->PushButton2_Click();
  ASSERT_EQ(form->ListView2->ItemCount(), 1);
  WriteSetting(QStringLiteral("Max size"), QStringLiteral("lots"));
  auto edited = NewForm();
  EXPECT_EQ(edited->Filters().max_size, QStringLiteral("lots"));
  EXPECT_NE(edited->Label3->text().indexOf(QLatin1String("The filters cannot be used: 'lots'")),
            -1);
  form->SetFilters(edited->Filters());
  const std::size_t shown = Messages().size();
  form->PushButton2_Click();
  ASSERT_EQ(Messages().size(), shown + 1);
  EXPECT_NE(Messages().back().indexOf(QStringLiteral("Correct them under Filters…")), -1);
  EXPECT_EQ(form->ListView2->ItemCount(), 1);
  EXPECT_FALSE(form->SearchRunning());
}

TEST_F(FiltersTest, TheStatusLineShowsItsTotalsAndTheFiltersWholeWhereBothFit) {
  auto form = NewForm();
  form->show();
  testing::TempDir tree;
  for (int i = 0; i < 3; ++i) {
    WriteFile(tree.Sub("f" + std::to_string(i) + ".iso"), std::string(100, 'x'));
    SetTimes(tree.Sub("f" + std::to_string(i) + ".iso"), LocalTime(2001, 1, 1),
             LocalTime(2001, 1, 1));
  }
  form->AddFolderRow(QString::fromStdString(tree.path() + "/"));
  form->Option5->setChecked(true);
  form->DTPicker4->SetValue(DayNumberOf(2020, 1, 1));
  FilterTexts texts;
  texts.exclude = {QStringLiteral(".git"), QStringLiteral("node_modules")};
  texts.names = QStringLiteral("*.iso *.img");
  texts.min_size = QStringLiteral("10");
  form->SetFilters(texts);
  form->PushButton2_Click();
  form->PushButton4_Click();  // Select All: the totals' longest form
  QCoreApplication::processEvents();
  auto whole = [](QLabel* label) {
    return label->width() >= label->fontMetrics().horizontalAdvance(label->text());
  };
  ASSERT_EQ(form->ListView2->ItemCount(), 3);
  EXPECT_TRUE(whole(form->Label2)) << form->Label2->text().toStdString();
  EXPECT_TRUE(whole(form->Label3)) << form->Label3->text().toStdString();
  // Too long for both: the filters' line keeps a good share, and says the
  // rest in its tooltip.
  texts.names = QStringLiteral("*.iso *.img *.mkv *.mp4 *.avi *.mov *.wmv *.flv *.webm *.m4v");
  form->SetFilters(texts);
  QCoreApplication::processEvents();
  EXPECT_TRUE(whole(form->Label2));
  EXPECT_GE(form->Label3->width(), form->StatusBar1->width() / 3);
  EXPECT_NE(form->Label3->toolTip().indexOf(QLatin1String("*.m4v")), -1);
}

TEST_F(FiltersTest, TheKeyboardReachesTheDialogAndLeavesIt) {
  auto form = NewForm();
  form->show();
  QApplication::setActiveWindow(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  ASSERT_EQ(form->PushButton10->text(), QStringLiteral("&Filters…"));
  QTest::keyClick(form->focusWidget() ? form->focusWidget() : form.get(), Qt::Key_F,
                  Qt::AltModifier);
  // The button presses itself as a click shows it, a moment later.
  FiltersDialog* dialog = nullptr;
  for (int i = 0; i < 100 && !dialog; ++i) {
    QTest::qWait(20);
    dialog = form->findChild<FiltersDialog*>();
  }
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->Text2->accessibleName(),
            QStringLiteral("Leave out these folders, one pattern a line"));
  EXPECT_EQ(dialog->Text4->accessibleName(), QStringLiteral("Only files of at least"));
  // Esc leaves it as Cancel does.
  QTest::keyClick(dialog, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
}  // namespace qm
