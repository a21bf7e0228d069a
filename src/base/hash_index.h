// SPDX-License-Identifier: GPL-3.0-or-later
// An index that finds items kept elsewhere (in a vector, a block store) by
// their key: open addressing with linear probing over the items' numbers,
// kept at most half full.  No allocation per item, and dropped at once.
//
// The index holds no keys: Find() and Add() are given the key's hash and a
// test that tells whether item k has that key; growing asks `hash_of(k)`
// for the hash of each item filed.
#ifndef QUENMOOR_BASE_HASH_INDEX_H_
#define QUENMOOR_BASE_HASH_INDEX_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

class HashIndex {
 public:
  static constexpr std::uint32_t kNone = ~std::uint32_t{0};

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  // The item filed under `hash` for which `is(k)` holds, or kNone.
  template <class Is>
  std::uint32_t Find(std::size_t hash, Is&& is) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint32_t k = slots_[at];
      if (k == 0) return kNone;
      if (is(k - 1)) return k - 1;
    }
  }

  // The item filed under `hash` for which `is(k)` holds; when there is
  // none, files `item` under `hash` and returns kNone.
  template <class Is, class HashOf>
  std::uint32_t FindOrAdd(std::size_t hash, std::uint32_t item, Is&& is, HashOf&& hash_of) {
    if ((count_ + 1) * 2 > slots_.size()) Grow(hash_of);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const std::uint32_t k = slots_[at];
      if (k == 0) {
        slots_[at] = item + 1;
        ++count_;
        return kNone;
      }
      if (is(k - 1)) return k - 1;
    }
  }

  void Clear() {
    std::vector<std::uint32_t>().swap(slots_);
    count_ = 0;
  }

 private:
  template <class HashOf>
  void Grow(HashOf& hash_of) {
    std::vector<std::uint32_t> old(std::max<std::size_t>(1024, slots_.size() * 2), 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const std::uint32_t k : old) {
      if (k == 0) continue;
      std::size_t at = hash_of(k - 1) & mask;
      while (slots_[at] != 0) at = (at + 1) & mask;
      slots_[at] = k;
    }
  }

  std::vector<std::uint32_t> slots_;  // item number + 1, 0 for a free slot
  std::size_t count_ = 0;
};

}  // namespace qm

#endif  // QUENMOOR_BASE_HASH_INDEX_H_
