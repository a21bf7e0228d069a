// SPDX-License-Identifier: GPL-3.0-or-later
// Mounts whose access dates do not tell when a file was last used.
//
// Mounted with noatime, a file system never moves a file's access date when
// the file is read: it stays at when the file was made there, and a file
// used every day looks unused.  A FUSE mount (sshfs, bindfs, ntfs-3g) gives
// whatever access dates the program behind it reports, which may never move
// either; whether they do cannot be told from here without reading a file,
// which a search never does.  A search by Date Accessed notes each such
// mount it reaches, once.
//
// relatime, the kernel's default, is no such mount: there a read moves the
// access date when it is older than the last change or more than a day old,
// so access dates are right to the day, which is all the rules judge.
#ifndef QUENMOOR_SEARCH_ACCESS_TIMES_H_
#define QUENMOOR_SEARCH_ACCESS_TIMES_H_

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/mounts.h"

namespace qm {

// What a search tells its receiver beside its rows and counts.
struct SearchNote {
  enum class Kind {
    kNoAccessTimes,    // a mount with noatime
    kFuseAccessTimes,  // a FUSE mount
  };
  Kind kind = Kind::kNoAccessTimes;
  std::string mount_point;

  bool operator==(const SearchNote& o) const {
    return kind == o.kind && mount_point == o.mount_point;
  }
};

// The mounts of one search's table that a search by Date Accessed tells
// of, each at most once.  Used by the search's workers at once.
class AccessTimeMounts {
 public:
  explicit AccessTimeMounts(std::shared_ptr<const MountTable> mounts);
  AccessTimeMounts(const AccessTimeMounts&) = delete;
  AccessTimeMounts& operator=(const AccessTimeMounts&) = delete;

  // The folder open as `dir_fd`, on device `dev`, was reached: the note for
  // its mount when that mount is one to tell of and has not been told yet.
  std::optional<SearchNote> Reached(dev_t dev, int dir_fd);

 private:
  // What a device says of its mounts: all keep access times; one mount to
  // tell of (its index); or the folder's own mount must be asked (the
  // device is mounted several ways that differ, or is not in the table).
  static constexpr int kKeeps = -1;
  static constexpr int kAsk = -2;
  int Verdict(dev_t dev) const;
  std::optional<SearchNote> Tell(int entry);

  std::shared_ptr<const MountTable> mounts_;
  std::unordered_map<dev_t, int> verdicts_;
  std::unique_ptr<std::atomic<bool>[]> told_;  // per entry of the table
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_ACCESS_TIMES_H_
