#include "platform/walked_listings.h"

#include <sys/mman.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/read_ahead.h"

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
  records_.push_back(size_);
  size_ += size;
  return at;
}

bool WalkedListings::Add(const Listing& listing, std::size_t max_entries) {
  if (entries_ + listing.entries.size() > max_entries) return false;
  std::size_t size = sizeof(std::uint32_t) + listing.path.size() + 3 * sizeof(std::int32_t);
  for (const ListedEntry& e : listing.entries) {
    size += sizeof(std::uint64_t) + 2 + e.name_length;
  }
  char* at = Reserve(size);
  if (!at) return false;
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
  return true;
}

std::string_view WalkedListings::PathAt(std::uint64_t at) const {
  const char* p = blocks_[at / kBlock] + at % kBlock;
  const auto size = Get<std::uint32_t>(p);
  return std::string_view(p, size);
}

std::vector<std::uint64_t> WalkedListings::Match(const AheadPaths& paths,
                                                 std::size_t look_ahead) const {
  std::vector<std::uint64_t> found(paths.Count(), kNone);
  std::size_t next = 0;
  std::string path;
  for (std::size_t i = 0; i < paths.Count() && next < records_.size(); ++i) {
    std::string_view folder, name;
    paths.Parts(i, &folder, &name);
    path.assign(folder).append(name);
    // The first path is looked for among all the listings kept, in case an
    // earlier walk left some that no gathering took.
    const std::size_t reach = i == 0 ? records_.size() : look_ahead;
    for (std::size_t k = next; k < records_.size() && k < next + reach; ++k) {
      if (PathAt(records_[k]) == path) {
        found[i] = records_[k];
        next = k + 1;
        break;
      }
    }
  }
  return found;
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

void WalkedListings::ReleaseBefore(std::uint64_t at) {
  for (std::size_t k = 0; k < blocks_.size() && (k + 1) * kBlock <= at; ++k) {
    if (blocks_[k]) {
      ::munmap(blocks_[k], kBlock);
      blocks_[k] = nullptr;
    }
  }
}

void WalkedListings::Clear() {
  for (char* block : blocks_) {
    if (block) ::munmap(block, kBlock);
  }
  std::vector<char*>().swap(blocks_);
  std::vector<std::uint64_t>().swap(records_);
  size_ = 0;
  entries_ = 0;
}

}  // namespace qm
