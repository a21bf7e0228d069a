// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing where to search: the folder browser, the folder list and the
// sample folder, through the real window.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>

#include "scope/folder_browser.h"
#include "testing/test_form.h"

namespace qm {
namespace {

using testing::FormTest;

class FolderListTest : public FormTest {
 protected:
  QStringList Rows(Form1& form) {
    QStringList rows;
    for (int i = 1; i <= form.ListView1->ItemCount(); ++i) rows << form.ListView1->ItemText(i);
    return rows;
  }
};

TEST_F(FolderListTest, AddingAFolderAppendsItsPathWithOneFinalSeparator) {
  auto form = NewForm();
  const QString dir = QString::fromStdString(home_.path());
  AnswerFolder(dir);
  AnswerFolder(dir);
  AnswerFolder("/");
  AnswerFolder("//" + dir.mid(1));
  for (int i = 0; i < 4; ++i) form->PushButton1->click();
  EXPECT_EQ(Rows(*form), QStringList({dir + "/", dir + "/", "/", dir + "/"}));
  std::vector<DialogRequest> asked = Dialogs(DialogKind::kFolderBrowser);
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].title, QStringLiteral("Please select folder:"));
  EXPECT_EQ(asked[0].initial_folder, QString());
  EXPECT_EQ(form->MousePointer(), kPointerDefault);
}

TEST_F(FolderListTest, CancellingAddsNothingAndLeavesThePointerAlone) {
  auto form = NewForm();
  form->SetMousePointer(kPointerHand);
  form->PushButton1_Click();  // no answer queued: cancelled
  EXPECT_EQ(form->ListView1->ItemCount(), 0);
  EXPECT_EQ(form->MousePointer(), kPointerHand);
}

TEST_F(FolderListTest, AddingDuringASearchKeepsTheSearchBusy) {
  auto form = NewForm();
  form->SetMousePointer(kPointerBusy);
  AnswerFolder(QString::fromStdString(home_.path()));
  form->PushButton1_Click();
  EXPECT_EQ(form->ListView1->ItemCount(), 1);
  EXPECT_EQ(form->MousePointer(), kPointerBusy);
}

TEST_F(FolderListTest, DeleteKeyAndDoubleClickRemoveTheSelectedRowOnly) {
  auto form = NewForm();
  form->show();
  for (const char* row : {"/a/", "/b/", "/c/", "/d/"}) form->AddFolderRow(row);
  // Nothing selected: nothing goes.
  form->ListView1_DblClick();
  QTest::keyClick(form->ListView1, Qt::Key_Delete);
  EXPECT_EQ(form->ListView1->ItemCount(), 4);

  form->ListView1->SelectItem(2);
  QTest::keyClick(form->ListView1, Qt::Key_Backspace);
  QTest::keyClick(form->ListView1, Qt::Key_X);
  EXPECT_EQ(form->ListView1->ItemCount(), 4);
  QTest::keyClick(form->ListView1, Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(Rows(*form), QStringList({"/a/", "/c/", "/d/"}));

  // A double-click with the mouse on a row.
  QRect first = form->ListView1->visualRect(form->ListView1->Model()->index(0, 0));
  QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, first.center());
  QTest::mouseDClick(form->ListView1->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_EQ(Rows(*form), QStringList({"/c/", "/d/"}));

  // A double-click on the empty part below the rows removes the row that
  // was selected before.
  form->AddFolderRow("/e/");
  QRect second = form->ListView1->visualRect(form->ListView1->Model()->index(1, 0));
  QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, second.center());
  const QPoint below(second.center().x(), second.bottom() + 3 * second.height());
  ASSERT_FALSE(form->ListView1->indexAt(below).isValid());
  QTest::mouseClick(form->ListView1->viewport(), Qt::LeftButton, {}, below);
  QTest::mouseDClick(form->ListView1->viewport(), Qt::LeftButton, {}, below);
  EXPECT_EQ(Rows(*form), QStringList({"/c/", "/e/"}));

  // Busy: refused.
  form->ListView1->SelectItem(1);
  form->SetMousePointer(kPointerBusy);
  QTest::keyClick(form->ListView1, Qt::Key_Delete);
  form->ListView1_DblClick();
  EXPECT_EQ(form->ListView1->ItemCount(), 2);
  form->SetMousePointer(kPointerDefault);
  form->PushButton7->click();
  EXPECT_EQ(form->ListView1->ItemCount(), 0);
  form->ListView1_DblClick();  // empty list: nothing happens
  form->ListView1_KeyDown(46, 0);
}

TEST_F(FolderListTest, TheSampleFolderIsAddedBesideTheProgramEachClick) {
  auto form = NewForm();
  form->PushButton8->click();
  form->PushButton8->click();
  const QString row = QString::fromStdString(app_dir_.path()) + "/Samples/";
  EXPECT_EQ(Rows(*form), QStringList({row, row}));
  // A search then prunes the upper one; the folder may be missing.
  form->PushButton2_Click();
  EXPECT_EQ(Rows(*form), QStringList({row}));
  EXPECT_TRUE(ErrorReports().empty());
}

// The real dialog, found and answered as a user would.
class RealBrowserTest : public FolderListTest {
 protected:
  void SetUp() override {
    FolderListTest::SetUp();
    SetDialogResponder([](const DialogRequest&) { return std::nullopt; });
  }

  // Runs `act` on the folder browser once it is open.
  void WhenOpen(std::function<void(QFileDialog*)> act) {
    QTimer::singleShot(50, [this, act]() {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) {
        WhenOpen(act);  // not up yet
        return;
      }
      seen_title_ = dialog->windowTitle();
      act(dialog);
    });
  }
  QString seen_title_;
};

TEST_F(RealBrowserTest, TypingAPathAndPressingEnterAddsIt) {
  auto form = NewForm();
  form->show();
  testing::MakeDirs(home_.Sub("picked one"));
  const QString picked = QString::fromStdString(home_.Sub("picked one"));
  WhenOpen([&](QFileDialog* dialog) {
    QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(picked);
    QTest::keyClick(name, Qt::Key_Return);
  });
  form->PushButton1->click();
  EXPECT_EQ(seen_title_, QStringLiteral("Please select folder:"));
  EXPECT_EQ(Rows(*form), QStringList({picked + "/"}));

  WhenOpen([](QFileDialog* dialog) { dialog->reject(); });
  form->PushButton1->click();
  EXPECT_EQ(form->ListView1->ItemCount(), 1);
}

TEST_F(RealBrowserTest, AnExistingInitialFolderIsSelectedAndAMissingOneIsIgnored) {
  auto form = NewForm();
  testing::MakeDirs(home_.Sub("base/start"));
  const QString start = QString::fromStdString(home_.Sub("base/start"));
  QString shown_dir;
  QStringList selected;
  WhenOpen([&](QFileDialog* dialog) {
    shown_dir = dialog->directory().absolutePath();
    selected = dialog->selectedFiles();
    QMetaObject::invokeMethod(dialog, "accept");
  });
  EXPECT_EQ(BrowseForFolder(form.get(), "Please select folder:", start), start);
  EXPECT_EQ(shown_dir, QString::fromStdString(home_.Sub("base")));
  EXPECT_TRUE(selected.contains(start));
  EXPECT_EQ(InitialBrowseFolder, start + QChar(0));

  WhenOpen([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(BrowseForFolder(form.get(), "Please select folder:",
                            QString::fromStdString(home_.Sub("no such folder"))),
            QString());
}

}  // namespace
}  // namespace qm
