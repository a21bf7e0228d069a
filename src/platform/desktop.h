// SPDX-License-Identifier: GPL-3.0-or-later
// Handing files over to the desktop: opening a file or folder in the
// application the desktop has for it, and showing files in the file manager.
#ifndef QUENMOOR_PLATFORM_DESKTOP_H_
#define QUENMOOR_PLATFORM_DESKTOP_H_

#include <QString>
#include <QStringList>
#include <functional>

namespace qm {

// How the desktop answered an open.
enum class OpenOutcome {
  kOpened,         // the handler took it
  kNoApplication,  // no application opens a file of its kind
  kFailed,         // the handler could not be started, or reported another failure
};

// Opens `path` with the desktop's default application for it, through the
// desktop's opener (xdg-open where there is one, else Qt's URL handler).
// Never waits: the opener runs on its own, and `done`, when given, gets its
// answer in the event loop once it has ended (xdg-open's exit status, not
// only that it started); an opener that goes on running (an application
// started in its place) is taken to have opened it, and is never ended by
// this program.  Goes through the dialog seam (DialogKind::kOpen), so tests
// see it without anything being started; an answer of OK there is kOpened.
void OpenWithDesktop(const QString& path, std::function<void(OpenOutcome)> done = {});

// How many openers are still being watched (for tests).
int OpenersRunning();

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
