// SPDX-License-Identifier: GPL-3.0-or-later
// The window's size, place and column widths, kept per user between runs in
// $XDG_STATE_HOME/quenmoor/window (by default ~/.local/state/quenmoor/window),
// apart from the settings store.
//
// The file is a few "key=value" lines; a line that cannot be read is
// skipped, so a damaged file costs only what it held.  It is replaced
// whole on each write.
#ifndef QUENMOOR_APP_WINDOW_STATE_H_
#define QUENMOOR_APP_WINDOW_STATE_H_

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace qm {

struct WindowState {
  QRect geometry;               // the window's normal place and size; empty if unknown
  bool maximized = false;
  std::vector<int> folder_widths;   // the folder list's column widths, in pixels
  std::vector<int> result_widths;   // the result list's, once a search has set its columns
};

QString WindowStatePath();
WindowState ReadWindowState();
// False when the file could not be written (nothing is said: the window
// then opens at its default size next time).
bool WriteWindowState(const WindowState& state);

// The place to open a window at: `wanted` (its size at least `least`),
// made to fit inside `available` and moved into it; an empty `wanted`
// centres `default_size` there.
QRect FitToScreen(const QRect& wanted, QSize default_size, QSize least, const QRect& available);

}  // namespace qm

#endif  // QUENMOOR_APP_WINDOW_STATE_H_
