// A sequence with indexed access that stays cheap to insert into and erase from in the
// middle: elements live in blocks of at most kBlock, so an insertion moves at most one
// block's elements and shifts one start index per block, instead of moving every element
// after it. Filling a sorted list of n items costs about n log n comparisons plus n times
// (kBlock + n / kBlock) small steps, not n² element moves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

template <class T>
class BlockSequence {
 public:
  static constexpr size_t kBlock = 512;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t i) {
    const size_t b = blockOf(i);
    return blocks_[b][i - starts_[b]];
  }
  const T& operator[](size_t i) const {
    const size_t b = blockOf(i);
    return blocks_[b][i - starts_[b]];
  }

  // Inserts before index `at` (at == size() appends).
  void insert(size_t at, T value) {
    if (blocks_.empty()) {
      blocks_.emplace_back();
      starts_.push_back(0);
    }
    size_t b = at == size_ ? blocks_.size() - 1 : blockOf(at);
    std::vector<T>& block = blocks_[b];
    block.insert(block.begin() + std::ptrdiff_t(at - starts_[b]), std::move(value));
    ++size_;
    for (size_t k = b + 1; k < starts_.size(); ++k) ++starts_[k];
    if (block.size() > 2 * kBlock) split(b);
  }

  void erase(size_t i) {
    const size_t b = blockOf(i);
    std::vector<T>& block = blocks_[b];
    block.erase(block.begin() + std::ptrdiff_t(i - starts_[b]));
    --size_;
    for (size_t k = b + 1; k < starts_.size(); ++k) --starts_[k];
    if (block.empty()) {
      blocks_.erase(blocks_.begin() + std::ptrdiff_t(b));
      starts_.erase(starts_.begin() + std::ptrdiff_t(b));
    }
  }

  void clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    starts_.clear();
    starts_.shrink_to_fit();
    size_ = 0;
  }

  // n copies of value; may throw std::bad_alloc, leaving the sequence empty.
  void assign(size_t n, const T& value) {
    clear();
    try {
      for (size_t done = 0; done < n; done += kBlock) {
        blocks_.emplace_back(std::min(kBlock, n - done), value);
        starts_.push_back(done);
      }
    } catch (...) {  // written out: only a failed fill empties the sequence
      clear();
      throw;
    }
    size_ = n;
  }

  template <class V, class B>
  class Iter {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = V*;
    using reference = V&;
    Iter(B* blocks, size_t block, size_t offset) : blocks_(blocks), block_(block), offset_(offset) {}
    V& operator*() const { return (*blocks_)[block_][offset_]; }
    V* operator->() const { return &**this; }
    Iter& operator++() {
      if (++offset_ == (*blocks_)[block_].size()) ++block_, offset_ = 0;
      return *this;
    }
    Iter operator++(int) {
      Iter old = *this;
      ++*this;
      return old;
    }
    bool operator==(const Iter& o) const { return block_ == o.block_ && offset_ == o.offset_; }

   private:
    B* blocks_;
    size_t block_, offset_;
  };
  using iterator = Iter<T, std::vector<std::vector<T>>>;
  using const_iterator = Iter<const T, const std::vector<std::vector<T>>>;
  iterator begin() { return {&blocks_, 0, 0}; }
  iterator end() { return {&blocks_, blocks_.size(), 0}; }
  const_iterator begin() const { return {&blocks_, 0, 0}; }
  const_iterator end() const { return {&blocks_, blocks_.size(), 0}; }

 private:
  size_t blockOf(size_t i) const {
    // The last block starting at or before i.
    return size_t(std::upper_bound(starts_.begin(), starts_.end(), i) - starts_.begin()) - 1;
  }

  void split(size_t b) {
    std::vector<T>& block = blocks_[b];
    const size_t half = block.size() / 2;
    std::vector<T> tail(std::make_move_iterator(block.begin() + std::ptrdiff_t(half)),
                        std::make_move_iterator(block.end()));
    block.erase(block.begin() + std::ptrdiff_t(half), block.end());
    blocks_.insert(blocks_.begin() + std::ptrdiff_t(b + 1), std::move(tail));
    starts_.insert(starts_.begin() + std::ptrdiff_t(b + 1), starts_[b] + half);
  }

  std::vector<std::vector<T>> blocks_;   // never holds an empty block
  std::vector<size_t> starts_;           // index of each block's first element
  size_t size_ = 0;
};
