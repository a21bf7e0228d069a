// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <cerrno>
#include <functional>

#include "platform/file_system.h"
#include "platform/new_file.h"
#include "platform/yield.h"
#include "settings/settings_store.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ReadFile;

// Renames from one folder into another fail as they would between two
// disks, so the move has to copy.
class TwoDisksFs : public testing::FaultyFs {
 public:
  int RenameAt(int from_dir, const char* from, int to_dir, const char* to,
               unsigned flags) override {
    struct stat a, b;
    if (::fstat(from_dir, &a) == 0 && ::fstat(to_dir, &b) == 0 &&
        (a.st_dev != b.st_dev || a.st_ino != b.st_ino)) {
      errno = EXDEV;
      return -1;
    }
    return FaultyFs::RenameAt(from_dir, from, to_dir, to, flags);
  }
};

std::string LinkText(const std::string& path) {
  char buf[4096];
  ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? std::string("(not a link)") : std::string(buf, static_cast<size_t>(n));
}

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
  // Runs `body` once with the real file system (one disk) and once as if
  // every folder were on a disk of its own, each time in a fresh tree.
  void OnOneDiskAndTwo(const std::function<void()>& body) {
    for (int disks = 1; disks <= 2; ++disks) {
      SCOPED_TRACE(disks == 1 ? "one disk" : "two disks");
      ::system(("rm -rf '" + tree_.path() + "'/*").c_str());
      testing::MakeDirs(dest_);
      form_->ListView2->ClearItems();
      requests_.clear();
      TwoDisksFs two;
      std::unique_ptr<ScopedFs> use;
      if (disks == 2) use = std::make_unique<ScopedFs>(&two);
      body();
    }
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
  std::string here = Row("dest/here.txt", true, "only copy");
  ASSERT_EQ(::symlink(dest_.c_str(), tree_.Sub("alias").c_str()), 0);
  AnswerFolder(QString::fromStdString(tree_.Sub("alias")));
  form_->PushButton5->click();
  EXPECT_EQ(ReadFile(here), "only copy");
  EXPECT_EQ(Ticks(), std::vector<bool>({true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QStringLiteral("already in that folder")));
}

TEST_F(MoveToFolderTest, FilesNotMovedAreNamedEachWithItsReason) {
  std::string hidden = Row(".hidden", true);
  std::string blank = Row("   ", true);
  std::string vanished = Row("vanished.txt", true);
  ::unlink(vanished.c_str());
  // A row whose file's status the search could not read has no identity.
  std::string unread = tree_.Sub("unread.txt");
  testing::WriteFile(unread, "u");
  form_->ListView2->AddItem(QString::fromStdString(unread));
  form_->ListView2->SetChecked(form_->ListView2->ItemCount(), true);
  // A file listed twice goes with its first row, and its second row too.
  std::string twice = Row("twice.txt", true);
  ListPath(twice, true);
  Move();
  EXPECT_TRUE(Exists(hidden) && Exists(blank) && Exists(unread));
  EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"twice.txt"}));
  EXPECT_EQ(Rows(), std::vector<std::string>({hidden, blank, unread}));  // the vanished row goes
  ASSERT_EQ(Messages().size(), 1u);
  const QString text = Messages()[0];
  // The vanished file is not anywhere: no "still ticked" for all of them.
  EXPECT_TRUE(text.startsWith(QStringLiteral("4 files were not moved:\n"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromStdString(hidden) + " (a hidden or system file)"));
  EXPECT_TRUE(text.contains(QString::fromStdString(blank) + " (its name is only blanks)"));
  EXPECT_TRUE(text.contains(QString::fromStdString(vanished) + " (file not found)"));
  EXPECT_TRUE(text.contains(QString::fromStdString(unread) + " (it changed since the search)"));
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
  EXPECT_TRUE(Exists(b));                                                   // the disk stayed full
  EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"a.txt"}));  // nothing half-written
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(
      Messages()[0].startsWith(QStringLiteral("2 files were not moved and are still ticked")));
  EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(a) + " (no space left)"));
}

// An SMB share through FUSE: no rename that refuses to replace, no hard
// links, and no name of an open file can be removed.  No copy could get its
// name safely: nothing is copied, every file stays with the reason, and no
// temporary of ours is left there, now or from an earlier move.
TEST_F(MoveToFolderTest, WhereNoCopyCanBeNamedSafelyNothingIsCopiedOrLeftBehind) {
  std::vector<std::string> sources;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    sources.push_back(Row(name, true, std::string(200000, name[0])));
  }
  testing::WriteFile(dest_ + "/" + TemporaryName(99), "left by a move that was killed");
  TwoDisksFs smb;
  smb.RefuseUnnamedFiles();
  smb.RefuseNoReplaceRenames();
  smb.RefuseLinks();
  smb.BusyWhileOpen();
  {
    ScopedFs use(&smb);
    Move();
  }
  EXPECT_LT(smb.written(), 200000);  // not one whole file
  EXPECT_TRUE(testing::ListDir(dest_).empty());
  for (const std::string& source : sources) EXPECT_TRUE(Exists(source));
  EXPECT_EQ(Ticks(), std::vector<bool>({true, true, true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(sources[2]) +
                                     " (that file system cannot add it without risk to another "
                                     "file)"))
      << Messages()[0].toStdString();
}

TEST_F(MoveToFolderTest, ASourceThatCannotBeRemovedStaysListed) {
  std::string a = Row("a.txt", true, "alpha");
  TwoDisksFs disks;
  disks.FailUnlinksOf("a.txt", EBUSY);
  ScopedFs use(&disks);
  Move();
  EXPECT_TRUE(Exists(a));
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), "alpha");
  EXPECT_EQ(Ticks(), std::vector<bool>({true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QStringLiteral(
      "copied there as a.txt, but it could not be removed from its folder: the file is in use")))
      << Messages()[0].toStdString();
}

TEST_F(MoveToFolderTest, AFailureIsReportedWithTheFileLineAndTheMoveGoesOn) {
  std::string a = Row("a.txt", true);
  // The settings store has become a folder: reading the last folder (line
  // 106) fails, the move itself carries on, and saving the folder chosen
  // says nothing more.
  ::unlink(SettingsFilePath().c_str());
  testing::MakeDirs(SettingsFilePath());
  Move();
  std::vector<QString> reports = ErrorReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].contains(
      QStringLiteral("in Tallowick2021/08/31.Form1.PushButton5_Click at line 106")));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(reports[0].endsWith(QStringLiteral("\r\rFile: (no file)")));
  EXPECT_TRUE(Exists(dest_ + "/a.txt"));
  EXPECT_TRUE(Rows().empty());
}

TEST_F(MoveToFolderTest, ATickedFileAlreadyInTheTargetIsNeverOverwritten) {
  for (bool target_row_first : {false, true}) {
    SCOPED_TRACE(target_row_first ? "T's row first" : "S's row first");
    OnOneDiskAndTwo([&] {
      std::string in_t, in_s;
      if (target_row_first) {
        in_t = Row("dest/x.txt", true, "from T");
        in_s = Row("S/x.txt", true, "from S");
      } else {
        in_s = Row("S/x.txt", true, "from S");
        in_t = Row("dest/x.txt", true, "from T");
      }
      Move();
      EXPECT_EQ(ReadFile(dest_ + "/x.txt"), "from T");
      EXPECT_EQ(ReadFile(dest_ + "/x (2).txt"), "from S");
      EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"x (2).txt", "x.txt"}));
      EXPECT_FALSE(Exists(in_s));
      EXPECT_EQ(Rows(), std::vector<std::string>({in_t}));
      EXPECT_EQ(Ticks(), std::vector<bool>({true}));
      ASSERT_EQ(Messages().size(), 1u);
      EXPECT_TRUE(
          Messages()[0].contains(QString::fromStdString(in_t) + " (it is already in that folder)"));
      EXPECT_TRUE(Messages()[0].contains("x.txt -> x (2).txt")) << Messages()[0].toStdString();
    });
  }
}

TEST_F(MoveToFolderTest, AFileOfTheSameNameAlreadyThereIsKeptAndTheArrivalRenamed) {
  OnOneDiskAndTwo([&] {
    testing::WriteFile(dest_ + "/notes.txt", "notes of 2019");
    testing::WriteFile(dest_ + "/notes (2).txt", "notes of 2020");
    Row("2021/notes.txt", true, "notes of 2021");
    std::vector<std::string> others;
    for (int i = 0; i < 6; ++i) {
      testing::WriteFile(dest_ + "/f" + std::to_string(i), "old " + std::to_string(i));
      others.push_back(Row("new/f" + std::to_string(i), true, "new " + std::to_string(i)));
    }
    Move();
    EXPECT_EQ(ReadFile(dest_ + "/notes.txt"), "notes of 2019");
    EXPECT_EQ(ReadFile(dest_ + "/notes (2).txt"), "notes of 2020");
    EXPECT_EQ(ReadFile(dest_ + "/notes (3).txt"), "notes of 2021");
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(ReadFile(dest_ + "/f" + std::to_string(i)), "old " + std::to_string(i));
      EXPECT_EQ(ReadFile(dest_ + "/f" + std::to_string(i) + " (2)"), "new " + std::to_string(i));
    }
    EXPECT_TRUE(Rows().empty());
    ASSERT_EQ(Messages().size(), 1u);
    const QString text = Messages()[0];
    EXPECT_TRUE(
        text.startsWith("7 files were given new names, because the folder already held "
                        "files of their names:\n\nnotes.txt -> notes (3).txt\n"
                        "f0 -> f0 (2)\n"))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("\n... and 2 more")) << text.toStdString();
    EXPECT_EQ(Dialogs(DialogKind::kMessage).back().style, kOkOnly | kInformation);
  });
}

TEST_F(MoveToFolderTest, AMoveInterruptedAfterItsCopyIsFinishedWithoutASecondCopy) {
  // A kill between the copy's arrival and the source's removal leaves the
  // file complete in both places; moving it again removes the source.
  OnOneDiskAndTwo([&] {
    std::string a = Row("a.txt", true, "alpha");
    std::string b = Row("b.txt", true, "beta");
    testing::SetTimes(a, 1500000000, 1500000000);
    testing::SetTimes(b, 1500000000, 1500000000);
    ASSERT_EQ(::system(("cp -p '" + a + "' '" + dest_ + "/a.txt'").c_str()), 0);
    testing::WriteFile(dest_ + "/b.txt", "bet@");  // same size and time, other bytes
    testing::SetTimes(dest_ + "/b.txt", 1500000000, 1500000000);
    Move();
    EXPECT_FALSE(Exists(a) || Exists(b));
    EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"a.txt", "b (2).txt", "b.txt"}));
    EXPECT_EQ(ReadFile(dest_ + "/b (2).txt"), "beta");
    // The copy taken for the arrival was read to compare it: it keeps the
    // access time it had.
    struct stat kept;
    ASSERT_EQ(::lstat((dest_ + "/a.txt").c_str(), &kept), 0);
    EXPECT_EQ(kept.st_atime, 1500000000);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].startsWith("1 file was given a new name"))
        << Messages()[0].toStdString();
  });
}

TEST_F(MoveToFolderTest, AFileSavedAgainWhileBeingCopiedKeepsItsNewVersion) {
  const std::string old_version(3 << 20, 'o');
  const std::string new_version(3 << 20, 'N');
  TwoDisksFs disks;
  ScopedFs use(&disks);
  int writes = 0;
  // Saved again as a new file of the same size (as an editor saves) while
  // its copy is written: the copy of what was listed arrives whole, and
  // the new version stays.
  std::string a = Row("a.txt", true, old_version);
  disks.before_write = [&] {
    if (++writes == 2) {
      testing::WriteFile(a + ".new", new_version);
      ::rename((a + ".new").c_str(), a.c_str());
    }
  };
  Move();
  EXPECT_EQ(ReadFile(a), new_version);
  EXPECT_EQ(ReadFile(dest_ + "/a.txt"), old_version);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(a) +
                                     " (it changed while it was being moved; what was copied is "
                                     "there as a.txt)"))
      << Messages()[0].toStdString();
  form_->ListView2->ClearItems();
  requests_.clear();
  // Rewritten in place while it is copied: a copy half old, half new never
  // arrives.
  std::string b = Row("b.txt", true, old_version);
  writes = 0;
  disks.before_write = [&] {
    if (++writes == 2) {
      testing::WriteFile(b, new_version);
      testing::SetTimes(b, 1600000000, 1600000000);
    }
  };
  Move();
  EXPECT_EQ(ReadFile(b), new_version);
  EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"a.txt"}));
  EXPECT_EQ(Ticks(), std::vector<bool>({true}));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(
      Messages()[0].contains(QString::fromStdString(b) + " (it changed while it was being moved)"))
      << Messages()[0].toStdString();
}

TEST_F(MoveToFolderTest, APathThatNamesSomethingElseSinceTheSearchIsLeftAlone) {
  const std::string searched = SearchThenChangeWhatWasFound();
  for (int disks = 1; disks <= 2; ++disks) {
    requests_.clear();
    TwoDisksFs two;
    std::unique_ptr<ScopedFs> use;
    if (disks == 2) use = std::make_unique<ScopedFs>(&two);
    Move();
    EXPECT_EQ(testing::ListDir(dest_), std::vector<std::string>({"same.txt"}));
    EXPECT_EQ(ReadFile(searched + "/replaced.txt"), "a new file");
    EXPECT_EQ(ReadFile(searched + "/folder.txt/kept.txt"), "in a folder");
    EXPECT_EQ(ReadFile(tree_.Sub("outside/inner.txt")), "not listed");
    EXPECT_EQ(Rows().size(), 4u);
    EXPECT_EQ(Ticks(), std::vector<bool>(4, true));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].count("(it changed since the search)"), 4)
        << Messages()[0].toStdString();
  }
}

TEST_F(MoveToFolderTest, LinksMoveAsLinksOnOneDiskAndAcrossTwo) {
  OnOneDiskAndTwo([&] {
    std::string target = Row("src/target.txt", false, "the target");
    ASSERT_EQ(::symlink("target.txt", tree_.Sub("src/relative").c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), tree_.Sub("src/absolute").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", tree_.Sub("src/dangling").c_str()), 0);
    for (const char* name : {"relative", "absolute", "dangling"}) {
      ListPath(tree_.Sub(std::string("src/") + name), true);
    }
    Move();
    EXPECT_EQ(LinkText(dest_ + "/relative"), "target.txt");
    EXPECT_EQ(LinkText(dest_ + "/absolute"), target);
    EXPECT_EQ(LinkText(dest_ + "/dangling"), "nowhere");
    EXPECT_EQ(testing::ListDir(tree_.Sub("src")), std::vector<std::string>({"target.txt"}));
    EXPECT_EQ(ReadFile(target), "the target");
    EXPECT_EQ(Rows(), std::vector<std::string>({target}));
    EXPECT_TRUE(Messages().empty()) << Messages()[0].toStdString();
  });
}

TEST_F(MoveToFolderTest, ACopyHasNoNameUntilItIsComplete) {
  // Whatever moment the program is ended at, no partial copy is left under
  // any name: during every write the target folder shows nothing new.
  for (bool unnamed_files : {true, false}) {
    SCOPED_TRACE(unnamed_files ? "unnamed temporary file" : "hidden named temporary");
    form_->ListView2->ClearItems();
    std::string a =
        Row("a" + std::to_string(unnamed_files) + ".bin", true, std::string(3 << 20, 'a'));
    TwoDisksFs disks;
    if (!unnamed_files) disks.RefuseUnnamedFiles();
    std::vector<std::string> seen;
    const std::vector<std::string> before = testing::ListDir(dest_);
    disks.before_write = [&] {
      for (const std::string& name : testing::ListDir(dest_)) {
        if (name[0] != '.' && std::count(before.begin(), before.end(), name) == 0) {
          seen.push_back(name);
        }
      }
    };
    ScopedFs use(&disks);
    Move();
    EXPECT_TRUE(seen.empty()) << seen[0];
    EXPECT_EQ(ReadFile(dest_ + "/" + a.substr(a.rfind('/') + 1)), std::string(3 << 20, 'a'));
    // Ended by a full disk instead: nothing stays behind, hidden or not.
    std::string b =
        Row("b" + std::to_string(unnamed_files) + ".bin", true, std::string(3 << 20, 'b'));
    disks.FailWritesAfter(1 << 20, ENOSPC);
    Move();
    disks.FailWritesAfter(-1, 0);
    EXPECT_EQ(testing::ListDir(dest_).size(), unnamed_files ? 1u : 2u)
        << testing::ListDir(dest_).back();
    EXPECT_TRUE(Exists(b));
  }
}

TEST_F(MoveToFolderTest, ACopyKeepsExtendedAttributesAndAcls) {
  std::string a = Row("a.txt", true, "alpha");
  if (::setxattr(a.c_str(), "user.origin", "camera 7", 8, 0) != 0) {
    GTEST_SKIP() << "no extended attributes here";
  }
  // An access ACL giving user 4242 read access, as setfacl writes it.
  struct Entry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  const std::uint32_t version = 2;
  const Entry entries[] = {{0x01, 6, 0xFFFFFFFF},
                           {0x02, 4, 4242},
                           {0x04, 4, 0xFFFFFFFF},
                           {0x10, 4, 0xFFFFFFFF},
                           {0x20, 0, 0xFFFFFFFF}};
  std::string acl(reinterpret_cast<const char*>(&version), 4);
  acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
  const bool has_acl =
      ::setxattr(a.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  TwoDisksFs disks;
  ScopedFs use(&disks);
  Move();
  const std::string moved = dest_ + "/a.txt";
  ASSERT_EQ(ReadFile(moved), "alpha");
  EXPECT_FALSE(Exists(a));
  char value[256];
  ssize_t n = ::getxattr(moved.c_str(), "user.origin", value, sizeof value);
  EXPECT_EQ(std::string(value, n > 0 ? static_cast<size_t>(n) : 0), "camera 7");
  if (has_acl) {
    n = ::getxattr(moved.c_str(), "system.posix_acl_access", value, sizeof value);
    EXPECT_EQ(std::string(value, n > 0 ? static_cast<size_t>(n) : 0), acl);
  }
}

TEST_F(MoveToFolderTest, ReasonsSayWhatHappened) {
  std::string a = Row("a.txt", true, std::string(100000, 'f'));
  struct Case {
    int err;
    bool two_disks;
    const char* reason;
  };
  const Case cases[] = {{ENOSPC, true, " (no space left)"},
                        {EACCES, false, " (permission denied)"},
                        {EROFS, false, " (read-only file system)"},
                        {EROFS, true, " (read-only file system)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    requests_.clear();
    TwoDisksFs disks;
    if (c.err == ENOSPC) {
      disks.FailWritesAfter(1000, ENOSPC);
    } else if (c.two_disks) {
      disks.FailRenames(0, 0);
      disks.RefuseUnnamedFiles();   // the named temporaries' renames then fail: the
      disks.FailRenames(2, c.err);  // probe's, and the copy's
    } else {
      disks.FailRenames(1, c.err);
    }
    testing::FaultyFs one;
    if (!c.two_disks) one.FailRenames(1, c.err);
    ScopedFs use(c.two_disks ? static_cast<FileSystem*>(&disks) : &one);
    Move();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].contains(QString::fromStdString(a) + c.reason))
        << Messages()[0].toStdString();
    EXPECT_EQ(ReadFile(a), std::string(100000, 'f'));
    EXPECT_TRUE(testing::ListDir(dest_).empty());
  }
}

TEST_F(MoveToFolderTest, AFolderRemovedOnceTheMoveHasBegunIsTheReasonGiven) {
  OnOneDiskAndTwo([&] {
    std::string a = Row("src/a.txt", true, "alpha");
    SetYieldHook([&] { ::rmdir(dest_.c_str()); });
    Move();
    SetYieldHook(nullptr);
    EXPECT_EQ(ReadFile(a), "alpha");
    EXPECT_EQ(Ticks(), std::vector<bool>({true}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(
        Messages()[0].contains(QString::fromStdString(a) + " (the folder it was to go to is gone)"))
        << Messages()[0].toStdString();
  });
}

// The file's own folder, reached another way: the move must see that the
// file is there already, and never take the file for its own copy.
TEST_F(MoveToFolderTest, AFileIsNeverTakenForItsOwnCopyThroughAnotherMount) {
  const std::string src = tree_.Sub("src");
  struct Way {
    const char* name;
    std::function<std::string()> make;  // the path that reaches `src`, or "" when it cannot
    std::function<void(const std::string&)> undo;
  };
  const std::string point = tree_.Sub("point");
  auto unmount = [](const std::string& at) { ::umount2(at.c_str(), MNT_DETACH); };
  const Way ways[] = {
      {"a symbolic link to the folder",
       [&] { return ::symlink(src.c_str(), point.c_str()) == 0 ? point : std::string(); },
       [](const std::string& at) { ::unlink(at.c_str()); }},
      {"a bind mount",
       [&] {
         testing::MakeDirs(point);
         return ::mount(src.c_str(), point.c_str(), nullptr, MS_BIND, nullptr) == 0 ? point
                                                                                    : std::string();
       },
       unmount},
      {"a FUSE mount (bindfs)",
       [&] {
         testing::MakeDirs(point);
         const std::string command =
             "bindfs --no-allow-other '" + src + "' '" + point + "' 2>/dev/null";
         return std::system(command.c_str()) == 0 ? point : std::string();
       },
       unmount},
      {"an overlay above it",
       [&] {
         testing::MakeDirs(point);
         testing::MakeDirs(tree_.Sub("upper"));
         testing::MakeDirs(tree_.Sub("work"));
         const std::string options = "lowerdir=" + src + ",upperdir=" + tree_.Sub("upper") +
                                     ",workdir=" + tree_.Sub("work");
         return ::mount("overlay", point.c_str(), "overlay", 0, options.c_str()) == 0
                    ? point
                    : std::string();
       },
       unmount},
  };
  std::vector<std::string> skipped;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    form_->ListView2->ClearItems();
    requests_.clear();
    std::string a = Row("src/a.txt", true, "the only copy");
    std::string link = tree_.Sub("src/link");
    ASSERT_EQ(::symlink("a.txt", link.c_str()), 0);
    ListPath(link, true);
    const std::string alias = way.make();
    if (alias.empty()) {
      skipped.push_back(way.name);
      std::system(("rm -rf '" + tree_.path() + "'/*").c_str());
      continue;
    }
    dest_ = alias;
    Move();
    way.undo(alias);
    EXPECT_EQ(ReadFile(a), "the only copy");
    EXPECT_EQ(LinkText(link), "a.txt");
    EXPECT_EQ(testing::ListDir(src), std::vector<std::string>({"a.txt", "link"}));
    EXPECT_EQ(Ticks(), std::vector<bool>({true, true}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(
        Messages()[0].contains(QString::fromStdString(a) + " (it is already in that folder)"))
        << Messages()[0].toStdString();
    std::system(("rm -rf '" + tree_.path() + "'/*").c_str());
  }
  if (!skipped.empty()) {
    std::string list;
    for (const std::string& name : skipped) list += (list.empty() ? "" : ", ") + name;
    std::printf("[  NOTE    ] could not make here: %s\n", list.c_str());
  }
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
