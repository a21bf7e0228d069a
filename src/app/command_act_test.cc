// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's --trash, --move-to, --dry-run and --undo: what they
// print, what they change (and with --dry-run, that they change nothing),
// and that the window's Undo and --undo take back each other's commands.
#include "app/command_act.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "results/journal.h"
#include "testing/test_form.h"
#include "testing/test_printed.h"

namespace qm {
namespace {

using testing::Capture;
using testing::Exists;
using testing::ListDir;
using testing::Printed;
using testing::ReadFile;
using testing::WriteFile;

Printed RunCli(const QStringList& arguments) {
  const CommandLine line = ParseCommandLine(arguments);
  EXPECT_EQ(line.action, CommandLine::Action::kFind) << line.error.toStdString();
  return Capture([&](std::FILE* out, std::FILE* err) { return RunFind(line.find, out, err); });
}

Printed Undo(bool dry_run = false) {
  return Capture([&](std::FILE* out, std::FILE* err) { return RunUndo(dry_run, out, err); });
}

// Every entry below `dir`, each with what it is: its type and size, its
// contents (read without touching its access time), and its modified and
// (for a file) access times to the nanosecond.
void Walk(const std::string& dir, std::map<std::string, std::string>* out) {
  for (const std::string& name : ListDir(dir)) {
    const std::string path = dir + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) continue;
    std::string facts = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                        std::to_string(st.st_mtim.tv_sec) + "." +
                        std::to_string(st.st_mtim.tv_nsec);
    // (A folder's access time is the listing's, the search's own.)
    if (!S_ISDIR(st.st_mode)) {
      facts += " " + std::to_string(st.st_atim.tv_sec) + "." + std::to_string(st.st_atim.tv_nsec);
    }
    if (S_ISDIR(st.st_mode)) {
      Walk(path, out);
    } else if (S_ISREG(st.st_mode)) {
      const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
      char buf[4096];
      const ssize_t n = fd < 0 ? -1 : ::read(fd, buf, sizeof buf);
      if (fd >= 0) ::close(fd);
      facts += " " + (n < 0 ? std::string("?") : std::string(buf, static_cast<std::size_t>(n)));
    }
    (*out)[path] = facts;
  }
}

std::map<std::string, std::string> Everything(const std::string& dir) {
  std::map<std::string, std::string> all;
  Walk(dir, &all);
  return all;
}

class CommandActTest : public testing::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    // Old files the rule finds, and a new one it does not.
    for (const char* name : {"old.txt", "sub/old two.txt", ".old hidden"}) {
      WriteFile(tree_.Sub(std::string("data/") + name), name);
      testing::SetTimes(tree_.Sub(std::string("data/") + name), 1500000000, 1500000000);
    }
    WriteFile(tree_.Sub("data/new.txt"), "new");
    testing::MakeDirs(tree_.Sub("dest"));
  }
  QStringList Find(const QStringList& more) const {
    return QStringList{"--find", "--date", "modified", "--before", "2020-01-01"} + more +
           QStringList{QString::fromStdString(tree_.Sub("data"))};
  }
  std::string Data(const std::string& name) const { return tree_.Sub("data/" + name); }

  testing::TempDir tree_;
};

TEST_F(CommandActTest, ADryRunPrintsWhatWouldGoAndChangesNothing) {
  const auto before = Everything(tree_.path());
  const auto home_before = Everything(home_.path());

  Printed trash = RunCli(Find({"--trash", "--dry-run"}));
  EXPECT_EQ(trash.status, 0) << trash.err;
  EXPECT_NE(trash.out.find(Data("old.txt") + "\n"), std::string::npos) << trash.out;
  EXPECT_NE(trash.out.find(Data("sub/old two.txt") + "\n"), std::string::npos) << trash.out;
  EXPECT_EQ(trash.out.find("new.txt"), std::string::npos) << trash.out;
  EXPECT_EQ(trash.err,
            "quenmoor: dry run: 3 of 3 files would be moved to the trash; nothing was changed\n");

  const std::string dest = tree_.Sub("dest");
  Printed move = RunCli(Find({"--move-to", QString::fromStdString(dest), "--dry-run"}));
  EXPECT_EQ(move.status, 1);  // the hidden file would stay
  EXPECT_NE(
      move.err.find("quenmoor: " + Data(".old hidden") + ": not moved (a hidden or system file)\n"),
      std::string::npos)
      << move.err;
  EXPECT_NE(move.err.find("quenmoor: dry run: 2 of 3 files would be moved to " + dest +
                          "; nothing was changed\n"),
            std::string::npos)
      << move.err;

  Printed undo = Undo(true);
  EXPECT_EQ(undo.status, 0);
  EXPECT_EQ(undo.err, "quenmoor: nothing to undo\n");

  EXPECT_EQ(Everything(tree_.path()), before);
  EXPECT_EQ(Everything(home_.path()), home_before);
}

TEST_F(CommandActTest, TheCommandLinesTrashIsUndoneInTheWindowAndTheWindowsByUndo) {
  Printed trash = RunCli(Find({"--trash", "--format", "tsv"}));
  EXPECT_EQ(trash.status, 0) << trash.err;
  EXPECT_EQ(trash.err, "");
  EXPECT_NE(trash.out.find(Data("old.txt") + "\t2017-07-14T"), std::string::npos) << trash.out;
  EXPECT_FALSE(Exists(Data("old.txt")));
  EXPECT_FALSE(Exists(Data("sub/old two.txt")));
  EXPECT_TRUE(Exists(Data("new.txt")));

  // A window started afterwards offers Undo, and puts the files back.
  auto form = NewForm();
  ASSERT_FALSE(form->PushButton14->isHidden());
  form->PushButton14_Click();
  EXPECT_EQ(ReadFile(Data("old.txt")), "old.txt");
  EXPECT_EQ(ReadFile(Data("sub/old two.txt")), "sub/old two.txt");
  EXPECT_EQ(ReadFile(Data(".old hidden")), ".old hidden");
  EXPECT_EQ(form->ListView2->ItemCount(), 3);
  EXPECT_EQ(form->ListView2->ColumnCount(), Form1::kResultColumns);
  EXPECT_TRUE(ListDir(home_.Sub(".local/share/Trash/files")).empty());

  // The window trashes them again; --undo takes them back.
  form->PushButton3->click();
  EXPECT_FALSE(Exists(Data("old.txt")));
  Printed undo = Undo();
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_NE(undo.out.find(Data("old.txt") + "\n"), std::string::npos) << undo.out;
  EXPECT_EQ(ReadFile(Data("old.txt")), "old.txt");
  EXPECT_TRUE(ListDir(home_.Sub(".local/share/Trash/info")).empty());
  EXPECT_EQ(Undo().err, "quenmoor: nothing to undo\n");
}

TEST_F(CommandActTest, MoveToNamesEveryFileItLeavesAndUndoEveryFileItCannotPutBack) {
  const std::string dest = tree_.Sub("dest");
  WriteFile(dest + "/old.txt", "already there");
  Printed move = RunCli(Find({"--move-to", QString::fromStdString(dest)}));
  EXPECT_EQ(move.status, 1);
  EXPECT_NE(
      move.err.find("quenmoor: " + Data(".old hidden") + ": not moved (a hidden or system file)\n"),
      std::string::npos)
      << move.err;
  EXPECT_NE(move.err.find("quenmoor: " + Data("old.txt") +
                          ": moved as old (2).txt, because the folder already held a file of its "
                          "name\n"),
            std::string::npos)
      << move.err;
  EXPECT_EQ(ReadFile(dest + "/old (2).txt"), "old.txt");
  EXPECT_EQ(ReadFile(dest + "/old two.txt"), "sub/old two.txt");
  EXPECT_EQ(ReadFile(dest + "/old.txt"), "already there");
  EXPECT_TRUE(Exists(Data(".old hidden")));

  WriteFile(Data("old.txt"), "a new old.txt");
  Printed undo = Undo();
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo.out, Data("sub/old two.txt") + "\n");
  EXPECT_EQ(undo.err, "quenmoor: " + Data("old.txt") +
                          ": not put back (its place is taken by another file)\n");
  EXPECT_EQ(ReadFile(Data("old.txt")), "a new old.txt");
  EXPECT_EQ(ReadFile(dest + "/old (2).txt"), "old.txt");

  // Nothing is moved into a folder that is not there, and nothing searched.
  Printed nowhere = RunCli(Find({"--move-to", "nowhere/at all"}));
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_EQ(nowhere.out, "");
  EXPECT_EQ(nowhere.err, "quenmoor: nowhere/at all: no folder to move to (file not found)\n");
  // The journal of the last move is still there for Undo.
  EXPECT_TRUE(JournalPresent());
}

}  // namespace
}  // namespace qm
