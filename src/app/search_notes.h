// SPDX-License-Identifier: GPL-3.0-or-later
// What a search says beside its rows, and the filters in plain words: the
// same texts in the window's status line and on the command line's
// standard error.
#ifndef QUENMOOR_APP_SEARCH_NOTES_H_
#define QUENMOOR_APP_SEARCH_NOTES_H_

#include <QString>
#include <QStringList>
#include <vector>

#include "search/date_criteria.h"
#include "search/filters.h"
#include "search/search_engine.h"

namespace qm {

// One note: "/mnt/data is mounted noatime: access dates there ...".
QString SearchNoteText(const SearchNote& note);

// What the counts say of files left out that no row shows: "12 files left
// out: their file system keeps no creation date" (`type` the date judged),
// "2 files and folders left out: their names are not valid UTF-8".  Empty
// when nothing was left out.
QStringList LeftOutTexts(const SearchCounts& counts, DateType type);

// The filters in one line, "" when none is on: "Filters on: leaving out 3
// folder patterns; only files named *.iso, *.mkv; only files of 10 MB or
// more; staying on each listed folder's file system".
QString FiltersSummaryText(const SearchFilters& filters);
// The same with every folder pattern named, one part a line.
QString FiltersDetailText(const SearchFilters& filters);

}  // namespace qm

#endif  // QUENMOOR_APP_SEARCH_NOTES_H_
