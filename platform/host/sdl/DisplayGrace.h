// Opening the display with a grace: a display server on a loaded machine may take a moment
// to answer a new client, and a program started at that moment should not give up at once.
#pragma once

#include <cstdint>

// Tries `open` until it succeeds or `graceMs` have passed since the first try (by `now`, in
// milliseconds), calling `wait` with `stepMs` between tries. True when a try succeeded.
template <class Open, class Now, class Wait>
bool OpenWithGrace(Open open, Now now, Wait wait, uint32_t graceMs, uint32_t stepMs) {
  const uint32_t start = now();
  for (;;) {
    if (open()) return true;
    if (uint32_t(now() - start) >= graceMs) return false;
    wait(stepMs);
  }
}
