#include "search/read_ahead/plan_cursor.h"

namespace qm {

void PlanCursor::Start(AheadKind kind, const AheadPaths* paths, std::size_t part_paths) {
  kind_ = kind;
  count_ = paths->Count();
  paths_ = count_ > 0 ? paths : nullptr;
  part_paths_ = part_paths;
  pos_ = 0;
  asked_ = false;
  held_part_ = kNone;
  held_.reset();
}

void PlanCursor::End() {
  paths_ = nullptr;
  count_ = 0;
  held_part_ = kNone;
  held_.reset();
}

bool PlanCursor::Matches(std::size_t i, std::string_view path) const {
  std::string_view folder, name;
  paths_->Parts(i, &folder, &name);
  // Paths of one folder differ at their ends: the name is compared first.
  return path.size() == folder.size() + name.size() &&
         path.compare(folder.size(), name.size(), name) == 0 &&
         path.compare(0, folder.size(), folder) == 0;
}

std::size_t PlanCursor::Locate(std::string_view path) {
  if (!paths_) return kNone;
  std::size_t i = pos_;
  while (i < count_ && i < pos_ + kLookAhead && !Matches(i, path)) ++i;
  if (i >= count_ || i >= pos_ + kLookAhead) return kNone;
  pos_ = i;
  asked_ = true;
  return i;
}

std::size_t PlanCursor::NextNeeded() const {
  if (!paths_) return kNone;
  const std::size_t next = asked_ ? pos_ + 1 : 0;
  if (next >= count_) return kNone;
  const std::size_t part = next / part_paths_;
  return part == held_part_ ? kNone : part;
}

const Part* PlanCursor::Held(std::size_t part, std::uint64_t now) const {
  return part == held_part_ && held_ && held_->change == now ? held_.get() : nullptr;
}

void PlanCursor::Hold(std::size_t part, std::shared_ptr<Part> read) {
  held_part_ = part;
  held_ = std::move(read);
}

}  // namespace qm
