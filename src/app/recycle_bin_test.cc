// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/recycle_bin.h"

#include <QProgressDialog>
#include <cerrno>

#include "platform/trash.h"
#include "platform/yield.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::Exists;

class RecycleBinTest : public testing::ResultsTest {
 protected:
  void TearDown() override {
    SetTrashCancelProbeForTesting(nullptr);
    SetTrashFaultHook(nullptr);
    ResultsTest::TearDown();
  }
  std::string Trashed(const std::string& name) const {
    return home_.Sub(".local/share/Trash/files/" + name);
  }
};

TEST_F(RecycleBinTest, TickedFilesGoToTheTrashAndTheirRowsLeave) {
  std::string a = Row("a.txt", true, "alpha");
  std::string b = Row("keep.txt", false);
  std::string c = Row("sub/odd \\ name ~ и.txt", true, "gamma");
  std::string d = Row("d.txt", true);
  form_->PushButton3->click();
  std::vector<DialogRequest> asked = Dialogs(DialogKind::kTrashConfirm);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].text.startsWith(QStringLiteral("Move these 3 files to the trash?")));
  EXPECT_TRUE(asked[0].text.endsWith(QStringLiteral("You can restore them from the trash.")));
  EXPECT_TRUE(asked[0].text.contains(QString::fromStdString(c)));
  EXPECT_FALSE(Exists(a) || Exists(c) || Exists(d));
  EXPECT_EQ(testing::ReadFile(Trashed("a.txt")), "alpha");
  EXPECT_EQ(testing::ReadFile(Trashed("odd \\ name ~ и.txt")), "gamma");
  EXPECT_TRUE(Exists(home_.Sub(".local/share/Trash/info/a.txt.trashinfo")));
  EXPECT_EQ(Rows(), std::vector<std::string>({b}));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RecycleBinTest, AFileListedTwiceGoesOnceAndBothRowsLeave) {
  std::string a = Row("a.txt", true);
  ListPath(a, true);
  form_->PushButton3->click();
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Dialogs(DialogKind::kTrashConfirm)[0].text.startsWith("Move this file"));
  EXPECT_TRUE(Dialogs(DialogKind::kTrashConfirm)[0].text.endsWith(
      QStringLiteral("You can restore it from the trash.")));
}

TEST_F(RecycleBinTest, DecliningTouchesNothing) {
  std::string a = Row("a.txt", true);
  std::string b = Row("b.txt", true);
  AnswerButton(kAnswerCancel);
  form_->PushButton3->click();
  EXPECT_TRUE(Exists(a) && Exists(b));
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true}));
}

TEST_F(RecycleBinTest, NothingTickedAsksNothing) {
  Row("a.txt", false);
  form_->PushButton3->click();
  EXPECT_TRUE(Dialogs(DialogKind::kTrashConfirm).empty());
  EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(RecycleBinTest, AfterAPartialOutcomeExactlyTheGoneFilesLeaveTheList) {
  // The topmost ticked file is already gone; one file is refused; the user
  // cancels before the last.
  std::string gone = Row("0gone.txt", true);
  std::string ok = Row("1ok.txt", true);
  std::string refused = Row("2refused.txt", true);
  std::string later = Row("3later.txt", true);
  ::unlink(gone.c_str());
  SetTrashFaultHook([&](const std::string& p) { return p == refused ? EACCES : 0; });
  SetTrashCancelProbeForTesting([](int done) { return done >= 3; });
  form_->PushButton3->click();
  EXPECT_FALSE(Exists(ok));
  EXPECT_TRUE(Exists(refused));
  EXPECT_TRUE(Exists(later));
  EXPECT_EQ(Rows(), std::vector<std::string>({refused, later}));
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true}));
}

TEST_F(RecycleBinTest, ARefusedFileIsNamedAndStays) {
  std::string a = Row("a.txt", true);
  std::string b = Row("b.txt", true);
  SetTrashFaultHook([&](const std::string& p) { return p == a ? EACCES : 0; });
  form_->PushButton3->click();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].startsWith(QStringLiteral("1 of 2 files could not be moved")));
  EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(a)));
  EXPECT_EQ(Rows(), std::vector<std::string>({a}));
  EXPECT_FALSE(Exists(b));
}

TEST_F(RecycleBinTest, ALongListIsAskedForOnceWithItsFirstFilesInRowOrder) {
  std::vector<std::string> ticked, kept;
  for (int i = 0; i < 30; ++i) {
    const bool tick = i % 2 == 0;
    (tick ? ticked : kept).push_back(Row("f" + std::to_string(i) + ".txt", tick));
  }
  form_->PushButton3->click();
  std::vector<DialogRequest> asked = Dialogs(DialogKind::kTrashConfirm);
  ASSERT_EQ(asked.size(), 1u);
  QString expected = QStringLiteral("Move these 15 files to the trash?\n");
  for (int i = 0; i < 5; ++i) expected += QStringLiteral("\n") + QString::fromStdString(ticked[i]);
  EXPECT_TRUE(asked[0].text.startsWith(expected + QStringLiteral("\n... and 10 more")))
      << asked[0].text.toStdString();
  for (const std::string& f : ticked) EXPECT_FALSE(Exists(f)) << f;
  EXPECT_EQ(Rows(), kept);
}

TEST_F(RecycleBinTest, TheProgressDialogsCancelStopsAtTheNextFile) {
  // The dialog is brought up to date only now and then; its Cancel must
  // still be seen before the very next file.
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) files.push_back(Row("f" + std::to_string(i) + ".txt", true));
  SetYieldHook([&] {
    QProgressDialog* dialog = form_->findChild<QProgressDialog*>();
    if (dialog && !Exists(files[3])) dialog->cancel();  // once the fourth file has gone
  });
  form_->PushButton3->click();
  SetYieldHook(nullptr);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(Exists(files[i]), i >= 4) << files[i];
  EXPECT_EQ(Rows(), std::vector<std::string>(files.begin() + 4, files.end()));
  EXPECT_EQ(Ticks(), std::vector<bool>(8, true));
}

TEST_F(RecycleBinTest, APathThatNamesSomethingElseSinceTheSearchIsNotTrashed) {
  const std::string searched = SearchThenChangeWhatWasFound();
  form_->PushButton3->click();
  EXPECT_FALSE(Exists(searched + "/same.txt"));
  EXPECT_EQ(testing::ReadFile(searched + "/replaced.txt"), "a new file");
  EXPECT_EQ(testing::ReadFile(searched + "/folder.txt/kept.txt"), "in a folder");
  EXPECT_TRUE(Exists(searched + "/fifo.txt"));
  EXPECT_EQ(testing::ReadFile(tree_.Sub("outside/inner.txt")), "not listed");
  EXPECT_EQ(Ticks(), std::vector<bool>(4, true));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(
      Messages()[0].startsWith("4 of 5 files could not be moved to the trash and stay "
                               "where they are:"));
  EXPECT_EQ(Messages()[0].count("(it changed since the search)"), 4) << Messages()[0].toStdString();
}

TEST_F(RecycleBinTest, ReasonsSayWhatHappenedAndAMissingFileIsNotSaidToStay) {
  std::string gone = Row("gone.txt", true);
  std::string read_only = Row("read-only.txt", true);
  ::unlink(gone.c_str());
  SetTrashFaultHook([&](const std::string& p) { return p == read_only ? EROFS : 0; });
  form_->PushButton3->click();
  ASSERT_EQ(Messages().size(), 1u);
  const QString text = Messages()[0];
  EXPECT_TRUE(text.startsWith("2 of 2 files could not be moved to the trash:\n"))
      << text.toStdString();
  EXPECT_FALSE(text.contains("stay where they are"));
  EXPECT_TRUE(text.contains(QString::fromStdString(gone) + " (file not found)"));
  EXPECT_TRUE(text.contains(QString::fromStdString(read_only) + " (read-only file system)"));
  EXPECT_EQ(Rows(), std::vector<std::string>({read_only}));
}

}  // namespace
}  // namespace qm
