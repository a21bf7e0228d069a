// SPDX-License-Identifier: GPL-3.0-or-later
// Which folder rows a search leaves out because a row listed after them is
// the same folder or one of its parents.
#ifndef QUENMOOR_SEARCH_SUBFOLDER_MARKS_H_
#define QUENMOOR_SEARCH_SUBFOLDER_MARKS_H_

#include <QString>
#include <vector>

namespace qm {

// The rows (numbered from 1) that start with the text of a row listed
// after them, each once, in ascending order.  Every row ends in "/", so
// "/a/" marks "/a/b/" but not "/ab/"; every row also starts with "/", so a
// row's text found further in ("/home/" in "/mnt/backup/home/") names some
// other folder.
std::vector<int> SubfolderMarks(const std::vector<QString>& rows);

// The message shown for a row that is left out.
QString SubfolderRemovedText(const QString& row);

}  // namespace qm

#endif  // QUENMOOR_SEARCH_SUBFOLDER_MARKS_H_
