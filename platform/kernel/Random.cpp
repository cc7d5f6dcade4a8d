#include "platform/kernel/Random.h"

namespace {
UInt64 g_state = 1;
}

void tl_srand(Cardinal seed) { g_state = seed; }

Integer tl_lrand() {
  g_state = g_state * 6364136223846793005ULL + 1442695040888963407ULL;
  return Integer(g_state >> 33);
}
