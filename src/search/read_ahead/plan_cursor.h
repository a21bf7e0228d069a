// SPDX-License-Identifier: GPL-3.0-or-later
// The caller's cursor through a plan: which path of the plan its calls are
// at, and the part it holds.  A call names a path; the cursor finds it at
// or a little past the path asked for last (the paths between are those
// the caller passed over: a walker entry that is no folder, a listing that
// failed).  Owner thread only.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_PLAN_CURSOR_H_
#define QUENMOOR_SEARCH_READ_AHEAD_PLAN_CURSOR_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "search/read_ahead/ahead_paths.h"
#include "search/read_ahead/part.h"

namespace qm {

class PlanCursor {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // How far past its last path a call may find its own.
  static constexpr std::size_t kLookAhead = 8;

  void Start(AheadKind kind, const AheadPaths* paths, std::size_t part_paths);
  void End();
  bool active() const { return paths_ != nullptr; }
  AheadKind kind() const { return kind_; }

  // The index of `path` in the plan, from the last path found on, which
  // becomes the cursor's place; kNone when it is not there.
  std::size_t Locate(std::string_view path);
  std::size_t PartOf(std::size_t i) const { return i / part_paths_; }

  // The part the caller most likely needs next (the one after its place),
  // when that is not the part it holds; kNone otherwise.
  std::size_t NextNeeded() const;

  // The part held, when it is part `part` read at change count `now`.
  const Part* Held(std::size_t part, std::uint64_t now) const;
  void Hold(std::size_t part, std::shared_ptr<Part> read);

 private:
  bool Matches(std::size_t i, std::string_view path) const;

  AheadKind kind_ = AheadKind::kFolders;
  const AheadPaths* paths_ = nullptr;
  std::size_t count_ = 0;
  std::size_t part_paths_ = 1;
  std::size_t pos_ = 0;
  bool asked_ = false;  // pos_ is a path found
  std::size_t held_part_ = kNone;
  std::size_t held_first_ = 0, held_end_ = 0;  // the paths of the part held
  std::shared_ptr<Part> held_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_PLAN_CURSOR_H_
