// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/part.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "search/read_ahead/listing_reads.h"

namespace qm {
namespace {

void ReadFolders(const PlanToRead& plan, Part* read, std::size_t count, BetweenReads* between) {
  RelativeReader at(*plan.paths);
  read->status.resize(count);
  read->listings.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    between->Pause();
    at.Select(read->first + k);
    read->paths[k] = PathParts{at.FolderPart(), at.NamePart()};
    StatResult& status = read->status[k];
    // The open folder's status is the path's, links followed.
    const int fd = OpenListing(at);
    if (fd >= 0 && ::fstat(fd, &status.st) == 0) {
      status.err = 0;
      read->listings[k] = ReadListing(at, fd, kFolderEntryFlags, MayBeFolder, kMaxListedEntries);
    } else {
      const int open_err = errno;
      if (fd >= 0) ::close(fd);
      ReadStatus(at, &status);
      // A path that is no folder is not listed by the walker.
      if (status.err == 0 && S_ISDIR(status.st.st_mode)) {
        read->listings[k] = Unopened(at, open_err);
      }
    }
    if (read->listings[k]) read->entries += read->listings[k]->entries.size();
  }
}

void ReadListings(const PlanToRead& plan, Part* read, std::size_t count, BetweenReads* between) {
  RelativeReader at(*plan.paths);
  read->listings.resize(count);
  const bool walked = plan.walked && plan.walked_change == read->change;
  for (std::size_t k = 0; k < count; ++k) {
    between->Pause();
    PathParts& parts = read->paths[k];
    plan.paths->Parts(read->first + k, &parts.folder, &parts.name);
    if (walked) {
      const std::uint32_t kept = plan.walked->Find(parts.folder, parts.name);
      if (kept != WalkedListings::kNone) {
        read->listings[k] = plan.walked->Unpack(kept);
        read->entries += read->listings[k]->entries.size();
        continue;
      }
    }
    at.Select(read->first + k);
    const int fd = OpenListing(at);
    read->listings[k] = fd >= 0
                            ? ReadListing(at, fd, kLinkEntryFlags, MayBeLink, kMaxListedEntries)
                            : Unopened(at, errno);
    read->entries += read->listings[k]->entries.size();
  }
}

void ReadStamps(const PlanToRead& plan, Part* read, std::size_t count, BetweenReads* between) {
  RelativeReader at(*plan.paths);
  read->stamps.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    between->Pause();
    at.Select(read->first + k);
    read->paths[k] = PathParts{at.FolderPart(), at.NamePart()};
    StatxResult& r = read->stamps[k];
    r.err = ::statx(at.Dir(), at.Name(), kStampFlags, kStampMask, &r.stx) == 0 ? 0 : errno;
  }
}

}  // namespace

std::shared_ptr<Part> ReadPart(const PlanToRead& plan, std::size_t part, std::uint64_t change,
                               BetweenReads* between) {
  auto read = std::make_shared<Part>();
  read->first = part * plan.part_paths;
  read->change = change;
  const std::size_t count = std::min(plan.part_paths, plan.paths->Count() - read->first);
  read->paths.resize(count);
  switch (plan.kind) {
    case AheadKind::kFolders: ReadFolders(plan, read.get(), count, between); break;
    case AheadKind::kListings: ReadListings(plan, read.get(), count, between); break;
    case AheadKind::kStamps: ReadStamps(plan, read.get(), count, between); break;
  }
  return read;
}

}  // namespace qm
