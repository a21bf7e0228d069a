// SPDX-License-Identifier: GPL-3.0-or-later
// The gathering, step 7 of a search run: every file in and below each
// folder row, with the stamp of the date type chosen at the moment it is
// read, into the run lists.  Worker threads read the folders and the
// stamps ahead of it meanwhile (search/read_ahead/).
#ifndef QUENMOOR_SEARCH_GATHERING_H_
#define QUENMOOR_SEARCH_GATHERING_H_

#include <string>

#include "platform/error_trap.h"
#include "search/found_files.h"

namespace qm {

enum class DateType { kNone, kModified, kCreated, kAccessed };

// What the gathering reads from the window while it runs: it yields at
// every folder and file, and meanwhile rows may go and the chosen date
// type may change.
class GatheringWindow {
 public:
  virtual ~GatheringWindow() = default;
  virtual int RowCount() const = 0;
  // The text of folder row `row` (from 1); throws Failure when there is no
  // such row now.
  virtual std::string RowText(int row) const = 0;
  virtual DateType ChosenDateType() const = 0;
  // Whether the user asked to stop: the gathering ends at its next folder
  // or file, keeping what it has.
  virtual bool StopRequested() const { return false; }
  // For the progress shown: the folder about to be listed, and whether the
  // stamps are being read (then the file being read tells the folder).
  virtual void ListingFolder(const std::string& folder) { (void)folder; }
  virtual void ReadingStamps(bool reading) { (void)reading; }
};

// Gathers the files below every folder row into `found`.  Failures are
// reported through `trap`, the search run's, at its lines 144 to 204: for
// each row (146) the walk (152); for each folder its listing (160), each
// name's test (164) and append (166 to 170); for each file its stamp (176
// to 202).
void GatherFiles(Trap& trap, GatheringWindow& window, FoundFiles& found);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_GATHERING_H_
