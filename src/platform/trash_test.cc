// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/trash.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/yield.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ListDir;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteFile;

// The decoded Path= of an info file, or "" when the file is not well formed.
std::string InfoPath(const std::string& info_file) {
  std::string text = ReadFile(info_file);
  std::smatch m;
  static const std::regex kInfo(
      "^\\[Trash "
      "Info\\]\nPath=([^\n]*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$");
  if (!std::regex_match(text, m, kInfo)) return "";
  return DecodeTrashPath(m[1]);
}

// Finds the entry of files/ whose info names `original`.
std::string EntryFor(const std::string& trash, const std::string& original) {
  for (const std::string& info : ListDir(trash + "/info")) {
    if (InfoPath(trash + "/info/" + info) == original) {
      return trash + "/files/" + info.substr(0, info.size() - std::string(".trashinfo").size());
    }
  }
  return "";
}

int Mode(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class Recorder : public TrashProgress {
 public:
  explicit Recorder(int cancel_at = -1) : cancel_at_(cancel_at) {}
  void Begin(int total) override { log += "B" + std::to_string(total); }
  bool Step(int done, const std::string& path) override {
    log += " S" + std::to_string(done);
    if (before_step) before_step(done, path);
    return done != cancel_at_;
  }
  void End() override { log += " E"; }
  std::string log;
  std::function<void(int, const std::string&)> before_step;

 private:
  int cancel_at_;
};

class TrashTest : public ::testing::Test {
 protected:
  TrashTest() : data_env_("XDG_DATA_HOME", home_.Sub("data/share")) {}
  ~TrashTest() override { SetTrashFaultHook(nullptr); }
  std::string Trash() const { return home_.Sub("data/share/Trash"); }

  TempDir home_;
  TempDir files_;
  ScopedEnv data_env_;
};

TEST_F(TrashTest, OddNamesGoToAMissingHomeTrashWithTheirOriginalPaths) {
  const std::vector<std::string> names = {
      "with space.txt", "back\\slash.txt", "50%.txt", "new\nline.txt", "~tilde.txt",
      "Привет мир.txt", "\xff\xfe.bin", "#hash&amp;?=+.txt",
      // The longest name a file can have: its info file name would not fit.
      std::string(251, 'n') + ".txt"};
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    paths.push_back(files_.Sub("sub dir/" + name));
    WriteFile(paths.back(), "content of " + name);
  }
  ASSERT_FALSE(Exists(home_.Sub("data")));

  TrashOutcome out = MoveToTrash(paths, nullptr);

  EXPECT_EQ(out.code, 0);
  EXPECT_FALSE(out.aborted);
  EXPECT_EQ(out.trashed, paths);
  EXPECT_TRUE(out.not_trashed.empty());
  EXPECT_EQ(Mode(Trash()), 0700);
  EXPECT_EQ(Mode(Trash() + "/files"), 0700);
  EXPECT_EQ(Mode(Trash() + "/info"), 0700);
  EXPECT_EQ(ListDir(Trash() + "/files").size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_FALSE(Exists(paths[i]));
    std::string entry = EntryFor(Trash(), paths[i]);
    ASSERT_FALSE(entry.empty());
    EXPECT_EQ(ReadFile(entry), "content of " + names[i]);
  }
}

TEST_F(TrashTest, HomeTrashFollowsXdgDataHomeElseHome) {
  EXPECT_EQ(HomeTrashDir(), Trash());
  ScopedEnv home("HOME", home_.Sub("h"));
  {
    ScopedEnv relative("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(HomeTrashDir(), home_.Sub("h/.local/share/Trash"));
  }
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(HomeTrashDir(), home_.Sub("h/.local/share/Trash"));
  // ~/.local/share does not exist yet: it is made, not the current folder.
  WriteFile(files_.Sub("a.txt"), "A");
  TrashOutcome out = MoveToTrash({files_.Sub("a.txt")}, nullptr);
  EXPECT_EQ(out.code, 0);
  EXPECT_EQ(ReadFile(EntryFor(home_.Sub("h/.local/share/Trash"), files_.Sub("a.txt"))), "A");
}

TEST_F(TrashTest, CollidingNamesGetNumberedAndNothingIsReplaced) {
  WriteFile(files_.Sub("one/report.txt"), "1");
  WriteFile(files_.Sub("two/report.txt"), "2");
  WriteFile(files_.Sub("one/.profile"), "p1");
  WriteFile(files_.Sub("two/.profile"), "p2");
  // A stray entry left without an info file by some other program.
  WriteFile(Trash() + "/files/notes", "stray");
  WriteFile(files_.Sub("notes"), "mine");

  TrashOutcome out =
      MoveToTrash({files_.Sub("one/report.txt"), files_.Sub("two/report.txt"),
                   files_.Sub("one/.profile"), files_.Sub("two/.profile"), files_.Sub("notes")},
                  nullptr);
  ASSERT_EQ(out.code, 0);
  WriteFile(files_.Sub("three/report.txt"), "3");
  ASSERT_EQ(MoveToTrash({files_.Sub("three/report.txt")}, nullptr).code, 0);

  EXPECT_EQ(ListDir(Trash() + "/files"),
            (std::vector<std::string>{".profile", ".profile.2", "notes", "notes.2", "report.2.txt",
                                      "report.3.txt", "report.txt"}));
  EXPECT_EQ(ReadFile(Trash() + "/files/notes"), "stray");
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("notes"))), "mine");
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("one/report.txt"))), "1");
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("two/report.txt"))), "2");
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("three/report.txt"))), "3");
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("two/.profile"))), "p2");
}

TEST_F(TrashTest, CancelPartWayKeepsTheRestAndReportsIt) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back(files_.Sub("f" + std::to_string(i)));
    WriteFile(paths.back());
  }
  Recorder progress(/*cancel_at=*/2);
  auto yields = YieldCount();

  TrashOutcome out = MoveToTrash(paths, &progress);

  EXPECT_EQ(progress.log, "B5 S0 S1 S2 E");
  EXPECT_TRUE(out.aborted);
  EXPECT_EQ(out.code, kTrashCancelled);
  EXPECT_EQ(out.trashed, (std::vector<std::string>{paths[0], paths[1]}));
  EXPECT_EQ(out.not_trashed, (std::vector<std::string>{paths[2], paths[3], paths[4]}));
  EXPECT_EQ(out.reasons, (std::vector<std::string>(3, "cancelled")));
  EXPECT_GE(YieldCount() - yields, 2u);
  EXPECT_FALSE(Exists(paths[1]));
  EXPECT_TRUE(Exists(paths[2]) && Exists(paths[4]));
  EXPECT_EQ(ListDir(Trash() + "/info").size(), 2u);
}

TEST_F(TrashTest, RefusedVanishedAndUnfitPathsStayWithAReason) {
  const std::string refused = files_.Sub("refused.txt");
  const std::string vanishing = files_.Sub("vanishing.txt");
  const std::string fine = files_.Sub("fine.txt");
  WriteFile(refused, "keep me");
  WriteFile(vanishing);
  WriteFile(fine);
  SetTrashFaultHook([&](const std::string& path) { return path == refused ? EACCES : 0; });
  Recorder progress;
  progress.before_step = [&](int, const std::string& path) {
    if (path == vanishing) ::unlink(vanishing.c_str());
  };

  TrashOutcome out = MoveToTrash({refused, vanishing, "", "/", files_.Sub("."), fine}, &progress);

  EXPECT_EQ(out.code, kErrPermissionDenied);  // the first refusal
  EXPECT_FALSE(out.aborted);
  EXPECT_EQ(out.trashed, (std::vector<std::string>{fine}));
  ASSERT_EQ(out.not_trashed.size(), 5u);
  EXPECT_EQ(out.reasons[0], "permission denied");
  EXPECT_EQ(out.reasons[1], "file not found");
  EXPECT_EQ(out.reasons[2], "it has no name");
  EXPECT_FALSE(out.reasons[3].empty());
  EXPECT_FALSE(out.reasons[4].empty());
  EXPECT_EQ(ReadFile(refused), "keep me");
  EXPECT_TRUE(Exists(files_.path()));
  // The refused file's reserved info file is gone again.
  EXPECT_EQ(ListDir(Trash() + "/info"), (std::vector<std::string>{"fine.txt.trashinfo"}));
}

TEST_F(TrashTest, AnInfoFileAppearsOnlyWhenComplete) {
  // During every write of an info file, no info file of that name is there
  // yet, so a kill can leave no empty or partial one; a write that fails
  // leaves none at all.
  WriteFile(files_.Sub("a.txt"), "A");
  WriteFile(files_.Sub("b.txt"), "B");
  ASSERT_EQ(MoveToTrash({files_.Sub("a.txt")}, nullptr).code, 0);  // the trash exists
  testing::FaultyFs faulty;
  std::vector<std::string> seen;
  faulty.before_write = [&] {
    for (const std::string& name : ListDir(Trash() + "/info")) {
      if (name != "a.txt.trashinfo") seen.push_back(name);
    }
  };
  ScopedFs use(&faulty);
  TrashOutcome out = MoveToTrash({files_.Sub("b.txt")}, nullptr);
  EXPECT_EQ(out.code, 0);
  EXPECT_TRUE(seen.empty()) << seen[0];
  EXPECT_EQ(InfoPath(Trash() + "/info/b.txt.trashinfo"), files_.Sub("b.txt"));

  WriteFile(files_.Sub("c.txt"), "C");
  faulty.before_write = nullptr;
  faulty.FailWritesAfter(10, ENOSPC);
  out = MoveToTrash({files_.Sub("c.txt")}, nullptr);
  ASSERT_EQ(out.reasons.size(), 1u);
  EXPECT_EQ(out.reasons[0], "no space left");
  EXPECT_EQ(ListDir(Trash() + "/info"),
            (std::vector<std::string>{"a.txt.trashinfo", "b.txt.trashinfo"}));
  EXPECT_EQ(ReadFile(files_.Sub("c.txt")), "C");
}

TEST_F(TrashTest, AnInfoFileLeftByAnInterruptedTrashIsTakenOverByTheNextOne) {
  // Ended between its info file and its rename, a trash leaves a complete
  // info file and the file in its folder.  Trashing the file again takes
  // that name; an info file of another path is never taken.
  WriteFile(files_.Sub("a.txt"), "A");
  WriteFile(files_.Sub("other/a.txt"), "other");
  ASSERT_EQ(MoveToTrash({files_.Sub("other/a.txt")}, nullptr).code, 0);
  ::unlink((Trash() + "/files/a.txt").c_str());  // its info file stays behind
  WriteFile(Trash() + "/info/a.2.txt",           // not an info file's name: ignored
            "x");
  const std::string left = "[Trash Info]\nPath=" + EncodeTrashPath(files_.Sub("a.txt")) +
                           "\nDeletionDate=2024-01-01T00:00:00\n";
  WriteFile(Trash() + "/info/a.2.txt.trashinfo", left);
  TrashOutcome out = MoveToTrash({files_.Sub("a.txt")}, nullptr);
  ASSERT_EQ(out.code, 0);
  EXPECT_EQ(ReadFile(Trash() + "/files/a.2.txt"), "A");
  EXPECT_EQ(InfoPath(Trash() + "/info/a.2.txt.trashinfo"), files_.Sub("a.txt"));
  EXPECT_EQ(InfoPath(Trash() + "/info/a.txt.trashinfo"), files_.Sub("other/a.txt"));
  EXPECT_EQ(ListDir(Trash() + "/files"), (std::vector<std::string>{"a.2.txt"}));
}

TEST_F(TrashTest, ATrashEndedBetweenALinkAndAnUnlinkIsFinished) {
  // Where renames cannot refuse to replace, a file goes to the trash as a
  // second name and then loses its first; ended in between, it has both.
  WriteFile(files_.Sub("a.txt"), "A");
  WriteFile(files_.Sub("b.txt"), "B");
  ASSERT_EQ(MoveToTrash({files_.Sub("b.txt")}, nullptr).code, 0);
  WriteFile(Trash() + "/info/a.txt.trashinfo",
            "[Trash Info]\nPath=" + EncodeTrashPath(files_.Sub("a.txt")) +
                "\nDeletionDate=2024-01-01T00:00:00\n");
  ASSERT_EQ(::link(files_.Sub("a.txt").c_str(), (Trash() + "/files/a.txt").c_str()), 0);
  ASSERT_EQ(MoveToTrash({files_.Sub("a.txt")}, nullptr).code, 0);
  EXPECT_FALSE(testing::Exists(files_.Sub("a.txt")));
  EXPECT_EQ(ReadFile(Trash() + "/files/a.txt"), "A");
  EXPECT_EQ(ListDir(Trash() + "/files"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(ListDir(Trash() + "/info"),
            (std::vector<std::string>{"a.txt.trashinfo", "b.txt.trashinfo"}));
}

// sshfs gives each name an inode number of its own: a file with its second
// name in the trash shows two numbers.  A trash ended between the link and
// the unlink, then run again, still makes one entry.
TEST_F(TrashTest, WhereInodeNumbersGoByNameAnInterruptedTrashStillMakesOneEntry) {
  const std::string a = files_.Sub("a.txt");
  WriteFile(a, std::string(70000, 'a'));
  WriteFile(files_.Sub("b.txt"), std::string(70000, 'a'));  // the same bytes, another file
  auto sshfs_like = [](testing::FaultyFs* fs) {
    fs->RefuseUnnamedFiles();
    fs->RefuseNoReplaceRenames();
    fs->InodesPerName();
  };
  const pid_t pid = ::fork();
  if (pid == 0) {
    testing::FaultyFs fs;
    sshfs_like(&fs);
    // Killed the moment the file has its second name, in the trash.
    fs.after_link = [](const char* name) {
      const std::string n = name;
      if (n.size() < 10 || n.compare(n.size() - 10, 10, ".trashinfo") != 0) ::_exit(9);
    };
    ScopedFs use(&fs);
    MoveToTrash(std::vector<std::string>{a}, nullptr);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9) << status;
  ASSERT_TRUE(Exists(a));
  ASSERT_EQ(ListDir(Trash() + "/files"), (std::vector<std::string>{"a.txt"}));

  // Run again, as after a new start: every name numbered afresh.
  testing::FaultyFs fs;
  sshfs_like(&fs);
  ScopedFs use(&fs);
  TrashOutcome out = MoveToTrash(std::vector<std::string>{a}, nullptr);
  EXPECT_EQ(out.code, 0);
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ListDir(Trash() + "/files"), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(ListDir(Trash() + "/info"), (std::vector<std::string>{"a.txt.trashinfo"}));
  EXPECT_EQ(InfoPath(Trash() + "/info/a.txt.trashinfo"), a);
  // Another file of the same bytes is not taken for one already there.
  out = MoveToTrash(std::vector<std::string>{files_.Sub("b.txt")}, nullptr);
  EXPECT_EQ(out.code, 0);
  EXPECT_EQ(ListDir(Trash() + "/files"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(ListDir(Trash() + "/info"),
            (std::vector<std::string>{"a.txt.trashinfo", "b.txt.trashinfo"}));
}

TEST_F(TrashTest, AnInfoFileNeverStaysBesideAnEntryThatIsNotOurs) {
  // A name taken over from an interrupted trash gets its entry from another
  // client meanwhile; the next name is held by a stray entry without an
  // info file.  Only the name the file really went to keeps an info file.
  WriteFile(files_.Sub("a.txt"), "A");
  WriteFile(Trash() + "/info/a.txt.trashinfo",
            "[Trash Info]\nPath=" + EncodeTrashPath(files_.Sub("a.txt")) +
                "\nDeletionDate=2024-01-01T00:00:00\n");
  WriteFile(Trash() + "/files/a.2.txt", "stray");
  int renames = 0;
  SetTrashFaultHook([&](const std::string&) {
    if (++renames == 1) WriteFile(Trash() + "/files/a.txt", "theirs");
    return 0;
  });
  TrashOutcome out = MoveToTrash({files_.Sub("a.txt")}, nullptr);
  ASSERT_EQ(out.code, 0);
  EXPECT_EQ(ReadFile(Trash() + "/files/a.3.txt"), "A");
  EXPECT_EQ(ReadFile(Trash() + "/files/a.2.txt"), "stray");
  EXPECT_EQ(ReadFile(Trash() + "/files/a.txt"), "theirs");
  EXPECT_EQ(InfoPath(Trash() + "/info/a.3.txt.trashinfo"), files_.Sub("a.txt"));
  EXPECT_EQ(ListDir(Trash() + "/info"),
            (std::vector<std::string>{"a.3.txt.trashinfo", "a.txt.trashinfo"}));
}

TEST_F(TrashTest, UnusableHomeTrashRefusesFilesOfThatDisk) {
  WriteFile(home_.Sub("blocker"), "a file where a folder should be");
  ScopedEnv data("XDG_DATA_HOME", home_.Sub("blocker/share"));
  WriteFile(files_.Sub("a.txt"), "A");
  TrashOutcome out = MoveToTrash({files_.Sub("a.txt")}, nullptr);
  EXPECT_NE(out.code, 0);
  ASSERT_EQ(out.reasons.size(), 1u);
  EXPECT_NE(out.reasons[0].find("trash"), std::string::npos) << out.reasons[0];
  EXPECT_EQ(ReadFile(files_.Sub("a.txt")), "A");
}

TEST_F(TrashTest, LinksAndFoldersGoWhole) {
  WriteFile(files_.Sub("target.txt"), "target");
  ASSERT_EQ(::symlink(files_.Sub("target.txt").c_str(), files_.Sub("link").c_str()), 0);
  WriteFile(files_.Sub("folder/inner/deep.txt"), "deep");
  TrashOutcome out = MoveToTrash({files_.Sub("link"), files_.Sub("folder/")}, nullptr);
  ASSERT_EQ(out.code, 0);
  EXPECT_EQ(ReadFile(files_.Sub("target.txt")), "target");
  EXPECT_FALSE(Exists(files_.Sub("link")));
  EXPECT_FALSE(Exists(files_.Sub("folder")));
  EXPECT_EQ(ReadFile(EntryFor(Trash(), files_.Sub("folder")) + "/inner/deep.txt"), "deep");
  // Trashing what is already in the trash, or a folder holding the trash,
  // is refused.
  out = MoveToTrash({Trash() + "/files/folder", home_.Sub("data")}, nullptr);
  EXPECT_EQ(out.not_trashed.size(), 2u);
  EXPECT_TRUE(Exists(Trash() + "/files/folder"));
}

TEST_F(TrashTest, MountTopTrashIsTheStickySharedFolderOrTheUsersOwn) {
  const std::string uid = std::to_string(::getuid());
  std::string why;
  // A shared .Trash with the sticky bit: the user's folder inside it.
  testing::MakeDirs(home_.Sub("sticky/.Trash"));
  ::chmod(home_.Sub("sticky/.Trash").c_str(), 01777);
  EXPECT_EQ(TopDirTrash(home_.Sub("sticky"), &why), home_.Sub("sticky/.Trash/" + uid));
  EXPECT_EQ(Mode(home_.Sub("sticky/.Trash/" + uid + "/info")), 0700);
  // Without the sticky bit, or as a link to a good one: not trusted.
  testing::MakeDirs(home_.Sub("plain/.Trash"));
  ::chmod(home_.Sub("plain/.Trash").c_str(), 0777);
  EXPECT_EQ(TopDirTrash(home_.Sub("plain"), &why), home_.Sub("plain/.Trash-" + uid));
  EXPECT_EQ(Mode(home_.Sub("plain/.Trash-" + uid)), 0700);
  testing::MakeDirs(home_.Sub("linked"));
  ASSERT_EQ(::symlink(home_.Sub("sticky/.Trash").c_str(), home_.Sub("linked/.Trash").c_str()), 0);
  EXPECT_EQ(TopDirTrash(home_.Sub("linked"), &why), home_.Sub("linked/.Trash-" + uid));
  // A file in the way of the user's own folder: no trash there.
  WriteFile(home_.Sub("blocked/.Trash-" + uid), "x");
  EXPECT_EQ(TopDirTrash(home_.Sub("blocked"), &why), "");
  EXPECT_FALSE(why.empty());
}

TEST_F(TrashTest, FileOnAnotherMountGoesToThatMountsTrash) {
  // /dev/shm is a separate memory file system on most machines.
  struct stat shm, tmp;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(files_.path().c_str(), &tmp) != 0 ||
      shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no writable second file system at /dev/shm";
  }
  char pattern[] = "/dev/shm/qmtrash.XXXXXX";
  ASSERT_TRUE(::mkdtemp(pattern));
  const std::string dir = pattern;
  const std::string path = dir + "/far away.txt";
  WriteFile(path, "far");
  const std::string trash = "/dev/shm/.Trash-" + std::to_string(::getuid());
  const bool trash_existed = Exists(trash);

  TrashOutcome out = MoveToTrash({path}, nullptr);

  EXPECT_EQ(out.code, 0) << (out.reasons.empty() ? "" : out.reasons[0]);
  EXPECT_FALSE(Exists(path));
  std::string info;
  for (const std::string& name : ListDir(trash + "/info")) {
    if (InfoPath(trash + "/info/" + name) ==
        dir.substr(std::string("/dev/shm/").size()) + "/far away.txt") {
      info = name;
    }
  }
  ASSERT_FALSE(info.empty()) << "Path is relative to the mount's top";
  const std::string entry = trash + "/files/" + info.substr(0, info.size() - 10);
  EXPECT_EQ(ReadFile(entry), "far");
  EXPECT_TRUE(ListDir(Trash() + "/files").empty());
  ::unlink(entry.c_str());
  ::unlink((trash + "/info/" + info).c_str());
  ::rmdir(dir.c_str());
  if (!trash_existed) {
    ::rmdir((trash + "/files").c_str());
    ::rmdir((trash + "/info").c_str());
    ::rmdir(trash.c_str());
  }
}

// Runs a shell command with the test's HOME and XDG_DATA_HOME; returns its
// standard output.
std::string RunShell(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  *status = ::pclose(pipe);
  return out;
}

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

TEST_F(TrashTest, TrashCliListsAndRestoresWhatWeTrashed) {
  if (::system(
          "command -v trash-list >/dev/null 2>&1 && command -v trash-restore >/dev/null 2>&1") !=
      0) {
    GTEST_SKIP() << "trash-cli is not installed";
  }
  ScopedEnv home("HOME", home_.path());
  ScopedEnv lang("LC_ALL", "C.UTF-8");
  const std::vector<std::string> names = {"plain.txt",       "with space.txt", "50% off.txt",
                                          "back\\slash.txt", "~draft.txt",     "Ωμέγα файл.txt"};
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    paths.push_back(files_.Sub(name));
    std::string content = "bytes of " + name + std::string("\0\x01\xff", 3);
    WriteFile(paths.back(), content);
  }
  ASSERT_EQ(MoveToTrash(paths, nullptr).code, 0);

  int status = -1;
  std::string listing = RunShell("trash-list 2>&1", &status);
  ASSERT_EQ(status, 0) << listing;
  for (const std::string& path : paths) {
    EXPECT_NE(listing.find(" " + path + "\n"), std::string::npos) << path << " not in:\n"
                                                                  << listing;
  }

  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    std::string said =
        RunShell("echo 0 | trash-restore " + ShellQuote(paths[i]) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_EQ(ReadFile(paths[i]), "bytes of " + names[i] + std::string("\0\x01\xff", 3)) << said;
  }
  EXPECT_TRUE(ListDir(Trash() + "/files").empty());
}

TEST(TrashPathCodingTest, EveryByteSurvivesAndOnlySafeOnesStayPlain) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string encoded = EncodeTrashPath(all);
  EXPECT_EQ(DecodeTrashPath(encoded), all);
  EXPECT_EQ(encoded.find_first_not_of(
                "%0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-._~/"),
            std::string::npos);
  EXPECT_EQ(EncodeTrashPath("/a b/50%\n\xc3\xa9"), "/a%20b/50%25%0A%C3%A9");
  EXPECT_EQ(DecodeTrashPath("100%"), "100%");  // a stray % is kept
}

}  // namespace
}  // namespace qm
