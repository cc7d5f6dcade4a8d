#include "widgets/databinding/cxLookupEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/data/cxDataUtils.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

namespace {

// The properties' lookup lock and the data controller's, together, for the lookup data's moves.
auto LockBoth(TcxCustomLookupEditProperties* P) {
  // An editor a handler freed meanwhile has nothing left to unlock.
  return WatchedPairedCall(
      P,
      [P] {
        P->LockLookupDataChanges();
        P->LockDataController();
      },
      [P] {
        // The list's layout once unlocked asks its rows' texts, whose handler may free P.
        TWeakLink props(P);
        P->UnlockDataController();
        if (props.Alive()) P->UnlockLookupDataChanges();
      });
}

}  // namespace

// ---- properties ----

TcxCustomLookupEditProperties::TcxCustomLookupEditProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {}

void TcxCustomLookupEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  SetPopupHeight(0);
  SetPopupWidth(0);
  SetDropDownListStyle(TcxEditDropDownListStyle::lsEditFixedList);
  SetPopupAutoSize(false);
  SetPopupSizeable(false);
}

void TcxCustomLookupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomLookupEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  inherited::Assign(Source);
  if (!IsDefinedByLookupField()) SetListFieldIndex(s->GetRawListFieldIndex());
  SetIncrementalFiltering(s->FIncrementalFiltering);
}

Integer TcxCustomLookupEditProperties::GetListIndex() const {
  return std::min(FListFieldIndex, GetListColumnCount() - 1);
}

void TcxCustomLookupEditProperties::SetListFieldIndex(Integer Value) {
  if (Value > GetListColumnCount() - 1) Value = GetListColumnCount() - 1;
  if (Value < 0) Value = 0;
  if (FListFieldIndex == Value) return;
  FListFieldIndex = Value;
  Changed();
}

void TcxCustomLookupEditProperties::SetIncrementalFiltering(bool Value) {
  if (FIncrementalFiltering == Value) return;
  FIncrementalFiltering = Value;
  Changed();
}

TcxEditSupportedOperations TcxCustomLookupEditProperties::GetSupportedOperations() const {
  TcxEditSupportedOperations r = inherited::GetSupportedOperations();
  if (!IsDisplayFormatDefined(false)) r.Include(TcxEditSupportedOperation::esoSortingByDisplayText);
  return r;
}

bool TcxCustomLookupEditProperties::IsDisplayFormatDefined(bool) const { return IsKeyListField(); }

TcxCustomTextEditLookupDataClass TcxCustomLookupEditProperties::GetLookupDataClass() const {
  return ClassOf<TcxCustomLookupEditLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

TcxCustomEditClass TcxCustomLookupEditProperties::GetContainerClass() const {
  return ClassOf<TcxCustomLookupEdit, TcxCustomEdit, TComponent*, bool>();
}

void TcxCustomLookupEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  ADisplayValue = Variant(GetDisplayText(AEditValue));
}

bool TcxCustomLookupEditProperties::IsLookupDataKey(Word AKey, TShiftState AShift) const {
  switch (AKey) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: return !AShift.Contains(TShiftStateItem::ssAlt);
    case VK_HOME:
    case VK_END: return AShift.Contains(TShiftStateItem::ssCtrl);
    default: return false;
  }
}

void TcxCustomLookupEditProperties::AddListDataChangeListener() {
  TcxCustomDataController* c = GetListDataController();
  if (!c || (FListListening && FListeningController == c)) return;
  RemoveListDataChangeListener();
  c->AddNotifyEventItem(this, {this, &TcxCustomLookupEditProperties::ListDataChanged});
  FListeningController = c;
  FListListening = true;
}

void TcxCustomLookupEditProperties::RemoveListDataChangeListener() {
  if (!FListListening) return;
  if (FListeningController)
    FListeningController->RemoveNotifyEventItem(this, {this, &TcxCustomLookupEditProperties::ListDataChanged});
  FListeningController = nullptr;
  FListListening = false;
}

Integer TcxCustomLookupEditProperties::FindByText(Integer AItemIndex, const String& AText, bool APartial) {
  TcxCustomDataController* c = GetListDataController();
  if (!c || AItemIndex < 0 || AItemIndex >= c->GetItemCount()) return -1;
  return c->FindIncrementalFilterRecord(0, AItemIndex, true, false, AText, APartial);
}

String TcxCustomLookupEditProperties::GetDisplayText(const Variant& AKey) {
  TcxCustomDataController* c = GetListDataController();
  if (GetListIndex() < 0 || !c) return {};
  // The search may run handlers that free the editor, and with it these properties and
  // their list: then there is no text to read.
  TWeakLink self(this), list(c);
  const Integer record = FindRecordIndexByKey(AKey);
  if (!self.Alive() || !list.Alive()) return {};
  return GetRecordListText(record);
}

void TcxCustomLookupEditProperties::ListDataChanged(TObject*) {
  if (FInListDataChanged || IsLookupDataLocked() || IsControllerLookupLocked()) return;
  // The editors hearing of the change read the list, whose handlers may free these
  // properties (with an editor that owns them).
  TWatchedValue<bool> changing(this, FInListDataChanged, true);
  Changed();
}

bool TcxCustomLookupEditProperties::IsControllerLookupLocked() const {
  TcxCustomDataController* c = GetListDataController();
  return c && c->IsLookupLocked();
}

void TcxCustomLookupEditProperties::LockDataController() {
  if (TcxCustomDataController* c = GetListDataController()) c->IncLookupLockCount();
}

void TcxCustomLookupEditProperties::UnlockDataController() {
  if (TcxCustomDataController* c = GetListDataController()) c->DecLookupLockCount();
}

Variant TcxCustomLookupEditProperties::GetRecordKey(Integer ARecordIndex) const {
  TcxCustomDataController* c = GetListDataController();
  if (!c || ARecordIndex < 0 || ARecordIndex >= c->GetRecordCount()) return Null();
  return c->GetRecordId(ARecordIndex);
}

Integer TcxCustomLookupEditProperties::FindRecordIndexByKey(const Variant&) { return -1; }

String TcxCustomLookupEditProperties::GetRecordListText(Integer ARecordIndex) const {
  TcxCustomDataController* c = GetListDataController();
  const Integer item = GetListIndex();
  if (!c || item < 0 || item >= c->GetItemCount() || ARecordIndex < 0 || ARecordIndex >= c->GetRecordCount())
    return {};
  return c->GetDisplayText(ARecordIndex, c->GetItemField(item));
}

// ---- lookup data ----

void TcxCustomLookupEditLookupData::BeforeDestruction() {
  UnwireGrid();
  FreeAndNil(FGridWatch);
  inherited::BeforeDestruction();
}

void TcxCustomLookupEditLookupData::UnwireGrid() {
  if (FWiredGrid) {
    FWiredGrid->OnDataChanged = FSavedGridDataChanged;
    if (FGridWatch) FWiredGrid->RemoveFreeNotification(FGridWatch);
  }
  FWiredGrid = nullptr;
  FSavedGridDataChanged = TNotifyEvent();
}

void TcxCustomLookupEditLookupData::GridFreed(TComponent* AComponent) {
  if (AComponent != FWiredGrid) return;
  FWiredGrid = nullptr;
  FSavedGridDataChanged = TNotifyEvent();
}

TcxCustomLookupEditProperties* TcxCustomLookupEditLookupData::LookupProperties() const {
  return dynamic_cast<TcxCustomLookupEditProperties*>(ActiveProperties());
}

TcxCustomLookupEdit* TcxCustomLookupEditLookupData::LookupEdit() const {
  return dynamic_cast<TcxCustomLookupEdit*>(GetEdit());
}

TWinControl* TcxCustomLookupEditLookupData::GetActiveControl() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  return p ? p->GetListControl() : nullptr;
}

Integer TcxCustomLookupEditLookupData::GetItemCount() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  return c ? c->GetRecordCount() : 0;
}

String TcxCustomLookupEditLookupData::GetItem(Integer ARecordIndex) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  return p ? p->GetRecordListText(ARecordIndex) : String();
}

Integer TcxCustomLookupEditLookupData::GetCurrentIndex() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  return c ? c->GetFocusedRecordIndex() : -1;
}

void TcxCustomLookupEditLookupData::GetDisplayText(const Variant& AKey, String& AText) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  AText = p ? p->GetDisplayText(AKey) : String();
}

void TcxCustomLookupEditLookupData::MarkFocusedSelected(bool ASelected) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  if (TcxCustomDataController* c = p ? p->GetListDataController() : nullptr) c->SetFocusedSelected(ASelected);
}

void TcxCustomLookupEditLookupData::NotifyKeyChanged() {
  if (OnCurrentKeyChanged) OnCurrentKeyChanged(this);
}

void TcxCustomLookupEditLookupData::SetCurrentKeyFromRecord(Integer ARecordIndex) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  FCurrentKey = p ? p->GetRecordKey(ARecordIndex) : Null();
}

void TcxCustomLookupEditLookupData::SyncGridWithKey() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  if (!c) return;
  auto lock = LockBoth(p);
  TWeakLink list(c);
  const Integer record = p->FindRecordIndexByKey(FCurrentKey);
  if (!list.Alive()) return;  // the search's handlers freed the editor and its list
  c->ChangeFocusedRecordIndex(record);
  c->SetFocusedSelected(record >= 0 && c->GetFocusedRowIndex() >= 0);
}

void TcxCustomLookupEditLookupData::FocusKeyRecord() {
  FListBehindKey = false;
  SyncGridWithKey();
}

void TcxCustomLookupEditLookupData::SetCurrentKey(const Variant& AKey) {
  FCurrentKey = AKey;
  FocusKeyRecord();
}

void TcxCustomLookupEditLookupData::ShowKey(const Variant& AKey) {
  FCurrentKey = AKey;
  if (FocusMovesSharedList()) FListBehindKey = true;
  else FocusKeyRecord();
}

// ---- moving ----

void TcxCustomLookupEditLookupData::Go(Integer ADirection, bool AWrap) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  if (!c || !p->GetLookupGrid()) return;
  // Moving runs the list's handlers (its rows' texts, say), which may free the editor, and
  // this and the list with it.
  TWeakLink self(this), list(c);
  if (FListBehindKey) FocusKeyRecord();
  if (!self.Alive() || !list.Alive()) return;
  const Integer n = c->GetRowCount();
  if (n == 0) return;
  const Integer cur = c->GetFocusedRowIndex();
  // A page of fewer than one row would stall the page steps.
  const Integer page = std::max<Integer>(1, p->GetDropDownRows());
  Integer row = cur;
  switch (ADirection) {
    case cxLookupGoFirst: row = 0; break;
    case cxLookupGoLast: row = n - 1; break;
    case cxLookupGoNext:
      if (cur < 0) row = 0;
      else if (cur + 1 < n) row = cur + 1;
      else row = AWrap ? 0 : cur;
      break;
    case cxLookupGoPrior:
      if (cur < 0) row = AWrap ? n - 1 : 0;
      else if (cur > 0) row = cur - 1;
      else row = AWrap ? n - 1 : cur;
      break;
    case cxLookupGoPageUp: row = std::max<Integer>(0, cur - page); break;
    // With no row focused the page counts from just before the first row, as Next does.
    case cxLookupGoPageDown: row = std::min<Integer>(n - 1, cur + page); break;
    default: return;
  }
  {
    auto lock = LockBoth(p);
    if (c->IsGridMode()) {
      if (!StepDataSet(c, ADirection, AWrap, cur < 0, page)) return;
    } else {
      c->ChangeFocusedRowIndex(row);
    }
    if (!self.Alive() || !list.Alive()) return;
    c->SetFocusedSelected(c->GetFocusedRowIndex() >= 0);
    if (!self.Alive() || !list.Alive()) return;
    // The open list is browsed: the edit takes its row only when the list closes accepting it.
    if (FListDroppedDown) return;
    SetCurrentKeyFromRecord(c->GetFocusedRecordIndex());
  }
  if (self.Alive()) NotifyKeyChanged();
}

// In grid mode the controller holds a window of the list data set: a step moves the data set,
// so that it goes on past the window's ends. The data set is at its end when a step towards it
// leaves it at its end mark.
bool TcxCustomLookupEditLookupData::StepDataSet(TcxCustomDataController* AController, Integer ADirection,
                                                bool AWrap, bool ANoRow, Integer APage) {
  TcxCustomDataController* c = AController;
  TWeakLink list(c);
  switch (ADirection) {
    case cxLookupGoFirst: c->GotoFirst(); break;
    case cxLookupGoLast: c->GotoLast(); break;
    case cxLookupGoNext:
      if (ANoRow) {
        c->GotoFirst();
        break;
      }
      c->GotoNext();
      if (list.Alive() && c->IsEOF() && AWrap) c->GotoFirst();
      break;
    case cxLookupGoPrior:
      if (ANoRow) {
        if (AWrap) c->GotoLast();
        else c->GotoFirst();
        break;
      }
      c->GotoPrev();
      if (list.Alive() && c->IsBOF() && AWrap) c->GotoLast();
      break;
    case cxLookupGoPageUp:
      if (ANoRow) c->GotoFirst();
      else c->MoveBy(-APage);
      break;
    case cxLookupGoPageDown:
      // From no row the page counts from just before the first row.
      if (ANoRow) {
        c->GotoFirst();
        if (list.Alive()) c->MoveBy(APage - 1);
      } else {
        c->MoveBy(APage);
      }
      break;
    default: break;
  }
  return list.Alive();
}

bool TcxCustomLookupEditLookupData::Locate(String& AText, String& ATail, bool, bool AExactMatch) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  const Integer item = p ? p->GetListIndex() : -1;
  if (!c || item < 0 || !p->GetLookupGrid()) return false;
  Integer record = -1;
  {
    auto lock = LockBoth(p);
    // The filter and the search read the list's texts, whose handlers may free the editor
    // and its list: the search ends there.
    TWeakLink self(this), list(c);
    auto gone = [&] { return !self.Alive() || !list.Alive(); };
    if (FIncrementalSearching && p->GetIncrementalFiltering() && !AExactMatch) {
      const String previous = c->GetIncrementalFilterItemIndex() == item ? c->GetIncrementalFilterText() : String();
      c->ApplyIncrementalFilter(item, AText);
      if (gone()) return false;
      if (c->GetFilteredRecordCount() == 0) {
        // Nothing passes: a list that takes only its texts keeps the rows it showed.
        if (p->GetDropDownListStyle() != TcxEditDropDownListStyle::lsEditList) c->ApplyIncrementalFilter(item, previous);
      } else {
        record = p->FindByText(item, AText, true);
      }
    } else {
      record = p->FindByText(item, AText, !AExactMatch);
    }
    if (gone()) return false;
    if (record >= 0) {
      c->ChangeFocusedRecordIndex(record);
      if (gone()) return false;
      SetCurrentKeyFromRecord(record);
      if (gone()) return false;
      const String text = p->GetRecordListText(record);
      if (gone()) return false;
      const Integer n = Integer(AText.size());
      AText = Copy(text, 1, n);
      ATail = Copy(text, n + 1, Integer(text.size()) - n);
      c->SetFocusedSelected(true);
      if (gone()) return false;
    }
  }
  if (FIncrementalSearching && p->GetIncrementalFiltering()) FitPopupToFilter();
  return record >= 0;
}

// The popup follows the filtered rows while it is shown.
void TcxCustomLookupEditLookupData::FitPopupToFilter() {
  TcxCustomLookupEdit* edit = LookupEdit();
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomLookupGrid* grid = p ? p->GetLookupGrid() : nullptr;
  if (!edit || !grid || !edit->HasShownPopup() || !p->GetListDataController()) return;
  const Integer rows = std::max<Integer>(1, std::min(p->GetDropDownRows(), p->GetListDataController()->GetRowCount()));
  if (p->GetListHeightForRowCount(rows) == grid->GetClientHeight()) return;
  edit->ResetPopupHeight();
  edit->SetupPopupWindow();
}

bool TcxCustomLookupEditLookupData::SyncWithEditText() {
  IcxTextEditLookupDataOwner* owner = GetEdit();
  TcxCustomLookupEditProperties* p = LookupProperties();
  if (!owner || !p || owner->IsLookupEditingLocked()) return false;
  const String text = owner->GetLookupEditText();
  // The list's text handlers run for the current key and the search: one may free the
  // editor, and this lookup data with it.
  TWeakLink self(this);
  String current;
  GetDisplayText(FCurrentKey, current);
  if (!self.Alive()) return false;
  if (!VarIsNull(FCurrentKey) && cxAreStringsEqual(current, text, false)) return true;
  const Integer record = p->FindByText(p->GetListIndex(), text, false);
  if (!self.Alive() || record < 0) return false;
  auto lock = LockBoth(p);
  if (TcxCustomDataController* c = p->GetListDataController()) {
    c->ChangeFocusedRecordIndex(record);
    c->SetFocusedSelected(true);
  }
  SetCurrentKeyFromRecord(record);
  return true;
}

bool TcxCustomLookupEditLookupData::ItemExists(const String& AText) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  return p && p->FindByText(p->GetListIndex(), AText, false) >= 0;
}

Variant TcxCustomLookupEditLookupData::DisplayTextToKey(const String& AText) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  if (!p) return Null();
  if (p->IsKeyListField()) return Variant(AText);
  String current;
  GetDisplayText(FCurrentKey, current);
  if (!VarIsNull(FCurrentKey) && !VarIsEmpty(FCurrentKey) && current == AText) return FCurrentKey;
  // An emptied edit names no record, even when some record has no text.
  if (AText.empty()) return p->GetEmptyKey();
  const Integer record = p->FindByText(p->GetListIndex(), AText, false);
  if (record < 0) return p->GetEmptyKey();
  if (TcxCustomDataController* c = p->GetListDataController()) {
    auto lock = LockBoth(p);
    c->ChangeFocusedRecordIndex(record);
  }
  return p->GetRecordKey(record);
}

// ---- the list in the popup ----

TSize TcxCustomLookupEditLookupData::GetVisualAreaPreferredSize(Integer, Integer) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  if (!c || !p->GetLookupGrid()) return {0, 0};
  const Integer rows = std::max<Integer>(1, std::min(p->GetDropDownRows(), c->GetRowCount()));
  return {p->GetListColumnsWidth(), p->GetListHeightForRowCount(rows)};
}

void TcxCustomLookupEditLookupData::AdjustListHeight(Integer& AHeight) {
  TcxCustomLookupEditProperties* p = LookupProperties();
  if (!p || AHeight < 1) return;
  if (p->IsListHeightSnapped()) AHeight = p->SnapListHeight(AHeight);
}

void TcxCustomLookupEditLookupData::Initialize(TWinControl* AVisualControlsParent) {
  TWinControl* list = GetActiveControl();
  if (!list) return;
  // The list's new window lays its rows out, asking their texts: a text handler may free
  // the editor, and this with it.
  TWeakLink self(this);
  list->SetParent(AVisualControlsParent);
  if (self.Alive()) FocusKeyRecord();
}

void TcxCustomLookupEditLookupData::SetListBounds(const TRect& ARect) {
  if (TWinControl* list = GetActiveControl()) list->SetBoundsRect(ARect);
}

bool TcxCustomLookupEditLookupData::IsMouseOverList() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TWinControl* list = GetActiveControl();
  if (!p || !list || !list->HandleAllocated()) return false;
  TPoint pt;
  ::GetCursorPos(&pt);
  return p->IsPointOverList(list->ScreenToClient(pt));
}

void TcxCustomLookupEditLookupData::DropDown() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomLookupGrid* grid = p ? p->GetLookupGrid() : nullptr;
  if (!grid) return;
  auto lock = WatchedPairedCall(
      p, [p] { p->LockDataController(); }, [p] { p->UnlockDataController(); });
  p->SetListEvents(this, true);
  if (FWiredGrid != grid) {
    UnwireGrid();
    FSavedGridDataChanged = grid->OnDataChanged;
    grid->OnDataChanged = {this, &TcxCustomLookupEditLookupData::GridDataChanged};
    FWiredGrid = grid;
    if (!FGridWatch) {
      FGridWatch = New<TcxFreeNotificator>(nullptr);
      FGridWatch->OnFreeNotification = {this, &TcxCustomLookupEditLookupData::GridFreed};
    }
    grid->FreeNotification(FGridWatch);
  }
  auto* edit = LookupEdit();
  TcxContainerStyle* style = GetEdit() ? GetEdit()->GetLookupActiveStyle() : nullptr;
  // The list's new look lays its rows out, asking their texts, whose handler may free the
  // editor and this with it.
  TWeakLink self(this);
  p->SetListLookAndFeel(edit ? edit->PopupControlsLookAndFeel() : nullptr, style ? style->GetColor() : clWindow,
                        style ? style->GetVisibleFont() : nullptr);
  if (!self.Alive()) return;
  FIncrementalSearching = true;
  FListDroppedDown = true;
  p->ListPopupStarted();
}

void TcxCustomLookupEditLookupData::CloseUp() {
  FIncrementalSearching = false;
  FListDroppedDown = false;
  TcxCustomLookupEditProperties* p = LookupProperties();
  if (!p) return;
  p->SetListEvents(this, false);
  UnwireGrid();
  p->ListPopupEnded();
  // The typed filter ends with the drop-down: the closed list holds every record again.
  if (TcxCustomDataController* c = p->GetListDataController()) {
    auto lock = LockBoth(p);
    c->ResetIncrementalFilter();
  }
  FocusKeyRecord();
}

void TcxCustomLookupEditLookupData::SelectItem() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  if (c && c->GetFocusedRecordIndex() >= 0) {
    const Variant before = FCurrentKey;
    SetCurrentKeyFromRecord(c->GetFocusedRecordIndex());
    String text;
    GetDisplayText(FCurrentKey, text);
    if (!cxVariantsEqual(before, FCurrentKey) || (GetEdit() && GetEdit()->GetLookupEditText() != text))
      NotifyKeyChanged();
  }
  if (OnSelectItem) OnSelectItem(this);
}

void TcxCustomLookupEditLookupData::GridCloseUp(TObject*, bool AAccept) {
  if (TcxCustomLookupEdit* edit = LookupEdit())
    edit->CloseUp(AAccept ? TcxEditCloseUpReason::crEnter : TcxEditCloseUpReason::crCancel);
}

void TcxCustomLookupEditLookupData::GridDataChanged(TObject* Sender) {
  if (FSavedGridDataChanged) FSavedGridDataChanged(Sender);
  ListDataChanged();
}

void TcxCustomLookupEditLookupData::ListDataChanged() {
  TcxCustomLookupEditProperties* p = LookupProperties();
  TcxCustomDataController* c = p ? p->GetListDataController() : nullptr;
  IcxTextEditLookupDataOwner* owner = GetEdit();
  if (!c || !owner || p->IsLookupDataLocked() || p->IsControllerLookupLocked()) return;
  const String text = owner->GetLookupEditText();
  const Integer item = p->GetListIndex();
  bool refit = false;
  Integer record = -1;
  {
    auto lock = LockBoth(p);
    if (FIncrementalSearching && p->GetIncrementalFiltering()) refit = c->ChangeIncrementalFilterText(text);
    record = c->GetFocusedRecordIndex();
    if (record < 0 || !cxAreStringsEqual(p->GetRecordListText(record), text, false)) {
      record = p->FindByText(item, text, false);
      c->ChangeFocusedRecordIndex(record);
    }
    c->SetFocusedSelected(record >= 0);
  }
  if (refit) FitPopupToFilter();
}

// ---- the edit ----

TcxCustomEditPropertiesClass TcxCustomLookupEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomLookupEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomLookupEdit::BeforeDestruction() {
  auto* p = dynamic_cast<TcxCustomLookupEditProperties*>(GetActiveProperties());
  TWinControl* list = p ? p->GetListControl() : nullptr;
  TWinControl* popup = PopupWindow();
  if (list && popup) {
    for (TWinControl* parent = list->GetParent(); parent; parent = parent->GetParent())
      if (parent == popup) {
        list->SetParent(nullptr);
        break;
      }
  }
  inherited::BeforeDestruction();
}

void TcxCustomLookupEdit::Initialize() {
  inherited::Initialize();
  SetWidth(145);
}

void TcxCustomLookupEdit::DropDown() {
  // Focusing the key's record searches the list, whose handlers may free this editor.
  TWeakLink self(this);
  if (TcxCustomLookupEditLookupData* data = GetLookupEditData()) {
    // A record chosen by typing is not the edit value until it is posted; the list opens on
    // the record the edit shows.
    if (GetEditModified()) data->SetCurrentKey(data->DisplayTextToKey(GetLookupEditText()));
    else data->SetCurrentKey(EditValue());
    if (!self.Alive()) return;
  }
  inherited::DropDown();
}

void TcxCustomLookupEdit::SaveDropDownState() {
  inherited::SaveDropDownState();
  TcxCustomLookupEditLookupData* data = GetLookupEditData();
  FDropDownKeySaved = data != nullptr;
  if (data) FDropDownKey = data->GetCurrentKey();
}

void TcxCustomLookupEdit::RestoreDropDownState() {
  const bool keySaved = FDropDownKeySaved;
  FDropDownKeySaved = false;
  TWeakLink self(this);
  inherited::RestoreDropDownState();
  if (!self.Alive() || !keySaved) return;
  TcxCustomLookupEditLookupData* data = GetLookupEditData();
  if (data && !cxVariantsEqual(data->GetCurrentKey(), FDropDownKey)) data->SetCurrentKey(FDropDownKey);
}

void TcxCustomLookupEdit::SynchronizeDisplayValue() {
  TWeakLink self(this);
  if (TcxCustomLookupEditLookupData* data = GetLookupEditData()) {
    if (HasShownPopup()) data->SetCurrentKey(EditValue());
    else data->ShowKey(EditValue());
  }
  if (self.Alive()) inherited::SynchronizeDisplayValue();
}

void TcxCustomLookupEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomLookupEditLookupData* data = GetLookupEditData();
  AEditValue = data ? data->DisplayTextToKey(VarToStr(ADisplayValue)) : Null();
}

void TcxCustomLookupEdit::AdjustPopupClientSize(Integer&, Integer& AHeight) {
  if (TcxCustomLookupEditLookupData* data = GetLookupEditData()) data->AdjustListHeight(AHeight);
}

void TcxCustomLookupEdit::SetKeepDisplayValue() {
  LookupProperties()->LockLookupDataChanges();
  inherited::SetKeepDisplayValue();
}

void TcxCustomLookupEdit::ClearKeepDisplayValue() {
  inherited::ClearKeepDisplayValue();
  LookupProperties()->UnlockLookupDataChanges();
}

TL_DEFINE_CLASS(TcxCustomLookupEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomLookupEditLookupData, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomLookupEdit, [](auto&) {});
