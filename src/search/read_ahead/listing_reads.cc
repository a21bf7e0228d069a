// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/listing_reads.h"

#include <dirent.h>
#include <limits.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>


namespace qm {

RelativeReader::~RelativeReader() {
  if (folder_fd_ >= 0) ::close(folder_fd_);
}

void RelativeReader::Select(std::size_t i) {
  std::string_view folder, name;
  paths_.Parts(i, &folder, &name);
  folder_part_ = folder;
  name_part_ = name;
  whole_ready_ = false;
  // Paths of one folder share its text, so the test is mostly one compare.
  const bool same_folder =
      have_folder_ && ((folder.data() == folder_.data() && folder.size() == folder_.size()) ||
                       folder == folder_);
  if (!name.empty() && !same_folder) {
    if (folder_fd_ >= 0) ::close(folder_fd_);
    name_.assign(folder);
    folder_fd_ = ::open(name_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    folder_ = folder;
    have_folder_ = true;
  }
  if (!name.empty() && folder_fd_ >= 0 && folder.size() + name.size() < PATH_MAX) {
    dir_ = folder_fd_;
    name_.assign(name);
  } else {
    dir_ = AT_FDCWD;
    name_.assign(folder).append(name);
  }
}

const std::string& RelativeReader::Whole() const {
  if (!whole_ready_) {
    whole_.assign(folder_part_).append(name_part_);
    whole_ready_ = true;
  }
  return whole_;
}

void ReadStatus(const RelativeReader& at, StatResult* out) {
  out->err = ::fstatat(at.Dir(), at.Name(), &out->st, 0) == 0 ? 0 : errno;
}

int OpenListing(const RelativeReader& at) {
  return ::openat(at.Dir(), at.Name(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
}

std::shared_ptr<const Listing> ReadListing(const RelativeReader& at, int fd, int flags,
                                           bool (*wanted)(unsigned char), std::size_t most) {
  auto listing = std::make_shared<Listing>();
  listing->path = at.Whole();
  listing->status_flags = flags;
  thread_local std::vector<char> buffer(32768);
  while (listing->read) {
    const long n = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
    if (n <= 0) {
      if (n < 0) listing->read_err = errno;
      break;
    }
    // Room for this buffer's entries at once: a record is at least 24
    // bytes, and its name no longer than the record.
    listing->entries.reserve(listing->entries.size() + static_cast<std::size_t>(n) / 24);
    listing->names.reserve(listing->names.size() + static_cast<std::size_t>(n));
    for (long at_byte = 0; at_byte < n;) {
      const auto* ent = reinterpret_cast<const KernelEntry*>(buffer.data() + at_byte);
      at_byte += ent->d_reclen;
      if (listing->entries.size() >= most) {
        listing->read = false;
        break;
      }
      const char* name = ent->d_name;
      const std::size_t length = std::strlen(name);
      ListedEntry entry;
      entry.name_at = static_cast<std::uint32_t>(listing->names.size());
      entry.name_length = static_cast<std::uint16_t>(length);
      entry.type = ent->d_type;
      entry.ino = ent->d_ino;
      listing->names.append(name, length + 1);
      const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
      if (!dots && wanted(ent->d_type)) {
        StatResult status;
        status.err = ::fstatat(fd, name, &status.st, flags) == 0 ? 0 : errno;
        entry.status_at = static_cast<int>(listing->status.size());
        listing->status.push_back(status);
      }
      listing->entries.push_back(entry);
    }
  }
  ::close(fd);
  if (!listing->read) {
    listing->entries.clear();
    listing->names.clear();
    listing->status.clear();
  }
  return listing;
}

std::shared_ptr<const Listing> Unopened(const RelativeReader& at, int err) {
  auto listing = std::make_shared<Listing>();
  listing->path = at.Whole();
  listing->open_err = err;
  return listing;
}

bool MayBeFolder(unsigned char type) {
  return type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN;
}

bool MayBeLink(unsigned char type) { return type == DT_LNK || type == DT_UNKNOWN; }

}  // namespace qm
