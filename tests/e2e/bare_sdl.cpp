// The baseline for the start-up measurement: a bare SDL2 window on the same software
// framebuffer path, filled once and presented, then closed. Prints READY after the frame.
#include <SDL.h>

#include <cstdio>

int main() {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare_sdl: %s\n", SDL_GetError());
    return 2;
  }
  SDL_Window* w = SDL_CreateWindow("bare", 40, 40, 300, 219, 0);
  SDL_Surface* s = w ? SDL_GetWindowSurface(w) : nullptr;
  if (!s) {
    std::fprintf(stderr, "bare_sdl: %s\n", SDL_GetError());
    return 1;
  }
  SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 200, 40, 40));
  SDL_UpdateWindowSurface(w);
  std::printf("READY\n");
  std::fflush(stdout);
  SDL_DestroyWindow(w);
  SDL_Quit();
  return 0;
}
