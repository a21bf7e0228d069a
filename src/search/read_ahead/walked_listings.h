// SPDX-License-Identifier: GPL-3.0-or-later
// The walk's listings, kept for the gathering.
//
// A search lists every folder twice: the walk for its subfolders, then the
// gathering for its files, in the same order.  The walk's listings are kept
// here, packed one after another (about 10 bytes an entry beside its name)
// in a block store given back all at once when the gathering is done, so
// the second listing costs no reading while nothing has changed in between
// (stage_memo.h says when that is).
#ifndef QUENMOOR_SEARCH_READ_AHEAD_WALKED_LISTINGS_H_
#define QUENMOOR_SEARCH_READ_AHEAD_WALKED_LISTINGS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/block_store.h"
#include "base/hash_index.h"
#include "search/read_ahead/listing.h"

namespace qm {

class WalkedListings {
 public:
  static constexpr std::uint32_t kNone = HashIndex::kNone;

  // Adds a listing the walk took (in place of an earlier listing of the
  // same folder); false when `max_entries` are kept already.
  bool Add(const Listing& listing, std::size_t max_entries);
  bool empty() const { return records_.empty(); }

  // The number of the listing of the folder `folder` + `name`, or kNone;
  // any thread, while nothing is added.
  std::uint32_t Find(std::string_view folder, std::string_view name) const;

  // Listing number `k`; any thread, while nothing is added.
  std::shared_ptr<const Listing> Unpack(std::uint32_t k) const;

  void Clear();

 private:
  std::string_view PathOf(std::uint32_t k) const;

  struct Record {
    std::uint64_t at;  // where the listing is kept
    std::size_t hash;  // of its path
  };
  BlockStore store_;
  std::vector<Record> records_;
  std::size_t entries_ = 0;
  HashIndex index_;  // by path
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_WALKED_LISTINGS_H_
