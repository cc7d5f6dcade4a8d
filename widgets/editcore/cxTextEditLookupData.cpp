#include "widgets/editcore/cxTextEditLookupData.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Controls.h"
#include "platform/gdi/Text.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

namespace {

// Wheel settings above this are the platform's "one page per notch".
inline constexpr Integer kMaxWheelLines = 100;

}  // namespace

// ---- lookup data ----

TcxCustomTextEditLookupData::TcxCustomTextEditLookupData(TPersistent* AOwner)
    : TcxInterfacedPersistent(AOwner), FEdit(dynamic_cast<IcxTextEditLookupDataOwner*>(AOwner)) {
  FListWatch = New<TcxFreeNotificator>(nullptr);
  FListWatch->OnFreeNotification = {this, &TcxCustomTextEditLookupData::ListFreed};
}

void TcxCustomTextEditLookupData::BeforeDestruction() {
  if (FList) {
    FList->OnSelectionChanged = nullptr;
    FList->RemoveFreeNotification(FListWatch);
  }
  FList = nullptr;
  FreeAndNil(FListWatch);
  inherited::BeforeDestruction();
}

void TcxCustomTextEditLookupData::ListFreed(TComponent* AComponent) {
  if (AComponent == FList) FList = nullptr;
}

TcxCustomTextEditProperties* TcxCustomTextEditLookupData::ActiveProperties() const {
  return FEdit ? FEdit->GetLookupProperties() : nullptr;
}

String TcxCustomTextEditLookupData::GetItem(Integer AIndex) {
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (!p || AIndex < 0 || AIndex >= p->GetLookupItems()->Count()) return {};
  return p->GetLookupItems()->Strings(AIndex);
}

Integer TcxCustomTextEditLookupData::GetItemCount() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  return p ? p->GetLookupItems()->Count() : 0;
}

Integer TcxCustomTextEditLookupData::IndexOf(const String& AText) {
  const Integer n = GetItemCount();
  for (Integer i = 0; i < n; ++i)
    if (cxAreStringsEqual(AText, GetItem(i), false)) return i;
  return -1;
}

// ---- current item ----

Variant TcxCustomTextEditLookupData::GetCurrentKey() { return Variant(FCurrentIndex); }

void TcxCustomTextEditLookupData::GetDisplayText(const Variant& AKey, String& AText) {
  AText.clear();
  if (VarIsNull(AKey) || VarIsEmpty(AKey)) return;
  Integer i = -1;
  try {
    i = AKey.AsInteger();
  } catch (const Exception&) {
    return;
  }
  if (i >= 0 && i < GetItemCount()) AText = GetItem(i);
}

String TcxCustomTextEditLookupData::GetCurrentText() {
  String text;
  GetDisplayText(GetCurrentKey(), text);
  return text;
}

void TcxCustomTextEditLookupData::SetCurrentIndex(Integer AIndex) {
  if (AIndex < -1 || AIndex >= GetItemCount()) return;
  FCurrentIndex = AIndex;
  SetListSelection(AIndex);
}

void TcxCustomTextEditLookupData::SetListSelection(Integer AIndex) {
  if (AIndex < -1 || AIndex >= GetItemCount()) return;
  if (AIndex == FListItemIndex && AIndex != -1) return;
  if (FList && FList->GetItems()->Count() > 0) {
    if (AIndex == -1) FList->SetItemIndex(0);  // back to the top
    FList->SetItemIndex(AIndex);
  }
  FListItemIndex = AIndex;
}

void TcxCustomTextEditLookupData::SetCurrentKey(const Variant& AKey) {
  const Variant previous = GetCurrentKey();
  Integer index = -1;
  if (!VarIsNull(AKey) && !VarIsEmpty(AKey)) {
    try {
      index = AKey.AsInteger();
    } catch (const Exception&) {
      index = -1;
    }
  }
  SetCurrentIndex(index);
  if (FEdit) FEdit->SetLookupSelecting(true);
  // The edit's change handlers may free the edit, and this data with it.
  TWeakLink self(this);
  if (!cxVariantsEqualLoose(previous, GetCurrentKey()) && FCurrentIndex >= 0 && FEdit &&
      !cxAreStringsEqual(GetItem(FCurrentIndex), FEdit->GetLookupEditText(), true) && OnCurrentKeyChanged)
    OnCurrentKeyChanged(this);
  if (self.Alive() && FEdit) FEdit->LookupMatchEnd();
}

// ---- searching ----

void TcxCustomTextEditLookupData::NotFound(bool AExactMatch, const String& AText) {
  TcxCustomTextEditProperties* p = ActiveProperties();
  const TcxEditEditingStyle style = p ? p->GetEditingStyle() : TcxEditEditingStyle::esEdit;
  bool reset = true;
  if (style == TcxEditEditingStyle::esEditList)
    reset = AExactMatch || (AText.empty() && IndexOf(String()) < 0);
  else if (style == TcxEditEditingStyle::esFixedList)
    reset = AExactMatch;
  if (reset) SetCurrentIndex(-1);
}

bool TcxCustomTextEditLookupData::Locate(String& AText, String& ATail, bool ANext, bool AExactMatch) {
  const Integer count = GetItemCount();
  if (count == 0) {
    NotFound(AExactMatch, AText);
    return false;
  }
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (AExactMatch && p && p->GetLookupExactMatch()) {
    const Integer i = IndexOf(AText);
    if (i >= 0) {
      ATail.clear();
      SetCurrentIndex(i);
      return true;
    }
    SetCurrentIndex(-1);
    return false;
  }
  // A stale list position past the items finds nothing rather than reading beyond them.
  const Integer start = ANext ? FListItemIndex : -1;
  const Integer n = Integer(AText.size());
  for (Integer i = start + 1; n > 0 && i < count; ++i) {
    const String item = GetItem(i);
    const String prefix = Copy(item, 1, n);
    if (cxAreStringsEqual(AText, prefix, false)) {
      AText = prefix;
      ATail = Copy(item, n + 1, Integer(item.size()) - n);
      SetCurrentIndex(i);
      return true;
    }
  }
  NotFound(AExactMatch, AText);
  return false;
}

void TcxCustomTextEditLookupData::Go(Integer ADirection, bool AWrap) {
  const Integer n = GetItemCount();
  if (n == 0) return;
  Integer c = FListItemIndex;
  if (c == -1) c = FCurrentIndex;
  // A position left behind by removed items counts as none.
  if (c >= n) c = -1;
  TcxCustomTextEditProperties* p = ActiveProperties();
  // A page of fewer than two rows would stall or reverse the page steps.
  const Integer page = std::max<Integer>(2, p ? p->GetDropDownPageSize() : 8);
  Integer index = c;
  switch (ADirection) {
    case cxLookupGoFirst: index = 0; break;
    case cxLookupGoLast: index = n - 1; break;
    case cxLookupGoNext:
      index = c + 1;
      if (index >= n) index = AWrap ? 0 : c;
      break;
    case cxLookupGoPrior:
      index = c - 1;
      if (index < 0) index = AWrap ? n - 1 : c;
      break;
    case cxLookupGoPageUp:
      if (c != -1) {
        index = c - page + 1;
        if (index < 0) index = (AWrap && c == 0) ? n - 1 : 0;
      } else {
        index = AWrap ? n - 1 : c;
      }
      break;
    case cxLookupGoPageDown:
      index = c == -1 ? c + page : c + page - 1;
      if (index >= n) index = (AWrap && c == n - 1) ? 0 : n - 1;
      break;
    default: return;
  }
  if (index < -1 || index >= n) return;
  const bool listShown = FList && FList->HandleAllocated() && IsWindowVisible(FList->GetHandle());
  if ((listShown && !(p && p->GetImmediateUpdateText())) || (FEdit && !FEdit->DoLookupEditing()))
    SetListSelection(index);
  else
    SetCurrentKey(Variant(index));
}

bool TcxCustomTextEditLookupData::SyncWithEditText() {
  if (!FEdit || FEdit->IsLookupEditingLocked()) return false;
  String text = FEdit->GetLookupEditText();
  if (FCurrentIndex >= 0 && cxAreStringsEqual(GetItem(FCurrentIndex), text, false)) return true;
  String tail;
  return Locate(text, tail, false, true);
}

// ---- the list ----

void TcxCustomTextEditLookupData::SyncListItemIndex(TObject*) {
  if (FList) FListItemIndex = FList->GetItemIndex();
}

void TcxCustomTextEditLookupData::SetListItemCount(Integer ACount) {
  TStrings* items = FList->GetItems();
  if (items->Count() == ACount) return;
  auto update = UpdateBracket(items);
  while (items->Count() > ACount) items->Delete(items->Count() - 1);
  while (items->Count() < ACount) items->Add(String());
}

void TcxCustomTextEditLookupData::ListItemsChanged() {
  if (FList) SetListItemCount(GetItemCount());
}

bool TcxCustomTextEditLookupData::PrepareList(TWinControl* AOwner) {
  if (!FList) {
    TcxCustomEditListBoxClass cls = GetListClass();
    if (!cls.Class) return SyncWithEditText();
    FList = cls.Create(AOwner);
    FList->FreeNotification(FListWatch);
  }
  if (FEdit) {
    if (TcxContainerStyle* style = FEdit->GetLookupActiveStyle()) {
      FList->SetColor(style->GetColor());
      FList->GetFont()->Assign(style->GetVisibleFont());
      FList->Canvas()->SetFont(FList->GetFont());
    }
  }
  FList->SetParent(AOwner);
  // Fixed rows as high as the list measures them, so that GetHeight fits whole rows.
  FList->SetItemHeight(std::clamp<Integer>(FList->GetItemHeight(-1), 1, 255));
  FList->OnSelectionChanged = {this, &TcxCustomTextEditLookupData::SyncListItemIndex};
  SetListItemCount(GetItemCount());
  if (FListItemIndex < FList->GetItems()->Count()) FList->SetItemIndex(FListItemIndex);
  DoInitializeList();
  return SyncWithEditText();
}

void TcxCustomTextEditLookupData::SetListBounds(const TRect& ARect) {
  if (FList) FList->SetBoundsRect(ARect);
}

bool TcxCustomTextEditLookupData::IsMouseOverList() {
  if (!FList || !FList->HandleAllocated()) return false;
  TPoint p;
  ::GetCursorPos(&p);
  p = FList->ScreenToClient(p);
  const TRect client = FList->GetClientRect();
  return PtInRect(&client, p) != FALSE;
}

// ---- drop-down editors ----

void TcxCustomTextEditLookupData::Initialize(TWinControl* AVisualControlsParent) { PrepareList(AVisualControlsParent); }

void TcxCustomTextEditLookupData::DropDown() {
  if (FList) ListItemsChanged();
}

void TcxCustomTextEditLookupData::CloseUp() { FListItemIndex = FCurrentIndex; }

void TcxCustomTextEditLookupData::TextChanged(const String& ATextBeforeCaret) {
  const Integer n = Integer(ATextBeforeCaret.size());
  if (n == 0) return;
  const Integer count = GetItemCount();
  for (Integer i = 0; i < count; ++i)
    if (cxAreStringsEqual(ATextBeforeCaret, Copy(GetItem(i), 1, n), false)) {
      SetListSelection(i);
      return;
    }
}

TWinControl* TcxCustomTextEditLookupData::GetActiveControl() { return FList; }

TSize TcxCustomTextEditLookupData::GetVisualAreaPreferredSize(Integer, Integer) { return GetPreferredListSize(); }

void TcxCustomTextEditLookupData::PositionVisualArea(const TRect& AClientRect) { SetListBounds(AClientRect); }

void TcxCustomTextEditLookupData::SelectItem() {
  TWeakLink self(this);
  if (FListItemIndex != -1 && FListItemIndex != FCurrentIndex) SetCurrentKey(Variant(FListItemIndex));
  if (self.Alive() && OnSelectItem) OnSelectItem(this);
}

TL_DEFINE_CLASS(TcxCustomTextEditLookupData, [](auto&) {});

// ---- the list box ----

TcxCustomEditListBox::TcxCustomEditListBox(TComponent* AOwner) : TcxCustomInnerListBox(AOwner) {
  SetBorderStyle(TBorderStyle::bsNone);
  SetStyle(TListBoxStyle::lbOwnerDrawFixed);
}

IcxTextEditLookupDataOwner* TcxCustomEditListBox::GetEdit() const {
  auto* popup = dynamic_cast<TcxCustomPopupWindow*>(GetOwner());
  return popup ? dynamic_cast<IcxTextEditLookupDataOwner*>(popup->OwnerControl()) : nullptr;
}

void TcxCustomEditListBox::SetItemIndex(Integer Value) {
  inherited::SetItemIndex(Value);
  if (OnSelectionChanged) OnSelectionChanged(this);
}

void TcxCustomEditListBox::Click() {
  inherited::Click();
  if (OnSelectionChanged) OnSelectionChanged(this);
}

void TcxCustomEditListBox::KeyPress(Char& Key) {
  const Integer before = GetItemIndex();
  inherited::KeyPress(Key);
  if (GetItemIndex() != before && OnSelectionChanged) OnSelectionChanged(this);
}

void TcxCustomEditListBox::RecreateWindow() {
  if (HandleAllocated()) RecreateWnd();
}

Integer TcxCustomEditListBox::GetItemHeight(Integer) { return Canvas()->TextHeight("Wg"); }

Integer TcxCustomEditListBox::GetHeight(Integer ARowCount) { return ARowCount * GetItemHeight(-1); }

Integer TcxCustomEditListBox::GetItemWidth(Integer AIndex) { return Canvas()->TextWidth(GetItemText(AIndex)); }

String TcxCustomEditListBox::GetItemText(Integer AIndex) {
  if (AIndex < 0 || AIndex >= GetItems()->Count()) return {};
  if (IcxTextEditLookupDataOwner* edit = GetEdit())
    if (TcxCustomTextEditProperties* p = edit->GetLookupProperties())
      if (AIndex < p->GetLookupItems()->Count()) return p->GetLookupItems()->Strings(AIndex);
  return GetItems()->Strings(AIndex);
}

Integer TcxCustomEditListBox::FindItemStartingWith(const String& AText) {
  const Integer n = Integer(AText.size());
  const Integer count = GetItems()->Count();
  for (Integer i = 0; n > 0 && i < count; ++i)
    if (cxAreStringsEqual(AText, Copy(GetItemText(i), 1, n), false)) return i;
  return -1;
}

bool TcxCustomEditListBox::NeedDrawFocusRect() {
  IcxTextEditLookupDataOwner* edit = GetEdit();
  TcxCustomTextEditProperties* p = edit ? edit->GetLookupProperties() : nullptr;
  if (!p) return false;
  const TcxEditEditingStyle style = p->GetEditingStyle();
  return style == TcxEditEditingStyle::esFixedList || style == TcxEditEditingStyle::esNoEdit;
}

void TcxCustomEditListBox::MeasureItem(Integer, Integer& Height) { Height = GetItemHeight(-1); }

bool TcxCustomEditListBox::DoDrawItem(Integer, const TRect&, TOwnerDrawState) { return false; }

void TcxCustomEditListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (DoDrawItem(Index, Rect, State)) return;
  TCanvas* canvas = Canvas();
  canvas->FillRect(Rect);
  if (Index < 0 || Index >= GetItems()->Count()) return;
  const String text = GetItemText(Index);
  RECT r = Rect;
  r.Left += 2;
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  DrawTextA(canvas->GetHandle(), text.c_str(), Integer(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TcxCustomEditListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FHotTrack || !HandleAllocated() || GetCapture() == GetHandle()) return;
  const Integer i = ItemAtPos(TPoint{X, Y}, true);
  if (i != -1 && i != GetItemIndex()) SetItemIndex(i);
}

bool TcxCustomEditListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!HandleAllocated()) return false;
  const bool up = WheelDelta > 0;
  const Integer lines = Mouse ? Mouse->GetWheelScrollLines() : 3;
  if (lines == Integer(WHEEL_PAGESCROLL) || lines > kMaxWheelLines) {
    // A page per notch: one page step, not billions of line steps.
    SendMessageA(GetHandle(), WM_VSCROLL, up ? SB_PAGEUP : SB_PAGEDOWN, 0);
    return true;
  }
  for (Integer i = 0; i < lines; ++i) SendMessageA(GetHandle(), WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
  return true;
}

void TcxCustomEditListBox::WndProc(TMessage& Message) {
  inherited::WndProc(Message);
  if (Message.Msg != CM_SHOWINGCHANGED || !HandleAllocated() || !IsWindowVisible(GetHandle())) return;
  // The list paints its selection as focused while the real focus stays in the editor.
  TMessage focus{};
  focus.Msg = WM_SETFOCUS;
  TWinControl::DefaultHandler(focus);
}

TL_DEFINE_CLASS(TcxCustomEditListBox, [](auto&) {});
