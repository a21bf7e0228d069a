// SPDX-License-Identifier: GPL-3.0-or-later
// What one search looks for: the folders it walks and the rule each file
// is judged by.  Taken once when the search starts (from the window's
// controls, or from the command line) and never read from anywhere else
// while it runs.
#ifndef QUENMOOR_SEARCH_SEARCH_CRITERIA_H_
#define QUENMOOR_SEARCH_SEARCH_CRITERIA_H_

#include <string>
#include <vector>

#include "search/date_criteria.h"
#include "search/time_stamps.h"

namespace qm {

struct SearchCriteria {
  // The folders to search, each ending in "/", in the order they are
  // searched; none lies inside a later one (see SubfolderMarks).
  std::vector<std::string> roots;
  DateCriterion date;

  // Whether a file whose stamp of date.type() is `stamp` is listed.  An
  // unreadable stamp is judged as the zero date.
  bool Matches(const Stamp& stamp) const { return date.Matches(stamp.empty ? 0 : stamp.value); }
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_SEARCH_CRITERIA_H_
