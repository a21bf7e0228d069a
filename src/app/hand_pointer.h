// SPDX-License-Identifier: GPL-3.0-or-later
// The hand pointer's picture, read from a Windows cursor file.
#ifndef QUENMOOR_APP_HAND_POINTER_H_
#define QUENMOOR_APP_HAND_POINTER_H_

#include <QCursor>
#include <QString>

namespace qm {

// Reads a .cur file into a cursor with the file's hot spot.  Fails with
// "Invalid picture" when the file is not a readable cursor.
QCursor LoadHandCursor(const QString& path);

}  // namespace qm

#endif  // QUENMOOR_APP_HAND_POINTER_H_
