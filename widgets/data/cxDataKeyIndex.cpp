// Finding a record by its key, and the records whose text begins with a typed text, through
// the storage's indexes. A lookup list shows a key's text for every row it paints, and its
// incremental filter asks for every keystroke: comparing with each record costs a pass over
// the records each time. The indexes are built once walking paid for them and then follow
// each change of one record (its old key or text out, its new one in; the records after an
// insertion or a deletion renumbered through one composed map of the shifts, rarely all at
// once), so a change never costs a rebuild nor a pass over the index.
#include "widgets/data/cxDataKeyIndex.h"

#include "widgets/data/cxDataStorage.h"

#include "platform/kernel/CodePage.h"

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <type_traits>

namespace {

// The value types whose comparison is the equality of their stored bytes: whole numbers and
// currency compare the bytes' value, strings their bytes. A type with a comparison of its own
// (floating values, dates, variants, objects, wide strings, any descendant) is left to the walk.
bool IsByteEqualType(TcxValueTypeClass AType) {
  return AType == TcxSmallintValueType::StaticClass() || AType == TcxIntegerValueType::StaticClass() ||
         AType == TcxWordValueType::StaticClass() || AType == TcxLargeIntValueType::StaticClass() ||
         AType == TcxCurrencyValueType::StaticClass();
}

// The code page's upper case as a table: comparisons ask it of every byte.
const std::array<Byte, 256>& UpperTable() {
  static const std::array<Byte, 256> table = [] {
    std::array<Byte, 256> t{};
    for (int i = 0; i < 256; ++i) t[size_t(i)] = CpUpper(Byte(i));
    return t;
  }();
  return table;
}

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

// The first eight upper-cased bytes of a text, big-endian, zero-padded.
std::uint64_t HeadOf(std::string_view AText, const std::array<Byte, 256>& AUpper) {
  std::uint64_t h = 0;
  const size_t n = std::min<size_t>(AText.size(), 8);
  for (size_t i = 0; i < 8; ++i) h = (h << 8) | (i < n ? AUpper[Byte(AText[i])] : 0);
  return h;
}

// The upper-cased bytes of A and B from AFrom on, then their lengths.
int CompareUpperFrom(std::string_view A, std::string_view B, size_t AFrom,
                     const std::array<Byte, 256>& AUpper) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = AFrom; i < n; ++i) {
    const Byte a = AUpper[Byte(A[i])], b = AUpper[Byte(B[i])];
    if (a != b) return a < b ? -1 : 1;
  }
  return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

}  // namespace

std::uint32_t TcxDataKeyView::Hash() const {
  std::uint64_t h;
  if (Size <= 8) {
    std::uint64_t bits = 0;
    if (Size > 0) std::memcpy(&bits, Data, Size);
    h = Mix(bits ^ (std::uint64_t(Size) << 56) ^ (std::uint64_t(Kind) << 60));
  } else {
    h = Mix(std::hash<std::string_view>()(std::string_view(Data, Size)) ^
            (std::uint64_t(Kind) << 60));
  }
  return std::uint32_t(h ^ (h >> 32));
}

// ---- TcxDataRecordShifts -----------------------------------------------------------------------

Integer TcxDataRecordShifts::Mapped(Integer AFrom) const {
  const auto it = std::upper_bound(FSteps.begin(), FSteps.end(), AFrom,
                                   [](Integer x, const TStep& step) { return x < step.From; });
  return it == FSteps.begin() ? AFrom : AFrom + (it - 1)->Sum;
}

// The map takes the numbers of the segment before step j to x + the Sum of step j - 1, in
// order: the last segment whose first number lands at or before ANow holds the only candidate.
bool TcxDataRecordShifts::Unmapped(Integer ANow, Integer& AFrom) const {
  const auto it = std::partition_point(FSteps.begin(), FSteps.end(), [ANow](const TStep& step) {
    return step.From + step.Sum <= ANow;
  });
  const Integer sum = it == FSteps.begin() ? 0 : (it - 1)->Sum;
  AFrom = ANow - sum;
  return it == FSteps.end() || AFrom < it->From;
}

Integer TcxDataRecordShifts::Now(Integer AStored, std::uint32_t AStamp) const {
  if (AStamp == 0) return Mapped(AStored);
  Integer r = AStored;
  for (size_t i = AStamp - FShiftsFrom; i < FShifts.size(); ++i) {
    const TShift& s = FShifts[i];
    if (s.Inserted)
      r += r >= s.At ? 1 : 0;
    else
      r -= r > s.At ? 1 : 0;
  }
  return r;
}

void TcxDataRecordShifts::Store(Integer ANow, Integer& AStored, std::uint32_t& AStamp) const {
  Drop(AStamp);
  Integer from;
  if (Unmapped(ANow, from)) {
    AStored = from;
    AStamp = 0;
  } else {
    AStored = ANow;
    AStamp = FShiftsEnd;
    ++FLogged;
  }
}

bool TcxDataRecordShifts::Room(size_t AMore, size_t ALimit) const {
  return FSteps.size() + AMore <= ALimit && FShifts.size() + AMore <= ALimit &&
         FShiftsEnd < UINT32_MAX / 2;
}

void TcxDataRecordShifts::Restart() {
  FShifts.clear();
  FSteps.clear();
  FShiftsFrom = FShiftsEnd = 1;
  FLogged = 0;
}

void TcxDataRecordShifts::Shift(Integer AAt, bool AInserted) {
  if (FLogged == 0) {
    FShifts.clear();
    FShiftsFrom = FShiftsEnd + 1;
  } else {
    FShifts.push_back(TShift{AAt, AInserted});
  }
  ++FShiftsEnd;
  // The numbers the shift moves, numbered as at the map's start: from the first x the map
  // takes to AAt or beyond (an insertion), beyond AAt (a deletion). It lies in the first
  // segment whose last number the map takes there; the segment before step j ends at
  // From(j) - 1 and is moved by the Sum of step j - 1.
  const Integer bound = AInserted ? AAt : AAt + 1;
  const auto it = std::partition_point(FSteps.begin(), FSteps.end(), [bound](const TStep& step) {
    return step.From - 1 + step.Sum - step.Delta < bound;
  });
  size_t j = size_t(it - FSteps.begin());
  const Integer before = j == 0 ? 0 : FSteps[j - 1].Sum;
  const Integer from = std::max(j == 0 ? 0 : FSteps[j - 1].From, bound - before);
  const Integer delta = AInserted ? 1 : -1;
  if (j > 0 && FSteps[j - 1].From == from) {
    --j;
    FSteps[j].Delta += delta;
  } else {
    FSteps.insert(FSteps.begin() + ptrdiff_t(j), TStep{from, delta, before});
  }
  for (size_t k = j; k < FSteps.size(); ++k) FSteps[k].Sum += delta;
  // A record in and out at one place: the map is as before.
  if (FSteps[j].Delta == 0) FSteps.erase(FSteps.begin() + ptrdiff_t(j));
}

// ---- TcxDataKeyIndex ---------------------------------------------------------------------------

TcxDataKeyView TcxDataKeyIndex::KeyOf(Integer ARecordIndex) const {
  TcxDataKeyView view;
  FStorage->KeyView(ARecordIndex, FValueDef, view);
  return view;
}

void TcxDataKeyIndex::Reserve(size_t AKeys) {
  size_t capacity = 16;
  while (capacity < AKeys * 2) capacity *= 2;
  if (capacity <= FSlots.size()) return;
  std::vector<TSlot> old(capacity, TSlot{0, kEmpty, 0, 0});
  old.swap(FSlots);
  const size_t mask = FSlots.size() - 1;
  for (const TSlot& s : old) {
    if (s.First == kEmpty) continue;
    size_t i = s.Hash & mask;
    while (FSlots[i].First != kEmpty) i = (i + 1) & mask;
    FSlots[i] = s;
  }
}

Integer TcxDataKeyIndex::FirstOf(const TSlot& ASlot) const {
  return FShifts.Now(ASlot.First, ASlot.Shifted);
}

// A step costs the map's length, a renumbering every slot: the map grows with the table.
bool TcxDataKeyIndex::LogRoom(size_t AMore) {
  if (FShifts.Room(AMore, 64 + FSlots.size() / 128)) return true;
  for (TSlot& s : FSlots) {
    if (s.First == kEmpty) continue;
    s.First = FirstOf(s);
    s.Shifted = 0;
  }
  FShifts.Restart();
  return false;
}

bool TcxDataKeyIndex::Build(Integer ACount) {
  FSlots.clear();
  FShifts.Restart();
  FUsed = 0;
  FCount = 0;
  Reserve(size_t(ACount));
  for (Integer r = 0; r < ACount; ++r) {
    TcxDataKeyView view;
    if (!FStorage->KeyView(r, FValueDef, view)) return false;
    // Records come in order: a key's first record is the first one seen.
    const std::uint32_t hash = view.Hash();
    const size_t mask = FSlots.size() - 1;
    size_t i = hash & mask;
    for (; FSlots[i].First != kEmpty; i = (i + 1) & mask)
      if (FSlots[i].Hash == hash && KeyOf(FSlots[i].First) == view) break;
    if (FSlots[i].First == kEmpty) {
      FSlots[i] = TSlot{hash, r, 1, 0};
      ++FUsed;
    } else {
      ++FSlots[i].Count;
    }
  }
  FCount = ACount;
  return true;
}

const TcxDataKeyIndex::TSlot* TcxDataKeyIndex::SlotOf(const TcxDataKeyView& AKey) const {
  if (FSlots.empty()) return nullptr;
  const std::uint32_t hash = AKey.Hash();
  const size_t mask = FSlots.size() - 1;
  for (size_t i = hash & mask; FSlots[i].First != kEmpty; i = (i + 1) & mask) {
    TSlot& s = FSlots[i];
    if (s.Hash != hash) continue;
    const Integer first = FirstOf(s);
    // Numbered anew, a slot read once reads no more of the log.
    if (s.Shifted != 0) SetFirst(s, first);
    if (KeyOf(first) == AKey) return &s;
  }
  return nullptr;
}

Integer TcxDataKeyIndex::First(const TcxDataKeyView& AKey) const {
  const TSlot* slot = SlotOf(AKey);
  return slot ? FirstOf(*slot) : -1;
}

Integer TcxDataKeyIndex::CountOf(const TcxDataKeyView& AKey) const {
  const TSlot* slot = SlotOf(AKey);
  return slot ? slot->Count : 0;
}

void TcxDataKeyIndex::Add(Integer ARecordIndex) {
  if (FCount < 0) return;
  Reserve(FUsed + 1);
  const TcxDataKeyView key = KeyOf(ARecordIndex);
  const std::uint32_t hash = key.Hash();
  const size_t mask = FSlots.size() - 1;
  size_t i = hash & mask;
  for (; FSlots[i].First != kEmpty; i = (i + 1) & mask) {
    TSlot& s = FSlots[i];
    if (s.Hash != hash) continue;
    const Integer first = FirstOf(s);
    if (!(KeyOf(first) == key)) continue;
    if (ARecordIndex < first) SetFirst(s, ARecordIndex);
    ++s.Count;
    ++FCount;
    return;
  }
  FSlots[i] = TSlot{hash, kEmpty, 1, 0};
  SetFirst(FSlots[i], ARecordIndex);
  ++FUsed;
  ++FCount;
}

void TcxDataKeyIndex::Remove(Integer ARecordIndex, const TcxDataKeyView& AKey) {
  if (FCount < 0 || FSlots.empty()) return;
  const std::uint32_t hash = AKey.Hash();
  const size_t mask = FSlots.size() - 1;
  for (size_t i = hash & mask; FSlots[i].First != kEmpty; i = (i + 1) & mask) {
    TSlot& s = FSlots[i];
    if (s.Hash != hash) continue;
    const Integer first = FirstOf(s);
    // The record's own slot when it is the first (whatever it holds now), else by the key.
    if (first != ARecordIndex && !(KeyOf(first) == AKey)) continue;
    --FCount;
    if (--s.Count == 0) {
      EraseSlot(i);
      return;
    }
    if (first != ARecordIndex) return;
    // The key's other records all follow the first: the nearest of them is the next first.
    const Integer records = FStorage->RecordCount();
    for (Integer r = ARecordIndex + 1; r < records; ++r)
      if (KeyOf(r) == AKey) {
        SetFirst(s, r);
        return;
      }
    FCount = -1;  // the records hold what the index did not know of
    return;
  }
  FCount = -1;
}

// Empties the slot and moves later slots of the same run back, so that no search stops short.
void TcxDataKeyIndex::EraseSlot(size_t AIndex) {
  const size_t mask = FSlots.size() - 1;
  FShifts.Drop(FSlots[AIndex].Shifted);
  size_t hole = AIndex;
  for (size_t j = (hole + 1) & mask; FSlots[j].First != kEmpty; j = (j + 1) & mask) {
    const size_t home = FSlots[j].Hash & mask;
    // The entry at j may fill the hole when its home is not in the cyclic range (hole, j].
    const bool between = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (between) continue;
    FSlots[hole] = FSlots[j];
    hole = j;
  }
  FSlots[hole] = TSlot{0, kEmpty, 0, 0};
  --FUsed;
}

template <class F>
void TcxDataKeyIndex::Renumber(F&& AMap) {
  for (TSlot& s : FSlots)
    if (s.First != kEmpty) s.First = AMap(s.First);
}

void TcxDataKeyIndex::Inserted(Integer ARecordIndex) {
  if (FCount < 0 || ARecordIndex >= FCount) return;  // appended: nothing follows it
  if (LogRoom(1))
    FShifts.Shift(ARecordIndex, true);
  else
    Renumber([ARecordIndex](Integer r) { return r + (r >= ARecordIndex ? 1 : 0); });
}

void TcxDataKeyIndex::Deleted(const std::vector<Integer>& AList) {
  if (FCount < 0 || AList.empty()) return;
  const Integer first = AList.front();
  if (AList.size() == 1 && first >= FCount) return;  // the last record: nothing followed it
  if (LogRoom(AList.size())) {
    // The last first: each deletion is then numbered as the records stood before it.
    for (auto it = AList.rbegin(); it != AList.rend(); ++it) FShifts.Shift(*it, false);
    return;
  }
  Renumber([&AList, first](Integer r) {
    if (r < first) return r;
    return r - Integer(std::upper_bound(AList.begin(), AList.end(), r) - AList.begin());
  });
}

// ---- TcxDataTextIndex
// ----------------------------------------------------------------------------

std::string_view TcxDataTextIndex::TextOf(Integer ARecordIndex) const {
  std::string_view text;
  FStorage->TextView(ARecordIndex, FValueDef, text);
  return text;
}

TcxDataTextIndex::TEntry TcxDataTextIndex::EntryOf(Integer ARecordIndex) const {
  const std::string_view text = TextOf(ARecordIndex);
  const std::uint32_t length = std::uint32_t(std::min<size_t>(text.size(), UINT32_MAX));
  return TEntry{HeadOf(text, UpperTable()), length, ARecordIndex, 0};
}

Integer TcxDataTextIndex::RecordOf(const TEntry& AEntry) const {
  const Integer now = FShifts.Now(AEntry.Record, AEntry.Stamp);
  if (AEntry.Stamp != 0) FShifts.Store(now, AEntry.Record, AEntry.Stamp);
  return now;
}

// Texts in upper-cased byte order, then records. Equal heads decide nothing only when a text
// is longer than its head.
bool TcxDataTextIndex::Before(const TEntry& AStored, const TEntry& AProbe) const {
  if (AStored.Head != AProbe.Head) return AStored.Head < AProbe.Head;
  const Integer record = RecordOf(AStored);
  if (AStored.Length > 8 && AProbe.Length > 8) {
    const int c = CompareUpperFrom(TextOf(record), TextOf(AProbe.Record), 8, UpperTable());
    if (c != 0) return c < 0;
  } else if (AStored.Length != AProbe.Length) {
    return AStored.Length < AProbe.Length;
  }
  return record < AProbe.Record;
}

void TcxDataTextIndex::Build(Integer ACount) {
  std::vector<TEntry> all;
  all.reserve(size_t(ACount));
  for (Integer r = 0; r < ACount; ++r) all.push_back(EntryOf(r));
  // By head alone first; then each run of one head in the index's order, the texts longer
  // than their head read once each (a shared beginning would read them at every compare).
  std::sort(all.begin(), all.end(),
            [](const TEntry& A, const TEntry& B) { return A.Head < B.Head; });
  const std::array<Byte, 256>& upper = UpperTable();
  struct TTail {
    String Text;
    TEntry Entry;
  };
  std::vector<TTail> tails;
  for (size_t run = 0; run < all.size();) {
    size_t end = run + 1;
    while (end < all.size() && all[end].Head == all[run].Head) ++end;
    const auto first = all.begin() + std::ptrdiff_t(run), last = all.begin() + std::ptrdiff_t(end);
    // A text as short as its head is a beginning of every longer one with that head.
    const auto longer = std::partition(first, last, [](const TEntry& e) { return e.Length <= 8; });
    std::sort(first, longer, [](const TEntry& A, const TEntry& B) {
      return A.Length != B.Length ? A.Length < B.Length : A.Record < B.Record;
    });
    if (last - longer > 1) {
      tails.clear();
      for (auto e = longer; e != last; ++e) {
        String tail(TextOf(e->Record).substr(8));
        for (Char& ch : tail) ch = Char(upper[Byte(ch)]);
        tails.push_back(TTail{std::move(tail), *e});
      }
      std::sort(tails.begin(), tails.end(), [](const TTail& A, const TTail& B) {
        const int c = A.Text.compare(B.Text);
        return c != 0 ? c < 0 : A.Entry.Record < B.Entry.Record;
      });
      auto out = longer;
      for (const TTail& t : tails) *out++ = t.Entry;
    }
    run = end;
  }
  FShifts.Restart();
  FBlocks.clear();
  FBlocks.reserve(all.size() / kBlock + 1);
  for (size_t at = 0; at < all.size(); at += kBlock) {
    FBlocks.emplace_back(all.begin() + std::ptrdiff_t(at),
                         all.begin() + std::ptrdiff_t(std::min(all.size(), at + kBlock)));
  }
  FCount = ACount;
}

void TcxDataTextIndex::LowerBound(const TEntry& AProbe, size_t& ABlock, size_t& AOffset) const {
  auto before = [&](const TEntry& AStored) { return Before(AStored, AProbe); };
  // The first block whose last entry is not before AProbe.
  ABlock = size_t(std::partition_point(FBlocks.begin(), FBlocks.end(),
                                       [&](const TBlock& b) { return before(b.back()); }) -
                  FBlocks.begin());
  AOffset = 0;
  if (ABlock == FBlocks.size()) return;
  const TBlock& b = FBlocks[ABlock];
  AOffset = size_t(std::partition_point(b.begin(), b.end(), before) - b.begin());
}

void TcxDataTextIndex::Find(const String& AUpperPrefix, std::vector<Integer>& ARecords) const {
  ARecords.clear();
  const std::array<Byte, 256>& upper = UpperTable();
  const size_t length = AUpperPrefix.size();
  const std::uint64_t head = HeadOf(AUpperPrefix, upper);
  // Whether an entry's text comes before the prefix itself: heads differ, or a text as short as
  // its head (or a prefix as short) is told apart by its length, or the bytes after the heads.
  auto before = [&](const TEntry& e) {
    if (e.Head != head) return e.Head < head;
    if (e.Length <= 8 || length <= 8) return e.Length < length;
    return CompareUpperFrom(TextOf(RecordOf(e)), AUpperPrefix, 8, upper) < 0;
  };
  // The prefix's own bytes of a head: an entry whose bytes there match and whose text is as
  // long as the prefix begins with it.
  const std::uint64_t mask = length >= 8 ? ~std::uint64_t(0) : ~(~std::uint64_t(0) >> (8 * length));
  auto begins = [&](const TEntry& e) {
    if ((e.Head & mask) != (head & mask) || e.Length < length) return false;
    return length <= 8 ||
           CompareUpperFrom(TextOf(RecordOf(e)).substr(0, length), AUpperPrefix, 8, upper) == 0;
  };
  size_t block = size_t(std::partition_point(FBlocks.begin(), FBlocks.end(),
                                             [&](const TBlock& b) { return before(b.back()); }) -
                        FBlocks.begin());
  if (block < FBlocks.size()) {
    const TBlock& b = FBlocks[block];
    size_t offset = size_t(std::partition_point(b.begin(), b.end(), before) - b.begin());
    for (bool more = true; more && block < FBlocks.size(); ++block, offset = 0) {
      const TBlock& entries = FBlocks[block];
      for (; offset < entries.size(); ++offset) {
        if (!begins(entries[offset])) {
          more = false;
          break;
        }
        ARecords.push_back(RecordOf(entries[offset]));
      }
    }
  }
  std::sort(ARecords.begin(), ARecords.end());
}

void TcxDataTextIndex::Add(Integer ARecordIndex) {
  TEntry e = EntryOf(ARecordIndex);
  size_t block = 0, offset = 0;
  if (!FBlocks.empty()) LowerBound(e, block, offset);
  e.Stamp = 0;
  FShifts.Store(ARecordIndex, e.Record, e.Stamp);
  ++FCount;
  if (FBlocks.empty()) {
    FBlocks.emplace_back(1, e);
    return;
  }
  if (block == FBlocks.size()) {
    block = FBlocks.size() - 1;
    offset = FBlocks[block].size();
  }
  TBlock& b = FBlocks[block];
  b.insert(b.begin() + std::ptrdiff_t(offset), e);
  if (b.size() < 2 * kBlock) return;
  TBlock half(b.begin() + std::ptrdiff_t(kBlock), b.end());
  b.resize(kBlock);
  FBlocks.insert(FBlocks.begin() + std::ptrdiff_t(block + 1), std::move(half));
}

bool TcxDataTextIndex::Remove(Integer ARecordIndex) {
  const TEntry e = EntryOf(ARecordIndex);
  size_t block, offset;
  LowerBound(e, block, offset);
  if (block == FBlocks.size() || RecordOf(FBlocks[block][offset]) != ARecordIndex) return false;
  TBlock& b = FBlocks[block];
  FShifts.Drop(b[size_t(offset)].Stamp);
  b.erase(b.begin() + std::ptrdiff_t(offset));
  if (b.empty()) FBlocks.erase(FBlocks.begin() + std::ptrdiff_t(block));
  --FCount;
  return true;
}

// A renumbering costs every entry, a step the map's length: the map grows with the index.
bool TcxDataTextIndex::LogRoom(size_t AMore) {
  if (FShifts.Room(AMore, 64 + size_t(FCount) / 128)) return true;
  for (TBlock& b : FBlocks)
    for (TEntry& e : b) {
      e.Record = FShifts.Now(e.Record, e.Stamp);
      e.Stamp = 0;
    }
  FShifts.Restart();
  return false;
}

template <class F>
void TcxDataTextIndex::Renumber(F&& AMap) {
  for (TBlock& b : FBlocks)
    for (TEntry& e : b) e.Record = AMap(e.Record);
}

void TcxDataTextIndex::Inserted(Integer ARecordIndex) {
  if (ARecordIndex >= FCount) return;  // appended: nothing follows it
  if (LogRoom(1))
    FShifts.Shift(ARecordIndex, true);
  else
    Renumber([ARecordIndex](Integer r) { return r + (r >= ARecordIndex ? 1 : 0); });
}

void TcxDataTextIndex::Deleted(const std::vector<Integer>& AList) {
  if (AList.empty()) return;
  const Integer first = AList.front();
  if (AList.size() == 1 && first >= FCount) return;  // the last record: nothing followed it
  if (LogRoom(AList.size())) {
    // The last first: each deletion is then numbered as the records stood before it.
    for (auto it = AList.rbegin(); it != AList.rend(); ++it) FShifts.Shift(*it, false);
    return;
  }
  Renumber([&AList, first](Integer r) {
    if (r < first) return r;
    return r - Integer(std::upper_bound(AList.begin(), AList.end(), r) - AList.begin());
  });
}

// ---- The storage's indexes ---------------------------------------------------------------------

// Null, a string without a cell and a value each get a kind of their own, as the comparison
// keeps them apart: Null only equals Null, a string without a cell only another such string.
bool TcxDataStorage::KeyView(Integer ARecordIndex, TcxValueDef* AValueDef,
                             TcxDataKeyView& AView) const {
  TcxValueTypeClass type = AValueDef->ValueTypeClass();
  const bool text = type == TcxStringValueType::StaticClass();
  if (!text && !IsByteEqualType(type)) return false;
  if (Resolve(ARecordIndex, AValueDef)->ValueTypeClass() != type) return false;
  const void* data = nullptr;
  AView = TcxDataKeyView();
  if (GetDataBuffer(ARecordIndex, AValueDef, data)) return true;
  if (text) {
    const auto* cell = static_cast<const String*>(data);
    AView.Kind = cell ? 2 : 1;
    if (cell) {
      AView.Data = cell->data();
      AView.Size = cell->size();
    }
  } else {
    AView.Kind = 3;
    AView.Data = static_cast<const char*>(data);
    AView.Size = size_t(type->GetDataSize());
  }
  return true;
}

// What GetDisplayText gives, read in place: a stored display text, else a string value.
bool TcxDataStorage::TextView(Integer ARecordIndex, TcxValueDef* AValueDef,
                              std::string_view& AText) const {
  TcxValueDef* def = Resolve(ARecordIndex, AValueDef);
  const bool slot = def->HasTextSlot();
  if (!slot && def->ValueTypeClass() != TcxStringValueType::StaticClass()) return false;
  AText = std::string_view();
  const Byte* b = Buffer(ARecordIndex);
  if (!b || def->BufferSize() == 0) return true;
  const Byte* field = b + def->Offset();
  if (!slot && !field[0]) return true;
  const String* cell;
  std::memcpy(&cell, field + 1 + (slot ? def->DataSize() : 0), sizeof cell);
  if (cell) AText = *cell;
  return true;
}

bool TcxDataStorage::HasBuiltIndexes() const { return FKeyIndexes && FKeyIndexes->AnyBuilt(); }

template <class TIndex>
TIndex* TcxDataStorage::UsableIndex(std::vector<TcxDataIndexEntry<TIndex>>& AEntries,
                                    TcxValueDef* AValueDef, Integer ACount) {
  auto* entry = TcxDataStorageKeyIndexes::Find(AEntries, AValueDef);
  if (!entry) return nullptr;
  if (entry->Index) {
    if (entry->Index->Count() == ACount) return entry->Index.get();
    // The records changed in a way that did not say so: walking starts again.
    entry->Index.reset();
    entry->Walked = 0;
    return nullptr;
  }
  // Built once the walks have read as many records as building reads, so that a storage
  // searched rarely never pays more than twice its walks.
  if (entry->Walked < ACount) return nullptr;
  auto index = std::make_unique<TIndex>(this, AValueDef);
  if constexpr (std::is_same_v<TIndex, TcxDataKeyIndex>) {
    if (!index->Build(ACount)) {
      entry->Walked = 0;
      return nullptr;
    }
  } else {
    index->Build(ACount);
  }
  entry->Index = std::move(index);
  return entry->Index.get();
}

TcxDataKeyIndex* TcxDataStorage::KeyIndexFor(TcxValueDef* AValueDef, Integer AKeyRecord,
                                             TcxDataKeyView& AKey) {
  const Integer count = RecordCount();
  if (!FKeyIndexes || count == 0 || !AValueDef || AValueDef->Owner() != FValueDefs) return nullptr;
  if (!KeyView(AKeyRecord, AValueDef, AKey)) return nullptr;
  return UsableIndex(FKeyIndexes->Keys, AValueDef, count);
}

bool TcxDataStorage::FindEqualRecord(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ARecordIndex) {
  TcxDataKeyView key;
  TcxDataKeyIndex* index = KeyIndexFor(AValueDef, AKeyRecord, key);
  if (index) ARecordIndex = index->First(key);
  return index != nullptr;
}

bool TcxDataStorage::CountEqualRecords(TcxValueDef* AValueDef, Integer AKeyRecord, Integer& ACount) {
  TcxDataKeyView key;
  TcxDataKeyIndex* index = KeyIndexFor(AValueDef, AKeyRecord, key);
  if (index) ACount = index->CountOf(key);
  return index != nullptr;
}

void TcxDataStorage::CountEqualWalk(TcxValueDef* AValueDef, Integer ACompared) {
  if (!FKeyIndexes) FKeyIndexes = std::make_shared<TcxDataStorageKeyIndexes>();
  auto* entry = TcxDataStorageKeyIndexes::Find(FKeyIndexes->Keys, AValueDef);
  if (!entry)
    entry =
        &FKeyIndexes->Keys.emplace_back(TcxDataIndexEntry<TcxDataKeyIndex>{AValueDef, 0, nullptr});
  entry->Walked = Integer(std::min<Int64>(Int64(entry->Walked) + ACompared, INT32_MAX));
}

void TcxDataStorage::CountTextWalk(TcxValueDef* AValueDef, Integer AWalked) {
  if (!FKeyIndexes) FKeyIndexes = std::make_shared<TcxDataStorageKeyIndexes>();
  auto* entry = TcxDataStorageKeyIndexes::Find(FKeyIndexes->Texts, AValueDef);
  if (!entry)
    entry = &FKeyIndexes->Texts.emplace_back(
        TcxDataIndexEntry<TcxDataTextIndex>{AValueDef, 0, nullptr});
  entry->Walked = Integer(std::min<Int64>(Int64(entry->Walked) + AWalked, INT32_MAX));
}

bool TcxDataStorage::FindTextPrefix(TcxValueDef* AValueDef, const String& APrefix, std::vector<Integer>& ARecords) {
  const Integer count = RecordCount();
  if (!FKeyIndexes || count == 0 || !AValueDef || AValueDef->Owner() != FValueDefs) return false;
  // A stored text, or a string whose text is itself: the same whatever the format settings.
  if (!AValueDef->HasTextSlot() && AValueDef->ValueTypeClass() != TcxStringValueType::StaticClass()) return false;
  TcxDataTextIndex* index = UsableIndex(FKeyIndexes->Texts, AValueDef, count);
  if (!index) return false;
  String upper = APrefix;
  const std::array<Byte, 256>& table = UpperTable();
  for (Char& ch : upper) ch = Char(table[Byte(ch)]);
  index->Find(upper, ARecords);
  return true;
}

void TcxDataStorage::IndexInserted(Integer ARecordIndex) {
  for (auto& e : FKeyIndexes->Keys)
    if (e.Index) {
      e.Index->Inserted(ARecordIndex);
      e.Index->Add(ARecordIndex);
    }
  for (auto& e : FKeyIndexes->Texts)
    if (e.Index) {
      e.Index->Inserted(ARecordIndex);
      e.Index->Add(ARecordIndex);
    }
}

void TcxDataStorage::IndexDeleting(const std::vector<Integer>& AList) {
  for (auto& e : FKeyIndexes->Keys)
    if (e.Index)
      for (Integer r : AList) e.Index->Remove(r, e.Index->KeyOf(r));
  for (auto& e : FKeyIndexes->Texts)
    if (e.Index)
      for (Integer r : AList)
        if (!e.Index->Remove(r)) {
          e.Index.reset();
          e.Walked = 0;
          break;
        }
}

void TcxDataStorage::IndexDeleted(const std::vector<Integer>& AList) {
  for (auto& e : FKeyIndexes->Keys)
    if (e.Index) e.Index->Deleted(AList);
  for (auto& e : FKeyIndexes->Texts)
    if (e.Index) e.Index->Deleted(AList);
}

TcxDataStorage::TIndexedChange::TIndexedChange(TcxDataStorage* AStorage, Integer ARecordIndex,
                                               TcxValueDef* AValueDef, bool AValues, bool ATexts)
    : FStorage(AStorage), FRecord(ARecordIndex) {
  TcxDataStorageKeyIndexes* all = AStorage->FKeyIndexes.get();
  if (!all) return;
  try {
    if (AValues)
      for (auto& e : all->Keys)
        if (e.Index && (!AValueDef || e.ValueDef == AValueDef)) {
          // The key as it is now, kept: the record's bytes change.
          const TcxDataKeyView key = e.Index->KeyOf(ARecordIndex);
          FKeys.push_back(
              TKeptKey{e.Index.get(), key.Kind, key.Size ? String(key.Data, key.Size) : String()});
        }
    if (ATexts)
      for (auto& e : all->Texts)
        if (e.Index && (!AValueDef || e.ValueDef == AValueDef)) {
          FTexts.reserve(FTexts.size() + 1);
          if (e.Index->Remove(ARecordIndex)) {
            FTexts.push_back(e.Index.get());
          } else {
            e.Index.reset();
            e.Walked = 0;
          }
        }
  } catch (...) {
    // Written out: only out of memory half-way drops the indexes, as no index answers rather
    // than a wrong one.
    AStorage->DropIndexes();
    throw;
  }
}

TcxDataStorage::TIndexedChange::~TIndexedChange() {
  try {
    for (const TKeptKey& k : FKeys) {
      const TcxDataKeyView before{k.Kind, k.Bytes.data(), k.Bytes.size()};
      if (k.Index->KeyOf(FRecord) == before) continue;  // written over with the same key
      k.Index->Remove(FRecord, before);
      k.Index->Add(FRecord);
    }
    for (TcxDataTextIndex* index : FTexts) index->Add(FRecord);
  } catch (...) {  // written out: a destructor raises nothing; an index it cannot mend goes
    FStorage->DropIndexes();
  }
}
