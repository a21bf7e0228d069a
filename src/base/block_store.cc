// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/block_store.h"

#include <sys/mman.h>

#include <new>

namespace qm {

char* BlockStore::Add(std::size_t size, std::uint64_t* at) {
  if (size > kBlock) throw std::bad_alloc();
  if (size_ >= blocks_.size() * kBlock || size_ % kBlock + size > kBlock) {
    void* block =
        ::mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    blocks_.push_back(static_cast<char*>(block));
    size_ = (blocks_.size() - 1) * kBlock;
  }
  *at = size_;
  size_ += size;
  return At(*at);
}

void BlockStore::Clear() {
  for (char* block : blocks_) ::munmap(block, kBlock);
  std::vector<char*>().swap(blocks_);
  size_ = 0;
}

}  // namespace qm
