// SPDX-License-Identifier: GPL-3.0-or-later
// Sending ticked files to the trash.
#ifndef QUENMOOR_RESULTS_RECYCLE_BIN_H_
#define QUENMOOR_RESULTS_RECYCLE_BIN_H_

#include <QHash>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_id.h"

class QWidget;

namespace qm {

// Asks once for the whole list, then moves every listed file that is still
// the one listed to the trash, with a progress dialog the user can cancel.
// Returns 0 when every file went; otherwise non-zero (1223 when the user
// declined or cancelled).  `trashed`, when given, receives the paths of
// the files that went, each with its size as it went.  `journal`, when
// given, is told of every file as it goes (results/journal.h).
class JournalWriter;
int SendToRecycleBin(QWidget* owner, const std::vector<ListedFile>& files,
                     QHash<QString, std::int64_t>* trashed = nullptr,
                     JournalWriter* journal = nullptr);

// Tests: called before each file with the number already done; returning
// true cancels the rest as the progress dialog's Cancel would.
void SetTrashCancelProbeForTesting(std::function<bool(int done)> probe);

}  // namespace qm

#endif  // QUENMOOR_RESULTS_RECYCLE_BIN_H_
