// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/walked_listings.h"

#include <cstring>
#include <functional>
#include <string>

namespace qm {
namespace {

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

std::size_t HashOf(std::string_view path) { return std::hash<std::string_view>()(path); }

}  // namespace

std::string_view WalkedListings::PathOf(std::uint32_t k) const {
  const char* p = store_.At(records_[k].at);
  const auto size = Get<std::uint32_t>(p);
  return std::string_view(p, size);
}

bool WalkedListings::Add(const Listing& listing, std::size_t max_entries) {
  if (entries_ + listing.entries.size() > max_entries) return false;
  std::size_t size = sizeof(std::uint32_t) + listing.path.size() + 3 * sizeof(std::int32_t);
  for (const ListedEntry& e : listing.entries) {
    size += sizeof(std::uint64_t) + 2 + e.name_length;
  }
  if (size > BlockStore::kBlock) return false;
  std::uint64_t record = 0;
  char* at = store_.Add(size, &record);
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
  const std::string_view path = listing.path;
  const std::size_t hash = HashOf(path);
  const auto k = static_cast<std::uint32_t>(records_.size());
  const std::uint32_t earlier = index_.FindOrAdd(
      hash, k, [&](std::uint32_t j) { return records_[j].hash == hash && PathOf(j) == path; },
      [&](std::uint32_t j) { return records_[j].hash; });
  if (earlier == kNone) {
    records_.push_back(Record{record, hash});
  } else {
    // A folder walked again (by an earlier walk no gathering took): the
    // later listing is the one.
    records_[earlier].at = record;
  }
  return true;
}

std::uint32_t WalkedListings::Find(std::string_view folder, std::string_view name) const {
  if (index_.empty()) return kNone;
  std::string path;
  path.reserve(folder.size() + name.size());
  path.append(folder).append(name);
  const std::size_t hash = HashOf(path);
  return index_.Find(hash, [&](std::uint32_t k) {
    return records_[k].hash == hash && PathOf(k) == path;
  });
}

std::shared_ptr<const Listing> WalkedListings::Unpack(std::uint32_t k) const {
  const char* p = store_.At(records_[k].at);
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
  store_.Clear();
  std::vector<Record>().swap(records_);
  index_.Clear();
  entries_ = 0;
}

}  // namespace qm
