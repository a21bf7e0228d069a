// SPDX-License-Identifier: GPL-3.0-or-later
// The results' context menu, Enter and double-click: what would be opened,
// what is copied; ticks and rows stay as they were.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QtTest/QTest>

#include "platform/desktop.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::ResultsTest;

class ResultMenuTest : public ResultsTest {
 protected:
  std::vector<QString> Opened() const {
    std::vector<QString> out;
    for (const DialogRequest& r : Dialogs(DialogKind::kOpen)) out.push_back(r.path);
    return out;
  }
  QAction* Action(const char* name) {
    return form_->Menu1->findChild<QAction*>(QLatin1String(name));
  }
  void Select(std::initializer_list<int> rows) {
    form_->ListView2->clearSelection();
    for (int row : rows) {
      form_->ListView2->selectionModel()->select(
          form_->ListView2->Model()->index(row - 1, 0),
          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
};

TEST_F(ResultMenuTest, EnterAndDoubleClickOpenAResultAndTheMenuCopiesPaths) {
  const std::string a = Row("a.txt", true);
  const std::string b = Row("b b.txt", false);
  const std::string c = Row("c.txt", false);
  form_->show();
  ListView* list = form_->ListView2;
  list->setFocus();
  list->SelectItem(2);
  QTest::keyClick(list, Qt::Key_Return);
  const QRect third = list->visualRect(list->Model()->index(2, 0));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
  EXPECT_EQ(Opened(), (std::vector<QString>{QString::fromStdString(b), QString::fromStdString(c)}));

  // Shift+F10 brings the menu up for the current row.
  QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(form_->Menu1->isVisible());
  form_->Menu1->hide();
  Select({1, 3});
  Action("CopyPathAction")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(a + "\n" + c));
  // Nothing changed ticks or rows.
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, c}));
  EXPECT_EQ(Ticks(), (std::vector<bool>{true, false, false}));

  // A file gone since the search is said to be gone, not handed over.
  ::unlink(a.c_str());
  form_->OpenResult(1);
  EXPECT_EQ(Opened().size(), 2u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0],
            QString::fromStdString(a) + QStringLiteral(" cannot be opened: it is no longer there."));
}

TEST_F(ResultMenuTest, WithoutAFileManagerOnTheBusTheFolderIsOpened) {
  const std::string a = Row("inner/a.txt", false);
  SetFileManagerBusForTesting(QStringLiteral("qm-no-such-connection"));  // not connected
  form_->ListView2->SelectItem(1);
  Action("RevealAction")->trigger();
  SetFileManagerBusForTesting(QString());
  EXPECT_EQ(Opened(), std::vector<QString>{QString::fromStdString(tree_.Sub("inner"))});
}

}  // namespace
}  // namespace qm
