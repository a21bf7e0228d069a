// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the whole screen, for checking the window by eye
// under a virtual display.
//
//   QT_QPA_PLATFORM=xcb DISPLAY=:99 screenshot OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Qt ends the process when it cannot reach the X display, so look first:
// a local display ":N" must have its socket listening.  Other forms
// (host:N) are left to Qt.
bool LocalDisplayAnswers(std::string* why) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    *why = "DISPLAY is not set";
    return false;
  }
  if (display[0] != ':') return true;
  const std::string number = std::string(display + 1).substr(0, std::strcspn(display + 1, "."));
  sockaddr_un addr = {};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "/tmp/.X11-unix/X%s", number.c_str());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (fd >= 0) ::close(fd);
  if (!ok) *why = std::string("no X server answers on display ") + display;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png (or OUT.ppm for raw pixels)\n", argv[0]);
    return 2;
  }
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::string why;
  if ((!platform || std::strncmp(platform, "xcb", 3) == 0) && !LocalDisplayAnswers(&why)) {
    std::fprintf(stderr, "screenshot: %s\n", why.c_str());
    return 1;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    std::fprintf(stderr, "screenshot: no screen (is DISPLAY set?)\n");
    return 1;
  }
  QPixmap shot = screen->grabWindow(0);
  if (shot.isNull()) {
    std::fprintf(stderr, "screenshot: the screen could not be grabbed on platform %s\n",
                 qPrintable(QGuiApplication::platformName()));
    return 1;
  }
  // PNG unless the name asks for the raw PPM that scripts can read.
  const QString out = QString::fromLocal8Bit(argv[1]);
  const char* format = out.endsWith(QLatin1String(".ppm"), Qt::CaseInsensitive) ? "PPM" : "PNG";
  if (!shot.save(out, format)) {
    std::fprintf(stderr, "screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
