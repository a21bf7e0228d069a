// SPDX-License-Identifier: GPL-3.0-or-later
// The result list as a CSV file (RFC 4180), for a spreadsheet, a ticket or
// a colleague: a header line "path,date,size,ticked", then one line per
// row in the order shown, each ended by CR LF, in UTF-8 without a
// byte-order mark.  A field holding a comma, a quote, a CR or an LF is
// quoted, with its quotes doubled; the date is ISO 8601 with the offset
// from UTC in force at that date (empty when unreadable), the size in bytes
// (empty when unknown), ticked "true" or "false".
#ifndef QUENMOOR_RESULTS_LIST_CSV_H_
#define QUENMOOR_RESULTS_LIST_CSV_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "search/time_stamps.h"

namespace qm {

struct CsvRow {
  std::string path;  // UTF-8
  Stamp stamp;
  std::int64_t size = -1;
  bool ticked = false;
};

// Appends `text` to `out` as one field.
void AppendCsvField(std::string* out, std::string_view text);

// The file's text for `rows` rows; `row(i)` gives row i.
std::string ListCsv(std::size_t rows, const std::function<CsvRow(std::size_t)>& row);

// Writes `text` to `path` as the user's file: a file there is replaced
// whole once the new one is complete and on disk (a link there leads to
// the file replaced), anything but a file there is left alone.  Fails
// (Failure, worded for the user) leaving no partial file at `path`.
void SaveListFile(const std::string& path, const std::string& text);

}  // namespace qm

#endif  // QUENMOOR_RESULTS_LIST_CSV_H_
