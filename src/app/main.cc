// SPDX-License-Identifier: GPL-3.0-or-later
// Quenmoor: finds files by date and lets the user trash or move them.
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app/command_act.h"
#include "app/command_line.h"
#include "app/form1.h"
#include "app/translations.h"

#ifndef QUENMOOR_VERSION
#define QUENMOOR_VERSION "unknown"
#endif

namespace {

// Prints a text of the command line's, in the user's language.
void Say(std::FILE* to, const QString& text) { std::fputs(text.toLocal8Bit().constData(), to); }

}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt would abort with a core dump; say what to do instead.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool no_display =
      (!platform || !*platform) && (!display || !*display) && (!wayland || !*wayland);
  // Folders given for the window, as the folder browser would give them.
  QStringList folder_rows;
  if (argc > 1 || no_display) {
    // The command line answers without a window, a display or a D-Bus
    // session, in the user's language.
    QCoreApplication core(argc, argv);
    qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(QString::fromLocal8Bit(argv[i]));
    const qm::CommandLine line = qm::ParseCommandLine(arguments);
    switch (line.action) {
      case qm::CommandLine::Action::kHelp:
        Say(stdout, qm::UsageText());
        return 0;
      case qm::CommandLine::Action::kVersion:
        std::printf("quenmoor %s\n", QUENMOOR_VERSION);
        return 0;
      case qm::CommandLine::Action::kUsageError:
        Say(stderr, line.error + QLatin1Char('\n'));
        return 2;
      case qm::CommandLine::Action::kFind: {
        const int status = qm::RunFind(line.find, stdout, stderr);
        std::fflush(stdout);
        std::fflush(stderr);
        // A worker still in a call on a stuck mount is not waited for
        // long; the process then ends without running the destructors it
        // might still use.
        if (!qm::SearchEngine::WaitForThreadsToEnd(1000)) ::_exit(status);
        return status;
      }
      case qm::CommandLine::Action::kUndo: {
        const int status = qm::RunUndo(line.dry_run, stdout, stderr);
        std::fflush(stdout);
        return status;
      }
      case qm::CommandLine::Action::kWindow:
        break;
    }
    if (no_display) {
      Say(stderr, QCoreApplication::translate("Main",
                                              "quenmoor: no display found; start it on a virtual "
                                              "display with: xvfb-run -a %1\n")
                      .arg(QString::fromLocal8Bit(argv[0])));
      return 2;
    }
    // A folder that is not there (or cannot be listed) is said and left
    // out; the window opens with the others.
    for (const QString& folder : line.folders) {
      QString problem;
      const QString row = qm::FolderRowForArgument(folder, &problem);
      if (row.isEmpty()) {
        Say(stderr, problem + QLatin1Char('\n'));
      } else {
        folder_rows << row;
      }
    }
  }
  // The window's own arguments are its folders, read above: Qt is given
  // none, so a folder named like one of its options stays a folder.
  int window_argc = 1;
  QApplication app(window_argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quenmoor"));
  // Desktops match the window to its desktop entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Quenmoor"));
  // Before the window is made: its captions are read in its constructor.
  qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());
  qm::Form1 form;
  form.Form_Load();
  for (const QString& row : folder_rows) form.AddFolderRow(row);
  // The size, place and column widths the window had last time.
  form.RestoreWindowState();
  form.show();
  return app.exec();
}
