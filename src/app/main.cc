// SPDX-License-Identifier: GPL-3.0-or-later
// Quenmoor: finds files by date and lets the user trash or move them.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/form1.h"
#include "app/translations.h"

#ifndef QUENMOOR_VERSION
#define QUENMOOR_VERSION "unknown"
#endif

namespace {

const char kUsage[] = QT_TRANSLATE_NOOP(
    "Main",
    "Usage: quenmoor [--help | --version]\n"
    "\n"
    "Quenmoor finds unused files: list the folders to search, pick a date type\n"
    "(modified, created, accessed) and a rule, and it lists every file whose date\n"
    "matches. Tick results to send them to the trash or move them into a folder.\n"
    "\n"
    "Quenmoor opens its window and takes no other arguments.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Settings are kept in $XDG_CONFIG_HOME/Vellumark.ini (~/.config/Vellumark.ini).\n"
    "See quenmoor(1).\n");

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
  if (argc > 1 || no_display) {
    // The command line answers without a window or a display, in the
    // user's language.
    QCoreApplication core(argc, argv);
    qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      Say(stdout, QCoreApplication::translate("Main", kUsage));
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("quenmoor %s\n", QUENMOOR_VERSION);
      return 0;
    }
    if (argc > 1) {
      Say(stderr, QCoreApplication::translate(
                      "Main", "quenmoor: unknown argument '%1' (try quenmoor --help)\n")
                      .arg(QString::fromLocal8Bit(argv[1])));
      return 2;
    }
    Say(stderr, QCoreApplication::translate("Main",
                                            "quenmoor: no display found; start it on a virtual "
                                            "display with: xvfb-run -a %1\n")
                    .arg(QString::fromLocal8Bit(argv[0])));
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quenmoor"));
  // Desktops match the window to its desktop entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Quenmoor"));
  // Before the window is made: its captions are read in its constructor.
  qm::InstallTranslations(qm::MessageLanguages(), qm::TranslationsFolder());
  qm::Form1 form;
  form.Form_Load();
  // The size, place and column widths the window had last time.
  form.RestoreWindowState();
  form.show();
  return app.exec();
}
