// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes stored one record after another in blocks of 1 MiB taken straight
// from the system and given back to it all at once, so a store of a
// million records costs no allocation per record and leaves nothing behind
// in the heap.  A record lies in one block and never moves; it is named by
// where it starts, counting over whole blocks.
#ifndef QUENMOOR_BASE_BLOCK_STORE_H_
#define QUENMOOR_BASE_BLOCK_STORE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

class BlockStore {
 public:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;

  BlockStore() = default;
  ~BlockStore() { Clear(); }
  BlockStore(const BlockStore&) = delete;
  BlockStore& operator=(const BlockStore&) = delete;

  // Room for a record of `size` bytes (at most kBlock), in *at where it
  // starts; what is left of a block too short for it stays unused.  Throws
  // std::bad_alloc when the system has no memory to give.
  char* Add(std::size_t size, std::uint64_t* at);

  char* At(std::uint64_t at) { return blocks_[at / kBlock] + at % kBlock; }
  const char* At(std::uint64_t at) const { return blocks_[at / kBlock] + at % kBlock; }

  // Where the next record would start if it fits the last block.
  std::uint64_t End() const { return size_; }
  bool empty() const { return blocks_.empty(); }

  void Clear();

 private:
  std::vector<char*> blocks_;
  std::uint64_t size_ = 0;  // bytes used, counted over whole blocks
};

}  // namespace qm

#endif  // QUENMOOR_BASE_BLOCK_STORE_H_
