// SPDX-License-Identifier: GPL-3.0-or-later
// The list of files a result command names in its closing message.
#ifndef QUENMOOR_RESULTS_LISTED_TEXT_H_
#define QUENMOOR_RESULTS_LISTED_TEXT_H_

#include <QString>
#include <QStringList>

namespace qm {

// The first `shown` lines, each on a line of its own after a blank line,
// and "... and N more" for the rest.
QString ListedLines(const QStringList& lines, int shown = 5);

}  // namespace qm

#endif  // QUENMOOR_RESULTS_LISTED_TEXT_H_
