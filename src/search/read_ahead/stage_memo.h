// SPDX-License-Identifier: GPL-3.0-or-later
// The memo kept across the stages of a search: what one stage read that
// answers a later one, while nothing has changed in between.
//
//   - The walk reads each folder's status as a level entry, then again for
//     every level above it as it hands the folder up; the first answer
//     serves the others (KeptStatus).
//   - The walk lists every folder it takes, and the gathering lists the
//     same folders again, in the same order, for their files; the walk's
//     listings serve the second listing (WalkedListings).
//
// Each part of the memo keeps the change count (change_count.h) it was
// read at, as a whole: something read at another count drops what is kept,
// and nothing kept is used once the count has moved on.  The walk's status
// goes once the gathering starts; its listings go once the gathering's
// listing stage ends.  Owner thread only, but for the workers' reads of the
// walked listings a plan gives them (which nothing adds to meanwhile).
#ifndef QUENMOOR_SEARCH_READ_AHEAD_STAGE_MEMO_H_
#define QUENMOOR_SEARCH_READ_AHEAD_STAGE_MEMO_H_

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/read_ahead/ahead_paths.h"
#include "search/read_ahead/kept_status.h"
#include "search/read_ahead/listing.h"
#include "search/read_ahead/walked_listings.h"

namespace qm {

class StageMemo {
 public:
  // Listed entries of the walk kept for the gathering; past this many, no
  // more are kept.
  static constexpr std::size_t kMaxWalkedEntries = std::size_t{1} << 22;

  // A stage of `kind` starts with the change count at `now`.  For the
  // gathering's listings: the walk's listings, when still fresh (nullptr
  // otherwise), with the count they were read at in *read_at.
  const WalkedListings* StageStarts(AheadKind kind, std::uint64_t now, std::uint64_t* read_at);
  // The stage that StageStarts() gave the walk's listings to is over.
  void ListingsUsed();

  // A folder's status, read at `change`; anything but a folder is left out.
  void KeepFolderStatus(std::string_view path, const struct stat& st, std::uint64_t change);
  // The status kept for `path`, when the count is still the one it was read at.
  bool FolderStatus(std::string_view path, std::uint64_t now, struct stat* st);

  // A listing the walk took, read at `change`.
  void KeepListing(const Listing& listing, std::uint64_t change);

 private:
  KeptStatus status_;
  std::uint64_t status_change_ = 0;
  WalkedListings listings_;
  std::uint64_t listings_change_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_STAGE_MEMO_H_
