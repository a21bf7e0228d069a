// SPDX-License-Identifier: GPL-3.0-or-later
// The run lists of one search: every file gathered, with the stamp and the
// identity read for it, kept compactly for a search of millions of files.
// Plain data: the result list shows it through an adapter of its own
// (app/found_rows.h), and the read-ahead reads its paths through another.
//
// Files are gathered folder by folder: a folder's path is kept once, and each
// file as its name, in one growing store of UTF-8 bytes.  A file's stamp is
// a number, its identity an inode, a type and birth, and an index into a
// small table of devices, and its size.  About 48 bytes per file beside its
// name.
//
// Gathering runs in two steps, as the search does: names are added (the
// row's path list), then taken one by one into the found files, each with
// its stamp.  Positions count from 0 over every file added, taken or not.
#ifndef QUENMOOR_SEARCH_FOUND_FILES_H_
#define QUENMOOR_SEARCH_FOUND_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/block_store.h"
#include "platform/file_id.h"
#include "search/time_stamps.h"

namespace qm {

class FoundFiles {
 public:
  FoundFiles() = default;
  FoundFiles(const FoundFiles&) = delete;
  FoundFiles& operator=(const FoundFiles&) = delete;

  // Gathering.  AddFolder() starts the files of a folder (its path ends in
  // "/"); AddName() adds a file of the folder last started to the path list.
  void AddFolder(std::string_view folder);
  void AddName(std::string_view name);
  // Files on the path list, not yet taken; the next is at position Count().
  std::size_t Pending() const { return names_.size() - taken_; }
  // Takes the next file of the path list into the found files, with an
  // empty stamp and no identity.  Throws Failure when there is none.
  void Take();
  // Sets the stamp and identity of found file `i`.
  void SetStamp(std::size_t i, const Stamp& stamp, const FileId& id);

  // Files taken.
  std::size_t Count() const { return taken_; }
  // The path of file `i` (taken or pending), as its folder and its name.
  void Parts(std::size_t i, std::string_view* folder, std::string_view* name) const;
  Stamp StampAt(std::size_t i) const;
  FileId IdAt(std::size_t i) const;
  // The size of file `i` in bytes, -1 where unknown.
  std::int64_t SizeAt(std::size_t i) const { return sizes_[i]; }

 private:
  // The files of one folder, from `first` on.
  struct Run {
    std::uint64_t folder_at;   // in folder_text_
    std::uint32_t folder_size;
    std::uint32_t first;       // the run's first file
    std::uint64_t names_at;    // where its names start in the name store
  };

  const Run& RunOf(std::size_t i) const;
  std::uint16_t DeviceIndex(std::uint32_t device);

  std::string folder_text_;
  std::vector<Run> runs_;
  // Names, each a length byte and its bytes.
  BlockStore names_store_;
  std::vector<std::uint32_t> names_;   // each file's name, from its run's start
  std::size_t taken_ = 0;
  std::vector<double> stamps_;         // NaN for an empty stamp
  std::vector<std::int64_t> sizes_;    // -1 where unknown
  std::vector<std::uint64_t> inodes_;
  std::vector<std::uint32_t> kinds_;   // FileId::kind
  std::vector<std::uint16_t> devices_; // into device_table_
  std::vector<std::uint32_t> device_table_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_FOUND_FILES_H_
