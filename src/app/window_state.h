// SPDX-License-Identifier: GPL-3.0-or-later
// The window's size, place and column widths, kept per user between runs in
// $XDG_STATE_HOME/quenmoor/window (by default ~/.local/state/quenmoor/window),
// apart from the settings store.
//
// The file is a few "key=value" lines; a line that cannot be read is
// skipped, so a damaged file costs only what it held.  It is replaced
// whole on each write.  It is read and written as every file of the
// program's own (platform/whole_file.h): a FIFO or device there is never
// opened or replaced, a link to /dev/null switches it off.
#ifndef QUENMOOR_APP_WINDOW_STATE_H_
#define QUENMOOR_APP_WINDOW_STATE_H_

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace qm {

struct WindowState {
  QRect geometry;  // the window's normal place and size; empty if unknown
  bool maximized = false;
  std::vector<int> folder_widths;  // the folder list's column widths, in pixels
  std::vector<int> result_widths;  // the result list's, once a search has set its columns
};

QString WindowStatePath();
// The state kept; nothing when there is none.  When something stands there
// that cannot be read as the state file (a FIFO, a device, a folder, a file
// too large), `trouble` says what, in the user's language.
WindowState ReadWindowState(QString* trouble = nullptr);
// False when the file could not be written, or is switched off (nothing is
// said: the window then opens at its default size next time).
bool WriteWindowState(const WindowState& state);

// The place to open a window at: `wanted` (its size at least `least`),
// made to fit inside `available` and moved into it; an empty `wanted`
// centres `default_size` there.
QRect FitToScreen(const QRect& wanted, QSize default_size, QSize least, const QRect& available);

}  // namespace qm

#endif  // QUENMOOR_APP_WINDOW_STATE_H_
