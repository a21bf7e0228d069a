// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mounts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "testing/test_env.h"
#include "testing/test_mounts.h"

namespace qm {
namespace {

TEST(MountTableTest, ReadsTheKernelsLinesWithTheirEscapesAndOptionalFields) {
  const MountTable table = MountTable::Parse(
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
      "40 22 0:35 / /media/usb\\040disk rw,nosuid,noatime shared:7 master:2 - vfat /dev/sdb1 rw\n"
      "41 22 0:36 / /home/me/remote rw,nosuid,nodev,relatime - fuse.sshfs me@host: "
      "rw,user_id=1000\n"
      "42 22 8:1 /srv/data /mnt/data/ rw,relatime - ext4 /dev/sda1 rw\n"
      "not a mount line\n"
      "43 22 0:37 / /mnt/ntfs rw,relatime - fuseblk /dev/sdc1 rw,noatime");
  ASSERT_EQ(table.entries().size(), 5u);
  const MountEntry& root = table.entries()[0];
  EXPECT_EQ(root.id, 22u);
  EXPECT_EQ(root.dev, makedev(8, 1));
  EXPECT_EQ(root.point, "/");
  EXPECT_EQ(root.type, "ext4");
  EXPECT_FALSE(root.KeepsNoAccessTimes());
  EXPECT_FALSE(root.IsFuse());
  const MountEntry& usb = table.entries()[1];
  EXPECT_EQ(usb.point, "/media/usb disk");
  EXPECT_EQ(usb.type, "vfat");
  EXPECT_TRUE(usb.KeepsNoAccessTimes());
  EXPECT_TRUE(table.entries()[2].IsFuse());
  EXPECT_EQ(table.entries()[3].point, "/mnt/data");
  // ntfs-3g takes noatime among its own options.
  EXPECT_TRUE(table.entries()[4].IsFuse());
  EXPECT_TRUE(table.entries()[4].KeepsNoAccessTimes());

  EXPECT_TRUE(table.IsMountPoint("/"));
  EXPECT_TRUE(table.IsMountPoint("/media/usb disk"));
  EXPECT_FALSE(table.IsMountPoint("/media"));
  EXPECT_EQ(table.OfDevice(makedev(8, 1)).size(), 2u);
  ASSERT_NE(table.ById(41), nullptr);
  EXPECT_EQ(table.ById(41)->point, "/home/me/remote");
  EXPECT_EQ(table.ById(99), nullptr);
}

TEST(MountTableTest, TheProcessTableShowsAMountAndItsIdAsStatxGivesIt) {
  testing::TempDir dir;
  const std::string at = dir.Sub("quiet");
  testing::ScopedMount mount(testing::ScopedMount::Kind::kTmpfs, at, "", MS_NOATIME);
  if (!mount.ok()) GTEST_SKIP() << mount.why();
  const std::shared_ptr<const MountTable> table = MountTable::Read();
  ASSERT_TRUE(table->IsMountPoint(at));
  const int fd = ::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::uint64_t id = 0;
  EXPECT_TRUE(MountIdAt(fd, "", &id));
  ::close(fd);
  const MountEntry* entry = table->ById(id);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->point, at);
  EXPECT_EQ(entry->type, "tmpfs");
  EXPECT_TRUE(entry->KeepsNoAccessTimes());
  struct stat st;
  ASSERT_EQ(::stat(at.c_str(), &st), 0);
  EXPECT_EQ(entry->dev, st.st_dev);

  // A file system layer of a test's own stands in for the kernel's table.
  struct Fake : FileSystem {
    int ReadMountInfo(std::string* text) override {
      *text = "7 1 0:99 / /fake rw,noatime - tmpfs tmpfs rw\n";
      return 0;
    }
  } fake;
  ScopedFs use(&fake);
  const std::shared_ptr<const MountTable> faked = MountTable::Read();
  ASSERT_EQ(faked->entries().size(), 1u);
  EXPECT_EQ(faked->entries()[0].point, "/fake");
}

}  // namespace
}  // namespace qm
