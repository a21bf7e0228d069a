// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/access_times.h"

namespace qm {
namespace {

bool ToTell(const MountEntry& entry) { return entry.KeepsNoAccessTimes() || entry.IsFuse(); }

}  // namespace

AccessTimeMounts::AccessTimeMounts(std::shared_ptr<const MountTable> mounts)
    : mounts_(std::move(mounts)) {
  const std::vector<MountEntry>& entries = mounts_->entries();
  told_ = std::make_unique<std::atomic<bool>[]>(entries.size());
  // One verdict per device: the mount to tell of when it is the device's
  // only one; every mount keeps access times; or ask.
  for (std::size_t i = 0; i < entries.size(); ++i) {
    told_[i].store(false, std::memory_order_relaxed);
    const bool tell = ToTell(entries[i]);
    const auto [it, first] = verdicts_.try_emplace(entries[i].dev, tell ? int(i) : kKeeps);
    if (!first && (tell || it->second != kKeeps)) it->second = kAsk;
  }
}

int AccessTimeMounts::Verdict(dev_t dev) const {
  const auto it = verdicts_.find(dev);
  return it == verdicts_.end() ? kAsk : it->second;
}

std::optional<SearchNote> AccessTimeMounts::Tell(int entry) {
  if (told_[static_cast<std::size_t>(entry)].exchange(true)) return std::nullopt;
  const MountEntry& mount = mounts_->entries()[static_cast<std::size_t>(entry)];
  SearchNote note;
  note.kind = mount.KeepsNoAccessTimes() ? SearchNote::Kind::kNoAccessTimes
                                         : SearchNote::Kind::kFuseAccessTimes;
  note.mount_point = mount.point;
  return note;
}

std::optional<SearchNote> AccessTimeMounts::Reached(dev_t dev, int dir_fd) {
  const int verdict = Verdict(dev);
  if (verdict == kKeeps) return std::nullopt;
  if (verdict >= 0) return Tell(verdict);
  // The folder's own mount tells.
  std::uint64_t id = 0;
  if (!MountIdAt(dir_fd, "", &id)) return std::nullopt;
  const MountEntry* mount = mounts_->ById(id);
  if (!mount || !ToTell(*mount)) return std::nullopt;
  return Tell(static_cast<int>(mount - mounts_->entries().data()));
}

}  // namespace qm
