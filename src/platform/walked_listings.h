// The walk's listings, kept for the gathering.
//
// A search lists every folder twice: the walk for its subfolders, then the
// gathering for its files, in the same order.  The walk's listings are kept
// here, packed one after another (about 22 bytes an entry beside its name),
// in blocks taken straight from the system and given back as soon as the
// gathering has passed them, so the second listing costs no reading while
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

class AheadPaths;

class WalkedListings {
 public:
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};

  WalkedListings() = default;
  ~WalkedListings() { Clear(); }
  WalkedListings(const WalkedListings&) = delete;
  WalkedListings& operator=(const WalkedListings&) = delete;

  // Adds a listing the walk took; false when `max_entries` are kept already.
  bool Add(const Listing& listing, std::size_t max_entries);
  bool empty() const { return records_.empty(); }

  // Where the listing of each path of `paths` is kept, in order, or kNone;
  // a path may be skipped over (the gathering passes by folders the walk
  // dropped) as far as `look_ahead` listings on.
  std::vector<std::uint64_t> Match(const AheadPaths& paths, std::size_t look_ahead) const;

  // The listing kept at `at`, while its block is kept; any thread.
  std::shared_ptr<const Listing> Unpack(std::uint64_t at) const;

  // Gives back the blocks wholly before `at`; nothing may read them after.
  void ReleaseBefore(std::uint64_t at);
  void Clear();

 private:
  std::string_view PathAt(std::uint64_t at) const;
  char* Reserve(std::size_t size);

  std::vector<char*> blocks_;          // nullptr once given back
  std::uint64_t size_ = 0;             // bytes used, counted over whole blocks
  std::vector<std::uint64_t> records_; // where each listing starts
  std::size_t entries_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_WALKED_LISTINGS_H_
