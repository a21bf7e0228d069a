// SPDX-License-Identifier: GPL-3.0-or-later
// Folder status by path, in a few flat blocks so that it is dropped at
// once: the walk reads each folder's status again for every level above it,
// and the first answer, kept here, serves the others (read_ahead.h).
#ifndef QUENMOOR_PLATFORM_KEPT_STATUS_H_
#define QUENMOOR_PLATFORM_KEPT_STATUS_H_

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class KeptStatus {
 public:
  bool empty() const { return entries_.empty(); }

  void Insert(std::string_view path, const struct stat& st) {
    if (const struct stat* kept = Find(path)) {
      *const_cast<struct stat*>(kept) = st;
      return;
    }
    if ((entries_.size() + 1) * 2 > table_.size()) Grow();
    entries_.push_back(Entry{text_.size(), path.size(), st});
    text_.append(path);
    Place(static_cast<std::uint32_t>(entries_.size()));
  }

  const struct stat* Find(std::string_view path) const {
    if (table_.empty()) return nullptr;
    const std::size_t mask = table_.size() - 1;
    for (std::size_t at = std::hash<std::string_view>()(path) & mask;; at = (at + 1) & mask) {
      const std::uint32_t k = table_[at];
      if (k == 0) return nullptr;
      const Entry& e = entries_[k - 1];
      if (std::string_view(text_).substr(e.at, e.size) == path) return &e.st;
    }
  }

  void Clear() {
    std::string().swap(text_);
    std::vector<Entry>().swap(entries_);
    std::vector<std::uint32_t>().swap(table_);
  }

 private:
  struct Entry {
    std::size_t at, size;
    struct stat st;
  };
  void Place(std::uint32_t k) {
    const Entry& e = entries_[k - 1];
    const std::size_t mask = table_.size() - 1;
    std::size_t at =
        std::hash<std::string_view>()(std::string_view(text_).substr(e.at, e.size)) & mask;
    while (table_[at] != 0) at = (at + 1) & mask;
    table_[at] = k;
  }
  void Grow() {
    table_.assign(std::max<std::size_t>(1024, table_.size() * 2), 0);
    for (std::uint32_t k = 1; k <= entries_.size(); ++k) Place(k);
  }

  std::string text_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> table_;  // entry number + 1, 0 for none
};

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_KEPT_STATUS_H_
