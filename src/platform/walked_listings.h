// SPDX-License-Identifier: GPL-3.0-or-later
// The walk's listings, kept for the gathering.
//
// A search lists every folder twice: the walk for its subfolders, then the
// gathering for its files, in the same order.  The walk's listings are kept
// here, packed one after another (about 10 bytes an entry beside its name),
// in blocks taken straight from the system and given back all at once when
// the gathering is done, so the second listing costs no reading while
// nothing has changed in between (read_ahead.h says when that is).
#ifndef QUENMOOR_PLATFORM_WALKED_LISTINGS_H_
#define QUENMOOR_PLATFORM_WALKED_LISTINGS_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/listing.h"

namespace qm {

class WalkedListings {
 public:
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};

  WalkedListings() = default;
  ~WalkedListings() { Clear(); }
  WalkedListings(const WalkedListings&) = delete;
  WalkedListings& operator=(const WalkedListings&) = delete;

  // Adds a listing the walk took; false when `max_entries` are kept already.
  bool Add(const Listing& listing, std::size_t max_entries);
  bool empty() const { return size_ == 0; }

  // Where the listing of the folder `folder` + `name` is kept, or kNone;
  // any thread, while nothing is added.
  std::uint64_t Find(std::string_view folder, std::string_view name) const;

  // The listing kept at `at`; any thread, while nothing is added.
  std::shared_ptr<const Listing> Unpack(std::uint64_t at) const;

  void Clear();

 private:
  std::string_view PathAt(std::uint64_t at) const;
  char* Reserve(std::size_t size);
  void Index(std::uint64_t at);

  std::vector<char*> blocks_;
  std::uint64_t size_ = 0;     // bytes used, counted over whole blocks
  std::size_t entries_ = 0;
  std::size_t listings_ = 0;
  // Where each listing is kept, by its path: open addressing, kNone free.
  std::vector<std::uint64_t> index_;
};

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_WALKED_LISTINGS_H_
