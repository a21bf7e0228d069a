// SPDX-License-Identifier: GPL-3.0-or-later
// The status line: totals after a search, progress and Stop during one,
// what the trash took.
#include <dirent.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <cstdio>
#include <limits>
#include <utility>

#include "app/status_text.h"
#include "search/search_engine.h"
#include "testing/test_form.h"
#include "testing/test_results.h"
#include "testing/test_slow_fs.h"

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
  EXPECT_EQ(Status(), QString());       // nothing searched yet
  SearchAndTickAll(folder);
  EXPECT_EQ(form_->ListView2->ColumnCaption(3), QStringLiteral("Size"));
  EXPECT_EQ(Status(), QStringLiteral("3 files found, sizes total 6 bytes   \u00b7   3 ticked, "
                                     "sizes total 6 bytes"));
  form_->PushButton6_Click();
  form_->ListView2->SetChecked(2, true);
  const std::int64_t size = form_->ListView2->Model()->Size(1);
  EXPECT_EQ(Status(), QStringLiteral("3 files found, sizes total 6 bytes   \u00b7   1 ticked, "
                                     "sizes total %1")
                          .arg(SizeText(size)));
  form_->PushButton3_Click();  // confirmed by the fixture
  EXPECT_EQ(form_->ListView2->ItemCount(), 2);
  EXPECT_EQ(Status(),
            QStringLiteral("1 file (%1) moved to the trash.   \u00b7   2 files found, sizes "
                           "total %2 bytes   \u00b7   0 ticked, sizes total 0 bytes")
                .arg(SizeText(size))
                .arg(6 - size));
}

TEST(SizeTextTest, TheUnitIsTheOneThatShowsTheRoundedSizeBelowAThousand) {
  const std::pair<ByteCount, const char*> cases[] = {
      {0, "0 bytes"},
      {1, "1 byte"},
      {999, "999 bytes"},
      {1000, "1.0 kB"},
      {999949, "999.9 kB"},
      {999950, "1.0 MB"},
      {999999, "1.0 MB"},
      {1500000, "1.5 MB"},
      {100000000, "100.0 MB"},
      {999950000000, "1.0 TB"},
      {ByteCount(1) << 64, "18.4 EB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.first), QLatin1String(c.second));
  // Under a locale that writes right to left, the English texts keep
  // their own digits, so nothing in them is reordered against the words.
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  EXPECT_EQ(SizeText(1500000), QStringLiteral("1.5 MB"));
  EXPECT_EQ(FoundText(1234, 999950), QStringLiteral("1,234 files found, sizes total 1.0 MB"));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(SizeText(1500000), QStringLiteral("1,5 MB"));  // the same direction: the user's own
  QLocale::setDefault(before);
}

// The totals: in 128 bits, so sparse files of 2^63 - 1 bytes do not wrap;
// each listed name counts (the sizes in the Size column, added up); and
// what a move or the trash took is given at the size it had when it went.
TEST_F(StatusLineTest, TotalsNeverWrapCountEachNameAndGiveTheSizeOfWhatWent) {
  const std::string sparse = tree_.Sub("sparse");
  testing::MakeDirs(sparse);
  // Files that large need a file system that takes them (tmpfs, as root).
  const bool mounted = ::mount("tmpfs", sparse.c_str(), "tmpfs", 0, "size=16m") == 0;
  auto sparse_file = [&](const std::string& name, off_t size) {
    testing::WriteFile(sparse + "/" + name, "");
    return ::truncate((sparse + "/" + name).c_str(), size) == 0;
  };
  const off_t largest = std::numeric_limits<off_t>::max();
  if (sparse_file("a", largest) && sparse_file("b", largest)) {
    SearchAndTickAll(sparse);
    EXPECT_EQ(Status(), QStringLiteral("2 files found, sizes total 18.4 EB   \u00b7   2 ticked, "
                                       "sizes total 18.4 EB"));
    ASSERT_TRUE(sparse_file("b", off_t(1) << 30) && sparse_file("c", off_t(5) << 30) &&
                sparse_file("d", (off_t(1) << 53) + 1));
    SearchAndTickAll(sparse);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("4 files found, sizes total 9.2 EB")))
        << Status().toStdString();
  } else {
    std::printf("skipped the sparse files: no file system here takes 2^63 - 1 bytes%s\n",
                mounted ? "" : " (a tmpfs can be mounted as root)");
  }
  if (mounted) ::umount2(sparse.c_str(), MNT_DETACH);

  // Three names of one file of 1 MB: three listed names, three sizes.
  const std::string links = tree_.Sub("links");
  testing::WriteFile(links + "/one", std::string(1000000, 'l'));
  ASSERT_EQ(::link((links + "/one").c_str(), (links + "/two").c_str()), 0);
  ASSERT_EQ(::link((links + "/one").c_str(), (links + "/three").c_str()), 0);
  SearchAndTickAll(links);
  EXPECT_TRUE(Status().startsWith(QStringLiteral("3 files found, sizes total 3.0 MB")))
      << Status().toStdString();

  // A file that grew since the search goes at its new size.
  const std::string grown = tree_.Sub("grown");
  testing::WriteFile(grown + "/a", std::string(1000, 'g'));
  SearchAndTickAll(grown);
  testing::WriteFile(grown + "/a", std::string(5000000, 'g'));  // the same file, rewritten
  const std::string dest = tree_.Sub("dest");
  testing::MakeDirs(dest);
  AnswerFolder(QString::fromStdString(dest));
  form_->PushButton5->click();
  EXPECT_TRUE(Status().startsWith(
      QStringLiteral("1 file (5.0 MB) moved to %1/.").arg(QString::fromStdString(dest))))
      << Status().toStdString();
  testing::WriteFile(grown + "/b", std::string(1000, 'g'));
  SearchAndTickAll(grown);
  testing::WriteFile(grown + "/b", std::string(2500000, 'g'));
  form_->PushButton3_Click();
  EXPECT_TRUE(Status().startsWith(QStringLiteral("1 file (2.5 MB) moved to the trash.")))
      << Status().toStdString();
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
  EXPECT_TRUE(
      form_->StatusText().startsWith(QStringLiteral("12 files found, sizes total 78 bytes")));
}

}  // namespace
}  // namespace qm
