// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program's own files are: the hand cursor, the Samples folder and
// the optional skin.
#ifndef QUENMOOR_PLATFORM_DATA_FOLDER_H_
#define QUENMOOR_PLATFORM_DATA_FOLDER_H_

#include <QString>

namespace qm {

// The data folder of a program in `program_folder`: that folder itself when
// it holds any of the program's files (a build folder), otherwise
// ../share/quenmoor beside it when that folder exists (an installed
// program, such as /usr/bin with /usr/share/quenmoor), otherwise again the
// program's folder.
QString DataFolderFor(const QString& program_folder);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_DATA_FOLDER_H_
