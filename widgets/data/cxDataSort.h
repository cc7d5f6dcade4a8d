// The in-place sort of a row list's record indexes.
//
// A median-of-three partition (the pivot value copied out of the range) that recurses into
// the smaller part and loops on the larger, so the depth stays logarithmic; when the
// partitions keep coming out lopsided the range is finished by heap sort, so the time
// stays O(N log N). Every index move is bounded by the range: a comparison that is not a
// consistent order (a user's compare event) gives some order, never a fault.
//
// Records whose order is settled by 64-bit keys are sorted by RadixSort instead: stable and
// linear, it passes over only the key bytes that differ somewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace cxDataSort {

template <class T, class Less>
void InsertionSort(T* A, std::int64_t L, std::int64_t R, Less& ALess) {
  for (std::int64_t i = L + 1; i <= R; ++i) {
    T v = A[i];
    std::int64_t j = i - 1;
    while (j >= L && ALess(v, A[j])) {
      A[j + 1] = A[j];
      --j;
    }
    A[j + 1] = v;
  }
}

template <class T, class Less>
void SiftDown(T* A, std::int64_t ARoot, std::int64_t ACount, Less& ALess) {
  for (;;) {
    std::int64_t child = 2 * ARoot + 1;
    if (child >= ACount) return;
    if (child + 1 < ACount && ALess(A[child], A[child + 1])) ++child;
    if (!ALess(A[ARoot], A[child])) return;
    std::swap(A[ARoot], A[child]);
    ARoot = child;
  }
}

template <class T, class Less>
void HeapSort(T* A, std::int64_t ACount, Less& ALess) {
  for (std::int64_t i = ACount / 2 - 1; i >= 0; --i) SiftDown(A, i, ACount, ALess);
  for (std::int64_t n = ACount - 1; n > 0; --n) {
    std::swap(A[0], A[n]);
    SiftDown(A, 0, n, ALess);
  }
}

// ACompare (a, b) answers negative, 0 or positive.
template <class T, class Compare>
void SortRange(T* A, std::int64_t L, std::int64_t R, int ADepthBudget, Compare& ACompare) {
  auto less = [&ACompare](const T& x, const T& y) { return ACompare(x, y) < 0; };
  while (R - L > 16) {
    if (ADepthBudget-- <= 0) {
      HeapSort(A + L, R - L + 1, less);
      return;
    }
    // The median of the first, middle and last values: sorted and reversed runs split evenly.
    const std::int64_t M = L + (R - L) / 2;
    const T* lo = &A[L];
    const T* mid = &A[M];
    const T* hi = &A[R];
    if (ACompare(*mid, *lo) < 0) std::swap(lo, mid);
    if (ACompare(*hi, *mid) < 0) {
      mid = hi;
      if (ACompare(*mid, *lo) < 0) mid = lo;
    }
    const T pivot = *mid;
    std::int64_t i = L, j = R;
    while (i <= j) {
      while (i < R && ACompare(A[i], pivot) < 0) ++i;
      while (j > L && ACompare(A[j], pivot) > 0) --j;
      if (i <= j) {
        std::swap(A[i], A[j]);
        ++i;
        --j;
      }
    }
    // Both parts are strictly smaller than L..R: recurse into the smaller one.
    if (j - L < R - i) {
      if (L < j) SortRange(A, L, j, ADepthBudget, ACompare);
      L = i;
    } else {
      if (i < R) SortRange(A, i, R, ADepthBudget, ACompare);
      R = j;
    }
  }
  if (L < R) InsertionSort(A, L, R, less);
}

template <class T, class Compare>
void Sort(std::vector<T>& AList, Compare ACompare) {
  if (AList.size() < 2) return;
  int budget = 0;
  for (std::size_t n = AList.size(); n > 1; n >>= 1) budget += 2;
  SortRange(AList.data(), 0, std::int64_t(AList.size()) - 1, budget, ACompare);
}

// One record's order key and its place in the list being sorted.
struct TKeySlot {
  std::uint64_t Key;
  std::uint32_t Slot;
};

// A stable sort by Key, least significant byte first; AScratch is working space.
inline void RadixSort(std::vector<TKeySlot>& AItems, std::vector<TKeySlot>& AScratch) {
  if (AItems.size() < 2) return;
  std::uint64_t varying = 0;
  const std::uint64_t first = AItems.front().Key;
  for (const TKeySlot& e : AItems) varying |= e.Key ^ first;
  AScratch.resize(AItems.size());
  for (int shift = 0; shift < 64; shift += 8) {
    if (((varying >> shift) & 0xFF) == 0) continue;
    std::size_t counts[257] = {};
    for (const TKeySlot& e : AItems) ++counts[((e.Key >> shift) & 0xFF) + 1];
    for (int b = 0; b < 256; ++b) counts[b + 1] += counts[b];
    for (const TKeySlot& e : AItems) AScratch[counts[(e.Key >> shift) & 0xFF]++] = e;
    AItems.swap(AScratch);
  }
}

}  // namespace cxDataSort
