// SPDX-License-Identifier: GPL-3.0-or-later
// The files a search found, kept compactly for a search of millions of
// files: each with its path, the stamp it was judged by, its identity and
// its size.  Plain data: the result list shows it through an adapter of its
// own (app/found_rows.h), the command line prints it.
//
// A search hands its finds over in chunks, in the order it found them;
// within a chunk a folder's path is kept once for all its files, which
// follow it.  FoundFiles is the chunks of one search put end to end, with
// positions counted from 0 over all of them.  About 34 bytes per file
// beside its name.
#ifndef QUENMOOR_SEARCH_FOUND_FILES_H_
#define QUENMOOR_SEARCH_FOUND_FILES_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_size.h"
#include "platform/file_id.h"
#include "search/time_stamps.h"

namespace qm {

class FoundChunk {
 public:
  // Starts the files of a folder (its path ends in "/").
  void AddFolder(std::string_view folder);
  // Adds a file of the folder last started, with the stamp it was judged
  // by (its size in stamp.size) and its identity.
  void Add(std::string_view name, const Stamp& stamp, const FileId& id);
  // Room for `files` more files with `name_bytes` of names in all.
  void Reserve(std::size_t files, std::size_t name_bytes);
  // Appends every file of `other`, in order.
  void Append(const FoundChunk& other);
  // Gives back the room kept for growth, once the chunk is complete.
  void Trim();

  std::size_t Count() const { return name_ends_.size(); }
  bool empty() const { return name_ends_.empty(); }
  void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const;
  std::string Path(std::size_t i) const;
  Stamp StampAt(std::size_t i) const;
  FileId IdAt(std::size_t i) const;
  std::int64_t SizeAt(std::size_t i) const { return sizes_[i]; }
  // The sizes of its files added up, an unknown size as 0.
  ByteCount SizesTotal() const;

 private:
  struct Run {
    std::uint32_t folder_at;  // in folders_
    std::uint32_t folder_size;
    std::uint32_t first;  // the run's first file
  };
  const Run& RunOf(std::size_t i) const;
  std::uint16_t DeviceIndex(std::uint32_t device);

  std::string folders_;
  std::vector<Run> runs_;
  std::string names_;
  std::vector<std::uint32_t> name_ends_;  // where each name ends in names_
  std::vector<double> stamps_;            // NaN for an empty stamp
  std::vector<std::int64_t> sizes_;       // -1 where unknown
  std::vector<std::uint64_t> inodes_;
  std::vector<std::uint32_t> kinds_;    // FileId::kind
  std::vector<std::uint16_t> devices_;  // into device_table_
  std::vector<std::uint32_t> device_table_;
};

class FoundFiles {
 public:
  FoundFiles() = default;
  FoundFiles(const FoundFiles&) = delete;
  FoundFiles& operator=(const FoundFiles&) = delete;

  // Appends a chunk's files after those already here.
  void Append(std::unique_ptr<FoundChunk> chunk);

  std::size_t Count() const { return count_; }
  // The path of file `i`, as its folder and its name.
  void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const;
  std::string Path(std::size_t i) const;
  Stamp StampAt(std::size_t i) const;
  FileId IdAt(std::size_t i) const;
  // The size of file `i` in bytes, -1 where unknown.
  std::int64_t SizeAt(std::size_t i) const;
  // The sizes of all its files added up, an unknown size as 0: kept as the
  // chunks come, so a million rows need not be summed again at the end.
  ByteCount SizesTotal() const { return sizes_total_; }

 private:
  // The chunk holding file `i`, with *k its position there.
  const FoundChunk& ChunkOf(std::size_t i, std::size_t* k) const;

  std::vector<std::unique_ptr<FoundChunk>> chunks_;
  std::vector<std::size_t> starts_;  // each chunk's first position
  std::size_t count_ = 0;
  ByteCount sizes_total_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_FOUND_FILES_H_
