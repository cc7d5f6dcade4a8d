// Span loops over 32-bit pixels written with 16-byte vectors, so fills, copies and raster ops
// run at memory speed whatever the compiler's vectoriser decides at this optimisation level.
#pragma once

#include "platform/gdi/Surface.h"

#include <cstddef>

namespace pixelspan {

using V4 = Pixel __attribute__((vector_size(16)));

inline V4 Load(const Pixel* p) {
  V4 v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}
inline void Store(Pixel* p, V4 v) { __builtin_memcpy(p, &v, sizeof v); }

// d[0..n) = op(d[i]) (and of s[i] / p[i] for the forms with sources). `op` takes either one
// Pixel or one V4 per operand, so it must be written with operators only.
template <class Op>
inline void Map1(Pixel* d, size_t n, Op op) {
  size_t i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, op(Load(d + i)));
  for (; i < n; ++i) d[i] = op(d[i]);
}
template <class Op>
inline void Map2(Pixel* d, const Pixel* s, size_t n, Op op) {
  size_t i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, op(Load(d + i), Load(s + i)));
  for (; i < n; ++i) d[i] = op(d[i], s[i]);
}
template <class Op>
inline void Map3(Pixel* d, const Pixel* s, const Pixel* p, size_t n, Op op) {
  size_t i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, op(Load(d + i), Load(s + i), Load(p + i)));
  for (; i < n; ++i) d[i] = op(d[i], s[i], p[i]);
}

}  // namespace pixelspan

// d[0..n) = p, with wide stores.
inline void FillPixels(Pixel* d, size_t n, Pixel p) {
  using pixelspan::V4;
  if (n < 4) {
    for (size_t i = 0; i < n; ++i) d[i] = p;
    return;
  }
  const V4 v = {p, p, p, p};
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    pixelspan::Store(d + i, v);
    pixelspan::Store(d + i + 4, v);
    pixelspan::Store(d + i + 8, v);
    pixelspan::Store(d + i + 12, v);
  }
  for (; i + 4 <= n; i += 4) pixelspan::Store(d + i, v);
  if (i < n) pixelspan::Store(d + n - 4, v);   // the last stretch, overlapping what is done
}
