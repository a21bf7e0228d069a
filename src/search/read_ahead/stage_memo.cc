// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/stage_memo.h"

namespace qm {

const WalkedListings* StageMemo::StageStarts(AheadKind kind, std::uint64_t now,
                                             std::uint64_t* read_at) {
  *read_at = listings_change_;
  if (kind == AheadKind::kFolders) return nullptr;
  // The walk is over once its folders are listed for their files.
  status_.Clear();
  if (kind == AheadKind::kListings && !listings_.empty() && listings_change_ == now) {
    return &listings_;
  }
  listings_.Clear();
  return nullptr;
}

void StageMemo::ListingsUsed() { listings_.Clear(); }

void StageMemo::KeepFolderStatus(std::string_view path, const struct stat& st,
                                 std::uint64_t change) {
  if (!S_ISDIR(st.st_mode)) return;
  if (change != status_change_) {
    status_.Clear();
    status_change_ = change;
  }
  status_.Insert(path, st);
}

bool StageMemo::FolderStatus(std::string_view path, std::uint64_t now, struct stat* st) {
  if (status_.empty()) return false;
  if (status_change_ != now) {
    status_.Clear();
    return false;
  }
  const struct stat* kept = status_.Find(path);
  if (!kept) return false;
  *st = *kept;
  return true;
}

void StageMemo::KeepListing(const Listing& listing, std::uint64_t change) {
  if (change != listings_change_) {
    listings_.Clear();
    listings_change_ = change;
  }
  listings_.Add(listing, kMaxWalkedEntries);
}

}  // namespace qm
