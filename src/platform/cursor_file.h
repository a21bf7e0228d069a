// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a Windows cursor file (.CUR) for the window's hand pointer.
#ifndef QUENMOOR_PLATFORM_CURSOR_FILE_H_
#define QUENMOOR_PLATFORM_CURSOR_FILE_H_

#include <QImage>
#include <string>

namespace qm {

struct CursorFile {
  QImage image;   // the first image of the file
  int hot_x = 0;  // the hot spot of that image, in its pixels
  int hot_y = 0;
};

// The largest cursor file we read; real ones are a few kilobytes.
constexpr long kMaxCursorFileBytes = 1 << 20;

// Reads the cursor file at `path`.  The directory is checked before the
// image is decoded (reserved word 0, type 2, at least one entry, every
// entry's image inside the file) and the hot spot taken from the first
// entry.  On failure returns false with `why` worded for the user (missing,
// empty, truncated, too large, not a cursor, picture not readable) and
// leaves `out` alone.
bool ReadCursorFile(const std::string& path, CursorFile* out, std::string* why);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_CURSOR_FILE_H_
