// SPDX-License-Identifier: GPL-3.0-or-later
// The identity of a file as a search saw it: device, inode, file type and
// birth time.
//
// Move and trash act on a listed path only while it still names the file
// the search listed; a path can come to name another file, a folder or a
// FIFO between the search and the command.  A file deleted and made again
// under its name can get the very inode number back, so where the file
// system records birth times they count too.  The identity comes from the
// one stamp read the search makes per file (no call of its own) and travels
// with the file into its result row.  It is kept to 16 bytes, since a search
// can list a million files.
#ifndef QUENMOOR_PLATFORM_FILE_ID_H_
#define QUENMOOR_PLATFORM_FILE_ID_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

struct FileId {
  // What a status read must ask for to give an identity.
  static constexpr unsigned kMask = STATX_TYPE | STATX_INO | STATX_BTIME;

  std::uint64_t ino = 0;
  std::uint32_t dev = 0;   // PackDevice()
  std::uint32_t kind = 0;  // the type (S_IFMT >> 12) in the top 4 bits, below
                           // them 28 bits of the birth time (0 where unknown)

  // False when the search could not read the file's status.
  bool Known() const { return Type() != 0; }
  unsigned Type() const { return kind >> 28; }
  bool IsLink() const { return Type() == (S_IFLNK >> 12); }
  bool IsRegular() const { return Type() == (S_IFREG >> 12); }

  // Device numbers whose major is below 4096 and minor below 2^20 (every
  // device the kernel hands out by default) are kept exactly; larger ones
  // are folded, where a clash would also need the same inode and birth.
  static std::uint32_t PackDevice(std::uint32_t major_number, std::uint32_t minor_number) {
    return (major_number << 20) ^ minor_number ^ ((minor_number >> 20) << 8);
  }
  static FileId Of(const struct statx& stx) {
    FileId id;
    id.ino = stx.stx_ino;
    id.dev = PackDevice(stx.stx_dev_major, stx.stx_dev_minor);
    std::uint32_t birth = 0;
    if (stx.stx_mask & STATX_BTIME) {
      std::uint64_t h = static_cast<std::uint64_t>(stx.stx_btime.tv_sec) * 0x9E3779B97F4A7C15ull ^
                        stx.stx_btime.tv_nsec;
      h ^= h >> 29;
      birth = static_cast<std::uint32_t>(h) & 0x0FFFFFFFu;
    }
    id.kind = ((static_cast<std::uint32_t>(stx.stx_mode & S_IFMT) >> 12) << 28) | birth;
    return id;
  }

  bool operator==(const FileId& o) const { return ino == o.ino && dev == o.dev && kind == o.kind; }
  bool operator!=(const FileId& o) const { return !(*this == o); }
};

// A file to act on: its path and its identity when it was listed.
struct ListedFile {
  std::string path;
  FileId id;
};

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_FILE_ID_H_
