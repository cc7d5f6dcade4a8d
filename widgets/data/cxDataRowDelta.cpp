// The row list kept up to date record by record. Between two rebuilds the row list notes
// which records changed, came or went; when nothing else that decides the rows changed
// (sorting, grouping, filter, options, modes, format settings), the next rebuild finds
// those records' places alone: a record's filter verdict and its place in a strict sort
// order depend on its own values only, so the other rows stay as a rebuild of every record
// leaves them. Where that cannot be shown (a user compare, a filter handler, a grouping
// whose groups would change), the whole rebuild runs. A record moving far shifts neither
// the row list nor the positions between: it moves as a run of the list, and the positions
// of the rows it passed are found when read.
#include "widgets/data/cxDataControllerInfo.h"

#include "classlib/core/GapList.h"
#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxData.h"
#include "widgets/data/cxDataController.h"
#include "widgets/data/cxDataSummary.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <iterator>

using enum TcxDataControllerInfoChange;

namespace {

// Past this many noted steps (deletions, insertions) or changed records, a rebuild costs
// less than placing them one by one.
constexpr size_t kMaxRowSteps = 16;
size_t MaxTouched(Integer ACount) {
  return std::max<size_t>(64, size_t(std::max<Integer>(ACount, 0)) / 16);
}

// Value types whose stored compare is one strict order (Nulls first, NaN last).
bool IsStrictlyOrdered(TcxValueTypeClass AType) {
  return AType == TcxIntegerValueType::StaticClass() ||
         AType == TcxSmallintValueType::StaticClass() || AType == TcxWordValueType::StaticClass() ||
         AType == TcxLargeIntValueType::StaticClass() ||
         AType == TcxBooleanValueType::StaticClass() ||
         AType == TcxCurrencyValueType::StaticClass() ||
         AType == TcxStringValueType::StaticClass() ||
         AType == TcxWideStringValueType::StaticClass() ||
         AType == TcxFloatValueType::StaticClass() || AType == TcxDateTimeValueType::StaticClass();
}

// The filter prepares its operands anew for each pass, with the format settings of then.
bool SameFormats(const TFormatSettings& a, const TFormatSettings& b) {
  if (a.DecimalSeparator != b.DecimalSeparator || a.ThousandSeparator != b.ThousandSeparator ||
      a.DateSeparator != b.DateSeparator || a.TimeSeparator != b.TimeSeparator ||
      a.ShortDateFormat != b.ShortDateFormat || a.LongDateFormat != b.LongDateFormat ||
      a.ShortTimeFormat != b.ShortTimeFormat || a.LongTimeFormat != b.LongTimeFormat ||
      a.TimeAMString != b.TimeAMString || a.TimePMString != b.TimePMString ||
      a.CurrencyString != b.CurrencyString || a.CurrencyFormat != b.CurrencyFormat ||
      a.NegCurrFormat != b.NegCurrFormat || a.CurrencyDecimals != b.CurrencyDecimals ||
      a.TwoDigitYearCenturyWindow != b.TwoDigitYearCenturyWindow)
    return false;
  return std::equal(std::begin(a.ShortMonthNames), std::end(a.ShortMonthNames),
                    std::begin(b.ShortMonthNames)) &&
         std::equal(std::begin(a.LongMonthNames), std::end(a.LongMonthNames),
                    std::begin(b.LongMonthNames)) &&
         std::equal(std::begin(a.ShortDayNames), std::end(a.ShortDayNames),
                    std::begin(b.ShortDayNames)) &&
         std::equal(std::begin(a.LongDayNames), std::end(a.LongDayNames),
                    std::begin(b.LongDayNames));
}

}  // namespace

// ---- Requests and notes ----

void TcxCustomDataControllerInfo::AddChanges(TcxDataControllerInfoChanges AChanges) {
  if (AChanges.Contains(dcicLoad) || AChanges.Contains(dcicSorting) ||
      AChanges.Contains(dcicGrouping)) {
    FNarrowFilter = false;
    if (FInfoUpdating)
      FDeltaBroken = true;
    else
      InvalidateDelta();
  }
  if (FInfoUpdating)
    FDeferredChanges += AChanges;
  else
    FChanges += AChanges;
}

void TcxCustomDataControllerInfo::RefreshRequest() {
  TcxDataControllerInfoChanges changes{dcicLoad, dcicSummary};
  if (FSortingFieldList->Count() > 0) changes.Include(dcicSorting);
  if (FGroupingFieldList->Count() > 0) changes.Include(dcicGrouping);
  AddChanges(changes);
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RecordValueRequest(Integer ARecordIndex) {
  if (FInfoUpdating || ARecordIndex < 0) {
    FDeltaBroken = FDeltaBroken || FInfoUpdating;
    if (ARecordIndex < 0) InvalidateDelta();
  } else if (FDeltaValid && CheckNotedCount(FDataController->GetRecordCount())) {
    FTouchedRecords.push_back(ARecordIndex);
    if (FTouchedRecords.size() > MaxTouched(FNotedRecordCount)) {
      std::sort(FTouchedRecords.begin(), FTouchedRecords.end());
      FTouchedRecords.erase(std::unique(FTouchedRecords.begin(), FTouchedRecords.end()),
                            FTouchedRecords.end());
      if (FTouchedRecords.size() > MaxTouched(FNotedRecordCount)) InvalidateDelta();
    }
  }
  RecordsRequest();
}

void TcxCustomDataControllerInfo::RecordsRequest() {
  if (FInfoUpdating)
    FDeltaBroken = true;
  else if (FDeltaValid)
    CheckNotedCount(FDataController->GetRecordCount());
  TcxDataControllerInfoChanges changes{dcicLoad, dcicSummary};
  if (FSortingFieldList->Count() > 0) changes.Include(dcicSorting);
  if (FGroupingFieldList->Count() > 0) changes.Include(dcicGrouping);
  if (FInfoUpdating)
    FDeferredChanges += changes;
  else
    FChanges += changes;
  CheckUpdate();
}

void TcxCustomDataControllerInfo::RecordAppended() {
  if (FInfoUpdating) {
    FDeltaBroken = true;
    return;
  }
  const Integer count = FDataController->GetRecordCount();
  if (!FDeltaValid || !CheckNotedCount(count - 1)) return;
  if (IsGrouped() || FRowSteps.size() >= kMaxRowSteps) {
    InvalidateDelta();
    return;
  }
  FRowSteps.push_back({{}, count - 1});
  FTouchedRecords.push_back(count - 1);
  FNotedRecordCount = count;
}

bool TcxCustomDataControllerInfo::CheckNotedCount(Integer AExpected) {
  if (AExpected == FNotedRecordCount) return true;
  InvalidateDelta();
  return false;
}

void TcxCustomDataControllerInfo::InvalidateDelta() {
  FDeltaValid = false;
  FRowSteps.clear();
  FTouchedRecords.clear();
}

void TcxCustomDataControllerInfo::ResetDelta(bool AComplete) {
  FRowsComplete = AComplete;
  FRowSteps.clear();
  FTouchedRecords.clear();
  FNotedRecordCount = FDataController->GetRecordCount();
  FDeltaValid = AComplete && !FDeltaBroken;
  FDeltaBroken = false;
}

// Records deleted from the storage (sorted): a step, and the notes numbered as now.
void TcxCustomDataControllerInfo::NoteRecordsDeleted(const std::vector<Integer>& AList) {
  if (FInfoUpdating) {
    FDeltaBroken = true;
    return;
  }
  if (!FDeltaValid || AList.empty()) return;
  if (!CheckNotedCount(FDataController->GetRecordCount() + Integer(AList.size()))) return;
  // Grouped, one record deleted alone may leave the groups as they are.
  if ((IsGrouped() && (AList.size() != 1 || !FRowSteps.empty())) ||
      FRowSteps.size() >= kMaxRowSteps) {
    InvalidateDelta();
    return;
  }
  FRowSteps.push_back({AList, -1});
  auto gone = [&AList](Integer r) { return std::binary_search(AList.begin(), AList.end(), r); };
  auto shift = [&AList](Integer r) {
    return r - Integer(std::lower_bound(AList.begin(), AList.end(), r) - AList.begin());
  };
  size_t out = 0;
  for (Integer r : FTouchedRecords)
    if (!gone(r)) FTouchedRecords[out++] = shift(r);
  FTouchedRecords.resize(out);
  if (FRowsEditingRecord >= 0)
    FRowsEditingRecord = gone(FRowsEditingRecord) ? kNoEditRecord : shift(FRowsEditingRecord);
  if (FRowsEditingFollower >= 0)
    FRowsEditingFollower = gone(FRowsEditingFollower) ? -2 : shift(FRowsEditingFollower);
  FNotedRecordCount -= Integer(AList.size());
}

void TcxCustomDataControllerInfo::NoteRecordInserted(Integer ARecordIndex) {
  if (FInfoUpdating) {
    FDeltaBroken = true;
    return;
  }
  if (!FDeltaValid || !CheckNotedCount(FDataController->GetRecordCount() - 1)) return;
  if (IsGrouped() || FRowSteps.size() >= kMaxRowSteps) {
    InvalidateDelta();
    return;
  }
  FRowSteps.push_back({{}, ARecordIndex});
  for (Integer& r : FTouchedRecords)
    if (r >= ARecordIndex) ++r;
  FTouchedRecords.push_back(ARecordIndex);
  if (FRowsEditingRecord >= ARecordIndex) ++FRowsEditingRecord;
  if (FRowsEditingFollower >= ARecordIndex) ++FRowsEditingFollower;
  ++FNotedRecordCount;
}

// ---- The rules the rows were built under ----

TcxCustomDataControllerInfo::TRowRules TcxCustomDataControllerInfo::CurrentRowRules() const {
  const TcxCustomDataController* c = FDataController;
  TRowRules r;
  r.Sort = FSortInfo;
  for (const TcxDataSortInfo& e : FSortInfo) r.SortTypes.push_back(e.Field->GetValueTypeClass());
  for (Integer i = 0; i < FGroupingFieldList->Count(); ++i)
    r.Grouping.push_back(FGroupingFieldList->Items(i).Field);
  r.Options = c->Options();
  r.Filtering = c->IsFiltering();
  r.OtherFilters = c->IsIncrementalFiltering() || c->HasFilterRecordEvent();
  r.Compare = bool(c->OnCompare);
  r.Mode = c->IsGridMode() || c->IsProviderMode();
  r.GroupSorting = FGroupSortingSummaryIndex;
  if (r.Filtering) r.Formats = FormatSettings;
  return r;
}

bool TcxCustomDataControllerInfo::MatchesRowRules() const {
  const TcxCustomDataController* c = FDataController;
  const TRowRules& r = FRowRules;
  if (r.Sort.size() != FSortInfo.size() || r.Grouping.size() != size_t(FGroupingFieldList->Count()))
    return false;
  for (size_t i = 0; i < FSortInfo.size(); ++i)
    if (r.Sort[i].Field != FSortInfo[i].Field || r.Sort[i].SortOrder != FSortInfo[i].SortOrder ||
        r.Sort[i].CompareKind != FSortInfo[i].CompareKind ||
        r.SortTypes[i] != FSortInfo[i].Field->GetValueTypeClass())
      return false;
  for (size_t i = 0; i < r.Grouping.size(); ++i)
    if (r.Grouping[i] != FGroupingFieldList->Items(Integer(i)).Field) return false;
  const bool filtering = c->IsFiltering();
  return r.Options == c->Options() && r.Filtering == filtering &&
         r.OtherFilters == (c->IsIncrementalFiltering() || c->HasFilterRecordEvent()) &&
         r.Compare == bool(c->OnCompare) && r.Mode == (c->IsGridMode() || c->IsProviderMode()) &&
         r.GroupSorting == FGroupSortingSummaryIndex &&
         (!filtering || SameFormats(r.Formats, FormatSettings));
}

bool TcxCustomDataControllerInfo::CanApplyDelta(TcxDataControllerInfoChanges AChanges) const {
  const TcxCustomDataController* c = FDataController;
  if (!FDeltaValid || !FRowsComplete || !AChanges.Contains(dcicLoad) || FSortOrderChanged ||
      FGroupingChanged)
    return false;
  if (c->GetRecordCount() != FNotedRecordCount || !MatchesRowRules()) return false;
  const TRowRules& rules = FRowRules;
  if (rules.Mode || rules.OtherFilters) return false;
  const bool ordered = !FSortInfo.empty();
  // Verdicts and places are a record's own only under the standard filter and compare.
  if ((ordered || IsGrouped() || rules.Filtering) && !c->RowsFollowRecordValues()) return false;
  if (IsGrouped() && FGroupSortingSummaryIndex >= 0) return false;
  if (ordered) {
    // The rebuild sorts; every sort of one strict order gives the same rows.
    if (!AChanges.Contains(dcicSorting) && !AChanges.Contains(dcicGrouping)) return false;
    for (const TcxDataSortInfo& e : FSortInfo) {
      TcxValueTypeClass type = e.Field->GetValueTypeClass();
      if (!type || !e.Field->GetValueDef()) return false;
      if (e.CompareKind == -1 ? !IsStrictlyOrdered(type)
                              : (e.CompareKind != 1 || rules.Compare || !type->IsString()))
        return false;
    }
  } else if (AChanges.Contains(dcicSorting) && FEditingRecord != kNoEditRecord) {
    // An unsorted view sorted anew puts the edited record before its follower.
    return false;
  }
  return true;
}

// ---- Placing the noted records ----

namespace {

// The entries at AGone (ascending indexes; those past the end name none) leave; the others
// close up in block moves.
void CloseUp(std::vector<Integer>& AList, const std::vector<Integer>& AGone) {
  const size_t n = AList.size();
  const size_t gone =
      size_t(std::lower_bound(AGone.begin(), AGone.end(), Integer(n)) - AGone.begin());
  size_t out = gone == 0 ? n : size_t(AGone.front());
  for (size_t k = 0; k < gone; ++k) {
    const size_t from = size_t(AGone[k]) + 1;
    const size_t to = k + 1 < gone ? size_t(AGone[k + 1]) : n;
    if (from >= to) continue;
    std::copy(AList.begin() + ptrdiff_t(from), AList.begin() + ptrdiff_t(to),
              AList.begin() + ptrdiff_t(out));
    out += to - from;
  }
  AList.resize(out);
}

// ADelta added to each entry above AAbove. In blocks of a fixed length, which the compiler
// turns into instructions over several entries at once.
void ShiftAbove(std::vector<Integer>& AList, Integer AAbove, Integer ADelta) {
  Integer* const p = AList.data();
  const size_t n = AList.size();
  size_t i = 0;
  for (; i + 16 <= n; i += 16)
    for (size_t k = 0; k < 16; ++k) p[i + k] += p[i + k] > AAbove ? ADelta : 0;
  for (; i < n; ++i) p[i] += p[i] > AAbove ? ADelta : 0;
}

// Each entry not negative less the number of AGone (ascending) below it. A few are counted
// by comparing with each, which the compiler runs over many entries at once. More are
// counted from a bit for each value up to the last one gone and the count gone before each
// 64 values: a search among them for each entry costs several times as much, a count for
// each value the faults of its fresh pages.
void MinusBelow(std::vector<Integer>& AList, const std::vector<Integer>& AGone) {
  if (AGone.empty()) return;
  if (AGone.size() == 1) {
    ShiftAbove(AList, AGone.front(), -1);
    return;
  }
  if (AGone.size() <= 8) {
    for (Integer& v : AList) {
      Integer below = 0;
      for (Integer g : AGone) below += v > g ? 1 : 0;
      v -= below;
    }
    return;
  }
  // Entries in ascending order (rows in storage order, their positions) take the counts in
  // one walk beside them; from the first entry out of order on, the bits count.
  const size_t n = AList.size();
  size_t i = 0, k = 0;
  for (Integer previous = -1; i < n; ++i) {
    const Integer v = AList[i];
    if (v < 0) continue;
    if (v < previous) break;
    previous = v;
    while (k < AGone.size() && AGone[k] < v) ++k;
    AList[i] = v - Integer(k);
  }
  if (i == n) return;
  const Integer last = AGone.back(), gone = Integer(AGone.size());
  const size_t blocks = size_t(last) / 64 + 1;
  std::vector<UInt64> bits(blocks);
  std::vector<Integer> before(blocks);
  for (Integer g : AGone) bits[size_t(g) / 64] |= UInt64(1) << (g % 64);
  Integer sum = 0;
  for (size_t b = 0; b < blocks; ++b) {
    before[b] = sum;
    sum += Integer(std::popcount(bits[b]));
  }
  for (; i < n; ++i) {
    Integer& v = AList[i];
    if (v < 0) continue;
    if (v > last) {
      v -= gone;
      continue;
    }
    const size_t b = size_t(v) / 64;
    v -= before[b] + Integer(std::popcount(bits[b] & ((UInt64(1) << (v % 64)) - 1)));
  }
}

}  // namespace

void TcxCustomDataControllerInfo::ApplyRowSteps() {
  // Positions and entries stay as they are where they can: a record coming or going moves
  // the others' numbers, which a log takes, and, going, the rows after its own by one,
  // which the log of row shifts takes.
  for (const TRowStep& step : FRowSteps) {
    if (step.Deleted.empty()) {
      const Integer at = std::min(step.Inserted, Integer(FRecordPositions.size()));
      ShiftRecordNumbers(at - 1, 1);
      FRecordPositions.insert(size_t(at), -1);
      RenumberExactRecords(at, 1);
      continue;
    }
    const std::vector<Integer>& deleted = step.Deleted;
    if (deleted.size() == 1) {
      DeleteRecordRow(deleted.front());
      continue;
    }
    SettlePositions();
    FlattenRows();
    std::vector<Integer>& positions = FRecordPositions.Flat();
    std::vector<Integer> rows;
    for (Integer r : deleted)
      if (size_t(r) < positions.size() && positions[size_t(r)] >= 0)
        rows.push_back(positions[size_t(r)]);
    std::sort(rows.begin(), rows.end());
    // The rows of the deleted records close up; later records move down.
    CloseUp(FRecordList, rows);
    MinusBelow(FRecordList, deleted);
    CloseUp(positions, deleted);
    MinusBelow(positions, rows);
  }
  FRowSteps.clear();
}

void TcxCustomDataControllerInfo::DeleteRecordRow(Integer ARecordIndex) {
  const bool known = size_t(ARecordIndex) < FRecordPositions.size();
  const Integer row = known ? PositionOf(ARecordIndex) : -1;
  const Integer rows = Integer(RowListCount());
  if (row >= 0 && row < rows) EraseRow(row);
  ShiftRecordNumbers(ARecordIndex, -1);
  FExactRecords.erase(std::remove(FExactRecords.begin(), FExactRecords.end(), ARecordIndex),
                      FExactRecords.end());
  if (known) FRecordPositions.erase(size_t(ARecordIndex));
  RenumberExactRecords(ARecordIndex, -1);
  if (row >= 0 && row < rows) ShiftedRows(row + 1, rows - 1, -1, -1, -1);
}

void TcxCustomDataControllerInfo::RenumberExactRecords(Integer ARecordIndex, Integer ADelta) {
  for (Integer& r : FExactRecords)
    if (r >= ARecordIndex) r += ADelta;
}

Integer TcxCustomDataControllerInfo::FindRowPlace(Integer ARecordIndex,
                                                  Integer AExcludedPosition) const {
  const bool ordered = !FSortInfo.empty();
  size_t lo = 0, hi = RowListCount() - (AExcludedPosition >= 0 ? 1 : 0);
  // The order is strict (storage order breaks ties): the first row the record precedes.
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const Integer other =
        RowAt(Integer(AExcludedPosition >= 0 && mid >= size_t(AExcludedPosition) ? mid + 1 : mid));
    if (ordered ? CompareRecords(other, ARecordIndex) < 0 : other < ARecordIndex)
      lo = mid + 1;
    else
      hi = mid;
  }
  return Integer(lo);
}

bool TcxCustomDataControllerInfo::KeepsGroups(Integer ARecordIndex, Integer AFrom,
                                              Integer ATo) const {
  const TcxCustomDataController* c = FDataController;
  const Integer g = FGroups->FindByPosition(AFrom);
  if (g < 0) return false;
  const Integer first = FGroups->Items(g).BeginIndex, last = FGroups->Items(g).EndIndex;
  // Without the record its group spans first..last-1: it must land among those rows.
  if (ATo < first || ATo > last) return false;
  const Integer levels = FGroups->LevelCount();
  // The first grouping level on which two records differ (levels: none).
  auto breakLevel = [&](Integer a, Integer b) {
    for (Integer l = 0; l < levels; ++l)
      if (c->CompareRecordsBySortOrder(a, b, FSortInfo[size_t(l)]) != 0) return l;
    return levels;
  };
  if (last > first) {
    // Equal to another record of its group on every level, it is where they are.
    return breakLevel(RowAt(AFrom == first ? first + 1 : first), ARecordIndex) == levels;
  }
  // A group of its own: it must part from its neighbours on the levels it did.
  auto startLevel = [&](Integer APosition) {
    Integer group = FGroups->FindByPosition(APosition);
    if (group < 0) return Integer(-1);
    for (Integer parent = FGroups->Items(group).ParentIndex;
         parent >= 0 && FGroups->Items(parent).FirstPosition == APosition;
         parent = FGroups->Items(parent).ParentIndex)
      group = parent;
    return FGroups->Items(group).Level;
  };
  if (first > 0 && breakLevel(RowAt(first - 1), ARecordIndex) != startLevel(first)) return false;
  if (size_t(last + 1) < RowListCount() &&
      breakLevel(ARecordIndex, RowAt(last + 1)) != startLevel(last + 1))
    return false;
  return true;
}

bool TcxCustomDataControllerInfo::PlaceRecord(Integer ARecordIndex, bool AKeep) {
  const Integer from = PositionOf(ARecordIndex);
  const bool grouped = IsGrouped();
  if (from < 0 && !AKeep) return true;
  // A record joining or leaving a group changes the groups.
  if (grouped && (from < 0 || !AKeep)) return false;
  const Integer count = Integer(RowListCount());
  // The rows in between shift by one; their positions are renumbered when next read.
  if (!AKeep) {
    EraseRow(from);
    ShiftedRows(from + 1, count - 1, -1, ARecordIndex, -1);
    return true;
  }
  const Integer to = FindRowPlace(ARecordIndex, from);
  if (grouped && !KeepsGroups(ARecordIndex, from, to)) return false;
  if (from < 0) {
    LayRunsFlat();
    InsertEntry(size_t(to), ARecordIndex);
    ShiftedRows(to, count - 1, 1, ARecordIndex, to);
  } else if (to < from) {
    MoveRow(from, to);
    ShiftedRows(to, from - 1, 1, ARecordIndex, to);
  } else if (to > from) {
    MoveRow(from, to);
    ShiftedRows(from + 1, to, -1, ARecordIndex, to);
  }
  return true;
}

// ---- Rows moved by runs ----

namespace {
// Runs past which the rows are laid flat again.
constexpr size_t kMaxRowPieces = 48;
}  // namespace

Integer TcxCustomDataControllerInfo::RowAt(Integer APosition) const {
  size_t slot = size_t(APosition);
  // Many reads cost more than laying the rows flat.
  if (!FRowPieces.empty() && ++FPieceReads > 1024 + Integer(RowListCount() / 256)) FlattenRows();
  if (!FRowPieces.empty()) {
    const size_t k =
        size_t(std::upper_bound(FRowPieceEnds.begin(), FRowPieceEnds.end(), APosition) -
               FRowPieceEnds.begin());
    const Integer begin = k > 0 ? FRowPieceEnds[k - 1] : 0;
    slot = size_t(FRowPieces[k].Start + (APosition - begin));
  }
  const Integer record = FRecordList[SlotOfEntry(slot)];
  return FRecordShifts.empty() ? record : Renumbered(slot, record);
}

void TcxCustomDataControllerInfo::LayRunsFlat() const {
  if (!FRowPieces.empty()) FlattenRows();
}

void TcxCustomDataControllerInfo::FlattenRows() const {
  // Numbered first: the fresh entries are known by their slots.
  SettleRecordNumbers();
  CloseEntryGap();
  if (FRowPieces.empty()) return;
  FFlatScratch.resize(FRecordList.size());
  Integer* out = FFlatScratch.data();
  for (const TRowPiece& piece : FRowPieces)
    out = std::copy_n(FRecordList.data() + piece.Start, piece.Count, out);
  FRecordList.swap(FFlatScratch);
  FRowPieces.clear();
  FRowPieceEnds.clear();
  FPieceReads = 0;
}

void TcxCustomDataControllerInfo::MoveRow(Integer AFrom, Integer ATo) {
  std::vector<TRowPiece>& pieces = FRowPieces;
  if (pieces.empty()) pieces.push_back({0, Integer(RowListCount())});
  // Makes APosition the start of a run; the index of that run.
  auto split = [&pieces](Integer APosition) {
    Integer begin = 0;
    for (size_t k = 0; k < pieces.size(); ++k) {
      if (APosition == begin) return k;
      const Integer end = begin + pieces[k].Count;
      if (APosition < end) {
        const TRowPiece tail{pieces[k].Start + (APosition - begin), end - APosition};
        pieces[k].Count = APosition - begin;
        pieces.insert(pieces.begin() + std::ptrdiff_t(k) + 1, tail);
        return k + 1;
      }
      begin = end;
    }
    return pieces.size();
  };
  const size_t k = split(AFrom);
  split(AFrom + 1);
  const Integer record = pieces[k].Start;
  pieces.erase(pieces.begin() + std::ptrdiff_t(k));
  const size_t at = split(ATo);
  pieces.insert(pieces.begin() + std::ptrdiff_t(at), TRowPiece{record, 1});
  JoinRowPieces();
}

void TcxCustomDataControllerInfo::EraseRow(Integer APosition) {
  std::vector<TRowPiece>& pieces = FRowPieces;
  if (pieces.empty()) {
    EraseEntry(size_t(APosition));
    return;
  }
  // The entry leaves its run; the entries after it move down a slot, and so do the runs
  // that start past it.
  const size_t k = size_t(std::upper_bound(FRowPieceEnds.begin(), FRowPieceEnds.end(), APosition) -
                          FRowPieceEnds.begin());
  const Integer slot = pieces[k].Start + (APosition - (k > 0 ? FRowPieceEnds[k - 1] : 0));
  EraseEntry(size_t(slot));
  for (TRowPiece& piece : pieces)
    if (piece.Start > slot) --piece.Start;
  if (--pieces[k].Count == 0) pieces.erase(pieces.begin() + std::ptrdiff_t(k));
  JoinRowPieces();
}

void TcxCustomDataControllerInfo::JoinRowPieces() {
  std::vector<TRowPiece>& pieces = FRowPieces;
  FRowPieceEnds.clear();
  if (pieces.empty()) return;
  // Runs that continue one another join.
  size_t out = 0;
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (pieces[out].Start + pieces[out].Count == pieces[i].Start)
      pieces[out].Count += pieces[i].Count;
    else
      pieces[++out] = pieces[i];
  }
  pieces.resize(out + 1);
  if (pieces.size() == 1 || pieces.size() > kMaxRowPieces) {
    if (pieces.size() == 1) pieces.clear();  // back in place
    LayRunsFlat();
    return;
  }
  FRowPieceEnds.resize(pieces.size());
  Integer end = 0;
  for (size_t i = 0; i < pieces.size(); ++i) FRowPieceEnds[i] = end += pieces[i].Count;
}

// ---- Positions renumbered when read ----

namespace {
// Shifts kept before the stale rows are renumbered (each adds two steps at most to their
// composition); past them only the records moved last keep exact positions.
constexpr size_t kLoggedShifts = 32;
// Past every position: the last step of the shifts' composition runs to here.
constexpr Int64 kPastRows = Int64(INT_MAX) + 1;
constexpr size_t kExactRecords = 8;
// Positions found through the log before renumbering costs less (every record read).
constexpr Integer kShiftedReads = 256;
}  // namespace

Integer TcxCustomDataControllerInfo::PositionOf(Integer ARecordIndex) const {
  Integer p = FRecordPositions[size_t(ARecordIndex)];
  if (FStaleFirst < 0 || p < FStaleFirst || p > FStaleLast ||
      std::find(FExactRecords.begin(), FExactRecords.end(), ARecordIndex) != FExactRecords.end())
    return p;
  // Renumbering costs a pass over the stale rows: worth it after reads of the log that cost
  // as much.
  if (FShiftsKept && FShiftedReads < kShiftedReads + Integer(FRecordPositions.size() / 64)) {
    ++FShiftedReads;
    const auto it = std::upper_bound(FShifts.begin(), FShifts.end(), p,
                                     [](Integer v, const TRowShift& e) { return v < e.Start; });
    return it == FShifts.begin() ? p : p + std::prev(it)->Delta;
  }
  SettlePositions();
  return FRecordPositions[size_t(ARecordIndex)];
}

void TcxCustomDataControllerInfo::SettlePositions() const {
  if (FStaleFirst < 0) return;
  FlattenRows();
  const std::vector<Integer>& rows = FPositionedRows ? *FPositionedRows : FRecordList;
  for (size_t i = size_t(FStaleFirst); i <= size_t(FStaleLast) && i < rows.size(); ++i) {
    const Integer r = rows[i];
    if (r >= 0 && size_t(r) < FRecordPositions.size()) FRecordPositions[size_t(r)] = Integer(i);
  }
  DropStaleRows();
}

void TcxCustomDataControllerInfo::DropStaleRows() const {
  FStaleFirst = FStaleLast = -1;
  FExactRecords.clear();
  FShifts.clear();
  FShiftsKept = true;
  FShiftedReads = 0;
}

void TcxCustomDataControllerInfo::ShiftedRows(Integer AFirst, Integer ALast, Integer ADelta,
                                              Integer ARecordIndex, Integer APosition) {
  if (ARecordIndex >= 0)
    FExactRecords.erase(std::remove(FExactRecords.begin(), FExactRecords.end(), ARecordIndex),
                        FExactRecords.end());
  if (AFirst <= ALast) {
    for (Integer r : FExactRecords) {
      Integer& p = FRecordPositions[size_t(r)];
      if (p >= AFirst && p <= ALast) p += ADelta;
    }
    const Integer first = std::min(AFirst, AFirst + ADelta);
    const Integer last = std::max(ALast, ALast + ADelta);
    FStaleFirst = FStaleFirst < 0 ? first : std::min(FStaleFirst, first);
    FStaleLast = std::max(FStaleLast, last);
    if (FShiftsKept) ComposeShift(AFirst, ALast, ADelta);
  }
  if (ARecordIndex >= 0) {
    FRecordPositions[size_t(ARecordIndex)] = APosition;
    if (FStaleFirst >= 0 && APosition >= FStaleFirst && APosition <= FStaleLast)
      FExactRecords.push_back(ARecordIndex);
  }
  // With the log every record moved is exact; without it, the last few.
  if (FExactRecords.size() > kLoggedShifts) {
    FShiftsKept = false;
    FShifts.clear();
  }
  if (!FShiftsKept && FExactRecords.size() > kExactRecords)
    FExactRecords.erase(FExactRecords.begin(), FExactRecords.end() - std::ptrdiff_t(kExactRecords));
}

void TcxCustomDataControllerInfo::ComposeShift(Integer AFirst, Integer ALast, Integer ADelta) {
  // Each step of the composition maps its stored positions onto a run of positions now;
  // the part of that run the shift covers takes ADelta too. The bounds stay as they were:
  // a position stored later past the rows shifted then must not move.
  std::vector<TRowShift> next;
  auto add = [&next](Int64 AStart, Integer ADeltaOf) {
    if (next.empty() || next.back().Delta != ADeltaOf) next.push_back({Integer(AStart), ADeltaOf});
  };
  const std::vector<TRowShift> none{{0, 0}};
  const std::vector<TRowShift>& steps = FShifts.empty() ? none : FShifts;
  for (size_t i = 0; i < steps.size(); ++i) {
    const Int64 begin = steps[i].Start;
    const Int64 end = i + 1 < steps.size() ? Int64(steps[i + 1].Start) : kPastRows;
    const Integer d = steps[i].Delta;
    const Int64 from = std::clamp(Int64(AFirst) - d, begin, end);
    const Int64 to = std::clamp(Int64(ALast) + 1 - d, begin, end);
    if (begin < from) add(begin, d);
    if (from < to) add(from, d + ADelta);
    if (to < end) add(to, d);
  }
  if (next.size() == 1 && next.front().Delta == 0) next.clear();
  if (next.size() > 2 * kLoggedShifts) {
    FShiftsKept = false;
    next.clear();
  }
  FShifts.swap(next);
}

bool TcxCustomDataControllerInfo::ApplyDelta() {
  TcxCustomDataController* c = FDataController;
  const Integer count = c->GetRecordCount();
  const bool ordered = !FSortInfo.empty();
  std::vector<Integer> touched = FTouchedRecords;
  // The edited record is held in place (and past the filter) only while it is edited.
  const bool editChanged =
      FRowsEditingRecord != FEditingRecord || FRowsEditingFollower != FEditingFollower;
  if (editChanged) {
    if (FRowsEditingRecord >= 0) touched.push_back(FRowsEditingRecord);
    if (FEditingRecord >= 0) touched.push_back(FEditingRecord);
  }
  std::sort(touched.begin(), touched.end());
  // It stands before its follower: it moves with it.
  if (ordered && FEditingRecord >= 0 && FEditingFollower >= 0 &&
      std::binary_search(touched.begin(), touched.end(), FEditingFollower))
    touched.push_back(FEditingRecord);
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  touched.erase(std::remove_if(touched.begin(), touched.end(),
                               [count](Integer r) { return r < 0 || r >= count; }),
                touched.end());
  const bool grouped = IsGrouped();
  if (grouped && (FEditingRecord != kNoEditRecord || editChanged || touched.size() > 1 ||
                  (!FRowSteps.empty() && !touched.empty())))
    return false;
  if (touched.size() > MaxTouched(count)) return false;
  if (grouped && !FRowSteps.empty()) return DeleteFromGroups();
  ApplyRowSteps();
  if (FRecordPositions.size() != size_t(count) || RowListCount() > size_t(count)) return false;
  if (touched.empty()) return true;

  // The filter's verdicts on the touched records; the edited one stays regardless.
  std::vector<char> keep(touched.size(), 1);
  if (c->IsFiltering()) {
    auto filtering = WatchedPairedCall(
        this, [c] { c->BeginFilterRecords(); }, [c] { c->EndFilterRecords(); });
    for (size_t i = 0; i < touched.size(); ++i)
      if (touched[i] != FEditingRecord) keep[i] = c->DoFilterCriteriaRecord(touched[i]);
  }
  if (touched.size() == 1) return PlaceRecord(touched[0], keep[0] != 0);

  // Several: all leave the rows, then the kept ones go in where the order puts them.
  SettlePositions();
  FlattenRows();
  for (Integer r : touched)
    if (FRecordPositions[size_t(r)] >= 0) FRecordList[size_t(FRecordPositions[size_t(r)])] = -1;
  FRecordList.erase(std::remove(FRecordList.begin(), FRecordList.end(), -1), FRecordList.end());
  std::vector<std::pair<Integer, Integer>> places;  // (row among the others, record)
  for (size_t i = 0; i < touched.size(); ++i)
    if (keep[i]) places.push_back({FindRowPlace(touched[i], -1), touched[i]});
  std::sort(places.begin(), places.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return ordered ? CompareRecords(a.second, b.second) < 0 : a.second < b.second;
  });
  std::vector<Integer> rows;
  rows.reserve(FRecordList.size() + places.size());
  size_t next = 0;
  for (size_t i = 0; i <= FRecordList.size(); ++i) {
    while (next < places.size() && size_t(places[next].first) == i)
      rows.push_back(places[next++].second);
    if (i < FRecordList.size()) rows.push_back(FRecordList[i]);
  }
  FRecordList.swap(rows);
  RebuildPositions();
  return true;
}

bool TcxCustomDataControllerInfo::DeleteFromGroups() {
  if (FRowSteps.size() != 1 || FRowSteps.front().Deleted.size() != 1) return false;
  const Integer record = FRowSteps.front().Deleted.front();
  const Integer position = size_t(record) < FRecordPositions.size() ? PositionOf(record) : -1;
  // Its group keeps other records: no group goes, the ones after it move up a row.
  if (position >= 0) {
    const Integer g = FGroups->FindByPosition(position);
    if (g < 0 || FGroups->Items(g).ChildCount < 2) return false;
  }
  ApplyRowSteps();
  const Integer count = FDataController->GetRecordCount();
  if (FRecordPositions.size() != size_t(count) || RowListCount() > size_t(count)) return false;
  if (position < 0) return true;
  const Integer deepest = FGroups->LevelCount() - 1;
  for (Integer i = 0; i < FGroups->Count(); ++i) {
    TcxDataGroupInfo& group = FGroups->Items(i);
    if (group.FirstPosition > position) --group.FirstPosition;
    // Inner groups count child groups, by their list indexes: those stay.
    if (group.Level != deepest) continue;
    if (group.BeginIndex > position) --group.BeginIndex;
    if (group.EndIndex >= position) --group.EndIndex;
    group.ChildCount = group.EndIndex - group.BeginIndex + 1;
  }
  return true;
}

void TcxCustomDataControllerInfo::CalculateFooterInStorageOrder() {
  TcxCustomDataController* c = FDataController;
  // A rebuild sums the footer before it sorts: over the rows in storage order.
  const TcxDataSummary* summary = c->Summary();
  if (FSortInfo.empty() || !summary || summary->FooterSummaryItems()->Count() == 0) {
    c->CalculateFooterSummary();
    return;
  }
  FlattenRows();
  std::vector<Integer> stored;
  stored.reserve(FRecordList.size());
  for (size_t r = 0; r < FRecordPositions.size(); ++r)
    if (FRecordPositions[r] >= 0) stored.push_back(Integer(r));
  FRecordList.swap(stored);
  FPositionedRows = &stored;  // positions read meanwhile are the rows'
  TWatchedScopeExit back(this, [&] {
    FRecordList.swap(stored);
    FPositionedRows = nullptr;
  });
  c->CalculateFooterSummary();
}

// ---- Record numbers shifted when read ----

namespace {
// Shifts logged, and entries written since the first of them, before the list is renumbered
// (a pass over it per shift: as many passes as the shifts saved).
constexpr size_t kLoggedRecordShifts = 32;
constexpr size_t kFreshEntries = 32;

// The shifts in order (an entry above Above takes Delta, each after the ones before), in one
// pass: composed first into one map of the numbers they started from, x + Adds[k] for the k
// Bounds at most x. An entry mostly lies in the part of the map of the entry before it (the
// rows mostly follow the records), which is tried before a search. False, nothing written,
// for a shift by more than one down (not composed so: the map would not keep the order).
template <class TShifts>
bool ShiftAll(std::vector<Integer>& AList, const TShifts& AShifts) {
  std::vector<Integer> bounds, adds{0};  // adds[k]: the sum over the first k bounds
  for (const auto& shift : AShifts) {
    if (shift.Delta < -1) return false;
    // The numbers the shift moves, from the first x the map takes above Above: in the first
    // part whose last number the map takes there (the part before bound j ends below it).
    const Integer at = shift.Above + 1;
    size_t j = 0;
    {
      size_t lo = 0, hi = bounds.size();
      while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (bounds[mid] - 1 + adds[mid] < at)
          lo = mid + 1;
        else
          hi = mid;
      }
      j = lo;
    }
    const Integer from = j == 0 ? at - adds[0] : std::max(bounds[j - 1], at - adds[j]);
    if (j > 0 && bounds[j - 1] == from) {
      --j;
    } else {
      bounds.insert(bounds.begin() + ptrdiff_t(j), from);
      adds.insert(adds.begin() + ptrdiff_t(j + 1), adds[j]);
    }
    for (size_t k = j + 1; k < adds.size(); ++k) adds[k] += shift.Delta;
  }
  if (bounds.empty()) return true;
  size_t k = 0;  // the part the last entry lay in
  for (Integer& v : AList) {
    const bool within = (k == 0 || bounds[k - 1] <= v) && (k == bounds.size() || v < bounds[k]);
    if (!within) k = size_t(std::upper_bound(bounds.begin(), bounds.end(), v) - bounds.begin());
    v += adds[k];
  }
  return true;
}
}  // namespace

Integer TcxCustomDataControllerInfo::Renumbered(size_t ASlot, Integer ARecord) const {
  size_t from = 0;
  for (const TFreshEntry& e : FFreshEntries)
    if (e.Slot == ASlot) {
      from = e.Shifts;
      break;
    }
  for (size_t i = from; i < FRecordShifts.size(); ++i)
    if (ARecord > FRecordShifts[i].Above) ARecord += FRecordShifts[i].Delta;
  return ARecord;
}

void TcxCustomDataControllerInfo::ShiftRecordNumbers(Integer AAbove, Integer ADelta) {
  // A record inserted and deleted again at one place (or deleted and inserted there) leaves
  // the others' numbers as they were: the two shifts cancel. No entry takes the number in
  // between (the inserted record's row went with it; the deleted record had none left), and
  // an entry written between the two takes the second alone.
  if (!FRecordShifts.empty()) {
    const TRecordShift& last = FRecordShifts.back();
    if ((last.Delta == 1 && ADelta == -1 && AAbove == last.Above + 1) ||
        (last.Delta == -1 && ADelta == 1 && AAbove == last.Above - 1)) {
      const size_t count = FRecordShifts.size();
      for (TFreshEntry& e : FFreshEntries)
        if (e.Shifts == count) {
          Integer& r = FRecordList[SlotOfEntry(e.Slot)];
          if (r > AAbove) r += ADelta;
          e.Shifts = count - 1;
        }
      FRecordShifts.pop_back();
      FFreshEntries.erase(std::remove_if(FFreshEntries.begin(), FFreshEntries.end(),
                                         [](const TFreshEntry& e) { return e.Shifts == 0; }),
                          FFreshEntries.end());
      return;
    }
  }
  if (FRecordShifts.size() >= kLoggedRecordShifts) SettleRecordNumbers();
  FRecordShifts.push_back({AAbove, ADelta});
}

void TcxCustomDataControllerInfo::InsertEntry(size_t ASlot, Integer ARecord) {
  if (FFreshEntries.size() >= kFreshEntries) SettleRecordNumbers();
  if (FEntryGapSize == 0) {
    // A new gap at the end, an eighth of the entries: constant time on average.
    const size_t grow = std::max<size_t>(16, FRecordList.size() / 8);
    FRecordList.resize(FRecordList.size() + grow);
    FEntryGapStart = FRecordList.size() - grow;
    FEntryGapSize = grow;
  }
  MoveEntryGap(ASlot);
  FRecordList[FEntryGapStart++] = ARecord;
  --FEntryGapSize;
  for (TFreshEntry& e : FFreshEntries)
    if (e.Slot >= ASlot) ++e.Slot;
  if (!FRecordShifts.empty()) FFreshEntries.push_back({ASlot, FRecordShifts.size()});
}

void TcxCustomDataControllerInfo::EraseEntry(size_t ASlot) {
  MoveEntryGap(ASlot);
  ++FEntryGapSize;
  FFreshEntries.erase(std::remove_if(FFreshEntries.begin(), FFreshEntries.end(),
                                     [ASlot](const TFreshEntry& e) { return e.Slot == ASlot; }),
                      FFreshEntries.end());
  for (TFreshEntry& e : FFreshEntries)
    if (e.Slot > ASlot) --e.Slot;
}

void TcxCustomDataControllerInfo::MoveEntryGap(size_t AIndex) const {
  MoveGapTo(FRecordList.begin(), FEntryGapStart, FEntryGapSize, AIndex);
}

void TcxCustomDataControllerInfo::CloseEntryGap() const {
  if (FEntryGapSize == 0) return;
  const size_t count = RowListCount();
  MoveEntryGap(count);
  FRecordList.resize(count);
  FEntryGapStart = FEntryGapSize = 0;
}

void TcxCustomDataControllerInfo::SettleRecordNumbers() const {
  if (FRecordShifts.empty()) return;
  CloseEntryGap();
  // The fresh entries' numbers first; every entry then takes every shift, in one pass.
  std::vector<Integer> fresh;
  for (const TFreshEntry& e : FFreshEntries)
    fresh.push_back(Renumbered(e.Slot, FRecordList[e.Slot]));
  if (!ShiftAll(FRecordList, FRecordShifts))
    for (const TRecordShift& shift : FRecordShifts) ShiftAbove(FRecordList, shift.Above, shift.Delta);
  for (size_t i = 0; i < fresh.size(); ++i) FRecordList[FFreshEntries[i].Slot] = fresh[i];
  FRecordShifts.clear();
  FFreshEntries.clear();
}
