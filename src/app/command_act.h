// SPDX-License-Identifier: GPL-3.0-or-later
// What the command line does with the files its search found (--trash,
// --move-to, with --dry-run only telling), and --undo, on the window's own
// engines: the same checks and refusals, the same rule for names that are
// taken, the same kill safety, and the same journal, so the window's Undo
// takes back a command line's command and --undo a window's.  Neither
// needs a display or a D-Bus session.
#ifndef QUENMOOR_APP_COMMAND_ACT_H_
#define QUENMOOR_APP_COMMAND_ACT_H_

#include <QString>
#include <cstdio>

#include "app/command_line.h"
#include "search/found_files.h"

namespace qm {

// The folder --move-to names, absolute (a relative one taken from the
// current folder); "" after saying on `err` why there is none to move to.
QString MoveFolderForArgument(const QString& arg, std::FILE* err);

// Sends every file of `found` to the trash, or moves it into `move_to`, as
// `request` asks; writes each file that went to `writer` (with --dry-run,
// each that would go, touching nothing) and names each that did not on
// `err`, with its reason.  Returns 0 when every file was handled, else 1.
int ActOnFound(const FindRequest& request, const QString& move_to, const FoundFiles& found,
               RowWriter* writer, std::FILE* err);

// Puts back what the last trash or move took away (results/undo.h): each
// file put back is written to `out`, one path a line, each that cannot be
// is named on `err` with its reason.  With `dry_run` it only tells.
// Returns 0 when every file is back (or there was nothing to undo), else 1.
int RunUndo(bool dry_run, std::FILE* out, std::FILE* err);

}  // namespace qm

#endif  // QUENMOOR_APP_COMMAND_ACT_H_
