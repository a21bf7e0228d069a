// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/access_times.h"

#include <algorithm>

namespace qm {
namespace {

bool ToTell(const MountEntry& entry) { return entry.KeepsNoAccessTimes() || entry.IsFuse(); }

}  // namespace

AccessTimeMounts::AccessTimeMounts(std::shared_ptr<const MountTable> mounts)
    : mounts_(std::move(mounts)) {
  const std::vector<MountEntry>& entries = mounts_->entries();
  told_ = std::make_unique<std::atomic<bool>[]>(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    told_[i].store(false, std::memory_order_relaxed);
    devices_.emplace_back(entries[i].dev, static_cast<int>(i));
  }
  std::stable_sort(devices_.begin(), devices_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // One verdict per device.
  std::vector<std::pair<dev_t, int>> verdicts;
  for (std::size_t i = 0; i < devices_.size();) {
    std::size_t end = i;
    bool keeps = true, tells = true;
    while (end < devices_.size() && devices_[end].first == devices_[i].first) {
      const bool tell = ToTell(entries[static_cast<std::size_t>(devices_[end].second)]);
      keeps = keeps && !tell;
      tells = tells && tell;
      ++end;
    }
    const int verdict = keeps ? kKeeps : (tells && end - i == 1) ? devices_[i].second : kAsk;
    verdicts.emplace_back(devices_[i].first, verdict);
    i = end;
  }
  devices_ = std::move(verdicts);
}

int AccessTimeMounts::Verdict(dev_t dev) const {
  const auto it = std::lower_bound(devices_.begin(), devices_.end(), dev,
                                   [](const auto& entry, dev_t d) { return entry.first < d; });
  if (it == devices_.end() || it->first != dev) return kAsk;
  return it->second;
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
