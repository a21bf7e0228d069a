// SPDX-License-Identifier: GPL-3.0-or-later
// Folder status by path, kept in a few flat lists so that it is dropped at
// once: the walk reads each folder's status again for every level above
// it, and the first answer, kept here, serves the others (stage_memo.h).
#ifndef QUENMOOR_SEARCH_READ_AHEAD_KEPT_STATUS_H_
#define QUENMOOR_SEARCH_READ_AHEAD_KEPT_STATUS_H_

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/hash_index.h"

namespace qm {

class KeptStatus {
 public:
  bool empty() const { return entries_.empty(); }

  void Insert(std::string_view path, const struct stat& st) {
    const auto k = static_cast<std::uint32_t>(entries_.size());
    const std::size_t hash = Hash(path);
    const std::uint32_t kept = index_.FindOrAdd(
        hash, k, [&](std::uint32_t j) { return PathOf(j) == path; },
        [&](std::uint32_t j) { return entries_[j].hash; });
    if (kept != HashIndex::kNone) {
      entries_[kept].st = st;
      return;
    }
    entries_.push_back(Entry{text_.size(), path.size(), hash, st});
    text_.append(path);
  }

  const struct stat* Find(std::string_view path) const {
    const std::uint32_t k =
        index_.Find(Hash(path), [&](std::uint32_t j) { return PathOf(j) == path; });
    return k == HashIndex::kNone ? nullptr : &entries_[k].st;
  }

  void Clear() {
    std::string().swap(text_);
    std::vector<Entry>().swap(entries_);
    index_.Clear();
  }

 private:
  struct Entry {
    std::size_t at, size;
    std::size_t hash;
    struct stat st;
  };
  static std::size_t Hash(std::string_view path) { return std::hash<std::string_view>()(path); }
  std::string_view PathOf(std::uint32_t k) const {
    return std::string_view(text_).substr(entries_[k].at, entries_[k].size);
  }

  std::string text_;
  std::vector<Entry> entries_;
  HashIndex index_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_KEPT_STATUS_H_
