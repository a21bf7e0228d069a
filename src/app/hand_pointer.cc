// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hand_pointer.h"

#include <QImage>
#include <QPixmap>

#include "platform/cursor_file.h"
#include "platform/failure.h"

namespace qm {

QCursor LoadHandCursor(const QString& path) {
  CursorFile cursor;
  std::string why;
  if (!ReadCursorFile(path.toStdString(), &cursor, &why)) {
    throw Failure(kErrInvalidPicture);
  }
  return QCursor(QPixmap::fromImage(cursor.image), cursor.hot_x, cursor.hot_y);
}

}  // namespace qm
