#include <sys/stat.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <cerrno>
#include <functional>

#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ReadFile;

// Renames across folders fail as they would between two disks, so the move
// has to copy.
class TwoDisksFs : public testing::FaultyFs {
 public:
  int Rename(const char* from, const char* to) override {
    std::string f(from);
    // The copy's own rename of its finished temporary file stays possible.
    if (f.find("/.") != std::string::npos) return FileSystem::Rename(from, to);
    errno = EXDEV;
    return -1;
  }
};

class MoveToFolderTest : public testing::ResultsTest {
 protected:
  void SetUp() override {
    ResultsTest::SetUp();
    dest_ = tree_.Sub("dest");
    testing::MakeDirs(dest_);
  }
  void Move() {
    AnswerFolder(QString::fromStdString(dest_));
    form_->PushButton5->click();
  }
  std::string dest_;
};

TEST_F(MoveToFolderTest, TickedFilesMoveAndTheirRowsLeave) {
  std::string a = Row("src/a.txt", true, "alpha");
  std::string keep = Row("src/keep.txt", false);
  std::string b = Row("src/sub/b c \\ ~ é.txt", true, "beta");
  testing::SetTimes(a, 1000000000, 1000000001);
  Move();
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), "alpha");
  EXPECT_EQ(ReadFile(dest_ + "/b c \\ ~ é.txt"), "beta");
  EXPECT_FALSE(Exists(a) || Exists(b));
  struct stat st;
  ASSERT_EQ(::stat((dest_ + "/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
  EXPECT_EQ(Rows(), std::vector<std::string>({keep}));
  EXPECT_EQ(ReadSetting("LastFolder", ""), QString::fromStdString(dest_));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(form_->MousePointer(), kPointerDefault);

  // The next move starts at the folder chosen last.
  form_->PushButton5->click();  // cancelled
  std::vector<DialogRequest> asked = Dialogs(DialogKind::kFolderBrowser);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].title, QStringLiteral("Please select folder:"));
  EXPECT_EQ(asked[1].initial_folder, QString::fromStdString(dest_));
  EXPECT_EQ(ReadSetting("LastFolder", ""), QString::fromStdString(dest_));
}

TEST_F(MoveToFolderTest, CancellingChangesNothing) {
  std::string a = Row("a.txt", true);
  WriteSetting("LastFolder", "/before");
  form_->SetMousePointer(kPointerHand);
  form_->PushButton5->click();
  EXPECT_TRUE(Exists(a));
  EXPECT_EQ(Rows().size(), 1u);
  EXPECT_EQ(form_->MousePointer(), kPointerHand);
  EXPECT_EQ(ReadSetting("LastFolder", ""), QStringLiteral("/before"));
}

TEST_F(MoveToFolderTest, TwoFilesOfOneNameBothArrive) {
  std::string a = Row("one/report.txt", true, "first");
  std::string b = Row("two/report.txt", true, "second");
  std::string c = Row("three/report.txt", true, "third");
  Move();
  EXPECT_EQ(ReadFile(dest_ + "/report.txt"), "first");
  EXPECT_EQ(ReadFile(dest_ + "/report (2).txt"), "second");
  EXPECT_EQ(ReadFile(dest_ + "/report (3).txt"), "third");
  EXPECT_TRUE(Rows().empty());
}

TEST_F(MoveToFolderTest, AFileAlreadyThereUnderAnotherSpellingIsLeftAlone) {
  std::string here = tree_.Sub("dest/here.txt");
  testing::WriteFile(here, "only copy");
  form_->ListView2->AddItem(QString::fromStdString(here));
  form_->ListView2->SetChecked(1, true);
  ASSERT_EQ(::symlink(dest_.c_str(), tree_.Sub("alias").c_str()), 0);
  AnswerFolder(QString::fromStdString(tree_.Sub("alias")));
  form_->PushButton5->click();
  EXPECT_EQ(ReadFile(here), "only copy");
  EXPECT_EQ(Ticks(), std::vector<bool>({true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QStringLiteral("already in that folder")));
}

TEST_F(MoveToFolderTest, HiddenAndVanishedFilesAreNotMoved) {
  std::string hidden = Row(".hidden", true);
  std::string vanished = Row("vanished.txt", true);
  ::unlink(vanished.c_str());
  Move();
  EXPECT_TRUE(Exists(hidden));
  EXPECT_FALSE(Exists(dest_ + "/.hidden"));
  EXPECT_EQ(Rows(), std::vector<std::string>({hidden}));  // the vanished row goes
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].startsWith(QStringLiteral("1 file was not moved")));
}

TEST_F(MoveToFolderTest, BetweenDisksTheCopyKeepsContentsAndDates) {
  std::string a = Row("a.txt", true, std::string(100000, 'q'));
  testing::SetTimes(a, 1200000000, 1300000000);
  ::chmod(a.c_str(), 0640);
  TwoDisksFs disks;
  ScopedFs use(&disks);
  Move();
  EXPECT_FALSE(Exists(a));
  struct stat st;
  ASSERT_EQ(::stat((dest_ + "/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1200000000);
  EXPECT_EQ(st.st_atime, 1300000000);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), std::string(100000, 'q'));
}

TEST_F(MoveToFolderTest, ACopyThatFailsHalfWayKeepsTheSourceAndAnyOldTarget) {
  std::string a = Row("a.txt", true, std::string(200000, 'n'));
  std::string b = Row("b.txt", true, "small");
  testing::WriteFile(dest_ + "/a.txt", "older file");
  TwoDisksFs disks;
  disks.FailWritesAfter(50000, ENOSPC);  // the disk fills up during a.txt
  ScopedFs use(&disks);
  Move();
  EXPECT_EQ(ReadFile(a), std::string(200000, 'n'));
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), "older file");
  EXPECT_TRUE(Exists(b));  // the disk stayed full
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].startsWith(QStringLiteral("2 files were not moved")));
  EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(a)));
}

TEST_F(MoveToFolderTest, ASourceThatCannotBeRemovedStaysListed) {
  std::string a = Row("a.txt", true, "alpha");
  TwoDisksFs disks;
  disks.FailUnlinks(2, EBUSY);  // the plain and the forced delete
  ScopedFs use(&disks);
  Move();
  EXPECT_TRUE(Exists(a));
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), "alpha");
  EXPECT_EQ(Ticks(), std::vector<bool>({true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QStringLiteral("could not be removed")));
}

TEST_F(MoveToFolderTest, AFailureIsReportedWithTheFileLineAndTheMoveGoesOn) {
  std::string a = Row("a.txt", true);
  // Settings cannot be written: line 334 fails, the move itself carries on.
  ::system(("rm -rf '" + home_.Sub(".config") + "'").c_str());
  testing::WriteFile(home_.Sub(".config"), "in the way");
  Move();
  std::vector<QString> reports = ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].contains(
      QStringLiteral("in Tallowick2021/08/31.Form1.PushButton5_Click at line 334")));
  EXPECT_TRUE(reports[0].endsWith(QStringLiteral("\r\rFile: (no file)")));
  EXPECT_TRUE(Exists(dest_ + "/a.txt"));
  EXPECT_TRUE(Rows().empty());
}

// The real folder browser, answered as a user would.
TEST_F(MoveToFolderTest, ATypedSiblingFolderWinsOverThePreselectedOne) {
  std::string a = Row("src/a.txt", true, "alpha");
  const std::string sibling = tree_.Sub("sibling");
  testing::MakeDirs(sibling);
  WriteSetting("LastFolder", QString::fromStdString(dest_));
  SetDialogResponder([this](const DialogRequest& r) -> std::optional<DialogAnswer> {
    requests_.push_back(r);
    if (r.kind == DialogKind::kFolderBrowser) return std::nullopt;  // the real one
    return DialogAnswer();
  });
  std::function<void()> when_open = [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      QTimer::singleShot(20, when_open);
      return;
    }
    QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    // Put over the preselected folder's name while the box does not hold
    // the keyboard focus, as where the window manager gives the dialog no
    // focus of its own.
    name->clearFocus();
    name->setText(QString::fromStdString(sibling));
    QTest::keyClick(name, Qt::Key_Return);
    if (dialog->isVisible()) dialog->reject();  // Enter did not close it
  };
  QTimer::singleShot(20, when_open);
  form_->show();
  form_->PushButton5->click();
  EXPECT_EQ(ReadFile(sibling + "/a.txt"), "alpha");
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ReadSetting("LastFolder", ""), QString::fromStdString(sibling));
}

}  // namespace
}  // namespace qm
