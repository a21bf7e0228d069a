// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/found_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/failure.h"

namespace qm {
namespace {

// Positions the result list can refer to (a row keeps two bits of its own).
constexpr std::size_t kMaxFiles = (1u << 30) - 1;
constexpr std::uint16_t kUnknownDevice = 0xFFFF;

}  // namespace

void FoundFiles::AddFolder(std::string_view folder) {
  Run run;
  run.folder_at = folder_text_.size();
  run.folder_size = static_cast<std::uint32_t>(folder.size());
  run.first = static_cast<std::uint32_t>(names_.size());
  run.names_at = names_store_.End();
  folder_text_.append(folder);
  runs_.push_back(run);
}

void FoundFiles::AddName(std::string_view name) {
  if (runs_.empty() || name.size() > 255 || names_.size() >= kMaxFiles) {
    throw Failure(kErrInvalidCall);
  }
  std::uint64_t at = 0;
  char* record = names_store_.Add(name.size() + 1, &at);
  std::uint64_t offset = at - runs_.back().names_at;
  if (offset > std::numeric_limits<std::uint32_t>::max()) {
    // The folder's names no longer fit one run's offsets: go on in another.
    Run next = runs_.back();
    next.first = static_cast<std::uint32_t>(names_.size());
    next.names_at = at;
    runs_.push_back(next);
    offset = 0;
  }
  record[0] = static_cast<char>(name.size());
  std::memcpy(record + 1, name.data(), name.size());
  names_.push_back(static_cast<std::uint32_t>(offset));
}

void FoundFiles::Take() {
  if (taken_ >= names_.size()) throw Failure(kErrInvalidCall);
  if (stamps_.capacity() == stamps_.size()) {
    // Room for the rest of the path list at once, so the lists grow once per
    // folder row rather than doubling under the window.
    const std::size_t room = names_.size();
    stamps_.reserve(room);
    sizes_.reserve(room);
    inodes_.reserve(room);
    kinds_.reserve(room);
    devices_.reserve(room);
  }
  stamps_.push_back(std::numeric_limits<double>::quiet_NaN());
  sizes_.push_back(-1);
  inodes_.push_back(0);
  kinds_.push_back(0);
  devices_.push_back(kUnknownDevice);
  ++taken_;
}

std::uint16_t FoundFiles::DeviceIndex(std::uint32_t device) {
  for (std::size_t k = device_table_.size(); k-- > 0;) {
    if (device_table_[k] == device) return static_cast<std::uint16_t>(k);
  }
  if (device_table_.size() >= kUnknownDevice) return kUnknownDevice;
  device_table_.push_back(device);
  return static_cast<std::uint16_t>(device_table_.size() - 1);
}

void FoundFiles::SetStamp(std::size_t i, const Stamp& stamp, const FileId& id) {
  stamps_[i] = stamp.empty ? std::numeric_limits<double>::quiet_NaN() : stamp.value;
  sizes_[i] = stamp.size;
  inodes_[i] = id.ino;
  kinds_[i] = id.kind;
  devices_[i] = id.Known() ? DeviceIndex(id.dev) : kUnknownDevice;
}

const FoundFiles::Run& FoundFiles::RunOf(std::size_t i) const {
  // Files are mostly visited in order: first try the run of the file
  // visited last on this thread (workers read paths too), and the one
  // after it.
  thread_local const FoundFiles* last_files = nullptr;
  thread_local std::size_t last = 0;
  if (last_files == this) {
    for (std::size_t r = last; r < runs_.size() && r <= last + 1; ++r) {
      if (runs_[r].first <= i && (r + 1 == runs_.size() || i < runs_[r + 1].first)) {
        last = r;
        return runs_[r];
      }
    }
  }
  auto it = std::upper_bound(runs_.begin(), runs_.end(), i,
                             [](std::size_t file, const Run& run) { return file < run.first; });
  last_files = this;
  last = static_cast<std::size_t>(it - runs_.begin()) - 1;
  return runs_[last];
}

void FoundFiles::Parts(std::size_t i, std::string_view* folder, std::string_view* name) const {
  const Run& run = RunOf(i);
  *folder = std::string_view(folder_text_.data() + run.folder_at, run.folder_size);
  const char* p = names_store_.At(run.names_at + names_[i]);
  *name = std::string_view(p + 1, static_cast<unsigned char>(p[0]));
}

Stamp FoundFiles::StampAt(std::size_t i) const {
  Stamp stamp;
  stamp.empty = std::isnan(stamps_[i]);
  stamp.value = stamp.empty ? 0 : stamps_[i];
  return stamp;
}

FileId FoundFiles::IdAt(std::size_t i) const {
  FileId id;
  id.ino = inodes_[i];
  id.kind = kinds_[i];
  id.dev = devices_[i] == kUnknownDevice ? 0 : device_table_[devices_[i]];
  return id;
}

}  // namespace qm
