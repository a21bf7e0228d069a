// SPDX-License-Identifier: GPL-3.0-or-later
// How the read-ahead's workers read: each path relative to its folder,
// opened once for a run of paths in it, and a folder's listing straight from
// the kernel's listing buffer, as readdir would give it.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_LISTING_READS_H_
#define QUENMOOR_SEARCH_READ_AHEAD_LISTING_READS_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "search/read_ahead/ahead_paths.h"
#include "search/read_ahead/listing.h"

namespace qm {

// One record of the buffer getdents64 fills.
struct KernelEntry {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

// Reads paths relative to their folder, opened (O_PATH) once for a run of
// paths in the same folder.  A path whose folder cannot be opened, or that
// has no name part, is read by its whole path, which fails as the kernel
// fails it.
class RelativeReader {
 public:
  explicit RelativeReader(const AheadPaths& paths) : paths_(paths) {}
  ~RelativeReader();
  RelativeReader(const RelativeReader&) = delete;
  RelativeReader& operator=(const RelativeReader&) = delete;

  // Points the reader at path i: Dir() and Name() then name it.
  void Select(std::size_t i);
  // The selected path's two parts, as the plan's paths give them.
  std::string_view FolderPart() const { return folder_part_; }
  std::string_view NamePart() const { return name_part_; }
  int Dir() const { return dir_; }
  const char* Name() const { return name_.c_str(); }
  // The whole path.
  const std::string& Whole() const;

 private:
  const AheadPaths& paths_;
  std::string_view folder_, folder_part_, name_part_;
  std::string name_;
  mutable std::string whole_;
  mutable bool whole_ready_ = false;
  bool have_folder_ = false;
  int folder_fd_ = -1;
  int dir_ = AT_FDCWD;
};

// The status of the selected path, links followed, as stat gives it.
void ReadStatus(const RelativeReader& at, StatResult* out);

// Opens the selected folder as opendir does; -1 with errno on failure.
int OpenListing(const RelativeReader& at);

// Lists the open folder `fd` (closed here) of the selected path as readdir
// would; the entries for which `wanted` (of their type) is true get their
// status read, relative to the folder, with `flags`.  A folder of more than
// `most` entries is not kept (Listing::read false).
std::shared_ptr<const Listing> ReadListing(const RelativeReader& at, int fd, int flags,
                                           bool (*wanted)(unsigned char), std::size_t most);

// The listing of a folder that could not be opened.
std::shared_ptr<const Listing> Unopened(const RelativeReader& at, int err);

// Entry types: a folder or what may lead to one; a link or what may be one.
bool MayBeFolder(unsigned char type);
bool MayBeLink(unsigned char type);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_LISTING_READS_H_
