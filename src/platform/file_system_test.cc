// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/codepage.h"
#include "platform/failure.h"
#include "platform/folder_object.h"
#include "testing/test_env.h"
#include "testing/test_faulty_fs.h"

namespace qm {
namespace {

using testing::TempDir;
using testing::WriteFile;

std::uint32_t Attr(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return AttributesOf(path, st, nullptr);
}

TEST(CodePageTest, WellFormedUtf8Only) {
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(
      IsValidUtf8("a\xFF"
                  "b"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x80"));      // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(AttributesTest, WindowsLayoutOfLinuxEntries) {
  TempDir dir;
  ::mkdir(dir.Sub("plain").c_str(), 0755);
  ::mkdir(dir.Sub(".dot").c_str(), 0755);
  WriteFile(dir.Sub("file"));
  WriteFile(dir.Sub("ro"));
  ::chmod(dir.Sub("ro").c_str(), 0444);
  ::symlink("plain", dir.Sub("link").c_str());
  ::symlink("/proc", dir.Sub("to-proc").c_str());

  EXPECT_EQ(Attr(dir.Sub("plain")), 16u);
  EXPECT_EQ(Attr(dir.Sub("plain/")), 16u);
  EXPECT_EQ(Attr(dir.Sub(".dot/")), 18u);
  EXPECT_EQ(Attr(dir.Sub("file")), 0u);
  EXPECT_EQ(Attr(dir.Sub("ro")), 1u);
  EXPECT_EQ(Attr(dir.Sub("link/")), 1040u);  // the final "/" does not hide the link
  EXPECT_EQ(Attr("/proc"), 22u);
  EXPECT_EQ(Attr("/sys/"), 22u);
  EXPECT_EQ(Attr(dir.Sub("to-proc/")), 1046u);
  // A path whose own entry cannot be read fails as the folder test would.
  struct stat st;
  ASSERT_EQ(::stat(dir.path().c_str(), &st), 0);
  EXPECT_THROW(AttributesOf(dir.Sub("missing"), st, nullptr), Failure);
}

// What a listed path names now, against what the search saw.
TEST(ListedFileTest, OnlyTheSameEntryPassesTheCheck) {
  TempDir dir;
  WriteFile(dir.Sub("a"));
  ::link(dir.Sub("a").c_str(), dir.Sub("b").c_str());
  ::symlink("a", dir.Sub("link").c_str());
  const FileId a = IdOfPath(dir.Sub("a"));
  const FileId link = IdOfPath(dir.Sub("link"));
  EXPECT_TRUE(link.IsLink());
  ListedFolders folders;
  std::string name;
  const int fd = folders.Open(dir.Sub("a"), &name);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(name, "a");
  EXPECT_EQ(folders.Open(dir.Sub("b"), &name), fd);  // still open
  EXPECT_EQ(name, "b");
  struct stat st;
  EXPECT_EQ(CheckListed(fd, "a", a, &st), 0);
  EXPECT_EQ(CheckListed(fd, "b", a, &st), 0);        // another name of it
  EXPECT_EQ(CheckListed(fd, "link", link, &st), 0);  // the link, not its target
  EXPECT_EQ(CheckListed(fd, "link", a, &st), kChangedSinceSearch);
  EXPECT_EQ(CheckListed(fd, "a", FileId(), &st), kChangedSinceSearch);  // no identity
  EXPECT_EQ(CheckListed(fd, "missing", a, &st), ENOENT);
  // Replaced by a new file, by a folder, by a FIFO.
  WriteFile(dir.Sub("new"));
  ::rename(dir.Sub("new").c_str(), dir.Sub("a").c_str());
  EXPECT_EQ(CheckListed(fd, "a", a, &st), kChangedSinceSearch);
  ::unlink(dir.Sub("a").c_str());
  ::mkdir(dir.Sub("a").c_str(), 0755);
  EXPECT_EQ(CheckListed(fd, "a", a, &st), kChangedSinceSearch);
  ::rmdir(dir.Sub("a").c_str());
  ::mkfifo(dir.Sub("a").c_str(), 0644);
  EXPECT_EQ(CheckListed(fd, "a", a, &st), kChangedSinceSearch);
  EXPECT_EQ(ReasonText(kChangedSinceSearch), "it changed since the search");
  EXPECT_EQ(ReasonText(ENOSPC), "no space left");
  EXPECT_EQ(ReasonText(EROFS), "read-only file system");
  EXPECT_EQ(ReasonText(EACCES), "permission denied");
  EXPECT_EQ(ReasonText(ENOENT), "file not found");
}

TEST(FolderObjectTest, DeleteFileNeedsForceForReadOnly) {
  TempDir dir;
  WriteFile(dir.Sub("ro"));
  ::chmod(dir.Sub("ro").c_str(), 0444);
  FileSystemObject fso;
  EXPECT_THROW(fso.DeleteFile(dir.Sub("ro"), false), Failure);
  EXPECT_TRUE(testing::Exists(dir.Sub("ro")));
  fso.DeleteFile(dir.Sub("ro"), true);
  EXPECT_FALSE(testing::Exists(dir.Sub("ro")));
  EXPECT_THROW(fso.DeleteFile(dir.path(), true), Failure);  // a folder is no file
  EXPECT_TRUE(testing::Exists(dir.path()));
}

}  // namespace
}  // namespace qm
