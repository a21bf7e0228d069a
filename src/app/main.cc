// Quenmoor: finds files by date and lets the user trash or move them.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/form1.h"

int main(int argc, char** argv) {
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
  qm::Form1 form;
  form.Form_Load();
  form.show();
  return app.exec();
}
