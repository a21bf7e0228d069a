// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/walked_listings.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <string>


namespace qm {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

// A record: its path, the two failures, the entries; each entry its inode,
// type, name length and name.
template <class T>
void Put(char*& at, const T& value) {
  std::memcpy(at, &value, sizeof value);
  at += sizeof value;
}

template <class T>
T Get(const char*& at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  at += sizeof value;
  return value;
}

}  // namespace

char* WalkedListings::Reserve(std::size_t size) {
  if (size > kBlock) return nullptr;
  if (size_ >= blocks_.size() * kBlock || size_ % kBlock + size > kBlock) {
    void* block = ::mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                         -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    size_ = blocks_.size() * kBlock;
    blocks_.push_back(static_cast<char*>(block));
  }
  char* at = blocks_[size_ / kBlock] + size_ % kBlock;
  size_ += size;
  return at;
}

void WalkedListings::Index(std::uint64_t at) {
  if ((listings_ + 1) * 2 > index_.size()) {
    std::vector<std::uint64_t> old(std::max<std::size_t>(1024, index_.size() * 2), kNone);
    old.swap(index_);
    listings_ = 0;
    for (std::uint64_t kept : old) {
      if (kept != kNone) Index(kept);
    }
  }
  const std::string_view path = PathAt(at);
  const std::size_t mask = index_.size() - 1;
  for (std::size_t k = std::hash<std::string_view>()(path) & mask;; k = (k + 1) & mask) {
    if (index_[k] == kNone) {
      index_[k] = at;
      ++listings_;
      return;
    }
    // A folder walked again (by an earlier walk no gathering took): the
    // later listing is the one.
    if (PathAt(index_[k]) == path) {
      index_[k] = at;
      return;
    }
  }
}

bool WalkedListings::Add(const Listing& listing, std::size_t max_entries) {
  if (entries_ + listing.entries.size() > max_entries) return false;
  std::size_t size = sizeof(std::uint32_t) + listing.path.size() + 3 * sizeof(std::int32_t);
  for (const ListedEntry& e : listing.entries) {
    size += sizeof(std::uint64_t) + 2 + e.name_length;
  }
  char* at = Reserve(size);
  if (!at) return false;
  const std::uint64_t record = size_ - size;
  entries_ += listing.entries.size();
  Put(at, static_cast<std::uint32_t>(listing.path.size()));
  std::memcpy(at, listing.path.data(), listing.path.size());
  at += listing.path.size();
  Put(at, static_cast<std::int32_t>(listing.open_err));
  Put(at, static_cast<std::int32_t>(listing.read_err));
  Put(at, static_cast<std::int32_t>(listing.entries.size()));
  for (const ListedEntry& e : listing.entries) {
    Put(at, static_cast<std::uint64_t>(e.ino));
    Put(at, e.type);
    Put(at, static_cast<unsigned char>(e.name_length));
    std::memcpy(at, listing.names.data() + e.name_at, e.name_length);
    at += e.name_length;
  }
  Index(record);
  return true;
}

std::string_view WalkedListings::PathAt(std::uint64_t at) const {
  const char* p = blocks_[at / kBlock] + at % kBlock;
  const auto size = Get<std::uint32_t>(p);
  return std::string_view(p, size);
}

std::uint64_t WalkedListings::Find(std::string_view folder, std::string_view name) const {
  if (index_.empty()) return kNone;
  std::string path;
  path.reserve(folder.size() + name.size());
  path.append(folder).append(name);
  const std::size_t mask = index_.size() - 1;
  for (std::size_t k = std::hash<std::string_view>()(path) & mask;; k = (k + 1) & mask) {
    const std::uint64_t at = index_[k];
    if (at == kNone) return kNone;
    if (PathAt(at) == path) return at;
  }
}

std::shared_ptr<const Listing> WalkedListings::Unpack(std::uint64_t at) const {
  const char* p = blocks_[at / kBlock] + at % kBlock;
  auto listing = std::make_shared<Listing>();
  const auto path_size = Get<std::uint32_t>(p);
  listing->path.assign(p, path_size);
  p += path_size;
  listing->open_err = Get<std::int32_t>(p);
  listing->read_err = Get<std::int32_t>(p);
  const auto count = Get<std::int32_t>(p);
  listing->entries.resize(static_cast<std::size_t>(count));
  for (ListedEntry& e : listing->entries) {
    e.ino = static_cast<ino_t>(Get<std::uint64_t>(p));
    e.type = Get<unsigned char>(p);
    e.name_length = Get<unsigned char>(p);
    e.name_at = static_cast<std::uint32_t>(listing->names.size());
    listing->names.append(p, e.name_length).push_back('\0');
    p += e.name_length;
  }
  return listing;
}

void WalkedListings::Clear() {
  for (char* block : blocks_) ::munmap(block, kBlock);
  std::vector<char*>().swap(blocks_);
  std::vector<std::uint64_t>().swap(index_);
  size_ = 0;
  entries_ = 0;
  listings_ = 0;
}

}  // namespace qm
