// SPDX-License-Identifier: GPL-3.0-or-later
// Handing files over to the desktop: opening a file or folder in the
// application the desktop has for it, and showing files in the file manager.
#ifndef QUENMOOR_PLATFORM_DESKTOP_H_
#define QUENMOOR_PLATFORM_DESKTOP_H_

#include <QString>
#include <QStringList>

namespace qm {

// Opens `path` with the desktop's default application for it, through the
// desktop's URL handler.  Goes through the dialog seam (DialogKind::kOpen),
// so tests see it without anything being started.  False when the desktop
// has nothing to open it with.
bool OpenWithDesktop(const QString& path);

// Shows the files at `paths` selected in the file manager, through the
// freedesktop org.freedesktop.FileManager1 interface on the session bus.
// Where no file manager answers (no session bus, no such service, an
// error), the folder of the first file is opened instead.  Returns at once;
// the answer is awaited in the event loop.
void ShowInFileManager(const QStringList& paths);

// The bus connection (by its Qt connection name) ShowInFileManager calls;
// empty for the session bus.
void SetFileManagerBusForTesting(const QString& connection_name);

}  // namespace qm

#endif  // QUENMOOR_PLATFORM_DESKTOP_H_
