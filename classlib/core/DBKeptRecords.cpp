// The verdicts of a data set's filter by place, in blocks of a few hundred: scrolling asks
// for the count and the current record's number at every step, and a grid over a large
// filtered data set must not pay for every record each time, nor after each record posted
// or deleted.
#include "classlib/core/DBKeptRecords.h"

#include <algorithm>
#include <numeric>

namespace {
// Blocks are built this long and split in two past twice this.
constexpr size_t kBlockSize = 512;
}  // namespace

void TDataSetKeptRecords::Add(bool Kept) {
  if (FBlocks.empty() || FBlocks.back().Verdicts.size() >= kBlockSize) FBlocks.emplace_back();
  TBlock& block = FBlocks.back();
  block.Verdicts.push_back(Kept ? 1 : 0);
  block.Kept += Kept ? 1 : 0;
  FKept += Kept ? 1 : 0;
  ++FSize;
  FIndexed = false;
}

void TDataSetKeptRecords::Index() const {
  if (FIndexed) return;
  FStarts.resize(FBlocks.size());
  FKeptBefore.resize(FBlocks.size());
  Integer start = 0, kept = 0;
  for (size_t b = 0; b < FBlocks.size(); ++b) {
    FStarts[b] = start;
    FKeptBefore[b] = kept;
    start += Integer(FBlocks[b].Verdicts.size());
    kept += FBlocks[b].Kept;
  }
  FIndexed = true;
}

size_t TDataSetKeptRecords::Find(Integer Place, Integer& Offset) const {
  Index();
  const size_t b = size_t(std::upper_bound(FStarts.begin(), FStarts.end(), Place) - FStarts.begin()) - 1;
  Offset = Place - FStarts[b];
  return b;
}

bool TDataSetKeptRecords::Kept(Integer Place) const {
  if (Place < 0 || Place >= FSize) return false;
  Integer offset = 0;
  const size_t b = Find(Place, offset);
  return FBlocks[b].Verdicts[size_t(offset)] != 0;
}

Integer TDataSetKeptRecords::Rank(Integer Place) const {
  if (Place <= 0) return 0;
  if (Place >= FSize) return FKept;
  Integer offset = 0;
  const size_t b = Find(Place, offset);
  const std::vector<uint8_t>& v = FBlocks[b].Verdicts;
  return FKeptBefore[b] + std::accumulate(v.begin(), v.begin() + offset, Integer(0));
}

Integer TDataSetKeptRecords::Next(Integer Place, Integer Step) const {
  if (FKept == 0) return -1;
  Integer offset = 0;
  if (Step > 0) {
    if (Place >= FSize - 1) return -1;
    size_t b = Find(Place < 0 ? 0 : Place + 1, offset);
    for (; b < FBlocks.size(); ++b, offset = 0) {
      const TBlock& block = FBlocks[b];
      if (block.Kept == 0) continue;
      for (size_t i = size_t(offset); i < block.Verdicts.size(); ++i)
        if (block.Verdicts[i]) return FStarts[b] + Integer(i);
    }
    return -1;
  }
  if (Place <= 0) return -1;
  size_t b = Find(Place > FSize ? FSize - 1 : Place - 1, offset);
  for (;;) {
    const TBlock& block = FBlocks[b];
    if (block.Kept > 0)
      for (Integer i = offset; i >= 0; --i)
        if (block.Verdicts[size_t(i)]) return FStarts[b] + i;
    if (b == 0) return -1;
    --b;
    offset = Integer(FBlocks[b].Verdicts.size()) - 1;
  }
}

void TDataSetKeptRecords::Insert(Integer Place, bool Kept) {
  if (Place < 0 || Place > FSize) return;
  if (Place == FSize) {
    Add(Kept);
    return;
  }
  Integer offset = 0;
  const size_t b = Find(Place, offset);
  TBlock& block = FBlocks[b];
  block.Verdicts.insert(block.Verdicts.begin() + offset, Kept ? 1 : 0);
  block.Kept += Kept ? 1 : 0;
  FKept += Kept ? 1 : 0;
  ++FSize;
  FIndexed = false;
  if (block.Verdicts.size() <= 2 * kBlockSize) return;
  // Too long: the second half becomes a block of its own.
  TBlock half;
  half.Verdicts.assign(block.Verdicts.begin() + kBlockSize, block.Verdicts.end());
  half.Kept = std::accumulate(half.Verdicts.begin(), half.Verdicts.end(), Integer(0));
  block.Verdicts.resize(kBlockSize);
  block.Kept -= half.Kept;
  FBlocks.insert(FBlocks.begin() + Integer(b) + 1, std::move(half));
}

void TDataSetKeptRecords::Erase(Integer Place) {
  if (Place < 0 || Place >= FSize) return;
  Integer offset = 0;
  const size_t b = Find(Place, offset);
  TBlock& block = FBlocks[b];
  const Integer kept = block.Verdicts[size_t(offset)];
  block.Verdicts.erase(block.Verdicts.begin() + offset);
  block.Kept -= kept;
  FKept -= kept;
  --FSize;
  if (block.Verdicts.empty()) FBlocks.erase(FBlocks.begin() + Integer(b));
  FIndexed = false;
}

void TDataSetKeptRecords::Set(Integer Place, bool Kept) {
  if (Place < 0 || Place >= FSize) return;
  Integer offset = 0;
  const size_t b = Find(Place, offset);
  uint8_t& verdict = FBlocks[b].Verdicts[size_t(offset)];
  const Integer change = Integer(Kept ? 1 : 0) - Integer(verdict);
  verdict = Kept ? 1 : 0;
  FBlocks[b].Kept += change;
  FKept += change;
  if (change != 0) FIndexed = false;
}
