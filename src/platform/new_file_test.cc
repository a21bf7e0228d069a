// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/new_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/same_file.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"

namespace qm {
namespace {

using testing::Exists;
using testing::ListDir;
using testing::TempDir;
using testing::WriteFile;

int OpenFolder(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// What a copy of the program ended mid-write leaves: a named temporary,
// written in part, whose maker is gone.
std::string LeaveTemporary(const std::string& folder) {
  int pipe_fds[2];
  EXPECT_EQ(::pipe(pipe_fds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ScopedFd dir(OpenFolder(folder));
    NewFile file;
    if (file.CreateNamed(dir.get(), 0600) != 0) ::_exit(1);
    const std::string& name = file.temporary_name();
    if (::write(file.fd(), "half", 4) != 4 || ::write(pipe_fds[1], name.data(), name.size()) < 0) {
      ::_exit(1);
    }
    ::_exit(0);  // as a kill would: no destructor runs
  }
  ::close(pipe_fds[1]);
  char name[64] = {};
  EXPECT_GT(::read(pipe_fds[0], name, sizeof name - 1), 0);
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return name;
}

TEST(NewFileTest, OnlyLeftoversOfOursThatNobodyHoldsAreRemoved) {
  TempDir dir;
  const std::string left = LeaveTemporary(dir.path());
  ASSERT_TRUE(IsTemporaryName(left.c_str())) << left;
  ASSERT_TRUE(Exists(dir.Sub(left)));

  // A copy still at work holds its file.
  ScopedFd folder(OpenFolder(dir.path()));
  NewFile live;
  ASSERT_EQ(live.CreateNamed(folder.get(), 0600), 0);
  // Names that merely look like ours, and things of our names that are no
  // files of ours: none is touched, and a FIFO never blocks.
  const std::string look_alike = ".qm-0123456789abcdef-00000000.tmp";
  ASSERT_FALSE(IsTemporaryName(look_alike.c_str()));
  std::string tampered = TemporaryName(42);
  tampered[5] = tampered[5] == '0' ? '1' : '0';
  for (const std::string& name : {look_alike, tampered, std::string(".qm-1234abcd.tmp"),
                                  TemporaryName(7) + ".txt", std::string("qm-x.tmp")}) {
    WriteFile(dir.Sub(name), "a user's file");
  }
  const std::string fifo = TemporaryName(1), folder_name = TemporaryName(2);
  ASSERT_EQ(::mkfifo(dir.Sub(fifo).c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(dir.Sub(folder_name).c_str(), 0700), 0);

  EXPECT_EQ(RemoveLeftoverTemporaries(folder.get()), 1);
  EXPECT_FALSE(Exists(dir.Sub(left)));
  EXPECT_TRUE(Exists(dir.Sub(live.temporary_name())));
  EXPECT_EQ(ListDir(dir.path()).size(), 8u);

  // Once placed, the live one is an ordinary file of the user's name.
  ASSERT_EQ(live.Place("done.txt"), 0);
  EXPECT_EQ(RemoveLeftoverTemporaries(folder.get()), 0);
  EXPECT_TRUE(Exists(dir.Sub("done.txt")));
}

TEST(NewFileTest, WithoutUnnamedFilesAFailedCopyLeavesNothing) {
  TempDir dir;
  testing::FaultyFs fs;
  fs.RefuseUnnamedFiles();
  ScopedFs use(&fs);
  ScopedFd folder(OpenFolder(dir.path()));
  {
    NewFile file;
    ASSERT_EQ(file.Create(folder.get(), 0600), 0);
    EXPECT_TRUE(IsTemporaryName(file.temporary_name().c_str()));
  }
  EXPECT_TRUE(ListDir(dir.path()).empty());
  // Replacing a file: one rename, whatever kind of temporary it was.
  WriteFile(dir.Sub("a.txt"), "old");
  NewFile file;
  ASSERT_EQ(file.Create(folder.get(), 0600), 0);
  ASSERT_EQ(::write(file.fd(), "new", 3), 3);
  EXPECT_EQ(file.PlaceOver("a.txt"), 0);
  EXPECT_EQ(testing::ReadFile(dir.Sub("a.txt")), "new");
  EXPECT_EQ(ListDir(dir.path()), std::vector<std::string>({"a.txt"}));
}

// Where no name of an open file can be removed (SMB), a failed copy and a
// leftover go all the same: each once it is closed.
TEST(NewFileTest, WhereOpenFilesCannotLoseANameNothingIsLeftBehind) {
  TempDir dir;
  const std::string left = LeaveTemporary(dir.path());
  testing::FaultyFs fs;
  fs.RefuseUnnamedFiles();
  fs.RefuseNoReplaceRenames();
  fs.RefuseLinks();
  fs.BusyWhileOpen();
  ScopedFs use(&fs);
  ScopedFd folder(OpenFolder(dir.path()));
  EXPECT_EQ(RemoveLeftoverTemporaries(folder.get()), 1);
  EXPECT_TRUE(ListDir(dir.path()).empty());
  {
    NewFile file;
    ASSERT_EQ(file.Create(folder.get(), 0600), 0);
    ASSERT_EQ(::write(file.fd(), "copy", 4), 4);
    EXPECT_EQ(file.Place("a.txt"), kNoSafeRename);
  }
  EXPECT_TRUE(ListDir(dir.path()).empty());
}

TEST(SameFileTest, AFolderSeenThroughAnotherMountIsKnownForItself) {
  TempDir dir;
  testing::MakeDirs(dir.Sub("folder"));
  testing::MakeDirs(dir.Sub("other"));
  ScopedFd folder(OpenFolder(dir.Sub("folder")));
  ScopedFd other(OpenFolder(dir.Sub("other")));
  EXPECT_EQ(SameFolderSeenTwice(folder.get(), other.get()), 0);
  EXPECT_EQ(SameFolderSeenTwice(folder.get(), folder.get()), 1);
  EXPECT_TRUE(ListDir(dir.Sub("other")).empty());  // the probe went again

  // A FUSE view of the folder has a device of its own.
  testing::MakeDirs(dir.Sub("view"));
  const std::string command =
      "bindfs --no-allow-other '" + dir.Sub("folder") + "' '" + dir.Sub("view") + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no FUSE mount can be made here";
  {
    ScopedFd view(OpenFolder(dir.Sub("view")));
    struct stat a, b;
    ASSERT_EQ(::fstat(folder.get(), &a), 0);
    ASSERT_EQ(::fstat(view.get(), &b), 0);
    EXPECT_NE(a.st_dev, b.st_dev);
    EXPECT_EQ(SameFolderSeenTwice(folder.get(), view.get()), 1);
    EXPECT_EQ(SameFolderSeenTwice(other.get(), view.get()), 0);
    // One file through both: the same to MayBeSameFile; a copy is not.
    WriteFile(dir.Sub("folder/f"), "text");
    WriteFile(dir.Sub("other/f"), "text");
    struct stat f, through, copy;
    ASSERT_EQ(::lstat(dir.Sub("folder/f").c_str(), &f), 0);
    ASSERT_EQ(::lstat(dir.Sub("view/f").c_str(), &through), 0);
    ASSERT_EQ(::lstat(dir.Sub("other/f").c_str(), &copy), 0);
    EXPECT_TRUE(MayBeSameFile(f, through));
    EXPECT_FALSE(MayBeSameFile(f, copy));
  }
  ::umount2(dir.Sub("view").c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace qm
