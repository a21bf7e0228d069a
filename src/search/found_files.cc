// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/found_files.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/failure.h"

namespace qm {
namespace {

constexpr std::uint16_t kUnknownDevice = 0xFFFF;
// Positions the result list can refer to (a row keeps two bits of its own).
constexpr std::size_t kMaxFiles = (std::size_t{1} << 30) - 1;

}  // namespace

void FoundChunk::AddFolder(std::string_view folder) {
  if (!runs_.empty() && runs_.back().first == name_ends_.size()) {
    // The last folder had no file: its run is taken over.
    folders_.resize(runs_.back().folder_at);
    runs_.pop_back();
  }
  if (folders_.size() + folder.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Failure(kErrOutOfMemory);
  }
  Run run;
  run.folder_at = static_cast<std::uint32_t>(folders_.size());
  run.folder_size = static_cast<std::uint32_t>(folder.size());
  run.first = static_cast<std::uint32_t>(name_ends_.size());
  folders_.append(folder);
  runs_.push_back(run);
}

std::uint16_t FoundChunk::DeviceIndex(std::uint32_t device) {
  for (std::size_t k = device_table_.size(); k-- > 0;) {
    if (device_table_[k] == device) return static_cast<std::uint16_t>(k);
  }
  if (device_table_.size() >= kUnknownDevice) return kUnknownDevice;
  device_table_.push_back(device);
  return static_cast<std::uint16_t>(device_table_.size() - 1);
}

void FoundChunk::Add(std::string_view name, const Stamp& stamp, const FileId& id) {
  if (runs_.empty() || names_.size() + name.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Failure(kErrInvalidCall);
  }
  names_.append(name);
  name_ends_.push_back(static_cast<std::uint32_t>(names_.size()));
  stamps_.push_back(stamp.empty ? std::numeric_limits<double>::quiet_NaN() : stamp.value);
  sizes_.push_back(stamp.size);
  inodes_.push_back(id.ino);
  kinds_.push_back(id.kind);
  devices_.push_back(id.Known() ? DeviceIndex(id.dev) : kUnknownDevice);
}

void FoundChunk::Append(const FoundChunk& other) {
  if (other.empty()) return;
  if (folders_.size() + other.folders_.size() > std::numeric_limits<std::uint32_t>::max() ||
      names_.size() + other.names_.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw Failure(kErrOutOfMemory);
  }
  // A folder of this chunk left without files gives way, as in AddFolder.
  if (!runs_.empty() && runs_.back().first == name_ends_.size()) {
    folders_.resize(runs_.back().folder_at);
    runs_.pop_back();
  }
  const auto folder_base = static_cast<std::uint32_t>(folders_.size());
  const auto file_base = static_cast<std::uint32_t>(name_ends_.size());
  const auto name_base = static_cast<std::uint32_t>(names_.size());
  folders_.append(other.folders_);
  for (Run run : other.runs_) {
    run.folder_at += folder_base;
    run.first += file_base;
    runs_.push_back(run);
  }
  names_.append(other.names_);
  for (std::uint32_t end : other.name_ends_) name_ends_.push_back(end + name_base);
  stamps_.insert(stamps_.end(), other.stamps_.begin(), other.stamps_.end());
  sizes_.insert(sizes_.end(), other.sizes_.begin(), other.sizes_.end());
  inodes_.insert(inodes_.end(), other.inodes_.begin(), other.inodes_.end());
  kinds_.insert(kinds_.end(), other.kinds_.begin(), other.kinds_.end());
  // The other chunk's devices, as this chunk numbers them (a search meets
  // few devices; the rest are looked up one by one).
  std::uint16_t device_map[8];
  const std::size_t mapped = std::min<std::size_t>(8, other.device_table_.size());
  for (std::size_t k = 0; k < mapped; ++k) device_map[k] = DeviceIndex(other.device_table_[k]);
  for (std::uint16_t d : other.devices_) {
    devices_.push_back(d == kUnknownDevice ? kUnknownDevice
                       : d < mapped        ? device_map[d]
                                           : DeviceIndex(other.device_table_[d]));
  }
}

void FoundChunk::Reserve(std::size_t files, std::size_t name_bytes) {
  names_.reserve(names_.size() + name_bytes);
  name_ends_.reserve(name_ends_.size() + files);
  stamps_.reserve(stamps_.size() + files);
  sizes_.reserve(sizes_.size() + files);
  inodes_.reserve(inodes_.size() + files);
  kinds_.reserve(kinds_.size() + files);
  devices_.reserve(devices_.size() + files);
}

void FoundChunk::Trim() {
  // Room already taken is given back only where it is much: the copy that
  // gives it back costs more than a little room does.
  if (name_ends_.capacity() - name_ends_.size() < name_ends_.size() / 8 &&
      names_.capacity() - names_.size() < names_.size() / 8) {
    return;
  }
  folders_.shrink_to_fit();
  runs_.shrink_to_fit();
  names_.shrink_to_fit();
  name_ends_.shrink_to_fit();
  stamps_.shrink_to_fit();
  sizes_.shrink_to_fit();
  inodes_.shrink_to_fit();
  kinds_.shrink_to_fit();
  devices_.shrink_to_fit();
}

const FoundChunk::Run& FoundChunk::RunOf(std::size_t i) const {
  auto it = std::upper_bound(runs_.begin(), runs_.end(), i,
                             [](std::size_t file, const Run& run) { return file < run.first; });
  return *(it - 1);
}

void FoundChunk::Parts(std::size_t i, std::string_view* folder, std::string_view* name) const {
  const Run& run = RunOf(i);
  *folder = std::string_view(folders_).substr(run.folder_at, run.folder_size);
  const std::uint32_t start = i == 0 ? 0 : name_ends_[i - 1];
  *name = std::string_view(names_).substr(start, name_ends_[i] - start);
}

std::string FoundChunk::Path(std::size_t i) const {
  std::string_view folder, name;
  Parts(i, &folder, &name);
  std::string path;
  path.reserve(folder.size() + name.size());
  path.append(folder).append(name);
  return path;
}

Stamp FoundChunk::StampAt(std::size_t i) const {
  Stamp stamp;
  stamp.empty = std::isnan(stamps_[i]);
  stamp.value = stamp.empty ? 0 : stamps_[i];
  stamp.size = sizes_[i];
  return stamp;
}

FileId FoundChunk::IdAt(std::size_t i) const {
  FileId id;
  id.ino = inodes_[i];
  id.kind = kinds_[i];
  id.dev = devices_[i] == kUnknownDevice ? 0 : device_table_[devices_[i]];
  return id;
}

void FoundFiles::Append(std::unique_ptr<FoundChunk> chunk) {
  if (!chunk || chunk->empty()) return;
  if (count_ + chunk->Count() > kMaxFiles) throw Failure(kErrOutOfMemory);
  starts_.push_back(count_);
  count_ += chunk->Count();
  sizes_total_ += chunk->SizesTotal();
  chunks_.push_back(std::move(chunk));
}

ByteCount FoundChunk::SizesTotal() const {
  ByteCount total = 0;
  for (std::int64_t size : sizes_) total += static_cast<ByteCount>(std::max<std::int64_t>(0, size));
  return total;
}

const FoundChunk& FoundFiles::ChunkOf(std::size_t i, std::size_t* k) const {
  // Rows are mostly visited in order: first try the chunk visited last on
  // this thread.
  thread_local const FoundFiles* last_files = nullptr;
  thread_local std::size_t last = 0;
  std::size_t c;
  if (last_files == this && last < chunks_.size() && starts_[last] <= i &&
      i - starts_[last] < chunks_[last]->Count()) {
    c = last;
  } else {
    c = static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), i) -
                                 starts_.begin()) -
        1;
    last_files = this;
    last = c;
  }
  *k = i - starts_[c];
  return *chunks_[c];
}

void FoundFiles::Parts(std::size_t i, std::string_view* folder, std::string_view* name) const {
  std::size_t k;
  ChunkOf(i, &k).Parts(k, folder, name);
}

std::string FoundFiles::Path(std::size_t i) const {
  std::size_t k;
  return ChunkOf(i, &k).Path(k);
}

Stamp FoundFiles::StampAt(std::size_t i) const {
  std::size_t k;
  return ChunkOf(i, &k).StampAt(k);
}

FileId FoundFiles::IdAt(std::size_t i) const {
  std::size_t k;
  return ChunkOf(i, &k).IdAt(k);
}

std::int64_t FoundFiles::SizeAt(std::size_t i) const {
  std::size_t k;
  return ChunkOf(i, &k).SizeAt(k);
}

}  // namespace qm
