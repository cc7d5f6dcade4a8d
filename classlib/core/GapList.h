// A list that takes an insert or a deletion near the last one in constant time: the free
// slots stand together as a gap where the list changed last, so only the entries between
// the old and the new place move. A list of a million entries shifted by one on every insert
// costs a few megabytes of copying each time; with the gap it costs what lies between two
// edits.
//
// An entry lives in a slot: its index below the gap, its index plus the gap's size above.
// A user that keeps slots (an id -> slot map) learns of every block of entries that changed
// slot through the AMoved argument of insert and erase: AMoved(First, Last) names the slots
// [First, Last) that the moved entries take now. Entries of a trivially copyable type move
// as one block copy.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

// The AMoved of a user that keeps no slots.
struct TGapListIgnoreMoves {
  void operator()(size_t /*First*/, size_t /*Last*/) const {}
};

// Slots [First, Last).
struct TGapSlots {
  size_t First = 0, Last = 0;
};

// In slots from ASlots, a gap of AGapSize free slots at AGapStart moves to start at AIndex:
// the entries between cross it in one block move. Returns the slots they take now. For
// lists that keep their own slots beside the gap; TGapList is built on it.
template <class TIter>
TGapSlots MoveGapTo(TIter ASlots, size_t& AGapStart, size_t AGapSize, size_t AIndex) {
  TGapSlots moved;
  if (AGapSize == 0) {
    AGapStart = AIndex;
    return moved;
  }
  if (AGapStart > AIndex) {
    std::move_backward(ASlots + std::ptrdiff_t(AIndex), ASlots + std::ptrdiff_t(AGapStart),
                       ASlots + std::ptrdiff_t(AGapStart + AGapSize));
    moved = {AIndex + AGapSize, AGapStart + AGapSize};
  } else if (AGapStart < AIndex) {
    std::move(ASlots + std::ptrdiff_t(AGapStart + AGapSize),
              ASlots + std::ptrdiff_t(AIndex + AGapSize), ASlots + std::ptrdiff_t(AGapStart));
    moved = {AGapStart, AIndex};
  }
  AGapStart = AIndex;
  return moved;
}

template <class T>
class TGapList {
 public:
  template <class TOwner, class TValue>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = TValue*;
    using reference = TValue&;
    Iterator() = default;
    Iterator(TOwner* AOwner, size_t AIndex) : FOwner(AOwner), FIndex(AIndex) {}
    reference operator*() const { return (*FOwner)[FIndex]; }
    pointer operator->() const { return &(*FOwner)[FIndex]; }
    Iterator& operator++() {
      ++FIndex;
      return *this;
    }
    Iterator operator++(int) {
      Iterator r = *this;
      ++FIndex;
      return r;
    }
    bool operator==(const Iterator& AOther) const { return FIndex == AOther.FIndex; }
    size_t Index() const { return FIndex; }

   private:
    TOwner* FOwner = nullptr;
    size_t FIndex = 0;
  };
  using iterator = Iterator<TGapList, T>;
  using const_iterator = Iterator<const TGapList, const T>;

  size_t size() const { return FItems.size() - FGapSize; }
  bool empty() const { return size() == 0; }

  T& operator[](size_t AIndex) { return FItems[SlotOf(AIndex)]; }
  const T& operator[](size_t AIndex) const { return FItems[SlotOf(AIndex)]; }

  size_t SlotOf(size_t AIndex) const { return AIndex < FGapStart ? AIndex : AIndex + FGapSize; }
  size_t IndexOfSlot(size_t ASlot) const { return ASlot < FGapStart ? ASlot : ASlot - FGapSize; }
  T& AtSlot(size_t ASlot) { return FItems[ASlot]; }
  const T& AtSlot(size_t ASlot) const { return FItems[ASlot]; }

  void push_back(T AValue) { insert(size(), std::move(AValue)); }

  // The new entry takes slot AIndex (the gap stands right after it).
  template <class TMoved = TGapListIgnoreMoves>
  void insert(size_t AIndex, T AValue, TMoved&& AMoved = {}) {
    if (FGapSize == 0) {
      // A new gap at the end, an eighth of the entries (or the room reserved): inserts at
      // one place cost constant time on average. Out of memory, nothing has changed.
      const size_t grow =
          std::max<size_t>({16, FItems.size() / 8, FItems.capacity() - FItems.size()});
      FItems.resize(FItems.size() + grow);
      FGapStart = FItems.size() - grow;
      FGapSize = grow;
    }
    const TSlots moved = MoveGap(AIndex);
    if (moved.First < moved.Last) AMoved(moved.First, moved.Last);
    FItems[FGapStart] = std::move(AValue);
    ++FGapStart;
    --FGapSize;
  }

  template <class TMoved = TGapListIgnoreMoves>
  void erase(size_t AIndex, TMoved&& AMoved = {}) {
    TSlots moved = MoveGap(AIndex);
    // The entry erased crossed with the others when the gap went down to it.
    if (moved.First == FGapStart + FGapSize) ++moved.First;
    FItems[FGapStart + FGapSize] = T();
    ++FGapSize;
    if (moved.First < moved.Last) AMoved(moved.First, moved.Last);
    // Mostly gap after many deletions: the entries close up and the memory goes.
    if (FGapSize > 64 && FGapSize > 3 * size()) Close(true, AMoved);
  }

  // The entries at AGone (ascending, each once, all within the list) leave in one pass. The
  // slots of the others change without a report.
  template <class TIndexes>
  void erase_sorted(const TIndexes& AGone) {
    if (AGone.empty()) return;
    if (AGone.size() == 1) {
      erase(size_t(AGone.front()));
      return;
    }
    Close(false, TGapListIgnoreMoves());
    size_t out = size_t(AGone.front()), next = 0;
    for (size_t i = out; i < FItems.size(); ++i) {
      if (next < AGone.size() && size_t(AGone[next]) == i) {
        ++next;
        continue;
      }
      FItems[out++] = std::move(FItems[i]);
    }
    FItems.resize(out);
  }

  void assign(size_t ACount, const T& AValue) {
    clear();
    FItems.assign(ACount, AValue);
  }
  // The entries as a plain vector, the gap closed: for a pass over all of them.
  std::vector<T>& Flat() {
    Close(false, TGapListIgnoreMoves());
    return FItems;
  }

  void clear() {
    FItems.clear();
    FGapStart = FGapSize = 0;
  }
  void reserve(size_t ACount) { FItems.reserve(ACount + FGapSize); }
  void resize(size_t ACount, const T& AValue = T()) {
    Close(false, TGapListIgnoreMoves());
    FItems.resize(ACount, AValue);
  }

  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, size()); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }

 private:
  using TSlots = TGapSlots;

  // The entries between the gap and AIndex cross it in one block move; the slots they take
  // now are returned.
  TSlots MoveGap(size_t AIndex) { return MoveGapTo(FItems.begin(), FGapStart, FGapSize, AIndex); }

  // The gap leaves: the entries stand in one block from the first slot.
  template <class TMoved>
  void Close(bool AShrink, TMoved&& AMoved) {
    if (FGapSize == 0) return;
    const size_t count = size();
    const TSlots moved = MoveGap(count);
    FItems.resize(count);
    FGapStart = FGapSize = 0;
    if (AShrink) FItems.shrink_to_fit();
    if (moved.First < moved.Last) AMoved(moved.First, moved.Last);
  }

  std::vector<T> FItems;
  size_t FGapStart = 0, FGapSize = 0;
};
