// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the status line along the bottom of the window, in the
// user's language and number formats (NumberLocale()).
//
// Sizes are given in decimal units (1 kB = 1,000 bytes, 1 MB = 1,000 kB),
// as desktop file managers show them, with one decimal and the locale's
// decimal sign; below 1 kB in bytes (base/byte_size.h).  Totals are what
// the rows' sizes add up to, each row's own size as the Size column shows
// it, and say so.
#ifndef QUENMOOR_APP_STATUS_TEXT_H_
#define QUENMOOR_APP_STATUS_TEXT_H_

#include <QString>
#include <cstdint>

#include "base/byte_size.h"

namespace qm {

QString SizeText(ByteCount bytes);
// "1 file", "12 files"; "1 folder", "3 folders".
QString FilesText(std::int64_t files);
QString FoldersText(std::int64_t folders);
// After a search: "12 files found, sizes total 3.4 MB".
QString FoundText(std::int64_t files, ByteCount bytes);
// "2 ticked, sizes total 1.1 MB".
QString TickedText(std::int64_t files, ByteCount bytes);
// During a search.
QString SearchingText(std::int64_t folders, std::int64_t files, std::int64_t found,
                      const QString& folder);
// A search ended by Stop.
QString StoppedText(std::int64_t folders, std::int64_t files);
// After the trash and a move: how many files went, and the size of what
// went, as it was when it went.
QString TrashedText(std::int64_t files, ByteCount bytes);
QString MovedText(std::int64_t files, ByteCount bytes, const QString& folder);
// Parts of the status line, one after another.
QString StatusJoin(const QString& first, const QString& second);

}  // namespace qm

#endif  // QUENMOOR_APP_STATUS_TEXT_H_
