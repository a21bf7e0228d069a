// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/plan_cursor.h"

#include <cstring>

namespace qm {

void PlanCursor::Start(AheadKind kind, const AheadPaths* paths, std::size_t part_paths) {
  kind_ = kind;
  count_ = paths->Count();
  paths_ = count_ > 0 ? paths : nullptr;
  part_paths_ = part_paths;
  pos_ = 0;
  asked_ = false;
  held_part_ = kNone;
  held_first_ = held_end_ = 0;
  held_.reset();
}

void PlanCursor::End() {
  paths_ = nullptr;
  count_ = 0;
  held_part_ = kNone;
  held_first_ = held_end_ = 0;
  held_.reset();
}

bool PlanCursor::Matches(std::size_t i, std::string_view path) const {
  std::string_view folder, name;
  if (held_ && i >= held_first_ && i < held_end_ && i - held_first_ < held_->paths.size()) {
    const PathParts& parts = held_->paths[i - held_first_];
    folder = parts.folder;
    name = parts.name;
  } else {
    paths_->Parts(i, &folder, &name);
  }
  // Paths of one folder differ at their ends: the name is compared first.
  return path.size() == folder.size() + name.size() &&
         std::memcmp(path.data() + folder.size(), name.data(), name.size()) == 0 &&
         std::memcmp(path.data(), folder.data(), folder.size()) == 0;
}

std::size_t PlanCursor::Locate(std::string_view path) {
  if (!paths_) return kNone;
  // Most calls ask for the path after the last one; then the same one again.
  const std::size_t next = asked_ ? pos_ + 1 : pos_;
  std::size_t i = next;
  if (i >= count_ || !Matches(i, path)) {
    if (asked_ && Matches(pos_, path)) return pos_;
    for (i = next + 1; i < count_ && i < pos_ + kLookAhead && !Matches(i, path);) ++i;
    if (i >= count_ || i >= pos_ + kLookAhead) return kNone;
  }
  pos_ = i;
  asked_ = true;
  return i;
}

std::size_t PlanCursor::NextNeeded() const {
  const std::size_t next = asked_ ? pos_ + 1 : 0;
  if (next >= count_ || (next >= held_first_ && next < held_end_)) return kNone;
  return next / part_paths_;
}

const Part* PlanCursor::Held(std::size_t part, std::uint64_t now) const {
  return part == held_part_ && held_ && held_->change == now ? held_.get() : nullptr;
}

void PlanCursor::Hold(std::size_t part, std::shared_ptr<Part> read) {
  held_part_ = part;
  held_first_ = part * part_paths_;
  held_end_ = held_first_ + part_paths_;
  held_ = std::move(read);
}

}  // namespace qm
