// SPDX-License-Identifier: GPL-3.0-or-later
// Prints what the X pointer looks like right now, one line:
//   WIDTHxHEIGHT hot=X,Y name=NAME hash=HEX
// so a script can tell pointers apart (the arrow, the hourglass, a custom
// picture) under a virtual display.
//
//   DISPLAY=:99 pointer_image
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>
#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "pointer_image: cannot open the display\n");
    return 1;
  }
  int event_base = 0;
  int error_base = 0;
  if (!XFixesQueryExtension(display, &event_base, &error_base)) {
    std::fprintf(stderr, "pointer_image: the X server has no XFIXES\n");
    return 1;
  }
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) {
    std::fprintf(stderr, "pointer_image: no pointer image\n");
    return 1;
  }
  // FNV-1a over the pixels, which XFIXES hands over as longs holding ARGB.
  std::uint64_t hash = 1469598103934665603ull;
  const unsigned long count = static_cast<unsigned long>(image->width) * image->height;
  for (unsigned long i = 0; i < count; ++i) {
    std::uint32_t argb = static_cast<std::uint32_t>(image->pixels[i]);
    for (int b = 0; b < 4; ++b) {
      hash ^= (argb >> (8 * b)) & 0xff;
      hash *= 1099511628211ull;
    }
  }
  std::printf("%ux%u hot=%u,%u name=%s hash=%016llx\n", image->width, image->height,
              image->xhot, image->yhot, image->name ? image->name : "",
              static_cast<unsigned long long>(hash));
  XFree(image);
  XCloseDisplay(display);
  return 0;
}
