// SPDX-License-Identifier: GPL-3.0-or-later
// One folder's listing as the read-ahead holds it: the entries as readdir
// gave them, with the status of those the caller will ask about.  Immutable
// once made; shared between the workers, the caller and the listings handed
// out in place of a DIR.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_LISTING_H_
#define QUENMOOR_SEARCH_READ_AHEAD_LISTING_H_

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct StatResult {
  // Made without clearing `st`, which a read fills: a part holds many.
  StatResult() {}
  int err = 0;
  struct stat st;
};

struct ListedEntry {
  std::uint32_t name_at = 0;
  std::uint16_t name_length = 0;
  unsigned char type = DT_UNKNOWN;
  ino_t ino = 0;
  int status_at = -1;  // in Listing::status, -1 when not read
};

struct Listing {
  std::string path;  // as the plan gives it
  int open_err = 0;  // the folder could not be opened
  int read_err = 0;  // the listing ended with this failure after `entries`
  bool read = true;  // false: not read ahead, the caller lists it itself
  int status_flags = 0;
  std::vector<ListedEntry> entries;
  std::string names;  // each name followed by a 0
  std::vector<StatResult> status;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_LISTING_H_
