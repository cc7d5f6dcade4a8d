// A table of slots named by handles that encode (generation, slot). A stale handle must never
// name a later object: a slot's generation has 32 bits and a slot whose generation is used up
// is retired for good; freed slots wait in a queue, and reuse starts only once many are free,
// so a freed slot is not handed straight back to the next caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

template <class T>
class HandleSlots {
 public:
  static constexpr unsigned kSlotBits = 20;
  static constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
  static constexpr size_t kMinFree = 64;   // free slots kept waiting before one is reused

  // Handle value: generation << 20 | slot, generation >= 1, so every value is >= 0x100000.
  // 0 when the table is full.
  uintptr_t Add(T value) {
    uint32_t slot;
    if (!free_.empty() && (free_.size() > kMinFree || entries_.size() > kSlotMask)) {
      slot = free_.front();
      free_.pop_front();
    } else {
      if (entries_.size() > kSlotMask) return 0;
      slot = uint32_t(entries_.size());
      entries_.emplace_back();
    }
    Entry& e = entries_[slot];
    e.value = std::move(value);
    e.used = true;
    return uintptr_t(e.gen) << kSlotBits | slot;
  }

  T* Find(uintptr_t h) {
    Entry* e = entry(h);
    return e ? &e->value : nullptr;
  }

  // Empties the slot (the value is destroyed here); false for a stale or unknown handle.
  bool Remove(uintptr_t h) {
    Entry* e = entry(h);
    if (!e) return false;
    T old = std::move(e->value);
    e->value = T{};
    e->used = false;
    if (e->gen == UINT32_MAX) return true;   // retired: its handles stay stale for ever
    ++e->gen;
    free_.push_back(uint32_t(h & kSlotMask));
    return true;
  }

 private:
  struct Entry {
    T value{};
    uint32_t gen = 1;
    bool used = false;
  };

  Entry* entry(uintptr_t h) {
    const uint64_t gen = uint64_t(h) >> kSlotBits, slot = h & kSlotMask;
    if (gen == 0 || gen > UINT32_MAX || slot >= entries_.size()) return nullptr;
    Entry& e = entries_[slot];
    return e.used && e.gen == gen ? &e : nullptr;
  }

  std::vector<Entry> entries_;
  std::deque<uint32_t> free_;
};
