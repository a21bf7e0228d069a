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
  std::uint32_t a = 0xFFFFFFFF;
  EXPECT_TRUE(ReadAttributes(path, &a)) << path;
  return a;
}

TEST(CodePageTest, Windows1252Conversion) {
  std::string out;
  EXPECT_TRUE(ToWindows1252("caf\xC3\xA9", &out));           // é
  EXPECT_EQ(out, "caf\xE9");
  EXPECT_TRUE(ToWindows1252("a\xE2\x80\x93" "b", &out));      // en dash
  EXPECT_EQ(out, "a\x96" "b");
  EXPECT_TRUE(ToWindows1252("\xE2\x82\xAC", &out));           // euro sign
  EXPECT_EQ(out, "\x80");
  EXPECT_TRUE(ToWindows1252("\xE4\xB8\xAD", &out));           // CJK: no code
  EXPECT_EQ(out, "?");
  EXPECT_FALSE(ToWindows1252("a\xFF" "b", &out));              // not UTF-8
  EXPECT_EQ(out, "a?b");
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                       // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                   // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x80"));                       // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(Utf8CharCount("\xC3\xA9\xC3\xA9x"), 3u);
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
  std::uint32_t a;
  EXPECT_FALSE(ReadAttributes(dir.Sub("missing"), &a));
  EXPECT_FALSE(ReadAttributes("", &a));
}

TEST(FolderObjectTest, RootAndSameFileByIdentity) {
  TempDir dir;
  FileSystemObject fso;
  EXPECT_TRUE(fso.GetFolder("/").IsRootFolder());
  EXPECT_TRUE(fso.GetFolder("//").IsRootFolder());
  EXPECT_FALSE(fso.GetFolder(dir.path()).IsRootFolder());
  ::symlink("/", dir.Sub("up").c_str());
  EXPECT_TRUE(fso.GetFolder(dir.Sub("up/")).IsRootFolder());

  WriteFile(dir.Sub("a"));
  ::link(dir.Sub("a").c_str(), dir.Sub("b").c_str());
  EXPECT_TRUE(SameFile(dir.Sub("a"), dir.Sub("b")));
  EXPECT_TRUE(SameFile(dir.Sub("a"), dir.path() + "//./a"));
  EXPECT_FALSE(SameFile(dir.Sub("a"), dir.Sub("missing")));
  PathInfo info = StatPath(dir.Sub("up"), false);
  EXPECT_TRUE(info.exists);
  EXPECT_FALSE(info.is_dir);
  EXPECT_TRUE(StatPath(dir.Sub("up")).is_dir);
}

TEST(FolderObjectTest, ListingFailuresCarryTheirNumbers) {
  TempDir dir;
  ::mkdir(dir.Sub("a").c_str(), 0755);
  ::mkdir(dir.Sub("a/x").c_str(), 0755);
  ::mkdir(dir.Sub("a/y").c_str(), 0755);
  FileSystemObject fso;
  try {
    fso.GetFolder(dir.Sub("missing/"));
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 76);
  }
  testing::FaultyFs fs;
  ScopedFs use(&fs);
  fs.FailListing(dir.Sub("a/"), 1, ENOENT);
  Folder folder = fso.GetFolder(dir.Sub("a/"));
  SubFolderList list = folder.SubFolders();
  SubFolderEntry entry;
  EXPECT_TRUE(list.Next(&entry));
  try {
    list.Next(&entry);
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 76);
    EXPECT_STREQ(f.what(), "Path not found");
  }
  fs.FailListing(dir.Sub("a/"), 0, EACCES);
  try {
    fso.GetFolder(dir.Sub("a/")).SubFolders();
    FAIL();
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 70);
  }
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
