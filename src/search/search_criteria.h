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
#include "search/filters.h"
#include "search/time_stamps.h"

namespace qm {

struct SearchCriteria {
  // The folders to search, each ending in "/", in the order they are
  // searched; none lies inside a later one (see SubfolderMarks).
  std::vector<std::string> roots;
  DateCriterion date;
  // Folders left out, file names and sizes kept; none set by default.
  SearchFilters filters;

  // Whether a file whose stamp of date.type() is `stamp` is listed by the
  // date rule.  A date its file system does not keep matches no rule; a
  // stamp unreadable for another reason is judged as the zero date.
  bool Matches(const Stamp& stamp) const {
    if (stamp.unrecorded) return false;
    return date.Matches(stamp.empty ? 0 : stamp.value);
  }
};

}  // namespace qm

#endif  // QUENMOOR_SEARCH_SEARCH_CRITERIA_H_
