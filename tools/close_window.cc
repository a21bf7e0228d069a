// SPDX-License-Identifier: GPL-3.0-or-later
// Asks an X window to close, as a window manager does when the user clicks
// its close button: a WM_DELETE_WINDOW message.  For driving the program
// under a virtual display, which has no window manager.
//
//   DISPLAY=:99 close_window WINDOW_ID
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
    return 2;
  }
  char* end = nullptr;
  const unsigned long id = std::strtoul(argv[1], &end, 0);
  if (!end || *end != '\0' || id == 0) {
    std::fprintf(stderr, "close_window: not a window id: %s\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "close_window: cannot open the display\n");
    return 1;
  }
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = static_cast<Window>(id);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, static_cast<Window>(id), False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  if (!sent) {
    std::fprintf(stderr, "close_window: the message could not be sent\n");
    return 1;
  }
  return 0;
}
