// SPDX-License-Identifier: GPL-3.0-or-later
// The status line: totals after a search, progress and Stop during one,
// what the trash took.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <dirent.h>
#include <QtTest/QTest>

#include "app/status_text.h"
#include "search/search_engine.h"
#include "testing/test_slow_fs.h"
#include "testing/test_form.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::ResultsTest;

class StatusLineTest : public ResultsTest {
 protected:
  // The status line once the event loop has turned.
  QString Status() {
    QCoreApplication::processEvents();
    return form_->StatusText();
  }
  // Files of 1, 2, ... `n` bytes in "files", each in a folder of its own.
  std::string Files(int n) {
    const std::string folder = tree_.Sub("files");
    for (int i = 1; i <= n; ++i) {
      testing::WriteFile(folder + "/d" + std::to_string(i) + "/f" + std::to_string(i),
                         std::string(static_cast<size_t>(i), 'x'));
    }
    return folder;
  }
};

TEST_F(StatusLineTest, TellsWhatWasFoundAndTickedAndWhatTheTrashTook) {
  const std::string folder = Files(3);  // 6 bytes in all
  EXPECT_EQ(Status(), QString());  // nothing searched yet
  SearchAndTickAll(folder);
  EXPECT_EQ(form_->ListView2->ColumnCaption(3), QStringLiteral("Size"));
  EXPECT_EQ(Status(), QStringLiteral("3 files found, 6 bytes   \u00b7   3 ticked, 6 bytes"));
  form_->PushButton6_Click();
  form_->ListView2->SetChecked(2, true);
  const std::int64_t size = form_->ListView2->Model()->Size(1);
  EXPECT_EQ(Status(),
            QStringLiteral("3 files found, 6 bytes   \u00b7   1 ticked, %1 bytes").arg(size));
  form_->PushButton3_Click();  // confirmed by the fixture
  EXPECT_EQ(form_->ListView2->ItemCount(), 2);
  EXPECT_EQ(Status(),
            QStringLiteral("1 file (%1 bytes) moved to the trash.   \u00b7   2 files found, %2 "
                           "bytes   \u00b7   0 ticked, 0 bytes")
                .arg(size)
                .arg(6 - size));
  EXPECT_EQ(SizeText(1500000), QStringLiteral("1.5 MB"));
}

TEST_F(StatusLineTest, ShowsProgressWhileSearchingAndStopListsWhatWasFoundSoFar) {
  const std::string folder = Files(12);
  form_->AddFolderRow(QString::fromStdString(folder) + QLatin1Char('/'));
  form_->Option1->setChecked(true);
  form_->Option5->setChecked(true);
  form_->DTPicker4->SetValue(DayNumberOf(2100, 1, 1));  // every file
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  // The search holds at the file of "d7"; the folders it lists before
  // that one are those "files" lists before it.
  int before = 0;
  DIR* dir = ::opendir(folder.c_str());
  while (struct dirent* ent = ::readdir(dir)) {
    if (std::string(ent->d_name) == "d7") break;
    if (ent->d_name[0] != '.') ++before;
  }
  ::closedir(dir);
  testing::SlowFs slow;
  slow.Hold("f7");
  ScopedFs use(&slow);
  const QString held =
      SearchingText(before + 1, before, before, QString::fromStdString(folder + "/d7/"));
  QStringList seen;
  bool stop_shown = false;
  QTimer look;
  look.setInterval(5);
  QObject::connect(&look, &QTimer::timeout, [&] {
    seen << form_->StatusText();
    stop_shown = stop_shown || form_->PushButton9->isVisible();
    // Once the progress shows where the search holds, Esc.
    if (seen.back().startsWith(held)) QTest::keyClick(form_->ListView2, Qt::Key_Escape);
  });
  look.start();
  form_->PushButton2_Click();
  look.stop();
  slow.Release();
  EXPECT_TRUE(SearchEngine::WaitForThreadsToEnd(10000));
  EXPECT_TRUE(stop_shown);
  EXPECT_FALSE(form_->PushButton9->isVisible());
  EXPECT_TRUE(seen.contains(held)) << held.toStdString() << "\n"
                                   << seen.join(QLatin1Char('\n')).toStdString();
  // What was judged so far is listed.
  EXPECT_EQ(form_->ListView2->ItemCount(), before);
  EXPECT_TRUE(form_->StatusText().startsWith(StoppedText(before + 1, before)))
      << form_->StatusText().toStdString();

  // A search not stopped lists everything and says nothing of stopping.
  form_->PushButton2_Click();
  EXPECT_EQ(form_->ListView2->ItemCount(), 12);
  EXPECT_TRUE(form_->StatusText().startsWith(QStringLiteral("12 files found, 78 bytes")));
}

}  // namespace
}  // namespace qm
