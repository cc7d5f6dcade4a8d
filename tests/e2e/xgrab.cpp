// Reads pixels of an X window: xgrab <window id> <x>,<y> ...  prints RRGGBB for each point
// (the alpha byte of a 24-bit visual is masked off). The window id `root` reads the screen
// as shown, windows and their shapes included. Exit 1 when the window or a point cannot
// be read.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: xgrab <window id> <x>,<y> ...\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "xgrab: cannot open the display\n");
    return 1;
  }
  char* end = nullptr;
  const bool root = std::string(argv[1]) == "root";
  ::Window window = root ? DefaultRootWindow(display) : static_cast<::Window>(std::strtoul(argv[1], &end, 0));
  if (!root && (!end || *end)) {
    std::fprintf(stderr, "xgrab: bad window id '%s'\n", argv[1]);
    return 2;
  }
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(display, window, &attrs)) {
    std::fprintf(stderr, "xgrab: no such window\n");
    return 1;
  }
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    int x = 0, y = 0;
    if (std::sscanf(argv[i], "%d,%d", &x, &y) != 2 || x < 0 || y < 0 || x >= attrs.width || y >= attrs.height) {
      std::fprintf(stderr, "xgrab: point '%s' is outside the %dx%d window\n", argv[i], attrs.width, attrs.height);
      status = 1;
      continue;
    }
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) {
      std::fprintf(stderr, "xgrab: cannot read %d,%d\n", x, y);
      status = 1;
      continue;
    }
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
    std::printf("%06lX\n", pixel);
    XDestroyImage(image);
  }
  XCloseDisplay(display);
  return status;
}
