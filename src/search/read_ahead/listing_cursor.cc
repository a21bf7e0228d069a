// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/listing_cursor.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qm {
namespace {

struct Cursor {
  std::shared_ptr<const Listing> listing;
  std::uint64_t change = 0;
  std::size_t next = 0;
  const ListedEntry* last = nullptr;  // the entry given last
  struct dirent entry;
};

// The cursors handed out and not yet closed, the last opened last.
std::vector<Cursor*> g_open;

std::vector<Cursor*>& OpenCursors() { return g_open; }

Cursor* CursorOf(DIR* dir) {
  auto* cursor = reinterpret_cast<Cursor*>(dir);
  for (auto it = g_open.rbegin(); it != g_open.rend(); ++it) {
    if (*it == cursor) return cursor;
  }
  return nullptr;
}

// The last entry's status, when it was read with `flags` and is still fresh.
bool LastStatus(const Cursor& cursor, int flags, std::uint64_t change, struct stat* st,
                int* rc) {
  const Listing& listing = *cursor.listing;
  const ListedEntry* last = cursor.last;
  if (!last || last->status_at < 0 || flags != listing.status_flags || cursor.change != change) {
    return false;
  }
  const StatResult& r = listing.status[static_cast<std::size_t>(last->status_at)];
  *rc = r.err == 0 ? 0 : -1;
  if (r.err == 0) {
    *st = r.st;
  } else {
    errno = r.err;
  }
  return true;
}

}  // namespace

DIR* OpenListingCursor(std::shared_ptr<const Listing> listing, std::uint64_t change) {
  auto* cursor = new Cursor;
  cursor->listing = std::move(listing);
  cursor->change = change;
  OpenCursors().push_back(cursor);
  return reinterpret_cast<DIR*>(cursor);
}

bool CursorNext(DIR* dir, struct dirent** entry) {
  Cursor* cursor = CursorOf(dir);
  if (!cursor) return false;
  const Listing& listing = *cursor->listing;
  if (cursor->next >= listing.entries.size()) {
    cursor->last = nullptr;
    if (listing.read_err != 0) errno = listing.read_err;
    *entry = nullptr;
    return true;
  }
  const ListedEntry& e = listing.entries[cursor->next++];
  cursor->last = &e;
  struct dirent& out = cursor->entry;
  out.d_ino = e.ino;
  out.d_off = static_cast<off_t>(cursor->next);
  out.d_reclen = sizeof out;
  out.d_type = e.type;
  std::memcpy(out.d_name, listing.names.data() + e.name_at, e.name_length + 1u);
  *entry = &out;
  return true;
}

bool CursorClose(DIR* dir, int* rc) {
  Cursor* cursor = CursorOf(dir);
  if (!cursor) return false;
  std::vector<Cursor*>& open = OpenCursors();
  open.erase(std::find(open.begin(), open.end(), cursor));
  delete cursor;
  *rc = 0;
  return true;
}

std::size_t OpenCursorCount() { return OpenCursors().size(); }

EntryStatus CursorEntryStat(DIR* dir, const char* name, int flags, std::uint64_t change,
                            struct stat* st, int* rc) {
  Cursor* cursor = CursorOf(dir);
  if (!cursor) return EntryStatus::kNotACursor;
  const Listing& listing = *cursor->listing;
  if (cursor->last && std::strcmp(listing.names.data() + cursor->last->name_at, name) == 0 &&
      LastStatus(*cursor, flags, change, st, rc)) {
    return EntryStatus::kAnswered;
  }
  // Read before a change, or not read ahead: the folder's entry by its path
  // (the folder's may come without its final "/").
  std::string path = listing.path;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += name;
  *rc = ::fstatat(AT_FDCWD, path.c_str(), st, flags);
  return EntryStatus::kReadAgain;
}

EntryStatus LastEntryStatus(const char* path, int flags, std::uint64_t change, struct stat* st,
                            int* rc) {
  std::vector<Cursor*>& open = OpenCursors();
  if (open.empty()) return EntryStatus::kNotACursor;
  const Cursor& cursor = *open.back();
  const Listing& listing = *cursor.listing;
  const ListedEntry* last = cursor.last;
  if (!last) return EntryStatus::kNotACursor;
  const std::string_view p(path);
  const std::string_view name(listing.names.data() + last->name_at, last->name_length);
  if (p.size() != listing.path.size() + name.size() ||
      p.compare(0, listing.path.size(), listing.path) != 0 ||
      p.compare(listing.path.size(), name.size(), name) != 0) {
    return EntryStatus::kNotACursor;
  }
  return LastStatus(cursor, flags, change, st, rc) ? EntryStatus::kAnswered
                                                 : EntryStatus::kReadAgain;
}

}  // namespace qm
