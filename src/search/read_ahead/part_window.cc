// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/read_ahead/part_window.h"

#include <algorithm>

namespace qm {

void PartWindow::Start(std::size_t parts, std::size_t window, std::size_t max_entries) {
  End();
  slots_.assign(std::max<std::size_t>(window, 1), Slot());
  parts_ = parts;
  max_entries_ = max_entries;
  caller_part_ = 0;
  next_claim_ = 0;
  held_ = 0;
}

void PartWindow::End() {
  for (Slot& s : slots_) Free(s);
  parts_ = 0;
  held_ = 0;
}

std::size_t PartWindow::Claimable() const {
  std::size_t part = next_claim_;
  while (part < parts_ && part < caller_part_ + slots_.size()) {
    const Slot& s = SlotOf(part);
    if (s.part == part && s.state != State::kFree) {
      ++part;  // claimed already: the claims were moved back over it
      continue;
    }
    if (s.part != kNone && s.part != part) return kNone;  // an earlier part, not yet passed
    if (held_ >= max_entries_ && part != caller_part_) return kNone;
    return part;
  }
  return kNone;
}

std::uint64_t PartWindow::Claim(std::size_t part, std::uint64_t change) {
  Slot& s = SlotOf(part);
  s.part = part;
  s.state = State::kClaimed;
  s.change = change;
  next_claim_ = part + 1;
  return ++s.gen;
}

bool PartWindow::Complete(std::size_t part, std::uint64_t gen, std::shared_ptr<Part>* read) {
  if (slots_.empty() || parts_ == 0) return false;
  Slot& s = SlotOf(part);
  if (s.part != part || s.gen != gen || s.state != State::kClaimed) return false;
  held_ += (*read)->entries;
  s.read = std::move(*read);
  s.state = State::kReady;
  return true;
}

std::size_t PartWindow::Advance(std::size_t part) {
  for (Slot& s : slots_) {
    if (s.part != kNone && s.part < part) Free(s);
  }
  caller_part_ = part;
  if (next_claim_ < part) next_claim_ = part;
  // Workers are woken once half the parts ahead are free, to read several
  // in a row, rather than for every part the caller passes.
  const std::size_t free_parts = caller_part_ + slots_.size() - next_claim_;
  return free_parts * 2 >= slots_.size() ? free_parts : 0;
}

std::size_t PartWindow::Invalidate(std::uint64_t now) {
  std::size_t freed = 0;
  for (Slot& s : slots_) {
    if (s.state != State::kFree && s.change != now) {
      Free(s);
      ++freed;
    }
  }
  next_claim_ = caller_part_;
  return freed;
}

PartWindow::State PartWindow::Look(std::size_t part, std::uint64_t now,
                                   std::shared_ptr<Part>* read) const {
  const Slot& s = SlotOf(part);
  if (s.part != part || s.change != now) return State::kFree;
  if (s.state == State::kReady) *read = s.read;
  return s.state;
}

void PartWindow::Want(std::size_t part) {
  Slot& s = SlotOf(part);
  if (s.part == part) Free(s);
  if (next_claim_ > part) next_claim_ = part;
}

bool PartWindow::WillClaim(std::size_t part) const {
  const Slot& s = SlotOf(part);
  return s.state == State::kFree && next_claim_ <= part && part < parts_ &&
         part < caller_part_ + slots_.size() && (held_ < max_entries_ || part == caller_part_);
}

void PartWindow::TakeGarbage(std::vector<std::shared_ptr<Part>>* out) {
  if (garbage_.empty()) return;
  if (out->empty()) {
    out->swap(garbage_);
  } else {
    for (auto& p : garbage_) out->push_back(std::move(p));
    garbage_.clear();
  }
}

void PartWindow::Free(Slot& s) {
  if (s.state == State::kReady && s.read) held_ -= s.read->entries;
  if (s.read) garbage_.push_back(std::move(s.read));
  s.state = State::kFree;
  s.part = kNone;
  ++s.gen;
}

}  // namespace qm
