// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsutil/file_helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/yield.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"

namespace qm {
namespace {

using testing::FaultyFs;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Names in `folder` other than "." and "..".
TEST(PathHelpersTest, ClassicExamplesInWindowsStyle) {
  EXPECT_EQ(ParentPathOf("C:\\a\\b.txt", kWindowsStyle), "C:\\a\\");
  EXPECT_EQ(ParentPathOf("C:\\a\\", kWindowsStyle), "C:\\a\\");
  EXPECT_EQ(ParentPathOf("\\\\server\\share", kWindowsStyle), "\\\\server\\");
  EXPECT_EQ(ParentPathOf("file.txt", kWindowsStyle), "");
  EXPECT_EQ(ParentPathOf("", kWindowsStyle), "");
  EXPECT_EQ(ParentPathOf("C:\\", kWindowsStyle), "C:\\");

  EXPECT_EQ(NormalizeBackslashes("C:\\\\a\\\\\\\\b", kWindowsStyle), "C:\\a\\\\b");
  EXPECT_EQ(NormalizeBackslashes("", kWindowsStyle), "");
  EXPECT_EQ(NormalizeBackslashes("\\\\\\\\srv\\x", kWindowsStyle), "\\\\srv\\x");
  EXPECT_EQ(NormalizeBackslashes("\\", kWindowsStyle), "\\\\");
  EXPECT_EQ(NormalizeBackslashes("\\\\server\\\\share", kWindowsStyle), "\\\\server\\share");
  EXPECT_EQ(NormalizeBackslashes("\\x", kWindowsStyle), "\\\\x");
  EXPECT_EQ(NormalizeBackslashes("\\\\\\x", kWindowsStyle), "\\\\x");
  EXPECT_EQ(NormalizeBackslashes("a\\\\\\b", kWindowsStyle), "a\\\\b");  // 3 -> 2
}

TEST(PathHelpersTest, PosixStyleKeepsBackslashesAndOneLeadingSlash) {
  EXPECT_EQ(NormalizeBackslashes("//x"), "/x");
  EXPECT_EQ(NormalizeBackslashes("////"), "/");
  EXPECT_EQ(NormalizeBackslashes("/a//b\\\\c"), "/a/b\\\\c");
  EXPECT_EQ(ParentPathOf("/a\\b/c\\d"), "/a\\b/");
  EXPECT_EQ(ParentPathOf("/"), "/");
  // A long path is an ordinary path: no overflow past 32767 characters.
  std::string long_path = "/" + std::string(40000, 'a') + "/name";
  EXPECT_EQ(ParentPathOf(long_path), long_path.substr(0, 40002));
}

TEST(FileTestsTest, FolderAndFileAnswers) {
  TempDir dir;
  WriteFile(dir.Sub("f.txt"));
  WriteFile(dir.Sub(".hidden"));
  WriteFile(dir.Sub("ro"));
  ::chmod(dir.Sub("ro").c_str(), 0444);
  ::mkdir(dir.Sub("sub").c_str(), 0755);
  ::symlink("f.txt", dir.Sub("to-file").c_str());
  ::symlink("sub", dir.Sub("to-sub").c_str());
  ::symlink("missing", dir.Sub("broken").c_str());
  ASSERT_EQ(::mkfifo(dir.Sub("fifo").c_str(), 0644), 0);
  WriteFile(dir.Sub("bad\xff\xfe"));

  EXPECT_TRUE(IsFolderPath(dir.path()));
  EXPECT_TRUE(IsFolderPath(dir.Sub("sub/")));
  EXPECT_TRUE(IsFolderPath(dir.Sub("to-sub")));
  EXPECT_FALSE(IsFolderPath(dir.Sub("f.txt")));
  EXPECT_FALSE(IsFolderPath(""));
  EXPECT_FALSE(IsFolderPath(dir.Sub("missing")));

  EXPECT_TRUE(PathIsFile(dir.Sub("f.txt")));
  EXPECT_TRUE(PathIsFile(dir.Sub(".hidden")));
  EXPECT_TRUE(PathIsFile(dir.Sub("ro")));
  EXPECT_TRUE(PathIsFile(dir.Sub("to-file")));
  EXPECT_FALSE(PathIsFile(dir.Sub("sub")));
  EXPECT_FALSE(PathIsFile(dir.Sub("broken")));
  EXPECT_FALSE(PathIsFile(dir.Sub("missing")));
  EXPECT_FALSE(PathIsFile(dir.Sub("f.txt/")));
  EXPECT_FALSE(PathIsFile(""));
  EXPECT_FALSE(PathIsFile(dir.Sub("bad\xff\xfe")));  // no text form
  FaultyFs fs;
  ScopedFs use(&fs);
  EXPECT_FALSE(PathIsFile(dir.Sub("fifo")));  // returns: nothing opened it
  EXPECT_TRUE(fs.opened().empty());
}

TEST(DeleteFileForcedTest, RemovesReadOnlyAndIgnoresMissing) {
  TempDir dir;
  WriteFile(dir.Sub("ro"));
  ::chmod(dir.Sub("ro").c_str(), 0444);
  std::uint64_t yields = YieldCount();
  DeleteFileForced(dir.Sub("ro"));
  EXPECT_FALSE(testing::Exists(dir.Sub("ro")));
  EXPECT_EQ(YieldCount(), yields + 1);
  DeleteFileForced(dir.Sub("ro"));  // quietly nothing
  DeleteFileForced("");
}

TEST(DeleteFileForcedTest, ForcedDeleteRunsWhenThePlainOneIsRefused) {
  TempDir dir;
  WriteFile(dir.Sub("busy"));
  FaultyFs fs;
  ScopedFs use(&fs);
  fs.FailUnlinks(1, EBUSY);
  DeleteFileForced(dir.Sub("busy"));
  EXPECT_FALSE(testing::Exists(dir.Sub("busy")));
  EXPECT_EQ(fs.unlinks(), 2);

  WriteFile(dir.Sub("stuck"));
  fs.FailUnlinks(2, EBUSY);
  DeleteFileForced(dir.Sub("stuck"));  // both refused: no throw, file stays
  EXPECT_TRUE(testing::Exists(dir.Sub("stuck")));
}

TEST(CopyFileCheckedTest, CopiesContentModeAndTimesOverAnExistingFile) {
  TempDir dir;
  WriteFile(dir.Sub("src"), "new contents");
  ::chmod(dir.Sub("src").c_str(), 0640);
  testing::SetTimes(dir.Sub("src"), 1000000000, 1100000000);
  WriteFile(dir.Sub("out/dst"), "old");
  EXPECT_TRUE(CopyFileChecked(dir.Sub("src"), dir.Sub("out//dst")));
  struct stat st;  // before reading it back, which would touch the access time
  ASSERT_EQ(::stat(dir.Sub("out/dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_mtime, 1000000000);
  EXPECT_EQ(st.st_atime, 1100000000);
  EXPECT_EQ(ReadFile(dir.Sub("out/dst")), "new contents");
  EXPECT_EQ(testing::ListDir(dir.Sub("out")),
            std::vector<std::string>{"dst"});  // no temporary left
}

TEST(CopyFileCheckedTest, RefusesBlankMissingWildcardAndSpecialSources) {
  TempDir dir;
  WriteFile(dir.Sub("a.txt"), "a");
  ASSERT_EQ(::mkfifo(dir.Sub("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(CopyFileChecked(dir.Sub("a.txt"), "   "));
  EXPECT_FALSE(CopyFileChecked("", dir.Sub("b")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("a.txt"), dir.Sub("nofolder/b")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("*.txt"), dir.Sub("b")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("a?txt"), dir.Sub("b")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("a.txt"), dir.path()));  // onto a folder
  FaultyFs fs;
  ScopedFs use(&fs);
  EXPECT_FALSE(CopyFileChecked(dir.Sub("fifo"), dir.Sub("b")));
  EXPECT_FALSE(CopyFileOverwrite(dir.Sub("fifo"), dir.Sub("b")));
  EXPECT_TRUE(fs.opened().empty());
  EXPECT_FALSE(testing::Exists(dir.Sub("b")));
}

TEST(CopyFileCheckedTest, CopyOntoItselfCopiesNothing) {
  TempDir dir;
  WriteFile(dir.Sub("sub/f"), "keep me");
  ::symlink(dir.Sub("sub").c_str(), dir.Sub("alias").c_str());
  ::link(dir.Sub("sub/f").c_str(), dir.Sub("hard").c_str());
  EXPECT_FALSE(CopyFileChecked(dir.Sub("sub/f"), dir.Sub("sub/f")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("sub/f"), dir.Sub("alias/f")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("sub/f"), dir.Sub("sub/../sub/f")));
  EXPECT_FALSE(CopyFileChecked(dir.Sub("hard"), dir.Sub("sub/f")));
  EXPECT_EQ(ReadFile(dir.Sub("sub/f")), "keep me");
  EXPECT_EQ(testing::ListDir(dir.Sub("sub")), std::vector<std::string>{"f"});
}

TEST(CopyFileCheckedTest, FailureMidCopyKeepsTheOldTargetAndLeavesNoTemporary) {
  TempDir dir;
  WriteFile(dir.Sub("big"), std::string(1 << 20, 'b'));
  WriteFile(dir.Sub("out/dst"), "old");
  FaultyFs fs;
  ScopedFs use(&fs);
  fs.FailWritesAfter(300000, ENOSPC);
  EXPECT_FALSE(CopyFileChecked(dir.Sub("big"), dir.Sub("out/dst")));
  EXPECT_EQ(ReadFile(dir.Sub("out/dst")), "old");
  EXPECT_EQ(testing::ListDir(dir.Sub("out")), std::vector<std::string>{"dst"});

  fs.FailWritesAfter(-1, 0);
  fs.FailReadsAfter(500000, EIO);
  EXPECT_FALSE(CopyFileChecked(dir.Sub("big"), dir.Sub("out/new")));
  EXPECT_EQ(testing::ListDir(dir.Sub("out")), std::vector<std::string>{"dst"});
}

}  // namespace
}  // namespace qm
