// A benchmark of ours registered next to the reference library's doing the same work, one size
// at a time, so the two sides run interleaved; ours alone where the library is missing.
#pragma once

#include <benchmark/benchmark.h>

#ifdef TL_HAVE_PIXMAN
#define TL_PAIRED(ours, theirs, n) \
  BENCHMARK(ours)->Arg(n);         \
  BENCHMARK(theirs)->Arg(n)
#else
#define TL_PAIRED(ours, theirs, n) BENCHMARK(ours)->Arg(n)
#endif
