// SPDX-License-Identifier: GPL-3.0-or-later
// The mounts this process sees, as /proc/self/mountinfo lists them: where
// each is mounted, its device, its kind and the options it was mounted
// with.  Read once per search (MountTable::Read, through the file-system
// layer, so a test can hand it a table of its own).
#ifndef QUENMOOR_PLATFORM_MOUNTS_H_
#define QUENMOOR_PLATFORM_MOUNTS_H_

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qm {

struct MountEntry {
  std::uint64_t id = 0;  // the kernel's mount id (statx's stx_mnt_id)
  dev_t dev = 0;         // the device its files show (st_dev)
  std::string point;     // where it is mounted, without a final "/" ("/" for the root)
  std::string type;      // "ext4", "tmpfs", "fuse.sshfs", ...
  std::string source;
  std::string options;        // this mount's own: "rw,noatime"
  std::string super_options;  // its file system's: "rw,user_id=0"

  // Whether `option` is one of the comma-separated options of either kind.
  bool HasOption(std::string_view option) const;
  // A FUSE file system ("fuse", "fuseblk", "fuse.*").
  bool IsFuse() const;
  // Mounted so that reading a file never moves its access date.
  bool KeepsNoAccessTimes() const { return HasOption("noatime"); }
};

class MountTable {
 public:
  // The table of `text`, in the layout of /proc/self/mountinfo; lines that
  // do not fit it are skipped.
  static MountTable Parse(std::string_view text);
  // The process's table now; empty when it cannot be read.
  static std::shared_ptr<const MountTable> Read();

  const std::vector<MountEntry>& entries() const { return entries_; }
  // Whether a mount sits at `path` (no final "/"; "/" for the root).
  bool IsMountPoint(std::string_view path) const;
  // The mount of id `id`; nullptr when there is none.
  const MountEntry* ById(std::uint64_t id) const;
  // The mounts that show device `dev`, in the table's order.
  std::vector<const MountEntry*> OfDevice(dev_t dev) const;

 private:
  std::vector<MountEntry> entries_;
  std::unordered_set<std::string> points_;
  std::unordered_map<std::uint64_t, std::size_t> by_id_;
};

// The id of the mount that entry `name` of the open folder `dir_fd` lies
// on (links followed; "" for the folder itself), as statx gives it; false
// when it cannot be read.  Never triggers an automount.
bool MountIdAt(int dir_fd, const char* name, std::uint64_t* id);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_MOUNTS_H_
