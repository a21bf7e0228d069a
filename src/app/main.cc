// SPDX-License-Identifier: GPL-3.0-or-later
// Quenmoor: finds files by date and lets the user trash or move them.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/form1.h"

#ifndef QUENMOOR_VERSION
#define QUENMOOR_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
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
    "See quenmoor(1).\n";

}  // namespace

int main(int argc, char** argv) {
  // The two informative options answer without a window or a display.
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("quenmoor %s\n", QUENMOOR_VERSION);
    return 0;
  }
  if (argc > 1) {
    std::fprintf(stderr, "quenmoor: unknown argument '%s' (try quenmoor --help)\n", argv[1]);
    return 2;
  }
  // Without a display Qt would abort with a core dump; say what to do instead.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!platform || !*platform) && (!display || !*display) && (!wayland || !*wayland)) {
    std::fprintf(stderr,
                 "quenmoor: no display found; start it on a virtual display with: "
                 "xvfb-run -a %s\n",
                 argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quenmoor"));
  // Desktops match the window to its desktop entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Quenmoor"));
  qm::Form1 form;
  form.Form_Load();
  form.show();
  return app.exec();
}
