// SPDX-License-Identifier: GPL-3.0-or-later
// The window of parts: which parts of a plan are being read, are ready or
// are free, and which part a worker takes next.  The window reaches from
// the part the caller is at over a fixed number of parts ahead, and holds
// at most a given number of listed entries besides the caller's own part.
//
// Part p lives in slot p % window.  A slot goes through these states:
//
//             Claim (a worker)          Complete (that same claim)
//     free -------------------> claimed ------------------------> ready
//      ^                           |                                |
//      +---------------------------+--------------------------------+
//        Free: the caller passed it (Advance), it was read at another
//        change count than now (Invalidate, Want), or the plan ended (End)
//
// Each change of a slot moves its generation on, so a worker whose part
// was freed while it read (and maybe claimed again by another) has its
// read dropped rather than stored.  Parts are claimed in order: a part
// passed over by the claims (freed as stale) is claimed again once the
// caller wants it.  Parts freed go to the garbage, to be destroyed by a
// worker rather than on the caller's thread.
//
// Not thread-safe: the engine calls it under its lock.
#ifndef QUENMOOR_SEARCH_READ_AHEAD_PART_WINDOW_H_
#define QUENMOOR_SEARCH_READ_AHEAD_PART_WINDOW_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "search/read_ahead/part.h"

namespace qm {

class PartWindow {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  enum class State : std::uint8_t { kFree, kClaimed, kReady };

  // A plan of `parts` parts starts, `window` of them held at once, holding
  // at most `max_entries` listed entries ahead of the caller's part.
  void Start(std::size_t parts, std::size_t window, std::size_t max_entries);
  // The plan ends: every slot is freed.
  void End();

  // The next part a worker may claim, or kNone.
  std::size_t Claimable() const;
  // A worker claims `part` (as Claimable() gave it), read at change count
  // `change`; returns the claim's generation.
  std::uint64_t Claim(std::size_t part, std::uint64_t change);
  // Stores the worker's read of its claim (taking *read); false when the
  // claim no longer holds (*read is left to the worker to drop).
  bool Complete(std::size_t part, std::uint64_t gen, std::shared_ptr<Part>* read);

  // The caller is at `part` now: the parts before it are freed.  Returns
  // how many parts ahead are free to be claimed, once half of them are (0
  // before): as many workers may be woken.
  std::size_t Advance(std::size_t part);
  // Frees the parts read, or being read, at another change count than
  // `now`, and moves the claims back to the caller's part; returns how many
  // parts were freed.
  std::size_t Invalidate(std::uint64_t now);

  // Part `part` at change count `now`: its state, and *read when ready.  A
  // part read at another count counts as free.
  State Look(std::size_t part, std::uint64_t now, std::shared_ptr<Part>* read) const;
  // The caller needs `part`, which is free: frees its slot if it holds a
  // stale read, and makes it the next part to claim.
  void Want(std::size_t part);
  // Whether `part`, free now, will be claimed without the caller moving on.
  bool WillClaim(std::size_t part) const;

  // Moves the parts freed so far into *out.
  void TakeGarbage(std::vector<std::shared_ptr<Part>>* out);

  std::size_t caller_part() const { return caller_part_; }
  std::size_t held_entries() const { return held_; }

 private:
  struct Slot {
    std::size_t part = kNone;
    State state = State::kFree;
    std::uint64_t gen = 0;
    std::uint64_t change = 0;
    std::shared_ptr<Part> read;
  };
  Slot& SlotOf(std::size_t part) { return slots_[part % slots_.size()]; }
  const Slot& SlotOf(std::size_t part) const { return slots_[part % slots_.size()]; }
  void Free(Slot& s);

  std::vector<Slot> slots_;
  std::size_t parts_ = 0;
  std::size_t max_entries_ = 0;
  std::size_t caller_part_ = 0;
  std::size_t next_claim_ = 0;
  std::size_t held_ = 0;  // listed entries in ready parts
  std::vector<std::shared_ptr<Part>> garbage_;
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_READ_AHEAD_PART_WINDOW_H_
