// The selection of grid mode: the data set's bookmarks of the selected records, kept in
// the data set's order beside the base's entries.
#include "widgets/databinding/cxDBData.h"

#include "widgets/databinding/cxDBDataGuards.h"

#include <algorithm>
#include <iterator>

using namespace cxDBDataGuards;

TcxDBDataController* TcxDBDataSelection::DBDataController() const {
  return static_cast<TcxDBDataController*>(DataController());
}

bool TcxDBDataSelection::IsGridMode() const { return DataController() && DataController()->IsGridMode(); }

Integer TcxDBDataSelection::Compare(const TBookmarkStr& A, const TBookmarkStr& B) const {
  return DBDataController()->DBProvider()->CompareBookmarks(A, B);
}

void TcxDBDataSelection::ClearAnchor() {
  inherited::ClearAnchor();
  FAnchorBookmark.clear();
}

bool TcxDBDataSelection::FindBookmark(const TBookmarkStr& ABookmark, Integer& AIndex) const {
  Integer lower = 0, upper = BookmarkCount() - 1;
  while (lower <= upper) {
    const Integer middle = (lower + upper) / 2;
    const Integer c = Compare(FBookmarks[size_t(middle)], ABookmark);
    if (c == 0) {
      AIndex = middle;
      return true;
    }
    if (c < 0)
      lower = middle + 1;
    else
      upper = middle - 1;
  }
  AIndex = lower;
  return false;
}

bool TcxDBDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex) const {
  if (!IsGridMode()) return inherited::FindByRowIndex(ARowIndex, AIndex);
  TcxDBDataController* c = DBDataController();
  AIndex = BookmarkCount();
  if (ARowIndex < 0 || ARowIndex >= c->GetRowCount()) return false;
  const TBookmarkStr bookmark = c->DBProvider()->GetRowBookmark(c->GetRowInfo(ARowIndex).RecordIndex);
  if (bookmark.empty()) return false;
  return FindBookmark(bookmark, AIndex);
}

void TcxDBDataSelection::InternalAdd(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) {
  if (IsGridMode() && !FSynchronizing) {
    const TBookmarkStr bookmark = DBDataController()->DBProvider()->GetRowBookmark(ARecordOrGroupIndex);
    const size_t at = AIndex < 0 || AIndex >= BookmarkCount() ? FBookmarks.size() : size_t(AIndex);
    FBookmarks.insert(FBookmarks.begin() + std::ptrdiff_t(at), bookmark);
    FIsRange = false;
  }
  inherited::InternalAdd(AIndex, ARowIndex, AKind, ARecordOrGroupIndex);
}

void TcxDBDataSelection::InternalClear() {
  if (!FSynchronizing) {
    FBookmarks.clear();
    FIsRange = false;
  }
  inherited::InternalClear();
}

void TcxDBDataSelection::InternalDelete(Integer AIndex) {
  if (!FSynchronizing && AIndex >= 0 && AIndex < BookmarkCount()) {
    if (!FAnchorBookmark.empty() && Compare(FAnchorBookmark, FBookmarks[size_t(AIndex)]) == 0) ClearAnchor();
    // A record that is gone leaves the others in a row; one dropped from the selection
    // leaves a gap. Asking runs the data set's filter, whose handler may free the data set
    // or the controller, and this selection with it.
    TcxDBDataProvider* p = DBDataController()->DBProvider();
    TStepWatch<TcxDBDataProvider> watch(p, p->DataSet());
    const bool valid = p->IsBookmarkValid(FBookmarks[size_t(AIndex)]);
    if (!watch.Alive()) return;
    if (valid) FIsRange = false;
    FBookmarks.erase(FBookmarks.begin() + AIndex);
  }
  inherited::InternalDelete(AIndex);
}

void TcxDBDataSelection::DeleteBookmark(Integer AIndex) { Delete(AIndex); }

void TcxDBDataSelection::SyncItems() {
  TScopedValue<bool> guard(FSynchronizing, true);
  while (Count() > BookmarkCount()) InternalDelete(Count() - 1);
  while (Count() < BookmarkCount()) inherited::InternalAdd(-1, Count(), 0, Count());
}

bool TcxDBDataSelection::DropInvalidBookmarks() {
  if (!IsGridMode()) return false;
  TcxDBDataProvider* p = DBDataController()->DBProvider();
  // Asking about the records runs the data set's filter, whose handler may free the data
  // set or the controller (and this selection with it): nothing more is done then.
  TStepWatch<TcxDBDataProvider> watch(p, p->DataSet());
  // Records that came into the data set (a filter letting them through again) may lie
  // inside the range.
  if (TDataSet* ds = p->DataSet(); ds && ds->Active()) {
    const Integer count = ds->RecordCount();
    if (!watch.Alive()) return false;
    if (count > FRangeRecordCount) FIsRange = false;
    FRangeRecordCount = count;
  }
  bool dropped = false;
  for (Integer i = BookmarkCount() - 1; i >= 0; --i) {
    const bool gone = FBookmarks[size_t(i)].empty() || !p->IsBookmarkValid(FBookmarks[size_t(i)]);
    if (!watch.Alive()) return false;
    if (!gone) continue;
    InternalDelete(i);
    if (!watch.Alive()) return false;
    dropped = true;
  }
  if (dropped) Changed();
  return dropped;
}

void TcxDBDataSelection::DropAllBookmarks() {
  if (FBookmarks.empty() && FAnchorBookmark.empty()) return;
  FBookmarks.clear();
  FIsRange = false;
  ClearAnchor();
  SyncItems();
  Changed();
}

bool TcxDBDataSelection::CanSelectCurrent() const {
  TcxDBDataController* c = DBDataController();
  return c->CanSelectRow(c->DBProvider()->DataLink()->ActiveRecord());
}

// The walk moves the data set, whose handlers may free it, its source, or the controller and
// this selection with it: AWalk stops at once when its watch says so, and nothing more is
// done here once the controller is gone.
template <class F>
void TcxDBDataSelection::Walk(F AWalk) {
  TcxDBDataProvider* p = DBDataController()->DBProvider();
  TStepWatch<TcxDBDataProvider> watch(p, p->DataSet());
  // An edit of the data set holding changes is posted first (a refused post raises, and
  // nothing is selected); one without stays, and the records are read where they stand.
  const bool inPlace = p->SettleEditBeforeRead();
  if (!watch.Alive()) return;
  if (inPlace) {
    try {
      AWalk(watch, true);
    } catch (...) {  // written out: only a walk that ended tells of the change
      if (watch.ProviderAlive()) SyncItems();
      throw;
    }
    if (!watch.ProviderAlive()) return;
    SyncItems();
    Changed();
    return;
  }
  {
    auto freeze = Frozen(p);
    if (!watch.Alive()) return;
    p->SavePosition();
    try {
      AWalk(watch, false);
      if (!watch.ProviderAlive()) return;
      SyncItems();
    } catch (...) {  // written out: a sync that raises on the way still puts the position back
      if (watch.ProviderAlive()) {
        SyncItems();
        p->RestorePosition();
      }
      throw;
    }
    p->RestorePosition();
    if (!watch.ProviderAlive()) return;
  }
  if (watch.ProviderAlive()) Changed();
}

void TcxDBDataSelection::SelectAll() {
  TcxDBDataController* c = DBDataController();
  TcxDBDataProvider* p = c->DBProvider();
  TDataSet* ds = p->DataSet();
  if (!ds || !ds->Active()) return;
  Walk([&](const auto& AWatch, bool AInPlace) {
    if (AInPlace) {
      InternalClear();
      ds->ReadRecords([&](const TBookmarkStr& ABookmark) {
        if (!AWatch.Alive()) return false;
        if (CanSelectCurrent()) FBookmarks.push_back(ABookmark);
        return AWatch.Alive();
      });
      return;
    }
    ds->First();
    if (!AWatch.Alive()) return;
    InternalClear();
    for (; AWatch.Alive() && !ds->Eof(); ds->Next())
      if (CanSelectCurrent()) FBookmarks.push_back(ds->Bookmark());
  });
}

template <class TWatch>
void TcxDBDataSelection::WalkRange(const TBookmarkStr& ALower, const TBookmarkStr& AUpper,
                                   bool AKeepSelection, const TWatch& AWatch, bool AInPlace) {
  TDataSet* ds = DBDataController()->DataSet();
  std::vector<TBookmarkStr> walked;
  if (AInPlace) {
    ds->ReadRecords(
        [&](const TBookmarkStr& ABookmark) {
          if (!AWatch.Alive()) return false;
          if (CanSelectCurrent()) walked.push_back(ABookmark);
          return AWatch.Alive() && Compare(ABookmark, AUpper) < 0;
        },
        ALower);
    if (!AWatch.Alive()) return;
  } else {
    ds->GotoBookmark(ALower);
    for (;;) {
      if (!AWatch.Alive()) return;
      const TBookmarkStr current = ds->Bookmark();
      if (CanSelectCurrent()) walked.push_back(current);
      if (Compare(current, AUpper) >= 0) break;
      ds->Next();
      if (!AWatch.Alive()) return;
      if (ds->Eof()) break;
    }
  }
  if (!AKeepSelection || FBookmarks.empty()) {
    FBookmarks.swap(walked);
    return;
  }
  // Both lists are in the data set's order: one merge, each record once.
  std::vector<TBookmarkStr> merged;
  merged.reserve(FBookmarks.size() + walked.size());
  size_t i = 0, j = 0;
  while (i < FBookmarks.size() || j < walked.size()) {
    if (j == walked.size()) {
      merged.push_back(FBookmarks[i++]);
    } else if (i == FBookmarks.size()) {
      merged.push_back(walked[j++]);
    } else {
      const Integer c = Compare(FBookmarks[i], walked[j]);
      if (c <= 0) merged.push_back(FBookmarks[i++]);
      if (c >= 0) {
        if (c > 0) merged.push_back(walked[j]);
        ++j;
      }
    }
  }
  FBookmarks.swap(merged);
}

void TcxDBDataSelection::SelectFromAnchor(const TBookmarkStr& ABookmark, bool AKeepSelection) {
  TcxDBDataController* c = DBDataController();
  TcxDBDataProvider* p = c->DBProvider();
  TDataSet* ds = p->DataSet();
  if (!ds || !ds->Active() || ABookmark.empty() || (p->IsInserting() && p->IsEOF())) return;
  // Asking about the records runs the data set's filter, whose handler may free the data
  // set or the controller (and this selection with it): nothing more is done then.
  TStepWatch<TcxDBDataProvider> watch(p, ds);
  // Records that are gone are dropped, never walked to: a stale anchor ends the range.
  DropInvalidBookmarks();
  if (!watch.Alive()) return;
  const bool anchorValid = !FAnchorBookmark.empty() && p->IsBookmarkValid(FAnchorBookmark);
  if (!watch.Alive()) return;
  if (!anchorValid) {
    ClearAnchor();
    return;
  }
  const bool valid = p->IsBookmarkValid(ABookmark);
  if (!watch.Alive() || !valid) return;
  const bool anchorLower = Compare(FAnchorBookmark, ABookmark) <= 0;
  const TBookmarkStr lower = anchorLower ? FAnchorBookmark : ABookmark;
  const TBookmarkStr upper = anchorLower ? ABookmark : FAnchorBookmark;
  Walk([&](const auto& AWatch, bool AInPlace) {
    // The range grew or shrank by one record at its moving end: one step, no walk (the
    // step moves the data set: not while an edit stays).
    bool done = false;
    const Integer n = BookmarkCount();
    auto allowedAt = [&](const TBookmarkStr& B) {
      ds->GotoBookmark(B);
      return AWatch.Alive() && CanSelectCurrent();
    };
    if (!AInPlace && !AKeepSelection && n > 0) {
      if (Compare(lower, upper) == 0) {
        FBookmarks.clear();
        if (allowedAt(lower)) FBookmarks.push_back(lower);
        done = true;
      } else if (!FIsRange) {
        // A gap inside the list: its ends tell nothing about the records between them.
      } else if (anchorLower) {
        if (n >= 2 && Compare(FBookmarks[size_t(n - 2)], upper) == 0 && Compare(FBookmarks[0], lower) == 0) {
          FBookmarks.pop_back();
          done = true;
        } else if (Compare(FBookmarks[0], lower) == 0) {
          const bool allowed = allowedAt(upper);
          if (!AWatch.Alive()) return;
          if (ds->MoveBy(-1) == -1 && AWatch.Alive() &&
              Compare(ds->Bookmark(), FBookmarks.back()) == 0) {
            if (allowed) FBookmarks.push_back(upper);
            done = true;
          }
        }
      } else {
        if (n >= 2 && Compare(FBookmarks[1], lower) == 0 && Compare(FBookmarks.back(), upper) == 0) {
          FBookmarks.erase(FBookmarks.begin());
          done = true;
        } else if (Compare(FBookmarks.back(), upper) == 0) {
          const bool allowed = allowedAt(lower);
          if (!AWatch.Alive()) return;
          if (ds->MoveBy(1) == 1 && AWatch.Alive() &&
              Compare(ds->Bookmark(), FBookmarks.front()) == 0) {
            if (allowed) FBookmarks.insert(FBookmarks.begin(), lower);
            done = true;
          }
        }
      }
    }
    if (!AWatch.Alive()) return;
    if (!done) WalkRange(lower, upper, AKeepSelection, AWatch, AInPlace);
    if (!AWatch.Alive()) return;
    FIsRange = !AKeepSelection;
    // Counting asks the filter, whose handler may free this selection.
    const Integer count = ds->RecordCount();
    if (AWatch.Alive()) FRangeRecordCount = count;
  });
}

TL_DEFINE_CLASS(TcxDBDataSelection)
