// SPDX-License-Identifier: GPL-3.0-or-later
// Undo: puts back what the last trash or move took away, as its journal
// (results/journal.h) tells.
//
// A file goes back to its own path only while the file where it went is
// still the one that went there (the same identity, size and modified
// time) and its own path is free: nothing is ever replaced.  It goes back
// as the move went, through FileMover with its own name exactly: a rename
// on one file system, else a copy that gets its name only once complete,
// after which the file it came from is removed; so a kill never loses it.
// A file taken out of the trash takes its info file with it, so trash
// clients no longer list it.
//
// What a command ended by a kill left half done is finished the other way:
// a file still in its own place whose copy (or second name) already stood
// where it was going loses that copy, and an info file made for it goes.
// Running Undo again after it was itself ended mid-way goes on where it
// stopped.  Once nothing is left to put back the journal goes; while some
// file could not go back, it stays, so Undo can be tried again.
#ifndef QUENMOOR_RESULTS_UNDO_H_
#define QUENMOOR_RESULTS_UNDO_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "results/journal.h"

namespace qm {

struct UndoOutcome {
  enum Status {
    kNothing,  // no journal: nothing to undo
    kDone,     // the journal was gone through (see the lists)
    kTrouble,  // the journal cannot be used: `trouble` says why
  };
  Status status = kNothing;
  std::string trouble;
  JournalKind kind = JournalKind::kTrash;
  std::string folder;  // a move's folder

  struct File {
    std::string path;   // its own path
    std::string place;  // where the command put it
    std::int64_t bytes = 0;
    std::string reason;  // why it is not back (not_back)
  };
  // Back in their own place, in the order the command took them: put back
  // now, or found back already (put back by hand, or by an undo that was
  // ended before it could say so).
  std::vector<File> back;
  // Left where they are, each with its reason.
  std::vector<File> not_back;
  // Whether the journal is gone: nothing is left in it to put back.
  bool finished = false;
};

// Puts back everything the journal holds that can go back.  `step` is
// called before each file (the window yields there).  With `dry_run`
// nothing is touched: `back` lists what would be put back.
UndoOutcome UndoLastCommand(bool dry_run, const std::function<void()>& step = {});

}  // namespace qm

#endif  // QUENMOOR_RESULTS_UNDO_H_
