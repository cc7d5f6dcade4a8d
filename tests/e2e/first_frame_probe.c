// Preloaded by tools/first-frame.sh: lets any SDL program report its first painted frame
// without a hook of its own. After each window-surface update it reads one pixel of the
// window (FIRST_FRAME_PIXEL="x,y", window coordinates); the first time that pixel is
// neither black (no pixels yet) nor white (background only) it prints READY and ends the
// process at once, so peak memory is taken at the same moment for every program.
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void Check(SDL_Window* window) {
  int x = 40, y = 60;
  const char* spec = getenv("FIRST_FRAME_PIXEL");
  if (spec && sscanf(spec, "%d,%d", &x, &y) != 2) return;
  SDL_Surface* s = SDL_GetWindowSurface(window);
  if (!s || s->format->BytesPerPixel != 4 || x < 0 || y < 0 || x >= s->w || y >= s->h) return;
  const Uint32 pixel = *(const Uint32*)((const Uint8*)s->pixels + y * s->pitch + x * 4);
  Uint8 r, g, b;
  SDL_GetRGB(pixel, s->format, &r, &g, &b);
  if ((r == 0 && g == 0 && b == 0) || (r == 255 && g == 255 && b == 255)) return;
  printf("READY\n");
  fflush(stdout);
  _exit(0);
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count) {
  static int (*real)(SDL_Window*, const SDL_Rect*, int);
  if (!real) *(void**)&real = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurfaceRects");
  const int rc = real(window, rects, count);
  Check(window);
  return rc;
}

int SDL_UpdateWindowSurface(SDL_Window* window) {
  static int (*real)(SDL_Window*);
  if (!real) *(void**)&real = dlsym(RTLD_NEXT, "SDL_UpdateWindowSurface");
  const int rc = real(window);
  Check(window);
  return rc;
}
