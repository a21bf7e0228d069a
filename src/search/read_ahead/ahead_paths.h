// SPDX-License-Identifier: GPL-3.0-or-later
// What a plan reads ahead: the stages of a search whose calls the workers
// make for it, and the paths of one stage, in the order it asks.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_AHEAD_PATHS_H_
#define QUENMOOR_SEARCH_READ_AHEAD_AHEAD_PATHS_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A stage, and the calls it makes of each path, exactly: the workers make
// the same calls, and only a call that matches is answered.
enum class AheadKind : std::uint8_t {
  // The walk of one level: Stat() of each path (a folder, links followed),
  // then OpenDir(), ReadDir() and EntryStat(kFolderEntryFlags) of its
  // entries that may be folders (the folder object's subfolder listing).
  kFolders,
  // The gathering's listings: OpenDir() and ReadDir() of each folder, and
  // Stat() of its entries that may be links or are of unknown type, by
  // their full path (the file test).
  kListings,
  // The stamp reads: Statx(kStampFlags) of each path, asking for no more
  // than kStampMask.
  kStamps,
};

constexpr int kStampFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr unsigned kStampMask = STATX_BASIC_STATS | STATX_BTIME;
constexpr int kFolderEntryFlags = AT_NO_AUTOMOUNT;
constexpr int kLinkEntryFlags = 0;

// A sequence of paths, each the join of a folder part (ending in "/") and a
// name part (one component, with or without a final "/"; empty for a path
// read as a whole).  Worker threads read it while a plan lasts, so it must
// not change meanwhile; they read each path relative to its folder, opened
// once for a run of paths in it.
class AheadPaths {
 public:
  virtual ~AheadPaths() = default;
  virtual std::size_t Count() const = 0;
  virtual void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const = 0;
};

// A copy of a list of paths, in one block, each cut before its last
// component.
class AheadPathList : public AheadPaths {
 public:
  explicit AheadPathList(const std::vector<std::string>& paths);
  std::size_t Count() const override { return spans_.size(); }
  void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const override;

 private:
  std::string text_;
  struct Span {
    std::size_t begin, name, end;
  };
  std::vector<Span> spans_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_AHEAD_PATHS_H_
