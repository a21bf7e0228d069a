// SPDX-License-Identifier: GPL-3.0-or-later
// One part of a plan: a run of consecutive paths, read by one worker path
// after path, and what it read for them, as the calls of the plan's stage
// would have answered at that moment.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_PART_H_
#define QUENMOOR_SEARCH_READ_AHEAD_PART_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "search/read_ahead/ahead_paths.h"
#include "search/read_ahead/listing.h"
#include "search/read_ahead/walked_listings.h"

namespace qm {

struct StatxResult {
  // Made without clearing `stx`, which a read fills: a part holds many.
  StatxResult() {}
  int err = 0;
  struct statx stx;
};

// A path of a plan, as its two parts.
struct PathParts {
  std::string_view folder, name;
};

struct Part {
  std::size_t first = 0;     // the index of its first path
  std::uint64_t change = 0;  // the change count it was read at
  std::size_t entries = 0;   // listed entries held
  // Its paths, as the plan gives them: the caller finds its calls' paths
  // here rather than asking the plan again.
  std::vector<PathParts> paths;
  std::vector<StatResult> status;                        // kFolders
  std::vector<StatxResult> stamps;                       // kStamps
  std::vector<std::shared_ptr<const Listing>> listings;  // kFolders, kListings
};

// What a worker needs of a plan to read one of its parts.
struct PlanToRead {
  AheadKind kind = AheadKind::kFolders;
  const AheadPaths* paths = nullptr;
  std::size_t part_paths = 1;
  // kListings: the walk's listings, read at `walked_change`, which answer
  // the folders they hold while the part is read at that count.
  const WalkedListings* walked = nullptr;
  std::uint64_t walked_change = 0;
};

// A folder of more entries than this is not read ahead but left to the
// caller, who lists it itself.
constexpr std::size_t kMaxListedEntries = 1024;

// Called between two paths of a part, where a worker may pause.
class BetweenReads {
 public:
  virtual ~BetweenReads() = default;
  virtual void Pause() = 0;
};

// Reads part `part` of `plan` at change count `change`.
std::shared_ptr<Part> ReadPart(const PlanToRead& plan, std::size_t part, std::uint64_t change,
                               BetweenReads* between);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_PART_H_
