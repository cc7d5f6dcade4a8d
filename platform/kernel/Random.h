// The C runtime's seeded generator, made reproducible: the same seed gives the same
// sequence on every machine and build (boards are generated from game numbers).
//
// Algorithm: a 64-bit linear congruential generator.
//   tl_srand(seed):  state = seed                          (zero-extended to 64 bits)
//   tl_lrand():      state = state * 6364136223846793005 + 1442695040888963407  (mod 2^64)
//                    return state >> 33                    (the top 31 bits)
// So tl_lrand() returns 0 .. 2^31 - 1 (TL_LRAND_MAX), never negative. Before any
// tl_srand the generator behaves as after tl_srand(1), as the C runtime does.
#pragma once

#include "platform/kernel/Types.h"

inline constexpr Integer TL_LRAND_MAX = 0x7FFFFFFF;

void tl_srand(Cardinal seed);
Integer tl_lrand();
