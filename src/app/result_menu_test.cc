// SPDX-License-Identifier: GPL-3.0-or-later
// The results' context menu, Enter and double-click: what would be opened,
// what is copied; ticks and rows stay as they were.
#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QtTest/QTest>
#include <optional>

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
  EXPECT_EQ(Messages()[0], QString::fromStdString(a) +
                               QStringLiteral(" cannot be opened: it is no longer there."));
}

TEST_F(ResultMenuTest, WithoutAFileManagerOnTheBusTheFolderIsOpened) {
  const std::string a = Row("inner/a.txt", false);
  SetFileManagerBusForTesting(QStringLiteral("qm-no-such-connection"));  // not connected
  form_->ListView2->SelectItem(1);
  Action("RevealAction")->trigger();
  SetFileManagerBusForTesting(QString());
  EXPECT_EQ(Opened(), std::vector<QString>{QString::fromStdString(tree_.Sub("inner"))});
}

// Open waits for the desktop's opener to answer (xdg-open's exit status),
// without holding the window up, and says when no application takes the
// file.  The opener here is one of the test's own, first on the PATH.
TEST_F(ResultMenuTest, OpenSaysWhenNoApplicationTakesTheFile) {
  const std::string a = Row("a.odd", false);
  const std::string bin = tree_.Sub("bin");
  const std::string log = tree_.Sub("opened.log");
  const std::string status = tree_.Sub("status");
  testing::WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + log +
                                            "\"\nexit $(cat \"" + status + "\")\n");
  ASSERT_EQ(::chmod((bin + "/xdg-open").c_str(), 0755), 0);
  testing::ScopedEnv path("PATH", bin + ":" + qEnvironmentVariable("PATH").toStdString());
  // The opener really runs; every other dialog is answered as before.
  SetDialogResponder([this](const DialogRequest& r) -> std::optional<DialogAnswer> {
    requests_.push_back(r);
    if (r.kind == DialogKind::kOpen) return std::nullopt;
    return DialogAnswer();
  });
  struct Case {
    const char* status;
    const char* said;  // "" for nothing
  };
  const Case cases[] = {
      {"0", ""},
      {"3", "No application was found to open %1."},  // "no method available"
      {"4", "%1 could not be opened: the desktop reported a failure."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    requests_.clear();
    testing::WriteFile(status, c.status);
    form_->OpenResult(1);
    for (int i = 0; i < 1000 && OpenersRunning() > 0; ++i) QTest::qWait(10);
    ASSERT_EQ(OpenersRunning(), 0);
    if (*c.said) {
      ASSERT_EQ(Messages().size(), 1u);
      EXPECT_EQ(Messages()[0], QString::fromLatin1(c.said).arg(QString::fromStdString(a)));
    } else {
      EXPECT_TRUE(Messages().empty());
    }
  }
  EXPECT_EQ(testing::ReadFile(log), a + "\n" + a + "\n" + a + "\n");
}

}  // namespace
}  // namespace qm
