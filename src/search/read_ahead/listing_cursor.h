// SPDX-License-Identifier: GPL-3.0-or-later
// Listings handed out in place of a DIR: the read-ahead answers OpenDir()
// with one when the listing was read ahead, and ReadDir(), CloseDir() and
// EntryStat() recognise it.  Each holds its listing, so it stays valid
// whatever happens to the read-ahead meanwhile.  This thread only.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_LISTING_CURSOR_H_
#define QUENMOOR_SEARCH_READ_AHEAD_LISTING_CURSOR_H_

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>

#include "search/read_ahead/listing.h"

namespace qm {

// A DIR standing for `listing`, read at change count `change`.
DIR* OpenListingCursor(std::shared_ptr<const Listing> listing, std::uint64_t change);

// For a DIR from OpenListingCursor(): the next entry, nullptr at the end
// (errno set when the listing ended in a failure); true.  False for a real
// DIR.
bool CursorNext(DIR* dir, struct dirent** entry);
// Closes it (*rc 0); false for a real DIR.
bool CursorClose(DIR* dir, int* rc);
// Listings handed out and not yet closed.
std::size_t OpenCursorCount();

// How a status call about an entry of a listing handed out was answered.
enum class EntryStatus { kNotACursor, kAnswered, kReadAgain };

// EntryStat() of entry `name` of the listing `dir`: the status read with the
// listing, when it was read with `flags` and the change count is still
// `change` (kAnswered); otherwise read now by the entry's path (kReadAgain).
EntryStatus CursorEntryStat(DIR* dir, const char* name, int flags, std::uint64_t change,
                            struct stat* st, int* rc);

// Stat() by the whole path of the entry the listing opened last gave last:
// kAnswered as above; kReadAgain when the caller must read it; kNotACursor
// when `path` is not that entry's.
EntryStatus LastEntryStatus(const char* path, int flags, std::uint64_t change, struct stat* st,
                            int* rc);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_LISTING_CURSOR_H_
