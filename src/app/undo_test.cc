// SPDX-License-Identifier: GPL-3.0-or-later
// Undo in the window after the trash and after a move (also between two
// real file systems), the files it refuses to put back, commands ended at
// chosen moments, and journals that are damaged or no file.
#include "results/undo.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QtTest/QTest>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "platform/file_system.h"
#include "platform/trash.h"
#include "results/journal.h"
#include "results/move_files.h"
#include "testing/test_faulty_fs.h"
#include "testing/test_mounts.h"
#include "testing/test_results.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ListDir;
using testing::ReadFile;
using testing::WriteFile;

// What a file is, beyond its name: a hash of its contents (read without
// touching its access time), its permission bits, and its modified and
// access times to the nanosecond.
std::string Facts(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return "(nothing)";
  std::uint64_t h = 1469598103934665603ull;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
  if (fd < 0) return "(unreadable)";
  char buf[65536];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
  }
  ::close(fd);
  return std::to_string(st.st_size) + " bytes #" + std::to_string(h) + " mode " +
         std::to_string(st.st_mode) + " modified " + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + " accessed " + std::to_string(st.st_atim.tv_sec) +
         "." + std::to_string(st.st_atim.tv_nsec);
}

// Dates of the past, to the nanosecond, that a copy must keep.
void DateBack(const std::string& path, int days) {
  const struct timespec times[2] = {{1600000000 - days * 86400, 123456789},
                                    {1500000000 - days * 86400, 987654321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Runs a shell command; its standard output.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    ::pclose(pipe);
  }
  return out;
}

class UndoTest : public testing::ResultsTest {
 protected:
  std::string Trash(const std::string& part) const {
    return home_.Sub(".local/share/Trash/" + part);
  }
  void TrashTicked() { form_->PushButton3->click(); }
  void MoveTicked(const std::string& folder) {
    AnswerFolder(QString::fromStdString(folder));
    form_->PushButton5->click();
  }
  bool UndoOffered() const { return !form_->PushButton14->isHidden(); }
  void Undo() { form_->PushButton14_Click(); }
};

TEST_F(UndoTest, CtrlZAfterTheTrashPutsEveryFileBackAndTakesItsInfoFileAway) {
  const std::string a = Row("one/a.txt", true, "alpha");
  const std::string b = Row("two/b, \"b\" 100%.txt", true, "beta");
  const std::string c = Row("one/c.txt", false, "gamma");
  DateBack(a, 1);
  DateBack(b, 2);
  const std::string a_was = Facts(a), b_was = Facts(b);
  EXPECT_FALSE(UndoOffered());
  TrashTicked();
  ASSERT_FALSE(Exists(a));
  ASSERT_FALSE(Exists(b));
  EXPECT_EQ(Rows(), std::vector<std::string>{c});
  EXPECT_TRUE(UndoOffered());
  const bool cli = ::system("command -v trash-list >/dev/null 2>&1") == 0;
  testing::ScopedEnv home("HOME", home_.path());
  if (cli) {
    EXPECT_NE(Shell("trash-list 2>&1").find(" " + a + "\n"), std::string::npos);
  }

  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);

  EXPECT_EQ(Facts(a), a_was);
  EXPECT_EQ(Facts(b), b_was);
  EXPECT_EQ(ReadFile(c), "gamma");
  EXPECT_TRUE(ListDir(Trash("files")).empty());
  EXPECT_TRUE(ListDir(Trash("info")).empty());
  if (cli) {
    EXPECT_EQ(Shell("trash-list 2>&1").find(a), std::string::npos);
  }
  // Listed again, ticked: the trash would take them again at one click.
  EXPECT_EQ(Rows(), (std::vector<std::string>{c, a, b}));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, true, true}));
  EXPECT_EQ(form_->ListView2->ItemId(2), IdOfPath(a));
  EXPECT_TRUE(form_->StatusText().startsWith(QStringLiteral("2 files (9 bytes) put back.")))
      << form_->StatusText().toStdString();
  EXPECT_TRUE(Messages().empty());
  // Nothing is left to undo.
  EXPECT_FALSE(UndoOffered());
  EXPECT_FALSE(Exists(JournalPath()));
  QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(form_->StatusText().startsWith(QStringLiteral("Nothing to undo.")));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(UndoTest, AMoveToAnotherFileSystemComesBackWithItsContentsAndDates) {
  const std::string far = tree_.Sub("far");
  testing::ScopedMount mount(testing::ScopedMount::Kind::kTmpfs, far, "", 0, "size=16m,mode=0755");
  if (!mount.ok()) GTEST_SKIP() << mount.why();
  WriteFile(far + "/a.txt", "already there");
  const std::string a = Row("src/a.txt", true, std::string(300000, 'a'));
  const std::string b = Row("src/deep/b.txt", true, "bee");
  ::chmod(b.c_str(), 0640);
  DateBack(a, 3);
  DateBack(b, 4);
  const std::string a_was = Facts(a), b_was = Facts(b);
  MoveTicked(far);
  ASSERT_FALSE(Exists(a));
  ASSERT_EQ(ListDir(far), (std::vector<std::string>{"a (2).txt", "a.txt", "b.txt"}));
  ASSERT_TRUE(UndoOffered());
  requests_.clear();  // the move's word on the new name

  Undo();

  EXPECT_EQ(Facts(a), a_was);
  EXPECT_EQ(Facts(b), b_was);
  EXPECT_EQ(ListDir(far), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(ReadFile(far + "/a.txt"), "already there");
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(Ticks(), (std::vector<bool>{true, true}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(UndoOffered());
}

TEST_F(UndoTest, AFileWhosePlaceIsTakenOrThatChangedStaysAndIsNamedWithItsReason) {
  for (const bool trash : {true, false}) {
    SCOPED_TRACE(trash ? "trash" : "move");
    ::system(("rm -rf '" + tree_.path() + "'/* '" + home_.path() + "/.local'").c_str());
    form_->ListView2->ClearItems();
    requests_.clear();
    const std::string dest = tree_.Sub("dest");
    testing::MakeDirs(dest);
    const std::string a = Row("a.txt", true, "alpha");
    const std::string b = Row("b.txt", true, "beta");
    const std::string c = Row("c.txt", true, "gamma");
    if (trash) {
      TrashTicked();
    } else {
      MoveTicked(dest);
    }
    ASSERT_TRUE(Rows().empty());
    // A new a.txt where a was; b changed where it went.
    WriteFile(a, "a new a");
    const std::string b_went = trash ? Trash("files/b.txt") : dest + "/b.txt";
    WriteFile(b_went, "beta, changed");

    Undo();

    EXPECT_EQ(ReadFile(a), "a new a");
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(ReadFile(b_went), "beta, changed");
    EXPECT_EQ(ReadFile(c), "gamma");
    EXPECT_EQ(Rows(), std::vector<std::string>{c});
    ASSERT_EQ(Messages().size(), 1u);
    const QString said = Messages()[0];
    EXPECT_TRUE(
        said.startsWith(QStringLiteral("1 file was put back where it was.\n\n"
                                       "2 files were not put back:")))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromStdString(a) + " (its place is taken by another file)"))
        << said.toStdString();
    EXPECT_TRUE(
        said.contains(QString::fromStdString(b) +
                      (trash ? " (it changed in the trash)" : " (it changed since it was moved)")))
        << said.toStdString();
    // Undo stays on offer: once a.txt's place is free it can go back.
    EXPECT_TRUE(UndoOffered());
    const std::string a_went = trash ? Trash("files/a.txt") : dest + "/a.txt";
    EXPECT_EQ(ReadFile(a_went), "alpha");
    if (trash) {
      EXPECT_TRUE(Exists(Trash("info/a.txt.trashinfo")));
    }
    ::unlink(a.c_str());
    requests_.clear();

    Undo();

    EXPECT_EQ(ReadFile(a), "alpha");
    EXPECT_FALSE(Exists(a_went));
    if (trash) {
      EXPECT_FALSE(Exists(Trash("info/a.txt.trashinfo")));
      EXPECT_TRUE(Exists(Trash("info/b.txt.trashinfo")));
    }
    EXPECT_EQ(Rows(), (std::vector<std::string>{c, a}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(
        Messages()[0].startsWith(QStringLiteral("1 file was put back where it was.\n\n"
                                                "1 file was not put back:")));
  }
}

// Renames from one folder into another fail as between two disks, and the
// process ends at once (as if killed) at the call `kill_at` picks.
class KilledFs : public testing::FaultyFs {
 public:
  bool two_disks = false;
  // Called before each rename and unlink with the name and whether it is
  // done yet; returning true ends the process there.
  std::function<bool(const char* what, const char* name, bool done)> kill_at;

  int RenameAt(int from_dir, const char* from, int to_dir, const char* to,
               unsigned flags) override {
    struct stat x, y;
    if (two_disks && ::fstat(from_dir, &x) == 0 && ::fstat(to_dir, &y) == 0 &&
        (x.st_dev != y.st_dev || x.st_ino != y.st_ino)) {
      errno = EXDEV;
      return -1;
    }
    if (kill_at && kill_at("rename", to, false)) ::_exit(9);
    const int r = FaultyFs::RenameAt(from_dir, from, to_dir, to, flags);
    if (kill_at && kill_at("rename", to, true)) ::_exit(9);
    return r;
  }
  int UnlinkAt(int dir_fd, const char* name, int flags) override {
    if (kill_at && kill_at("unlink", name, false)) ::_exit(9);
    return FaultyFs::UnlinkAt(dir_fd, name, flags);
  }
};

TEST_F(UndoTest, ACommandEndedAtAnyOfItsStepsIsUndoneWithNothingLostOrDoubled) {
  struct Moment {
    const char* what;
    bool trash;
    bool two_disks;
    // The call to end the process at: "rename" or "unlink", of the name
    // (or any name, for ""), before or after it is done.
    const char* call;
    const char* name;
    bool done;
  };
  const Moment moments[] = {
      {"trash, b's info file made, b not yet in the trash", true, false, "rename", "b.txt", false},
      {"trash, b in the trash, not yet written down", true, false, "rename", "b.txt", true},
      {"move, b renamed, not yet written down", false, false, "rename", "b.txt", true},
      {"move across disks, b's copy complete, b not yet removed", false, true, "unlink", "b.txt",
       false},
  };
  for (const Moment& m : moments) {
    SCOPED_TRACE(m.what);
    ::system(("rm -rf '" + tree_.path() + "'/* '" + home_.path() + "/.local'").c_str());
    const std::string dest = tree_.Sub("dest");
    testing::MakeDirs(dest);
    std::vector<std::string> paths;
    std::vector<std::string> was;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      paths.push_back(tree_.Sub(std::string("src/") + name));
      WriteFile(paths.back(), std::string(5000, name[0]));
      DateBack(paths.back(), 5);
      was.push_back(Facts(paths.back()));
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      KilledFs fs;
      fs.two_disks = m.two_disks;
      fs.kill_at = [&](const char* call, const char* name, bool done) {
        return std::string(call) == m.call && std::string(name) == m.name && done == m.done;
      };
      ScopedFs use(&fs);
      if (m.trash) {
        JournalWriter journal(JournalKind::kTrash, std::string());
        MoveToTrash(ListedNow(paths), nullptr, &journal);
      } else {
        JournalWriter journal(JournalKind::kMove, dest);
        FileMover mover;
        mover.SetJournal(&journal);
        mover.OpenFolder(dest);
        for (const ListedFile& f : ListedNow(paths)) mover.Move(f.path, f.id);
      }
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;
    ASSERT_FALSE(Exists(paths[0]));  // a went before the end

    const UndoOutcome out = UndoLastCommand(false);

    ASSERT_EQ(out.status, UndoOutcome::kDone) << out.trouble;
    EXPECT_TRUE(out.not_back.empty()) << out.not_back[0].path << ": " << out.not_back[0].reason;
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(Facts(paths[i]), was[i]) << i;
    // Nothing of them is left where they were going.
    EXPECT_TRUE(ListDir(dest).empty()) << ListDir(dest)[0];
    EXPECT_TRUE(ListDir(Trash("files")).empty());
    EXPECT_TRUE(ListDir(Trash("info")).empty());
    EXPECT_TRUE(out.finished);
  }
}

TEST_F(UndoTest, AnUndoEndedMidWayIsFinishedByTheNext) {
  // Across disks a file goes back as a copy that gets its name, and then
  // the one it came from goes: ended in between, both are whole.
  const std::string dest = tree_.Sub("dest");
  testing::MakeDirs(dest);
  const std::string a = Row("src/a.txt", true, std::string(70000, 'a'));
  const std::string b = Row("src/b.txt", true, "bee");
  const std::string a_was = Facts(a);
  MoveTicked(dest);
  ASSERT_EQ(ListDir(dest).size(), 2u);
  const pid_t pid = ::fork();
  if (pid == 0) {
    KilledFs fs;
    fs.two_disks = true;
    fs.kill_at = [&](const char* call, const char* name, bool done) {
      return std::string(call) == "unlink" && std::string(name) == "a.txt" && !done;
    };
    ScopedFs use(&fs);
    UndoLastCommand(false);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;
  ASSERT_EQ(Facts(a), a_was);
  ASSERT_TRUE(Exists(dest + "/a.txt"));

  Undo();

  EXPECT_EQ(Facts(a), a_was);
  EXPECT_EQ(ReadFile(b), "bee");
  EXPECT_TRUE(ListDir(dest).empty());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b}));
}

TEST_F(UndoTest, WhereEachNameHasANumberOfItsOwnTrashedAndMovedFilesStillComeBack) {
  // sshfs numbers each name it is asked about: a file renamed into the
  // trash or a folder shows another inode number there.
  testing::FaultyFs fs;
  fs.RefuseUnnamedFiles();
  fs.InodesPerName();
  ScopedFs use(&fs);
  const std::string dest = tree_.Sub("dest");
  testing::MakeDirs(dest);
  const std::string a = Row("a.txt", true, "alpha");
  TrashTicked();
  ASSERT_FALSE(Exists(a));
  Undo();
  EXPECT_EQ(ReadFile(a), "alpha");
  const std::string b = Row("b.txt", true, "beta");
  for (int row = 1; row < form_->ListView2->ItemCount(); ++row) {
    form_->ListView2->SetChecked(row, false);
  }
  MoveTicked(dest);
  ASSERT_FALSE(Exists(b));
  Undo();
  EXPECT_EQ(ReadFile(b), "beta");
  EXPECT_TRUE(ListDir(dest).empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(UndoTest, ADamagedJournalIsToldOnceAndIgnoredATornLastRecordIsNot) {
  const std::string a = Row("a.txt", true, "alpha");
  TrashTicked();
  // A line in the middle that is not what was written.
  std::string text = ReadFile(JournalPath());
  const std::size_t second = text.find('\n') + 1;
  ASSERT_LT(second + 3, text.size());
  text[second + 2] = text[second + 2] == '7' ? '8' : '7';
  WriteFile(JournalPath(), text);
  Undo();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].toStdString(),
            "The undo journal " + JournalPath() + " is damaged (line 2) and is ignored");
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(UndoOffered());
  Undo();
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(form_->StatusText().startsWith(QStringLiteral("The undo journal ")));

  // A record torn by a kill is what a kill leaves: the rest is undone.
  const std::string b = Row("b.txt", true, "beta");
  TrashTicked();
  std::FILE* f = std::fopen(JournalPath().c_str(), "a");
  std::fputs("T 1 /somewhere 12 3", f);
  std::fclose(f);
  Undo();
  EXPECT_EQ(ReadFile(b), "beta");
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(Exists(JournalPath()));
}

TEST_F(UndoTest, AJournalThatIsNoFileNeitherStopsTheTrashNorIsWaitedOn) {
  testing::MakeDirs(home_.Sub(".local/state/quenmoor"));
  ASSERT_EQ(::mkfifo(JournalPath().c_str(), 0600), 0);
  testing::HangGuard guard("a FIFO as the undo journal", 20);
  const std::string a = Row("a.txt", true, "alpha");
  TrashTicked();
  EXPECT_FALSE(Exists(a));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].toStdString(), "This command cannot be undone: The undo journal " +
                                             JournalPath() + " is a FIFO, not a file.");
  EXPECT_FALSE(UndoOffered());
  // Told once a session.
  Row("b.txt", true, "beta");
  TrashTicked();
  Undo();
  EXPECT_EQ(Messages().size(), 1u);
  struct stat st;
  ASSERT_EQ(::lstat(JournalPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // Linked to /dev/null the journal is switched off, without a word.
  ::unlink(JournalPath().c_str());
  ASSERT_EQ(::symlink("/dev/null", JournalPath().c_str()), 0);
  Row("c.txt", true, "gamma");
  TrashTicked();
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(UndoOffered());
}

}  // namespace
}  // namespace qm
