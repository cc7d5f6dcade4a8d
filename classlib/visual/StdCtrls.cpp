#include "classlib/visual/StdCtrls.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"

#include <algorithm>
#include <cctype>

using enum TListBoxStyle;
using enum TControlStyleItem;

// ---- TButton --------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= IsActive() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd() {
  inherited::CreateWnd();
  UpdateButtonStyle();
}

bool TButton::IsActive() {
  HWND focus = GetFocus();
  return IsActiveWith(focus ? FindControl(focus) : nullptr);
}

bool TButton::IsActiveWith(TWinControl* Focused) {
  if (Focused == this) return true;
  // A focused button takes Enter from the default one.
  return FDefault && !dynamic_cast<TButton*>(Focused);
}

void TButton::UpdateButtonStyle() {
  HWND focus = GetFocus();
  UpdateButtonStyle(focus ? FindControl(focus) : nullptr);
}

void TButton::UpdateButtonStyle(TWinControl* Focused) {
  if (!FHandle) return;
  DWORD style = IsActiveWith(Focused) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((DWORD(GetWindowLongA(FHandle, GWL_STYLE)) & BS_TYPEMASK) != style) SendMessageA(FHandle, BM_SETSTYLE, style, TRUE);
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  UpdateButtonStyle();
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && FModalResult != mrNone) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TButton::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  bool enter = Message.WParam == WPARAM(VK_RETURN) && IsActive();
  bool escape = Message.WParam == WPARAM(VK_ESCAPE) && FCancel;
  if ((enter || escape) && KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
  UpdateButtonStyle(reinterpret_cast<TWinControl*>(Message.LParam));
  TL_INHERITED(Message);
}

// ---- TRadioButton ---------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, "BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  if (FAlignment == TAlignment::taLeftJustify) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (FHandle) RecreateWnd();
}

void TRadioButton::SetCheckedState(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (FHandle) SendMessageA(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Value) return;
  TurnSiblingsOff();
  if (!FClicksDisabled) Click();
}

void TRadioButton::TurnSiblingsOff() {
  if (!FParent) return;
  for (Integer i = 0; i < FParent->ControlCount(); ++i)
    if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r != this) r->SetCheckedState(false);
}

void TRadioButton::WndProc(TMessage& Message) {
  // A press focuses the button first; that focus is the mouse's, not the keyboard's.
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !InState(TComponentStateItem::csDesigning)) {
    TWatchedValue<bool> focusing(this, FMouseFocusing, true);  // its handlers may free the button
    inherited::WndProc(Message);
    return;
  }
  inherited::WndProc(Message);
}

void TRadioButton::WMSetFocus(TMessage& Message) {
  TL_INHERITED(Message);
  if (!FMouseFocusing && !FChecked && FHandle && GetFocus() == FHandle) Activate();
}

void TRadioButton::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == BN_CLICKED) Activate();
  else if (HIWORD(Message.WParam) == BN_DOUBLECLICKED) DblClick();
}

void TRadioButton::CMDialogChar(TMessage& Message) {
  const String caption = GetCaption();
  const Word key = Word(Message.WParam);
  bool accel = false;
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    accel = std::toupper(static_cast<unsigned char>(caption[i + 1])) == std::toupper(key & 0xFF);
    break;
  }
  if (accel && CanFocus()) {
    TWeakLink self(this);  // OnEnter may free the button
    SetFocus();
    if (self.Alive() && Focused()) Activate();
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

// ---- TCustomEdit ----------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  FParentColor = false;
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, "EDIT");
  Params.Style |= ES_AUTOHSCROLL;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FCharCase == TEditCharCase::ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == TEditCharCase::ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(FHandle, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
  SendMessageA(FHandle, EM_SETPASSWORDCHAR, WPARAM(Byte(FPasswordChar)), 0);
  SendMessageA(FHandle, EM_SETMODIFY, FModified, 0);
}

void TCustomEdit::DestroyWnd() {
  FModified = SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
  inherited::DestroyWnd();
}

void TCustomEdit::SetMaxLength(Integer Value) {
  if (Value < 0) throw EInvalidOperation("MaxLength cannot be negative");
  FMaxLength = Value;
  if (FHandle) SendMessageA(FHandle, EM_LIMITTEXT, WPARAM(Value), 0);
}

void TCustomEdit::SetPasswordChar(Char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (FHandle) RecreateWnd();
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (FHandle) SendMessageA(FHandle, EM_SETREADONLY, Value, 0);
}

bool TCustomEdit::GetModified() {
  if (FHandle) FModified = SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (FHandle) SendMessageA(FHandle, EM_SETMODIFY, Value, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  if (FHandle) RecreateWnd();
  // The window converts the text it gets; text kept without a window is converted here.
  String t = GetText();
  if (Value == TEditCharCase::ecUpperCase) SetText(AnsiUpperCase(t));
  if (Value == TEditCharCase::ecLowerCase) SetText(AnsiLowerCase(t));
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  if (FHandle) RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (FHandle) RecreateWnd();
}

Integer TCustomEdit::GetSelStart() {
  DWORD start = 0;
  SendMessageA(GetHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return Integer(start);
}

void TCustomEdit::SetSelStart(Integer Value) { SendMessageA(GetHandle(), EM_SETSEL, WPARAM(Value), LPARAM(Value)); }

Integer TCustomEdit::GetSelLength() {
  DWORD start = 0, end = 0;
  SendMessageA(GetHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return Integer(end) - Integer(start);
}

void TCustomEdit::SetSelLength(Integer Value) {
  Integer start = GetSelStart();
  SendMessageA(GetHandle(), EM_SETSEL, WPARAM(start), LPARAM(start + std::max<Integer>(Value, 0)));
}

String TCustomEdit::GetSelText() {
  Integer start = GetSelStart(), len = GetSelLength();
  String t = GetText();
  if (start < 0 || size_t(start) > t.size()) return "";
  return t.substr(size_t(start), size_t(std::max<Integer>(len, 0)));
}

void TCustomEdit::SetSelText(const String& Value) {
  SendMessageA(GetHandle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() { SendMessageA(GetHandle(), EM_SETSEL, 0, -1); }
void TCustomEdit::ClearSelection() { SendMessageA(GetHandle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageA(GetHandle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageA(GetHandle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageA(GetHandle(), WM_PASTE, 0, 0); }
void TCustomEdit::Undo() { SendMessageA(GetHandle(), WM_UNDO, 0, 0); }
bool TCustomEdit::CanUndo() { return FHandle && SendMessageA(FHandle, EM_CANUNDO, 0, 0) != 0; }
void TCustomEdit::ClearUndo() {
  if (FHandle) SendMessageA(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

void TCustomEdit::DoEnter() {
  // Tabbing in selects the whole text; a click places the caret where it lands.
  if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  inherited::DoEnter();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == EN_CHANGE && !InState(TComponentStateItem::csLoading)) Change();
}

// ---- TListBoxStrings ------------------------------------------------------------------------

namespace {
void CheckRange(Integer Index, Integer Count) {
  if (Index < 0 || Index >= Count) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
}  // namespace

Integer TListBoxStrings::GetCount() const {
  return FListBox->IsVirtual() ? FListBox->FCount : Integer(FItems.size());
}

String TListBoxStrings::Get(Integer Index) const {
  CheckRange(Index, GetCount());
  if (FListBox->IsVirtual()) return FListBox->DoGetData(Index);
  return FItems[size_t(Index)].first;
}

TObject* TListBoxStrings::GetObject(Integer Index) const {
  if (FListBox->IsVirtual()) {
    CheckRange(Index, GetCount());
    return FListBox->DoGetDataObject(Index);
  }
  CheckRange(Index, GetCount());
  return FItems[size_t(Index)].second;
}

Integer TListBoxStrings::Add(const String& S) { return AddObject(S, nullptr); }

Integer TListBoxStrings::AddObject(const String& S, TObject* AObject) {
  Integer at = Integer(FItems.size());
  if (FListBox->FSorted) {
    auto it = std::upper_bound(FItems.begin(), FItems.end(), S,
                               [&](const String& s, const auto& e) { return CompareStrings(s, e.first) < 0; });
    at = Integer(it - FItems.begin());
  }
  InsertObject(at, S, AObject);
  return at;
}

void TListBoxStrings::Insert(Integer Index, const String& S) { InsertObject(Index, S, nullptr); }

void TListBoxStrings::InsertObject(Integer Index, const String& S, TObject* AObject) {
  if (FListBox->IsVirtual()) throw EInvalidOperation("A virtual list box keeps no items");
  if (Index < 0 || Index > Integer(FItems.size())) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  FItems.insert(FItems.begin() + Index, {S, AObject});
  if (FListBox->HandleAllocated())
    SendMessageA(FListBox->FHandle, LB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(S.c_str()));
  else
    FListBox->ShiftSelection(Index, 1);
}

void TListBoxStrings::Delete(Integer Index) {
  if (FListBox->IsVirtual()) throw EInvalidOperation("A virtual list box keeps no items");
  CheckRange(Index, GetCount());
  FItems.erase(FItems.begin() + Index);
  if (FListBox->HandleAllocated()) {
    SendMessageA(FListBox->FHandle, LB_DELETESTRING, WPARAM(Index), 0);
  } else {
    if (FListBox->FItemIndex == Index) FListBox->FItemIndex = -1;
    else if (FListBox->FItemIndex > Index) --FListBox->FItemIndex;
    FListBox->ShiftSelection(Index, -1);
  }
}

void TListBoxStrings::Clear() {
  FItems.clear();
  FListBox->FItemIndex = -1;
  FListBox->FSelection.clear();
  if (FListBox->IsVirtual()) FListBox->FCount = 0;
  if (FListBox->HandleAllocated()) SendMessageA(FListBox->FHandle, LB_RESETCONTENT, 0, 0);
}

void TListBoxStrings::Put(Integer Index, const String& S) {
  if (FListBox->IsVirtual()) throw EInvalidOperation("A virtual list box keeps no items");
  CheckRange(Index, GetCount());
  TObject* obj = FItems[size_t(Index)].second;
  const Integer selected = FListBox->GetItemIndex();
  Delete(Index);
  Integer at = Index;
  if (FListBox->FSorted)
    at = AddObject(S, obj);
  else
    InsertObject(Index, S, obj);
  // A selected item stays selected where its new text sorts it.
  if (selected == Index) FListBox->SetItemIndex(at);
}

void TListBoxStrings::PutObject(Integer Index, TObject* AObject) {
  if (FListBox->IsVirtual()) throw EInvalidOperation("A virtual list box keeps no items");
  CheckRange(Index, GetCount());
  FItems[size_t(Index)].second = AObject;
}

Integer TListBoxStrings::IndexOf(const String& S) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (CompareStrings(FItems[i].first, S) == 0) return Integer(i);
  return -1;
}

void TListBoxStrings::SortItems() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [&](const auto& a, const auto& b) { return CompareStrings(a.first, b.first) < 0; });
}

// ---- TCustomListBox -------------------------------------------------------------------------

namespace {
UINT gNextListBoxId = 1000;
}

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(New<TListBoxStrings>(this)) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  FParentColor = false;
  FCanvas = NewControlCanvas(this);
}

void TCustomListBox::BeforeDestruction() {
  FreeControlCanvas(FCanvas);
  inherited::BeforeDestruction();
  FItems->Free();
  FItems = nullptr;
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, "LISTBOX");
  // The horizontal bar shows only while the scroll width is wider than the list.
  Params.Style |= LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN;
  if (FTabWidth != 0) Params.Style |= LBS_USETABSTOPS;
  switch (FStyle) {
    case lbOwnerDrawFixed: Params.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS; break;
    case lbOwnerDrawVariable: Params.Style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS; break;
    case lbVirtual: case lbVirtualOwnerDraw: Params.Style |= LBS_OWNERDRAWFIXED | LBS_NODATA; break;
    default: break;
  }
  if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  // Owner-draw notices find this control by its id.
  SetWindowLongA(FHandle, GWL_ID, LONG(gNextListBoxId++));
  if (gNextListBoxId > 0xFFFF) gNextListBoxId = 1000;
  if (FStyle == lbOwnerDrawFixed || IsVirtual()) SendMessageA(FHandle, LB_SETITEMHEIGHT, 0, MAKELPARAM(WORD(FItemHeight), 0));
  if (IsVirtual()) {
    SendMessageA(FHandle, LB_SETCOUNT, WPARAM(FCount), 0);
  } else {
    for (const auto& item : FItems->FItems)
      SendMessageA(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.first.c_str()));
  }
  SetColumnWidth();
  if (FTabWidth != 0) SendMessageA(FHandle, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&FTabWidth));
  if (FScrollWidth != 0) SendMessageA(FHandle, LB_SETHORIZONTALEXTENT, WPARAM(FScrollWidth), 0);
  if (IsMultiSelectWindow()) {
    for (Integer i : FSelection)
      if (i < GetCount()) SendMessageA(FHandle, LB_SETSEL, TRUE, LPARAM(i));
    if (FItemIndex >= 0 && FItemIndex < GetCount()) SendMessageA(FHandle, LB_SETCARETINDEX, WPARAM(FItemIndex), 0);
  } else {
    SendMessageA(FHandle, LB_SETCURSEL, WPARAM(FItemIndex), 0);
  }
  SendMessageA(FHandle, LB_SETTOPINDEX, WPARAM(FTopIndex), 0);
}

void TCustomListBox::DestroyWnd() {
  FSelection.clear();
  if (IsMultiSelectWindow()) {
    Integer count = GetCount();
    for (Integer i = 0; i < count; ++i)
      if (SendMessageA(FHandle, LB_GETSEL, WPARAM(i), 0) > 0) FSelection.push_back(i);
  }
  FItemIndex = GetItemIndex();
  FScrollWidth = Integer(SendMessageA(FHandle, LB_GETHORIZONTALEXTENT, 0, 0));
  FTopIndex = Integer(SendMessageA(FHandle, LB_GETTOPINDEX, 0, 0));
  inherited::DestroyWnd();
}

bool TCustomListBox::IsMultiSelectWindow() const {
  return FHandle ? (GetWindowLongA(FHandle, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0 : FMultiSelect;
}

// With multiple selection the item index is the caret, or -1 in an empty list.
Integer TCustomListBox::GetItemIndex() {
  if (!FHandle) return FItemIndex;
  if (IsMultiSelectWindow()) return GetCount() == 0 ? -1 : Integer(SendMessageA(FHandle, LB_GETCARETINDEX, 0, 0));
  return Integer(SendMessageA(FHandle, LB_GETCURSEL, 0, 0));
}

// With multiple selection the item becomes the only selected one and the caret; -1 clears
// the selection.
void TCustomListBox::SetItemIndex(Integer Value) {
  if (Value < -1 || Value >= GetCount()) throw EListError("List index out of bounds (" + std::to_string(Value) + ")");
  FItemIndex = Value;
  if (IsMultiSelectWindow()) {
    FSelection.clear();
    if (Value >= 0) FSelection.push_back(Value);
    if (!FHandle) return;
    SendMessageA(FHandle, LB_SETSEL, FALSE, -1);
    if (Value >= 0) SendMessageA(FHandle, LB_SETSEL, TRUE, LPARAM(Value));
    return;
  }
  if (FHandle) SendMessageA(FHandle, LB_SETCURSEL, WPARAM(Value), 0);
}

void TCustomListBox::ShiftSelection(Integer Index, Integer Delta) {
  std::vector<Integer> kept;
  for (Integer i : FSelection) {
    if (Delta < 0 && i == Index) continue;
    kept.push_back(i >= Index ? i + Delta : i);
  }
  FSelection.swap(kept);
  if (Delta > 0 && FItemIndex >= Index) FItemIndex += Delta;
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  if (FHandle) RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  if (FHandle && FMultiSelect) RecreateWnd();
}

bool TCustomListBox::GetSelected(Integer Index) {
  if (Index < 0 || Index >= GetCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (FHandle) return SendMessageA(FHandle, LB_GETSEL, WPARAM(Index), 0) > 0;
  if (!FMultiSelect) return Index == FItemIndex;
  return std::binary_search(FSelection.begin(), FSelection.end(), Index);
}

void TCustomListBox::SetSelected(Integer Index, bool Value) {
  if (Index < 0 || Index >= GetCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  if (!IsMultiSelectWindow()) {
    if (Value) SetItemIndex(Index);
    else if (GetItemIndex() == Index) SetItemIndex(-1);
    return;
  }
  if (FHandle) {
    SendMessageA(FHandle, LB_SETSEL, WPARAM(Value), LPARAM(Index));
    return;
  }
  auto it = std::lower_bound(FSelection.begin(), FSelection.end(), Index);
  bool present = it != FSelection.end() && *it == Index;
  if (Value && !present) FSelection.insert(it, Index);
  if (!Value && present) FSelection.erase(it);
}

Integer TCustomListBox::GetSelCount() {
  if (!IsMultiSelectWindow()) return GetItemIndex() >= 0 ? 1 : 0;
  if (FHandle) return Integer(SendMessageA(FHandle, LB_GETSELCOUNT, 0, 0));
  return Integer(FSelection.size());
}

void TCustomListBox::ClearSelection() {
  if (!IsMultiSelectWindow()) {
    SetItemIndex(-1);
    return;
  }
  FSelection.clear();
  if (FHandle) SendMessageA(FHandle, LB_SETSEL, FALSE, -1);
}

// A single selection has no "all": it stays as it is.
void TCustomListBox::SelectAll() {
  if (!IsMultiSelectWindow()) return;
  FSelection.clear();
  for (Integer i = 0; i < GetCount(); ++i) FSelection.push_back(i);
  if (FHandle) SendMessageA(FHandle, LB_SETSEL, TRUE, -1);
}

void TCustomListBox::SetColumns(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (FColumns == Value) return;
  // Going between one and several columns changes the window's style.
  bool restyle = (FColumns == 0) != (Value == 0);
  FColumns = Value;
  if (FHandle && restyle) RecreateWnd();
  else SetColumnWidth();
}

void TCustomListBox::SetColumnWidth() {
  if (!FHandle || FColumns <= 0) return;
  RECT rc;
  ::GetClientRect(FHandle, &rc);
  Integer width = std::max<Integer>(1, Integer(rc.Right) / FColumns);
  SendMessageA(FHandle, LB_SETCOLUMNWIDTH, WPARAM(width), 0);
}

void TCustomListBox::WMSize(TMessage& Message) {
  TL_INHERITED(Message);
  SetColumnWidth();
}

void TCustomListBox::SetTabWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  if (FHandle) RecreateWnd();
}

Integer TCustomListBox::GetScrollWidth() {
  if (FHandle) return Integer(SendMessageA(FHandle, LB_GETHORIZONTALEXTENT, 0, 0));
  return FScrollWidth;
}

void TCustomListBox::SetScrollWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  FScrollWidth = Value;
  if (FHandle) SendMessageA(FHandle, LB_SETHORIZONTALEXTENT, WPARAM(Value), 0);
}

Integer TCustomListBox::GetTopIndex() {
  if (FHandle) return Integer(SendMessageA(FHandle, LB_GETTOPINDEX, 0, 0));
  return FTopIndex;
}

void TCustomListBox::SetTopIndex(Integer Value) {
  FTopIndex = std::max<Integer>(Value, 0);
  if (FHandle) SendMessageA(FHandle, LB_SETTOPINDEX, WPARAM(FTopIndex), 0);
}

void TCustomListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (Value && !IsVirtual()) {
    FItems->SortItems();
    if (FHandle) RecreateWnd();
  }
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  bool wasVirtual = IsVirtual();
  FStyle = Value;
  // The stored items stay, hidden while the list asks for its items instead.
  if (wasVirtual != IsVirtual()) FItemIndex = -1;
  if (FHandle) RecreateWnd();
}

Integer TCustomListBox::GetItemHeight() {
  if (FHandle && (FStyle == lbStandard || FStyle == lbVirtual)) return Integer(SendMessageA(FHandle, LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || Value > 255) throw EInvalidOperation("Item height must be between 1 and 255");
  if (FItemHeight == Value) return;
  FItemHeight = Value;
  if (FHandle) RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  if (FHandle) RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (FHandle) RecreateWnd();
}

Integer TCustomListBox::GetCount() const { return FItems->Count(); }

void TCustomListBox::SetCount(Integer Value) {
  if (!IsVirtual()) throw EInvalidOperation("Only a virtual list box takes a count");
  if (Value < 0) throw EInvalidOperation("A list box count cannot be negative");
  FCount = Value;
  if (FItemIndex >= FCount) FItemIndex = -1;
  if (FHandle) SendMessageA(FHandle, LB_SETCOUNT, WPARAM(Value), 0);
}

String TCustomListBox::DoGetData(Integer Index) const {
  String s;
  if (OnData) OnData(const_cast<TCustomListBox*>(this), Index, s);
  return s;
}

Integer TCustomListBox::DoFindData(const String& Data) {
  return OnDataFind ? OnDataFind(this, Data) : -1;
}

TObject* TCustomListBox::DoGetDataObject(Integer Index) const {
  TObject* obj = nullptr;
  if (OnDataObject) OnDataObject(const_cast<TCustomListBox*>(this), Index, obj);
  return obj;
}

TRect TCustomListBox::ItemRect(Integer Index) {
  RECT r{0, 0, 0, 0};
  if (Index >= 0 && Index < GetCount() && SendMessageA(GetHandle(), LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    return r;
  return TRect{0, 0, 0, 0};
}

Integer TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  TRect client = GetClientRect();
  if (PtInRect(&client, Pos)) {
    Integer count = GetCount();
    for (Integer i = std::max<Integer>(GetTopIndex(), 0); i < count; ++i) {
      TRect r = ItemRect(i);
      if (r.Top >= client.Bottom) break;
      if (PtInRect(&r, Pos)) return i;
    }
  }
  return Existing ? -1 : GetCount();
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < 0 || Index >= GetCount()) return;
  TWeakLink self(this);  // a virtual list's OnData may free the list
  const String text = FItems->Strings(Index);
  if (self.Alive()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, text);
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}

void TCustomListBox::CNDrawItem(TMessage& Message) {
  auto& d = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state;
  if (d.itemState & ODS_SELECTED) state.Include(TOwnerDrawStateItem::odSelected);
  if (d.itemState & ODS_FOCUS) state.Include(TOwnerDrawStateItem::odFocused);
  if (d.itemState & ODS_DISABLED) state.Include(TOwnerDrawStateItem::odDisabled);
  TControlCanvasPaint paint(FCanvas, FDrawDC, d.hDC);
  FCanvas->SetFont(FFont);
  FCanvas->Brush()->SetColor(FColor);
  if (state.Contains(TOwnerDrawStateItem::odSelected)) {
    FCanvas->Brush()->SetColor(clHighlight);
    FCanvas->Font()->SetColor(clHighlightText);
  }
  TRect r = d.rcItem;
  TWeakLink self(this);  // an OnDrawItem handler may free the list
  if (Integer(d.itemID) >= 0) DrawItem(Integer(d.itemID), r, state);
  else FCanvas->FillRect(r);
  if (!self.Alive()) return;
  if (state.Contains(TOwnerDrawStateItem::odFocused)) FCanvas->DrawFocusRect(r);
  Message.Result = 1;
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  auto& m = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer h = FItemHeight;
  if (FStyle == lbOwnerDrawVariable) MeasureItem(Integer(m.itemID), h);
  m.itemHeight = UINT(std::clamp<Integer>(h, 1, 255));
  Message.Result = 1;
}

// ---- Registration ---------------------------------------------------------------------------

TL_MESSAGES(TButton,
            TL_ON(CN_COMMAND, CNCommand),
            TL_ON(CM_DIALOGKEY, CMDialogKey),
            TL_ON(CM_FOCUSCHANGED, CMFocusChanged))
TL_MESSAGES(TRadioButton,
            TL_ON(CN_COMMAND, CNCommand),
            TL_ON(CM_DIALOGCHAR, CMDialogChar),
            TL_ON(WM_SETFOCUS, WMSetFocus))
TL_MESSAGES(TCustomEdit, TL_ON(CN_COMMAND, CNCommand))
TL_MESSAGES(TCustomListBox,
            TL_ON(CN_COMMAND, CNCommand),
            TL_ON(CN_DRAWITEM, CNDrawItem),
            TL_ON(CN_MEASUREITEM, CNMeasureItem),
            TL_ON(WM_SIZE, WMSize))

TL_DEFINE_CLASS(TButtonControl)
TL_DEFINE_CLASS(TButton, [](auto& c) {
  c.Property("Cancel", &TButton::GetCancel, &TButton::SetCancel).Default(false);
  c.Property("Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
  c.Property("ModalResult", &TButton::GetModalResult, &TButton::SetModalResult).Default(0);
  c.Property("TabStop", &TButton::GetTabStop, &TButton::SetTabStop).Default(true);
})
TL_DEFINE_CLASS(TRadioButton, [](auto& c) {
  c.Property("Alignment", &TRadioButton::GetAlignment, &TRadioButton::SetAlignment)
      .Default(TAlignment::taRightJustify);
  c.Property("Checked", &TRadioButton::GetChecked, &TRadioButton::SetChecked).Default(false);
})
TL_DEFINE_CLASS(TCustomEdit, [](auto& c) {
  c.Property("AutoSelect", &TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  // The text is stored as Text alone.
  c.Property("Caption", &TCustomEdit::GetCaption, &TCustomEdit::SetCaption).Stored(false);
  c.Property("TabStop", &TCustomEdit::GetTabStop, &TCustomEdit::SetTabStop).Default(true);
  c.Property("BorderStyle", &TCustomEdit::GetBorderStyle, &TCustomEdit::SetBorderStyle).Default(TBorderStyle::bsSingle);
  c.Property("CharCase", &TCustomEdit::GetCharCase, &TCustomEdit::SetCharCase).Default(TEditCharCase::ecNormal);
  c.Property("HideSelection", &TCustomEdit::GetHideSelection, &TCustomEdit::SetHideSelection).Default(true);
  c.Property("MaxLength", &TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength).Default(0);
  c.Property("PasswordChar", &TCustomEdit::GetPasswordChar, &TCustomEdit::SetPasswordChar).Default(Char(0));
  c.Property("ReadOnly", &TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  c.Property("Text", &TCustomEdit::GetText, &TCustomEdit::SetText);
  c.Event("OnChange", &TCustomEdit::OnChange);
})
TL_DEFINE_CLASS(TEdit)
TL_DEFINE_CLASS(TListBoxStrings)
TL_DEFINE_CLASS(TCustomListBox, [](auto& c) {
  c.Property("BorderStyle", &TCustomListBox::GetBorderStyle, &TCustomListBox::SetBorderStyle)
      .Default(TBorderStyle::bsSingle);
  c.Property("Caption", &TCustomListBox::GetCaption, &TCustomListBox::SetCaption).Stored(false);
  c.Property("TabStop", &TCustomListBox::GetTabStop, &TCustomListBox::SetTabStop).Default(true);
  c.Property("IntegralHeight", &TCustomListBox::GetIntegralHeight, &TCustomListBox::SetIntegralHeight).Default(false);
  c.Property("ItemHeight", &TCustomListBox::GetItemHeight, &TCustomListBox::SetItemHeight);
  c.Property("Items", &TCustomListBox::GetItems, &TCustomListBox::SetItems);
  c.Property("Sorted", &TCustomListBox::GetSorted, &TCustomListBox::SetSorted).Default(false);
  c.Property("Style", &TCustomListBox::GetStyle, &TCustomListBox::SetStyle).Default(lbStandard);
  c.Property("AutoComplete", &TCustomListBox::GetAutoComplete, &TCustomListBox::SetAutoComplete).Default(true);
  c.Property("Columns", &TCustomListBox::GetColumns, &TCustomListBox::SetColumns).Default(0);
  c.Property("ExtendedSelect", &TCustomListBox::GetExtendedSelect, &TCustomListBox::SetExtendedSelect)
      .Default(true);
  c.Property("MultiSelect", &TCustomListBox::GetMultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  c.Property("ScrollWidth", &TCustomListBox::GetScrollWidth, &TCustomListBox::SetScrollWidth).Default(0);
  c.Property("TabWidth", &TCustomListBox::GetTabWidth, &TCustomListBox::SetTabWidth).Default(0);
  c.Event("OnDrawItem", &TCustomListBox::OnDrawItem);
  c.Event("OnMeasureItem", &TCustomListBox::OnMeasureItem);
  c.Event("OnData", &TCustomListBox::OnData);
  c.Event("OnDataFind", &TCustomListBox::OnDataFind);
  c.Event("OnDataObject", &TCustomListBox::OnDataObject);
})
TL_DEFINE_CLASS(TListBox)

namespace {
UnitCounter gStdCtrls;
}

void StdCtrlsUnit::Initialize() {
  if (gStdCtrls.Enter()) RegisterClasses({&TButton::StaticClass(), &TEdit::StaticClass(), &TListBox::StaticClass(),
                     &TRadioButton::StaticClass()});
}

void StdCtrlsUnit::Finalize() { gStdCtrls.Leave(); }
